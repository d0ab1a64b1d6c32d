"""The reading options: paths of any kind, text, reading without mesh files, strict reading, and the
notes that say where an error arose."""

import os
import pathlib
import pickle

import numpy as np
import pytest

import kinetra

from robots import rotation
from test_urdf import A, B, CHILD, LIMIT, error, joint, link, load, robot, visual


def mesh_link(filename):
    return link("a", visual(f'<mesh filename="{filename}"/>', tag="collision"))


def mesh_paths(models):
    return [g.geometry.mesh_path for geometry in models[1:] for g in geometry.geometry_objects]


class CustomPath:  # an os.PathLike that is not a pathlib path
    def __init__(self, path):
        self.path = path

    def __fspath__(self):
        return str(self.path)


@pytest.mark.parametrize("convert", [str, pathlib.Path, CustomPath, os.fsencode],
                         ids=["str", "Path", "fspath", "bytes"])
def test_any_path_and_the_text_read_alike(tmp_path, convert):
    (tmp_path / "m.stl").write_text("")
    text = robot(mesh_link("m.stl"), B, joint("j", "a", "b"))
    path = tmp_path / "robot.urdf"
    path.write_text(text)
    root = {"root_joint": kinetra.JointModelFreeFlyer()}
    from_file = kinetra.build_models_from_urdf(convert(path), convert(tmp_path), **root)
    from_text = kinetra.build_models_from_xml(text, convert(tmp_path), **root)
    assert mesh_paths(from_file) == mesh_paths(from_text) == [f"{tmp_path}/m.stl"]
    assert pickle.dumps(from_file[0]) == pickle.dumps(from_text[0])
    assert from_file[0].nq == 8


CANNOT = "object cannot be converted to 'PyString'"
PATHS = "a path is a str, a bytes or an os.PathLike object"


@pytest.mark.parametrize("function, arguments, error_type, message, note", [
    ("urdf", (3,), TypeError, f"argument 'filepath': 'int' {CANNOT}", PATHS),
    ("urdf", ("r.urdf", [1]), TypeError, f"argument 'package_dir': 'list' {CANNOT}", PATHS),
    ("xml", ("<robot/>", b"\xff"), UnicodeDecodeError,
     "'utf-8' codec can't decode byte 0xff in position 0: invalid start byte",
     "a bytes path must be UTF-8, like every name the module reads"),
    ("xml", (pathlib.Path("r.urdf"),), TypeError, f"argument 'xml': 'PosixPath' {CANNOT}", None),
])
def test_arguments_that_are_no_path(function, arguments, error_type, message, note):
    with pytest.raises(error_type) as info:
        getattr(kinetra, f"build_models_from_{function}")(*arguments)
    assert str(info.value) == message
    assert getattr(info.value, "__notes__", [None]) == [note]


def test_xml_function_and_its_keywords():
    function = kinetra.build_models_from_xml
    assert function.__text_signature__ == (
        "(xml, package_dir=None, *, root_joint=None, check_meshes=True, strict=False)")
    assert "build_models_from_xml" not in kinetra.__all__
    assert "check_meshes=False" in function.__doc__
    with pytest.raises(TypeError, match="takes from 1 to 2 positional arguments but 3 were given"):
        function(robot(), None, None)
    with pytest.raises(TypeError, match="argument 'strict': 'NoneType' object cannot be converted"):
        function(robot(), strict=None)


UNCHECKED = {  # mesh name, ROS_PACKAGE_PATH (None: unset), package_dir, path read without the
    # check; {t} is a temporary directory; in none of them does the mesh file exist
    "package": ("package://pkg/m.stl", "{t}/x:{t}/ws/pkg", None, "{t}/ws/pkg/m.stl"),
    "unset": ("package://pkg/m.stl", None, "{t}", "package://pkg/m.stl"),
    "unknown package": ("package://pkg/m.stl", "{t}/ws/other", None, "package://pkg/m.stl"),
    "no package path": ("package://pkg", "{t}/pkg", None, "package://pkg"),
    "relative": ("meshes/m.stl", None, "{t}/d", "{t}/d/meshes/m.stl"),
    "relative, no package_dir": ("meshes/m.stl", None, None, "meshes/m.stl"),
    "absolute": ("{t}/m.stl", None, None, "{t}/m.stl"),
}


@pytest.mark.parametrize("filename, env, package_dir, expected", UNCHECKED.values(), ids=UNCHECKED)
def test_meshes_read_without_their_files(tmp_path, monkeypatch, filename, env, package_dir,
                                         expected):
    monkeypatch.delenv("ROS_PACKAGE_PATH", raising=False)
    if env is not None:
        monkeypatch.setenv("ROS_PACKAGE_PATH", env.format(t=tmp_path))
    filename, expected = filename.format(t=tmp_path), expected.format(t=tmp_path)
    package_dir = package_dir and package_dir.format(t=tmp_path)
    text = robot(mesh_link(filename))
    assert mesh_paths(load(tmp_path, text, package_dir, check_meshes=False)) == [expected]
    assert error(tmp_path, text, package_dir).startswith("Invalid file path: ")
    if expected != filename or expected.startswith("/"):
        # with the file in place the check finds the same path
        pathlib.Path(expected).parent.mkdir(parents=True, exist_ok=True)
        pathlib.Path(expected).write_text("")
        assert mesh_paths(load(tmp_path, text, package_dir)) == [expected]


def axis_joint(kind, xyz):
    limit = "" if kind == "continuous" else LIMIT
    return f'<joint name="j" type="{kind}">{CHILD}<axis xyz="{xyz}"/>{limit}</joint>'


def massive(mass, entries='ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"'):
    return link("a", f'<inertial><mass value="{mass}"/><inertia {entries}/></inertial>')


FIXED = '<joint name="j" type="fixed">{}</joint>'
PQ = joint("pq", "p", "q") + joint("qp", "q", "p")  # a cycle
J, L = '<joint name="j">', '<link name="a">'
AXIS = " has an axis that is zero or not finite: "
MASS = " has a mass that is negative or not finite: "
FAR = " is not reachable from a root link."
STRICT = {  # document body, the element refused, the rest of the message
    "unknown parent": (A + B + joint("j", "x", "b"), J,
                       " names the parent link 'x', which does not exist."),
    "no parent": (A + B + FIXED.format('<child link="b"/>'), J, " has no parent link."),
    "no parent link": (A + B + FIXED.format('<parent/><child link="b"/>'), J,
                       " has no parent link."),
    "no child": (A + FIXED.format('<parent link="a"/>'), J, " has no child link."),
    "no root": (link("p") + link("q") + PQ, '<robot name="r">',
                " has no root link: every link is the child of a joint."),
    "unreachable link": (A + link("p") + link("q") + PQ, '<link name="p">', FAR),
    "unreachable joint": (PQ + A + link("p") + link("q"), '<joint name="pq">', FAR),
    "zero axis": (A + B + axis_joint("revolute", "0 0 0"), J, AXIS + "[0.0, 0.0, 0.0]"),
    "prismatic": (A + B + axis_joint("prismatic", "0 -0 0"), J, AXIS + "[0.0, -0.0, 0.0]"),
    "infinite": (A + B + axis_joint("continuous", "1e300 1e300 0"), J,
                 AXIS + "[1e300, 1e300, 0.0]"),
    "negative mass": (massive(-1), L, MASS + "-1.0"),
    "not a number": (massive("nan"), L, MASS + "NaN"),
    "indefinite": (massive(1, 'ixx="1" ixy="2" ixz="0" iyy="1" iyz="0" izz="1"'), L,
                   " has an inertia that is not positive semi-definite: "
                   "ixx 1.0, ixy 2.0, ixz 0.0, iyy 1.0, iyz 0.0, izz 1.0"),
}


@pytest.mark.parametrize("body_xml, element, rest", STRICT.values(), ids=STRICT)
def test_strict_refusals_name_the_element(tmp_path, body_xml, element, rest):
    load(tmp_path, robot(body_xml))  # the plain reading skips it
    with pytest.raises(ValueError) as info:
        load(tmp_path, robot(body_xml), strict=True)
    assert (str(info.value), info.value.__notes__) == (element + rest, [f"in {element}"])


def inertia_text(m):
    entries = zip(("ixx", "ixy", "ixz", "iyy", "iyz", "izz"), m[np.triu_indices(3)], strict=True)
    return " ".join(f'{name}="{float(value)!r}"' for name, value in entries)


@pytest.mark.parametrize("eigenvalues, accepted", [
    ((0.0, 0.0, 3e-3), True),  # a thin rod or a rank-one tensor: singular, rounding below zero
    ((0.0, 1.0, 1.0), True),
    ((-0.5e-12 * 2.0, 1.0, 1.0), True),  # within the tolerance, 1e-12 of the trace
    ((-2e-12 * 2.0, 1.0, 1.0), False),
    ((-1e-6, 1.0, 1.0), False),
    ((-1.0, 2.0, 2.0), False),  # positive trace and diagonal, one negative eigenvalue
])
def test_inertias_positive_semi_definite_up_to_rounding(eigenvalues, accepted):
    rng = np.random.default_rng(7)
    links = []
    for k in range(20):  # eigenvectors along random axes
        r = rotation(rng.normal(size=3), rng.uniform(-np.pi, np.pi))
        matrix = r @ np.diag(eigenvalues) @ r.T
        inertia = f'<inertial><mass value="1"/><inertia {inertia_text(matrix)}/></inertial>'
        links.append(link(f"l{k:02}", inertia))
    text = robot(*links)
    kinetra.build_models_from_xml(text)
    if accepted:
        assert kinetra.build_models_from_xml(text, strict=True)[0].nframes == 21
    else:
        with pytest.raises(ValueError, match='^<link name="l00"> has an inertia that is not '):
            kinetra.build_models_from_xml(text, strict=True)


@pytest.mark.parametrize("body_xml, notes", [
    (link("a", visual("<box/>")), ['in <link name="a">']),
    (link("a&quot;&amp;&lt;b>", '<inertial><mass value="1"/></inertial>'),
     ['in <link name="a&quot;&amp;&lt;b&gt;">']),
    ('<material name="m"/>', ['in <material name="m">']),
    (A + B + '<joint name="j" type="revolute"><parent link="a"/><child link="b"/></joint>',
     ['in <joint name="j">']),
    (A + B + joint("j", "a", "b") + joint("k", "a", "b"), ['in <joint name="k">']),  # b's second
    (A + B + '<joint type="fixed"><parent link="a"/><child link="b"/></joint>', ["in <joint>"]),
    (mesh_link("m.stl"),
     ['in <link name="a">', "check_meshes=False reads mesh names without looking for the files"]),
])
def test_notes_say_where_errors_arose(tmp_path, body_xml, notes):
    with pytest.raises(ValueError) as info:
        load(tmp_path, robot(body_xml), str(tmp_path))
    assert info.value.__notes__ == notes


def test_errors_of_the_whole_document_have_no_note(tmp_path):
    for text in ("<robot", "<r/>"):
        with pytest.raises(ValueError) as info:
            kinetra.build_models_from_xml(text)
        assert not hasattr(info.value, "__notes__")
    with pytest.raises(ValueError) as info:
        kinetra.build_models_from_urdf(tmp_path / "absent.urdf")
    assert str(info.value).startswith("IO error: ") and not hasattr(info.value, "__notes__")
    with pytest.raises(ValueError) as info:
        kinetra.build_models_from_urdf('\n<robot name="r"/>')  # a document where a file name goes
    assert info.value.__notes__ == ["filepath holds XML text, not a file name: build_models_from_xml reads text"]
