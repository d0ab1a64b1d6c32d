"""Latency of forward kinematics, inverse dynamics (rnea) and forward dynamics (aba)
from Python: a 7-DoF arm (targets: forward_kinematics and frame_jacobian <= 1.0 us,
rnea, aba and crba <= 1.5 us, center_of_mass <= 0.6 us, median; the other dynamics
terms and the centre-of-mass Jacobian are timed there too) and chains of 10 to 10 000
joints (time per joint flat within 1.5x from 100 to 10 000). Run with `make bench`."""

import statistics
import timeit

import numpy as np

import kinetra
from arm import arm, chain


def median_us(statement, namespace, number, repeat=9):
    return statistics.median(timeit.repeat(statement, globals=namespace, number=number, repeat=repeat)) / number * 1e6


def calls(model):
    rng = np.random.default_rng(0)
    return {
        "kinetra": kinetra,
        "model": model,
        "data": model.create_data(),
        "q": rng.uniform(-1, 1, model.nq),
        "v": rng.uniform(-1, 1, model.nv),
        "a": rng.uniform(-1, 1, model.nv),
        "frame": model.nframes - 1,  # the last body
    }


STATEMENTS = {
    "forward_kinematics": "kinetra.forward_kinematics(model, data, q)",
    "rnea": "kinetra.rnea(model, data, q, v, a)",
    "aba": "kinetra.aba(model, data, q, v, a)",
}
# Timed on the arm only.
ARM_STATEMENTS = {
    "frame_jacobian": "kinetra.frame_jacobian(model, data, q, frame)",
    "center_of_mass": "kinetra.center_of_mass(model, data, q)",
    "jacobian_center_of_mass": "kinetra.jacobian_center_of_mass(model, data, q)",
    "crba": "kinetra.crba(model, data, q)",
    "nonlinear_effects": "kinetra.nonlinear_effects(model, data, q, v)",
    "generalized_gravity": "kinetra.generalized_gravity(model, data, q)",
    "kinetic_energy": "kinetra.kinetic_energy(model, data, q, v)",
    "potential_energy": "kinetra.potential_energy(model, data, q)",
}


def main():
    namespace = calls(arm())
    floor = median_us("kinetra.WORLD_ID.bit_length()", namespace, 200_000)
    print("7-DoF arm, median per call:")
    targets = {"forward_kinematics": 1.0, "rnea": 1.5, "aba": 1.5, "crba": 1.5, "frame_jacobian": 1.0,
               "center_of_mass": 0.6}
    for name, statement in (STATEMENTS | ARM_STATEMENTS).items():
        us = median_us(statement, namespace, 50_000)
        if name in targets:
            verdict = "ok" if us <= targets[name] else "ABOVE TARGET"
            print(f"  {name:<24}{us:8.3f} us   (target <= {targets[name]} us: {verdict})")
        else:
            print(f"  {name:<24}{us:8.3f} us")
    print(f"  {'floor (C method call)':<24}{floor:8.3f} us")

    print("chains, median time per joint:")
    print(f"  {'joints':>8}" + "".join(f"{name:>22}" for name in STATEMENTS))
    per_joint = {name: {} for name in STATEMENTS}
    for n in (10, 100, 1_000, 10_000):
        namespace = calls(chain(n))
        number = max(5, 200_000 // n)
        row = f"  {n:>8}"
        for name, statement in STATEMENTS.items():
            ns = median_us(statement, namespace, number, repeat=5) / n * 1e3
            per_joint[name][n] = ns
            row += f"{ns:>19.2f} ns"
        print(row)
    for name in STATEMENTS:
        values = [per_joint[name][n] for n in (100, 1_000, 10_000)]
        print(f"  {name}: per-joint max/min over 100..10000 = {max(values) / min(values):.2f} (target < 1.5)")


if __name__ == "__main__":
    main()
