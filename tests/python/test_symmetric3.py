"""Symmetric3."""

import numpy as np
import pytest

from kinetra import PanicException, Symmetric3, Vector3D

S = Symmetric3(1, 2, 3, 4, 5, 6)  # m11, m22, m33, m12, m13, m23
FULL = np.array([[1.0, 4, 5], [4, 2, 6], [5, 6, 3]])


def test_storage_order_and_conversion():
    np.testing.assert_array_equal(S.to_numpy(), FULL)
    np.testing.assert_array_equal(S.matrix(), FULL)
    assert S.to_numpy().flags.c_contiguous and S.to_numpy() is not S.to_numpy()
    np.testing.assert_array_equal(Symmetric3.Zero().to_numpy() + Symmetric3.Identity().to_numpy(), np.eye(3))
    assert [[S[i, j] for j in range(3)] for i in range(3)] == FULL.tolist()


@pytest.mark.parametrize(
    "index, error, message",
    [
        ((3, 0), PanicException, "Index out of bounds"),
        ((0, 7), PanicException, "Index out of bounds"),
        ((1,), ValueError, "expected tuple of length 2, but got tuple of length 1"),
        ([0, 1], TypeError, "argument 'index': 'list' object cannot be converted to 'PyTuple'"),
    ],
)
def test_index_errors(index, error, message):
    with pytest.raises(error) as info:
        S[index]
    assert str(info.value) == message


def test_arithmetic():
    b = Symmetric3(0.5, 0.5, 0.5, 1, 1, 1)
    np.testing.assert_array_equal((S + b).to_numpy(), FULL + b.to_numpy())
    np.testing.assert_array_equal((S - b).to_numpy(), FULL - b.to_numpy())
    np.testing.assert_array_equal((S * 0.5).to_numpy(), 0.5 * FULL)
    np.testing.assert_array_equal((2 * S).to_numpy(), 2 * FULL)
    product = S * Vector3D(1, 2, 3)
    assert isinstance(product, Vector3D)
    np.testing.assert_array_equal(product.to_numpy(), FULL @ [1, 2, 3])


@pytest.mark.parametrize("bad", [lambda: Vector3D(1, 2, 3) * S, lambda: S * "x", lambda: "x" * S,
                                 lambda: S + 1, lambda: S - 1, lambda: S * S])
def test_refused_operands(bad):
    with pytest.raises(TypeError):
        bad()


def test_repr():
    assert repr(Symmetric3.Identity()) == (
        "Symmetric3(\n  [1.0000, 0.0000, 0.0000],\n  [0.0000, 1.0000, 0.0000],\n  [0.0000, 0.0000, 1.0000]\n)"
    )
    assert repr(Symmetric3(-0.0, 1.23456, 1e20, -0.00004, 0.00005, float("nan"))) == (
        "Symmetric3(\n  [-0.0000, -0.0000, 0.0001],\n  [-0.0000, 1.2346, NaN],\n"
        "  [0.0001, NaN, 100000000000000000000.0000]\n)"
    )

