#include "python/convert.hpp"

namespace kinetra::python {

void raise_cannot_convert(PyObject* object, const char* target) {
  raise(PyExc_TypeError,
        "'" + type_name(object) + "' object cannot be converted to '" + target + "'");
}

void raise_tuple_length(std::size_t expected, Py_ssize_t got) {
  raise(PyExc_ValueError, "expected tuple of length " + std::to_string(expected) +
                              ", but got tuple of length " + std::to_string(got));
}

double to_f64(PyObject* object) {
  if (PyFloat_CheckExact(object)) return PyFloat_AS_DOUBLE(object);
  const double value = PyFloat_AsDouble(object);  // __float__, then __index__
  if (value == -1.0 && PyErr_Occurred()) throw PythonError{};
  return value;
}

std::size_t to_usize(PyObject* object) {
  Ref index = checked(PyNumber_Index(object));
  const std::size_t value = PyLong_AsSize_t(index.get());  // OverflowError when negative
  if (value == static_cast<std::size_t>(-1) && PyErr_Occurred()) throw PythonError{};
  return value;
}

std::int64_t to_i64(PyObject* object) {
  static_assert(sizeof(long long) == sizeof(std::int64_t));
  Ref index = checked(PyNumber_Index(object));
  const long long value = PyLong_AsLongLong(index.get());  // OverflowError past 64 bits
  if (value == -1 && PyErr_Occurred()) throw PythonError{};
  return value;
}

namespace {

// Every item of a sequence (not str) converted by `convert`.
template <class T, class Convert>
std::vector<T> to_sequence(PyObject* object, Convert convert) {
  if (PyUnicode_Check(object) || !PySequence_Check(object))
    raise_cannot_convert(object, "Sequence");
  const Py_ssize_t size = PySequence_Size(object);
  if (size < 0) throw PythonError{};
  std::vector<T> values;
  values.reserve(static_cast<std::size_t>(size));
  for (Py_ssize_t i = 0; i < size; ++i) {
    const Ref item = checked(PySequence_GetItem(object, i));
    values.push_back(convert(item.get()));
  }
  return values;
}

}  // namespace

std::vector<double> to_f64_sequence(PyObject* object) {
  return to_sequence<double>(object, to_f64);
}

std::vector<std::size_t> to_usize_sequence(PyObject* object) {
  return to_sequence<std::size_t>(object, to_usize);
}

std::string to_string(PyObject* object) {
  if (!PyUnicode_Check(object)) raise_cannot_convert(object, "PyString");
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(object, &size);
  if (utf8 == nullptr) throw PythonError{};
  return std::string(utf8, static_cast<std::size_t>(size));
}

std::string to_path(PyObject* object) {
  if (PyUnicode_Check(object)) return to_string(object);
  Ref path = Ref::steal(PyOS_FSPath(object));
  if (!path) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
    PyErr_Clear();
    try {
      raise_cannot_convert(object, "PyString");
    } catch (const PythonError&) {
      throw_with_note("a path is a str, a bytes or an os.PathLike object");
    }
  }
  if (!PyBytes_Check(path.get())) return to_string(path.get());
  char* bytes = nullptr;
  Py_ssize_t size = 0;
  checked(PyBytes_AsStringAndSize(path.get(), &bytes, &size));
  if (!Ref::steal(PyUnicode_DecodeUTF8(bytes, size, "strict"))) {
    throw_with_note("a bytes path must be UTF-8, like every name the module reads");
  }
  return std::string(bytes, static_cast<std::size_t>(size));
}

bool to_bool(PyObject* object) {
  if (PyBool_Check(object)) return object == Py_True;
  if (is_numpy_bool(object)) {
    const int truth = PyObject_IsTrue(object);
    if (truth < 0) throw PythonError{};
    return truth != 0;
  }
  raise_cannot_convert(object, "PyBool");
}

}  // namespace kinetra::python
