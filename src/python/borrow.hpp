#pragma once

#include <atomic>
#include <utility>

#include "python/errors.hpp"

namespace kinetra::python {

// Per-object borrow state: 0 free, n > 0 shared by n readers, -1 held by one writer.
// Claims are taken and released only by a thread holding the interpreter lock (the
// module runs with it, and a call that releases it keeps its claims until it has taken
// the lock back), so the lock orders every access: plain loads and stores suffice, and
// a claim costs no locked instruction.
class BorrowFlag {
 public:
  bool try_shared() {
    const auto state = state_.load(std::memory_order_relaxed);
    if (state < 0) return false;
    state_.store(state + 1, std::memory_order_relaxed);
    return true;
  }
  void release_shared() {
    state_.store(state_.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
  }

  bool try_exclusive() {
    if (state_.load(std::memory_order_relaxed) != 0) return false;
    state_.store(-1, std::memory_order_relaxed);
    return true;
  }
  void release_exclusive() { state_.store(0, std::memory_order_relaxed); }

 private:
  std::atomic<Py_ssize_t> state_{0};
};

// Scoped shared claim; RuntimeError "Already mutably borrowed" when a writer holds it.
class SharedBorrow {
 public:
  SharedBorrow() = default;
  explicit SharedBorrow(BorrowFlag& flag) : flag_(&flag) {
    if (!flag.try_shared()) {
      flag_ = nullptr;
      raise(PyExc_RuntimeError, "Already mutably borrowed");
    }
  }
  SharedBorrow(SharedBorrow&& other) noexcept : flag_(std::exchange(other.flag_, nullptr)) {}
  SharedBorrow& operator=(SharedBorrow&& other) noexcept {
    std::swap(flag_, other.flag_);
    return *this;
  }
  ~SharedBorrow() {
    if (flag_ != nullptr) flag_->release_shared();
  }

 private:
  BorrowFlag* flag_ = nullptr;
};

// Scoped exclusive claim; RuntimeError "Already borrowed" when any claim is held.
class ExclusiveBorrow {
 public:
  ExclusiveBorrow() = default;
  explicit ExclusiveBorrow(BorrowFlag& flag) : flag_(&flag) {
    if (!flag.try_exclusive()) {
      flag_ = nullptr;
      raise(PyExc_RuntimeError, "Already borrowed");
    }
  }
  ExclusiveBorrow(ExclusiveBorrow&& other) noexcept : flag_(std::exchange(other.flag_, nullptr)) {}
  ExclusiveBorrow& operator=(ExclusiveBorrow&& other) noexcept {
    std::swap(flag_, other.flag_);
    return *this;
  }
  ~ExclusiveBorrow() {
    if (flag_ != nullptr) flag_->release_exclusive();
  }

 private:
  BorrowFlag* flag_ = nullptr;
};

}  // namespace kinetra::python
