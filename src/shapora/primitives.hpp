#pragma once

#include "shapora/shape.hpp"

namespace shapora {

template <class Derived>
class Primitive : public Shape {
 public:
  bool is_convex() const override { return true; }
  std::unique_ptr<Shape> clone_box() const override {
    return std::make_unique<Derived>(static_cast<const Derived&>(*this));
  }
};

class Sphere final : public Primitive<Sphere> {
 public:
  explicit Sphere(double radius) : radius(to_f32(radius)) {}
  ShapeType get_shape_type() const override { return ShapeType::Sphere; }
  std::optional<float> get_radius() const override { return radius; }
  float radius;
};

class Cuboid final : public Primitive<Cuboid> {
 public:
  // From the three edge lengths along x, y, z.
  Cuboid(double x, double y, double z) : half_extents{half_f32(x), half_f32(y), half_f32(z)} {}
  ShapeType get_shape_type() const override { return ShapeType::Cuboid; }
  std::optional<std::array<float, 3>> get_half_extents() const override { return half_extents; }
  std::array<float, 3> half_extents;
};

// Radius and half length along the shape's axis; the full length is not kept.
template <class Derived, ShapeType Kind>
class Round : public Primitive<Derived> {
 public:
  Round(double radius, double length) : radius(to_f32(radius)), half_length(half_f32(length)) {}
  ShapeType get_shape_type() const override { return Kind; }
  std::optional<float> get_radius() const override { return radius; }
  std::optional<float> get_half_length() const override { return half_length; }
  float radius;
  float half_length;
};

class Cylinder final : public Round<Cylinder, ShapeType::Cylinder> {
 public:
  using Round::Round;
};
class Cone final : public Round<Cone, ShapeType::Cone> {
 public:
  using Round::Round;
};
class Capsule final : public Round<Capsule, ShapeType::Capsule> {
 public:
  using Round::Round;
};

// A mesh known only by its file path (never opened).
class Mesh final : public Shape {
 public:
  explicit Mesh(std::string path) : path(std::move(path)) {}
  bool is_convex() const override { return false; }
  std::unique_ptr<Shape> clone_box() const override { return std::make_unique<Mesh>(*this); }
  ShapeType get_shape_type() const override { return ShapeType::Mesh; }
  std::optional<std::string> get_mesh_path() const override { return path; }
  std::string path;
};

}  // namespace shapora
