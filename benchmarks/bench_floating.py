"""Latency of rnea and aba from Python on a floating 12-DoF quadruped (nv 18): solo12 from
the shared robot collection on a free-flyer root joint (targets: rnea <= 2 us,
aba <= 4 us, median). Run with `make bench`."""

import pathlib
import tempfile
import xml.etree.ElementTree as ET

import numpy as np

import kinetra
from bench_algorithms import median_us

SOLO = pathlib.Path(__file__).resolve().parents[2] / "shared" / "robots" / "solo12.urdf"
TARGETS = {"rnea": 2.0, "aba": 4.0}


def floating_solo():
    """solo12 without its geometry (its meshes are not shipped), on a free flyer."""
    tree = ET.parse(SOLO)
    for link in tree.getroot().iter("link"):
        for element in [e for e in link if e.tag in ("visual", "collision")]:
            link.remove(element)
    with tempfile.TemporaryDirectory() as directory:
        path = pathlib.Path(directory) / "solo12.urdf"
        tree.write(path)
        return kinetra.build_models_from_urdf(path.as_posix(), root_joint=kinetra.JointModelFreeFlyer())[0]


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
