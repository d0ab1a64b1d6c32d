#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "python/array_view.hpp"
#include "python/ref.hpp"

namespace kinetra::python {

// Loads the NumPy C API; throws PythonError when NumPy cannot be imported.
void init_numpy();

// A float64 NumPy array argument with Dims dimensions (0: any number), read in
// place through its strides. Holds a reference so that the array cannot be
// resized while the call reads it; never written, never kept after the call.
template <int Dims>
class NumpyArray {
 public:
  NumpyArray() = default;
  NumpyArray(Ref array, NdArrayView view) : array_(std::move(array)), view_(view) {}
  const NdArrayView& view() const { return view_; }
  operator const NdArrayView&() const { return view_; }

 private:
  Ref array_;
  NdArrayView view_{nullptr, {}, {}};
};

using Array1 = NumpyArray<1>;
using Array2 = NumpyArray<2>;
using ArrayN = NumpyArray<0>;

// An ndarray argument of any dtype and dimension, for functions that check the dtype
// and shape themselves and name what they expected. view() gives the shape and
// strides; its elements may be read only when float64() is true.
class AnyArray {
 public:
  AnyArray() = default;
  AnyArray(Ref array, NdArrayView view, bool float64)
      : array_(std::move(array)), view_(view), float64_(float64) {}
  const NdArrayView& view() const { return view_; }
  // Native-order float64 elements.
  bool float64() const { return float64_; }
  // The dtype as NumPy writes it: "int64", ">f8".
  std::string dtype_name() const;

 private:
  Ref array_;
  NdArrayView view_{nullptr, {}, {}};
  bool float64_ = false;
};

// Any ndarray; otherwise TypeError "'{type}' object cannot be converted to 'PyArray<T, D>'"
// with a note naming the type given.
AnyArray load_any_array(PyObject* object);

// Checks `object` is a native-order float64 ndarray with `dims` dimensions (any when
// 0); otherwise sets TypeError "'{type}' object cannot be converted to 'PyArray<T, D>'",
// with a note naming the dtype and dimensions expected and those given, and throws
// PythonError.
NdArrayView load_array(PyObject* object, int dims);

template <int Dims>
NumpyArray<Dims> to_numpy_array(PyObject* object) {
  NdArrayView view = load_array(object, Dims);
  return NumpyArray<Dims>(Ref::borrow(object), view);
}

// Whether `object` is an exact ndarray holding a packed, aligned, native float64 vector
// (NumPy's flags say so); if it is, `values` receives its elements. The cheap check
// before the general conversion.
bool packed_float64_vector(PyObject* object, std::span<const double>& values);

// A float64 array argument with Dims dimensions (0: any number), with the checks and
// messages of NumpyArray<Dims>, read as its elements in logical row-major order: a packed
// vector in place, found without building a view; any other array through the general
// conversion, copied when its elements are not packed.
template <int Dims>
class ArrayValues {
 public:
  void load(PyObject* object) {
    if (Dims > 1 || !packed_float64_vector(object, span_)) {
      span_ = row_major(load_array(object, Dims), copy_);
    }
    array_ = Ref::borrow(object);
  }
  std::span<const double> span() const { return span_; }

 private:
  Ref array_;  // held while the call reads the elements, like NumpyArray
  std::span<const double> span_;
  std::vector<double> copy_;
};

using ValuesN = ArrayValues<0>;

enum class MemoryOrder { RowMajor, ColumnMajor };

// New arrays that own a copy of the values.
Ref new_vector(std::span<const double> values);
Ref new_vector(std::span<const float> values);  // dtype float32
// `values` holds the matrix in logical row-major order (entry (i, j) at i * cols + j);
// `order` chooses the memory layout of the result.
Ref new_matrix(std::size_t rows, std::size_t cols, std::span<const double> values,
               MemoryOrder order = MemoryOrder::RowMajor);

// A new C-contiguous float64 array of this shape, left uninitialised, and its first
// element: the caller fills every entry before Python sees the array.
struct NewArray {
  Ref array;
  double* data;
};
NewArray new_array(std::span<const std::size_t> shape);

// NumPy's boolean scalar type.
bool is_numpy_bool(PyObject* object);

}  // namespace kinetra::python
