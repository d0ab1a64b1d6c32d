"""kinetra.shapora shapes, geometry objects, geometry models and geometry data."""

import numpy as np
import pytest

import kinetra
import kinetra.shapora as shapora
from kinetra import Data, GeometryData, GeometryModel, GeometryObject, Model, SE3, forward_kinematics
from kinetra.shapora import Capsule, Cone, Cuboid, Cylinder, PyMesh, Shape, ShapeType, Sphere

from robots import RevoluteTree, homogeneous, rotation, se3

F32 = np.float32


def as_shape(shape):
    """The Shape view of a shape, through a geometry object."""
    return GeometryObject("g", 0, 0, shape, SE3.Identity()).geometry


# ---- shapes -----------------------------------------------------------------------------

def test_registration_and_types():
    assert shapora.__all__ == ["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "PyMesh", "Shape", "ShapeType"]
    assert not hasattr(shapora, "Mesh")
    names = ["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "Mesh"]
    for number, name in enumerate(names):
        member = getattr(ShapeType, name)
        assert int(member) == number and repr(member) == f"ShapeType.{name}"
    for cls, signature in ((Capsule, "(radius, length)"), (Cone, "(radius, length)"), (Cuboid, "(sides)"),
                           (Cylinder, "(radius, length)"), (Sphere, "(radius)"), (PyMesh, "(path)")):
        assert cls.__text_signature__ == signature and cls.__module__ == "builtins"
        with pytest.raises(TypeError):
            type("Sub", (cls,), {})
    assert PyMesh.__doc__ == "A Python wrapper for the Mesh type."
    assert Shape.__doc__ == "A Python wrapper for the ShapeWrapper type."
    for cls in (Shape, ShapeType):
        with pytest.raises(TypeError, match=f"^No constructor defined for {cls.__name__}$"):
            cls()


@pytest.mark.parametrize("cls, kind", [(Cylinder, "cylinder"), (Cone, "cone")])
def test_radius_and_half_length_methods(cls, kind):
    shape = cls(0.1, 2.0)
    assert shape.radius() == float(F32(0.1)) == 0.10000000149011612
    assert shape.half_length() == 1.0
    assert cls(1.0, 3.0).half_length() == 1.5
    assert cls.radius.__doc__ == f"Returns the radius of the {kind}."
    assert cls.half_length.__doc__ == f"Returns the half length of the {kind}."
    assert cls.radius.__text_signature__ == "($self)"


@pytest.mark.parametrize(
    "length",
    [0.1, 1e-30, 3.0000001, 1e39, -2.5, float("inf"), float("nan"), 16777217.0],
)
def test_half_lengths_are_computed_in_single_precision(length):
    with np.errstate(over="ignore"):
        expected = F32(length) * F32(0.5)  # rounding first, then halving, both in f32
    got = as_shape(Capsule(1.0, length)).half_length
    assert (np.isnan(got) and np.isnan(expected)) or got == float(expected)
    got_cylinder = Cylinder(1.0, length).half_length()
    assert (np.isnan(got_cylinder) and np.isnan(expected)) or got_cylinder == float(expected)


def test_cuboid():
    shape = as_shape(Cuboid([2.0, 4.0, 6.0, 8.0]))
    extents = shape.half_extents
    assert extents.dtype == np.float32 and extents.shape == (3,)
    np.testing.assert_array_equal(extents, [1.0, 2.0, 3.0])
    assert shape.half_extents is not extents
    np.testing.assert_array_equal(as_shape(Cuboid((0.1, 0.2, 0.3))).half_extents,
                                  np.array([0.1, 0.2, 0.3], dtype=F32) * F32(0.5))
    np.testing.assert_array_equal(as_shape(Cuboid(np.array([1.0, 2.0, 3.0]))).half_extents, [0.5, 1, 1.5])
    with pytest.raises(ValueError, match="^Shape does not have a radius$"):
        shape.radius
    assert repr(shape.shape_type) == "ShapeType.Cuboid"


@pytest.mark.parametrize("sides", [[], [1.0], [1.0, 2.0], ()])
def test_cuboid_needs_three_sides(sides):
    with pytest.raises(ValueError, match="three side lengths"):
        Cuboid(sides)


@pytest.mark.parametrize("sides", ["abc", "1.0", 3.0, None, [1.0, "x", 2.0]])
def test_cuboid_refuses_non_sequences_and_text(sides):
    with pytest.raises(TypeError, match="^argument 'sides': "):
        Cuboid(sides)


def test_shape_views():
    sphere = as_shape(Sphere(0.5))
    assert sphere.radius == 0.5 and repr(sphere.shape_type) == "ShapeType.Sphere"
    with pytest.raises(ValueError, match="^Shape does not have a half length$"):
        sphere.half_length
    with pytest.raises(ValueError, match="^Shape is not a mesh and does not have a path$"):
        sphere.mesh_path
    with pytest.raises(ValueError, match="^Shape does not have half extents$"):
        sphere.half_extents
    cone = as_shape(Cone(2.0, 1.0))
    assert (cone.radius, cone.half_length) == (2.0, 0.5)
    assert cone.shape_type is not ShapeType.Cone and int(cone.shape_type) == int(ShapeType.Cone)
    capsule = as_shape(Capsule(0.25, 1.0))
    assert (capsule.radius, capsule.half_length) == (0.25, 0.5)


def test_mesh():
    mesh = PyMesh("/no/such/file.stl")
    assert mesh.mesh_path == "/no/such/file.stl"
    with pytest.raises(TypeError):
        PyMesh(3)


def test_shapes_are_not_validated():
    assert Sphere(-1.0) is not None
    assert np.isinf(Cylinder(1e300, 1.0).radius())


# ---- geometry objects ---------------------------------------------------------------------

def test_geometry_object_defaults_and_fields():
    placement = SE3(rotation([0, 0, 1], 0.3), np.array([1.0, 2.0, 3.0]))
    obj = GeometryObject("link", 2, 3, Cylinder(0.1, 0.4), placement)
    assert (obj.name, obj.parent_joint, obj.parent_frame, obj.disable_collision) == ("link", 2, 3, False)
    np.testing.assert_array_equal(obj.mesh_color, [0, 0, 0, 1])
    np.testing.assert_array_equal(obj.placement.homogeneous, placement.homogeneous)
    assert repr(obj.geometry.shape_type) == "ShapeType.Cylinder"
    assert obj.geometry.half_length == float(F32(0.4) * F32(0.5))
    placement.translation = np.zeros(3)
    assert obj.placement.translation[0] == 1.0  # the constructor copied it


@pytest.mark.parametrize(
    "args, error, message",
    [
        (("a", 0, 0, Sphere(1.0)), ValueError,
         "incorrect number of arguments, expected 5, but got 4. Signature: "
         "GeometryObject(name, parent_joint, parent_frame, geometry, placement)"),
        (("a", 0, 0, Sphere(1.0), SE3.Identity(), 1), ValueError,
         "incorrect number of arguments, expected 5, but got 6. Signature: "
         "GeometryObject(name, parent_joint, parent_frame, geometry, placement)"),
        ((1, 0, 0, Sphere(1.0), SE3.Identity()), TypeError, "'int' object cannot be converted to 'PyString'"),
        (("a", "0", 0, Sphere(1.0), SE3.Identity()), TypeError, "'str' object cannot be interpreted as an integer"),
        (("a", 0, 0, Sphere(1.0), np.eye(4)), TypeError, "'ndarray' object cannot be converted to 'SE3'"),
        (("a", 0, 0, PyMesh("m.stl"), SE3.Identity()), ValueError, None),
        (("a", 0, 0, 5, SE3.Identity()), ValueError, "expected a shape for 'geometry', but got 5"),
    ],
)
def test_geometry_object_errors(args, error, message):
    with pytest.raises(error) as info:
        GeometryObject(*args)
    if message:
        assert str(info.value) == message
    else:
        assert str(info.value).startswith("expected a shape for 'geometry', but got <PyMesh object at ")


def test_geometry_object_refuses_shape_views_keywords_and_negative_ids():
    view = as_shape(Sphere(1.0))
    with pytest.raises(ValueError, match="expected a shape for 'geometry'"):
        GeometryObject("a", 0, 0, view, SE3.Identity())
    with pytest.raises(ValueError, match="expected a shape for 'geometry'"):
        GeometryObject("a", 0, 0, SE3.Identity(), SE3.Identity())
    with pytest.raises(TypeError, match="unexpected keyword argument 'name'"):
        GeometryObject(name="a")
    with pytest.raises(OverflowError):
        GeometryObject("a", -1, 0, Sphere(1.0), SE3.Identity())


@pytest.mark.parametrize("shape", [Capsule(1, 2), Cone(1, 2), Cuboid([1, 2, 3]), Cylinder(1, 2), Sphere(1)])
def test_every_primitive_is_accepted(shape):
    assert GeometryObject("a", 0, 0, shape, SE3.Identity()).geometry is not None


def test_mesh_color():
    obj = GeometryObject("a", 0, 0, Sphere(1.0), SE3.Identity())
    obj.mesh_color = np.array([1.0, 0.0, 0.0, 0.5])
    np.testing.assert_array_equal(obj.mesh_color, [1, 0, 0, 0.5])
    obj.mesh_color = np.arange(8.0)[::2]
    np.testing.assert_array_equal(obj.mesh_color, [0, 2, 4, 6])
    for bad, n in ((np.zeros(3), 3), (np.zeros(5), 5), (np.zeros((2, 2)), 4), (np.zeros((1, 4)), 4),
                   (np.zeros((4, 1)), 4)):
        with pytest.raises(ValueError) as info:
            obj.mesh_color = bad
        assert str(info.value) == f"expected a NumPy array of length 4 for 'color', but got {n}"
    with pytest.raises(TypeError, match="^argument 'color': "):
        obj.mesh_color = [1.0, 0.0, 0.0, 1.0]
    with pytest.raises(TypeError, match="^argument 'color': "):
        obj.mesh_color = np.zeros(4, dtype=np.float32)
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del obj.mesh_color
    np.testing.assert_array_equal(obj.mesh_color, [0, 2, 4, 6])


def test_geometry_object_repr():
    obj = GeometryObject('say "hi"', 1, 2, Sphere(1.0), SE3(np.eye(3), np.array([0.5, 0.0, 1e-5])))
    obj.mesh_color = np.array([0.25, 0.5, 0.75, 1.0])
    lines = repr(obj).split("\n")
    assert lines[:6] == ["GeometryObject {", '    name: "say \\"hi\\"",', "    parent_joint: 1,",
                         "    parent_frame: 2,", "    disable_collision: false,", "    mesh_color: Color("]
    assert lines[6:14] == ["        [", "            [", "                0.25,", "                0.5,",
                           "                0.75,", "                1.0,", "            ],", "        ],"]
    assert lines[14:17] == ["    ),", "    placement: SE3(", "        Isometry {"]
    assert "                1e-5," in lines and lines[-2:] == ["    ),", "}"]


# ---- geometry models ----------------------------------------------------------------------

def test_empty_geometry_model():
    model = GeometryModel()
    assert model.ngeoms == 0 and model.geometry_objects == [] and model.get_geometry_id("x") is None
    assert repr(model) == "GeometryModel {\n    objects: [],\n}"


def test_add_and_find_objects():
    model = GeometryModel()
    objects = [GeometryObject(name, 0, 0, Sphere(1.0), SE3.Identity()) for name in ("a", "b", "a")]
    assert [model.add_geometry_object(o) for o in objects] == [0, 1, 2]
    assert model.ngeoms == 3
    assert model.get_geometry_id("a") == 0 and model.get_geometry_id("b") == 1
    assert [o.name for o in model.geometry_objects] == ["a", "b", "a"]
    objects[0].mesh_color = np.ones(4)
    model.geometry_objects[1].mesh_color = np.ones(4)
    for stored in model.geometry_objects:
        np.testing.assert_array_equal(stored.mesh_color, [0, 0, 0, 1])
    text = repr(model)
    assert text.startswith("GeometryModel {\n    objects: [\n        GeometryObject {\n")
    assert text.count("GeometryObject {") == 3 and text.endswith("        },\n    ],\n}")
    with pytest.raises(TypeError, match="^argument 'object': "):
        model.add_geometry_object(Sphere(1.0))


def test_docstrings():
    assert GeometryModel.add_geometry_object.__doc__.startswith("Adds a new geometry model to the list of models.")
    assert GeometryModel.geometry_objects.__doc__ == "Returns the list of geometry objects in the model."
    assert GeometryModel.create_data.__text_signature__ == "($self, data)"
    assert GeometryData.get_object_placement.__text_signature__ == "($self, object_index)"
    assert GeometryData.update_geometry_data.__text_signature__ == "($self, data, geom_model)"


# ---- geometry data ------------------------------------------------------------------------

def geometry_for(robot, rng, per_joint=2):
    geom = GeometryModel()
    expected = []
    for joint in range(robot.model.njoints):
        for k in range(per_joint):
            h = homogeneous(rotation(rng.normal(size=3), rng.uniform(-3, 3)), rng.uniform(-1, 1, 3))
            geom.add_geometry_object(GeometryObject(f"g{joint}_{k}", joint, 0, Sphere(0.1), se3(h)))
            expected.append((joint, h))
    return geom, expected


def test_placements_follow_forward_kinematics():
    robot = RevoluteTree(21, 5, chain=False)
    rng = np.random.default_rng(21)
    geom, expected = geometry_for(robot, rng)
    data = robot.model.create_data()
    fresh = GeometryData(data, geom)
    for k, (_, h) in enumerate(expected):  # identity joint placements before kinematics
        np.testing.assert_allclose(fresh.get_object_placement(k).homogeneous, h, atol=1e-15)
    q = rng.uniform(-np.pi, np.pi, 5)
    forward_kinematics(robot.model, data, q)
    world = robot.world(q)
    stale = geom.create_data(data)
    for gd in (GeometryData(data, geom), stale):
        for k, (joint, h) in enumerate(expected):
            np.testing.assert_allclose(gd.get_object_placement(k).homogeneous, world[joint] @ h, atol=1e-12)
    q2 = rng.uniform(-np.pi, np.pi, 5)
    forward_kinematics(robot.model, data, q2)
    np.testing.assert_allclose(stale.get_object_placement(3).homogeneous,
                               world[expected[3][0]] @ expected[3][1], atol=1e-12)  # not followed yet
    assert stale.update_geometry_data(data, geom) is None
    world2 = robot.world(q2)
    for k, (joint, h) in enumerate(expected):
        np.testing.assert_allclose(stale.get_object_placement(k).homogeneous, world2[joint] @ h, atol=1e-12)


def test_identity_placement_equals_the_joint_placement():
    robot = RevoluteTree(22, 3)
    geom = GeometryModel()
    geom.add_geometry_object(GeometryObject("tip", 3, 0, Sphere(0.1), SE3.Identity()))
    data = robot.model.create_data()
    forward_kinematics(robot.model, data, np.array([0.1, 0.2, 0.3]))
    np.testing.assert_array_equal(GeometryData(data, geom).get_object_placement(0).homogeneous,
                                  data.oMi[3].homogeneous)


def test_object_placement_errors_and_model_switch():
    robot = RevoluteTree(23, 2)
    rng = np.random.default_rng(23)
    geom, _ = geometry_for(robot, rng, per_joint=1)
    data = robot.model.create_data()
    gd = GeometryData(data, geom)
    with pytest.raises(KeyError) as info:
        gd.get_object_placement(geom.ngeoms)
    assert info.value.args == (f"Object with index {geom.ngeoms} not found",)
    with pytest.raises(OverflowError):
        gd.get_object_placement(-1)
    bigger, _ = geometry_for(robot, rng, per_joint=3)
    gd.update_geometry_data(data, bigger)
    gd.get_object_placement(bigger.ngeoms - 1)
    gd.update_geometry_data(data, GeometryModel())
    with pytest.raises(KeyError):
        gd.get_object_placement(0)


def test_missing_parent_joint_is_an_internal_failure():
    geom = GeometryModel()
    geom.add_geometry_object(GeometryObject("ok", 0, 0, Sphere(0.1), SE3.Identity()))
    geom.add_geometry_object(GeometryObject("far", 5, 0, Sphere(0.1), SE3.Identity()))
    data = Model().create_data()
    with pytest.raises(kinetra.PanicException, match="index out of bounds"):
        GeometryData(data, geom)
    with pytest.raises(kinetra.PanicException):
        geom.create_data(data)
    good = GeometryModel()
    gd = GeometryData(data, good)
    with pytest.raises(kinetra.PanicException):
        gd.update_geometry_data(data, geom)
    gd.get_object_placement(0)  # the objects before the failing one were recomputed
    with pytest.raises(KeyError):
        gd.get_object_placement(1)


def test_geometry_data_argument_errors():
    with pytest.raises(TypeError, match="^argument 'data': "):
        GeometryData(Model(), GeometryModel())
    with pytest.raises(TypeError, match="^argument 'geom_model': "):
        GeometryData(Data(Model()), Model())
