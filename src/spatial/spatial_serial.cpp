#include "spatial/spatial_serial.hpp"

namespace kinetra::serial {

namespace {

template <std::size_t N>
void save_values(Writer& w, std::span<const double, N> values) {
  for (const double value : values) w.f64(value);
}

template <std::size_t N>
std::array<double, N> load_values(Reader& r) {
  std::array<double, N> values{};
  for (double& value : values) value = r.f64();
  return values;
}

}  // namespace

void Codec<Vector3D>::save(Writer& w, const Vector3D& v) { save_values(w, v.as_slice()); }

Vector3D Codec<Vector3D>::load(Reader& r) {
  const auto v = load_values<3>(r);
  return {v[0], v[1], v[2]};
}

void Codec<Vector6D>::save(Writer& w, const Vector6D& v) { save_values(w, v.as_slice()); }

Vector6D Codec<Vector6D>::load(Reader& r) { return Vector6D(load_values<6>(r)); }

void Codec<Symmetric3>::save(Writer& w, const Symmetric3& s) {
  save_values(w, std::span<const double, 6>(s.data()));
}

Symmetric3 Codec<Symmetric3>::load(Reader& r) {
  const auto m = load_values<6>(r);
  return {m[0], m[1], m[2], m[3], m[4], m[5]};
}

void Codec<SE3>::save(Writer& w, const SE3& t) {
  save_values(w, std::span<const double, 9>(t.rotation().column_major()));
  Codec<Vector3D>::save(w, t.translation());
}

SE3 Codec<SE3>::load(Reader& r) {
  const auto columns = load_values<9>(r);
  SpatialRotation rotation;
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) rotation(i, j) = columns[j * 3 + i];
  }
  const Vector3D translation = Codec<Vector3D>::load(r);
  return {rotation, translation};
}

void Codec<Inertia>::save(Writer& w, const Inertia& i) {
  w.f64(i.mass());
  Codec<Vector3D>::save(w, i.com());
  Codec<Symmetric3>::save(w, i.inertia());
}

Inertia Codec<Inertia>::load(Reader& r) {
  const double mass = r.f64();
  const Vector3D com = Codec<Vector3D>::load(r);
  return {mass, com, Codec<Symmetric3>::load(r)};
}

void Codec<Color>::save(Writer& w, const Color& c) { save_values(w, c.as_slice()); }

Color Codec<Color>::load(Reader& r) {
  const auto c = load_values<4>(r);
  return {c[0], c[1], c[2], c[3]};
}

}  // namespace kinetra::serial
