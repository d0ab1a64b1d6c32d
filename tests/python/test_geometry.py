"""kinetra.shapora shapes, geometry objects, geometry models and geometry data."""

import re

import numpy as np
import pytest

import kinetra
import kinetra.shapora as shapora
from kinetra import GeometryData, GeometryModel, GeometryObject, Model, SE3, forward_kinematics
from kinetra.shapora import Capsule, Cone, Cuboid, Cylinder, PyMesh, Shape, ShapeType, Sphere

from robots import RevoluteTree, random_placement, rotation, se3

F32 = np.float32


def as_shape(shape):
    """The Shape view of a shape, through a geometry object."""
    return GeometryObject("g", 0, 0, shape, SE3.Identity()).geometry


# ---- shapes -----------------------------------------------------------------------------

def test_registration_and_types():
    assert shapora.__all__ == "Capsule Cone Cuboid Cylinder Sphere PyMesh Shape ShapeType".split()
    for k, name in enumerate(["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "Mesh"]):
        assert (int(getattr(ShapeType, name)), repr(getattr(ShapeType, name))) == (k, f"ShapeType.{name}")
    for cls, signature in ((Capsule, "(radius, length)"), (Cone, "(radius, length)"), (Cuboid, "(sides)"),
                           (Cylinder, "(radius, length)"), (Sphere, "(radius)"), (PyMesh, "(path)")):
        assert cls.__text_signature__ == signature and cls.__module__ == "builtins"


@pytest.mark.parametrize("length", [0.1, 1e-30, 3.0000001, 1e39, -2.5, np.inf, np.nan, 16777217.0])
@pytest.mark.parametrize("cls", [Capsule, Cone, Cylinder])
def test_radius_and_half_length_are_rounded_to_single_precision(cls, length):
    with np.errstate(over="ignore"):
        expected = float(F32(length) * F32(0.5))  # rounding first, then halving, both in f32
    view, own = as_shape(cls(0.1, length)), [] if cls is Capsule else [cls(0.1, length)]  # with methods
    got = [view.half_length] + [shape.half_length() for shape in own]
    assert all(g == expected or np.isnan(g) and np.isnan(expected) for g in got)
    assert all(r == float(F32(0.1)) == 0.10000000149011612 for r in [view.radius] + [s.radius() for s in own])
    assert type(view) is Shape and repr(view.shape_type) == f"ShapeType.{cls.__name__}"


def test_cuboid_sphere_and_mesh():
    shape = as_shape(Cuboid([2.0, 4.0, 6.0, 8.0]))  # extra sides are ignored
    extents = shape.half_extents
    assert extents.dtype == np.float32
    np.testing.assert_array_equal(extents, [1.0, 2.0, 3.0])
    np.testing.assert_array_equal(as_shape(Cuboid(np.array([0.1, 0.2, 0.3]))).half_extents,
                                  np.array([0.1, 0.2, 0.3], dtype=F32) * F32(0.5))
    sphere = as_shape(Sphere(0.5))
    assert sphere.radius == 0.5 and as_shape(Sphere(-1.0)).radius == -1.0  # not validated
    for view, name, message in ((shape, "radius", "Shape does not have a radius"),
                                (sphere, "half_length", "Shape does not have a half length"),
                                (sphere, "mesh_path", "Shape is not a mesh and does not have a path"),
                                (sphere, "half_extents", "Shape does not have half extents")):
        with pytest.raises(ValueError, match=f"^{message}$"):
            getattr(view, name)
    assert PyMesh("/no/such/file.stl").mesh_path == "/no/such/file.stl"


@pytest.mark.parametrize("sides, error", [([], ValueError), ([1.0, 2.0], ValueError), ("abc", TypeError),
                                          (3.0, TypeError), ([1.0, "x", 2.0], TypeError)])
def test_cuboid_needs_a_sequence_of_three_numbers(sides, error):
    with pytest.raises(error, match="three side lengths" if error is ValueError else "^argument 'sides': "):
        Cuboid(sides)


# ---- geometry objects ---------------------------------------------------------------------

def test_geometry_object_defaults_and_fields():
    placement = SE3(rotation([0, 0, 1], 0.3), np.array([1.0, 2.0, 3.0]))
    obj = GeometryObject("link", 2, 3, Cylinder(0.1, 0.4), placement)
    assert (obj.name, obj.parent_joint, obj.parent_frame, obj.disable_collision) == ("link", 2, 3, False)
    np.testing.assert_array_equal(obj.mesh_color, [0, 0, 0, 1])
    np.testing.assert_array_equal(obj.placement.homogeneous, placement.homogeneous)
    placement.translation = np.zeros(3)
    assert obj.placement.translation[0] == 1.0  # the constructor copied it
    with pytest.raises(TypeError, match="unexpected keyword argument 'name'$"):
        GeometryObject(name="a")


BALL, HOME = Sphere(1.0), SE3.Identity()
NOT_A_SHAPE = "expected a shape for 'geometry', but got "


@pytest.mark.parametrize("args, error, message", [
    (("a", 0, 0, BALL), ValueError, "incorrect number of arguments, expected 5, but got 4. "
     "Signature: GeometryObject(name, parent_joint, parent_frame, geometry, placement)"),
    ((1, 0, 0, BALL, HOME), TypeError, "'int' object cannot be converted to 'PyString'"),
    (("a", 0, 0, 5, HOME), ValueError, NOT_A_SHAPE + "5"),
    (("a", 0, 0, PyMesh("m.stl"), HOME), ValueError, NOT_A_SHAPE + "<PyMesh object at "),
    (("a", 0, 0, as_shape(BALL), HOME), ValueError, NOT_A_SHAPE + "<Shape object at "),
])
def test_geometry_object_errors(args, error, message):
    with pytest.raises(error, match="^" + re.escape(message)):
        GeometryObject(*args)


def test_mesh_color():
    obj = GeometryObject("a", 0, 0, Sphere(1.0), SE3.Identity())
    obj.mesh_color = np.arange(8.0)[::2]
    np.testing.assert_array_equal(obj.mesh_color, [0, 2, 4, 6])
    for bad, n in ((np.zeros(3), 3), (np.zeros(5), 5), (np.zeros((2, 2)), 4), (np.zeros((1, 4)), 4)):
        with pytest.raises(ValueError) as info:
            obj.mesh_color = bad
        assert str(info.value) == f"expected a NumPy array of length 4 for 'color', but got {n}"
    np.testing.assert_array_equal(obj.mesh_color, [0, 2, 4, 6])


def test_geometry_object_repr():
    obj = GeometryObject('say "hi"', 1, 2, Sphere(1.0), SE3(np.eye(3), np.array([0.5, 0.0, 1e-5])))
    obj.mesh_color = np.array([0.25, 0.5, 0.75, 1.0])
    text = repr(obj)
    assert text.startswith('GeometryObject {\n    name: "say \\"hi\\"",\n    parent_joint: 1,\n'
                           "    parent_frame: 2,\n    disable_collision: false,\n    mesh_color: Color(\n"
                           "        [\n            [\n                0.25,\n                0.5,\n"
                           "                0.75,\n                1.0,\n            ],\n        ],\n    ),\n"
                           "    placement: SE3(\n        Isometry {\n")
    assert "\n                1e-5,\n" in text and text.endswith("\n    ),\n}")


# ---- geometry models ----------------------------------------------------------------------

def test_geometry_model_ids_lookup_copies_and_repr():
    model = GeometryModel()
    assert model.get_geometry_id("a") is None and repr(model) == "GeometryModel {\n    objects: [],\n}"
    objects = [GeometryObject(name, 0, 0, Sphere(1.0), SE3.Identity()) for name in ("a", "b", "a")]
    assert [model.add_geometry_object(o) for o in objects] == [0, 1, 2] and model.ngeoms == 3
    assert model.get_geometry_id("a") == 0 and model.get_geometry_id("b") == 1
    assert [o.name for o in model.geometry_objects] == ["a", "b", "a"]
    objects[0].mesh_color = np.ones(4)
    model.geometry_objects[1].mesh_color = np.ones(4)
    assert all(np.array_equal(stored.mesh_color, [0, 0, 0, 1]) for stored in model.geometry_objects)
    text = repr(model)
    assert text.startswith("GeometryModel {\n    objects: [\n        GeometryObject {\n")
    assert text.count("GeometryObject {") == 3 and text.endswith("        },\n    ],\n}")


# ---- geometry data ------------------------------------------------------------------------

def assert_placements(geometry_data, expected, world):
    for k, (joint, h) in enumerate(expected):
        np.testing.assert_allclose(geometry_data.get_object_placement(k).homogeneous, world[joint] @ h,
                                   atol=1e-12)


def test_placements_follow_forward_kinematics_on_update():
    robot, rng = RevoluteTree(21, 5, chain=False), np.random.default_rng(21)
    geom, expected = GeometryModel(), [(joint, random_placement(rng)) for joint in range(6) for _ in range(2)]
    for k, (joint, h) in enumerate(expected):
        geom.add_geometry_object(GeometryObject(f"g{k}", joint, 0, Sphere(0.1), se3(h)))
    data = robot.model.create_data()
    q, q2 = rng.uniform(-np.pi, np.pi, (2, 5))
    forward_kinematics(robot.model, data, q)
    world = [p.homogeneous for p in data.oMi]  # checked against matrix products by the C++ suite
    stale = geom.create_data(data)
    for geometry_data in (GeometryData(data, geom), stale):
        assert_placements(geometry_data, expected, world)
    forward_kinematics(robot.model, data, q2)
    assert_placements(stale, expected, world)  # geometry data does not follow by itself
    assert stale.update_geometry_data(data, geom) is None
    assert_placements(stale, expected, [p.homogeneous for p in data.oMi])
    with pytest.raises(KeyError) as info:
        stale.get_object_placement(12)
    assert info.value.args == ("Object with index 12 not found",)
    stale.update_geometry_data(data, GeometryModel())  # the objects are those of the model given
    with pytest.raises(KeyError):
        stale.get_object_placement(0)


def test_missing_parent_joint_is_an_internal_failure():
    geom = GeometryModel()
    geom.add_geometry_object(GeometryObject("ok", 0, 0, Sphere(0.1), SE3.Identity()))
    geom.add_geometry_object(GeometryObject("far", 5, 0, Sphere(0.1), SE3.Identity()))
    data = Model().create_data()
    for make in (lambda: GeometryData(data, geom), lambda: geom.create_data(data)):
        with pytest.raises(kinetra.PanicException, match="index out of bounds"):
            make()
    gd = GeometryData(data, GeometryModel())
    with pytest.raises(kinetra.PanicException):
        gd.update_geometry_data(data, geom)
    gd.get_object_placement(0)  # the objects before the failing one were recomputed
    with pytest.raises(KeyError):
        gd.get_object_placement(1)
