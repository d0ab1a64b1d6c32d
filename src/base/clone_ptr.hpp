#pragma once

#include <memory>
#include <utility>

namespace kinetra {

// Exactly one object behind a polymorphic interface, held by value: copies are deep,
// made through the interface's clone_box.
template <class Interface>
class ClonePtr {
 public:
  explicit ClonePtr(std::unique_ptr<Interface> object) : object_(std::move(object)) {}
  ClonePtr(const ClonePtr& other) : object_(other.object_->clone_box()) {}
  ClonePtr(ClonePtr&&) noexcept = default;
  ClonePtr& operator=(const ClonePtr& other) {
    object_ = other.object_->clone_box();
    return *this;
  }
  ClonePtr& operator=(ClonePtr&&) noexcept = default;

  const Interface& get() const { return *object_; }
  const Interface* operator->() const { return object_.get(); }
  std::unique_ptr<Interface> clone_box() const { return object_->clone_box(); }

 private:
  std::unique_ptr<Interface> object_;
};

}  // namespace kinetra
