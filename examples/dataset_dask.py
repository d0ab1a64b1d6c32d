"""Inverse dynamics for a million random states of the shipped arm, computed by a Dask
cluster of worker processes: the model is sent once to each worker, and each task runs
`rnea_batch` on its chunk of states, drawn in the worker from the chunk's own seed.

    python examples/dataset_dask.py [--samples 1000000] [--workers 2] [--chunk 50000]
    python examples/dataset_dask.py --scheduler tcp://host:8786   # an existing cluster

The torques stay in the workers' memory as the chunks' futures (gather them, or have the
task save its chunk, to keep the dataset). Prints the throughput (and, with --baseline,
that of one process running the same tasks with one thread) and checks a random subset of
the rows against single `rnea` calls.
"""

import argparse
import time

import numpy as np

import kinetra
from inverse_kinematics import load_arm


def random_states(model, seed, n):
    """n random (q, v, a): positions uniform within the joint limits (angles of unbounded
    turning joints uniform in [-pi, pi), stored as cos and sin; free-flyer placements with a
    uniform rotation), velocities and accelerations uniform in [-1, 1]. Vectorised over the
    rows, so that drawing costs less than the dynamics."""
    rng = np.random.default_rng(seed)
    q = np.empty((n, model.nq))
    lower, upper = model.lower_limits, model.upper_limits
    continuous, free_flyer = int(kinetra.JointType.Continuous), int(kinetra.JointType.FreeFlyer)
    for joint, start in zip(model.joint_models, model.joint_q_offsets, strict=True):
        kind, end = int(joint.joint_type), start + joint.nq  # members compare by identity
        if kind == continuous:
            angle = rng.uniform(-np.pi, np.pi, n)
            q[:, start], q[:, start + 1] = np.cos(angle), np.sin(angle)
        elif kind == free_flyer:
            q[:, start:start + 3] = rng.uniform(-1, 1, (n, 3))
            quaternion = rng.normal(size=(n, 4))
            q[:, start + 3:end] = quaternion / np.linalg.norm(quaternion, axis=1, keepdims=True)
        elif joint.nq:
            low = np.where(np.isfinite(lower[start:end]), lower[start:end], -np.pi)
            high = np.where(np.isfinite(upper[start:end]), upper[start:end], np.pi)
            q[:, start:end] = rng.uniform(low, high, (n, joint.nq))
    return q, rng.uniform(-1, 1, (n, model.nv)), rng.uniform(-1, 1, (n, model.nv))


def task(model, seed, n):
    """One chunk: its states and their torques, with one thread (a worker is one process)."""
    q, v, a = random_states(model, seed, n)
    return kinetra.rnea_batch(model, q, v, a, threads=1)


def chunks(samples, chunk):
    """(seed, size) of each task."""
    return [(seed, min(chunk, samples - start)) for seed, start in enumerate(range(0, samples, chunk))]


def run_on_cluster(client, shared, plan):
    """Runs the tasks on the cluster with the model already sent to every worker (`shared`,
    the future of `client.scatter`); returns when every chunk is computed, with the chunks'
    futures (the dataset stays in the workers' memory until gathered)."""
    from dask.distributed import wait

    futures = [client.submit(task, shared, seed, n, pure=False) for seed, n in plan]
    wait(futures)
    return futures


def check(model, plan, chunk_of, count, seed=12345):
    """Recomputes `count` random rows with single `rnea` calls; chunk_of(k) gives the
    torques of chunk k. Returns the largest difference (0.0: the batch gives the single
    calls' bits)."""
    rng = np.random.default_rng(seed)
    starts = np.cumsum([0] + [n for _, n in plan])
    data, worst = model.create_data(), 0.0
    for row in rng.choice(starts[-1], size=min(count, starts[-1]), replace=False):
        k = int(np.searchsorted(starts, row, side="right") - 1)
        q, v, a = (x[row - starts[k]] for x in random_states(model, plan[k][0], plan[k][1]))
        single = kinetra.rnea(model, data, q, v, a).to_numpy().ravel()
        worst = max(worst, float(np.max(np.abs(single - chunk_of(k)[row - starts[k]]))))
    return worst


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--samples", type=int, default=1_000_000)
    parser.add_argument("--chunk", type=int, default=50_000, help="states per task")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of the local cluster (default 2)")
    parser.add_argument("--scheduler", help="address of an existing Dask scheduler, such as "
                        "tcp://10.0.0.5:8786, instead of a local cluster")
    parser.add_argument("--baseline", action="store_true",
                        help="also time one process running the same tasks")
    parser.add_argument("--check", type=int, default=200, help="rows checked against rnea")
    args = parser.parse_args(argv)

    from dask.distributed import Client, LocalCluster

    model = load_arm()
    plan = chunks(args.samples, args.chunk)
    print(f"{model.name}: nq={model.nq}, nv={model.nv}; {args.samples} states in {len(plan)} tasks")
    if args.scheduler:
        cluster, client = None, Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        shared = client.scatter(model, broadcast=True, hash=False)  # once to every worker
        run_on_cluster(client, shared, plan[:len(client.scheduler_info()["workers"])])  # warm up
        start = time.perf_counter()
        futures = run_on_cluster(client, shared, plan)
        seconds = time.perf_counter() - start
        gathered = {}

        def chunk_of(k):
            if k not in gathered:
                gathered[k] = futures[k].result()
            return gathered[k]

        difference = check(model, plan, chunk_of, args.check)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    result = {"samples": args.samples, "cluster_rate": args.samples / seconds,
              "difference": difference}
    print(f"cluster: {seconds:.3f} s, {result['cluster_rate'] / 1e6:.2f} M states/s")
    if args.baseline:
        start = time.perf_counter()
        for seed, n in plan:
            task(model, seed, n)
        seconds = time.perf_counter() - start
        result["process_rate"] = args.samples / seconds
        print(f"one process, one thread: {seconds:.3f} s, {result['process_rate'] / 1e6:.2f} M states/s "
              f"(cluster {result['cluster_rate'] / result['process_rate']:.2f}x)")
    print(f"{args.check} random rows against single rnea calls: largest difference "
          f"{result['difference']:g}")
    return result


if __name__ == "__main__":
    main()
