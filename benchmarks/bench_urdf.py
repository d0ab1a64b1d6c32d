"""Cost of loading URDF files: chains and binary trees of 1 000, 10 000 and 100 000
links, each link with an inertial, one collision and one visual shape, each joint
revolute with limits (time per link must stay flat, within 2x, across sizes), and
the demo arm of examples/robot (median load under 1 ms). Run with `make bench`."""

import os

# NumPy's BLAS threads would spin beside the loads on small machines.
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
import statistics
import tempfile
import time
from pathlib import Path

import kinetra

ROBOT = Path(__file__).resolve().parent.parent / "examples" / "robot"

SHAPES = (
    '<box size="0.05 0.05 0.1"/>',
    '<cylinder radius="0.03" length="0.1"/>',
    '<sphere radius="0.04"/>',
)


def link(i):
    shape = SHAPES[i % 3]
    return (
        f'<link name="l{i}">'
        '<inertial><origin xyz="0 0 0.05" rpy="0 0 0"/><mass value="1.0"/>'
        '<inertia ixx="0.001" ixy="0" ixz="0" iyy="0.001" iyz="0" izz="0.0005"/></inertial>'
        f'<collision><origin xyz="0 0 0.05"/><geometry>{shape}</geometry></collision>'
        f'<visual><origin xyz="0 0 0.05"/><geometry>{shape}</geometry><material name="m{i % 2}"/></visual>'
        "</link>\n"
    )


def joint(i, parent, side):
    axis = ("1 0 0", "0 1 0", "0 0 1")[i % 3]
    return (
        f'<joint name="j{i}" type="revolute"><parent link="l{parent}"/><child link="l{i}"/>'
        f'<origin xyz="{0.02 * side} 0 0.1" rpy="0 0 0.3"/><axis xyz="{axis}"/>'
        '<limit lower="-2.5" upper="2.5" effort="50" velocity="2"/></joint>\n'
    )


def urdf(n, tree):
    """n links: a chain (link i hangs from i - 1) or a binary tree (from (i - 1) // 2)."""
    parts = ['<?xml version="1.0"?>\n<robot name="bench">\n',
             '<material name="m0"><color rgba="0.2 0.4 0.8 1"/></material>\n',
             '<material name="m1"><color rgba="0.8 0.8 0.8 1"/></material>\n']
    for i in range(n):
        parts.append(link(i))
        if i:
            parent = (i - 1) // 2 if tree else i - 1
            parts.append(joint(i, parent, (i % 2) * 2 - 1 if tree else 0))
    parts.append("</robot>\n")
    return "".join(parts)


def load(path, package_dir=None):
    start = time.perf_counter()
    model, collision, visual = kinetra.build_models_from_urdf(path, package_dir)
    return time.perf_counter() - start, model, collision, visual


def timed_load(path, n, repeats):
    """Median load time of a generated file, after checking what it produced."""
    times = []
    model = collision = visual = None
    for _ in range(repeats):
        model = collision = visual = None  # free the previous result before the next load
        elapsed, model, collision, visual = load(path)
        times.append(elapsed)
    # n links: n - 1 joints plus the world joint; world, n body and n - 1 joint frames.
    assert (model.njoints, model.nq, model.nv, model.nframes) == (n, n - 1, n - 1, 2 * n), model.njoints
    assert collision.ngeoms == n and visual.ngeoms == n, (collision.ngeoms, visual.ngeoms)
    return statistics.median(times)


def scaling(directory):
    sizes = [1_000, 10_000, 100_000]
    repeats = {1_000: 9, 10_000: 5, 100_000: 3}
    print(f"{'links':>8}{'chain us/link':>16}{'tree us/link':>16}{'file MB':>10}")
    per_link = {"chain": {}, "tree": {}}
    for n in sizes:
        row = f"{n:>8}"
        for kind in per_link:
            path = os.path.join(directory, f"{kind}_{n}.urdf")
            text = urdf(n, tree=kind == "tree")
            with open(path, "w") as f:
                f.write(text)
            per_link[kind][n] = timed_load(path, n, repeats[n]) / n * 1e6
            row += f"{per_link[kind][n]:>16.3f}"
            os.remove(path)
        print(row + f"{len(text) / 1e6:>10.1f}")
    for kind, values in per_link.items():
        worst = max(values.values()) / min(values.values())
        verdict = "ok" if worst < 2 else "ABOVE TARGET"
        print(f"{kind} flatness: max/min = {worst:.2f} (target < 2: {verdict})")


def arm():
    os.environ["ROS_PACKAGE_PATH"] = str(ROBOT / "kinetra_demo")
    path = str(ROBOT / "arm.urdf")
    model, collision, visual = kinetra.build_models_from_urdf(path, str(ROBOT))
    runs = [load(path, str(ROBOT))[0] for _ in range(2_000)]
    ms = statistics.median(runs) * 1e3
    verdict = "ok" if ms < 1 else "ABOVE TARGET"
    print(f"examples/robot/arm.urdf ({model.njoints - 1} joints, {model.nframes} frames, "
          f"{collision.ngeoms} + {visual.ngeoms} geometry objects): median load {ms:.3f} ms "
          f"(target < 1 ms: {verdict})")


def main():
    with tempfile.TemporaryDirectory() as directory:
        scaling(directory)
    arm()


if __name__ == "__main__":
    main()
