"""Forward kinematics, rnea and aba from Python: argument order, types, sizes, strides and failures,
and a few closed forms. The physics on random robots of every joint kind is in the C++ suite."""

import numpy as np
import pytest

import kinetra
from kinetra import (Frame, FrameType, Inertia, JointModelRX, JointModelRY, JointModelRZ, Model, SE3, aba,
                     forward_dynamics, forward_kinematics, inverse_dynamics, rnea)

from robots import RevoluteTree

ZERO = np.zeros(0)
MASS, LENGTH, ROTATIONAL = 2.0, 0.75, np.diag([0.1, 0.2, 0.3])


def placements(data):
    return [p.homogeneous for p in data.joint_placements]


def assert_same_placements(before, data):
    for a, b in zip(before, placements(data), strict=True):
        np.testing.assert_array_equal(a, b)


# ---- forward kinematics -----------------------------------------------------------------

def test_size_errors_leave_data_untouched():
    robot = RevoluteTree(5, 3)
    data = robot.model.create_data()
    forward_kinematics(robot.model, data, np.array([0.1, 0.2, 0.3]))
    before = placements(data)
    for q in (np.zeros(2), np.zeros(4), ZERO):
        with pytest.raises(ValueError) as info:
            forward_kinematics(robot.model, data, q)
        assert str(info.value) == f"Invalid input size. Expected a configuration of size 3, got {len(q)}"
    with pytest.raises(kinetra.PanicException, match="index out of bounds"):
        forward_kinematics(RevoluteTree(5, 4).model, data, np.zeros(4))  # data of a smaller model
    assert_same_placements(before, data)


def test_q_is_a_contiguous_float64_vector_from_two_coordinates():
    robot = RevoluteTree(7, 3)
    data = robot.model.create_data()
    for q in (np.arange(6.0)[::2], np.arange(3.0)[::-1]):
        with pytest.raises(ValueError, match="^Failed to convert q to slice$"):
            forward_kinematics(robot.model, data, q)
    for q in (np.zeros((3, 1)), np.zeros(3, np.float32)):
        with pytest.raises(TypeError, match="^argument 'q': "):
            forward_kinematics(robot.model, data, q)
    single = RevoluteTree(7, 1)
    forward_kinematics(single.model, single.model.create_data(), np.arange(4.0)[::4])


@pytest.mark.parametrize("function", [forward_kinematics, rnea, inverse_dynamics, aba, forward_dynamics])
def test_arguments_are_converted_in_order_and_named(function):
    model, f32 = Model(), np.zeros(0, np.float32)
    data = model.create_data()
    last = "tau" if function in (aba, forward_dynamics) else "a"
    names = ["model", "data", "q"] if function is forward_kinematics else ["model", "data", "q", "v", last]
    if len(names) == 5:
        assert function.__text_signature__ == "(" + ", ".join(names) + ")"
    for changes, name in [({"model": data, "data": model}, "model"), ({"data": model}, "data"),
                          ({"q": [0.0]}, "q"), ({"q": np.zeros(1, np.int64)}, "q"), ({"v": f32}, "v"),
                          ({last: f32}, last)]:
        values = {"model": model, "data": data, "q": ZERO, "v": ZERO, last: ZERO} | changes
        if set(changes) <= set(names):
            with pytest.raises(TypeError, match=f"^argument '{name}': "):
                function(*(values[n] for n in names))


def test_world_only_model():
    for function in (rnea, aba):
        assert function(Model(), Model().create_data(), ZERO, ZERO, ZERO).to_numpy().shape == (0,)


# ---- dynamics ------------------------------------------------------------------------------

@pytest.mark.parametrize("q, qdd", [(0.0, 0.0), (np.pi / 3, 0.0), (-1.2, 1.7)])
def test_pendulum_closed_forms(q, qdd):
    """A body on a joint about y: rnea holds and accelerates it, aba with no torque lets it fall."""
    model = Model()
    model.add_joint(0, JointModelRY(), SE3.Identity(), "joint")
    model.add_frame(Frame("body", 1, 0, SE3.Identity(), FrameType.Body,
                          Inertia(MASS, np.array([LENGTH, 0.0, 0.0]), ROTATIONAL)), True)
    hold, about_joint = -9.81 * MASS * LENGTH * np.cos(q), ROTATIONAL[1, 1] + MASS * LENGTH**2
    tau = rnea(model, model.create_data(), np.array([q]), np.zeros(1), np.array([qdd]))
    assert isinstance(tau, kinetra.Configuration)
    assert tau.to_numpy()[0] == pytest.approx(hold + qdd * about_joint, abs=1e-12)
    falling = aba(model, model.create_data(), np.array([q]), np.zeros(1), np.zeros(1)).to_numpy()[0]
    assert falling == pytest.approx(-hold / about_joint, rel=1e-12)


def test_dynamics_read_any_shape_ignore_surplus_entries_and_leave_data_untouched():
    robot = RevoluteTree(9, 3)
    data = robot.model.create_data()
    forward_kinematics(robot.model, data, np.full(3, 0.3))
    before = placements(data)
    q, v, a = np.random.default_rng(9).normal(size=(3, 3))
    tau = rnea(robot.model, data, q, v, a).to_numpy()
    longer = rnea(robot.model, data, np.append(q, 5.0), np.append(v, [1.0, 2.0]), np.append(a, 7.0))
    column = rnea(robot.model, data, q.reshape(3, 1), v.reshape(1, 3), a[::-1].copy()[::-1])
    for other in (longer, column, inverse_dynamics(robot.model, data, q, v, a)):
        np.testing.assert_array_equal(other.to_numpy(), tau)
    qdd = aba(robot.model, data, q, v, tau).to_numpy()
    for other in (aba(robot.model, data, q.reshape(3, 1), v, tau.reshape(1, 3)),
                  forward_dynamics(robot.model, data, q, v, tau)):
        np.testing.assert_array_equal(other.to_numpy(), qdd)
    np.testing.assert_allclose(qdd, a, rtol=1e-9, atol=1e-9)
    assert_same_placements(before, data)
    foreign = Model().create_data()  # a workspace made for the world joint alone
    np.testing.assert_array_equal(rnea(robot.model, foreign, q, v, a).to_numpy(), tau)
    np.testing.assert_array_equal(aba(robot.model, foreign, q, v, tau).to_numpy(), qdd)


@pytest.mark.parametrize("short", ["q", "v", "a"])
def test_too_short_vectors_are_internal_failures(short):
    robot = RevoluteTree(10, 3)
    args = {"q": np.zeros(3), "v": np.zeros(3), "a": np.zeros(3)} | {short: np.zeros(2)}
    with pytest.raises(kinetra.PanicException, match=r"^Matrix slicing out of bounds\.$"):
        rnea(robot.model, robot.model.create_data(), **args)


@pytest.mark.parametrize("sizes, message", [((3, 2, 2), "'q' expected configuration size 2, but got 3"),
                                            ((2, 3, 1), "'v' expected configuration size 2, but got 3"),
                                            ((2, 2, 0), "'tau' expected configuration size 2, but got 0")])
@pytest.mark.parametrize("function", [aba, forward_dynamics])
def test_forward_dynamics_size_checks(function, sizes, message):
    robot = RevoluteTree(12, 2)
    with pytest.raises(ValueError) as info:
        function(robot.model, robot.model.create_data(), *(np.zeros(n) for n in sizes))
    assert str(info.value) == "Forward dynamics failed: Parameter " + message


def test_massless_finger_is_reported_by_name():
    model = Model()
    model.add_joint(0, JointModelRZ(), SE3.Identity(), "palm")
    model.add_frame(Frame("palm", 1, 0, SE3.Identity(), FrameType.Body, Inertia.FromSphere(1, 0.1)), True)
    model.add_joint(1, JointModelRX(), SE3(np.eye(3), np.array([0.1, 0.0, 0.0])), "finger")
    with pytest.raises(ValueError, match="^Forward dynamics failed: .*'finger'"):
        aba(model, model.create_data(), np.zeros(2), np.zeros(2), np.zeros(2))
    rnea(model, model.create_data(), np.zeros(2), np.zeros(2), np.zeros(2))  # still defined
