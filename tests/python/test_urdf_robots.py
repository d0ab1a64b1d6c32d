"""Every robot description of the shared collection loads, with placeholder mesh files,
into the tree that an independent reading of its XML predicts."""

import math
import pathlib
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import kinetra
from kinetra import forward_kinematics, random_configuration, rnea

ROBOTS = pathlib.Path(__file__).resolve().parents[2].parent / "shared" / "robots"
if not ROBOTS.is_dir():
    pytest.skip(f"no robot collection at {ROBOTS}", allow_module_level=True)

FILES = sorted(ROBOTS.glob("*.urdf"))
MOVING = {"revolute": (1, 1), "prismatic": (1, 1), "continuous": (2, 1)}
SHAPES = (("box", "Cuboid"), ("cylinder", "Cylinder"), ("sphere", "Sphere"), ("mesh", "Mesh"))


def local(element):
    return element.tag.rsplit("}", 1)[-1]


def children(element, name):
    return [c for c in element if local(c) == name]


def first(element, name):
    found = children(element, name)
    return found[0] if found else None


def number(text, default):
    if text is None or text != text.strip() or "_" in text:
        return default
    try:
        return float(text)
    except ValueError:
        return default


def bounds(low, high):
    """The range random configurations are drawn from: infinite limits become 2 pi."""
    return (-2 * math.pi if low == -math.inf else low), (2 * math.pi if high == math.inf else high)


class Description:
    """What the loader should build, read from the XML with the standard library."""

    def __init__(self, path, resolve):
        root = ET.parse(path).getroot()
        self.robot = next(e for e in root.iter() if local(e) == "robot")
        self.name = self.robot.get("name", "")
        links = children(self.robot, "link")
        joints = children(self.robot, "joint")
        named = {}
        for element in links:
            named.setdefault(element.get("name", ""), element)
        child_names = {first(j, "child").get("link") for j in joints if first(j, "child") is not None}
        below = {}
        for j in joints:
            parent = first(j, "parent")
            if parent is not None and parent.get("link") is not None:
                below.setdefault(parent.get("link"), []).append(j)
        roots = sorted((e for e in links if e.get("name", "") not in child_names),
                       key=lambda e: e.get("name", "").encode())
        self.joints, self.frames, self.collision, self.visual = [], [("__WORLD_FRAME__", "Fixed")], [], []
        self.mass = 0.0
        stack = [("link", e) for e in reversed(roots)]
        while stack:
            kind, element = stack.pop()
            if kind == "link":
                self.visit_link(element, resolve)
                for j in reversed(sorted(below.get(element.get("name", ""), []), key=lambda e: e.get("name").encode())):
                    stack.append(("joint", j))
                continue
            kind = element.get("type")
            frame = (element.get("name"), "Fixed" if kind == "fixed" else "Joint")
            if frame not in self.frames:
                self.frames.append(frame)
            if kind in MOVING:
                limit = first(element, "limit")
                low = number(limit.get("lower") if limit is not None else None, -math.inf)
                high = number(limit.get("upper") if limit is not None else None, math.inf)
                self.joints.append((element.get("name"), kind, low, high))
            child = first(element, "child")
            if child is not None:
                stack.append(("link", named[child.get("link")]))

    def visit_link(self, element, resolve):
        name = element.get("name", "")
        if (name, "Body") not in self.frames:
            self.frames.append((name, "Body"))
        inertial = first(element, "inertial")
        if inertial is not None:
            self.mass += float(first(inertial, "mass").get("value"))
        for tag, out in (("collision", self.collision), ("visual", self.visual)):
            for k, item in enumerate(children(element, tag)):
                geometry = first(item, "geometry")
                shape, path = next((label, resolve(first(geometry, s).get("filename")) if s == "mesh" else None)
                                   for s, label in SHAPES if first(geometry, s) is not None)
                out.append((f"{name}_{k}", shape, path))

    @property
    def nq(self):
        return sum(MOVING[kind][0] for _, kind, _, _ in self.joints)

    @property
    def nv(self):
        return sum(MOVING[kind][1] for _, kind, _, _ in self.joints)


def placeholder_meshes(path, root):
    """Creates an empty file for every mesh the document names; returns the package path, the
    package directory and the function that maps a file name to the path the loader reports."""
    packages, package_dir = {}, root / "relative"

    def resolve(name):
        if name.startswith("package://"):
            rest = name[len("package://"):]
            rest = rest[1:] if rest.startswith("/") else rest
            package, _, relative = rest.partition("/")
            packages[package] = root / "packages" / package
            return f"{packages[package]}/{relative}"
        if name.startswith("/"):
            return name
        return f"{package_dir}/{name}"

    names = [e.get("filename") for e in ET.parse(path).getroot().iter() if local(e) == "mesh"]
    for name in filter(None, names):
        target = pathlib.Path(resolve(name))
        if name.startswith("/"):
            if not target.exists():
                pytest.skip(f"{path.name} names the absolute mesh path {name}")
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.touch()
    return ":".join(str(p) for p in packages.values()), str(package_dir), resolve


@pytest.mark.parametrize("path", FILES, ids=[p.stem for p in FILES])
def test_robot_loads(path, tmp_path, monkeypatch):
    package_path, package_dir, resolve = placeholder_meshes(path, tmp_path)
    monkeypatch.setenv("ROS_PACKAGE_PATH", package_path)
    expected = Description(path, resolve)
    model, collision, visual = kinetra.build_models_from_urdf(str(path), package_dir)

    assert model.name == expected.name
    assert model.joint_names == ["__WORLD__"] + [name for name, _, _, _ in expected.joints]
    assert [repr(m.joint_type) for m in model.joint_models[1:]] == [
        f"JointType.{kind.capitalize()}" for _, kind, _, _ in expected.joints]
    assert (model.njoints, model.nq, model.nv) == (len(expected.joints) + 1, expected.nq, expected.nv)
    assert [(f.name, repr(f.frame_type).split(".")[1]) for f in model.frames] == expected.frames
    assert sum(i.mass for i in model.inertias) == pytest.approx(expected.mass, rel=1e-12)
    for geometry, objects in ((collision, expected.collision), (visual, expected.visual)):
        got = [(g.name, repr(g.geometry.shape_type).split(".")[1], g.geometry.mesh_path
                if repr(g.geometry.shape_type) == "ShapeType.Mesh" else None) for g in geometry.geometry_objects]
        assert got == objects

    data = model.create_data()
    rng = np.random.default_rng(0)
    for _ in range(3):
        q = []
        for _, kind, _, _ in expected.joints:
            angle = rng.uniform(-1.0, 1.0)
            q += [math.cos(angle), math.sin(angle)] if kind == "continuous" else [angle]
        q = np.array(q)
        forward_kinematics(model, data, q)
        assert all(np.all(np.isfinite(p.homogeneous)) for p in data.oMi)
        tau = rnea(model, data, q, rng.normal(size=model.nv), rng.normal(size=model.nv)).to_numpy()
        assert tau.shape == (model.nv,) and np.all(np.isfinite(tau))

    ranges = [bounds(low, high) for _, kind, low, high in expected.joints if kind != "continuous"]
    if any(not high > low for low, high in ranges):
        with pytest.raises(kinetra.PanicException, match="^cannot sample empty range$"):
            random_configuration(model)
        return
    for _ in range(20):
        q = random_configuration(model).to_numpy()
        at = 0
        for _, kind, low, high in expected.joints:
            if kind == "continuous":
                assert q[at] ** 2 + q[at + 1] ** 2 == pytest.approx(1.0)
                at += 2
                continue
            low, high = bounds(low, high)
            assert low <= q[at] < high
            at += 1
