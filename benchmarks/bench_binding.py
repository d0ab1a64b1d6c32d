"""Per-call cost of the binding layer from Python, against the floor of a built-in
C method call made the same way. Run with `make bench`."""

import statistics
import timeit

import numpy as np

import kinetra


def median_ns(statement, namespace, number=200_000, repeat=7):
    times = timeit.repeat(statement, globals=namespace, number=number, repeat=repeat)
    return statistics.median(times) / number * 1e9


def main():
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


if __name__ == "__main__":
    main()
