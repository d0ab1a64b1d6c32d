"""The uniform binding rules, checked on a probe class built with the same toolkit
as every kinetra class, and on kinetra's own classes where they already apply."""

import sys
import weakref

import numpy as np
import pytest

import kinetra


# ---- argument binding ----------------------------------------------------------

@pytest.mark.parametrize(
    "call, message",
    [
        (lambda p: p.Counter(), "Counter.__new__() missing 1 required positional argument: 'start'"),
        (lambda p: p.Counter(1, 2, 3),
         "Counter.__new__() takes from 1 to 2 positional arguments but 3 were given"),
        (lambda p: p.Counter(1, start=2), "Counter.__new__() got multiple values for argument 'start'"),
        (lambda p: p.Counter(1, stop=2), "Counter.__new__() got an unexpected keyword argument 'stop'"),
        (lambda p: p.Counter(1).add(), "Counter.add() missing 1 required positional argument: 'amount'"),
        (lambda p: p.Counter(1).add(1, 2), "Counter.add() takes 1 positional argument but 2 were given"),
        (lambda p: p.Counter(1).matrix_entry(),
         "Counter.matrix_entry() missing 3 required positional arguments: 'matrix', 'i', and 'j'"),
        (lambda p: p.Counter(1).matrix_entry(np.eye(2)),
         "Counter.matrix_entry() missing 2 required positional arguments: 'i' and 'j'"),
        (lambda p: p.join(), "join() missing 2 required positional arguments: 'text' and 'flag'"),
        (lambda p: p.join("a", True, 1, 2), "join() takes from 2 to 3 positional arguments but 4 were given"),
        (lambda p: p.join("a", flag=True, text="b"), "join() got multiple values for argument 'text'"),
        (lambda p: p.mode_of(True, False), "mode_of() takes 1 positional argument but 2 were given"),
        (lambda p: p.count_args(1, x=2), "count_args() got an unexpected keyword argument 'x'"),
        (lambda p: kinetra.Vector3D(1, 2), "Vector3D.__new__() missing 1 required positional argument: 'z'"),
        (lambda p: kinetra.Vector6D(1, 2, 3, 4, 5, 6, 7),
         "Vector6D.__new__() takes 6 positional arguments but 7 were given"),
    ],
)
def test_binding_errors_use_the_interpreters_wording(probe, call, message):
    with pytest.raises(TypeError) as info:
        call(probe)
    assert str(info.value) == message


def test_keywords_defaults_and_none(probe):
    assert probe.Counter(start=1.5).value == 1.5
    assert probe.Counter(1, None).value == 1
    assert probe.Counter(step=2, start=1).value == 3
    assert probe.join(flag=False, text="x") == "x?0"
    assert probe.join("x", True, count=3) == "x!3"
    assert probe.count_args() == 0 and probe.count_args(1, "a", None) == 3
    assert probe.nothing() is None


def test_methods_without_parameters_take_none(probe):
    with pytest.raises(TypeError):
        kinetra.Vector3D(1, 2, 3).norm(1)
    with pytest.raises(TypeError):
        kinetra.Vector3D.zeros(1)


# ---- conversions -----------------------------------------------------------------

@pytest.mark.parametrize(
    "call, name, inner",
    [
        (lambda p: p.Counter("a"), "start", "must be real number, not str"),
        (lambda p: p.Counter(1).scaled(1.5), "factor", "'float' object cannot be interpreted as an integer"),
        (lambda p: p.join(1, True), "text", "'int' object cannot be converted to 'PyString'"),
        (lambda p: p.join("a", 1), "flag", "'int' object cannot be converted to 'PyBool'"),
        (lambda p: p.Counter(1).absorb(2), "other", "'int' object cannot be converted to 'Counter'"),
        (lambda p: p.Counter(1).absorb(kinetra.Vector3D(1, 2, 3)), "other",
         "'Vector3D' object cannot be converted to 'Counter'"),
        (lambda p: p.Counter(1).values([1.0, 2.0]), "array", "'list' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).values(np.ones(3, np.float32)), "array",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).values(np.ones(3, np.int64)), "array",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).values(np.ones(3, ">f8")), "array",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).vector_sum(np.ones((3, 1))), "vector",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).matrix_entry(np.ones(4), 0, 0), "matrix",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (lambda p: p.Counter(1).matrix_entry(np.ones((2, 2, 1)), 0, 0), "matrix",
         "'ndarray' object cannot be converted to 'PyArray<T, D>'"),
    ],
)
def test_conversion_errors_name_the_parameter(probe, call, name, inner):
    with pytest.raises(TypeError) as info:
        call(probe)
    assert str(info.value) == f"argument '{name}': {inner}"
    assert isinstance(info.value.__cause__, TypeError)
    assert str(info.value.__cause__) == inner


def test_non_type_errors_propagate_unchanged(probe):
    with pytest.raises(OverflowError) as info:
        probe.Counter(1).scaled(-1)
    assert "argument" not in str(info.value)


def test_number_protocols_are_accepted(probe):
    class Index:
        def __index__(self):
            return 3

    class Float:
        def __float__(self):
            return 0.5

    assert probe.Counter(Index()).value == 3.0
    assert probe.Counter(Float()).value == 0.5
    assert probe.Counter(2).scaled(Index()).value == 6.0
    assert probe.Counter(2).scaled(np.int64(2)).value == 4.0
    assert probe.join("a", np.bool_(True)) == "a!0"
    assert repr(probe.mode_of(np.True_)) == "Mode.On"


# ---- arrays in ---------------------------------------------------------------------

BASE = np.arange(12, dtype=np.float64).reshape(3, 4)


@pytest.mark.parametrize(
    "array",
    [
        BASE,
        BASE.T,
        np.asfortranarray(BASE),
        BASE[::2, 1::2],
        BASE[::-1, ::-1],
        BASE[:, ::-2].T,
        np.frombuffer(b"\0" + BASE.tobytes(), dtype=np.float64, count=12, offset=1).reshape(3, 4),
    ],
    ids=["row-major", "transposed", "fortran", "sliced", "reversed", "mixed", "unaligned"],
)
def test_arrays_are_read_by_logical_index(probe, array):
    counter = probe.Counter(0)
    before = array.copy()
    np.testing.assert_array_equal(counter.values(array), array.ravel(order="C"))
    rows, cols = array.shape
    for i in range(rows):
        for j in range(cols):
            assert counter.matrix_entry(array, i, j) == array[i, j]
    np.testing.assert_array_equal(array, before)  # never written


@pytest.mark.parametrize("array", [np.arange(5.0), np.arange(10.0)[::-3], np.arange(10.0)[1::2]])
def test_one_dimensional_views(probe, array):
    assert probe.Counter(0).vector_sum(array) == array.sum()


@pytest.mark.parametrize("shape", [(0,), (2, 0), (2, 3, 2), ()])
def test_any_dimensional_arrays(probe, shape):
    array = np.arange(int(np.prod(shape)), dtype=np.float64).reshape(shape)
    np.testing.assert_array_equal(probe.Counter(0).values(array), array.ravel())


def test_arrays_are_not_retained(probe):
    array = np.ones(3)
    before = sys.getrefcount(array)
    probe.Counter(0).values(array)
    assert sys.getrefcount(array) == before


# ---- results -------------------------------------------------------------------------

def test_returned_arrays_are_fresh_owning_and_writeable(probe):
    counter = probe.Counter(7)
    first, second = counter.matrix(), counter.matrix()
    assert first is not second
    assert first.flags.owndata and first.flags.writeable
    assert first.flags.f_contiguous and not first.flags.c_contiguous
    np.testing.assert_array_equal(first, [[7, 1, 2], [3, 4, 5]])
    first[0, 0] = -1
    assert second[0, 0] == 7 and counter.value == 7


def test_vector_arrays_are_fresh(probe):
    v = kinetra.Vector3D(1, 2, 3)
    a, b = v.to_numpy(), v.vector()
    assert a is not b and a.flags.owndata and a.flags.writeable and a.flags.c_contiguous
    a[:] = 0
    np.testing.assert_array_equal(v.to_numpy(), [1, 2, 3])


def test_core_errors_become_value_errors(probe):
    with pytest.raises(ValueError, match="^counter failed$"):
        probe.Counter(1).fail()


@pytest.mark.parametrize("module", ["kinetra", "probe"])
def test_panic_exception_is_not_an_exception(probe, module):
    panic = (kinetra if module == "kinetra" else probe).PanicException
    assert panic.__bases__ == (BaseException,) and panic.__name__ == "PanicException"


def test_internal_failures_raise_panic_exception(probe):
    with pytest.raises(probe.PanicException) as info:
        try:
            probe.Counter(1).explode()
        except Exception:  # a bare except-Exception must not swallow it
            pytest.fail("PanicException was caught as Exception")
    assert info.value.args == ("exploded on purpose",)


# ---- types -----------------------------------------------------------------------------

@pytest.mark.parametrize("name", ["Vector3D", "Vector6D"])
def test_classes_are_final_and_closed(name):
    cls = getattr(kinetra, name)
    assert cls.__module__ == "builtins" and cls.__name__ == name
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})
    obj = kinetra.Vector3D(1, 2, 3) if name == "Vector3D" else kinetra.Vector6D(1, 2, 3, 4, 5, 6)
    with pytest.raises(AttributeError):
        obj.extra = 1
    with pytest.raises(TypeError):
        weakref.ref(obj)
    assert not hasattr(obj, "__dict__")


def test_equality_and_hash_follow_identity():
    a, b = kinetra.Vector3D(1, 2, 3), kinetra.Vector3D(1, 2, 3)
    assert a == a and a != b and hash(a) != hash(b)


def test_no_constructor(probe):
    with pytest.raises(TypeError, match="^No constructor defined for Mode$"):
        probe.Mode()


def test_text_signatures_and_docstrings(probe):
    assert probe.Counter.__text_signature__ == "(start, step=None)"
    assert probe.Counter.__doc__ == "A counter for the binding tests."
    assert probe.Counter.add.__text_signature__ == "($self, amount)"
    assert probe.Counter.matrix.__text_signature__ == "($self)"
    assert probe.join.__text_signature__ == "(text, flag, count=None)"
    assert probe.join.__doc__ == "Joins its arguments."
    assert probe.nothing.__doc__ is None
    assert kinetra.Vector3D.zeros.__text_signature__ == "()"


def test_properties(probe):
    counter = probe.Counter(1)
    counter.value = 4
    assert counter.value == 4.0 and counter.doubled == 8.0
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del counter.value
    with pytest.raises(AttributeError):
        counter.doubled = 1
    with pytest.raises(TypeError) as info:
        counter.value = "x"
    assert str(info.value).startswith("argument 'value': ")
    assert counter.value == 4.0


def test_operators_and_not_implemented(probe):
    a, b = probe.Counter(2), probe.Counter(3)
    assert (a + b).value == 5 and (a * 2).value == 4 and (3 * a).value == 6
    for bad in (lambda: a + 1, lambda: 1 + a, lambda: a * "x", lambda: a - b, lambda: a * b):
        with pytest.raises(TypeError):
            bad()
    assert a[2] == 4.0
    with pytest.raises(TypeError, match="^argument 'index': "):
        a["x"]


def test_enumerations(probe):
    assert probe.Mode.On is probe.Mode.On
    assert repr(probe.Mode.Off) == "Mode.Off" and int(probe.Mode.On) == 1
    fresh = probe.mode_of(True)
    assert fresh is not probe.Mode.On and repr(fresh) == "Mode.On" and fresh != probe.Mode.On


# ---- borrows -------------------------------------------------------------------------

def test_reentrant_conversion_cannot_touch_an_exclusive_receiver(probe):
    counter = probe.Counter(1)

    class Sneaky:
        def __float__(self):
            return counter.peek_plus(0)  # reads the receiver that add() holds

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        counter.add(Sneaky())
    assert counter.value == 1.0  # refused call left it unchanged
    assert counter.add(1) == 2.0  # and released its claim


def test_reentrant_conversion_cannot_write_a_shared_receiver(probe):
    counter = probe.Counter(1)

    class Sneaky:
        def __index__(self):
            counter.add(100)  # writes the receiver that scaled() reads
            return 1

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        counter.scaled(Sneaky())
    assert counter.value == 1.0


def test_same_object_as_exclusive_receiver_and_argument(probe):
    counter = probe.Counter(2)
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        counter.absorb(counter)
    assert counter.value == 2.0
    counter.absorb(probe.Counter(3))
    assert counter.value == 5.0


def test_setter_converts_before_claiming(probe):
    counter = probe.Counter(1)

    class Sneaky:
        def __float__(self):
            return counter.value + 1  # reading is fine: the claim comes later

    counter.value = Sneaky()
    assert counter.value == 2.0
