#pragma once

#include <memory>
#include <utility>
#include <vector>

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

// A list of polymorphic objects, each held by value: copies clone every element.
template <class Interface>
class CloneVector : public std::vector<std::unique_ptr<Interface>> {
 public:
  CloneVector() = default;
  CloneVector(const CloneVector& other) : std::vector<std::unique_ptr<Interface>>() {
    this->reserve(other.size());
    for (const auto& object : other) this->push_back(object->clone_box());
  }
  CloneVector(CloneVector&&) noexcept = default;
  CloneVector& operator=(const CloneVector& other) {
    CloneVector copy(other);
    this->swap(copy);
    return *this;
  }
  CloneVector& operator=(CloneVector&&) noexcept = default;
  ~CloneVector() = default;
};

}  // namespace kinetra
