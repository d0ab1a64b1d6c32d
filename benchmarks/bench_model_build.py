"""Cost of growing a model from Python: chains of 1 000, 10 000 and 100 000 joints,
each joint with a frame. Time per joint must stay flat (within 2x) across sizes.
Run with `make bench`."""

import statistics
import time

from kinetra import Frame, FrameType, Inertia, JointModelRZ, Model, SE3


def build(n):
    model = Model()
    placement = SE3.Identity()
    inertia = Inertia.FromSphere(1.0, 0.05)
    joint = JointModelRZ()
    start = time.perf_counter()
    for i in range(1, n + 1):
        model.add_joint(i - 1, joint, placement, f"joint{i}")
        model.add_frame(Frame(f"link{i}", i, i, placement, FrameType.Body, inertia), True)
    elapsed = time.perf_counter() - start
    assert model.njoints == n + 1 and model.nframes == n + 1
    assert model.get_joint_id(f"joint{n}") == n
    return elapsed


def main():
    sizes = [1_000, 10_000, 100_000]
    per_joint = {}
    for n in sizes:
        repeats = 5 if n < 100_000 else 3
        per_joint[n] = statistics.median(build(n) for _ in range(repeats)) / n * 1e6
    print(f"{'joints':>8}{'us per joint (+frame)':>24}{'x smallest':>12}")
    base = per_joint[sizes[0]]
    for n in sizes:
        print(f"{n:>8}{per_joint[n]:>24.3f}{per_joint[n] / base:>12.2f}")
    worst = max(per_joint.values()) / min(per_joint.values())
    print(f"flatness: max/min = {worst:.2f} (target < 2)")


if __name__ == "__main__":
    main()
