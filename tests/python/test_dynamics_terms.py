"""crba, nonlinear_effects, generalized_gravity, the energies and total_mass, each checked against rnea,
finite differences or the masses put in, on random revolute chains and trees and the shipped arm."""

import pathlib
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import kinetra
from kinetra import (Model, crba, forward_kinematics, generalized_gravity, kinetic_energy, nonlinear_effects,
                     potential_energy, rnea, total_mass)

from robots import RevoluteTree

ARM = pathlib.Path(__file__).resolve().parents[2] / "examples" / "robot"


class Robot:
    """A model, its body masses as written, and q from one angle (or slide) per velocity coordinate."""

    def __init__(self, model, masses):
        self.model, self.masses = model, masses

    def q(self, angles):
        q, k = [], 0
        for joint in self.model.joint_models[1:]:
            if joint.nq == 2:  # continuous: (cos, sin)
                q += [np.cos(angles[k]), np.sin(angles[k])]
            else:
                q += list(angles[k:k + joint.nv])
            k += joint.nv
        return np.array(q)


def tree(seed, joints, chain):
    robot = RevoluteTree(seed, joints, chain)
    return Robot(robot.model, [f.inertia.mass for f in robot.model.frames if f.name.startswith("body")])


def arm(monkeypatch):
    monkeypatch.setenv("ROS_PACKAGE_PATH", str(ARM / "kinetra_demo"))
    model = kinetra.build_models_from_urdf(str(ARM / "arm.urdf"), str(ARM))[0]
    masses = [float(m.get("value")) for m in ET.parse(ARM / "arm.urdf").getroot().iter("mass")]
    return Robot(model, masses)


@pytest.fixture(params=["chain", "tree", "arm"])
def robot(request, monkeypatch):
    return {"chain": lambda: tree(1, 6, True), "tree": lambda: tree(2, 9, False),
            "arm": lambda: arm(monkeypatch)}[request.param]()


def states(robot, count=3):
    rng = np.random.default_rng(7)
    for _ in range(count):
        yield robot.q(rng.uniform(-1.5, 1.5, robot.model.nv)), rng.normal(size=robot.model.nv)


def test_mass_matrix_is_rnea_column_by_column(robot):
    model, data, nv = robot.model, robot.model.create_data(), robot.model.nv
    zero = np.zeros(nv)
    for q, _ in states(robot):
        m = crba(model, data, q)
        bias = rnea(model, data, q, zero, zero).to_numpy()
        columns = np.column_stack([rnea(model, data, q, zero, e).to_numpy() - bias for e in np.eye(nv)])
        assert m.shape == (nv, nv) and m.dtype == np.float64
        np.testing.assert_array_equal(m, m.T)
        np.testing.assert_allclose(m, columns, rtol=1e-10, atol=1e-12)
        np.linalg.cholesky(m)  # positive definite


def test_bias_terms_are_the_rnea_calls_bit_for_bit(robot):
    model, data, zero = robot.model, robot.model.create_data(), np.zeros(robot.model.nv)
    for q, v in states(robot):
        np.testing.assert_array_equal(nonlinear_effects(model, data, q, v), rnea(model, data, q, v, zero).to_numpy())
        np.testing.assert_array_equal(generalized_gravity(model, data, q), rnea(model, data, q, zero, zero).to_numpy())


def test_kinetic_energy_is_the_quadratic_form_of_m(robot):
    model, data = robot.model, robot.model.create_data()
    for q, v in states(robot):
        energy = kinetic_energy(model, data, q, v)
        assert isinstance(energy, float) and energy > 0
        assert energy == pytest.approx(0.5 * v @ crba(model, data, q) @ v, rel=1e-12)


def test_potential_gradient_is_gravity_torque(robot):
    model, data, h = robot.model, robot.model.create_data(), 1e-5
    rng = np.random.default_rng(3)
    for _ in range(3):
        angles = rng.uniform(-1.5, 1.5, model.nv)
        gradient = [(potential_energy(model, data, robot.q(angles + h * e)) -
                     potential_energy(model, data, robot.q(angles - h * e))) / (2 * h) for e in np.eye(model.nv)]
        q = robot.q(angles)
        np.testing.assert_allclose(gradient, generalized_gravity(model, data, q), rtol=1e-6, atol=1e-7)
        potential_energy(model, data, q)
        placed = model.create_data()
        forward_kinematics(model, placed, q)
        for a, b in zip(data.oMi, placed.oMi, strict=True):
            np.testing.assert_array_equal(a.homogeneous, b.homogeneous)


def test_total_mass_is_the_sum_of_the_masses_put_in(robot):
    assert total_mass(robot.model) == pytest.approx(sum(robot.masses), rel=1e-14)


def test_one_data_serves_models_of_other_sizes():
    small, large = tree(4, 3, True), tree(5, 8, False)
    shared = small.model.create_data()
    for robot in (large, small, large):
        q = robot.q(np.linspace(-1, 1, robot.model.nv))
        np.testing.assert_array_equal(crba(robot.model, shared, q), crba(robot.model, robot.model.create_data(), q))
    world = Model()
    assert crba(world, world.create_data(), np.zeros(0)).shape == (0, 0)


@pytest.mark.parametrize("function, arguments", [
    (crba, "q"), (nonlinear_effects, "qv"), (generalized_gravity, "q"), (kinetic_energy, "qv"),
    (potential_energy, "q")])
def test_wrong_sizes_are_refused(function, arguments):
    model = RevoluteTree(1, 3).model
    data = model.create_data()
    for wrong in arguments:
        values = {name: np.zeros(3 + (name == wrong)) for name in arguments}
        with pytest.raises(ValueError, match=f"^Parameter '{wrong}' expected configuration size 3, but got 4$"):
            function(model, data, *values.values())
