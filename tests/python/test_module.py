"""Module layout: registration order, constants, the submodule and re-import."""

import pathlib
import re
import subprocess
import sys

import numpy as np
import pytest

import kinetra

ROOT = pathlib.Path(__file__).resolve().parents[2]

EXPECTED_ALL = [
    "Configuration",
    "Model",
    "Data",
    "Frame",
    "FrameType",
    "JointModel",
    "GeometryModel",
    "GeometryData",
    "GeometryObject",
    "neutral",
    "random_configuration",
    "build_models_from_urdf",
    "WORLD_ID",
    "STANDARD_GRAVITY",
    "Inertia",
    "JointType",
    "JointModelRX",
    "JointModelRY",
    "JointModelRZ",
    "SE3",
    "Vector3D",
    "Vector6D",
    "Symmetric3",
    "forward_kinematics",
    "forward_dynamics",
    "aba",
    "inverse_dynamics",
    "rnea",
    "shapora",
]


def test_all_lists_the_registered_names_in_order():
    assert kinetra.__all__ == EXPECTED_ALL
    for name in kinetra.__all__:
        assert hasattr(kinetra, name)


def test_module_object():
    assert kinetra.__name__ == "kinetra"
    assert kinetra.__doc__ == ""
    assert isinstance(kinetra.SE3, type) and "kinetra.SE3" not in sys.modules


def test_world_id():
    assert kinetra.WORLD_ID == 0 and type(kinetra.WORLD_ID) is int


def test_standard_gravity_is_a_fresh_writeable_array():
    gravity = kinetra.STANDARD_GRAVITY
    assert gravity.dtype == np.float64 and gravity.shape == (3,)
    assert gravity.flags.c_contiguous and gravity.flags.writeable and gravity.flags.owndata
    np.testing.assert_array_equal(gravity, [0.0, 0.0, -9.81])


@pytest.mark.parametrize(
    "name, signature, doc",
    [
        ("SE3", "(rotation, translation)", "Python wrapper for the SE(3) group."),
        ("Vector3D", "(x, y, z)", ""),
        ("Vector6D", "(x, y, z, w, v, u)", "Python wrapper for spatial motion vectors (`Vector6D`)."),
        ("Symmetric3", "(m11, m22, m33, m12, m13, m23)", ""),
        ("Configuration", None, "Python wrapper for the `Configuration` struct."),
        ("Inertia", "(mass, com, inertia)", "A Python wrapper for the [`Inertia`] struct."),
        ("Model", "()", "A [`Model`] is a data structure that contains the information about the robot "
         "model,\nincluding the joints models, placements, the link inertias, and the frames."),
        ("Data", "(model)", "A Python wrapper for the `Data` struct."),
        ("Frame", "(name, parent_joint, parent_frame, placement, frame_type, inertia)", ""),
        ("FrameType", None, ""),
        ("JointModel", None, "A Python wrapper for the `JointWrapper` type."),
        ("JointType", None, "Enum representing the type of joint."),
        ("GeometryModel", "()", "A Python wrapper for the [`GeometryModel`] struct."),
        ("GeometryData", "(data, geom_model)", "A Python wrapper for the `GeometryData` struct."),
        ("GeometryObject", "(*py_args)", "A Python wrapper for the `GeometryObject` struct."),
    ],
)
def test_class_signatures_and_docstrings(name, signature, doc):
    cls = getattr(kinetra, name)
    assert cls.__text_signature__ == signature
    assert (cls.__doc__ or "") == doc
    assert cls.__module__ == "builtins"
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})


@pytest.mark.parametrize(
    "method, signature, doc",
    [
        (kinetra.Model.add_joint, "($self, parent_id, joint_model, placement, name)",
         "Adds a joint to the model.\n\n# Arguments\n\n* `parent_id` - The identifier of the parent joint.\n"
         "* `joint_model` - The joint model to add.\n* `placement` - The placement of the joint in the "
         "parent frame.\n* `name` - The name of the joint."),
        (kinetra.Model.get_joint_id, "($self, name)", None),
        (kinetra.Model.create_data, "($self)", None),
        (kinetra.Model.add_frame, "($self, frame, append_inertia)", None),
        (kinetra.Inertia.FromSphere, "(mass, radius)",
         "Creates a new inertia sphere with the given parameters.\n\n# Arguments\n\n* `mass` - The mass "
         "of the sphere.\n* `radius` - The radius of the sphere.\n\n# Returns\nA new [`Inertia`] object "
         "representing a sphere."),
        (kinetra.SE3.Random, "()", None),
        (kinetra.Symmetric3.to_numpy, "($self)", None),
    ],
)
def test_method_signatures_and_docstrings(method, signature, doc):
    assert method.__text_signature__ == signature
    assert method.__doc__ == doc


def test_configuration_has_no_constructor():
    with pytest.raises(TypeError, match="^No constructor defined for Configuration$"):
        kinetra.Configuration()


def test_gravity_copy_is_independent():
    kinetra.STANDARD_GRAVITY[2] = 1.0
    try:
        import importlib

        sys.modules.pop("kinetra")
        again = importlib.import_module("kinetra")
        assert again.STANDARD_GRAVITY[2] == 1.0  # the same module object, not rebuilt
    finally:
        kinetra.STANDARD_GRAVITY[2] = -9.81
        sys.modules["kinetra"] = kinetra


def test_shapora_submodule():
    import kinetra.shapora as shapora
    from kinetra import shapora as same

    assert shapora is same is kinetra.shapora is sys.modules["kinetra.shapora"]
    assert shapora.__name__ == "shapora" and shapora.__doc__ is None


def test_reimport_returns_the_same_module():
    module = sys.modules.pop("kinetra")
    try:
        import kinetra as again

        assert again is module
        assert again.__all__ == EXPECTED_ALL
    finally:
        sys.modules["kinetra"] = module


SUBINTERPRETER_IMPORT = """
import _interpreters
import kinetra
child = _interpreters.create(_interpreters.new_config("legacy"))
_interpreters.exec(child, '''
import sys
try:
    import kinetra
    sys.stdout.write("imported")
except ImportError as error:
    sys.stdout.write("refused: " + str(error))
''')
"""


def test_second_interpreter_is_refused():
    pytest.importorskip("_interpreters")
    result = subprocess.run([sys.executable, "-c", SUBINTERPRETER_IMPORT],
                            capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("refused: ") and "subinterpreters" in result.stdout


def test_import_in_a_fresh_process_is_warning_free():
    result = subprocess.run([sys.executable, "-W", "error", "-c", "import kinetra, kinetra.shapora"],
                            capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr


def test_core_files_do_not_include_python_or_numpy():
    pattern = re.compile(r'#\s*include\s*[<"](Python\.h|numpy/|python/)')
    offenders = []
    for path in sorted((ROOT / "src").rglob("*")):
        if path.suffix not in {".cpp", ".hpp"} or path.name.endswith("_py.cpp"):
            continue
        if path.parent.name == "python":
            continue
        if pattern.search(path.read_text()):
            offenders.append(str(path.relative_to(ROOT)))
    assert offenders == []
