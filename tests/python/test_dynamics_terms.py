"""crba, nonlinear_effects, generalized_gravity, aba, the energies and total_mass, each checked
against rnea, finite differences or the masses put in, on random revolute chains and trees, the
shipped arm, and floating versions of a mixed tree, the arm and the shared robots."""

import pathlib
from collections import namedtuple

import numpy as np
import pytest

import kinetra
from kinetra import (JointModelFreeFlyer, Model, aba, crba, forward_kinematics,
                     generalized_gravity, integrate, kinetic_energy, nonlinear_effects,
                     potential_energy, rnea, total_mass)

from robots import SHARED_NAMES, MixedTree, RevoluteTree, floating_shared, without_geometry

ARM = pathlib.Path(__file__).resolve().parents[2] / "examples" / "robot" / "arm.urdf"
Robot = namedtuple("Robot", "model masses")


def tree(robot):
    frames = robot.model.frames
    return Robot(robot.model, [f.inertia.mass for f in frames if f.name.startswith("body")])


ROBOTS = {"chain": lambda: tree(RevoluteTree(1, 6, True)),
          "tree": lambda: tree(RevoluteTree(2, 9, False)),
          "arm": lambda: Robot(*without_geometry(ARM)),
          "floating tree": lambda: tree(MixedTree(8, 8, chain=False, floating=True)),
          "floating arm": lambda: Robot(*without_geometry(ARM, root_joint=JointModelFreeFlyer()))}


@pytest.fixture(params=list(ROBOTS) + [f"floating {n}" for n in SHARED_NAMES])
def robot(request):
    name = request.param
    return ROBOTS[name]() if name in ROBOTS else Robot(*floating_shared(name.split()[1]))


def massless_hands(robot):
    """romeo's finger links have neither mass nor inertia: its mass matrix is singular."""
    return robot.model.name == "romeo"


def moved(model, angles):
    """The configuration reached from the neutral one by the velocity `angles` for unit time."""
    return integrate(model, kinetra.neutral(model).to_numpy(), angles)


def states(robot, count=3):
    rng = np.random.default_rng(7)
    for _ in range(count):
        nv = robot.model.nv
        yield moved(robot.model, rng.uniform(-1.5, 1.5, nv)), rng.normal(size=nv)


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
        if not massless_hands(robot):
            np.linalg.cholesky(m)  # positive definite


def test_bias_terms_are_the_rnea_calls_bit_for_bit(robot):
    model, data, zero = robot.model, robot.model.create_data(), np.zeros(robot.model.nv)
    for q, v in states(robot):
        np.testing.assert_array_equal(nonlinear_effects(model, data, q, v), rnea(model, data, q, v, zero).to_numpy())
        np.testing.assert_array_equal(generalized_gravity(model, data, q), rnea(model, data, q, zero, zero).to_numpy())


def test_aba_solves_the_equations_of_motion(robot):
    if massless_hands(robot):
        pytest.skip("the accelerations of massless fingers are undefined")
    model, data = robot.model, robot.model.create_data()
    rng = np.random.default_rng(4)
    for q, v in states(robot):
        tau = rng.normal(size=model.nv)
        a = aba(model, data, q, v, tau).to_numpy()
        np.testing.assert_allclose(rnea(model, data, q, v, a).to_numpy(), tau, rtol=1e-9, atol=1e-9)
        m, bias = crba(model, data, q), nonlinear_effects(model, data, q, v)
        np.testing.assert_allclose(m @ a + bias, tau, rtol=1e-9, atol=1e-9)


def test_kinetic_energy_is_the_quadratic_form_of_m(robot):
    model, data = robot.model, robot.model.create_data()
    for q, v in states(robot):
        energy = kinetic_energy(model, data, q, v)
        assert isinstance(energy, float) and energy > 0
        assert energy == pytest.approx(0.5 * v @ crba(model, data, q) @ v, rel=1e-12)


def test_potential_gradient_is_gravity_torque(robot):
    model, data, h = robot.model, robot.model.create_data(), 1e-5
    for q, _ in states(robot):
        gradient = [(potential_energy(model, data, integrate(model, q, h * e)) -
                     potential_energy(model, data, integrate(model, q, -h * e))) / (2 * h)
                    for e in np.eye(model.nv)]
        np.testing.assert_allclose(gradient, generalized_gravity(model, data, q), rtol=1e-6, atol=1e-7)
        potential_energy(model, data, q)
        placed = model.create_data()
        forward_kinematics(model, placed, q)
        for a, b in zip(data.oMi, placed.oMi, strict=True):
            np.testing.assert_array_equal(a.homogeneous, b.homogeneous)


def test_total_mass_is_the_sum_of_the_masses_put_in(robot):
    assert total_mass(robot.model) == pytest.approx(sum(robot.masses), rel=1e-14)


def test_one_data_serves_models_of_other_sizes():
    small, large = RevoluteTree(4, 3, True), MixedTree(5, 8, False, floating=True)
    shared = small.model.create_data()
    for robot in (large, small, large):
        q = moved(robot.model, np.linspace(-1, 1, robot.model.nv))
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
