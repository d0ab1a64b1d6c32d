#pragma once

// The binary layout of the spatial values (see base/serial.hpp).

#include "base/serial.hpp"
#include "spatial/color.hpp"
#include "spatial/inertia.hpp"
#include "spatial/se3.hpp"
#include "spatial/symmetric3.hpp"
#include "spatial/vector3d.hpp"
#include "spatial/vector6d.hpp"

namespace kinetra::serial {

template <>
struct Codec<Vector3D> {
  static void save(Writer& w, const Vector3D& v);
  static Vector3D load(Reader& r);
};

template <>
struct Codec<Vector6D> {
  static void save(Writer& w, const Vector6D& v);
  static Vector6D load(Reader& r);
};

template <>
struct Codec<Symmetric3> {
  static void save(Writer& w, const Symmetric3& s);
  static Symmetric3 load(Reader& r);
};

// The rotation's nine entries column by column, then the translation; the rotation is
// kept as it is (products of placements are orthogonal only up to rounding).
template <>
struct Codec<SE3> {
  static void save(Writer& w, const SE3& t);
  static SE3 load(Reader& r);
};

template <>
struct Codec<Inertia> {
  static void save(Writer& w, const Inertia& i);
  static Inertia load(Reader& r);
};

template <>
struct Codec<Color> {
  static void save(Writer& w, const Color& c);
  static Color load(Reader& r);
};

// A list of values: the count, then each value.
template <class T>
void save_list(Writer& w, const std::vector<T>& values) {
  w.size(values.size());
  for (const T& value : values) Codec<T>::save(w, value);
}

// `item_bytes`: the least an encoded T takes, which bounds the count.
template <class T>
std::vector<T> load_list(Reader& r, std::size_t item_bytes) {
  std::vector<T> values;
  const std::size_t n = r.count(item_bytes);
  values.reserve(n);
  for (std::size_t i = 0; i < n && r.ok(); ++i) values.push_back(Codec<T>::load(r));
  return values;
}

inline constexpr std::size_t kSE3Bytes = 12 * 8;

}  // namespace kinetra::serial
