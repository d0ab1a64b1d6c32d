"""Spatial inertia: construction, sums, frame changes."""

import numpy as np
import pytest

from kinetra import Inertia

ZERO3 = np.zeros((3, 3))


def test_constructor_stores_what_it_gets():
    i = Inertia(-1.5, np.array([1.0, 2.0, 3.0]), np.array([[1.0, 4, 5], [4, 2, 6], [5, 6, 3]]))
    assert i.mass == -1.5
    np.testing.assert_array_equal(i.com, [1, 2, 3])
    np.testing.assert_array_equal(i.lever, i.com)
    np.testing.assert_array_equal(i.inertia, [[1, 4, 5], [4, 2, 6], [5, 6, 3]])
    assert repr(i) == (
        "Inertia { mass: -1.5, com: Vector3D([[1.0, 2.0, 3.0]]), "
        "inertia: Symmetric3 { data: [1.0, 2.0, 3.0, 4.0, 5.0, 6.0] } }"
    )
    np.testing.assert_array_equal(Inertia(1.0, np.arange(6.0)[::2], ZERO3.T).com, [0, 2, 4])


@pytest.mark.parametrize(
    "mass, com, inertia, error, message",
    [
        (1.0, np.zeros(4), ZERO3, ValueError, "Input array must be one-dimensional with length 3."),
        (1.0, np.zeros((3, 1)), ZERO3, ValueError, "Input array must be one-dimensional with length 3."),
        (1.0, np.zeros(3), np.zeros(9), ValueError, "Input array must be of shape (3, 3)"),
        (1.0, np.zeros(3), np.array([[1, 1e-15, 0], [0, 1, 0], [0, 0, 1.0]]), ValueError,
         "Input array must be symmetric"),
        (1.0, np.zeros(3), np.diag([1.0, np.nan, 1.0]), ValueError, "Input array must be symmetric"),
    ],
)
def test_constructor_errors(mass, com, inertia, error, message):
    with pytest.raises(error) as info:
        Inertia(mass, com, inertia)
    assert str(info.value) == message


def test_from_sphere():
    s = Inertia.FromSphere(3.0, 0.5)
    assert s.mass == 3.0
    np.testing.assert_array_equal(s.com, np.zeros(3))
    np.testing.assert_allclose(s.inertia, np.eye(3) * 2 * 3.0 * 0.5**2 / 5, rtol=1e-15)
    assert np.isnan(Inertia.FromSphere(float("nan"), 1.0).mass)  # only non-positive values are refused


@pytest.mark.parametrize("mass, radius, name", [(0.0, 1.0, "mass"), (-1.0, 1.0, "mass"), (1.0, 0.0, "x"),
                                                (1.0, -2.0, "x"), (0.0, 0.0, "mass")])
def test_from_sphere_errors(mass, radius, name):
    with pytest.raises(ValueError) as info:
        Inertia.FromSphere(mass, radius)
    assert str(info.value) == ("Failed to create Inertia: "
                               f"InertiaError: Invalid parameter: '{name}' must be positive.")


def test_sum_matches_the_parallel_axis_theorem():
    total = Inertia.zeros() + Inertia.zeros()  # no mass: no division by it
    assert total.mass == 0.0 and not np.any(total.com) and not np.any(total.inertia)
    rng = np.random.default_rng(3)
    for _ in range(30):
        bodies = []
        for _ in range(3):
            a = rng.normal(size=(3, 3))
            bodies.append((rng.uniform(0.1, 5), rng.normal(size=3), (a @ a.T + a.T @ a) / 2))
        total = Inertia.zeros()
        for mass, com, rot in bodies:
            total = total + Inertia(mass, com, rot)
        m = sum(b[0] for b in bodies)
        c = sum(b[0] * b[1] for b in bodies) / m
        expected = sum(r + k * ((p - c) @ (p - c) * np.eye(3) - np.outer(p - c, p - c)) for k, p, r in bodies)
        assert total.mass == pytest.approx(m, rel=1e-14)
        np.testing.assert_allclose(total.com, c, rtol=1e-12, atol=1e-12)
        np.testing.assert_allclose(total.inertia, expected, rtol=1e-12, atol=1e-12)

