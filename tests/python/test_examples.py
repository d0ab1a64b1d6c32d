"""The worked examples do what their documentation says."""

import sys

import numpy as np
import pytest

import kinetra
from conftest import ROOT

sys.path.insert(0, str(ROOT / "examples"))
import dataset_dask  # noqa: E402
import double_pendulum  # noqa: E402
import falling_robot  # noqa: E402
import gravity_compensation  # noqa: E402
import inverse_kinematics  # noqa: E402

PNG = b"\x89PNG\r\n\x1a\n"


def test_inverse_kinematics_reaches_its_target_within_the_limits():
    model = inverse_kinematics.load_arm()
    tool = model.get_frame_id("tcp")
    data = model.create_data()
    wrist = -2.5
    goal = np.array([-1.0, 0.7, 1.5, -0.6, 2.0, -1.2, np.cos(wrist), np.sin(wrist), 0.0, 0.04])
    kinetra.forward_kinematics(model, data, goal)
    target = kinetra.frame_placement(model, data, tool)

    q, errors = inverse_kinematics.solve(model, tool, target, kinetra.neutral(model).to_numpy())
    assert errors[-1] < 1e-8 and len(errors) <= 40
    assert np.all((model.lower_limits <= q) & (q <= model.upper_limits))
    kinetra.forward_kinematics(model, data, q)
    reached = kinetra.frame_placement(model, data, tool)
    np.testing.assert_allclose(reached.translation, target.translation, atol=1e-8)
    np.testing.assert_allclose(reached.rotation, target.rotation, atol=1e-8)


def test_falling_robot_conserves_energy_and_momentum_and_draws_them(tmp_path):
    pytest.importorskip("matplotlib", reason="the figure needs matplotlib (the examples extra)")
    figure = tmp_path / "falling.png"
    drift = falling_robot.main(["--duration", "0.5", "--dt", "2e-3", "--output", str(figure)])
    assert max(drift.values()) < 1e-8, drift  # fourth order: about 5e-10 at this step
    assert figure.read_bytes()[:8] == PNG

    # The linear part of the momentum is the mass times the centre of mass's velocity.
    model = falling_robot.load_quadruped()
    q, v = falling_robot.initial_state(model)
    q[:7] = kinetra.random_configuration(model).to_numpy()[:7]  # any trunk placement
    data = model.create_data()
    momentum = falling_robot.spatial_momentum(model, data, q, v)
    com_velocity = kinetra.jacobian_center_of_mass(model, data, q) @ v
    np.testing.assert_allclose(momentum[3:], kinetra.total_mass(model) * com_velocity, atol=1e-12)


def test_dask_dataset_matches_single_calls():
    pytest.importorskip("distributed", reason="the example needs Dask distributed (the examples extra)")
    result = dataset_dask.main(["--samples", "2500", "--chunk", "1000", "--workers", "2", "--check", "40"])
    assert result["samples"] == 2500 and result["difference"] == 0.0


def test_dask_states_cover_every_joint_kind():
    model = dataset_dask.load_arm()
    q, v, a = dataset_dask.random_states(model, 7, 500)
    assert q.shape == (500, model.nq) and v.shape == a.shape == (500, model.nv)
    inside = (model.lower_limits <= q) & (q <= model.upper_limits)
    assert inside.all()
    np.testing.assert_allclose(kinetra.normalize(model, q[0]), q[0], rtol=0, atol=1e-15)


@pytest.mark.parametrize("example, arguments, holds", [
    # Held by tau = g(q) the arm stays within rounding; released it falls, and
    # semi-implicit Euler keeps its energy within O(dt).
    (gravity_compensation, ["--duration", "0.4", "--dt", "2e-3"],
     lambda r: r["held"] < 1e-10 and r["falling"] > 0.05 and r["energy"] < 1e-2),
    # RK4's drift is fourth order in dt; symplectic Euler's bounded, first order.
    (double_pendulum, ["--duration", "1", "--dt", "2e-3"],
     lambda r: r["rk4"] < 1e-8 and r["euler"] < 0.1),
    (inverse_kinematics, [], lambda errors: errors[-1] < 1e-8 and errors[0] > 0.5),
])
def test_tutorial_examples_hold_and_draw(tmp_path, example, arguments, holds):
    pytest.importorskip("matplotlib", reason="the figures need matplotlib (the examples extra)")
    figure = tmp_path / "figure.png"
    option = "--plot" if example is inverse_kinematics else "--output"
    assert holds(example.main([*arguments, option, str(figure)]))
    assert figure.read_bytes()[:8] == PNG


@pytest.mark.parametrize("q, v", [([0.3, 0.4], [0.0, 0.0]), ([2.0, -1.0], [1.5, -0.7]),
                                  ([-2.8, 2.5], [-3.0, 4.0])])
def test_double_pendulum_follows_the_textbook_equations(q, v):
    """Point masses on massless rods, angles phi from the downward vertical (phi2 = q1 + q2):
    the closed-form accelerations of Lagrange's equations."""
    (l1, l2), (m1, m2), g = double_pendulum.LENGTHS, double_pendulum.MASSES, 9.81
    model = double_pendulum.build_pendulum()
    p1, p2 = q[0], q[0] + q[1]
    w1, w2 = v[0], v[0] + v[1]
    d = p1 - p2
    den = 2 * m1 + m2 - m2 * np.cos(2 * d)
    a1 = (-g * (2 * m1 + m2) * np.sin(p1) - m2 * g * np.sin(p1 - 2 * p2)
          - 2 * np.sin(d) * m2 * (w2**2 * l2 + w1**2 * l1 * np.cos(d))) / (l1 * den)
    a2 = 2 * np.sin(d) * (w1**2 * l1 * (m1 + m2) + g * (m1 + m2) * np.cos(p1)
                          + w2**2 * l2 * m2 * np.cos(d)) / (l2 * den)
    qdd = kinetra.aba(model, model.create_data(), np.array(q), np.array(v), np.zeros(2)).to_numpy()
    np.testing.assert_allclose(qdd, [a1, a2 - a1], atol=1e-12)
