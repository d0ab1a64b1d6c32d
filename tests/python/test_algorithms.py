"""Forward kinematics, inverse dynamics (rnea) and forward dynamics (aba) from Python.
The physics is checked against independent computations; the C++ suite covers the
mixed joint kinds Python cannot build directly."""

import numpy as np
import pytest

import kinetra
from kinetra import (
    Data,
    Frame,
    FrameType,
    Inertia,
    JointModelRX,
    JointModelRY,
    JointModelRZ,
    Model,
    SE3,
    aba,
    forward_dynamics,
    forward_kinematics,
    inverse_dynamics,
    rnea,
)

from robots import RevoluteTree, homogeneous, rotation, se3

TREES = [(1, 3, True), (2, 6, True), (3, 7, False), (4, 9, False)]


def pendulum(mass=2.0, length=0.75, factory=JointModelRY, inertia=np.zeros((3, 3))):
    model = Model()
    model.add_joint(0, factory(), SE3.Identity(), "joint")
    model.add_frame(Frame("body", 1, 0, SE3.Identity(), FrameType.Body,
                          Inertia(mass, np.array([length, 0.0, 0.0]), inertia)), True)
    return model


def placements(data):
    return [p.homogeneous for p in data.joint_placements]


# ---- forward kinematics -----------------------------------------------------------------

def test_world_only_model():
    model = Model()
    data = model.create_data()
    assert forward_kinematics(model, data, np.zeros(0)) is None
    assert len(data.oMi) == 1
    np.testing.assert_array_equal(data.oMi[0].homogeneous, np.eye(4))


@pytest.mark.parametrize("factory, axis", [(JointModelRX, 0), (JointModelRY, 1), (JointModelRZ, 2)])
def test_single_joint_is_its_own_motion(factory, axis):
    model = Model()
    model.add_joint(0, factory(), SE3.Identity(), "j")
    data = model.create_data()
    forward_kinematics(model, data, np.array([0.4]))
    np.testing.assert_allclose(data.oMi[1].rotation, rotation(np.eye(3)[axis], 0.4), atol=1e-15)
    np.testing.assert_array_equal(data.oMi[1].translation, np.zeros(3))


def test_translated_joint_keeps_its_origin():
    model = Model()
    model.add_joint(0, JointModelRZ(), SE3(np.eye(3), np.array([1.0, 2.0, 3.0])), "j")
    data = model.create_data()
    forward_kinematics(model, data, np.array([np.pi / 2]))
    np.testing.assert_allclose(data.oMi[1].rotation, rotation([0, 0, 1], np.pi / 2), atol=1e-15)
    np.testing.assert_array_equal(data.oMi[1].translation, [1, 2, 3])


@pytest.mark.parametrize("seed, joints, chain", TREES)
def test_matches_homogeneous_products(seed, joints, chain):
    robot = RevoluteTree(seed, joints, chain)
    data = robot.model.create_data()
    rng = np.random.default_rng(seed)
    for _ in range(5):
        q = rng.uniform(-np.pi, np.pi, joints)
        forward_kinematics(robot.model, data, q)
        for got, expected in zip(placements(data), robot.world(q), strict=True):
            np.testing.assert_allclose(got, expected, atol=1e-12)
    before = placements(data)
    forward_kinematics(robot.model, data, q)
    for a, b in zip(before, placements(data)):
        np.testing.assert_array_equal(a, b)  # the same q gives identical placements


def test_size_errors_leave_data_untouched():
    robot = RevoluteTree(5, 3)
    data = robot.model.create_data()
    forward_kinematics(robot.model, data, np.array([0.1, 0.2, 0.3]))
    before = placements(data)
    for q in (np.zeros(2), np.zeros(4), np.zeros(0)):
        with pytest.raises(ValueError) as info:
            forward_kinematics(robot.model, data, q)
        assert str(info.value) == f"Invalid input size. Expected a configuration of size 3, got {len(q)}"
    for a, b in zip(before, placements(data)):
        np.testing.assert_array_equal(a, b)


@pytest.mark.parametrize(
    "q, name",
    [(np.zeros((3, 1)), "q"), (np.zeros(3, dtype=np.int64), "q"), ([0.0, 0.0, 0.0], "q"),
     (np.zeros(3, dtype=np.float32), "q")],
)
def test_q_must_be_a_float64_vector(q, name):
    robot = RevoluteTree(6, 3)
    with pytest.raises(TypeError, match=f"^argument '{name}': "):
        forward_kinematics(robot.model, robot.model.create_data(), q)


def test_argument_types_are_checked_in_order():
    model = Model()
    with pytest.raises(TypeError, match="^argument 'model': "):
        forward_kinematics(model.create_data(), model, np.zeros(0))
    with pytest.raises(TypeError, match="^argument 'data': "):
        forward_kinematics(model, model, np.zeros(0))


def test_strided_q_is_refused_from_two_coordinates():
    robot = RevoluteTree(7, 3)
    data = robot.model.create_data()
    with pytest.raises(ValueError, match="^Failed to convert q to slice$"):
        forward_kinematics(robot.model, data, np.arange(6.0)[::2])
    with pytest.raises(ValueError, match="^Failed to convert q to slice$"):
        forward_kinematics(robot.model, data, np.arange(3.0)[::-1])
    single = RevoluteTree(7, 1)
    forward_kinematics(single.model, single.model.create_data(), np.arange(4.0)[::4])


def test_data_of_a_smaller_model_is_an_internal_failure():
    robot = RevoluteTree(8, 3)
    small = RevoluteTree(8, 2).model.create_data()
    before = placements(small)
    with pytest.raises(kinetra.PanicException, match="index out of bounds"):
        forward_kinematics(robot.model, small, np.zeros(3))
    for a, b in zip(before, placements(small)):
        np.testing.assert_array_equal(a, b)


# ---- inverse dynamics -----------------------------------------------------------------------

@pytest.mark.parametrize("q", [0.0, 0.5, np.pi / 3, 2.0, -1.2])
def test_pendulum_holding_torque(q):
    m, length = 2.0, 0.75
    tau = rnea(pendulum(m, length), Model().create_data(), np.array([q]), np.zeros(1), np.zeros(1))
    assert isinstance(tau, kinetra.Configuration)
    assert tau.to_numpy()[0] == pytest.approx(-9.81 * m * length * np.cos(q), abs=1e-12)


def test_pendulum_with_acceleration():
    m, length, alpha = 2.0, 0.75, 1.7
    rot = np.diag([0.1, 0.2, 0.3])
    model = pendulum(m, length, inertia=rot)
    data = model.create_data()
    tau = rnea(model, data, np.array([0.0]), np.zeros(1), np.array([alpha])).to_numpy()[0]
    expected = -9.81 * m * length + alpha * (rot[1, 1] + m * length**2)
    assert tau == pytest.approx(expected, abs=1e-12)


def test_world_only_and_surplus_entries():
    assert rnea(Model(), Model().create_data(), np.zeros(0), np.zeros(0), np.zeros(0)).to_numpy().shape == (0,)
    robot = RevoluteTree(9, 3)
    data = robot.model.create_data()
    rng = np.random.default_rng(9)
    q, v, a = rng.normal(size=(3, 3))
    tau = rnea(robot.model, data, q, v, a).to_numpy()
    longer = rnea(robot.model, data, np.append(q, 5.0), np.append(v, [1.0, 2.0]), np.append(a, 7.0)).to_numpy()
    np.testing.assert_array_equal(tau, longer)
    column = rnea(robot.model, data, q.reshape(3, 1), v.reshape(1, 3), a[::-1].copy()[::-1]).to_numpy()
    np.testing.assert_array_equal(tau, column)
    np.testing.assert_array_equal(tau, inverse_dynamics(robot.model, data, q, v, a).to_numpy())


@pytest.mark.parametrize("short", ["q", "v", "a"])
def test_too_short_vectors_are_internal_failures(short):
    robot = RevoluteTree(10, 3)
    args = {"q": np.zeros(3), "v": np.zeros(3), "a": np.zeros(3)}
    args[short] = np.zeros(2)
    with pytest.raises(kinetra.PanicException, match=r"^Matrix slicing out of bounds\.$"):
        rnea(robot.model, robot.model.create_data(), **args)


def test_dynamics_leave_data_untouched():
    robot = RevoluteTree(11, 4)
    data = robot.model.create_data()
    forward_kinematics(robot.model, data, np.full(4, 0.3))
    before = placements(data)
    rnea(robot.model, data, np.zeros(4), np.ones(4), np.ones(4))
    aba(robot.model, data, np.zeros(4), np.ones(4), np.ones(4))
    for x, y in zip(before, placements(data)):
        np.testing.assert_array_equal(x, y)


@pytest.mark.parametrize("function", [rnea, inverse_dynamics, aba, forward_dynamics])
def test_dynamics_argument_errors(function):
    model = Model()
    data = model.create_data()
    last = "tau" if function in (aba, forward_dynamics) else "a"
    with pytest.raises(TypeError, match="^argument 'q': "):
        function(model, data, [0.0], np.zeros(0), np.zeros(0))
    with pytest.raises(TypeError, match=f"^argument '{last}': "):
        function(model, data, np.zeros(0), np.zeros(0), np.zeros(0, np.float32))
    with pytest.raises(TypeError, match="^argument 'data': "):
        function(model, model, np.zeros(0), np.zeros(0), np.zeros(0))
    assert function.__text_signature__ == f"(model, data, q, v, {last})"
    assert function.__doc__ is None


@pytest.mark.parametrize("seed, joints, chain", TREES)
def test_gravity_torque_is_the_potential_gradient(seed, joints, chain):
    robot = RevoluteTree(seed, joints, chain)
    data = robot.model.create_data()
    rng = np.random.default_rng(seed + 100)
    q = rng.uniform(-np.pi, np.pi, joints)
    g = rnea(robot.model, data, q, np.zeros(joints), np.zeros(joints)).to_numpy()
    h = 1e-6
    gradient = [(robot.potential(q + h * e) - robot.potential(q - h * e)) / (2 * h) for e in np.eye(joints)]
    np.testing.assert_allclose(g, gradient, atol=1e-6)


@pytest.mark.parametrize("seed, joints, chain", TREES)
def test_mass_matrix_is_symmetric_positive_definite(seed, joints, chain):
    robot = RevoluteTree(seed, joints, chain)
    data = robot.model.create_data()
    q = np.random.default_rng(seed).uniform(-np.pi, np.pi, joints)
    zero = np.zeros(joints)
    bias = rnea(robot.model, data, q, zero, zero).to_numpy()
    m = np.column_stack([rnea(robot.model, data, q, zero, e).to_numpy() - bias for e in np.eye(joints)])
    np.testing.assert_allclose(m, m.T, atol=1e-12)
    assert np.all(np.linalg.eigvalsh(m) > 0)


# ---- forward dynamics ----------------------------------------------------------------------

@pytest.mark.parametrize("seed, joints, chain", TREES)
def test_forward_and_inverse_dynamics_are_inverses(seed, joints, chain):
    robot = RevoluteTree(seed, joints, chain)
    data = robot.model.create_data()
    rng = np.random.default_rng(seed + 7)
    for _ in range(5):
        q, v, a, tau = rng.uniform(-2, 2, (4, joints))
        a_back = aba(robot.model, data, q, v, rnea(robot.model, data, q, v, a).to_numpy()).to_numpy()
        tau_back = rnea(robot.model, data, q, v, aba(robot.model, data, q, v, tau).to_numpy()).to_numpy()
        np.testing.assert_allclose(a_back, a, rtol=1e-9, atol=1e-9)
        np.testing.assert_allclose(tau_back, tau, rtol=1e-9, atol=1e-9)
        np.testing.assert_array_equal(aba(robot.model, data, q, v, tau).to_numpy(),
                                      forward_dynamics(robot.model, data, q, v, tau).to_numpy())


@pytest.mark.parametrize(
    "sizes, message",
    [
        ((3, 3, 3), "Parameter 'q' expected configuration size 2, but got 3"),
        ((1, 2, 2), "Parameter 'q' expected configuration size 2, but got 1"),
        ((2, 3, 1), "Parameter 'v' expected configuration size 2, but got 3"),
        ((2, 2, 0), "Parameter 'tau' expected configuration size 2, but got 0"),
    ],
)
def test_forward_dynamics_size_checks(sizes, message):
    robot = RevoluteTree(12, 2)
    for function in (aba, forward_dynamics):
        with pytest.raises(ValueError) as info:
            function(robot.model, robot.model.create_data(), *(np.zeros(n) for n in sizes))
        assert str(info.value) == "Forward dynamics failed: " + message


def test_forward_dynamics_accepts_column_arrays_and_the_world_only_model():
    robot = RevoluteTree(13, 2)
    data = robot.model.create_data()
    qdd = aba(robot.model, data, np.zeros((2, 1)), np.zeros((1, 2)), np.ones((2, 1))).to_numpy()
    np.testing.assert_array_equal(qdd, aba(robot.model, data, np.zeros(2), np.zeros(2), np.ones(2)).to_numpy())
    assert aba(Model(), Model().create_data(), np.zeros(0), np.zeros(0), np.zeros(0)).to_numpy().shape == (0,)


def test_pendulum_falls_with_the_closed_form_acceleration():
    m, length = 2.0, 0.75
    model = pendulum(m, length)
    for q in (0.0, 0.7, 2.0):
        qdd = aba(model, model.create_data(), np.array([q]), np.zeros(1), np.zeros(1)).to_numpy()[0]
        assert qdd == pytest.approx(9.81 * np.cos(q) / length, rel=1e-12)


def test_massless_finger_is_reported_by_name():
    model = Model()
    model.add_joint(0, JointModelRZ(), SE3.Identity(), "palm")
    model.add_frame(Frame("palm_body", 1, 0, SE3.Identity(), FrameType.Body, Inertia.FromSphere(1.0, 0.1)), True)
    model.add_joint(1, JointModelRX(), SE3(np.eye(3), np.array([0.1, 0.0, 0.0])), "finger")
    with pytest.raises(ValueError) as info:
        aba(model, model.create_data(), np.zeros(2), np.zeros(2), np.zeros(2))
    assert str(info.value).startswith("Forward dynamics failed: ")
    assert "'finger'" in str(info.value)
    rnea(model, model.create_data(), np.zeros(2), np.zeros(2), np.zeros(2))  # still defined
