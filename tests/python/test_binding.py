"""Binding rules, on a probe built with the same toolkit as kinetra and on kinetra's own classes."""

import sys
import weakref

import numpy as np
import pytest

import kinetra

NOT_ARRAY = "cannot be converted to 'PyArray<T, D>'"


# ---- argument binding ----------------------------------------------------------

@pytest.mark.parametrize(
    "call, message",
    [
        (lambda p: p.Counter(), "Counter.__new__() missing 1 required positional argument: 'start'"),
        (lambda p: p.Counter(1, 2, 3),
         "Counter.__new__() takes from 1 to 2 positional arguments but 3 were given"),
        (lambda p: p.Counter(1, start=2), "Counter.__new__() got multiple values for argument 'start'"),
        (lambda p: p.Counter(1, stop=2), "Counter.__new__() got an unexpected keyword argument 'stop'"),
        (lambda p: p.Counter(1).add(1, 2), "Counter.add() takes 1 positional argument but 2 were given"),
        (lambda p: p.Counter(1).matrix_entry(),
         "Counter.matrix_entry() missing 3 required positional arguments: 'matrix', 'i', and 'j'"),
        (lambda p: p.join(), "join() missing 2 required positional arguments: 'text' and 'flag'"),
        (lambda p: p.join("a", True, 1, 2), "join() takes from 2 to 3 positional arguments but 4 were given"),
        (lambda p: p.count_args(1, x=2), "count_args() got an unexpected keyword argument 'x'"),
        (lambda p: kinetra.Vector6D(*range(7)),
         "Vector6D.__new__() takes 6 positional arguments but 7 were given"),
        (lambda p: kinetra.Vector3D(1, 2, 3).norm(1), "Vector3D.norm() takes no arguments (1 given)"),
    ],
)
def test_binding_errors_use_the_interpreters_wording(probe, call, message):
    with pytest.raises(TypeError) as info:
        call(probe)
    assert str(info.value) == message


def test_keywords_defaults_and_none(probe):
    assert probe.Counter(start=1.5).value == 1.5 and probe.Counter(1, None).value == 1
    assert probe.Counter(step=2, start=1).value == 3
    assert probe.join(flag=False, text="x") == "x?0" and probe.join("x", True, count=3) == "x!3"
    assert probe.count_args() == 0 and probe.count_args(1, "a", None) == 3 and probe.nothing() is None


# ---- conversions -----------------------------------------------------------------

ASARRAY = "; numpy.asarray(value, dtype=numpy.float64) converts it"


@pytest.mark.parametrize(
    "call, name, inner, note",
    [
        (lambda p: p.Counter("a"), "start", "must be real number, not str", None),
        (lambda p: p.Counter(1).scaled(1.5), "factor", "'float' object cannot be interpreted as an integer", None),
        (lambda p: p.join(1, True), "text", "'int' object cannot be converted to 'PyString'", None),
        (lambda p: p.join("a", 1), "flag", "'int' object cannot be converted to 'PyBool'", None),
        (lambda p: p.Counter(1).absorb(2), "other", "'int' object cannot be converted to 'Counter'", None),
        (lambda p: p.Counter(1).values([1.0, 2.0]), "array", "'list' object " + NOT_ARRAY,
         "expected a float64 array, got list" + ASARRAY),
        (lambda p: p.Counter(1).values(np.ones(3, np.float32)), "array", "'ndarray' object " + NOT_ARRAY,
         "expected a float64 array, got a 1-D float32 array of shape (3,)"),
        (lambda p: p.Counter(1).values(np.ones((3, 2), np.int64)), "array", "'ndarray' object " + NOT_ARRAY,
         "expected a float64 array, got a 2-D int64 array of shape (3, 2)"),
        (lambda p: p.Counter(1).values(np.ones(3, ">f8")), "array", "'ndarray' object " + NOT_ARRAY,
         "expected a float64 array, got a 1-D >f8 array of shape (3,)"),
        (lambda p: p.Counter(1).row_major(np.ones(3, ">f8")), "array", "'ndarray' object " + NOT_ARRAY,
         "expected a float64 array, got a 1-D >f8 array of shape (3,)"),
        (lambda p: p.Counter(1).vector_sum(np.ones((3, 1))), "vector", "'ndarray' object " + NOT_ARRAY,
         "expected a 1-D float64 array, got a 2-D float64 array of shape (3, 1)"),
        (lambda p: p.Counter(1).vector_sum(np.float64(1.0)), "vector", "'float64' object " + NOT_ARRAY,
         "expected a 1-D float64 array, got float64" + ASARRAY),
        (lambda p: p.Counter(1).matrix_entry(np.ones(4), 0, 0), "matrix", "'ndarray' object " + NOT_ARRAY,
         "expected a 2-D float64 array, got a 1-D float64 array of shape (4,)"),
    ],
)
def test_conversion_errors_name_the_parameter(probe, call, name, inner, note):
    """The designed message names the parameter; an array's note says what was expected and given."""
    with pytest.raises(TypeError) as info:
        call(probe)
    assert str(info.value) == f"argument '{name}': {inner}"
    assert isinstance(info.value.__cause__, TypeError) and str(info.value.__cause__) == inner
    assert getattr(info.value, "__notes__", None) == (None if note is None else [note])


# ---- arrays in ---------------------------------------------------------------------

BASE = np.arange(12, dtype=np.float64).reshape(3, 4)


@pytest.mark.parametrize(
    "array",
    [BASE, BASE.T, np.asfortranarray(BASE), BASE[::2, 1::2], BASE[::-1, ::-1], BASE[:, ::-2].T,
     np.frombuffer(b"\0" + BASE.tobytes(), dtype=np.float64, count=12, offset=1).reshape(3, 4)],  # unaligned
)
def test_arrays_are_read_by_logical_index(probe, array):
    counter, before = probe.Counter(0), array.copy()
    np.testing.assert_array_equal(counter.values(array), array.ravel(order="C"))
    np.testing.assert_array_equal(counter.row_major(array), array.ravel(order="C"))
    assert [[counter.matrix_entry(array, i, j) for j in range(array.shape[1])]
            for i in range(array.shape[0])] == array.tolist()
    for vector in (array[0], array[:, -1]):
        assert counter.vector_sum(vector) == vector.sum()
        np.testing.assert_array_equal(counter.row_major(vector), vector)
    np.testing.assert_array_equal(array, before)  # never written


@pytest.mark.parametrize("shape", [(0,), (2, 0), (2, 3, 2), ()])
def test_any_dimensional_arrays_are_read_and_not_retained(probe, shape):
    array = np.arange(int(np.prod(shape)), dtype=np.float64).reshape(shape)
    references = sys.getrefcount(array)
    np.testing.assert_array_equal(probe.Counter(0).values(array), array.ravel())
    np.testing.assert_array_equal(probe.Counter(0).row_major(array), array.ravel())
    assert sys.getrefcount(array) == references


# ---- results -------------------------------------------------------------------------

def test_returned_arrays_are_fresh_owning_and_writeable(probe):
    counter = probe.Counter(7)
    first, second = counter.matrix(), counter.matrix()
    assert first is not second and first.flags.owndata and first.flags.writeable
    assert first.flags.f_contiguous and not first.flags.c_contiguous
    np.testing.assert_array_equal(first, [[7, 1, 2], [3, 4, 5]])
    first[0, 0] = -1
    assert second[0, 0] == 7 and counter.value == 7
    v = kinetra.Vector3D(1, 2, 3)
    a = v.to_numpy()
    assert a is not v.vector() and a.flags.owndata and a.flags.writeable and a.flags.c_contiguous
    a[:] = 0
    assert v.to_numpy().tolist() == [1, 2, 3]


def test_reused_objects_never_alias_live_ones():
    """Freed wrappers are kept for reuse: more are freed than kept, then as many made again."""
    live = [kinetra.SE3.Random() for _ in range(60)]
    values = [p.homogeneous for p in live]
    del live[::2], values[::2]
    again = [kinetra.SE3.Random() for _ in range(60)]
    assert len({id(p) for p in live + again}) == 90
    for placement, value in zip(live, values, strict=True):
        np.testing.assert_array_equal(placement.homogeneous, value)


def test_failures_become_value_errors_or_panic_exceptions(probe):
    with pytest.raises(ValueError, match="^counter failed$"):
        probe.Counter(1).fail()
    for panic in (kinetra.PanicException, probe.PanicException):
        assert panic.__bases__ == (BaseException,) and panic.__name__ == "PanicException"
    with pytest.raises(probe.PanicException) as info:
        try:
            probe.Counter(1).explode()
        except Exception:  # a bare except-Exception must not swallow it
            pytest.fail("PanicException was caught as Exception")
    assert info.value.args == ("exploded on purpose",)


# ---- types -----------------------------------------------------------------------------

@pytest.mark.parametrize("make", [lambda p: p.Counter(1), lambda p: kinetra.Vector3D(1, 2, 3),
                                  lambda p: kinetra.Vector6D(*range(6))])
def test_objects_are_final_closed_and_compare_by_identity(probe, make):
    obj, twin = make(probe), make(probe)
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (type(obj),), {})
    with pytest.raises(AttributeError):
        obj.extra = 1
    with pytest.raises(TypeError):
        weakref.ref(obj)
    assert not hasattr(obj, "__dict__")
    assert obj == obj and obj != twin and hash(obj) != hash(twin)


def test_text_signatures_and_docstrings(probe):
    functions = (probe.Counter, probe.Counter.add, probe.Counter.matrix, probe.join, kinetra.Vector3D.zeros)
    signatures = ["(start, step=None)", "($self, amount)", "($self)", "(text, flag, count=None)", "()"]
    assert [f.__text_signature__ for f in functions] == signatures
    docs = ["A counter for the binding tests.", "Joins its arguments.", None]
    assert [f.__doc__ for f in (probe.Counter, probe.join, probe.nothing)] == docs


def test_properties_operators_and_not_implemented(probe):
    a, b = probe.Counter(1), probe.Counter(3)
    a.value = 2
    assert a.value == 2.0 and a.doubled == 4.0
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del a.value
    with pytest.raises(AttributeError):
        a.doubled = 1
    with pytest.raises(TypeError, match="^argument 'value': "):
        a.value = "x"
    assert (a + b).value == 5 and (a * 2).value == 4 and (3 * a).value == 6
    for bad in (lambda: a + 1, lambda: 1 + a, lambda: a * "x", lambda: a - b, lambda: a * b):
        with pytest.raises(TypeError):
            bad()
    assert a[2] == 4.0
    with pytest.raises(TypeError, match="^argument 'index': "):
        a["x"]


def test_enumerations(probe):
    assert probe.Mode.On is probe.Mode.On and repr(probe.Mode.Off) == "Mode.Off" and int(probe.Mode.On) == 1
    fresh = probe.mode_of(True)
    assert fresh is not probe.Mode.On and repr(fresh) == "Mode.On" and fresh != probe.Mode.On
    with pytest.raises(TypeError, match="^No constructor defined for Mode$"):
        probe.Mode()


# ---- borrows -------------------------------------------------------------------------

def test_reentrant_conversions_cannot_touch_a_claimed_receiver(probe):
    counter = probe.Counter(1)

    class ReadsDuringAdd:
        def __float__(self):
            return counter.peek_plus(0)  # reads the receiver that add() holds exclusively

    class WritesDuringScaled:
        def __index__(self):
            counter.add(100)  # writes the receiver that scaled() reads
            return 1

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        counter.add(ReadsDuringAdd())
    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        counter.scaled(WritesDuringScaled())
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        counter.absorb(counter)  # the same object as exclusive receiver and argument
    assert counter.value == 1.0  # the refused calls left it unchanged
    assert counter.add(1) == 2.0  # and released their claims
    assert counter.absorb(probe.Counter(3)) is None and counter.value == 5.0


def test_setter_converts_before_claiming(probe):
    counter = probe.Counter(1)

    class ReadsFirst:
        def __float__(self):
            return counter.value + 1  # reading is fine: the claim comes later

    counter.value = ReadsFirst()
    assert counter.value == 2.0


# ---- registrations ---------------------------------------------------------------

@pytest.mark.parametrize(
    "kind, message",
    [
        ("function", "cannot register 'f': 4 parameter names for 1 parameter"),
        ("varargs", "cannot register 'g': a callable taking VarArgs needs exactly one name"),
        ("static_method", "cannot register 'Scratch.make': 0 parameter names for 1 parameter"),
        ("method", "cannot register 'Scratch.m': 2 parameter names for 1 parameter after the receiver"),
        ("constructor", "cannot register 'Scratch.__new__': 1 parameter name for 0 parameters"),
        ("function_twice", "cannot register 'second': its lambda is already registered as 'first'"),
        ("method_twice", "cannot register 'Scratch.second': its lambda is already registered as "
                         "'Scratch.first'"),
    ],
)
def test_bad_registrations_are_refused(probe, kind, message):
    with pytest.raises(probe.PanicException) as info:
        probe.register_badly(kind)
    assert str(info.value).startswith(message)


@pytest.mark.parametrize("name", ["value", "alias"])
def test_a_shared_setter_names_its_own_property(probe, name):
    with pytest.raises(TypeError, match=f"^argument '{name}': "):
        setattr(probe.Counter(1), name, "x")
