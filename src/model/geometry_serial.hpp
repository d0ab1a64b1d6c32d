#pragma once

// The binary layout of geometry objects, models and data (see base/serial.hpp).

#include "base/serial.hpp"
#include "model/geometry.hpp"

namespace kinetra::serial {

template <>
struct Codec<GeometryObject> {
  static void save(Writer& w, const GeometryObject& object);
  static GeometryObject load(Reader& r);
};

// The objects in order; loading adds them again, which rebuilds the name index.
template <>
struct Codec<GeometryModel> {
  static void save(Writer& w, const GeometryModel& model);
  static GeometryModel load(Reader& r);
};

template <>
struct Codec<GeometryData> {
  static void save(Writer& w, const GeometryData& data);
  static GeometryData load(Reader& r);
};

}  // namespace kinetra::serial
