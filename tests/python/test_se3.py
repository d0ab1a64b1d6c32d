"""SE3 rigid transforms."""

import numpy as np
import pytest

from kinetra import SE3


def rot_z(angle):
    c, s = np.cos(angle), np.sin(angle)
    return np.array([[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]])


def homogeneous(rotation, translation):
    h = np.eye(4)
    h[:3, :3], h[:3, 3] = rotation, translation
    return h


def test_identity():
    built = SE3(np.eye(3), np.zeros(3))
    np.testing.assert_array_equal(built.homogeneous, np.eye(4))
    np.testing.assert_array_equal(SE3.Identity().homogeneous, np.eye(4))
    assert repr(SE3.Identity()) == (
        "SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
        "translation: [0.0, 0.0, 0.0] })"
    )


def test_repr_writes_columns_in_debug_format():
    r = np.array([[0.0, -1.0, 0.0], [1.0, 0.0, 0.0], [0.0, 0.0, 1.0]])
    t = SE3(r, np.array([1e-5, 2.5, 1e16]))
    assert repr(t) == (
        "SE3(Isometry { rotation: [[0.0, 1.0, 0.0], [-1.0, 0.0, 0.0], [0.0, 0.0, 1.0]], "
        "translation: [1e-5, 2.5, 1e16] })"
    )


@pytest.mark.parametrize(
    "rotation, translation, message",
    [
        (np.eye(4), np.zeros(3), "Invalid input size. Expected a rotation of shape (3,3), got [4, 4]"),
        (np.eye(3)[:2], np.zeros(3), "Invalid input size. Expected a rotation of shape (3,3), got [2, 3]"),
        (np.eye(3), np.zeros(4), "Invalid input size. Expected a translation of shape (3,), got 4."),
        (np.eye(3), np.zeros(0), "Invalid input size. Expected a translation of shape (3,), got 0."),
        (2 * np.eye(3), np.zeros(3), "The rotation matrix is not orthogonal."),
        (np.full((3, 3), np.nan), np.zeros(3), "The rotation matrix is not orthogonal."),
        (np.zeros((3, 3)), np.zeros(3), "The rotation matrix is not orthogonal."),
    ],
)
def test_constructor_errors(rotation, translation, message):
    with pytest.raises(ValueError) as info:
        SE3(rotation, translation)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "rotation, translation, name",
    [
        (np.eye(3, dtype=np.float32), np.zeros(3), "rotation"),
        (np.eye(3).tolist(), np.zeros(3), "rotation"),
        (np.zeros(9), np.zeros(3), "rotation"),
        (np.eye(3), np.zeros((3, 1)), "translation"),
        (np.eye(3), [0.0, 0.0, 0.0], "translation"),
    ],
)
def test_constructor_type_errors(rotation, translation, name):
    with pytest.raises(TypeError, match=f"^argument '{name}': "):
        SE3(rotation, translation)


@pytest.mark.parametrize(
    "delta, accepted",
    [(5e-7, True), (-9e-7, True), (1e-5, False), (2e-6, False)],
)
def test_orthogonality_tolerance(delta, accepted):
    r = np.eye(3)
    r[0, 1] = delta
    if accepted:
        np.testing.assert_array_equal(SE3(r, np.zeros(3)).rotation, r)  # stored unchanged
    else:
        with pytest.raises(ValueError, match="not orthogonal"):
            SE3(r, np.zeros(3))


def test_reflection_is_accepted():
    r = np.diag([1.0, 1.0, -1.0])
    np.testing.assert_array_equal(SE3(r, np.zeros(3)).rotation, r)


@pytest.mark.parametrize("layout", ["C", "F", "reversed"])
def test_rotation_is_read_by_logical_index(layout):
    r = rot_z(0.3)
    arg = {"C": np.ascontiguousarray(r), "F": np.asfortranarray(r), "reversed": r[::-1, ::-1].copy()[::-1, ::-1]}[layout]
    t = SE3(arg, np.arange(6.0)[::2])
    np.testing.assert_array_equal(t.rotation, r)
    np.testing.assert_array_equal(t.translation, [0, 2, 4])


def test_arrays_are_column_major_fresh_copies():
    r, p = rot_z(0.7), np.array([1.0, 2.0, 3.0])
    t = SE3(r, p)
    rotation = t.rotation
    assert rotation.flags.f_contiguous and not rotation.flags.c_contiguous and rotation.flags.owndata
    assert rotation[0, 1] == r[0, 1]
    h = t.homogeneous
    assert h.flags.f_contiguous and not h.flags.c_contiguous
    np.testing.assert_array_equal(h, homogeneous(r, p))
    translation = t.translation
    assert translation.flags.c_contiguous and translation is not t.translation
    rotation[:] = 0
    translation[:] = 0
    np.testing.assert_array_equal(t.rotation, r)
    np.testing.assert_array_equal(t.translation, p)
    r[:] = 0  # the constructor copied its inputs
    assert t.rotation[2, 2] == 1.0


def test_translation_setter():
    t = SE3(rot_z(0.2), np.zeros(3))
    before = t.homogeneous
    t.translation = np.array([1.0, 2.0, 3.0])
    after = t.homogeneous
    np.testing.assert_array_equal(after[:3, 3], [1, 2, 3])
    np.testing.assert_array_equal(after[:, :3], before[:, :3])
    with pytest.raises(ValueError, match=r"^Invalid input size\. Expected a translation of shape \(3,\), got 2\.$"):
        t.translation = np.zeros(2)
    with pytest.raises(TypeError, match="^argument 'translation': "):
        t.translation = [0.0, 0.0, 0.0]
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del t.translation
    for name in ("rotation", "homogeneous"):
        with pytest.raises(AttributeError):
            setattr(t, name, np.eye(3))
    np.testing.assert_array_equal(t.translation, [1, 2, 3])


def random_matrix(rng):
    axis = rng.normal(size=3)
    angle = rng.uniform(-np.pi, np.pi)
    k = axis / np.linalg.norm(axis)
    kx = np.array([[0, -k[2], k[1]], [k[2], 0, -k[0]], [-k[1], k[0], 0]])
    r = np.eye(3) + np.sin(angle) * kx + (1 - np.cos(angle)) * kx @ kx
    return homogeneous(r, rng.normal(size=3))


def test_composition_and_inverse_match_matrix_products():
    rng = np.random.default_rng(7)
    for _ in range(50):
        a, b = random_matrix(rng), random_matrix(rng)
        ta, tb = SE3(a[:3, :3], a[:3, 3]), SE3(b[:3, :3], b[:3, 3])
        np.testing.assert_allclose((ta * tb).homogeneous, a @ b, atol=1e-14)
        np.testing.assert_allclose(ta.inverse().homogeneous, np.linalg.inv(a), atol=1e-13)
        np.testing.assert_allclose((ta * ta.inverse()).homogeneous, np.eye(4), atol=1e-14)
        # the inverse's rotation is the exact transpose
        np.testing.assert_array_equal(ta.inverse().rotation, ta.rotation.T)


def test_random():
    for _ in range(500):
        t = SE3.Random()
        assert np.all(t.translation >= -1.0) and np.all(t.translation < 1.0)
        r = t.rotation
        np.testing.assert_allclose(r.T @ r, np.eye(3), atol=1e-14)
        assert np.linalg.det(r) > 0
        angle = np.arccos(np.clip((np.trace(r) - 1) / 2, -1, 1))
        assert angle <= np.sqrt(3) + 1e-12
    assert not np.array_equal(SE3.Random().homogeneous, SE3.Random().homogeneous)


def test_copy_and_operators():
    t = SE3.Random()
    c = t.copy()
    assert c is not t and c != t
    np.testing.assert_array_equal(c.homogeneous, t.homogeneous)
    c.translation = np.zeros(3)
    assert np.any(t.translation != 0)
    for bad in (lambda: t * 2, lambda: 2 * t, lambda: t + t, lambda: t * np.eye(4)):
        with pytest.raises(TypeError):
            bad()
