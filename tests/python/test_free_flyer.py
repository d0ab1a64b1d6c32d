"""One free-flying body with its centre of mass off the joint origin, against Newton's and Euler's
equations and the conservation of momentum and energy."""

import numpy as np
import pytest

import kinetra
from kinetra import Frame, FrameType, Inertia, Model, SE3, aba, integrate, kinetic_energy

from robots import random_body


def rotation(quaternion):
    x, y, z, w = quaternion
    return np.array([[1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
                     [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
                     [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)]])


def free_body(seed):
    mass, com, inertia = random_body(np.random.default_rng(seed))
    model = Model()
    model.add_joint(0, kinetra.JointModelFreeFlyer(), SE3.Identity(), "root")
    body = Frame("body", 1, 0, SE3.Identity(), FrameType.Body, Inertia(mass, com, inertia))
    model.add_frame(body, True)
    return model, mass, com, inertia


@pytest.mark.parametrize("spin", [0.0, 1.0, 6.0])
def test_body_obeys_newton_and_euler(spin):
    model, mass, c, inertia = free_body(1)
    rng = np.random.default_rng(2)
    q, v = kinetra.random_configuration(model).to_numpy(), spin * rng.normal(size=6)
    a = aba(model, model.create_data(), q, v, np.zeros(6)).to_numpy()
    w, vo, dw, dvo = v[:3], v[3:], a[:3], a[3:]
    # gravity acts at the centre of mass: no moment there, Euler's equations in body axes
    np.testing.assert_allclose(inertia @ dw, -np.cross(w, inertia @ w), atol=1e-12 * (1 + spin**2))
    # the centre of mass p + R c falls at g, with dp/dt = R vo and dR/dt = R [w]x
    r = rotation(q[3:])
    com_acceleration = r @ (dvo + np.cross(w, vo) + np.cross(dw, c) + np.cross(w, np.cross(w, c)))
    np.testing.assert_allclose(com_acceleration, model.gravity, atol=1e-12 * (1 + spin**2))
    vc = vo + np.cross(w, c)
    assert kinetic_energy(model, model.create_data(), q, v) == pytest.approx(
        0.5 * mass * vc @ vc + 0.5 * w @ inertia @ w, rel=1e-13, abs=1e-300)


def test_torque_free_tumbling_keeps_momentum_and_energy():
    model, mass, c, inertia = free_body(3)
    model.gravity = np.zeros(3)
    data = model.create_data()
    q = kinetra.random_configuration(model).to_numpy()
    v = np.array([3.0, -1.0, 2.0, 0.5, 0.2, -0.4])

    def step(v, h):  # RK4 on v: without gravity the body-frame accelerations do not depend on q
        k1 = aba(model, data, q, v, np.zeros(6)).to_numpy()
        k2 = aba(model, data, q, v + h / 2 * k1, np.zeros(6)).to_numpy()
        k3 = aba(model, data, q, v + h / 2 * k2, np.zeros(6)).to_numpy()
        k4 = aba(model, data, q, v + h * k3, np.zeros(6)).to_numpy()
        return v + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4)

    def momentum(q, v):
        """World angular momentum about the world origin and linear momentum."""
        r = rotation(q[3:] / np.linalg.norm(q[3:]))
        linear = mass * r @ (v[3:] + np.cross(v[:3], c))
        return np.concatenate([np.cross(q[:3] + r @ c, linear) + r @ inertia @ v[:3], linear])

    start, energy, v0 = momentum(q, v), kinetic_energy(model, data, q, v), v
    h = 1e-3
    for _ in range(1000):  # split: q moves with the midpoint velocity
        middle = step(v, h / 2)
        q = integrate(model, q, h * middle)
        v = step(middle, h / 2)
    assert np.linalg.norm(v[:3] - v0[:3]) > 1  # it tumbled
    np.testing.assert_allclose(momentum(q, v), start, atol=1e-5 * np.linalg.norm(start))
    assert kinetic_energy(model, data, q, v) == pytest.approx(energy, rel=1e-12)
