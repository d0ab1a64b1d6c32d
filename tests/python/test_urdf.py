"""build_models_from_urdf on small documents written for each case: the walk, inertias,
frames, joints and limits, materials, geometry, numbers, mesh paths and every error."""

import json
import pathlib
import re
import subprocess
import sys
from xml.sax.saxutils import quoteattr

import numpy as np
import pytest

import kinetra
from kinetra import GeometryModel, Model, forward_kinematics, neutral, random_configuration, rnea

from robots import homogeneous, rotation

F32 = np.float32
TAU = 2 * np.pi
LIMIT = '<limit effort="1" velocity="1"/>'
DEFAULT_COLOR = [0.9, 0.9, 0.9, 1.0]


# ---- helpers ------------------------------------------------------------------------------

def write(directory, text, name="robot.urdf"):
    path = directory / name
    path.write_text(text, encoding="utf-8")
    return str(path)


def load(tmp_path, text, package_dir=None):
    return kinetra.build_models_from_urdf(write(tmp_path, text), package_dir)


def error(tmp_path, text, package_dir=None):
    with pytest.raises(ValueError) as info:
        load(tmp_path, text, package_dir)
    return str(info.value)


def robot(*parts, name="r"):
    return f'<robot name="{name}">{"".join(parts)}</robot>'


def link(name, *parts):
    return f'<link name="{name}">{"".join(parts)}</link>'


def joint(name, parent, child, kind="revolute", *parts):
    limit = LIMIT if kind in ("revolute", "prismatic") else ""
    return (f'<joint name="{name}" type="{kind}"><parent link="{parent}"/><child link="{child}"/>'
            f'{"".join(parts)}{limit}</joint>')


def origin(xyz, rpy=(0.0, 0.0, 0.0)):
    return f'<origin xyz="{" ".join(map(repr, map(float, xyz)))}" rpy="{" ".join(map(repr, map(float, rpy)))}"/>'


def sphere(radius=1.0):
    return f'<geometry><sphere radius="{radius}"/></geometry>'


def inertial(mass, com, rpy, entries):
    names = ("ixx", "ixy", "ixz", "iyy", "iyz", "izz")
    attributes = " ".join(f'{n}="{float(v)!r}"' for n, v in zip(names, entries))
    return f'<inertial>{origin(com, rpy)}<mass value="{float(mass)!r}"/><inertia {attributes}/></inertial>'


def rpy_matrix(r, p, y):
    return rotation([0, 0, 1], y) @ rotation([0, 1, 0], p) @ rotation([1, 0, 0], r)


def placement(xyz, rpy=(0.0, 0.0, 0.0)):
    return homogeneous(rpy_matrix(*rpy), np.array(xyz, dtype=float))


def body(mass, com, rpy, entries):
    """(mass, centre of mass, rotational inertia about it) of an inertial element."""
    ixx, ixy, ixz, iyy, iyz, izz = entries
    r = rpy_matrix(*rpy)
    return mass, np.array(com, dtype=float), r @ np.array([[ixx, ixy, ixz], [ixy, iyy, iyz], [ixz, iyz, izz]]) @ r.T


def moved(h, b):
    m, c, i = b
    return m, h[:3, :3] @ c + h[:3, 3], h[:3, :3] @ i @ h[:3, :3].T


def combined(*bodies):
    """Parallel-axis sum about the common centre of mass."""
    m = sum(b[0] for b in bodies)
    c = sum(b[0] * b[1] for b in bodies) / m
    i = sum(b[2] + b[0] * (np.dot(b[1] - c, b[1] - c) * np.eye(3) - np.outer(b[1] - c, b[1] - c)) for b in bodies)
    return m, c, i


def assert_inertia(got, expected):
    m, c, i = expected
    assert got.mass == pytest.approx(m, rel=1e-12)
    np.testing.assert_allclose(got.com, c, rtol=1e-12, atol=1e-12)
    np.testing.assert_allclose(got.inertia, i, rtol=1e-12, atol=1e-12)


def frame_table(model):
    return [(f.name, repr(f.frame_type).split(".")[1], f.parent_joint, f.parent_frame) for f in model.frames]


# ---- the function and the robot element -------------------------------------------------------------

def test_signature_docstring_and_results(tmp_path):
    function = kinetra.build_models_from_urdf
    assert function.__text_signature__ == "(filepath, package_dir=None)"
    assert function.__doc__ == "A Python wrapper for the `build_models_from_urdf` function."
    path = write(tmp_path, robot(name="solo"))
    for result in (function(path), function(path, None), function(filepath=path, package_dir=str(tmp_path))):
        assert type(result) is tuple and len(result) == 3
        model, collision, visual = result
        assert type(model) is Model and type(collision) is GeometryModel and type(visual) is GeometryModel
        assert (model.name, model.njoints, model.nframes, collision.ngeoms, visual.ngeoms) == ("solo", 1, 1, 0, 0)


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, "build_models_from_urdf() missing 1 required positional argument: 'filepath'"),
        ((pathlib.Path("/x.urdf"),), {}, "argument 'filepath': 'PosixPath' object cannot be converted to 'PyString'"),
        (("{p}", 1), {}, "argument 'package_dir': 'int' object cannot be converted to 'PyString'"),
        (("/does/not/exist.urdf",), {"package_dir": b"/"},
         "argument 'package_dir': 'bytes' object cannot be converted to 'PyString'"),
    ],
)
def test_argument_errors(tmp_path, args, kwargs, message):
    path = write(tmp_path, robot())
    with pytest.raises(TypeError) as info:
        kinetra.build_models_from_urdf(*(path if a == "{p}" else a for a in args), **kwargs)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "text, name, frames",
    [
        ('<?xml version="1.0"?>\n<!-- c --><robot name="é r"><?pi x?></robot>', "é r", []),
        ('<?xml version="1.0" encoding="ISO-8859-1"?><robot name="é"/>', "é", []),  # the file is read as UTF-8
        ("<robot/>", "", []),
        ('<robot><material name="m"><color rgba="1 1 1 1"/></material></robot>', "", []),
        ('<wrap><robot name="inner"><link name="a"/></robot></wrap>', "inner", ["a"]),
        ('<wrap><x/><robot name="first"/><robot name="second"><link name="a"/></robot></wrap>', "first", []),
        ('<robot name="outer"><robot name="inner"/><link name="a"/></robot>', "outer", ["a"]),
        # only direct children of robot are read; other elements are ignored
        ('<robot name="r"><group><link name="hidden"/></group><gazebo/><transmission/><thing/></robot>', "r", []),
    ],
)
def test_robot_element(tmp_path, text, name, frames):
    model, collision, visual = load(tmp_path, text)
    assert model.name == name and [f.name for f in model.frames] == ["__WORLD_FRAME__"] + frames
    assert (model.njoints, collision.ngeoms, visual.ngeoms) == (1, 0, 0)


@pytest.mark.parametrize("text", ['<robotx name="r"/>', "<a><b><c/></b></a>"])
def test_document_without_robot(tmp_path, text):
    assert error(tmp_path, text) == "No <robot> tag found in URDF."


# ---- errors: exact texts, and which fault is reported first ---------------------------------------

A, B, R0 = link("a"), link("b"), link("r0")
CHILD = '<parent link="a"/><child link="b"/>'
INERTIA = '<inertia ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/>'
MISSING, INVALID = "Missing required parameter: ", "Invalid value for parameter: "
NO_COLOR = "the <material> tag named 'm' does not have a corresponding <color> tag."
NO_GEOMETRY = "the <visual> tag named '{}' does not have a corresponding <geometry> tag."
NO_SHAPE = "the <geometry> tag named 'a_0' does not have a corresponding shape tag."
NO_MASS = "<inertial> tag in link '{}' missing mass data."
UNKNOWN_PARENT = "Frame references unknown parent: a"
TWO_PARENTS = "Link 'a' is the child of more than one joint."


def ab(kind, inner="", name="j", a=A):
    """Links a and b joined by one joint."""
    return f'{a}{B}<joint name="{name}" type="{kind}">{CHILD}{inner}</joint>'


def on_a(tag, inner):
    """Link a holding one element."""
    return link("a", f"<{tag}>{inner}</{tag}>")


ERRORS = [
    # robot-level materials, in document order
    ("material without color", '<material name="m"/>', NO_COLOR),
    ("material without rgba", '<material name="m"><color/></material>', MISSING + "rgba"),
    ("rgba of three", '<material name="m"><color rgba="1 0 0"/></material>', INVALID + "rgba"),
    ("materials in order", '<material name="m"><color rgba="x"/></material><material name="n"/>', INVALID + "rgba"),
    # inertials: mass, its value, inertia, its entries in order
    ("no mass", on_a("inertial", INERTIA), NO_MASS.format("a")),
    ("mass first", on_a("inertial", ""), NO_MASS.format("a")),
    ("no inertia", on_a("inertial", '<mass value="1"/>'), "<inertial> tag in link 'a' missing inertia data."),
    ("no value", on_a("inertial", f"<mass/>{INERTIA}"), MISSING + "value"),
    ("value with a space", on_a("inertial", f'<mass value=" 1"/>{INERTIA}'), INVALID + "value"),
    ("no iyz", on_a("inertial", '<mass value="1"/><inertia ixx="1" ixy="0" ixz="0" iyy="1" izz="1"/>'),
     MISSING + "iyz"),
    ("ixx first", on_a("inertial", '<mass value="1"/><inertia ixy="1,0" iyy="x"/>'), MISSING + "ixx"),
    # origins
    ("rpy without xyz", link("a", '<origin rpy="0 0 0"/>'), MISSING + "xyz"),
    ("xyz of two", ab("fixed", '<origin xyz="1 2"/>'), INVALID + "xyz"),
    ("rpy of two", ab("fixed", '<origin xyz="1 2 3" rpy="0 0"/>'), INVALID + "rpy"),
    # a joint: name, type, parent frame, origin, kind, axis, limit, effort, velocity, then the model
    ("no type", f'{A}{B}<joint name="j">{CHILD}<origin xyz="1"/></joint>', MISSING + "type"),
    ("parent frame first", ab("hinge", '<origin xyz="1"/>', a='<link name="a" type="fixed"/>'), UNKNOWN_PARENT),
    ("origin before kind", ab("hinge", '<origin xyz="1"/>'), INVALID + "xyz"),
    ("unknown kind", ab("hinge", '<axis xyz="x"/>'), "unknown joint type (hinge)."),
    ("kind is case-sensitive", ab("Revolute"), "unknown joint type (Revolute)."),
    ("kind before child link", A + '<joint name="j" type="hinge"><parent link="a"/><child link="x"/></joint>',
     "unknown joint type (hinge)."),
    ("axis without xyz", ab("revolute", "<axis/>" + LIMIT), MISSING + "xyz"),
    ("axis before limit", ab("prismatic", '<axis xyz="0 0 1 0"/>'), INVALID + "xyz"),
    ("revolute without limit", ab("revolute"), MISSING + "limit"),
    ("prismatic without limit", ab("prismatic"), MISSING + "limit"),
    ("effort first", ab("revolute", '<limit lower="x" upper="y"/>'), MISSING + "effort"),
    ("no velocity", ab("prismatic", '<limit effort="1"/>'), MISSING + "velocity"),
    ("bad effort", ab("revolute", '<limit effort="x" velocity="y"/>'), INVALID + "effort"),
    ("continuous effort", ab("continuous", '<limit lower="0" upper="0" velocity="1"/>'), MISSING + "effort"),
    ("duplicate name", A + B + link("c") + joint("j", "a", "b") + joint("j", "a", "c"),
     "Model error: Joint name 'j' is already used by joint with id 1."),
    ("limits before model", A + B + link("c") + joint("j", "a", "b")
     + '<joint name="j" type="revolute"><parent link="a"/><child link="c"/><limit effort="1"/></joint>',
     MISSING + "velocity"),
    ("world joint name", ab("continuous", name="__WORLD__"),
     "Model error: Joint name '__WORLD__' is already used by joint with id 0."),
    ("child without link", A + '<joint name="j" type="fixed"><parent link="a"/><child/></joint>', MISSING + "link"),
    ("unknown child link", A + joint("j", "a", "x"), "Unknown link name: x"),
    # geometry: the geometry element, the shape, its dimensions, then the origin
    ("collision without geometry", link("base", '<collision><origin xyz="1"/></collision>'),
     NO_GEOMETRY.format("base_0")),
    ("second visual", link("arm", f"<visual>{sphere()}</visual>", '<visual name="v"/>'), NO_GEOMETRY.format("arm_1")),
    ("unnamed link", "<link><visual/></link>", NO_GEOMETRY.format("_0")),
    ("no shape", on_a("visual", '<origin xyz="1"/><geometry><capsule radius="1" length="1"/><group><box size="1 1 1"/>'
                                '</group></geometry>'), NO_SHAPE),
    ("box without size", on_a("collision", "<geometry><box/></geometry>"), MISSING + "size"),
    ("size of two", on_a("collision", '<geometry><box size="1 2"/></geometry>'), INVALID + "size"),
    ("radius first", on_a("collision", '<origin xyz="1"/><geometry><cylinder/></geometry>'), MISSING + "radius"),
    ("no length", on_a("collision", '<geometry><cylinder radius="1"/></geometry>'), MISSING + "length"),
    ("bad radius", on_a("collision", '<geometry><cylinder radius="1 2" length="1"/></geometry>'), INVALID + "radius"),
    ("sphere without radius", on_a("visual", "<geometry><sphere/></geometry>"), MISSING + "radius"),
    ("no filename", on_a("visual", '<geometry><mesh scale="1 1 1"/></geometry>'), MISSING + "filename"),
    ("mesh before origin", on_a("visual", '<origin xyz="1"/><geometry><mesh filename="/does/not/exist.stl"/>'
                                          '</geometry>'),
     "Invalid file path: Mesh file does not exist: /does/not/exist.stl"),
    ("geometry origin", on_a("visual", '<origin xyz="1"/><geometry><box size="1 1 1"/></geometry>'), INVALID + "xyz"),
    # a link: inertial, origin, collision, then visual
    ("inertial first", link("a", '<visual/><collision/><origin xyz="1"/><inertial/>'), NO_MASS.format("a")),
    ("origin before geometry", link("a", '<visual/><collision/><origin xyz="0 0 0" rpy="x"/>'), INVALID + "rpy"),
    ("collision before visual", link("a", "<visual/><collision><geometry/></collision>"), NO_SHAPE),
    # the document: materials, the child links of all joints, then the walk
    ("materials first", A + '<joint name="j" type="fixed"><parent link="a"/><child/></joint><material name="m"/>',
     NO_COLOR),
    ("child links before walk", link("a", "<inertial/>") + '<joint name="j"><parent link="nowhere"/><child/></joint>',
     MISSING + "link"),
    ("roots by name", link("b", "<inertial/>") + link("a", "<collision/>"), NO_GEOMETRY.format("a_0")),
    ("geometry before joints", link("a", "<visual/>") + B + f'<joint name="j" type="hinge">{CHILD}</joint>',
     NO_GEOMETRY.format("a_0")),
    ("subtree before next joint", A + link("b", "<inertial/>")
     + '<joint name="k" type="hinge"><parent link="a"/></joint>' + joint("j", "a", "b", "fixed"), NO_MASS.format("b")),
    # tree shape, checked while the child links are collected
    ("two parents", R0 + A + joint("j1", "r0", "a") + joint("j2", "r0", "a"), TWO_PARENTS),
    ("loop", R0 + A + B + joint("ra", "r0", "a") + joint("ab", "a", "b") + joint("ba", "b", "a"), TWO_PARENTS),
    ("self loop", R0 + A + joint("ra", "r0", "a") + joint("aa", "a", "a", "fixed"), TWO_PARENTS),
    ("two parents, then no child link", R0 + A + joint("j1", "r0", "a") + joint("j2", "r0", "a")
     + '<joint name="j3"><parent link="r0"/><child/></joint>', TWO_PARENTS),
    ("no child link, then two parents", R0 + A + '<joint name="j0"><parent link="r0"/><child/></joint>'
     + joint("j1", "r0", "a") + joint("j2", "r0", "a"), MISSING + "link"),
    ("two parents before walk", link("r0", "<inertial/>") + A + joint("j1", "r0", "a") + joint("j2", "r0", "a"),
     TWO_PARENTS),
]


@pytest.mark.parametrize("body, message", [e[1:] for e in ERRORS], ids=[e[0] for e in ERRORS])
def test_errors(tmp_path, body, message):
    assert error(tmp_path, robot(body)) == message


@pytest.mark.parametrize(
    "text, tag, values",
    [
        ('<robot version="1.0"><link name="a"/></robot>', "robot", ["1.0"]),
        (robot('<material id="m7"><color rgba="1 1 1 1"/></material>'), "material", ["m7"]),
        # name before type and origin
        (robot(A, B, f'<joint note="n1"><origin xyz="1"/>{CHILD}</joint>'), "joint", ["n1"]),
        (robot(A, B, f'<joint type="fixed" note="n2">{CHILD}</joint>'), "joint", ["fixed", "n2"]),
        # an unnamed parent link, found through an empty parent link name
        (robot('<link kind="k3"/>', B, '<joint name="j" type="fixed"><parent link=""/><child link="b"/></joint>'),
         "link", ["k3"]),
        # a prefixed attribute is not the name
        ('<robot name="r" xmlns:x="urn:x"><link name="a"/><link name="b"/>'
         f'<joint x:name="jval" type="fixed">{CHILD}</joint></robot>', "joint", ["jval", "fixed"]),
        ('<robot name="r" xmlns:x="urn:x"><link name="a"/><link name="b"/>'
         f'<x:joint type="fixed">{CHILD}</x:joint></robot>', "{urn:x}joint", ["fixed"]),
    ],
)
def test_missing_name(tmp_path, text, tag, values):
    message = error(tmp_path, text)
    assert message.startswith(f"Missing name attribute for Element {{ tag_name: {tag}, attributes: ")
    assert message.endswith(" }.") and ", namespaces: " in message
    for value in values:
        assert value in message


# ---- the walk -----------------------------------------------------------------------------------

def test_root_links_are_sorted_by_name_bytes(tmp_path):
    names = ["b", "a", "ä", "B", "ab", "z", "_"]
    links = [link(n, f"<collision>{sphere()}</collision>", f"<visual>{sphere()}</visual>") for n in names]
    model, collision, visual = load(tmp_path, robot(*links, f"<link><visual>{sphere()}</visual></link>"))
    order = ["", "B", "_", "a", "ab", "b", "z", "ä"]
    assert frame_table(model) == [("__WORLD_FRAME__", "Fixed", 0, 0)] + [(n, "Body", 0, 0) for n in order]
    assert [g.name for g in collision.geometry_objects] == [f"{n}_0" for n in order if n]
    assert [g.name for g in visual.geometry_objects] == [f"{n}_0" for n in order]
    assert [g.parent_frame for g in visual.geometry_objects] == list(range(1, len(order) + 1))


def test_depth_first_walk_with_joints_sorted_by_name(tmp_path):
    parts = [  # document order differs from walk order
        joint("j9", "base", "c9"), joint("j10", "base", "c10"), joint("k", "c1", "d"),
        joint("nochild", "base", "-").replace('<child link="-"/>', ""),
        joint("f", "base", "x", "fixed"), joint("j1", "base", "c1"), joint("f", "base", "y", "fixed"),
        # never visited: no parent element, no parent link name, or a parent that is never reached
        '<joint name="o1" type="revolute"><child link="lost1"/></joint>',
        '<joint name="o2" type="revolute"><parent/><child link="lost2"/></joint>', joint("o3", "nowhere", "lost3"),
    ]
    for name in ("d", "c9", "lost1", "c10", "y", "lost2", "c1", "x", "lost3", "base"):
        parts.append(link(name, f"<visual>{sphere()}</visual>"))
    model, collision, visual = load(tmp_path, robot(*parts))
    assert model.joint_names == ["__WORLD__", "j1", "k", "j10", "j9", "nochild"]
    assert model.joint_parents == [0, 0, 1, 0, 0, 0] and (model.nq, model.nv) == (5, 5)
    assert frame_table(model) == [
        ("__WORLD_FRAME__", "Fixed", 0, 0), ("base", "Body", 0, 0), ("f", "Fixed", 0, 1), ("x", "Body", 0, 2),
        ("y", "Body", 0, 2),  # the second fixed joint named f reuses the first one's frame
        ("j1", "Joint", 1, 1), ("c1", "Body", 1, 5), ("k", "Joint", 2, 6), ("d", "Body", 2, 7),
        ("j10", "Joint", 3, 1), ("c10", "Body", 3, 9), ("j9", "Joint", 4, 1), ("c9", "Body", 4, 11),
        ("nochild", "Joint", 5, 1)]
    assert [(g.name, g.parent_joint) for g in visual.geometry_objects] == [
        ("base_0", 0), ("x_0", 0), ("y_0", 0), ("c1_0", 1), ("d_0", 2), ("c10_0", 3), ("c9_0", 4)]
    assert collision.ngeoms == 0


def test_unreachable_cycle_is_ignored(tmp_path):
    model = load(tmp_path, robot(link("p"), link("q"), link("root"), joint("pq", "p", "q"), joint("qp", "q", "p")))[0]
    assert [f.name for f in model.frames] == ["__WORLD_FRAME__", "root"] and model.njoints == 1


def test_long_chain_and_deep_nesting_load_in_a_child_process(tmp_path):
    n = 100_000
    chain = "".join(f'<link name="l{i}"/><joint name="j{i}" type="revolute"><parent link="l{i - 1}"/>'
                    f'<child link="l{i}"/>{LIMIT}</joint>' for i in range(1, n))
    paths = [write(tmp_path, f'<robot name="chain"><link name="l0"/>{chain}</robot>', "chain.urdf"),
             write(tmp_path, "<a>" * n + '<robot name="deep"/>' + "</a>" * n, "deep.urdf")]
    script = ("import json, sys, kinetra\nout = []\nfor path in sys.argv[1:]:\n    try:\n"
              "        m = kinetra.build_models_from_urdf(path)[0]\n"
              "        out.append([m.name, m.njoints, m.nq, m.nframes, m.joint_parents[-1], m.joint_names[-1]])\n"
              "    except ValueError as e:\n        out.append(str(e))\nprint(json.dumps(out))\n")
    done = subprocess.run([sys.executable, "-c", script, *paths], capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr[-2000:]
    chain_result, deep_result = json.loads(done.stdout)
    assert chain_result == ["chain", n, n - 1, 2 * n, n - 2, f"j{n - 1}"]
    # nesting this deep may be refused by the parser, but only with an XML error
    assert deep_result == ["deep", 1, 0, 1, 0, "__WORLD__"] or deep_result.startswith("XML parsing error: ")


# ---- frames, placements, inertias and geometry of a tree ------------------------------------------

O = {  # origins: xyz, rpy
    "base": ((0.1, -0.2, 0.05), (0.0, 0.0, 0.3)), "fb": ((0.0, 0.0, -0.2), (0.1, 0.0, 0.0)),
    "j": ((0.0, 0.0, 0.5), (0.0, 0.2, 0.0)), "arm": ((0.0, 0.0, 0.05), (0.0, 0.0, 0.0)),
    "f": ((0.0, 0.0, 0.5), (0.3, 0.2, 0.1)), "g": ((0.1, 0.0, 0.0), (0.0, 0.0, 0.0)),
    "k": ((0.0, 0.1, 0.0), (0.0, 0.0, 0.7)), "base_v": ((0.0, 0.0, 0.1), (0.2, 0.0, 0.0)),
    "tool_c0": ((0.01, 0.02, 0.03), (0.5, 0.0, 0.0)), "tool_c1": ((0.0, -0.05, 0.0), (0.0, 0.4, -0.1)),
}
BODIES = {  # mass, centre of mass, rpy of the inertia axes, (ixx, ixy, ixz, iyy, iyz, izz)
    "base": (2.0, (0.1, 0.2, 0.3), (0.4, -0.5, 0.6), (0.3, 0.01, 0.02, 0.4, 0.03, 0.5)),
    "plate": (0.5, (0.05, 0.0, 0.0), (0.0, 0.0, 0.0), (0.01, 0.0, 0.0, 0.01, 0.0, 0.01)),
    "arm": (1.5, (0.0, 0.0, 0.25), (0.0, 0.0, 0.0), (0.02, 0.0, 0.0, 0.02, 0.0, 0.001)),
    "tool": (0.3, (0.02, 0.0, 0.0), (0.0, 0.0, 0.5), (0.002, 0.0001, 0.0, 0.003, 0.0, 0.004)),
    "tip": (0.2, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), (1e-4, 0.0, 0.0, 1e-4, 0.0, 1e-4)),
    "hand": (0.4, (0.0, 0.0, 0.05), (0.1, 0.2, 0.3), (0.001, 0.0, 0.0, 0.002, 0.0, 0.003)),
}
TREE = robot(  # walk: base, fb, plate, j, arm, f, tool, g, tip, k, hand
    joint("k", "tool", "hand", "prismatic", origin(*O["k"]), '<axis xyz="0 0 2"/>'),
    link("hand", inertial(*BODIES["hand"]), f"<collision>{sphere(0.5)}</collision>"),
    link("tool", inertial(*BODIES["tool"]),
         f'<collision>{origin(*O["tool_c0"])}<geometry><box size="1 2 3"/></geometry></collision>',
         f'<visual name="custom">{sphere()}</visual>', f'<collision>{origin(*O["tool_c1"])}{sphere(0.25)}</collision>'),
    link("tip", inertial(*BODIES["tip"])),
    joint("g", "tool", "tip", "fixed", origin(*O["g"])),
    joint("f", "arm", "tool", "fixed", origin(*O["f"])),
    link("arm", origin(*O["arm"]), inertial(*BODIES["arm"])),
    joint("j", "base", "arm", "revolute", origin(*O["j"]), '<axis xyz="0 1 0"/>'),
    joint("fb", "base", "plate", "fixed", origin(*O["fb"])),
    link("plate", inertial(*BODIES["plate"])),
    link("base", origin(*O["base"]), inertial(*BODIES["base"]),
         f'<visual>{origin(*O["base_v"])}<geometry><cylinder radius="0.1" length="0.4"/></geometry></visual>'),
)


@pytest.fixture(scope="module")
def tree(tmp_path_factory):
    p = {name: placement(*o) for name, o in O.items()}
    world = {"base": p["base"], "fb": p["base"] @ p["fb"], "arm": p["arm"], "f": p["arm"] @ p["f"]}
    world["g"] = world["f"] @ p["g"]
    return load(tmp_path_factory.mktemp("tree"), TREE), p, world


def test_frames_and_inertias_of_a_tree(tree):
    (model, _, _), p, world = tree
    assert frame_table(model) == [
        ("__WORLD_FRAME__", "Fixed", 0, 0), ("base", "Body", 0, 0), ("fb", "Fixed", 0, 1), ("plate", "Body", 0, 2),
        ("j", "Joint", 1, 1), ("arm", "Body", 1, 4), ("f", "Fixed", 1, 5), ("tool", "Body", 1, 6),
        ("g", "Fixed", 1, 7), ("tip", "Body", 1, 8), ("k", "Joint", 2, 7), ("hand", "Body", 2, 10)]
    assert model.joint_names == ["__WORLD__", "j", "k"] and model.joint_parents == [0, 0, 1]
    assert [repr(m.joint_type) for m in model.joint_models[1:]] == ["JointType.Revolute", "JointType.Prismatic"]
    for got, h in zip(model.joint_placements, [np.eye(4), p["base"] @ p["j"], world["f"] @ p["k"]], strict=True):
        np.testing.assert_allclose(got.homogeneous, h, atol=1e-15)
    b = {name: body(*values) for name, values in BODIES.items()}
    zero = (0.0, np.zeros(3), np.zeros((3, 3)))
    expected = [  # placement and inertia of every frame: a root link keeps its inertia, a link under a
        # fixed joint leaves it unmoved on that joint's frame, every other body frame has none
        (np.eye(4), zero), (world["base"], b["base"]), (world["fb"], b["plate"]), (world["fb"], zero),
        (np.eye(4), zero), (world["arm"], zero), (world["f"], b["tool"]), (world["f"], zero),
        (world["g"], b["tip"]), (world["g"], zero), (np.eye(4), zero), (np.eye(4), zero)]
    for frame, (h, inertia) in zip(model.frames, expected, strict=True):
        np.testing.assert_allclose(frame.placement.homogeneous, h, atol=1e-15)
        assert_inertia(frame.inertia, inertia)
    assert_inertia(model.inertias[0], combined(moved(world["base"], b["base"]), moved(world["fb"], b["plate"])))
    assert_inertia(model.inertias[1], combined(b["arm"], moved(world["f"], b["tool"]), moved(world["g"], b["tip"])))
    assert_inertia(model.inertias[2], b["hand"])


def test_geometry_and_algorithms_of_a_tree(tree):
    (model, collision, visual), p, world = tree
    for geometry, expected in (
        (collision, [("tool_0", 1, 7, world["f"] @ p["tool_c0"], "Cuboid"),
                     ("tool_1", 1, 7, world["f"] @ p["tool_c1"], "Sphere"), ("hand_0", 2, 11, np.eye(4), "Sphere")]),
        (visual, [("base_0", 0, 1, world["base"] @ p["base_v"], "Cylinder"), ("tool_0", 1, 7, world["f"], "Sphere")]),
    ):
        for obj, (name, joint_id, frame_id, h, shape) in zip(geometry.geometry_objects, expected, strict=True):
            assert (obj.name, obj.parent_joint, obj.parent_frame, obj.disable_collision) == (
                name, joint_id, frame_id, False)
            assert repr(obj.geometry.shape_type) == f"ShapeType.{shape}"
            np.testing.assert_allclose(obj.placement.homogeneous, h, atol=1e-15)
    assert collision.get_geometry_id("tool_1") == 1 and visual.get_geometry_id("custom") is None
    data = model.create_data()
    for _ in range(3):
        q = random_configuration(model).to_numpy()
        forward_kinematics(model, data, q)
        first = p["base"] @ p["j"] @ homogeneous(rotation([0, 1, 0], q[0]), np.zeros(3))
        second = first @ world["f"] @ p["k"] @ homogeneous(np.eye(3), np.array([0.0, 0.0, 2.0 * q[1]]))
        np.testing.assert_allclose(data.oMi[1].homogeneous, first, atol=1e-12)
        np.testing.assert_allclose(data.oMi[2].homogeneous, second, atol=1e-12)
        tau = rnea(model, data, q, np.ones(2), np.ones(2)).to_numpy()
        assert tau.shape == (2,) and np.all(np.isfinite(tau))


@pytest.mark.parametrize(
    "origin_xml, com, rpy",
    [
        ("", (0, 0, 0), (0, 0, 0)),
        ('<origin xyz="0.1 0 0"/>', (0.1, 0, 0), (0, 0, 0)),
        ('<origin xyz="1 2" rpy="0 0 1"/>', (0, 0, 0), (0, 0, 1)),  # an invalid xyz becomes zero
        ('<origin xyz="0.1 0.2 0.3" rpy="a b c"/>', (0.1, 0.2, 0.3), (0, 0, 0)),  # an invalid rpy too
        ('<origin rpy="0.3 -0.2 0.1"/>', (0, 0, 0), (0.3, -0.2, 0.1)),
    ],
)
def test_inertial_origin(tmp_path, origin_xml, com, rpy):
    attributes = 'ixx="0.3" ixy="0.01" ixz="0.02" iyy="0.4" iyz="0.03" izz="0.5"'
    model = load(tmp_path, robot(link("a", f'<inertial>{origin_xml}<mass value="-2"/><inertia {attributes}/>'
                                                f"</inertial>")))[0]
    assert_inertia(model.frames[1].inertia, body(-2.0, com, rpy, (0.3, 0.01, 0.02, 0.4, 0.03, 0.5)))


@pytest.mark.parametrize("name, joint_origin", [("r", (0.0, 0.0, 1.0)), ("b", (1.0, 0.0, 1.0))])
def test_link_named_like_the_robot_hangs_its_joints_from_the_world_frame(tmp_path, name, joint_origin):
    text = robot(link(name, origin((1, 0, 0))), joint("j", name, "c", "revolute", origin((0, 0, 1))), link("c"))
    model = load(tmp_path, text)[0]
    np.testing.assert_array_equal(model.frames[1].placement.translation, [1, 0, 0])
    np.testing.assert_array_equal(model.joint_placements[1].translation, joint_origin)
    assert model.frames[2].parent_frame == (0 if name == "r" else 1)


def test_frame_lookup_distinguishes_a_joint_and_a_link_of_one_name(tmp_path):
    text = robot(link("base"), joint("arm", "base", "arm"), link("arm", origin((0, 0, 1))),
                 joint("k", "arm", "c", "revolute", origin((1, 0, 0))), link("c"))
    model = load(tmp_path, text)[0]
    assert frame_table(model)[2:5] == [("arm", "Joint", 1, 1), ("arm", "Body", 1, 2), ("k", "Joint", 2, 3)]
    np.testing.assert_array_equal(model.joint_placements[2].translation, [1, 0, 1])


# ---- joints and limits ----------------------------------------------------------------------------

@pytest.mark.parametrize(
    "kind, extra, nq, nv, neutral_q",
    [
        ("revolute", LIMIT, 1, 1, [0]),
        ("prismatic", LIMIT, 1, 1, [0]),
        ("continuous", "", 2, 1, [1, 0]),
        ("continuous", '<limit effort="1" velocity="2" lower="x" upper="0"/>', 2, 1, [1, 0]),
        ("fixed", '<axis xyz="bad"/><limit lower="x"/>', 0, 0, []),
    ],
)
def test_joint_kinds(tmp_path, kind, extra, nq, nv, neutral_q):
    model = load(tmp_path, robot(A, B, f'<joint name="j" type="{kind}">{CHILD}{extra}</joint>'))[0]
    assert (model.nq, model.nv) == (nq, nv)
    np.testing.assert_array_equal(neutral(model).to_numpy(), neutral_q)
    assert random_configuration(model).to_numpy().shape == (nq,)
    if kind == "fixed":
        assert model.njoints == 1 and frame_table(model)[2] == ("j", "Fixed", 0, 1)
    else:
        assert repr(model.joint_models[1].joint_type) == f"JointType.{kind.capitalize()}"
        assert (model.joint_models[1].nq, model.joint_models[1].nv) == (nq, nv)
        assert frame_table(model)[2] == ("j", "Joint", 1, 1)


@pytest.mark.parametrize(
    "kind, axis, q, motion",
    [
        ("revolute", "", [0.5], homogeneous(rotation([1, 0, 0], 0.5), np.zeros(3))),
        ("revolute", '<axis xyz="0 0 2"/>', [0.5], homogeneous(rotation([0, 0, 1], 0.5), np.zeros(3))),
        ("revolute", '<axis xyz="0 -1 0"/>', [0.3], homogeneous(rotation([0, 1, 0], -0.3), np.zeros(3))),
        ("prismatic", '<axis xyz="0 0 2"/>', [0.5], homogeneous(np.eye(3), np.array([0.0, 0.0, 1.0]))),
        ("prismatic", "", [0.25], homogeneous(np.eye(3), np.array([0.25, 0.0, 0.0]))),
        ("continuous", '<axis xyz="1 1 0"/>', [np.cos(0.7), np.sin(0.7)],
         homogeneous(rotation([1, 1, 0], 0.7), np.zeros(3))),
    ],
)
def test_joint_axes(tmp_path, kind, axis, q, motion):
    model = load(tmp_path, robot(A, B, joint("j", "a", "b", kind, origin((1, 2, 3), (0.1, 0.2, 0.3)), axis)))[0]
    data = model.create_data()
    forward_kinematics(model, data, np.array(q))
    np.testing.assert_allclose(data.oMi[1].homogeneous, placement((1, 2, 3), (0.1, 0.2, 0.3)) @ motion, atol=1e-12)


@pytest.mark.parametrize(
    "kind, limit, low, high",
    [
        ("revolute", 'lower="-1" upper="1"', -1.0, 1.0),
        ("prismatic", 'lower="0.25" upper="0.5"', 0.25, 0.5),
        ("revolute", "", -TAU, TAU),
        ("revolute", 'lower="abc" upper="0.5"', -TAU, 0.5),
        ("prismatic", 'lower="-0.5" upper=""', -0.5, TAU),
        ("revolute", 'lower="-inf" upper="+Infinity"', -TAU, TAU),
    ],
)
def test_limits_bound_random_configurations(tmp_path, kind, limit, low, high):
    text = robot(A, B, f'<joint name="j" type="{kind}">{CHILD}<limit {limit} effort="1" velocity="1"/></joint>')
    model = load(tmp_path, text)[0]
    draws = np.array([random_configuration(model).to_numpy()[0] for _ in range(400)])
    assert draws.min() >= low and draws.max() < high
    assert draws.min() < low + 0.1 * (high - low) and draws.max() > high - 0.1 * (high - low)


@pytest.mark.parametrize(
    "limit, message",
    [('lower="0.3" upper="0.3"', "cannot sample empty range"), ('lower="1" upper="-1"', "cannot sample empty range"),
     ('upper="NaN"', "cannot sample empty range"), ('lower="-1e308" upper="1e308"', None)],
)
def test_unusable_limits_fail_only_when_sampling(tmp_path, limit, message):
    text = robot(A, B, f'<joint name="j" type="revolute">{CHILD}<limit {limit} effort="1" velocity="1"/></joint>')
    model = load(tmp_path, text)[0]
    np.testing.assert_array_equal(neutral(model).to_numpy(), [0.0])
    with pytest.raises(kinetra.PanicException) as info:
        random_configuration(model)
    assert message is None or str(info.value) == message


# ---- materials and colours --------------------------------------------------------------------------

def visual_with(material):
    return f"<visual>{sphere()}{material}</visual>"


def test_colours(tmp_path):
    cases = [  # visual material of link a, expected colour
        ('<material name="red"/>', [1, 0, 0, 1]),
        ('<material name="red"><color rgba="0 1 0 1"/></material>', [1, 0, 0, 1]),  # the table wins
        ('<material name="green"><color rgba="0 1 0 0.5"/></material>', [0, 1, 0, 0.5]),
        ('<material name="green"/>', [0, 1, 0, 0.5]),  # defined by the visual before
        ('<material name="blue"><color rgba="0 0 1"/></material>', DEFAULT_COLOR),
        ('<material name="blue"/>', DEFAULT_COLOR),  # a failed colour defines nothing
        ('<material name="grey"><color rgba="x 0 0 1"/></material>', DEFAULT_COLOR),
        ('<material name="grey"><color/></material>', DEFAULT_COLOR),
        ('<material><color rgba="0.2 0.3 0.4 0.5"/></material>', [0.2, 0.3, 0.4, 0.5]),
        ('<material name=""><color rgba="0.5 0.5 0.5 1"/></material>', [0.5, 0.5, 0.5, 1]),
        ('<material name=""/>', DEFAULT_COLOR),  # an empty name is not stored
        ('<material name="dup"/>', [0.1, 0.2, 0.3, 0.4]),  # the later definition replaced the earlier
        ("", DEFAULT_COLOR),
        ('<material name="cm"/>', DEFAULT_COLOR),  # a collision material defines nothing
        ('<material name="late"/><material name="red"/>', DEFAULT_COLOR),  # only the first material is read
    ]
    text = robot(
        '<material name="red"><color rgba="1 0 0 1"/></material><material name="dup"><color rgba="0 0 0 1"/>'
        '</material><material name="dup"><color rgba="0.1 0.2 0.3 0.4"/></material>',
        link("b", visual_with('<material name="green"/>'), visual_with('<material name="late"/>')),
        link("a", f'<collision>{sphere()}<material name="cm"><color rgba="0 0 1 1"/></material></collision>',
             f'<collision>{sphere()}<material name="red"/></collision>', *[visual_with(m) for m, _ in cases]),
        link("c", visual_with('<material name="late"><color rgba="0.7 0.7 0.7 0.7"/></material>')),
    )
    _, collision, visual = load(tmp_path, text)
    assert collision.geometry_objects[0].mesh_color[0] == float.fromhex("0x1.ccccccccccccdp-1")
    colours = [obj.mesh_color for obj in collision.geometry_objects + visual.geometry_objects]
    expected = [DEFAULT_COLOR] * 2 + [c for _, c in cases] + [[0, 1, 0, 0.5], DEFAULT_COLOR, [0.7, 0.7, 0.7, 0.7]]
    assert len(colours) == len(expected)
    for got, want in zip(colours, expected):
        np.testing.assert_array_equal(got, want)


# ---- geometry ----------------------------------------------------------------------------------

@pytest.mark.parametrize(
    "geometry, shape, values",
    [
        ('<box size="1 2 3"/>', "Cuboid", {"half_extents": [0.5, 1.0, 1.5]}),
        ('<box size="0.1 0.2 0.3"/>', "Cuboid", {"half_extents": np.array([0.1, 0.2, 0.3], F32) * F32(0.5)}),
        ('<cylinder radius="0.1" length="2"/>', "Cylinder", {"radius": float(F32(0.1)), "half_length": 1.0}),
        ('<cylinder radius="1e39" length="0.3"/>', "Cylinder",
         {"radius": np.inf, "half_length": float(F32(0.3) * F32(0.5))}),
        ('<sphere radius="-1"/>', "Sphere", {"radius": -1.0}),
        # rounded once, straight to single precision
        ('<sphere radius="1.0000000596046447753906251"/>', "Sphere", {"radius": 1.00000011920928955078125}),
        ('<box size="1.0000000596046447753906251 2 2"/>', "Cuboid",
         {"half_extents": [0.500000059604644775390625, 1, 1]}),
        # box, then cylinder, then sphere, then mesh, whatever the document order; only direct children
        ('<sphere radius="1"/><box size="2 2 2"/>', "Cuboid", {"half_extents": [1.0, 1.0, 1.0]}),
        ('<mesh filename="/does/not/exist"/><sphere radius="1"/><cylinder radius="2" length="2"/>', "Cylinder",
         {"radius": 2.0}),
        ('<mesh/><sphere radius="3"/>', "Sphere", {"radius": 3.0}),
        ('<group><box size="1 1 1"/></group><sphere radius="4"/>', "Sphere", {"radius": 4.0}),
        # only the first geometry element is read
        ('<sphere radius="5"/></geometry><geometry><box size="1 1 1"/>', "Sphere", {"radius": 5.0}),
    ],
)
def test_shapes(tmp_path, geometry, shape, values):
    _, collision, visual = load(tmp_path, robot(link("a", f"<collision><geometry>{geometry}</geometry></collision>",
                                                      f"<visual><geometry>{geometry}</geometry></visual>")))
    for obj in (collision.geometry_objects[0], visual.geometry_objects[0]):
        assert repr(obj.geometry.shape_type) == f"ShapeType.{shape}"
        for attribute, expected in values.items():
            value = getattr(obj.geometry, attribute)
            assert attribute != "half_extents" or value.dtype == np.float32
            np.testing.assert_array_equal(value, expected)


# ---- numbers ------------------------------------------------------------------------------------

@pytest.mark.parametrize(
    "text, value",
    [
        ("2", 2.0), ("+1.5", 1.5), ("-2", -2.0), ("1e3", 1000.0), ("1E-3", 0.001), ("2.5e+2", 250.0),
        ("0.1000000000000000055511151231257827021181583404541015625", 0.1),
        ("1.00000000000000011102230246251565404236316680908203125", 1.0),
        ("1.00000000000000011102230246251565404236316680908203126", 1.0000000000000002),
        ("2.2250738585072011e-308", 2.2250738585072011e-308), ("4.9e-324", 5e-324), ("1e400", np.inf),
        ("1e-400", 0.0), ("inf", np.inf), ("-Infinity", -np.inf), ("+INF", np.inf), ("iNfInItY", np.inf),
        ("nan", np.nan), ("-NaN", np.nan),
    ],
)
def test_accepted_numbers(tmp_path, text, value):
    model = load(tmp_path, robot(link("a", f'<inertial><mass value="{text}"/>{INERTIA}</inertial>')))[0]
    mass = model.frames[1].inertia.mass
    assert (np.isnan(mass) and np.isnan(value)) or mass == value


@pytest.mark.parametrize(
    "text",
    [" 1", "1 ", "&#9;1", "1&#10;", "\u00a01", "", "abc", "1,5", "1_000", "0x10", "1e", "e5", "--1", "+-1", "1e5.5",
     "infinit", "nan(1)", "infinityy", "1 2", "١", "+", "."],
)
def test_rejected_numbers(tmp_path, text):
    assert error(tmp_path, robot(on_a("inertial", f'<mass value="{text}"/>{INERTIA}'))) == INVALID + "value"


@pytest.mark.parametrize(
    "xyz",
    ["1 2 3", "1   2  3", " 1 2 3 ", "1&#9;2&#10;3", "&#13;&#10;1\t2\n3&#9;", "1\u00a02\u20033", "1\u30002\u16803",
     "1&#x85;2\u20283", "1\u202f2\u205f3", "+1 2e0 0.3e1", "1.0\u2009\u2009\u20092 3"],
)
def test_number_lists_split_on_unicode_white_space(tmp_path, xyz):
    model = load(tmp_path, robot(ab("fixed", f'<origin xyz="{xyz}"/>')))[0]
    np.testing.assert_array_equal(model.frames[2].placement.homogeneous, homogeneous(np.eye(3), [1, 2, 3]))


@pytest.mark.parametrize("xyz", ["1 2", "1 2 3 4", "", "  ", "1,2,3", "1 x 3", "1\u200b2\u200b3", "1 2 3 ."])
def test_bad_number_lists(tmp_path, xyz):
    assert error(tmp_path, robot(ab("fixed", f'<origin xyz="{xyz}"/>'))) == INVALID + "xyz"


# ---- mesh file names ------------------------------------------------------------------------------

NOT_FOUND = "Invalid file path: Package '{}' not found in ROS_PACKAGE_PATH"
NOT_SET = "Invalid file path: 'package://' was used but the ROS_PACKAGE_PATH environment variable is not set"
NO_DIR = "Invalid file path: 'package_dir' must be provided to resolve mesh file paths"
NO_FILE = "Invalid file path: Mesh file does not exist: {t}/"
MESHES = {  # files to create (a trailing "/" makes a directory, "a->b" a symbolic link), ROS_PACKAGE_PATH
    # (None: unset), filename, package_dir, resolved path or error text; {t} is the temporary directory
    "package": (["ws/robot_description/meshes/base.stl", "opt/a/"], "{t}/opt/a:{t}/ws/robot_description",
                "package://robot_description/meshes/base.stl", "{t}/x", "{t}/ws/robot_description/meshes/base.stl"),
    "parent directory": (["ws/robot_description/m.stl"], "{t}/ws", "package://robot_description/m.stl", None,
                         NOT_FOUND.format("robot_description")),
    "three slashes": (["pkg/m.stl"], "{t}/pkg", "package:///pkg/m.stl", None, "{t}/pkg/m.stl"),
    "four slashes": (["pkg/m.stl"], "{t}/pkg", "package:////pkg/m.stl", None, NOT_FOUND.format("")),
    "no slash": ([], "{t}/pkg", "package://pkg", None, "Invalid file path: Invalid package path: pkg"),
    "unset": (["pkg/m.stl"], None, "package://pkg/m.stl", "{t}", NOT_SET),
    "not unicode": (["pkg/m.stl"], "/x/\udcff:{t}/pkg", "package://pkg/m.stl", None, NOT_SET),
    "empty": (["pkg/m.stl"], "", "package://pkg/m.stl", None, NOT_FOUND.format("pkg")),
    "empty entries": (["pkg/m.stl"], "::{t}/pkg:", "package://pkg/m.stl", None, "{t}/pkg/m.stl"),
    "trailing slash": (["x/pkg/m.stl"], "{t}/x/pkg/", "package://pkg/m.stl", None, "{t}/x/pkg/m.stl"),
    "root and dot-dot": (["pkg/m.stl"], "/:{t}/pkg/..", "package://../m.stl", None, NOT_FOUND.format("..")),
    "first match": (["a/pkg/", "b/pkg/m.stl"], "{t}/a/pkg:{t}/b/pkg", "package://pkg/m.stl", None,
                    NO_FILE + "a/pkg/m.stl"),
    "absolute rest": (["abs.stl"], "{t}/pkg", "package://pkg/{t}/abs.stl", None, "{t}/abs.stl"),
    "directory": (["pkg/sub/"], "{t}/pkg", "package://pkg/sub", None, "{t}/pkg/sub"),
    "empty rest": (["pkg/"], "{t}/pkg", "package://pkg/", None, "{t}/pkg/"),
    "absolute": (["abs.stl"], None, "{t}/abs.stl", None, "{t}/abs.stl"),
    "absolute missing": ([], None, "{t}/none.stl", "{t}", NO_FILE + "none.stl"),
    "symbolic link": (["real.stl", "link.stl->real.stl"], None, "{t}/link.stl", None, "{t}/link.stl"),
    "dangling link": (["dangling.stl->gone.stl"], None, "{t}/dangling.stl", None, NO_FILE + "dangling.stl"),
    "relative without package_dir": (["meshes/a.stl"], "{t}", "meshes/a.stl", None, NO_DIR),
    "relative": (["data/meshes/a.stl"], None, "meshes/a.stl", "{t}/data", "{t}/data/meshes/a.stl"),
    "package_dir with a slash": (["data/meshes/a.stl"], None, "meshes/a.stl", "{t}/data/", "{t}/data/meshes/a.stl"),
    "not normalised": (["data/meshes/a.stl"], None, "./meshes/../meshes/a.stl", "{t}/data",
                       "{t}/data/./meshes/../meshes/a.stl"),
    "empty name": (["d/"], None, "", "{t}/d", "{t}/d/"),
    "empty package_dir": (["m.stl"], None, "m.stl", "", "m.stl"),
}


def make(root, entry):
    if "->" in entry:
        name, target = entry.split("->")
        (root / name).symlink_to(root / target)
    elif entry.endswith("/"):
        (root / entry).mkdir(parents=True, exist_ok=True)
    else:
        (root / entry).parent.mkdir(parents=True, exist_ok=True)
        (root / entry).write_bytes(b"solid\n")


@pytest.mark.parametrize("files, env, filename, package_dir, expected", list(MESHES.values()), ids=list(MESHES))
def test_mesh_file_names(tmp_path, monkeypatch, files, env, filename, package_dir, expected):
    root = tmp_path / "m"
    root.mkdir()
    monkeypatch.chdir(root)
    for entry in files:
        make(root, entry)
    if env is None:
        monkeypatch.delenv("ROS_PACKAGE_PATH", raising=False)
    else:
        monkeypatch.setenv("ROS_PACKAGE_PATH", env.format(t=root))
    name = quoteattr(filename.format(t=root))
    text = robot(link("a", f"<collision><geometry><mesh filename={name}/></geometry></collision>",
                      f'<visual><geometry><mesh filename={name} scale="2 2 2"/></geometry></visual>'))
    package_dir = None if package_dir is None else package_dir.format(t=root)
    expected = expected.format(t=root)
    if expected.startswith("Invalid file path: "):
        assert error(tmp_path, text, package_dir) == expected
        return
    for geometry in load(tmp_path, text, package_dir)[1:]:
        shape = geometry.geometry_objects[0].geometry
        assert repr(shape.shape_type) == "ShapeType.Mesh" and shape.mesh_path == expected


def test_package_path_is_read_on_every_call(tmp_path, monkeypatch):
    for name in ("one", "two"):
        make(tmp_path, f"{name}/pkg/m.stl")
    text = robot(link("a", '<visual><geometry><mesh filename="package://pkg/m.stl"/></geometry></visual>'))
    for name in ("one", "two", "one"):
        monkeypatch.setenv("ROS_PACKAGE_PATH", f"{tmp_path}/{name}/pkg")
        assert load(tmp_path, text)[2].geometry_objects[0].geometry.mesh_path == f"{tmp_path}/{name}/pkg/m.stl"


# ---- namespaces -----------------------------------------------------------------------------------

BODY = f'<link name="a"/><link name="b"/><joint name="j" type="fixed">{CHILD}</joint>'


@pytest.mark.parametrize(
    "text, frames",
    [
        ('<x:robot xmlns:x="urn:x" name="r"><x:link name="a"/><x:link name="b"/><x:joint name="j" type="fixed">'
         '<x:parent link="a"/><x:child link="b"/></x:joint></x:robot>', ["a", "j", "b"]),
        (f'<robot xmlns="urn:y" name="r">{BODY}</robot>', ["a", "j", "b"]),
        ('<robot name="r" xmlns:xacro="http://ros.org/wiki/xacro"><xacro:property name="p" value="1"/>'
         '<xacro:macro name="m" params="x"><link name="inside"/></xacro:macro>'
         f'<xacro:include filename="other.urdf"/>{BODY}</robot>', ["a", "j", "b"]),
        # prefixed attributes are not the ones read
        ('<robot name="r" xmlns:x="urn:x"><link x:name="a"/></robot>', [""]),
        ('<robot name="r" xmlns:x="urn:x"><link name="a" x:type="fixed"/><link name="b"/>'
         f'<joint name="j" type="fixed" x:type="revolute">{CHILD}</joint></robot>', ["a", "j", "b"]),
    ],
)
def test_namespaces(tmp_path, text, frames):
    model = load(tmp_path, text)[0]
    assert [f.name for f in model.frames[1:]] == frames and model.njoints == 1


# ---- files that are no URDF ---------------------------------------------------------------------

@pytest.mark.parametrize(
    "content",
    [
        b'<?xml version="1.0"?><!DOCTYPE robot [<!ENTITY n "r">]><robot name="&n;"/>',
        b'<!DOCTYPE robot><robot name="r"/>',
        b"",
        b"   \n<!-- only a comment -->\n",
        b'<robot name="r">\n<link name="a">\n</robot>\n',
        b'<robot name="r"><link name="a"/></robot><robot/>',
        b'<robot name="&undefined;"/>',
        b'<robot name="r" name="s"/>',
        b"\x00<robot/>",
    ],
)
def test_xml_errors(tmp_path, content):
    path = tmp_path / "bad.urdf"
    path.write_bytes(content)
    with pytest.raises(ValueError) as info:
        kinetra.build_models_from_urdf(str(path))
    assert re.fullmatch(r"XML parsing error: .+ at \d+:\d+", str(info.value), re.S), str(info.value)
    assert not content.startswith(b'<robot name="r">\n') or " at 3:" in str(info.value)


def test_io_errors(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    for path, message in (
        ("missing.urdf", "IO error: No such file or directory (os error 2) (file: missing.urdf)"),
        (str(tmp_path), f"IO error: Is a directory (os error 21) (file: {tmp_path})"),
    ):
        with pytest.raises(ValueError) as info:
            kinetra.build_models_from_urdf(path)
        assert str(info.value) == message
    for content in (b'<robot name="\xff"/>', b'<robot name="caf\xc3"/>', b"\xed\xa0\x80<robot/>",
                    np.random.default_rng(1).bytes(1 << 20)):
        (tmp_path / "bytes.urdf").write_bytes(content)
        with pytest.raises(ValueError) as info:
            kinetra.build_models_from_urdf("bytes.urdf")
        assert str(info.value) == "IO error: stream did not contain valid UTF-8 (file: bytes.urdf)"
    write(tmp_path, robot(name="here"), "here.urdf")
    assert kinetra.build_models_from_urdf("here.urdf")[0].name == "here"  # relative to the working directory


def test_huge_attribute_values(tmp_path):
    name = "n" * 5_000_000
    text = robot(link("a", f'<visual><geometry><sphere radius="1" pad="{name}"/></geometry></visual>'), name=name)
    assert load(tmp_path, text)[0].name == name
