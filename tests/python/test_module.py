"""Module layout: registration order, constants, the submodule and re-import."""

import pathlib
import re
import subprocess
import sys
import tomllib

import numpy as np
import pytest

import kinetra

ROOT = pathlib.Path(__file__).resolve().parents[2]

EXPECTED_ALL = (
    "Configuration Model Data Frame FrameType JointModel GeometryModel GeometryData GeometryObject neutral "
    "random_configuration build_models_from_urdf WORLD_ID STANDARD_GRAVITY Inertia JointType JointModelRX "
    "JointModelRY JointModelRZ SE3 Vector3D Vector6D Symmetric3 forward_kinematics forward_dynamics aba "
    "inverse_dynamics rnea shapora"
).split()


def test_all_lists_the_registered_names_in_order():
    assert kinetra.__all__ == EXPECTED_ALL
    assert all(hasattr(kinetra, name) for name in kinetra.__all__)
    assert kinetra.WORLD_ID == 0 and type(kinetra.WORLD_ID) is int


def test_version_is_the_projects():
    project = tomllib.loads((ROOT / "pyproject.toml").read_text())["project"]
    assert kinetra.__version__ == project["version"] and "__version__" not in kinetra.__all__


def test_standard_gravity_is_a_fresh_writeable_copy():
    gravity = kinetra.STANDARD_GRAVITY
    assert gravity.dtype == np.float64 and gravity.flags.writeable and gravity.flags.owndata
    np.testing.assert_array_equal(gravity, [0.0, 0.0, -9.81])
    gravity[:] = 0.0
    try:
        np.testing.assert_array_equal(kinetra.Model().gravity, [0.0, 0.0, -9.81])
    finally:
        gravity[:] = [0.0, 0.0, -9.81]


MODEL_DOC = ("A [`Model`] is a data structure that contains the information about the robot model,\n"
             "including the joints models, placements, the link inertias, and the frames.")


@pytest.mark.parametrize(
    "name, signature, doc",
    [
        ("SE3", "(rotation, translation)", "Python wrapper for the SE(3) group."),
        ("Vector3D", "(x, y, z)", ""),
        ("Vector6D", "(x, y, z, w, v, u)", "Python wrapper for spatial motion vectors (`Vector6D`)."),
        ("Symmetric3", "(m11, m22, m33, m12, m13, m23)", ""),
        ("Configuration", None, "Python wrapper for the `Configuration` struct."),
        ("Inertia", "(mass, com, inertia)", "A Python wrapper for the [`Inertia`] struct."),
        ("Model", "()", MODEL_DOC),
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
    assert (cls.__text_signature__, cls.__doc__ or "", cls.__module__) == (signature, doc, "builtins")
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})
    if signature is None:
        with pytest.raises(TypeError, match=f"^No constructor defined for {name}$"):
            cls()


def test_submodule_and_reimport():
    import kinetra.shapora as shapora
    from kinetra import shapora as same

    assert shapora is same is kinetra.shapora is sys.modules["kinetra.shapora"]
    assert shapora.__name__ == "shapora" and "kinetra.SE3" not in sys.modules
    module = sys.modules.pop("kinetra")
    try:
        import kinetra as again

        assert again is module  # the same module object, not rebuilt
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


@pytest.mark.parametrize("args, output", [(["-c", SUBINTERPRETER_IMPORT], "refused: "),
                                          (["-W", "error", "-c", "import kinetra, kinetra.shapora"], "")])
def test_fresh_processes(args, output):
    """A second interpreter is refused; importing raises no warning."""
    result = subprocess.run([sys.executable, *args], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith(output) and (not output or "subinterpreters" in result.stdout)


def test_core_files_do_not_include_python_or_numpy():
    pattern = re.compile(r'#\s*include\s*[<"](Python\.h|numpy/|python/|module/)')
    offenders = [str(path.relative_to(ROOT)) for path in sorted((ROOT / "src").rglob("*"))
                 if path.suffix in {".cpp", ".hpp"} and not path.stem.endswith("_py")
                 and path.parent.name not in {"python", "module"} and pattern.search(path.read_text())]
    assert offenders == []


def test_toolkit_includes_nothing_of_the_core():
    core = {path.name for path in (ROOT / "src").iterdir() if path.is_dir()} - {"python", "module"}
    include = re.compile(r'#\s*include\s*"([^/"]+)/')
    offenders = [f"{path.name}: {folder}" for path in sorted((ROOT / "src" / "python").iterdir())
                 for folder in include.findall(path.read_text()) if folder in core]
    assert offenders == []
