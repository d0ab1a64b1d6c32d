"""Vector3D and Vector6D."""

import numpy as np
import pytest

from kinetra import Vector3D, Vector6D


def test_construction_and_numpy():
    v = Vector3D(1, 2.5, -3)
    np.testing.assert_array_equal(v.to_numpy(), [1.0, 2.5, -3.0])
    np.testing.assert_array_equal(Vector3D.zeros().vector(), [0, 0, 0])
    np.testing.assert_array_equal(Vector3D.ones().to_numpy(), [1, 1, 1])
    assert Vector3D.ones().to_numpy() is not Vector3D.ones().to_numpy()


@pytest.mark.parametrize(
    "components, norm",
    [((3, 4, 0), 5.0), ((0, 0, 0), 0.0), ((-2, 0, 0), 2.0), ((1e200, 1e200, 0), float("inf"))],
)
def test_norm(components, norm):
    assert Vector3D(*components).norm() == norm


@pytest.mark.parametrize(
    "a, b, op, expected",
    [
        ((1, 2, 3), (4, 5, 6), "+", (5, 7, 9)),
        ((1, 2, 3), (4, 5, 6), "-", (-3, -3, -3)),
        ((1, 2, 3), (4, 5, 6), "*", (4, 10, 18)),
        ((1.5, -2, 0), (2, 0.5, -1), "*", (3, -1, -0.0)),
    ],
)
def test_arithmetic(a, b, op, expected):
    x, y = Vector3D(*a), Vector3D(*b)
    result = {"+": lambda: x + y, "-": lambda: x - y, "*": lambda: x * y}[op]()
    assert isinstance(result, Vector3D) and result is not x and result is not y
    np.testing.assert_array_equal(result.to_numpy(), expected)
    np.testing.assert_array_equal(x.to_numpy(), a)  # operands unchanged


@pytest.mark.parametrize("other", [2.0, 2, np.ones(3), "x", None, Vector6D(1, 2, 3, 4, 5, 6)])
def test_operators_refuse_other_types(other):
    v = Vector3D(1, 2, 3)
    for op in (lambda: v * other, lambda: other * v, lambda: v + other, lambda: v - other):
        with pytest.raises(TypeError):
            op()


@pytest.mark.parametrize(
    "components, text",
    [
        ((1, 2.5, -0.0), "Vector3D(1, 2.5, -0)"),
        ((4, 10, 18), "Vector3D(4, 10, 18)"),
        ((1e-5, 1e16, 0.1 + 0.2), "Vector3D(0.00001, 10000000000000000, 0.30000000000000004)"),
        ((float("nan"), float("inf"), -float("inf")), "Vector3D(NaN, inf, -inf)"),
    ],
)
def test_repr_uses_the_plain_format(components, text):
    assert repr(Vector3D(*components)) == text


def test_vector6d_has_no_components():
    v = Vector6D(1, 2, 3, 4, 5, 6)
    assert [name for name in dir(v) if not name.startswith("__")] == []
    assert repr(v).startswith("<Vector6D object at ")
    assert Vector6D.__text_signature__ == "(x, y, z, w, v, u)"
    assert Vector6D.__doc__ == "Python wrapper for spatial motion vectors (`Vector6D`)."
    with pytest.raises(TypeError, match="argument 'u'"):
        Vector6D(1, 2, 3, 4, 5, "6")
