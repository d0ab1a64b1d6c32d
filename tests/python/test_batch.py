"""The batch functions: bitwise the single calls row by row whatever the layout and the threads,
their argument errors, the failing row of aba, and their use from several Python threads."""

from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import kinetra
from kinetra import (aba, aba_batch, forward_kinematics, forward_kinematics_batch,
                     frame_placement, frame_placements_batch, rnea, rnea_batch)

from robots import MixedTree


def samples(model, rows, seed=0):
    rng = np.random.default_rng(seed)
    q = np.array([kinetra.random_configuration(model).to_numpy().ravel() for _ in range(rows)])
    v, a = rng.uniform(-2, 2, (2, rows, model.nv))
    return q.reshape(rows, model.nq), v, a


def strided(values, layout):
    """The same values in another memory layout."""
    if layout == "fortran":
        return np.asfortranarray(values)
    if layout == "reversed":
        return np.ascontiguousarray(values[::-1, ::-1])[::-1, ::-1]
    wide = np.zeros((values.shape[0], 2 * values.shape[1]))
    wide[:, ::2] = values
    return wide[:, ::2]


def single_rows(model, q, v, a, frames):
    data = model.create_data()
    tau = [rnea(model, data, q[i], v[i], a[i]).to_numpy().ravel() for i in range(len(q))]
    qdd = [aba(model, data, q[i], v[i], a[i]).to_numpy().ravel() for i in range(len(q))]
    joints, placements = [], []
    for row in q:
        forward_kinematics(model, data, row)
        joints.append([p.homogeneous for p in data.oMi])
        placements.append([frame_placement(model, data, f).homogeneous for f in frames])
    return [np.array(x).reshape(len(q), *np.shape(x)[1:]) for x in (joints, placements, tau, qdd)]


# rnea_batch runs full blocks of rows side by side and the rest row by row: the row counts give
# a lone partial block, full blocks followed by a partial one, and workers ending on either.
@pytest.mark.parametrize("floating", [False, True])
@pytest.mark.parametrize("threads, rows", [(1, 3), (1, 13), (2, 13), (3, 19)])
@pytest.mark.parametrize("layout", ["fortran", "reversed", "every_other_column"])
def test_rows_are_bitwise_the_single_calls(floating, threads, rows, layout):
    model = MixedTree(11, 7, chain=False, floating=floating).model
    q, v, a = samples(model, rows)
    frames = [model.nframes - 1, 0, 3, 3]
    expected = single_rows(model, q, v, a, frames)
    q, v, a = (strided(x, layout) for x in (q, v, a))
    results = [forward_kinematics_batch(model, q, threads=threads),
               frame_placements_batch(model, q, frames, threads=threads),
               rnea_batch(model, q, v, a, threads=threads),
               aba_batch(model, q, v, a, threads=threads)]
    for result, reference in zip(results, expected, strict=True):
        assert result.shape == reference.shape
        assert result.tobytes() == reference.tobytes()


def test_empty_batches_and_more_threads_than_rows():
    model = MixedTree(3, 4).model
    q, v, a = samples(model, 2)
    assert forward_kinematics_batch(model, q[:0]).shape == (0, model.njoints, 4, 4)
    assert frame_placements_batch(model, q[:0], [1, 2]).shape == (0, 2, 4, 4)
    assert frame_placements_batch(model, q, []).shape == (2, 0, 4, 4)
    assert rnea_batch(model, q[:0], v[:0], a[:0], threads=4).shape == (0, model.nv)
    np.testing.assert_array_equal(rnea_batch(model, q, v, a, threads=64),
                                  rnea_batch(model, q, v, a))


SHAPE = "^Parameter '{}' expected shape \\({}, {}\\), but got \\({}\\)$"
DTYPE = "^Parameter '{}' expected dtype float64, but got {}$"


@pytest.mark.parametrize("change, error, message", [
    ({"q": np.zeros((4, 5))}, ValueError, SHAPE.format("q", "N", 7, "4, 5")),
    ({"q": np.zeros(7)}, ValueError, SHAPE.format("q", "N", 7, "7,")),
    ({"v": np.zeros((3, 5))}, ValueError, SHAPE.format("v", 4, 5, "3, 5")),
    ({"a": np.zeros((4, 5), np.float32)}, ValueError, DTYPE.format("a", "float32")),
    ({"q": np.zeros((4, 7), ">f8")}, ValueError, DTYPE.format("q", ">f8")),
    ({"q": [[0.0] * 7] * 4}, TypeError, "^argument 'q': 'list' object cannot be converted"),
    ({"threads": -3}, ValueError, "^threads must be at least 1, got -3$"),
    ({"threads": 1.5}, TypeError, "^argument 'threads': "),
])
def test_argument_errors(change, error, message):
    model = MixedTree(5, 6).model  # nq 7, nv 5: a continuous joint and a fixed one
    arguments = {"q": np.zeros((4, 7)), "v": np.zeros((4, 5)), "a": np.zeros((4, 5)),
                 "threads": None} | change
    with pytest.raises(error, match=message):
        rnea_batch(model, arguments["q"], arguments["v"], arguments["a"],
                   threads=arguments["threads"])


def test_frame_ids_and_keyword_only_threads():
    model = MixedTree(5, 6).model
    q = np.zeros((2, model.nq))
    message = f"^frame_id 99 is out of range: the model has {model.nframes} frames$"
    with pytest.raises(IndexError, match=message):
        frame_placements_batch(model, q, [1, 99])
    with pytest.raises(TypeError, match="takes 2 positional arguments but 3 were given"):
        forward_kinematics_batch(model, q, 2)
    assert frame_placements_batch(model, q, np.array([1, 2])).shape == (2, 2, 4, 4)


@pytest.mark.parametrize("threads, bad_rows, reported",
                         [(1, [5, 2], 2), (2, [6, 3], 3), (3, [7, 1], 1)])
def test_aba_reports_the_smallest_failing_row_as_the_single_call(threads, bad_rows, reported):
    model = MixedTree(7, 5).model
    q, v, tau = samples(model, 8)
    q[bad_rows] = np.nan  # no articulated inertia is finite then
    with pytest.raises(ValueError) as single:
        aba(model, model.create_data(), q[reported], v[reported], tau[reported])
    with pytest.raises(ValueError) as batch:
        aba_batch(model, q, v, tau, threads=threads)
    assert str(batch.value) == str(single.value)
    assert str(batch.value).startswith("Forward dynamics failed: the articulated inertia of joint ")
    assert batch.value.__notes__ == [f"in row {reported} of the batch"]


def test_python_threads_share_models_with_their_own_data():
    models = [MixedTree(seed, 6, chain=False, floating=seed % 2 == 1).model for seed in (1, 2)]
    inputs = [samples(model, 40, seed) for seed, model in enumerate(models)]
    expected = [rnea_batch(model, *x, threads=1) for model, x in zip(models, inputs, strict=True)]

    def job(k):
        m, (q, v, a) = k % 2, inputs[k % 2]
        model = models[m]
        if k % 3 == 0:  # single calls on a Data of this thread
            data = model.create_data()
            rows = [rnea(model, data, q[i], v[i], a[i]).to_numpy().ravel() for i in range(len(q))]
            return m, np.array(rows)
        return m, rnea_batch(model, q, v, a, threads=1 + k % 2)

    with ThreadPoolExecutor(max_workers=4) as pool:
        for m, result in pool.map(job, range(24)):
            assert result.tobytes() == expected[m].tobytes()


def test_a_mutation_during_a_batch_is_refused():
    model = MixedTree(9, 40).model
    q, v, a = samples(model, 1)
    q, v, a = (np.repeat(x, 60_000, axis=0) for x in (q, v, a))
    refusals = 0
    with ThreadPoolExecutor(max_workers=1) as pool:
        future = pool.submit(rnea_batch, model, q, v, a, threads=1)
        while not future.done():
            try:
                model.gravity = model.gravity  # same value: harmless if it lands before the batch
            except RuntimeError as error:
                assert str(error) == "Already borrowed"
                refusals += 1
        result = future.result()
    assert refusals > 0
    first = rnea(model, model.create_data(), q[0], v[0], a[0]).to_numpy().ravel()
    np.testing.assert_array_equal(result, np.broadcast_to(first, result.shape))
