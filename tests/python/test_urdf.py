"""build_models_from_urdf on small documents written for each case."""

import subprocess
import sys
from xml.sax.saxutils import quoteattr

import numpy as np
import pytest

import kinetra
from kinetra import GeometryModel, Model, forward_kinematics, random_configuration

from robots import homogeneous, rotation

LIMIT = '<limit effort="1" velocity="1"/>'
DEFAULT_COLOR = [0.9, 0.9, 0.9, 1.0]


def load(tmp_path, text, package_dir=None, **options):
    path = tmp_path / "robot.urdf"
    path.write_text(text, encoding="utf-8")
    return kinetra.build_models_from_urdf(str(path), package_dir, **options)


def error(tmp_path, text, package_dir=None, **options):
    with pytest.raises(ValueError) as info:
        load(tmp_path, text, package_dir, **options)
    return str(info.value)


def robot(*parts, name="r"):
    return f'<robot name="{name}">{"".join(parts)}</robot>'


def link(name, *parts):
    return f'<link name="{name}">{"".join(parts)}</link>'


def joint(name, parent, child, kind="revolute", *parts):
    limit = LIMIT if kind in ("revolute", "prismatic") else ""
    return (f'<joint name="{name}" type="{kind}"><parent link="{parent}"/><child link="{child}"/>'
            f'{"".join(parts)}{limit}</joint>')


def origin(xyz, rpy=(0, 0, 0)):
    return f'<origin xyz="{" ".join(map(str, xyz))}" rpy="{" ".join(map(str, rpy))}"/>'


def visual(geometry='<sphere radius="1"/>', extra="", tag="visual"):
    return f"<{tag}>{extra}<geometry>{geometry}</geometry></{tag}>"


def inertial(mass, com, rpy, entries):
    values = " ".join(f'{n}="{v}"' for n, v in zip(("ixx", "ixy", "ixz", "iyy", "iyz", "izz"), entries, strict=True))
    return f'<inertial>{origin(com, rpy)}<mass value="{mass}"/><inertia {values}/></inertial>'


def placement(xyz, rpy=(0, 0, 0)):
    r, p, y = rpy
    return homogeneous(rotation([0, 0, 1], y) @ rotation([0, 1, 0], p) @ rotation([1, 0, 0], r), xyz)


def body(mass, com, rpy, entries):
    """(mass, centre of mass, rotational inertia about it) of an inertial element."""
    xx, xy, xz, yy, yz, zz = entries
    r = placement(com, rpy)[:3, :3]
    return mass, np.array(com, float), r @ np.array([[xx, xy, xz], [xy, yy, yz], [xz, yz, zz]]) @ r.T


def combined(*placed):
    """The (placement, body) pairs moved by their placements and summed about the common centre of mass."""
    bodies = [(m, h[:3, :3] @ c + h[:3, 3], h[:3, :3] @ i @ h[:3, :3].T) for h, (m, c, i) in placed]
    mass = sum(m for m, _, _ in bodies)
    com = sum(m * c for m, c, _ in bodies) / mass
    return mass, com, sum(i + m * ((c - com) @ (c - com) * np.eye(3) - np.outer(c - com, c - com))
                          for m, c, i in bodies)


def assert_inertia(got, expected):
    assert got.mass == pytest.approx(expected[0], rel=1e-12)
    np.testing.assert_allclose(got.com, expected[1], rtol=1e-12, atol=1e-12)
    np.testing.assert_allclose(got.inertia, expected[2], rtol=1e-12, atol=1e-12)


def test_signature_docstring_and_results(tmp_path):
    function = kinetra.build_models_from_urdf
    assert function.__text_signature__ == (
        "(filepath, package_dir=None, *, root_joint=None, check_meshes=True, strict=False)")
    assert function.__doc__ == "A Python wrapper for the `build_models_from_urdf` function."
    load(tmp_path, robot(name="solo"))
    result = function(filepath=str(tmp_path / "robot.urdf"), package_dir=None)
    assert type(result) is tuple and [type(r) for r in result] == [Model, GeometryModel, GeometryModel]
    assert (result[0].name, result[0].nframes, result[1].ngeoms, result[2].ngeoms) == ("solo", 1, 0, 0)


A, B, R0 = link("a"), link("b"), link("r0")
CHILD = '<parent link="a"/><child link="b"/>'
TWICE = joint("j", "r0", "a") + joint("k", "r0", "a")  # link a, the child of two joints
INERTIA = '<inertia ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/>'
MISSING, INVALID = "Missing required parameter: ", "Invalid value for parameter: "
NO_TAG = "the <{}> tag named '{}' does not have a corresponding {} tag."
NO_DATA = "<inertial> tag in link 'a' missing "
TWO_PARENTS = "Link 'a' is the child of more than one joint."
NO_PARENT = '<link name="a" type="fixed"/>'  # its frame is looked up as a fixed joint's, which is absent


def ab(kind, inner="", a=A):
    """Links a and b joined by a joint j of the given kind, without the limit element."""
    return f'{a}{B}<joint name="j" type="{kind}">{CHILD}{inner}</joint>'


ERRORS = [
    ("material without color", '<material name="m"/>', NO_TAG.format("material", "m", "<color>")),
    ("no mass", link("a", f"<inertial>{INERTIA}</inertial>"), NO_DATA + "mass data."),
    ("no inertia", link("a", '<inertial><mass value="1"/></inertial>'), NO_DATA + "inertia data."),
    ("second visual", link("arm", visual(), "<visual/>"), NO_TAG.format("visual", "arm_1", "<geometry>")),
    ("no shape", link("a", visual("<capsule/>", tag="collision")), NO_TAG.format("geometry", "a_0", "shape")),
    ("box without size", link("a", visual("<box/>")), MISSING + "size"),
    ("duplicate name", A + B + link("c") + joint("j", "a", "b") + joint("j", "a", "c"),
     "Model error: Joint name 'j' is already used by joint with id 1."),
    ("unknown child link", A + joint("j", "a", "x"), "Unknown link name: x"),
    ("no limit", ab("revolute"), MISSING + "limit"),
    ("two parents", R0 + A + TWICE, TWO_PARENTS),
    ("loop", R0 + A + B + joint("j", "r0", "a") + joint("k", "a", "b") + joint("l", "b", "a"), TWO_PARENTS),
    # a joint: name, type, parent frame, origin, kind, axis, limit, effort, velocity
    ("name", f'{A}{B}<joint note="n1"><origin xyz="1"/>{CHILD}</joint>', "Missing name attribute for Element "
     '{ tag_name: joint, attributes: [Attribute { name: note, value: "n1" }], namespaces: [] }.'),
    ("type", f'{NO_PARENT}{B}<joint name="j">{CHILD}<origin xyz="1"/></joint>', MISSING + "type"),
    ("parent frame", ab("hinge", '<origin xyz="1"/>', a=NO_PARENT), "Frame references unknown parent: a"),
    ("origin", ab("hinge", '<origin xyz="1"/>'), INVALID + "xyz"),
    ("kind, case-sensitive", ab("Revolute", '<axis xyz="x"/>'), "unknown joint type (Revolute)."),
    ("axis", ab("prismatic", '<axis xyz="0 0 1 0"/>'), INVALID + "xyz"),
    ("effort, bounds ignored", ab("revolute", '<limit lower="x" upper="y"/>'), MISSING + "effort"),
    ("velocity", ab("prismatic", '<limit effort="1" velocity="x"/>'), INVALID + "velocity"),
    ("continuous limit", ab("continuous", '<limit effort="1"/>'), MISSING + "velocity"),
    # the document: materials, then the child links of all joints, then the walk
    ("materials", link("a", "<inertial/>") + '<material name="m"><color rgba="1 0 0"/></material>',
     INVALID + "rgba"),
    ("tree before walk", link("r0", "<inertial/>") + A + TWICE, TWO_PARENTS),
]


@pytest.mark.parametrize("body_xml, message", [e[1:] for e in ERRORS], ids=[e[0] for e in ERRORS])
def test_errors(tmp_path, body_xml, message):
    assert error(tmp_path, robot(body_xml)) == message


def test_walk_order(tmp_path):
    parts = [joint("j9", "base", "c9"), joint("j10", "base", "c10", "continuous"), joint("k", "c1", "d"),
             joint("f", "base", "x", "fixed"), joint("j1", "base", "c1"),
             joint("pq", "p", "q"), joint("qp", "q", "p")]  # a cycle no root reaches is never visited
    names = ("d", "c9", "ä", "c10", "x", "b", "p", "c1", "B", "q", "base", "_")
    model, _, visual_model = load(tmp_path, robot(*parts, *(link(n, visual()) for n in names)))
    # roots by name bytes, then depth first: a link, then its joints by name, each followed by its subtree
    order = ["B", "_", "b", "base", "f", "x", "j1", "c1", "k", "d", "j10", "c10", "j9", "c9", "ä"]
    assert [f.name for f in model.frames] == ["__WORLD_FRAME__"] + order
    assert [g.name for g in visual_model.geometry_objects] == [f"{n}_0" for n in order if n[0] not in "fjk"]
    assert model.joint_names == ["__WORLD__", "j1", "k", "j10", "j9"]
    assert (model.joint_parents, model.nq, model.nv) == ([0, 0, 1, 0, 0], 5, 4)  # continuous: no limit needed


def test_long_chain_and_deep_nesting_load_in_a_child_process(tmp_path):
    n = 100_000
    chain = "".join(f'<link name="l{i}"/>{joint(f"j{i}", f"l{i - 1}", f"l{i}")}' for i in range(1, n))
    (tmp_path / "chain.urdf").write_text(f'<robot name="chain"><link name="l0"/>{chain}</robot>')
    (tmp_path / "deep.urdf").write_text("<a>" * n + '<robot name="deep"/>' + "</a>" * n)
    script = ("import sys, kinetra\nfor path in sys.argv[1:]:\n    try:\n"
              "        m = kinetra.build_models_from_urdf(path)[0]\n"
              "        print(m.name, m.njoints, m.nq, m.nframes, m.joint_parents[-1])\n"
              "    except ValueError as e:\n        print(e)\n")
    paths = [str(tmp_path / "chain.urdf"), str(tmp_path / "deep.urdf")]
    done = subprocess.run([sys.executable, "-c", script, *paths], capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr[-2000:]
    chain_result, deep_result = done.stdout.splitlines()
    assert chain_result == f"chain {n} {n - 1} {2 * n} {n - 2}"
    # nesting this deep may be refused by the parser, but only with an XML error
    assert deep_result == "deep 1 0 1 0" or deep_result.startswith("XML parsing error: ")


ORIGINS = {  # xyz, rpy
    "base": ((0.1, -0.2, 0.05), (0, 0, 0.3)), "fb": ((0, 0, -0.2), (0.1, 0, 0)), "arm": ((0, 0, 0.05),),
    "j": ((0, 0, 0.5), (0, 0.2, 0)), "f": ((0, 0, 0.5), (0.3, 0.2, 0.1)), "k": ((0, 0.1, 0), (0, 0, 0.7)),
    "base_v": ((0, 0, 0.1), (0.2, 0, 0)), "tool_c": ((0.01, 0.02, 0.03), (0.5, 0, 0)),
}
BODIES = {  # mass, centre of mass, rpy of the inertia axes, (ixx, ixy, ixz, iyy, iyz, izz)
    "base": (2.0, (0.1, 0.2, 0.3), (0.4, -0.5, 0.6), (0.3, 0.01, 0.02, 0.4, 0.03, 0.5)),
    "plate": (0.5, (0.05, 0.0, 0.0), (0, 0, 0), (0.01, 0.0, 0.0, 0.01, 0.0, 0.01)),
    "arm": (1.5, (0.0, 0.0, 0.25), (0, 0, 0), (0.02, 0.0, 0.0, 0.02, 0.0, 0.001)),
    "tool": (0.3, (0.02, 0.0, 0.0), (0, 0, 0.5), (0.002, 0.0001, 0.0, 0.003, 0.0, 0.004)),
    "hand": (0.4, (0.0, 0.0, 0.05), (0.1, 0.2, 0.3), (0.001, 0.0, 0.0, 0.002, 0.0, 0.003)),
}
TREE = robot(  # walk: base, arm (joint), arm (link), f, tool, k, hand, fb, plate
    joint("k", "tool", "hand", "prismatic", origin(*ORIGINS["k"])),  # along x by default
    link("hand", inertial(*BODIES["hand"])),
    link("tool", inertial(*BODIES["tool"]), visual('<box size="1 2 3"/>', origin(*ORIGINS["tool_c"]), "collision")),
    joint("f", "arm", "tool", "fixed", origin(*ORIGINS["f"])),  # hangs from the link arm, not the joint arm
    link("arm", origin(*ORIGINS["arm"]), inertial(*BODIES["arm"])),
    joint("arm", "base", "arm", "revolute", origin(*ORIGINS["j"]), '<axis xyz="0 2 0"/>'),
    joint("fb", "base", "plate", "fixed", origin(*ORIGINS["fb"])),
    link("plate", inertial(*BODIES["plate"])),
    link("base", origin(*ORIGINS["base"]), inertial(*BODIES["base"]), visual(extra=origin(*ORIGINS["base_v"]))),
)


def test_frames_inertias_geometry_and_motion_of_a_tree(tmp_path):
    model, collision, visual_model = load(tmp_path, TREE)
    p = {name: placement(*o) for name, o in ORIGINS.items()}
    fb, f, eye = p["base"] @ p["fb"], p["arm"] @ p["f"], np.eye(4)
    b, zero = {name: body(*v) for name, v in BODIES.items()}, (0.0, np.zeros(3), np.zeros((3, 3)))
    # a root link keeps its inertia; a link under a fixed joint leaves it unmoved on that joint's frame
    expected = [("__WORLD_FRAME__", "Fixed", 0, 0, eye, zero), ("base", "Body", 0, 0, p["base"], b["base"]),
                ("arm", "Joint", 1, 1, eye, zero), ("arm", "Body", 1, 2, p["arm"], zero),
                ("f", "Fixed", 1, 3, f, b["tool"]), ("tool", "Body", 1, 4, f, zero),
                ("k", "Joint", 2, 5, eye, zero), ("hand", "Body", 2, 6, eye, zero),
                ("fb", "Fixed", 0, 1, fb, b["plate"]), ("plate", "Body", 0, 8, fb, zero)]
    for frame, (name, kind, joint_id, parent, h, inertia) in zip(model.frames, expected, strict=True):
        assert (frame.name, repr(frame.frame_type), frame.parent_joint, frame.parent_frame) == (
            name, f"FrameType.{kind}", joint_id, parent)
        np.testing.assert_allclose(frame.placement.homogeneous, h, atol=1e-15)
        assert_inertia(frame.inertia, inertia)
    # each joint carries the inertias of the links it moves, moved into its own frame
    assert_inertia(model.inertias[0], combined((p["base"], b["base"]), (fb, b["plate"])))
    assert_inertia(model.inertias[1], combined((eye, b["arm"]), (f, b["tool"])))
    assert_inertia(model.inertias[2], b["hand"])
    for geometry, name, joint_id, frame_id, h in ((collision, "tool_0", 1, 5, f @ p["tool_c"]),
                                                   (visual_model, "base_0", 0, 1, p["base"] @ p["base_v"])):
        (g,) = geometry.geometry_objects
        assert (g.name, g.parent_joint, g.parent_frame) == (name, joint_id, frame_id)
        np.testing.assert_allclose(g.placement.homogeneous, h, atol=1e-15)
    data, q = model.create_data(), random_configuration(model).to_numpy()
    forward_kinematics(model, data, q)
    first = p["base"] @ p["j"] @ homogeneous(rotation([0, 1, 0], q[0]), np.zeros(3))  # axis normalised
    np.testing.assert_allclose(data.oMi[1].homogeneous, first, atol=1e-12)
    second = first @ f @ p["k"] @ homogeneous(np.eye(3), [q[1], 0, 0])
    np.testing.assert_allclose(data.oMi[2].homogeneous, second, atol=1e-12)


def test_root_joint_and_floating_joint_give_the_same_robot(tmp_path):
    keyword = load(tmp_path, TREE, root_joint=kinetra.JointModelFreeFlyer())[0]
    floating = TREE.replace("</robot>", link("world") + joint("root_joint", "world", "base", "floating") + "</robot>")
    written = load(tmp_path, floating)[0]
    for model in (keyword, written):
        assert [repr(m.joint_type) for m in model.joint_models[:2]] == ["JointType.Fixed", "JointType.FreeFlyer"]
        assert (model.nq, model.nv, model.joint_names[1], model.inertias[0].mass) == (9, 8, "root_joint", 0.0)
    # the written form also has the world link's body frame
    assert [f.name for f in written.frames if f.name != "world"] == [f.name for f in keyword.frames]
    for name in ("njoints", "joint_parents", "joint_names", "joint_q_offsets"):
        assert getattr(keyword, name) == getattr(written, name)
    for a, b in zip(keyword.joint_placements + keyword.inertias, written.joint_placements + written.inertias,
                    strict=True):
        assert repr(a) == repr(b)
    q, v = random_configuration(keyword).to_numpy().ravel(), np.linspace(-1, 1, 8)
    torques = [kinetra.rnea(m, m.create_data(), q, v, v).to_numpy() for m in (keyword, written)]
    np.testing.assert_array_equal(*torques)


def test_root_joint_refusals(tmp_path):
    with pytest.raises(TypeError, match="takes from 1 to 2 positional arguments but 3 were given"):
        kinetra.build_models_from_urdf("robot.urdf", None, kinetra.JointModelFreeFlyer())
    with pytest.raises(TypeError, match="argument 'root_joint'"):
        load(tmp_path, TREE, root_joint=3)
    clash = TREE.replace("</robot>", link("x") + joint("root_joint", "base", "x") + "</robot>")
    assert "root_joint" in error(tmp_path, clash, root_joint=kinetra.JointModelFixed())


@pytest.mark.parametrize("kind, limit, low, high", [
    ("revolute", 'lower="-1" upper="1"', -1.0, 1.0), ("prismatic", 'lower="0.25" upper="0.5"', 0.25, 0.5),
    ("prismatic", 'lower="abc" upper="+Infinity"', -2 * np.pi, 2 * np.pi),  # unreadable or infinite
])
def test_limits_bound_random_configurations(tmp_path, kind, limit, low, high):
    model = load(tmp_path, robot(ab(kind, f'<limit {limit} effort="1" velocity="1"/>')))[0]
    draws = np.array([random_configuration(model).to_numpy()[0] for _ in range(400)])
    assert draws.min() >= low and draws.max() < high
    assert draws.min() < low + 0.1 * (high - low) and draws.max() > high - 0.1 * (high - low)


def test_colours(tmp_path):
    cases = [  # material of a visual, expected colour
        ('<material name="red"/>', [1, 0, 0, 1]),  # the robot's table
        ('<material name="red"><color rgba="0 1 0 1"/></material>', [1, 0, 0, 1]),  # the table wins
        ('<material name="green"><color rgba="0 1 0 0.5"/></material>', [0, 1, 0, 0.5]),
        ('<material name="green"/>', [0, 1, 0, 0.5]),  # defined by the visual before
        ('<material name="blue"><color rgba="0 0 1"/></material>', DEFAULT_COLOR),
        ('<material name="blue"/>', DEFAULT_COLOR),  # a failed colour defines nothing
        ("", DEFAULT_COLOR),
    ]
    kept = visual(extra='<material name="red"/>', tag="collision")  # a collision keeps the default colour
    text = robot('<material name="red"><color rgba="1 0 0 1"/></material>',
                 link("a", kept, *(visual(extra=m) for m, _ in cases)))
    _, collision, visual_model = load(tmp_path, text)
    assert collision.geometry_objects[0].mesh_color[0] == float.fromhex("0x1.ccccccccccccdp-1")  # 0.9 exactly
    colours = [obj.mesh_color for obj in collision.geometry_objects + visual_model.geometry_objects]
    np.testing.assert_array_equal(colours, [DEFAULT_COLOR] + [c for _, c in cases])


@pytest.mark.parametrize("geometry, shape, values", [
    ('<box size="0.1 2 3"/>', "Cuboid", {"half_extents": np.array([0.05, 1, 1.5], np.float32)}),
    ('<cylinder radius="0.1" length="2"/>', "Cylinder", {"radius": np.float32(0.1), "half_length": 1.0}),
    # rounded once, straight to single precision
    ('<sphere radius="1.0000000596046447753906251"/>', "Sphere", {"radius": 1.00000011920928955078125}),
    # box, then cylinder, then sphere, then mesh, whatever the document order
    ('<mesh/><sphere radius="1"/><cylinder radius="2" length="2"/><box size="2 2 2"/>', "Cuboid",
     {"half_extents": [1, 1, 1]}),
    ('<mesh/><sphere radius="3"/>', "Sphere", {"radius": 3.0}),
])
def test_shapes(tmp_path, geometry, shape, values):
    models = load(tmp_path, robot(link("a", visual(geometry, tag="collision"), visual(geometry))))
    for obj in (models[1].geometry_objects[0], models[2].geometry_objects[0]):
        assert repr(obj.geometry.shape_type) == f"ShapeType.{shape}"
        for attribute, expected in values.items():
            np.testing.assert_array_equal(getattr(obj.geometry, attribute), expected)


@pytest.mark.parametrize("attribute, text, value", [  # value None: refused
    ("value", "+2.5E+2", 250.0), ("value", "1e400", np.inf), ("value", "-InFiNiTy", -np.inf),
    ("value", "nAn", np.nan),
    ("value", "1.00000000000000011102230246251565404236316680908203126", 1 + 2 ** -52),
    ("value", " 1", None), ("value", "0x10", None), ("value", "1e", None), ("value", "infinit", None),
    # lists split on any Unicode white space, leading and trailing included, and have a fixed length
    ("xyz", "&#9;1\u00a02\u2003 3\n", (1, 2, 3)), ("xyz", "1\u30002\u20283", (1, 2, 3)),
    ("xyz", "1 2", None), ("xyz", "1\u200b2\u200b3", None),
])
def test_number_grammar(tmp_path, attribute, text, value):
    """Single numbers are read from a mass, lists from the origin of a fixed joint."""
    text = robot(ab("fixed", f'<origin xyz="{text}"/>') if attribute == "xyz" else
                 link("a", f'<inertial><mass value="{text}"/>{INERTIA}</inertial>'))
    if value is None:
        assert error(tmp_path, text) == INVALID + attribute
        return
    model = load(tmp_path, text)[0]
    got = model.frames[2].placement.translation if attribute == "xyz" else model.frames[1].inertia.mass
    np.testing.assert_array_equal(got, value)


BAD = "Invalid file path: "
MESHES = {  # files to create ("a->b": a symbolic link), ROS_PACKAGE_PATH (None: unset), filename,
    # package_dir, resolved path or error text; {t} is a temporary directory and the working directory
    "package": (["ws/pkg/m.stl"], "{t}/opt/a:{t}/ws/pkg", "package://pkg/m.stl", None, "{t}/ws/pkg/m.stl"),
    "not found": (["ws/pkg/m.stl"], "{t}/ws", "package://pkg/m.stl", None,
                  BAD + "Package 'pkg' not found in ROS_PACKAGE_PATH"),
    "unset": (["pkg/m.stl"], None, "package://pkg/m.stl", "{t}",
              BAD + "'package://' was used but the ROS_PACKAGE_PATH environment variable is not set"),
    "trailing slash": (["x/pkg/m.stl"], "{t}/x/pkg/", "package://pkg/m.stl", None, "{t}/x/pkg/m.stl"),
    "three slashes": (["pkg/m.stl"], "{t}/pkg", "package:///pkg/m.stl", None, "{t}/pkg/m.stl"),
    "no slash": ([], "{t}/pkg", "package://pkg", None, BAD + "Invalid package path: pkg"),
    "symbolic link": (["real.stl", "link.stl->real.stl"], None, "{t}/link.stl", None, "{t}/link.stl"),
    "dangling link": (["l->gone.stl"], None, "{t}/l", None, BAD + "Mesh file does not exist: {t}/l"),
    "relative, no package_dir": (["meshes/a.stl"], "{t}", "meshes/a.stl", None,
                                 BAD + "'package_dir' must be provided to resolve mesh file paths"),
    "relative package_dir": (["data/meshes/a.stl"], None, "meshes/a.stl", "data", "data/meshes/a.stl"),
}


@pytest.mark.parametrize("files, env, filename, package_dir, expected", MESHES.values(), ids=MESHES)
def test_mesh_file_names(tmp_path, monkeypatch, files, env, filename, package_dir, expected):
    root = tmp_path
    monkeypatch.chdir(root)
    for entry in files:
        name, _, target = entry.partition("->")
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).symlink_to(root / target) if target else (root / name).write_bytes(b"solid\n")
    monkeypatch.delenv("ROS_PACKAGE_PATH", raising=False)
    if env is not None:
        monkeypatch.setenv("ROS_PACKAGE_PATH", env.format(t=root))
    mesh = f"<mesh filename={quoteattr(filename.format(t=root))}/>"
    text = robot(link("a", visual(mesh, tag="collision"), visual(mesh)))
    package_dir, expected = package_dir and package_dir.format(t=root), expected.format(t=root)
    if expected.startswith(BAD):
        assert error(tmp_path, text, package_dir) == expected
        return
    for geometry in load(tmp_path, text, package_dir)[1:]:
        shape = geometry.geometry_objects[0].geometry
        assert repr(shape.shape_type) == "ShapeType.Mesh" and shape.mesh_path == expected


@pytest.mark.parametrize("text, name, frames", [
    ('<x:robot xmlns:x="urn:x" name="r"><x:link name="a"/><x:link name="b"/><x:joint name="j" type="fixed">'
     '<x:parent link="a"/><x:child link="b"/></x:joint></x:robot>', "r", "ajb"),
    ('<robot name="r" xmlns:x="urn:x"><link x:name="a"/><x:include/></robot>', "r", [""]),  # not a name
    # the first robot element in document order; only its direct children are read
    ('<w><x/><robot name="one"><g><link name="hidden"/></g><gazebo/></robot><robot/></w>', "one", ""),
])
def test_robot_element(tmp_path, text, name, frames):
    model = load(tmp_path, text)[0]
    assert model.name == name and [f.name for f in model.frames] == ["__WORLD_FRAME__", *frames]


@pytest.mark.parametrize("content, message", [
    (b'<?xml version="1.0"?><!DOCTYPE r [<!ENTITY n "r">]><robot name="&n;"/>', "XML parsing error: "),
    (b"", "XML parsing error: "),
    (b'<a><robotx name="r"/></a>', "No <robot> tag found in URDF."),
    (b'<robot name="caf\xc3"/>', "IO error: stream did not contain valid UTF-8 (file: {p})"),
    (np.random.default_rng(1).bytes(1 << 20), "IO error: stream did not contain valid UTF-8 (file: {p})"),
    (None, "IO error: No such file or directory (os error 2) (file: {p})"),
], ids=["doctype", "empty", "no robot", "invalid UTF-8", "random bytes", "missing file"])
def test_documents_that_are_no_urdf(tmp_path, content, message):
    path = tmp_path / "bad.urdf"
    if content is not None:
        path.write_bytes(content)
    with pytest.raises(ValueError) as info:
        kinetra.build_models_from_urdf(str(path))
    if message.startswith("XML"):  # the parser's text, then where it stopped
        assert str(info.value).startswith(message) and str(info.value).rsplit(" at ", 1)[1][0].isdigit()
    else:
        assert str(info.value) == message.format(p=path)


def test_nul_bytes_in_names_are_not_cut_short(tmp_path):
    path = tmp_path / "robot.urdf"
    path.write_text(robot(link("a", visual('<mesh filename="m.stl"/>'))))
    (tmp_path / "m.stl").write_text("")
    with pytest.raises(ValueError, match="unexpected NUL byte"):
        kinetra.build_models_from_urdf(str(path) + "\0ignored")
    with pytest.raises(ValueError, match="Mesh file does not exist"):
        kinetra.build_models_from_urdf(str(path), str(tmp_path) + "\0/elsewhere")


def test_huge_attribute_values(tmp_path):
    name = "n" * 5_000_000
    text = robot(link("a", visual(f'<sphere pad="{name}" radius="1"/>')), name=name)
    assert load(tmp_path, text)[0].name == name
