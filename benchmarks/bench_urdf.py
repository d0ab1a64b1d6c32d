"""Cost of loading URDF files: chains and binary trees of 1 000, 10 000 and 100 000
links, each link with an inertial, one collision and one visual shape, each joint
revolute with limits (time per link must stay flat, within 2x, across sizes); such
chains with twice as many materials (or skipped gazebo elements) as links, placed
before, after or among the links and joints, from 1 000 to 100 000 top-level
elements (time per element must stay flat, within 1.5x, whatever the order); the
demo arm of examples/robot (median load under 1 ms); and Panda from the shared robot
collection with its collision and visual models, mesh files not looked for (median
load at most 80 us). Run with `make bench`."""

import os

# NumPy's BLAS threads would spin beside the loads on small machines.
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
import statistics
import tempfile
import time
from pathlib import Path

import kinetra

ROBOT = Path(__file__).resolve().parent.parent / "examples" / "robot"
PANDA = Path(__file__).resolve().parents[2] / "shared" / "robots" / "panda.urdf"

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


def material(i):
    return f'<material name="c{i}"><color rgba="0.5 0.5 0.5 1"/></material>\n'


def skipped(i):
    return f'<gazebo reference="l{i}"><sensor name="s{i}"/></gazebo>\n'


def ordered(n, order):
    """About n top-level elements: a chain of n // 4 links with its joints and n // 2
    materials (or skipped elements), in the given order. Returns (text, links, elements)."""
    links = n // 4
    extras = [material(i) for i in range(n // 2)]
    if order == "skipped first":
        extras = [skipped(i) for i in range(n // 2)]
    links_part = [link(i) for i in range(links)]
    joints_part = [joint(i, i - 1, 0) for i in range(1, links)]
    if order in ("materials first", "skipped first"):
        body = extras + links_part + joints_part
    elif order == "materials last":
        body = links_part + joints_part + extras
    elif order == "joints first":
        body = joints_part + extras + links_part
    else:  # interleaved: a material before each link and each joint
        chain = [links_part[0]]
        for i in range(1, links):
            chain += [links_part[i], joints_part[i - 1]]
        body = [p for pair in zip(extras, chain, strict=False) for p in pair] + extras[len(chain):]
    head = ['<?xml version="1.0"?>\n<robot name="bench">\n',
            '<material name="m0"><color rgba="0.2 0.4 0.8 1"/></material>\n',
            '<material name="m1"><color rgba="0.8 0.8 0.8 1"/></material>\n']
    return "".join(head + body + ["</robot>\n"]), links, len(body) + 2


def load(path, package_dir=None):
    start = time.perf_counter()
    model, collision, visual = kinetra.build_models_from_urdf(path, package_dir)
    return time.perf_counter() - start, model, collision, visual


def check(n, model, collision, visual):
    # n links: n - 1 joints plus the world joint; world, n body and n - 1 joint frames.
    assert (model.njoints, model.nq, model.nv, model.nframes) == (n, n - 1, n - 1, 2 * n), model.njoints
    assert collision.ngeoms == n and visual.ngeoms == n, (collision.ngeoms, visual.ngeoms)


def timed_load(path, n, repeats):
    """Median load time of a generated file, after checking what it produced."""
    times = []
    model = collision = visual = None
    for _ in range(repeats):
        model = collision = visual = None  # free the previous result before the next load
        elapsed, model, collision, visual = load(path)
        times.append(elapsed)
    check(n, model, collision, visual)
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


ORDERS = ("materials first", "materials last", "interleaved", "joints first", "skipped first")


def orders(directory):
    """Per element CPU time of loading ordered() documents. Each round loads every size
    with the same number of elements in all (100 x 1 000, 10 x 10 000, 1 x 100 000),
    and the least time over rounds is kept: on a shared machine the work of others
    then weighs alike on all sizes and little on the result, which a ratio as tight
    as 1.5x needs."""
    sizes = [1_000, 10_000, 100_000]
    rounds = 5
    per_element = {}
    for order in ORDERS:
        paths, elements = {}, {}
        for n in sizes:
            paths[n] = os.path.join(directory, f"ordered_{n}.urdf")
            text, links, elements[n] = ordered(n, order)
            with open(paths[n], "w") as f:
                f.write(text)
            check(links, *kinetra.build_models_from_urdf(paths[n]))
        samples = {n: [] for n in sizes}
        for _ in range(rounds):
            for n in sizes:
                loads = sizes[-1] // n
                start = time.process_time()
                for _ in range(loads):
                    kinetra.build_models_from_urdf(paths[n])  # freed at once, inside the timing
                samples[n].append((time.process_time() - start) / loads / elements[n] * 1e6)
        per_element[order] = {n: min(samples[n]) for n in sizes}
        for path in paths.values():
            os.remove(path)
    print(f"{'elements':>8}" + "".join(f"{o + ' us/el':>22}" for o in ORDERS))
    for n in sizes:
        print(f"{n:>8}" + "".join(f"{per_element[o][n]:>22.3f}" for o in ORDERS))
    for order, values in per_element.items():
        worst = max(values.values()) / min(values.values())
        verdict = "ok" if worst < 1.5 else "ABOVE TARGET"
        print(f"{order} flatness: max/min = {worst:.2f} (target < 1.5: {verdict})")


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


def panda():
    if not PANDA.is_file():
        print(f"Panda load skipped: no {PANDA} (the shared robot collection is absent)")
        return
    path = str(PANDA)
    model, collision, visual = kinetra.build_models_from_urdf(path, check_meshes=False)
    assert collision.ngeoms > 0 and visual.ngeoms > 0, (collision.ngeoms, visual.ngeoms)
    for _ in range(200):  # warm the allocator and the caches
        kinetra.build_models_from_urdf(path, check_meshes=False)
    runs = []
    for _ in range(5_000):
        start = time.perf_counter()
        kinetra.build_models_from_urdf(path, check_meshes=False)
        runs.append(time.perf_counter() - start)
    us = statistics.median(runs) * 1e6
    verdict = "ok" if us <= 80 else "ABOVE TARGET"
    print(f"shared panda.urdf with geometry ({model.njoints - 1} joints, {collision.ngeoms} + "
          f"{visual.ngeoms} geometry objects, check_meshes=False): median load {us:.1f} us "
          f"(target <= 80 us: {verdict})")


def main():
    with tempfile.TemporaryDirectory() as directory:
        scaling(directory)
        orders(directory)
    arm()
    panda()


if __name__ == "__main__":
    main()
