"""Vector3D and Vector6D."""

import operator

import numpy as np
import pytest

from kinetra import Vector3D, Vector6D


def test_construction_and_numpy():
    np.testing.assert_array_equal(Vector3D(1, 2.5, -3).to_numpy() + Vector3D.zeros().vector(), [1, 2.5, -3])
    np.testing.assert_array_equal(Vector3D.ones().to_numpy(), [1, 1, 1])


@pytest.mark.parametrize("components, norm", [((3, 4, 0), 5.0), ((-2, 0, 0), 2.0),
                                              ((1e200, 1e200, 0), np.inf)])
def test_norm(components, norm):
    assert Vector3D(*components).norm() == norm


@pytest.mark.parametrize("op, expected", [(operator.add, (5, 7, 9)), (operator.sub, (-3, -3, -3)),
                                          (operator.mul, (4, 10, 18))])
def test_arithmetic_is_component_wise(op, expected):
    x, y = Vector3D(1, 2, 3), Vector3D(4, 5, 6)
    result = op(x, y)
    assert isinstance(result, Vector3D) and result is not x
    np.testing.assert_array_equal(result.to_numpy(), expected)
    np.testing.assert_array_equal(x.to_numpy(), [1, 2, 3])  # operands unchanged


@pytest.mark.parametrize("other", [2.0, np.ones(3), "x", Vector6D(1, 2, 3, 4, 5, 6)])
@pytest.mark.parametrize("op", [operator.add, operator.sub, operator.mul])
def test_operators_refuse_other_types(op, other):
    v = Vector3D(1, 2, 3)
    for left, right in ((v, other), (other, v)):
        with pytest.raises(TypeError):
            op(left, right)


@pytest.mark.parametrize("components, text", [
    ((1, 2.5, -0.0), "Vector3D(1, 2.5, -0)"),
    ((1e-5, 1e16, 0.1 + 0.2), "Vector3D(0.00001, 10000000000000000, 0.30000000000000004)"),
    ((float("nan"), float("inf"), -float("inf")), "Vector3D(NaN, inf, -inf)"),
])
def test_repr_uses_the_plain_format(components, text):
    assert repr(Vector3D(*components)) == text


def test_vector6d_has_no_components():
    assert [name for name in dir(Vector6D(1, 2, 3, 4, 5, 6)) if not name.startswith("__")] == []
    with pytest.raises(TypeError, match="^argument 'u'"):
        Vector6D(1, 2, 3, 4, 5, "6")
