"""Spatial inertia: construction, sums, frame changes."""

import numpy as np
import pytest

from kinetra import Inertia, SE3

ZERO3 = np.zeros((3, 3))


def point(mass, com):
    return Inertia(mass, np.asarray(com, dtype=float), ZERO3)


def test_zeros():
    z = Inertia.zeros()
    assert z.mass == 0.0
    np.testing.assert_array_equal(z.com, np.zeros(3))
    np.testing.assert_array_equal(z.inertia, ZERO3)
    assert repr(z) == (
        "Inertia { mass: 0.0, com: Vector3D([[0.0, 0.0, 0.0]]), "
        "inertia: Symmetric3 { data: [0.0, 0.0, 0.0, 0.0, 0.0, 0.0] } }"
    )


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


@pytest.mark.parametrize(
    "com, inertia, message",
    [
        (np.zeros(4), ZERO3, "Input array must be one-dimensional with length 3."),
        (np.zeros((3, 1)), ZERO3, "Input array must be one-dimensional with length 3."),
        (np.zeros((1, 3)), ZERO3, "Input array must be one-dimensional with length 3."),
        (np.zeros(3), np.zeros((3, 4)), "Input array must be of shape (3, 3)"),
        (np.zeros(3), np.zeros(9), "Input array must be of shape (3, 3)"),
        (np.zeros(3), np.array([[1, 1e-15, 0], [0, 1, 0], [0, 0, 1.0]]), "Input array must be symmetric"),
        (np.zeros(3), np.diag([1.0, np.nan, 1.0]), "Input array must be symmetric"),
        (np.zeros(4), np.zeros(2), "Input array must be one-dimensional with length 3."),
    ],
)
def test_constructor_errors(com, inertia, message):
    with pytest.raises(ValueError) as info:
        Inertia(1.0, com, inertia)
    assert str(info.value) == message


def test_constructor_type_errors():
    with pytest.raises(TypeError, match="^argument 'com': "):
        Inertia(1.0, [0.0, 0.0, 0.0], ZERO3)
    with pytest.raises(TypeError, match="^argument 'inertia': "):
        Inertia(1.0, np.zeros(3), np.zeros((3, 3), np.float32))
    with pytest.raises(TypeError, match="^argument 'mass': "):
        Inertia("1", np.zeros(3), ZERO3)


def test_com_read_from_strided_view():
    i = Inertia(1.0, np.arange(6.0)[::2], ZERO3.T)
    np.testing.assert_array_equal(i.com, [0, 2, 4])


@pytest.mark.parametrize("mass, radius", [(2.0, 0.5), (3.0, 1.0), (0.1, 2.5)])
def test_from_sphere(mass, radius):
    s = Inertia.FromSphere(mass, radius)
    assert s.mass == mass
    np.testing.assert_array_equal(s.com, np.zeros(3))
    np.testing.assert_allclose(s.inertia, np.eye(3) * 2 * mass * radius**2 / 5, rtol=1e-15)


@pytest.mark.parametrize(
    "mass, radius, name",
    [(0.0, 1.0, "mass"), (-1.0, 1.0, "mass"), (1.0, 0.0, "x"), (1.0, -2.0, "x"), (0.0, 0.0, "mass")],
)
def test_from_sphere_errors(mass, radius, name):
    with pytest.raises(ValueError) as info:
        Inertia.FromSphere(mass, radius)
    assert str(info.value) == (
        f"Failed to create Inertia: InertiaError: Invalid parameter: '{name}' must be positive."
    )


def test_from_sphere_accepts_nan():
    assert np.isnan(Inertia.FromSphere(float("nan"), 1.0).mass)


def test_sum_of_two_point_masses():
    total = point(1, [1, 0, 0]) + point(1, [-1, 0, 0])
    assert total.mass == 2.0
    np.testing.assert_array_equal(total.com, np.zeros(3))
    np.testing.assert_array_equal(total.inertia, np.diag([0.0, 2.0, 2.0]))


def test_sum_of_zero_inertias_is_zero():
    total = Inertia.zeros() + Inertia.zeros()
    assert total.mass == 0.0
    assert not np.any(np.isnan(total.com)) and not np.any(np.isnan(total.inertia))


def parallel_axis(bodies):
    """Total mass, centre and rotational inertia about the centre, computed directly."""
    m = sum(b[0] for b in bodies)
    c = sum(b[0] * np.asarray(b[1]) for b in bodies) / m
    inertia = np.zeros((3, 3))
    for mass, com, rot in bodies:
        d = np.asarray(com) - c
        inertia += rot + mass * (d @ d * np.eye(3) - np.outer(d, d))
    return m, c, inertia


def random_spd(rng):
    a = rng.normal(size=(3, 3))
    s = a @ a.T + 0.1 * np.eye(3)
    return (s + s.T) / 2


def test_sum_matches_the_parallel_axis_theorem():
    rng = np.random.default_rng(3)
    for _ in range(30):
        bodies = [(rng.uniform(0.1, 5), rng.normal(size=3), random_spd(rng)) for _ in range(3)]
        total = Inertia.zeros()
        for mass, com, rot in bodies:
            total = total + Inertia(mass, com, rot)
        m, c, inertia = parallel_axis(bodies)
        assert total.mass == pytest.approx(m, rel=1e-14)
        np.testing.assert_allclose(total.com, c, rtol=1e-12, atol=1e-12)
        np.testing.assert_allclose(total.inertia, inertia, rtol=1e-12, atol=1e-12)


def test_refused_operands():
    for bad in (lambda: Inertia.zeros() + 5, lambda: 5 + Inertia.zeros(), lambda: Inertia.zeros() * 2):
        with pytest.raises(TypeError):
            bad()
