"""SE3 rigid transforms."""

import re

import numpy as np
import pytest

from kinetra import SE3

from robots import homogeneous, random_placement, rotation, se3

ROTATION_SIZE = "Invalid input size. Expected a rotation of shape (3,3), got "
TRANSLATION_SIZE = "Invalid input size. Expected a translation of shape (3,), got "
ROT_Z = np.array([[0.0, -1.0, 0.0], [1.0, 0.0, 0.0], [0.0, 0.0, 1.0]])


def test_repr_writes_columns_in_debug_format():
    t = SE3(ROT_Z, np.array([1e-5, 2.5, 1e16]))
    assert repr(t) == (
        "SE3(Isometry { rotation: [[0.0, 1.0, 0.0], [-1.0, 0.0, 0.0], [0.0, 0.0, 1.0]], "
        "translation: [1e-5, 2.5, 1e16] })"
    )
    np.testing.assert_array_equal(SE3.Identity().homogeneous, np.eye(4))


@pytest.mark.parametrize(
    "rotation, translation, error, message",
    [
        (np.eye(4), np.zeros(3), ValueError, ROTATION_SIZE + "[4, 4]"),
        (np.eye(3)[:2], np.zeros(3), ValueError, ROTATION_SIZE + "[2, 3]"),
        (np.eye(3), np.zeros(4), ValueError, TRANSLATION_SIZE + "4."),
        (2 * np.eye(3), np.zeros(3), ValueError, "The rotation matrix is not orthogonal."),
        (np.full((3, 3), np.nan), np.zeros(3), ValueError, "The rotation matrix is not orthogonal."),
        (np.zeros(9), np.zeros(3), TypeError, "argument 'rotation': "),
        (np.eye(3), [0.0, 0.0, 0.0], TypeError, "argument 'translation': "),
    ],
)
def test_constructor_errors(rotation, translation, error, message):
    with pytest.raises(error, match="^" + re.escape(message)):
        SE3(rotation, translation)


def off_diagonal(delta):
    r = np.eye(3)
    r[0, 1] = delta
    return r


@pytest.mark.parametrize("r, accepted", [(off_diagonal(5e-7), True), (off_diagonal(-9e-7), True),
                                         (off_diagonal(1e-5), False), (off_diagonal(2e-6), False),
                                         (np.diag([1.0, 1.0, -1.0]), True)])  # a reflection is orthogonal
def test_orthogonality_tolerance(r, accepted):
    if accepted:
        np.testing.assert_array_equal(SE3(r, np.zeros(3)).rotation, r)  # stored unchanged
    else:
        with pytest.raises(ValueError, match="not orthogonal"):
            SE3(r, np.zeros(3))


def test_arrays_are_read_by_logical_index_and_returned_column_major():
    r, p = rotation([0, 0, 1], 0.7), np.array([0.0, 2.0, 4.0])
    np.testing.assert_array_equal(SE3(np.asfortranarray(r), np.arange(6.0)[::2]).homogeneous, homogeneous(r, p))
    t = SE3(r, p)
    for matrix in (t.rotation, t.homogeneous):
        assert matrix.flags.f_contiguous and not matrix.flags.c_contiguous and matrix.flags.owndata
    rotation_out, translation_out = t.rotation, t.translation
    rotation_out[:] = 0
    translation_out[:] = 0
    r[:], p[:] = 0, 0  # the constructor copied its inputs
    np.testing.assert_array_equal(t.homogeneous, homogeneous(rotation([0, 0, 1], 0.7), [0, 2, 4]))


def test_translation_setter():
    t = SE3(ROT_Z, np.zeros(3))
    t.translation = np.array([1.0, 2.0, 3.0])
    np.testing.assert_array_equal(t.homogeneous, homogeneous(ROT_Z, [1, 2, 3]))
    with pytest.raises(ValueError, match="^" + re.escape(TRANSLATION_SIZE + "2.") + "$"):
        t.translation = np.zeros(2)
    with pytest.raises(AttributeError):
        t.rotation = np.eye(3)
    t.copy().translation = np.zeros(3)  # a copy is independent
    np.testing.assert_array_equal(t.translation, [1, 2, 3])


def test_composition_and_inverse_match_matrix_products():
    rng = np.random.default_rng(7)
    for _ in range(50):
        a, b = random_placement(rng), random_placement(rng)
        ta = se3(a)
        np.testing.assert_allclose((ta * se3(b)).homogeneous, a @ b, atol=1e-14)
        np.testing.assert_allclose(ta.inverse().homogeneous, np.linalg.inv(a), atol=1e-13)
        np.testing.assert_array_equal(ta.inverse().rotation, ta.rotation.T)  # the exact transpose


def test_random():
    for _ in range(500):
        t = SE3.Random()
        assert np.all(t.translation >= -1.0) and np.all(t.translation < 1.0)
        r = t.rotation
        np.testing.assert_allclose(r.T @ r, np.eye(3), atol=1e-14)
        assert np.linalg.det(r) > 0 and np.arccos(np.clip((np.trace(r) - 1) / 2, -1, 1)) <= np.sqrt(3) + 1e-12
    assert not np.array_equal(SE3.Random().homogeneous, SE3.Random().homogeneous)

