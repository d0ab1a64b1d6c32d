"""Model, Frame, FrameType, JointModel, JointType, Data, neutral and random configurations."""

import numpy as np
import pytest

import kinetra
from kinetra import (
    Data,
    Frame,
    FrameType,
    Inertia,
    JointModelRX,
    JointModelRY,
    JointModelRZ,
    JointType,
    Model,
    SE3,
    neutral,
    random_configuration,
)

IDENTITY_LINES = [
    "        SE3(",
    "            Isometry {",
    "                rotation: [",
    "                    [",
    "                        1.0,",
    "                        0.0,",
    "                        0.0,",
    "                    ],",
    "                    [",
    "                        0.0,",
    "                        1.0,",
    "                        0.0,",
    "                    ],",
    "                    [",
    "                        0.0,",
    "                        0.0,",
    "                        1.0,",
    "                    ],",
    "                ],",
    "                translation: [",
    "                    0.0,",
    "                    0.0,",
    "                    0.0,",
    "                ],",
    "            },",
    "        ),",
]


def chain(n, factory=JointModelRZ):
    model = Model()
    for i in range(n):
        model.add_joint(i, factory(), SE3.Identity(), f"joint{i + 1}")
    return model


def snapshot(model):
    return (model.njoints, model.nframes, model.nq, model.nv, repr(model),
            [repr(f) for f in model.frames], [repr(i) for i in model.inertias])


# ---- joints ----------------------------------------------------------------------

def test_joint_types():
    assert [repr(t) for t in (JointType.Continuous, JointType.Fixed, JointType.Prismatic, JointType.Revolute)] == [
        "JointType.Continuous", "JointType.Fixed", "JointType.Prismatic", "JointType.Revolute"]
    assert [int(t) for t in (JointType.Continuous, JointType.Fixed, JointType.Prismatic, JointType.Revolute)] == [0, 1, 2, 3]
    assert JointType.Revolute is JointType.Revolute
    with pytest.raises(TypeError, match="^No constructor defined for JointType$"):
        JointType()


@pytest.mark.parametrize("factory", [JointModelRX, JointModelRY, JointModelRZ])
def test_joint_factories(factory):
    joint = factory()
    assert joint.nq == 1 and joint.nv == 1
    assert repr(joint.joint_type) == "JointType.Revolute"
    assert joint.joint_type is not JointType.Revolute and joint.joint_type != JointType.Revolute
    assert factory() is not joint
    with pytest.raises(TypeError):
        factory(1)
    assert factory.__doc__ == f"Creates a new revolute joint model with `{factory.__name__[-1].lower()}` as axis of rotation."
    assert factory.__text_signature__ == "()"


def test_joint_model_has_no_constructor():
    with pytest.raises(TypeError, match="^No constructor defined for JointModel$"):
        kinetra.JointModel()
    assert kinetra.JointModel.__doc__ == "A Python wrapper for the `JointWrapper` type."
    assert repr(JointModelRX()).startswith("<JointModel object at ")


# ---- model -------------------------------------------------------------------------

def test_empty_model():
    model = Model()
    assert (model.njoints, model.nframes, model.nq, model.nv) == (1, 1, 0, 0)
    assert model.name == "" and model.joint_names == ["__WORLD__"] and model.joint_parents == [0]
    np.testing.assert_array_equal(model.gravity, [0.0, 0.0, -9.81])
    assert repr(model.joint_models[0].joint_type) == "JointType.Fixed"
    assert model.joint_models[0].nq == 0
    world = model.frames[0]
    assert (world.name, world.parent_joint, world.parent_frame) == ("__WORLD_FRAME__", 0, 0)
    assert repr(world.frame_type) == "FrameType.Fixed"
    np.testing.assert_array_equal(world.placement.homogeneous, np.eye(4))
    assert world.inertia.mass == 0.0
    np.testing.assert_array_equal(model.joint_placements[0].homogeneous, np.eye(4))
    assert model.get_joint_id("__WORLD__") == 0 and model.get_joint_id("nope") is None


def test_model_repr():
    lines = ["Model {", '    name: "",', "    joint_names: [", '        "__WORLD__",', "    ],",
             "    joint_parents: [", "        0,", "    ],", "    joint_placements: ["]
    lines += IDENTITY_LINES + ["    ],", "}"]
    assert repr(Model()) == "\n".join(lines)


def test_model_repr_escapes_names_and_shows_joints():
    model = Model()
    model.name = 'arm "one"\n'
    model.add_joint(0, JointModelRX(), SE3(np.eye(3), np.array([1e-5, 0.5, 2.0])), "tab\there")
    text = repr(model)
    assert '    name: "arm \\"one\\"\\n",' in text
    assert '        "tab\\there",' in text
    assert "                    0.00001," not in text and "                    1e-5," in text
    assert text.count("        SE3(") == 2


def test_add_joint():
    model = Model()
    assert model.add_joint(0, JointModelRX(), SE3.Identity(), "shoulder") == 1
    assert (model.nq, model.nv, model.njoints) == (1, 1, 2)
    assert model.get_joint_id("shoulder") == 1
    assert model.add_joint(1, JointModelRY(), SE3.Identity(), "elbow") == 2  # newest joint as parent
    assert model.add_joint(1, JointModelRZ(), SE3.Identity(), "wrist") == 3
    assert model.joint_parents == [0, 0, 1, 1]
    assert model.joint_names == ["__WORLD__", "shoulder", "elbow", "wrist"]
    assert model.nframes == 1  # no frame is made for a joint
    assert all(i.mass == 0 for i in model.inertias)


@pytest.mark.parametrize(
    "parent, name, message",
    [
        (5, "j", "ParentJointDoesNotExist(5)"),
        (2, "j", "ParentJointDoesNotExist(2)"),
        (0, "a", 'JointNameAlreadyUsed("a", 1)'),
        (0, "__WORLD__", 'JointNameAlreadyUsed("__WORLD__", 0)'),
        (9, "a", "ParentJointDoesNotExist(9)"),  # the parent is checked first
    ],
)
def test_add_joint_errors_leave_the_model_unchanged(parent, name, message):
    model = chain(0)
    model.add_joint(0, JointModelRX(), SE3.Identity(), "a")
    before = snapshot(model)
    with pytest.raises(ValueError) as info:
        model.add_joint(parent, JointModelRX(), SE3.Identity(), name)
    assert str(info.value) == message
    assert snapshot(model) == before


@pytest.mark.parametrize(
    "args, error",
    [
        ((-1, JointModelRX(), SE3.Identity(), "x"), OverflowError),
        ((0, "joint", SE3.Identity(), "x"), TypeError),
        ((0, JointModelRX(), np.eye(4), "x"), TypeError),
        ((0, JointModelRX(), SE3.Identity(), 3), TypeError),
        ((0, JointModelRX(), SE3.Identity()), TypeError),
    ],
)
def test_add_joint_argument_errors(args, error):
    model = Model()
    with pytest.raises(error):
        model.add_joint(*args)
    assert model.njoints == 1


def test_stored_values_are_copies():
    model = Model()
    placement = SE3(np.eye(3), np.array([1.0, 2.0, 3.0]))
    joint = JointModelRX()
    model.add_joint(0, joint, placement, "j")
    placement.translation = np.zeros(3)
    np.testing.assert_array_equal(model.joint_placements[1].translation, [1, 2, 3])
    read = model.joint_placements[1]
    read.translation = np.zeros(3)
    np.testing.assert_array_equal(model.joint_placements[1].translation, [1, 2, 3])
    names = model.joint_names
    names.append("x")
    assert model.joint_names == ["__WORLD__", "j"]
    g = model.gravity
    g[:] = 0
    np.testing.assert_array_equal(model.gravity, [0, 0, -9.81])
    assert model.joint_models[1] is not model.joint_models[1]


def test_gravity_is_independent_of_the_exported_constant():
    kinetra.STANDARD_GRAVITY[:] = 0.0
    try:
        np.testing.assert_array_equal(Model().gravity, [0.0, 0.0, -9.81])
    finally:
        kinetra.STANDARD_GRAVITY[:] = [0.0, 0.0, -9.81]


def test_name_property():
    model = Model()
    model.name = "robot"
    assert model.name == "robot"
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del model.name
    with pytest.raises(TypeError, match="^argument 'name': "):
        model.name = 3
    assert model.name == "robot"


# ---- frames --------------------------------------------------------------------------

def test_frame_types():
    members = ["Operational", "Joint", "Fixed", "Body", "Sensor"]
    for number, name in enumerate(members):
        member = getattr(FrameType, name)
        assert int(member) == number and repr(member) == f"FrameType.{name}"
        assert member is getattr(FrameType, name)
    assert FrameType.__doc__ is None


def test_frame_construction_and_repr():
    frame = Frame("it's", 1, 0, SE3.Identity(), FrameType.Operational, Inertia.zeros())
    assert frame.name == "it's" and frame.parent_joint == 1 and frame.parent_frame == 0
    assert repr(frame.frame_type) == "FrameType.Operational"
    assert repr(frame) == (
        "Frame (name='it's', parent joint=1, parent frame=0, frame_type=Operational)\n"
        " Placement=SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
        "translation: [0.0, 0.0, 0.0] })\n"
        " Inertia=Inertia { mass: 0.0, com: Vector3D([[0.0, 0.0, 0.0]]), "
        "inertia: Symmetric3 { data: [0.0, 0.0, 0.0, 0.0, 0.0, 0.0] } }"
    )
    assert Frame.__text_signature__ == "(name, parent_joint, parent_frame, placement, frame_type, inertia)"
    frame2 = Frame(name="b", parent_joint=0, parent_frame=0, placement=SE3.Identity(),
                   frame_type=FrameType.Body, inertia=Inertia.zeros())
    assert frame2.name == "b"


@pytest.mark.parametrize(
    "args, name",
    [
        ((1, 0, 0, SE3.Identity(), FrameType.Body, Inertia.zeros()), "name"),
        (("f", -1, 0, SE3.Identity(), FrameType.Body, Inertia.zeros()), None),
        (("f", 0, 0, SE3.Identity(), 3, Inertia.zeros()), "frame_type"),
        (("f", 0, 0, SE3.Identity(), JointType.Fixed, Inertia.zeros()), "frame_type"),
        (("f", 0, 0, SE3.Identity(), FrameType.Body, None), "inertia"),
        (("f", 0, 0, SE3.Identity(), FrameType.Body), None),
    ],
)
def test_frame_argument_errors(args, name):
    with pytest.raises((TypeError, OverflowError)) as info:
        Frame(*args)
    if name:
        assert str(info.value).startswith(f"argument '{name}': ")


def rot_z(angle):
    c, s = np.cos(angle), np.sin(angle)
    return np.array([[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]])


def test_add_frame_merges_inertia_moved_by_the_placement():
    model = chain(1)
    model.add_frame(Frame("base", 1, 0, SE3.Identity(), FrameType.Body,
                          Inertia(2.0, np.array([0.0, 0.0, 0.1]), np.diag([0.1, 0.2, 0.3]))), True)
    placement = SE3(rot_z(np.pi / 2), np.array([0.5, 0.0, 0.0]))
    body = Inertia(1.0, np.array([0.2, 0.0, 0.0]), np.diag([0.01, 0.02, 0.03]))
    frame_id = model.add_frame(Frame("tool", 1, 1, placement, FrameType.Body, body), True)
    assert frame_id == 2 and model.nframes == 3
    # independent computation: move the body into the joint frame, then combine
    r, p = rot_z(np.pi / 2), np.array([0.5, 0.0, 0.0])
    bodies = [(2.0, np.array([0.0, 0.0, 0.1]), np.diag([0.1, 0.2, 0.3])),
              (1.0, r @ [0.2, 0.0, 0.0] + p, r @ np.diag([0.01, 0.02, 0.03]) @ r.T)]
    m = sum(b[0] for b in bodies)
    c = sum(b[0] * b[1] for b in bodies) / m
    inertia = sum(b[2] + b[0] * ((b[1] - c) @ (b[1] - c) * np.eye(3) - np.outer(b[1] - c, b[1] - c)) for b in bodies)
    merged = model.inertias[1]
    assert merged.mass == pytest.approx(3.0)
    np.testing.assert_allclose(merged.com, c, atol=1e-15)
    np.testing.assert_allclose(merged.inertia, inertia, atol=1e-15)


def test_add_frame_deduplicates_by_name_and_type():
    model = chain(1)
    body = Inertia.FromSphere(1.0, 0.1)
    frame = Frame("link", 1, 0, SE3.Identity(), FrameType.Body, body)
    assert model.add_frame(frame, True) == 1
    assert model.add_frame(frame, True) == 1
    assert model.nframes == 2 and model.inertias[1].mass == 1.0  # added once
    other = Frame("link", 1, 0, SE3.Identity(), FrameType.Joint, body)
    assert model.add_frame(other, False) == 2
    assert model.add_frame(Frame("x", 1, 0, SE3.Identity(), FrameType.Body, body), False) == 3
    assert model.inertias[1].mass == 1.0
    assert [f.name for f in model.frames] == ["__WORLD_FRAME__", "link", "link", "x"]


def test_add_frame_with_a_missing_parent():
    model = chain(2)
    before = snapshot(model)
    with pytest.raises(ValueError, match=r"^ParentJointDoesNotExist\(3\)$"):
        model.add_frame(Frame("f", 3, 0, SE3.Identity(), FrameType.Body, Inertia.FromSphere(1, 1)), True)
    assert snapshot(model) == before


# ---- data ---------------------------------------------------------------------------------

def test_data_starts_with_identity_placements():
    for n in (0, 3):
        model = chain(n)
        for data in (Data(model), model.create_data(), Data(model=model)):
            placements = data.joint_placements
            assert len(placements) == n + 1
            for p in placements + data.oMi:
                np.testing.assert_array_equal(p.homogeneous, np.eye(4))


def test_data_returns_copies_and_has_docs():
    data = Data(chain(2))
    first = data.oMi
    first[1].translation = np.ones(3)
    first.clear()
    assert len(data.joint_placements) == 3
    np.testing.assert_array_equal(data.joint_placements[1].translation, np.zeros(3))
    assert Data.joint_placements.__doc__ == "Returns the placements of the joints in the world frame."
    assert Data.oMi.__doc__.startswith("Returns the placements of the joints in the world frame.\n\n")
    assert "alias" in Data.oMi.__doc__
    with pytest.raises(TypeError, match="^argument 'model': 'int' object cannot be converted to 'Model'$"):
        Data(1)


# ---- neutral and random ----------------------------------------------------------------

def test_configurations_of_the_empty_model():
    for q in (neutral(Model()), random_configuration(Model())):
        assert isinstance(q, kinetra.Configuration)
        assert q.to_numpy().shape == (0,) and q.to_numpy().dtype == np.float64


def test_random_configuration_of_revolute_joints():
    model = chain(3)
    np.testing.assert_array_equal(neutral(model).to_numpy(), np.zeros(3))
    draws = np.array([random_configuration(model).to_numpy() for _ in range(2000)])
    assert draws.shape == (2000, 3)
    assert np.all(draws >= -2 * np.pi) and np.all(draws < 2 * np.pi)
    assert draws.min() < -6.0 and draws.max() > 6.0
    assert not np.array_equal(draws[0], draws[1])


def test_configuration_functions_check_their_argument():
    for function in (neutral, random_configuration):
        with pytest.raises(TypeError, match="^argument 'model': "):
            function(None)
        with pytest.raises(TypeError, match="missing 1 required positional argument: 'model'"):
            function()
        assert function(model=Model()).to_numpy().shape == (0,)
    assert neutral.__doc__ == "Python wrapper for the `neutral` function."
    assert random_configuration.__doc__ is None


# ---- Configuration ----------------------------------------------------------------------

def test_configuration_class():
    q = neutral(chain(2)) + random_configuration(chain(2)) * 0.0
    np.testing.assert_array_equal(q.to_numpy(), [0.0, 0.0])
    r = random_configuration(chain(2))
    np.testing.assert_array_equal((r + r).to_numpy(), 2 * r.to_numpy())
    np.testing.assert_array_equal((r * 2.0).to_numpy(), 2 * r.to_numpy())
    np.testing.assert_array_equal((r * 2).to_numpy(), 2 * r.to_numpy())
    for bad in (lambda: 2.0 * r, lambda: r + 1, lambda: r * r, lambda: r - r):
        with pytest.raises(TypeError):
            bad()
    with pytest.raises(kinetra.PanicException, match="Matrix addition/subtraction dimensions mismatch."):
        r + neutral(chain(3))
    a = r.to_numpy()
    a[:] = 7
    assert not np.any(r.to_numpy() == 7)


def test_configuration_repr():
    assert repr(neutral(Model())) == (
        "Configuration(\n    VecStorage {\n        data: [],\n        nrows: Dyn(\n            0,\n"
        "        ),\n        ncols: Const,\n    },\n)")
    assert repr(neutral(chain(2)) + neutral(chain(2))) == (
        "Configuration(\n    VecStorage {\n        data: [\n            0.0,\n            0.0,\n"
        "        ],\n        nrows: Dyn(\n            2,\n        ),\n        ncols: Const,\n    },\n)")


# ---- borrows --------------------------------------------------------------------------------

def test_reentrant_index_cannot_read_a_model_add_joint_holds():
    model = chain(1)
    before = snapshot(model)

    class Sneaky:
        def __index__(self):
            model.njoints  # reads the model that add_joint holds exclusively
            return 0

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        model.add_joint(Sneaky(), JointModelRX(), SE3.Identity(), "x")
    assert snapshot(model) == before
    assert model.add_joint(0, JointModelRX(), SE3.Identity(), "x") == 2  # claim released
