#pragma once

#include <cstddef>
#include <span>

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

// Checks `object` is a native-order float64 ndarray with `dims` dimensions (any when
// 0); otherwise sets TypeError "'{type}' object cannot be converted to 'PyArray<T, D>'"
// and throws PythonError.
NdArrayView load_array(PyObject* object, int dims);

template <int Dims>
NumpyArray<Dims> to_numpy_array(PyObject* object) {
  NdArrayView view = load_array(object, Dims);
  return NumpyArray<Dims>(Ref::borrow(object), view);
}

enum class MemoryOrder { RowMajor, ColumnMajor };

// New arrays that own a copy of the values.
Ref new_vector(std::span<const double> values);
Ref new_vector(std::span<const float> values);  // dtype float32
// `values` holds the matrix in logical row-major order (entry (i, j) at i * cols + j);
// `order` chooses the memory layout of the result.
Ref new_matrix(std::size_t rows, std::size_t cols, std::span<const double> values,
               MemoryOrder order = MemoryOrder::RowMajor);

// NumPy's boolean scalar type.
bool is_numpy_bool(PyObject* object);

}  // namespace kinetra::python
