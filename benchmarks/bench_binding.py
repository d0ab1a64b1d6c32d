"""Per-call cost of the binding layer from Python, against the floor of a built-in
C method call made the same way; then the whole call of forward_kinematics, rnea and aba,
on a world-only model (nq = nv = 0: what is left is the binding's own cost; target
<= 75 ns each) and, when the shared robot collection is present, on Panda read without its
meshes (targets: forward_kinematics <= 0.35 us, rnea <= 0.5 us, aba <= 0.9 us). Medians.
Run with `make bench`."""

import pathlib
import statistics
import timeit

import numpy as np

import kinetra
from arm import without_geometry

PANDA = pathlib.Path(__file__).resolve().parents[2] / "shared" / "robots" / "panda.urdf"
WORLD_TARGET_NS = 75.0
PANDA_TARGETS_NS = {"forward_kinematics": 350.0, "rnea": 500.0, "aba": 900.0}
ALGORITHMS = {"forward_kinematics": "kinetra.forward_kinematics(model, data, q)",
              "rnea": "kinetra.rnea(model, data, q, v, a)",
              "aba": "kinetra.aba(model, data, q, v, a)"}


def median_ns(statement, namespace, number=200_000, repeat=7):
    times = timeit.repeat(statement, globals=namespace, number=number, repeat=repeat)
    return statistics.median(times) / number * 1e9


def toolkit_calls():
    v = kinetra.Vector3D(1.0, 2.0, 3.0)
    namespace = {"kinetra": kinetra, "v": v, "x": 1.5, "np": np}
    floor = median_ns("x.__abs__()", namespace)
    cases = [
        ("Vector3D.norm()", "v.norm()"),
        ("Vector3D(x, y, z)", "kinetra.Vector3D(1.0, 2.0, 3.0)"),
        ("Vector3D(x=, y=, z=)", "kinetra.Vector3D(x=1.0, y=2.0, z=3.0)"),
        ("Vector3D + Vector3D", "v + v"),
        ("Vector3D.to_numpy()", "v.to_numpy()"),
        ("repr(Vector3D)", "repr(v)"),
    ]
    print(f"{'call':<24}{'median ns':>12}{'x floor':>10}")
    print(f"{'floor: float.__abs__()':<24}{floor:>12.1f}{1.0:>10.2f}")
    for label, statement in cases:
        ns = median_ns(statement, namespace)
        print(f"{label:<24}{ns:>12.1f}{ns / floor:>10.2f}")


def algorithm_calls(title, model, targets, number):
    rng = np.random.default_rng(0)
    q = kinetra.random_configuration(model).to_numpy().ravel().copy()
    v, a = rng.uniform(-1.0, 1.0, (2, model.nv))
    namespace = {"kinetra": kinetra, "model": model, "data": model.create_data(), "q": q, "v": v, "a": a}
    print(f"{title}:")
    for name, statement in ALGORITHMS.items():
        ns = median_ns(statement, namespace, number)
        verdict = "met" if ns <= targets[name] else "MISSED"
        print(f"  {name:<20}{ns:>9.1f} ns  (target <= {targets[name]:.0f} ns: {verdict})")


def main():
    toolkit_calls()
    world = dict.fromkeys(ALGORITHMS, WORLD_TARGET_NS)
    algorithm_calls("world-only model (nq = nv = 0), the call itself", kinetra.Model(), world, 200_000)
    if PANDA.is_file():
        model = without_geometry(PANDA)
        algorithm_calls(f"Panda without geometry (nq {model.nq}, nv {model.nv})", model,
                        PANDA_TARGETS_NS, 50_000)
    else:
        print(f"Panda figures skipped: {PANDA} not found")


if __name__ == "__main__":
    main()
