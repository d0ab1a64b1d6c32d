"""Throughput of rnea_batch on a 7-DoF arm with two fingers: Panda from the shared robot
collection (the shipped arm when the collection is absent), 100 000 samples. Targets: one
worker takes <= 0.5x the time of a single kinetra.rnea call from Python per sample, and two
workers are >= 1.8x as fast as one (medians). Run with `make bench`."""

import os
import pathlib
import statistics
import time

import numpy as np

import kinetra
from arm import without_geometry
from bench_algorithms import median_us

ROOT = pathlib.Path(__file__).resolve().parents[1]
PANDA = ROOT.parent / "shared" / "robots" / "panda.urdf"
ARM = ROOT / "examples" / "robot" / "arm.urdf"
ROWS = 100_000
RATIO_TARGET, SPEEDUP_TARGET = 0.5, 1.8


def batch_ns(model, q, v, a, threads, repeat=7):
    """Median time per sample of rnea_batch over all rows."""
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        kinetra.rnea_batch(model, q, v, a, threads=threads)
        times.append(time.perf_counter() - start)
    return statistics.median(times) / len(q) * 1e9


def main():
    path = PANDA if PANDA.is_file() else ARM
    model = without_geometry(path)
    rng = np.random.default_rng(0)
    pool = np.array([kinetra.random_configuration(model).to_numpy().ravel() for _ in range(1000)])
    q = pool[rng.integers(0, len(pool), ROWS)]
    v, a = rng.uniform(-1, 1, (2, ROWS, model.nv))
    namespace = {"kinetra": kinetra, "model": model, "data": model.create_data(),
                 "q": q[0].copy(), "v": v[0].copy(), "a": a[0].copy(), "world": kinetra.Model(),
                 "empty": np.zeros(0)}
    namespace["world_data"] = namespace["world"].create_data()
    single = median_us("kinetra.rnea(model, data, q, v, a)", namespace, 50_000) * 1e3
    overhead = median_us("kinetra.rnea(world, world_data, empty, empty, empty)", namespace,
                         50_000) * 1e3
    one, two = batch_ns(model, q, v, a, 1), batch_ns(model, q, v, a, 2)

    print(f"{path.name} without geometry (nq {model.nq}, nv {model.nv}), {ROWS} samples, "
          f"{os.cpu_count()} cores:")
    print(f"  single kinetra.rnea call        {single:8.1f} ns  "
          f"(of which the call itself, on a world-only model: {overhead:.1f} ns)")
    print(f"  rnea_batch, threads=1           {one:8.1f} ns per sample")
    print(f"  rnea_batch, threads=2           {two:8.1f} ns per sample")
    ratio, speedup = one / single, one / two
    verdict = "ok" if ratio <= RATIO_TARGET else "ABOVE TARGET"
    print(f"  threads=1 / single call         {ratio:8.2f}     (target <= {RATIO_TARGET}: {verdict})")
    verdict = "ok" if speedup >= SPEEDUP_TARGET else "BELOW TARGET"
    print(f"  threads=2 speed-up over 1       {speedup:8.2f}     "
          f"(target >= {SPEEDUP_TARGET}: {verdict})")


if __name__ == "__main__":
    main()
