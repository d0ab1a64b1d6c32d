#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace kinetra::python {

// A read-only view of an n-dimensional array of f64 given by a data pointer, a
// shape and byte strides (any layout: transposed, sliced, negative strides,
// unaligned). Elements are read by logical index. The view never owns its data.
class NdArrayView {
 public:
  NdArrayView(const char* data, std::span<const std::ptrdiff_t> shape,
              std::span<const std::ptrdiff_t> strides)
      : data_(data), shape_(shape), strides_(strides) {}

  std::size_t ndim() const { return shape_.size(); }
  std::span<const std::ptrdiff_t> shape() const { return shape_; }
  std::ptrdiff_t dim(std::size_t axis) const { return shape_[axis]; }
  std::ptrdiff_t stride(std::size_t axis) const { return strides_[axis]; }
  const char* data() const { return data_; }

  // Number of elements: the product of the shape (1 for zero dimensions).
  std::size_t size() const {
    std::size_t n = 1;
    for (const auto extent : shape_) n *= static_cast<std::size_t>(extent);
    return n;
  }

  double at(std::ptrdiff_t i) const { return load(data_ + i * strides_[0]); }
  double at(std::ptrdiff_t i, std::ptrdiff_t j) const {
    return load(data_ + i * strides_[0] + j * strides_[1]);
  }

  // The elements as one span when they lie packed in row-major order and aligned;
  // empty otherwise (the caller then copies through for_each).
  std::optional<std::span<const double>> contiguous_span() const {
    std::ptrdiff_t expected = sizeof(double);
    for (std::size_t axis = shape_.size(); axis-- > 0;) {
      if (shape_[axis] != 1 && strides_[axis] != expected) return std::nullopt;
      expected *= shape_[axis];
    }
    if (reinterpret_cast<std::uintptr_t>(data_) % alignof(double) != 0) return std::nullopt;
    return std::span<const double>(reinterpret_cast<const double*>(data_), size());
  }

  // Calls f(value) for every element in logical row-major order (last index fastest).
  template <class F>
  void for_each(F&& f) const {
    if (size() == 0) return;
    visit(0, data_, f);
  }

 private:
  static double load(const char* p) {
    double value;
    std::memcpy(&value, p, sizeof value);  // arrays need not be aligned
    return value;
  }

  template <class F>
  void visit(std::size_t axis, const char* p, F& f) const {
    if (axis == shape_.size()) {
      f(load(p));
      return;
    }
    for (std::ptrdiff_t i = 0; i < shape_[axis]; ++i) visit(axis + 1, p + i * strides_[axis], f);
  }

  const char* data_;
  std::span<const std::ptrdiff_t> shape_;
  std::span<const std::ptrdiff_t> strides_;
};

// An array's elements in logical row-major order: in place when they lie packed and
// aligned, otherwise copied into `copy`, which then backs the span.
[[gnu::noinline]] inline std::span<const double> row_major(const NdArrayView& array,
                                                           std::vector<double>& copy) {
  if (const auto packed = array.contiguous_span()) return *packed;
  copy.reserve(array.size());
  array.for_each([&copy](double x) { copy.push_back(x); });
  return copy;
}

// An array's elements in logical row-major order: read in place when they are packed
// and aligned, copied otherwise.
class RowMajorValues {
 public:
  [[gnu::always_inline]] explicit RowMajorValues(const NdArrayView& array) {
    if (array.ndim() == 1 && packed_vector(array)) {
      // The common argument, without the general layout walk.
      span_ = {reinterpret_cast<const double*>(array.data()),
               static_cast<std::size_t>(array.dim(0))};
    } else {
      span_ = row_major(array, copy_);
    }
  }
  RowMajorValues(const RowMajorValues&) = delete;
  RowMajorValues& operator=(const RowMajorValues&) = delete;
  std::span<const double> span() const { return span_; }

 private:
  // A vector read in place: empty (NumPy gives it stride 0), or aligned with its entries
  // one double apart (any stride for a single entry).
  static bool packed_vector(const NdArrayView& array) {
    const std::ptrdiff_t n = array.dim(0);
    if (n == 0) return true;
    return (n == 1 || array.stride(0) == sizeof(double)) &&
           reinterpret_cast<std::uintptr_t>(array.data()) % alignof(double) == 0;
  }

  std::vector<double> copy_;
  std::span<const double> span_;
};

}  // namespace kinetra::python
