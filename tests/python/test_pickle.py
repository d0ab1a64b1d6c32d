"""Pickling and copying: every class round-trips exactly, copies are independent, models give the
same bits after a round trip (also in another process), and malformed states are refused."""

import copy
import os
import pathlib
import pickle
import subprocess
import sys
import types

import numpy as np
import pytest
from robots import MixedTree

import kinetra
from kinetra import shapora

ROBOT = pathlib.Path(__file__).resolve().parents[2] / "examples" / "robot"


def load_arm():
    with pytest.MonkeyPatch.context() as patch:
        patch.setenv("ROS_PACKAGE_PATH", str(ROBOT / "kinetra_demo"))
        return kinetra.build_models_from_urdf(str(ROBOT / "arm.urdf"), str(ROBOT))


ARM, COLLISION, VISUAL = load_arm()
FLOATING = MixedTree(7, 6, chain=False, floating=True).model


def motion(model, seed):
    rng = np.random.default_rng(seed)
    q = kinetra.integrate(model, kinetra.neutral(model).to_numpy(), rng.normal(size=model.nv))
    return q, rng.normal(size=model.nv), rng.normal(size=model.nv)


def kinematics(model):
    data = model.create_data()
    kinetra.forward_kinematics(model, data, motion(model, 0)[0])
    kinetra.update_frame_placements(model, data)
    return data


ARM_DATA = kinematics(ARM)


def samples():
    frame = kinetra.Frame("tip", 2, 1, kinetra.SE3.Random(), kinetra.FrameType.Sensor,
                          kinetra.Inertia.FromSphere(1.5, 0.2))
    shapes = [VISUAL.geometry_objects[i].geometry for i in (0, 1, 3, 4)]  # mesh and primitives
    return [
        kinetra.rnea(FLOATING, FLOATING.create_data(), *motion(FLOATING, 1)), FLOATING, ARM,
        ARM_DATA, frame, kinetra.FrameType.Body, kinetra.JointType.Prismatic, *ARM.joint_models,
        kinetra.JointModelFreeFlyer(), kinetra.JointModelRevolute(np.array([0.0, 3.0, 4.0])),
        VISUAL, COLLISION.create_data(ARM_DATA), VISUAL.geometry_objects[0], frame.inertia,
        frame.placement, kinetra.Vector3D(-0.0, float("nan"), 5e-324), kinetra.Vector6D(*range(6)),
        kinetra.Symmetric3(1, 2, 3, 0.1, 0.2, 0.3), shapora.Capsule(0.1, 0.3),
        shapora.Cone(0.2, 1e39), shapora.Cuboid([0.1, 0.2, 0.3]), shapora.Cylinder(1 / 3, 2 / 3),
        shapora.Sphere(0.7), shapora.PyMesh("meshes/é.stl"), *shapes, shapora.ShapeType.Cone,
    ]


SAMPLE_IDS = [f"{type(s).__name__}-{i}" for i, s in enumerate(samples())]


def view(value):
    """What a round trip must keep: the repr (unless it is the default one) and every property."""
    if isinstance(value, np.ndarray):
        return value.dtype, value.shape, value.tobytes()
    if isinstance(value, list):
        return [view(item) for item in value]
    text = repr(value)
    if isinstance(value, (bool, int, float, str, type(None))):
        return text
    out = {} if " object at 0x" in text else {"repr": text}
    if isinstance(value, kinetra.GeometryData):  # placements only through this method
        out["placements"] = [repr(value.get_object_placement(i)) for i in range(COLLISION.ngeoms)]
    for name in dir(type(value)):
        if isinstance(getattr(type(value), name), types.GetSetDescriptorType):
            try:
                out[name] = view(getattr(value, name))
            except ValueError as error:
                out[name] = str(error)
    return out


def test_every_class_is_sampled_and_reduces_to_the_module_reconstructor():
    classes = {getattr(m, n) for m in (kinetra, shapora) for n in dir(m)
               if isinstance(getattr(m, n), type)}
    assert classes - {kinetra.PanicException} == {type(s) for s in samples()}
    assert all(s.__reduce__()[0] is kinetra._restore for s in samples())
    assert kinetra._restore.__module__ == "kinetra" and "_restore" not in kinetra.__all__


@pytest.mark.parametrize("protocol", [2, 5])
@pytest.mark.parametrize("index", range(len(SAMPLE_IDS)), ids=SAMPLE_IDS)
def test_round_trip_keeps_the_value(index, protocol):
    obj = samples()[index]
    restored = pickle.loads(pickle.dumps(obj, protocol))
    assert type(restored) is type(obj) and type(obj).__module__ == "builtins"
    assert view(restored) == view(obj)
    assert pickle.dumps(restored, protocol) == pickle.dumps(obj, protocol)
    if isinstance(obj, (kinetra.FrameType, kinetra.JointType, shapora.ShapeType)):
        assert restored is obj is copy.copy(obj) is copy.deepcopy(obj)
    else:
        assert restored is not obj


def mutate_data(data):
    kinetra.forward_kinematics(ARM, data, motion(ARM, 3)[0])


def mutate_geometry_data(data):
    fresh = ARM.create_data()
    kinetra.forward_kinematics(ARM, fresh, motion(ARM, 4)[0])
    data.update_geometry_data(fresh, COLLISION)


@pytest.mark.parametrize("copier", [copy.copy, copy.deepcopy])
@pytest.mark.parametrize(
    "make, mutate",
    [
        (lambda: FLOATING,
         lambda m: m.add_joint(1, kinetra.JointModelRX(), kinetra.SE3.Identity(), "extra")),
        (lambda: FLOATING, lambda m: setattr(m, "name", "copy")),
        (lambda: ARM_DATA, mutate_data),
        (lambda: VISUAL, lambda g: g.add_geometry_object(VISUAL.geometry_objects[1])),
        (lambda: COLLISION.create_data(ARM_DATA), mutate_geometry_data),
        (lambda: VISUAL.geometry_objects[2], lambda g: setattr(g, "mesh_color", np.ones(4))),
        (lambda: kinetra.SE3.Random(), lambda t: setattr(t, "translation", np.ones(3))),
    ],
    ids=["model-joint", "model-name", "data", "geometry-model", "geometry-data", "geometry-object",
         "se3"],
)
def test_copies_are_independent(make, mutate, copier):
    original = make()
    before = view(original)
    duplicate = copier(original)
    assert type(duplicate) is type(original) and duplicate is not original
    assert view(duplicate) == before
    mutate(duplicate)
    assert view(original) == before != view(duplicate)


def results(model, seed, geometry=None):
    """Every algorithm's output on `model` at one random state, as bytes."""
    q, v, a = motion(model, seed)
    data = kinematics(model)
    tau = kinetra.rnea(model, data, q, v, a)
    out = [tau.to_numpy(), kinetra.aba(model, data, q, v, tau.to_numpy()).to_numpy(),
           kinetra.crba(model, data, q), kinetra.frame_jacobian(model, data, q, model.nframes - 1),
           model.lower_limits, model.upper_limits, model.velocity_limits, model.effort_limits,
           np.array([m.homogeneous for m in data.oMi + data.oMf])]
    if geometry is not None:
        placements = geometry.create_data(data)
        out += [placements.get_object_placement(i).homogeneous for i in range(geometry.ngeoms)]
    return [np.asarray(x).tobytes() for x in out]


@pytest.mark.parametrize("model, geometry", [(ARM, COLLISION), (FLOATING, None)],
                         ids=["arm", "floating"])
def test_algorithms_give_the_same_bits_after_a_round_trip(model, geometry):
    restored_model, restored_geometry = pickle.loads(pickle.dumps((model, geometry)))
    for seed in range(3):
        assert results(restored_model, seed, restored_geometry) == results(model, seed, geometry)


CHILD = """
import pickle, sys, kinetra
model, data, q, v, a = pickle.load(sys.stdin.buffer)
sys.stdout.buffer.write(pickle.dumps(kinetra.rnea(model, data, q, v, a).to_numpy()))
"""


def test_another_process_gets_the_same_rnea_bits():
    q, v, a = motion(FLOATING, 5)
    data = FLOATING.create_data()
    expected = kinetra.rnea(FLOATING, data, q, v, a).to_numpy()
    state = pickle.dumps((FLOATING, data, q, v, a), protocol=5)
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    child = subprocess.run([sys.executable, "-c", CHILD], input=state, capture_output=True,
                           env=env, timeout=120)
    assert child.returncode == 0, child.stderr.decode()
    assert pickle.loads(child.stdout).tobytes() == expected.tobytes()


def state_of(obj):
    return obj.__reduce__()[1]


def replaced(state, offset, new):
    return state[:offset] + new + state[offset + len(new):]


ARM_STATE = state_of(ARM)[1]
# The arm's first joint entry starts after the version, the name, gravity and the world inertia.
JOINTS = 1 + 8 + len(ARM.name.encode()) + 24 + 80


@pytest.mark.parametrize(
    "name, state, message",
    [
        ("Model", b"", "the state is empty"),
        ("Model", b"\x07" + ARM_STATE[1:], "unsupported state format 7"),
        ("Model", ARM_STATE + b"\x00", "1 byte is left over"),
        ("Model", replaced(ARM_STATE, JOINTS, (2**63).to_bytes(8, "little")),
         "count of 9223372036854775808 items exceeds"),
        ("Model", replaced(ARM_STATE, JOINTS + 8, (5).to_bytes(8, "little")),
         "Parent joint with id 5 does not exist"),
        ("Data", replaced(state_of(ARM_DATA)[1], 9, b"\x09"), "invalid joint type 9"),
        ("FrameType", b"Nothing", "no member named 'Nothing'"),
        ("Unknown", ARM_STATE, "unknown class 'Unknown'"),
    ],
)
def test_malformed_states_raise_value_error(name, state, message):
    with pytest.raises(ValueError, match=message):
        kinetra._restore(name, state)


@pytest.mark.parametrize("obj", [FLOATING, ARM_DATA, VISUAL], ids=["model", "data", "geometry"])
def test_every_truncation_and_corruption_is_refused_or_harmless(obj):
    name, state = state_of(obj)
    for end in range(len(state)):
        with pytest.raises(ValueError, match="ends early|empty|exceeds"):
            kinetra._restore(name, state[:end])
    rng = np.random.default_rng(0)
    for _ in range(300):
        offset = int(rng.integers(1, len(state)))
        try:
            kinetra._restore(name, replaced(state, offset, bytes([int(rng.integers(256))])))
        except ValueError:
            pass
    with pytest.raises(TypeError, match="expected bytes, got str"):
        kinetra._restore(name, "text")
