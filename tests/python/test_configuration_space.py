"""integrate, difference, interpolate and normalize on trees mixing revolute, continuous,
prismatic and fixed joints, fixed or floating, and on a free-flyer near a zero and a half turn."""

import numpy as np
import pytest

import kinetra
from kinetra import Model, SE3, difference, forward_kinematics, integrate, interpolate, normalize

from robots import MixedTree, rebuild

TREES = [MixedTree(seed, 8, chain=seed % 2 == 0).model for seed in range(4)]
FLOATING = [MixedTree(seed, 6, chain=seed % 2 == 0, floating=True).model for seed in range(2)]
CONTINUOUS = "JointType.Continuous"
UNIT = {CONTINUOUS: (0, [1.0, 0.0]), "JointType.FreeFlyer": (3, [0.0, 0.0, 0.0, 1.0])}
FREE = Model()
FREE.add_joint(0, kinetra.JointModelFreeFlyer(), SE3.Identity(), "free")


def random_q(model):
    return kinetra.random_configuration(model).to_numpy()


def unit_blocks(model):
    """(slice of q, what normalize makes of zeros there) for each (cos, sin) pair and quaternion."""
    return [(slice(o + UNIT[k][0], o + UNIT[k][0] + len(UNIT[k][1])), UNIT[k][1])
            for j, o in zip(model.joint_models, model.joint_q_offsets, strict=True)
            if (k := repr(j.joint_type)) in UNIT]


def pairs(model):
    """The q offsets of the continuous joints' (cos, sin) pairs."""
    return [block.start for block, zero in unit_blocks(model) if len(zero) == 2]


def assert_same_configuration(model, q, expected, atol=1e-12):
    """Equal up to the sign of each quaternion: q and -q are one rotation."""
    q = q.copy()
    for block, zero in unit_blocks(model):
        q[block] *= np.sign(q[block] @ np.asarray(expected)[block]) if len(zero) == 4 else 1
    np.testing.assert_allclose(q, expected, atol=atol)


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


@pytest.mark.parametrize("model", TREES + FLOATING)
def test_difference_inverts_integrate(model):
    q0, q1 = random_q(model), random_q(model)
    v = np.random.default_rng(1).uniform(-1.8, 1.8, model.nv)  # rotations within a half turn
    np.testing.assert_allclose(difference(model, q0, integrate(model, q0, v)), v, atol=1e-12)
    assert_same_configuration(model, integrate(model, q0, difference(model, q0, q1)), q1)


def exp_series(v):
    """The exponential of the twist (w; v) as a 4x4 matrix, by its power series."""
    x = np.zeros((4, 4))
    (a, b, c), x[:3, 3] = v[:3], v[3:]
    x[:3, :3] = [[0, -c, b], [c, 0, -a], [-b, a, 0]]
    term = total = np.eye(4)
    for k in range(1, 40):
        term = term @ x / k
        total = total + term
    return total


@pytest.mark.parametrize("angle", [0.0, 1e-9, 1e-5, np.nextafter(0.1, 0), 0.1, 1.0,
                                   np.pi - 1e-6, np.pi - 1e-9])
def test_free_flyer_exponential_and_logarithm_near_a_zero_and_a_half_turn(angle):
    rng, identity = np.random.default_rng(2), kinetra.neutral(FREE).to_numpy()
    axis = rng.normal(size=3)
    v = np.concatenate([angle * axis / np.linalg.norm(axis), rng.uniform(-1, 1, 3)])
    data = FREE.create_data()
    forward_kinematics(FREE, data, integrate(FREE, identity, v))
    np.testing.assert_allclose(data.oMi[1].homogeneous, exp_series(v), rtol=0, atol=4e-15)
    # from the identity the rotation vector comes back to rounding, however small
    back = difference(FREE, identity, integrate(FREE, identity, v))
    np.testing.assert_allclose(back[:3], v[:3], rtol=1e-14, atol=0)
    np.testing.assert_allclose(back[3:], v[3:], rtol=0, atol=1e-14)
    q0 = random_q(FREE)
    q1 = integrate(FREE, q0, v)
    np.testing.assert_allclose(difference(FREE, q0, q1), v, rtol=0, atol=1e-12)
    assert_same_configuration(FREE, integrate(FREE, q0, difference(FREE, q0, q1)), q1)


@pytest.mark.parametrize("axis", [[1.0, 0.0, 0.0], [0.48, -0.6, 0.64]])
def test_free_flyer_difference_of_a_half_turn(axis):
    q0, q1 = random_q(FREE), random_q(FREE)
    x, y, z, w = q0[3:]
    a, b, c = axis  # q1's rotation: q0's followed, in its own frame, by half a turn about the axis
    q1[3:] = [w * a + y * c - z * b, w * b - x * c + z * a, w * c + x * b - y * a,
              -x * a - y * b - z * c]
    d = difference(FREE, q0, q1)
    assert np.linalg.norm(d[:3]) == pytest.approx(np.pi, abs=1e-12)
    assert abs(d[:3] @ axis) == pytest.approx(np.pi, abs=1e-12)
    assert_same_configuration(FREE, integrate(FREE, q0, d), q1)


@pytest.mark.parametrize("model", TREES + FLOATING)
def test_interpolate_ends_and_midpoint(model):
    q0, q1 = random_q(model), random_q(model)
    np.testing.assert_array_equal(interpolate(model, q0, q1, 0.0), q0)
    assert_same_configuration(model, interpolate(model, q0, q1, 1.0), q1)
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


@pytest.mark.parametrize("model", TREES + FLOATING)
def test_normalize_restores_unit_blocks_only(model):
    q = random_q(model)
    scaled = q.copy()
    for k, (block, _) in enumerate(unit_blocks(model)):
        assert np.linalg.norm(q[block]) == pytest.approx(1, abs=1e-15)
        scaled[block] *= 0.5 + k
    before = scaled.copy()
    out = normalize(model, scaled)
    np.testing.assert_array_equal(scaled, before)  # the argument is untouched
    np.testing.assert_allclose(out, q, atol=1e-15)
    others = np.ones(model.nq, dtype=bool)
    for block, _ in unit_blocks(model):
        others[block] = False
    np.testing.assert_array_equal(out[others], q[others])
    for block, zero in unit_blocks(model):
        scaled[block] = 0
        np.testing.assert_array_equal(normalize(model, scaled)[block], zero)


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
