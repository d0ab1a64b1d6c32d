#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "base/clone_ptr.hpp"

namespace shapora {

enum class ShapeType { Capsule = 0, Cone = 1, Cuboid = 2, Cylinder = 3, Sphere = 4, Mesh = 5 };

// A geometric primitive described by its dimensions (32-bit floats). Shapes are
// immutable, so they may be shared between threads.
class Shape {
 public:
  virtual ~Shape() = default;

  virtual bool is_convex() const = 0;
  virtual std::unique_ptr<Shape> clone_box() const = 0;
  virtual ShapeType get_shape_type() const = 0;
  virtual std::optional<float> get_radius() const { return std::nullopt; }
  virtual std::optional<std::array<float, 3>> get_half_extents() const { return std::nullopt; }
  virtual std::optional<float> get_half_length() const { return std::nullopt; }
  virtual std::optional<std::string> get_mesh_path() const { return std::nullopt; }
};

// Exactly one shape of any kind; copies are deep (clone_box).
using ShapeWrapper = kinetra::ClonePtr<Shape>;

// Rounds to the nearest 32-bit float (beyond its range: infinity).
inline float to_f32(double value) { return static_cast<float>(value); }
// Half of a length, in single precision, as every shape stores it.
inline float half_f32(double length) { return to_f32(length) * 0.5f; }

}  // namespace shapora
