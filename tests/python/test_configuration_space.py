"""integrate, difference, interpolate and normalize on trees mixing revolute, continuous,
prismatic and fixed joints."""

import numpy as np
import pytest

import kinetra
from kinetra import Model, SE3, difference, forward_kinematics, integrate, interpolate, normalize

from robots import MixedTree, rebuild

TREES = [MixedTree(seed, 8, chain=seed % 2 == 0).model for seed in range(4)]
CONTINUOUS = "JointType.Continuous"


def random_q(model):
    return kinetra.random_configuration(model).to_numpy()


def pairs(model):
    """The q offsets of the continuous joints' (cos, sin) pairs."""
    return [o for j, o in zip(model.joint_models, model.joint_q_offsets, strict=True)
            if repr(j.joint_type) == CONTINUOUS]


@pytest.mark.parametrize("model", TREES)
def test_integrate_moves_like_revolute_angles(model):
    # The same tree with each continuous joint replaced by a revolute joint about its axis:
    # integrating must place every body as adding v to the joint angles does.
    twin = rebuild(model, lambda j: kinetra.JointModelRevolute(j.axis) if repr(j.joint_type) == CONTINUOUS else j)
    q, v = random_q(model), np.random.default_rng(0).uniform(-4, 4, model.nv)
    angles = list(q)
    for o in reversed(pairs(model)):
        angles[o:o + 2] = [np.arctan2(q[o + 1], q[o])]
    data, twin_data = model.create_data(), twin.create_data()
    forward_kinematics(model, data, integrate(model, q, v))
    forward_kinematics(twin, twin_data, np.array(angles) + v)
    for a, b in zip(data.oMi, twin_data.oMi, strict=True):
        np.testing.assert_allclose(a.homogeneous, b.homogeneous, atol=1e-12)


@pytest.mark.parametrize("model", TREES)
def test_difference_inverts_integrate(model):
    q0, q1 = random_q(model), random_q(model)
    v = np.random.default_rng(1).uniform(-3, 3, model.nv)  # within a half turn
    np.testing.assert_allclose(difference(model, q0, integrate(model, q0, v)), v, atol=1e-12)
    np.testing.assert_allclose(integrate(model, q0, difference(model, q0, q1)), q1, atol=1e-12)


@pytest.mark.parametrize("model", TREES)
def test_interpolate_ends_and_midpoint(model):
    q0, q1 = random_q(model), random_q(model)
    np.testing.assert_array_equal(interpolate(model, q0, q1, 0.0), q0)
    np.testing.assert_allclose(interpolate(model, q0, q1, 1.0), q1, atol=1e-12)
    mid = interpolate(model, q0, q1, 0.5)
    half = difference(model, q0, q1) / 2
    np.testing.assert_allclose(difference(model, q0, mid), half, atol=1e-12)
    np.testing.assert_allclose(difference(model, mid, q1), half, atol=1e-12)


@pytest.mark.parametrize("a0, a1", [(3.0, -3.0), (-3.0, 3.0), (0.2, 0.2 + np.pi - 1e-9), (0.2, 0.2 - np.pi + 1e-9),
                                    (-0.1, 6.0), (1.0, 1.0)])
def test_continuous_difference_is_the_shortest_turn(a0, a1):
    model = Model()
    model.add_joint(0, kinetra.JointModelContinuous(np.array([0.0, 1.0, 1.0])), SE3.Identity(), "c")
    v = difference(model, np.array([np.cos(a0), np.sin(a0)]), np.array([np.cos(a1), np.sin(a1)]))
    assert abs(v[0]) <= np.pi
    assert v[0] == pytest.approx((a1 - a0 + np.pi) % (2 * np.pi) - np.pi, abs=1e-12)


@pytest.mark.parametrize("model", TREES)
def test_normalize_restores_unit_pairs_only(model):
    q = random_q(model)
    scaled = q.copy()
    for k, o in enumerate(pairs(model)):
        scaled[o:o + 2] *= 0.5 + k
    before = scaled.copy()
    out = normalize(model, scaled)
    np.testing.assert_array_equal(scaled, before)  # the argument is untouched
    np.testing.assert_allclose(out, q, atol=1e-15)
    others = np.ones(model.nq, dtype=bool)
    for o in pairs(model):
        others[o:o + 2] = False
    np.testing.assert_array_equal(out[others], q[others])
    if pairs(model):
        o = pairs(model)[0]
        scaled[o:o + 2] = 0
        np.testing.assert_array_equal(normalize(model, scaled)[o:o + 2], [1, 0])


MODEL = TREES[0]
Q, V = random_q(MODEL), np.zeros(MODEL.nv)


@pytest.mark.parametrize("call, name, expected", [
    (lambda short: integrate(MODEL, short, V), "q", MODEL.nq),
    (lambda short: integrate(MODEL, Q, short), "v", MODEL.nv),
    (lambda short: difference(MODEL, short, Q), "q0", MODEL.nq),
    (lambda short: difference(MODEL, Q, short), "q1", MODEL.nq),
    (lambda short: interpolate(MODEL, short, Q, 0.5), "q0", MODEL.nq),
    (lambda short: interpolate(MODEL, Q, short, 0.5), "q1", MODEL.nq),
    (lambda short: normalize(MODEL, short), "q", MODEL.nq),
])
def test_sizes_are_checked(call, name, expected):
    with pytest.raises(ValueError, match=f"Parameter '{name}' expected configuration size {expected}, but got 2"):
        call(np.zeros(2))
