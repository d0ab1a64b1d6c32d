"""Latency of rnea and aba from Python on a floating 12-DoF quadruped (nv 18): solo12 from
the shared robot collection on a free-flyer root joint (targets: rnea <= 2 us,
aba <= 4 us, median). Run with `make bench`."""

import pathlib

import numpy as np

import kinetra
from arm import without_geometry
from bench_algorithms import median_us

SOLO = pathlib.Path(__file__).resolve().parents[2] / "shared" / "robots" / "solo12.urdf"
TARGETS = {"rnea": 2.0, "aba": 4.0}


def floating_solo():
    """solo12 read without its mesh files (they are not shipped), on a free flyer."""
    return without_geometry(SOLO, root_joint=kinetra.JointModelFreeFlyer())


def main():
    if not SOLO.is_file():
        print(f"skipped: no {SOLO} (the shared robot collection is absent)")
        return
    model = floating_solo()
    rng = np.random.default_rng(0)
    namespace = {"kinetra": kinetra, "model": model, "data": model.create_data(),
                 "q": kinetra.random_configuration(model).to_numpy().ravel(),
                 "v": rng.uniform(-1, 1, model.nv), "a": rng.uniform(-1, 1, model.nv)}
    print(f"floating solo12 (nq {model.nq}, nv {model.nv}), median per call:")
    for name, target in TARGETS.items():
        us = median_us(f"kinetra.{name}(model, data, q, v, a)", namespace, 50_000)
        verdict = "ok" if us <= target else "ABOVE TARGET"
        print(f"  {name:<24}{us:8.3f} us   (target <= {target} us: {verdict})")


if __name__ == "__main__":
    main()
