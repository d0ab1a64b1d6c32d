#pragma once

// The binary layout of the shapes (see base/serial.hpp): the dimensions as stored, in
// single precision, so a shape comes back with the same bits (not rebuilt from lengths).

#include "base/serial.hpp"
#include "shapora/primitives.hpp"

namespace kinetra::serial {

template <>
struct Codec<shapora::ShapeType> {
  static void save(Writer& w, shapora::ShapeType type) { w.u8(static_cast<std::uint8_t>(type)); }
  static shapora::ShapeType load(Reader& r) {
    return static_cast<shapora::ShapeType>(r.tag(6, "shape type"));
  }
};

template <>
struct Codec<shapora::Sphere> {
  static void save(Writer& w, const shapora::Sphere& s) { w.f32(s.radius); }
  static shapora::Sphere load(Reader& r) {
    shapora::Sphere s(0.0);
    s.radius = r.f32();
    return s;
  }
};

template <>
struct Codec<shapora::Cuboid> {
  static void save(Writer& w, const shapora::Cuboid& c) {
    for (const float h : c.half_extents) w.f32(h);
  }
  static shapora::Cuboid load(Reader& r) {
    shapora::Cuboid c(0.0, 0.0, 0.0);
    for (float& h : c.half_extents) h = r.f32();
    return c;
  }
};

// Cylinder, Cone and Capsule: radius and half length.
template <class Round>
struct RoundCodec {
  static void save(Writer& w, const Round& s) {
    w.f32(s.radius);
    w.f32(s.half_length);
  }
  static Round load(Reader& r) {
    Round s(0.0, 0.0);
    s.radius = r.f32();
    s.half_length = r.f32();
    return s;
  }
};
template <>
struct Codec<shapora::Cylinder> : RoundCodec<shapora::Cylinder> {};
template <>
struct Codec<shapora::Cone> : RoundCodec<shapora::Cone> {};
template <>
struct Codec<shapora::Capsule> : RoundCodec<shapora::Capsule> {};

template <>
struct Codec<shapora::Mesh> {
  static void save(Writer& w, const shapora::Mesh& m) { w.text(m.path); }
  static shapora::Mesh load(Reader& r) { return shapora::Mesh(r.text()); }
};

// The kind, then that shape's fields.
template <>
struct Codec<shapora::ShapeWrapper> {
  static void save(Writer& w, const shapora::ShapeWrapper& shape);
  static shapora::ShapeWrapper load(Reader& r);
};

}  // namespace kinetra::serial
