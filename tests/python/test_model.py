"""Model, Frame, FrameType, JointModel, JointType, Data, neutral and random configurations."""

import re

import numpy as np
import pytest

import kinetra
from kinetra import (Data, Frame, FrameType, Inertia, JointModelRX, JointModelRY, JointModelRZ, JointType,
                     Model, SE3, neutral, random_configuration)

from robots import rotation


def chain(n):
    model = Model()
    for i in range(n):
        model.add_joint(i, JointModelRZ(), SE3.Identity(), f"joint{i + 1}")
    return model


def snapshot(model):
    return (model.njoints, model.nframes, model.nq, model.nv, repr(model),
            [repr(f) for f in model.frames], [repr(i) for i in model.inertias])


def body(name, joint, placement=None, inertia=None, kind=FrameType.Body):
    placement = SE3.Identity() if placement is None else placement
    return Frame(name, joint, 0, placement, kind, inertia or Inertia.FromSphere(1.0, 0.1))


# ---- joints ----------------------------------------------------------------------

@pytest.mark.parametrize("enum, names", [(JointType, ["Continuous", "Fixed", "Prismatic", "Revolute"]),
                                         (FrameType, ["Operational", "Joint", "Fixed", "Body", "Sensor"])])
def test_enumerations(enum, names):
    for number, name in enumerate(names):
        member = getattr(enum, name)
        assert (int(member), repr(member)) == (number, f"{enum.__name__}.{name}")
        assert member is getattr(enum, name)


@pytest.mark.parametrize("factory", [JointModelRX, JointModelRY, JointModelRZ])
def test_joint_factories(factory):
    joint = factory()
    assert joint.nq == 1 and joint.nv == 1 and factory() is not joint
    assert repr(joint.joint_type) == "JointType.Revolute" and joint.joint_type is not JointType.Revolute
    with pytest.raises(TypeError):
        factory(1)


# ---- model -------------------------------------------------------------------------

def test_empty_model():
    model = Model()
    assert (model.njoints, model.nframes, model.nq, model.nv) == (1, 1, 0, 0)
    assert model.name == "" and model.joint_names == ["__WORLD__"] and model.joint_parents == [0]
    np.testing.assert_array_equal(model.gravity, [0.0, 0.0, -9.81])
    assert repr(model.joint_models[0].joint_type) == "JointType.Fixed" and model.joint_models[0].nq == 0
    world = model.frames[0]
    assert (world.name, world.parent_joint, world.parent_frame) == ("__WORLD_FRAME__", 0, 0)
    assert repr(world.frame_type) == "FrameType.Fixed" and world.inertia.mass == 0.0
    np.testing.assert_array_equal(world.placement.homogeneous, np.eye(4))
    np.testing.assert_array_equal(model.joint_placements[0].homogeneous, np.eye(4))
    assert model.get_joint_id("__WORLD__") == 0 and model.get_joint_id("nope") is None


def test_model_repr():
    assert repr(Model()).startswith(
        'Model {\n    name: "",\n    joint_names: [\n        "__WORLD__",\n    ],\n    joint_parents: [\n'
        "        0,\n    ],\n    joint_placements: [\n        SE3(\n            Isometry {\n"
        "                rotation: [\n                    [\n                        1.0,\n")
    model = Model()
    model.name = 'arm "one"\n'
    with pytest.raises(TypeError, match="^argument 'name': "):
        model.name = 3  # refused, the name is kept
    model.add_joint(0, JointModelRX(), SE3(np.eye(3), np.array([1e-5, 0.5, 2.0])), "tab\there")
    rows = "rotation: [ [ 1.0, 0.0, 0.0, ], [ 0.0, 1.0, 0.0, ], [ 0.0, 0.0, 1.0, ], ]"
    assert " ".join(repr(model).split()) == (
        'Model { name: "arm \\"one\\"\\n", joint_names: [ "__WORLD__", "tab\\there", ], '
        "joint_parents: [ 0, 0, ], "
        f"joint_placements: [ SE3( Isometry {{ {rows}, translation: [ 0.0, 0.0, 0.0, ], }}, ), "
        f"SE3( Isometry {{ {rows}, translation: [ 1e-5, 0.5, 2.0, ], }}, ), ], }}")


def test_add_joint():
    model = Model()
    assert model.add_joint(0, JointModelRX(), SE3.Identity(), "shoulder") == 1
    assert model.add_joint(1, JointModelRY(), SE3.Identity(), "elbow") == 2
    assert model.add_joint(1, JointModelRZ(), SE3.Identity(), "wrist") == 3
    assert (model.nq, model.nv, model.njoints, model.nframes) == (3, 3, 4, 1)  # no frame is made for a joint
    assert model.joint_parents == [0, 0, 1, 1] and model.get_joint_id("wrist") == 3
    assert model.joint_names == ["__WORLD__", "shoulder", "elbow", "wrist"]
    assert all(i.mass == 0 for i in model.inertias)


@pytest.mark.parametrize("parent, name, message", [(5, "j", "ParentJointDoesNotExist(5)"),
                                                   (0, "a", 'JointNameAlreadyUsed("a", 1)'),
                                                   (0, "__WORLD__", 'JointNameAlreadyUsed("__WORLD__", 0)'),
                                                   (9, "a", "ParentJointDoesNotExist(9)")])  # parent first
def test_add_joint_errors_leave_the_model_unchanged(parent, name, message):
    model = Model()
    model.add_joint(0, JointModelRX(), SE3.Identity(), "a")
    before = snapshot(model)
    with pytest.raises(ValueError, match="^" + re.escape(message) + "$"):
        model.add_joint(parent, JointModelRX(), SE3.Identity(), name)
    assert snapshot(model) == before


def test_stored_values_are_copies():
    model = Model()
    placement = SE3(np.eye(3), np.array([1.0, 2.0, 3.0]))
    model.add_joint(0, JointModelRX(), placement, "j")
    placement.translation = np.zeros(3)
    model.joint_placements[1].translation = np.zeros(3)
    model.joint_names.append("x")
    model.gravity[:] = 0
    np.testing.assert_array_equal(model.joint_placements[1].translation, [1, 2, 3])
    assert model.joint_names == ["__WORLD__", "j"] and model.joint_models[1] is not model.joint_models[1]
    np.testing.assert_array_equal(model.gravity, [0, 0, -9.81])


# ---- frames --------------------------------------------------------------------------

def test_frame_construction_and_repr():
    frame = Frame("it's", 1, 0, SE3.Identity(), FrameType.Operational, Inertia.zeros())
    assert (frame.name, frame.parent_joint, frame.parent_frame) == ("it's", 1, 0)
    assert repr(frame) == (
        "Frame (name='it's', parent joint=1, parent frame=0, frame_type=Operational)\n"
        " Placement=SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
        "translation: [0.0, 0.0, 0.0] })\n"
        " Inertia=Inertia { mass: 0.0, com: Vector3D([[0.0, 0.0, 0.0]]), "
        "inertia: Symmetric3 { data: [0.0, 0.0, 0.0, 0.0, 0.0, 0.0] } }"
    )
    for kind in (3, JointType.Fixed):  # only a FrameType member is a frame type
        with pytest.raises(TypeError, match="^argument 'frame_type': "):
            Frame("f", 0, 0, SE3.Identity(), kind, Inertia.zeros())


def test_add_frame_merges_inertia_moved_by_the_placement():
    model = chain(1)
    bodies = [(2.0, np.array([0.0, 0.0, 0.1]), np.diag([0.1, 0.2, 0.3])),
              (1.0, np.array([0.2, 0.0, 0.0]), np.diag([0.01, 0.02, 0.03]))]
    r, p = rotation([0, 0, 1], np.pi / 2), np.array([0.5, 0.0, 0.0])
    model.add_frame(body("base", 1, inertia=Inertia(*bodies[0])), True)
    assert model.add_frame(Frame("tool", 1, 1, SE3(r, p), FrameType.Body, Inertia(*bodies[1])), True) == 2
    # independent computation: move the tool into the joint frame, then combine about the common centre
    bodies[1] = (1.0, r @ bodies[1][1] + p, r @ bodies[1][2] @ r.T)
    m = sum(k for k, _, _ in bodies)
    c = sum(k * p for k, p, _ in bodies) / m
    inertia = sum(i + k * ((p - c) @ (p - c) * np.eye(3) - np.outer(p - c, p - c)) for k, p, i in bodies)
    merged = model.inertias[1]
    assert merged.mass == pytest.approx(3.0) and model.nframes == 3
    np.testing.assert_allclose(merged.com, c, atol=1e-15)
    np.testing.assert_allclose(merged.inertia, inertia, atol=1e-15)


def test_add_frame_deduplicates_by_name_and_type():
    model = chain(1)
    assert model.add_frame(body("link", 1), True) == 1
    assert model.add_frame(body("link", 1), True) == 1
    assert model.nframes == 2 and model.inertias[1].mass == 1.0  # added once
    assert model.add_frame(body("link", 1, kind=FrameType.Joint), False) == 2
    assert model.add_frame(body("x", 1), False) == 3
    assert model.inertias[1].mass == 1.0
    assert [f.name for f in model.frames] == ["__WORLD_FRAME__", "link", "link", "x"]
    before = snapshot(model)
    with pytest.raises(ValueError, match=r"^ParentJointDoesNotExist\(3\)$"):
        model.add_frame(body("f", 3), True)
    assert snapshot(model) == before


# ---- data ---------------------------------------------------------------------------------

@pytest.mark.parametrize("make", [Data, Model.create_data, lambda model: Data(model=model)])
def test_data_starts_with_identity_placements_and_returns_copies(make):
    data = make(chain(2))
    placements = data.oMi
    assert len(placements) == len(data.joint_placements) == 3
    for p in placements + data.joint_placements:
        np.testing.assert_array_equal(p.homogeneous, np.eye(4))
    placements[1].translation = np.ones(3)
    placements.clear()
    np.testing.assert_array_equal(data.joint_placements[1].translation, np.zeros(3))
    with pytest.raises(TypeError, match="^argument 'model': 'int' object cannot be converted to 'Model'$"):
        Data(1)


# ---- neutral and random ----------------------------------------------------------------

def test_neutral_and_random_configurations():
    for function in (neutral, random_configuration):
        q = function(model=Model())
        assert isinstance(q, kinetra.Configuration)
        assert q.to_numpy().shape == (0,) and q.to_numpy().dtype == np.float64
        with pytest.raises(TypeError, match="^argument 'model': "):
            function(None)
    np.testing.assert_array_equal(neutral(chain(3)).to_numpy(), np.zeros(3))
    draws = np.array([random_configuration(chain(3)).to_numpy() for _ in range(2000)])
    assert np.all(draws >= -2 * np.pi) and np.all(draws < 2 * np.pi)
    assert draws.min() < -6.0 and draws.max() > 6.0 and not np.array_equal(draws[0], draws[1])


def test_configuration_class():
    r = random_configuration(chain(2))
    for result in (r + r, r * 2.0, r * 2):
        np.testing.assert_array_equal(result.to_numpy(), 2 * r.to_numpy())
    for bad in (lambda: 2.0 * r, lambda: r + 1, lambda: r * r, lambda: r - r):
        with pytest.raises(TypeError):
            bad()
    with pytest.raises(kinetra.PanicException, match="Matrix addition/subtraction dimensions mismatch."):
        r + neutral(chain(3))
    a = r.to_numpy()
    a[:] = 7
    assert not np.any(r.to_numpy() == 7)
    assert repr(neutral(chain(2)) + neutral(chain(2))) == (
        "Configuration(\n    VecStorage {\n        data: [\n            0.0,\n            0.0,\n"
        "        ],\n        nrows: Dyn(\n            2,\n        ),\n        ncols: Const,\n    },\n)")


# ---- borrows --------------------------------------------------------------------------------

def test_reentrant_index_cannot_read_a_model_add_joint_holds():
    model = chain(1)
    before = snapshot(model)

    class Sneaky:
        def __index__(self):
            _ = model.njoints  # reads the model that add_joint holds exclusively
            return 0

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        model.add_joint(Sneaky(), JointModelRX(), SE3.Identity(), "x")
    assert snapshot(model) == before
    assert model.add_joint(0, JointModelRX(), SE3.Identity(), "x") == 2  # claim released
