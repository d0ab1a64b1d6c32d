"""Robots for the tests, built joint by joint through the public API, or read from URDF."""

import pathlib
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import kinetra
from kinetra import Frame, FrameType, Inertia, JointModelRX, JointModelRY, JointModelRZ, Model, SE3

FACTORIES = (JointModelRX, JointModelRY, JointModelRZ)


def rotation(axis, angle):
    axis = np.asarray(axis, dtype=float)
    k = axis / np.linalg.norm(axis)
    kx = np.array([[0, -k[2], k[1]], [k[2], 0, -k[0]], [-k[1], k[0], 0]])
    return np.eye(3) + np.sin(angle) * kx + (1 - np.cos(angle)) * kx @ kx


def homogeneous(r, p):
    h = np.eye(4)
    h[:3, :3], h[:3, 3] = r, p
    return h


def random_placement(rng):
    return homogeneous(rotation(rng.normal(size=3), rng.uniform(-np.pi, np.pi)), rng.uniform(-0.5, 0.5, 3))


def random_body(rng):
    r = rotation(rng.normal(size=3), rng.uniform(-np.pi, np.pi))
    inertia = r @ np.diag(rng.uniform(0.01, 0.1, 3)) @ r.T
    inertia = (inertia + inertia.T) / 2
    return rng.uniform(0.5, 2.0), rng.uniform(-0.3, 0.3, 3), inertia


def se3(h):
    return SE3(h[:3, :3].copy(), h[:3, 3].copy())


class RevoluteTree:
    """A random chain or tree of revolute joints about x, y or z with random placements and bodies."""

    def __init__(self, seed, joints, chain=True):
        rng = np.random.default_rng(seed)
        self.model = Model()
        for i in range(1, joints + 1):
            parent = i - 1 if chain else int(rng.integers(0, i))
            self.model.add_joint(parent, FACTORIES[int(rng.integers(0, 3))](), se3(random_placement(rng)),
                                 f"joint{i}")
            mass, com, inertia = random_body(rng)
            self.model.add_frame(Frame(f"body{i}", i, 0, SE3.Identity(), FrameType.Body,
                                       Inertia(mass, com, inertia)), True)


def random_axis(rng):
    """A non-unit axis, its length in [0.5, 2)."""
    axis = rng.normal(size=3)
    return axis / np.linalg.norm(axis) * rng.uniform(0.5, 2.0)


MIXED_FACTORIES = (kinetra.JointModelRevolute, kinetra.JointModelContinuous, kinetra.JointModelPrismatic)


class MixedTree:
    """A random chain or tree of revolute, continuous and prismatic joints about random non-unit axes,
    with a fixed joint as the second joint (when there are two), random placements and bodies;
    `floating`: the first joint is a free-flyer and the rest of the tree hangs below it."""

    def __init__(self, seed, joints, chain=True, floating=False):
        rng = np.random.default_rng(seed)
        self.model = Model()
        for i in range(1, joints + 1):
            parent = i - 1 if chain else int(rng.integers(int(floating and i > 1), i))
            if floating and i == 1:
                joint = kinetra.JointModelFreeFlyer()
            elif i == 2:
                joint = kinetra.JointModelFixed()
            else:
                joint = MIXED_FACTORIES[int(rng.integers(0, 3))](random_axis(rng))
            self.model.add_joint(parent, joint, se3(random_placement(rng)), f"joint{i}")
            mass, com, inertia = random_body(rng)
            self.model.add_frame(Frame(f"body{i}", i, 0, SE3.Identity(), FrameType.Body,
                                       Inertia(mass, com, inertia)), True)


def rebuild(model, make):
    """`model` built again joint by joint, each joint model replaced by make(joint_model);
    placements and inertias are copied, frames other than one body per joint are not."""
    copy = Model()
    for i in range(1, model.njoints):
        copy.add_joint(model.joint_parents[i], make(model.joint_models[i]), model.joint_placements[i],
                       model.joint_names[i])
        copy.add_frame(Frame(f"body{i}", i, 0, SE3.Identity(), FrameType.Body, model.inertias[i]), True)
    return copy


SHARED_ROBOTS = pathlib.Path(__file__).resolve().parents[3] / "shared" / "robots"
SHARED_NAMES = [p.stem for p in sorted(SHARED_ROBOTS.glob("*.urdf"))] or ["collection_absent"]


def without_geometry(path, **keywords):
    """The model of a URDF read without its mesh files, and the masses the file declares."""
    model = kinetra.build_models_from_urdf(path, check_meshes=False, **keywords)[0]
    return model, [float(m.get("value")) for m in ET.parse(path).getroot().iter("mass")]


def floating_shared(name):
    """A robot of the shared collection on a free-flyer root joint, and its masses."""
    path = SHARED_ROBOTS / f"{name}.urdf"
    if not path.is_file():
        pytest.skip(f"the shared robot collection is absent: no file {path}")
    return without_geometry(path, root_joint=kinetra.JointModelFreeFlyer())
