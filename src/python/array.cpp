// The only translation unit that uses the NumPy C API.
#include "python/array.hpp"

#include <cstring>
#include <string>
#include <vector>

#include "python/errors.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_numpy_api
#include <numpy/arrayobject.h>
#include <numpy/arrayscalars.h>

namespace kinetra::python {

namespace {

// What an array argument should have been and what it was, for the note of the
// conversion error: "expected a 1-D float64 array, got a 2-D int64 array of shape (3, 2)".
std::string conversion_note(PyObject* object, int dims) {
  std::string note = "expected a ";
  if (dims != 0) note += std::to_string(dims) + "-D ";
  note += "float64 array, got ";
  if (!PyArray_Check(object)) {
    return note + type_name(object) + "; numpy.asarray(value, dtype=numpy.float64) converts it";
  }
  auto* array = reinterpret_cast<PyArrayObject*>(object);
  const Ref dtype = checked(PyObject_Str(reinterpret_cast<PyObject*>(PyArray_DESCR(array))));
  const Ref shape = checked(PyObject_GetAttrString(object, "shape"));
  const Ref shape_text = checked(PyObject_Str(shape.get()));
  const char* dtype_utf8 = PyUnicode_AsUTF8(dtype.get());
  const char* shape_utf8 = PyUnicode_AsUTF8(shape_text.get());
  if (dtype_utf8 == nullptr || shape_utf8 == nullptr) throw_python_error();
  return note + "a " + std::to_string(PyArray_NDIM(array)) + "-D " + dtype_utf8 +
         " array of shape " + shape_utf8;
}

// TypeError "'{type}' object cannot be converted to 'PyArray<T, D>'", with the note.
[[noreturn]] void raise_not_an_array(PyObject* object, int dims) {
  const std::string note = conversion_note(object, dims);
  PyErr_SetString(
      PyExc_TypeError,
      ("'" + type_name(object) + "' object cannot be converted to 'PyArray<T, D>'").c_str());
  throw_with_note(note);
}

}  // namespace

void init_numpy() {
  if (PyArray_ImportNumPyAPI() < 0) throw_python_error();
}

NdArrayView load_array(PyObject* object, int dims) {
  if (PyArray_Check(object)) {
    auto* array = reinterpret_cast<PyArrayObject*>(object);
    const bool float64 = PyArray_TYPE(array) == NPY_DOUBLE && PyArray_ISNOTSWAPPED(array);
    const int ndim = PyArray_NDIM(array);
    if (float64 && (dims == 0 || ndim == dims)) {
      static_assert(sizeof(npy_intp) == sizeof(std::ptrdiff_t));
      const auto* shape = reinterpret_cast<const std::ptrdiff_t*>(PyArray_DIMS(array));
      const auto* strides = reinterpret_cast<const std::ptrdiff_t*>(PyArray_STRIDES(array));
      return NdArrayView(PyArray_BYTES(array), {shape, static_cast<std::size_t>(ndim)},
                         {strides, static_cast<std::size_t>(ndim)});
    }
  }
  raise_not_an_array(object, dims);
}

bool packed_float64_vector(PyObject* object, std::span<const double>& values) {
  if (!PyArray_CheckExact(object)) return false;
  auto* array = reinterpret_cast<PyArrayObject*>(object);
  constexpr int packed = NPY_ARRAY_C_CONTIGUOUS | NPY_ARRAY_ALIGNED;
  if (PyArray_NDIM(array) != 1 || PyArray_TYPE(array) != NPY_DOUBLE ||
      !PyArray_ISNOTSWAPPED(array) || (PyArray_FLAGS(array) & packed) != packed) {
    return false;
  }
  values = {static_cast<const double*>(PyArray_DATA(array)),
            static_cast<std::size_t>(PyArray_DIM(array, 0))};
  return true;
}

AnyArray load_any_array(PyObject* object) {
  if (!PyArray_Check(object)) {
    const std::string note = "expected a NumPy array, got " + type_name(object) +
                             "; numpy.asarray(value, dtype=numpy.float64) converts it";
    PyErr_SetString(
        PyExc_TypeError,
        ("'" + type_name(object) + "' object cannot be converted to 'PyArray<T, D>'").c_str());
    throw_with_note(note);
  }
  auto* array = reinterpret_cast<PyArrayObject*>(object);
  const bool float64 = PyArray_TYPE(array) == NPY_DOUBLE && PyArray_ISNOTSWAPPED(array);
  const auto* shape = reinterpret_cast<const std::ptrdiff_t*>(PyArray_DIMS(array));
  const auto* strides = reinterpret_cast<const std::ptrdiff_t*>(PyArray_STRIDES(array));
  const auto ndim = static_cast<std::size_t>(PyArray_NDIM(array));
  return AnyArray(Ref::borrow(object),
                  NdArrayView(PyArray_BYTES(array), {shape, ndim}, {strides, ndim}), float64);
}

std::string AnyArray::dtype_name() const {
  const Ref text = checked(PyObject_Str(
      reinterpret_cast<PyObject*>(PyArray_DESCR(reinterpret_cast<PyArrayObject*>(array_.get())))));
  const char* utf8 = PyUnicode_AsUTF8(text.get());
  if (utf8 == nullptr) throw_python_error();
  return utf8;
}

NewArray new_array(std::span<const std::size_t> shape) {
  std::vector<npy_intp> dims(shape.begin(), shape.end());
  Ref array = checked(PyArray_SimpleNew(static_cast<int>(dims.size()), dims.data(), NPY_DOUBLE));
  auto* data = static_cast<double*>(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array.get())));
  return {std::move(array), data};
}

Ref new_vector(std::span<const double> values) {
  npy_intp shape[1] = {static_cast<npy_intp>(values.size())};
  Ref array = checked(PyArray_SimpleNew(1, shape, NPY_DOUBLE));
  if (!values.empty()) {
    std::memcpy(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array.get())), values.data(),
                values.size_bytes());
  }
  return array;
}

Ref new_vector(std::span<const float> values) {
  npy_intp shape[1] = {static_cast<npy_intp>(values.size())};
  Ref array = checked(PyArray_SimpleNew(1, shape, NPY_FLOAT32));
  if (!values.empty()) {
    std::memcpy(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array.get())), values.data(),
                values.size_bytes());
  }
  return array;
}

Ref new_matrix(std::size_t rows, std::size_t cols, std::span<const double> values,
               MemoryOrder order) {
  npy_intp shape[2] = {static_cast<npy_intp>(rows), static_cast<npy_intp>(cols)};
  const bool column_major = order == MemoryOrder::ColumnMajor;
  Ref array = checked(PyArray_New(&PyArray_Type, 2, shape, NPY_DOUBLE, nullptr, nullptr, 0,
                                  column_major ? NPY_ARRAY_F_CONTIGUOUS : 0, nullptr));
  auto* data = static_cast<double*>(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array.get())));
  if (!column_major) {
    if (!values.empty()) std::memcpy(data, values.data(), values.size_bytes());
  } else {
    for (std::size_t i = 0; i < rows; ++i) {
      for (std::size_t j = 0; j < cols; ++j) data[j * rows + i] = values[i * cols + j];
    }
  }
  return array;
}

bool is_numpy_bool(PyObject* object) { return PyArray_IsScalar(object, Bool); }

}  // namespace kinetra::python
