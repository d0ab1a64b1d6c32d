"""Model, Frame, FrameType, JointModel, JointType, Data, neutral and random configurations."""

import re

import numpy as np
import pytest

import kinetra
from kinetra import (Data, Frame, FrameType, Inertia, JointModelRX, JointModelRY, JointModelRZ, JointType,
                     Model, SE3, neutral, random_configuration)


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


# ---- model -------------------------------------------------------------------------

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
    model.add_joint(0, JointModelRX(), SE3.Identity(), "a")
    model.add_joint(1, JointModelRX(), SE3.Identity(), "b")
    assert model.add_joint(1, JointModelRX(), SE3.Identity(), "c") == 3
    assert (model.nq, model.nv, model.njoints, model.nframes) == (3, 3, 4, 1)  # no frame is made for a joint
    assert model.joint_parents == [0, 0, 1, 1] and model.get_joint_id("c") == 3
    assert model.get_joint_id("__WORLD__") == 0 and model.get_joint_id("nope") is None
    assert model.frames[0].name == "__WORLD_FRAME__" and repr(model.frames[0].frame_type) == "FrameType.Fixed"


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


# ---- neutral and random ----------------------------------------------------------------

def test_neutral_and_random_configurations():
    for function in (neutral, random_configuration):
        q = function(model=Model())
        assert isinstance(q, kinetra.Configuration) and q.to_numpy().shape == (0,)
    np.testing.assert_array_equal(neutral(chain(3)).to_numpy(), np.zeros(3))
    draws = np.array([random_configuration(chain(3)).to_numpy() for _ in range(2000)])
    assert draws.min() < -6.0 and draws.max() > 6.0  # the whole of +-2 pi is used


def test_configuration_class():
    r = random_configuration(chain(2))
    for result in (r + r, r * 2.0, r * 2):
        np.testing.assert_array_equal(result.to_numpy(), 2 * r.to_numpy())
    for bad in (lambda: 2.0 * r, lambda: r + 1, lambda: r * r, lambda: r - r):
        with pytest.raises(TypeError):
            bad()
    with pytest.raises(kinetra.PanicException, match="Matrix addition/subtraction dimensions mismatch."):
        r + neutral(chain(3))
    assert repr(neutral(chain(2)) + neutral(chain(2))) == (
        "Configuration(\n    VecStorage {\n        data: [\n            0.0,\n            0.0,\n"
        "        ],\n        nrows: Dyn(\n            2,\n        ),\n        ncols: Const,\n    },\n)")


def test_configuration_is_a_sequence_of_floats():
    q = random_configuration(chain(3))
    values = q.to_numpy()
    for array in (np.asarray(q), np.array(q), np.asarray(q, dtype=np.float64)):
        assert array.dtype == np.float64 and array.shape == (3,) and array.flags.owndata
        np.testing.assert_array_equal(array, values)
    np.testing.assert_array_equal(np.asarray(q, dtype=np.float32), values.astype(np.float32))
    with pytest.raises(ValueError, match="^Unable to avoid copy"):
        np.array(q, copy=False)
    assert len(q) == 3 and list(q) == values.tolist() and q[-3] == q[0] == values[0]
    assert all(type(x) is float for x in q) and values[2] in q
    for index in (3, -4):
        with pytest.raises(IndexError, match="^Configuration index out of range$"):
            q[index]
    assert len(neutral(Model())) == 0 and np.asarray(neutral(Model())).shape == (0,)


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
