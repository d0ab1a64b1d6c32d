"""Every robot description of the shared collection loads, with placeholder mesh files, into as
many joints and coordinates as its XML declares, and the algorithms run on it; a strict reading
accepts each, and each loads without its mesh files."""

import math
import pathlib
import pickle
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import kinetra
from kinetra import forward_kinematics, rnea

ROBOTS = pathlib.Path(__file__).resolve().parents[2].parent / "shared" / "robots"
if not ROBOTS.is_dir():
    pytest.skip(f"the shared robot collection is absent: no directory {ROBOTS}", allow_module_level=True)

FILES = sorted(ROBOTS.glob("*.urdf"))
SIZES = {"revolute": (1, 1), "prismatic": (1, 1), "continuous": (2, 1)}  # nq, nv of the moving kinds


def local(element):
    return element.tag.rsplit("}", 1)[-1]


def placeholder_meshes(root, directory):
    """Creates an empty file for every mesh the document names; returns ROS_PACKAGE_PATH and package_dir."""
    packages, package_dir = set(), directory / "relative"
    for mesh in (e for e in root.iter() if local(e) == "mesh" and e.get("filename")):
        name = mesh.get("filename")
        if name.startswith("package://"):
            package, _, rest = name[len("package://"):].lstrip("/").partition("/")
            packages.add(directory / "packages" / package)
            target = directory / "packages" / package / rest
        elif name.startswith("/"):
            if not pathlib.Path(name).exists():
                pytest.skip(f"the description names the absolute mesh path {name}")
            continue
        else:
            target = package_dir / name
        target.parent.mkdir(parents=True, exist_ok=True)
        target.touch()
    return ":".join(map(str, packages)), str(package_dir)


@pytest.mark.parametrize("path", FILES, ids=[p.stem for p in FILES])
def test_robot_loads_and_moves(path, tmp_path, monkeypatch):
    document = ET.parse(path).getroot()
    robot = next(e for e in document.iter() if local(e) == "robot")
    package_path, package_dir = placeholder_meshes(robot, tmp_path)
    monkeypatch.setenv("ROS_PACKAGE_PATH", package_path)
    # every joint of these robots hangs below a root link, so each moving joint becomes one model joint
    kinds = [j.get("type") for j in robot if local(j) == "joint" and j.get("type") in SIZES]
    model, collision, visual = kinetra.build_models_from_urdf(str(path), package_dir)
    # a strict reading refuses nothing in them, and without the check the mesh files are not needed
    strict = kinetra.build_models_from_urdf(path, package_dir, strict=True)
    assert pickle.dumps(strict) == pickle.dumps((model, collision, visual))
    monkeypatch.delenv("ROS_PACKAGE_PATH")
    bare = kinetra.build_models_from_urdf(path, check_meshes=False, strict=True)
    assert pickle.dumps(bare[0]) == pickle.dumps(model)
    assert sorted(g.geometry.mesh_path for m in bare[1:] for g in m.geometry_objects
                  if repr(g.geometry.shape_type) == "ShapeType.Mesh") == sorted(
        e.get("filename") for e in robot.iter() if local(e) == "mesh")

    assert model.name == robot.get("name", "")
    assert sorted(repr(m.joint_type) for m in model.joint_models[1:]) == sorted(
        f"JointType.{k.capitalize()}" for k in kinds)
    assert (model.njoints, model.nq, model.nv) == (
        len(kinds) + 1, sum(SIZES[k][0] for k in kinds), sum(SIZES[k][1] for k in kinds))
    meshes = sum(1 for e in robot.iter() if local(e) == "mesh")
    assert sum(repr(g.geometry.shape_type) == "ShapeType.Mesh"
               for g in collision.geometry_objects + visual.geometry_objects) == meshes

    data, rng = model.create_data(), np.random.default_rng(0)
    for _ in range(3):
        q = []
        for m in model.joint_models[1:]:
            angle = rng.uniform(-1.0, 1.0)
            q += [math.cos(angle), math.sin(angle)] if m.nq == 2 else [angle]
        forward_kinematics(model, data, np.array(q))
        assert all(np.all(np.isfinite(p.homogeneous)) for p in data.oMi)
        tau = rnea(model, data, np.array(q), rng.normal(size=model.nv), rng.normal(size=model.nv)).to_numpy()
        assert tau.shape == (model.nv,) and np.all(np.isfinite(tau))
