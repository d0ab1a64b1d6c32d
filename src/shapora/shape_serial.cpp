#include "shapora/shape_serial.hpp"

namespace kinetra::serial {

namespace {

template <class Shape>
void save_as(Writer& w, const shapora::Shape& shape) {
  Codec<Shape>::save(w, static_cast<const Shape&>(shape));
}

template <class Shape>
shapora::ShapeWrapper load_as(Reader& r) {
  return shapora::ShapeWrapper(std::make_unique<Shape>(Codec<Shape>::load(r)));
}

}  // namespace

void Codec<shapora::ShapeWrapper>::save(Writer& w, const shapora::ShapeWrapper& shape) {
  using shapora::ShapeType;
  const ShapeType type = shape->get_shape_type();
  Codec<ShapeType>::save(w, type);
  switch (type) {
    case ShapeType::Capsule:
      return save_as<shapora::Capsule>(w, shape.get());
    case ShapeType::Cone:
      return save_as<shapora::Cone>(w, shape.get());
    case ShapeType::Cuboid:
      return save_as<shapora::Cuboid>(w, shape.get());
    case ShapeType::Cylinder:
      return save_as<shapora::Cylinder>(w, shape.get());
    case ShapeType::Sphere:
      return save_as<shapora::Sphere>(w, shape.get());
    case ShapeType::Mesh:
      return save_as<shapora::Mesh>(w, shape.get());
  }
}

shapora::ShapeWrapper Codec<shapora::ShapeWrapper>::load(Reader& r) {
  using shapora::ShapeType;
  switch (Codec<ShapeType>::load(r)) {
    case ShapeType::Capsule:
      return load_as<shapora::Capsule>(r);
    case ShapeType::Cone:
      return load_as<shapora::Cone>(r);
    case ShapeType::Cuboid:
      return load_as<shapora::Cuboid>(r);
    case ShapeType::Cylinder:
      return load_as<shapora::Cylinder>(r);
    case ShapeType::Sphere:
      return load_as<shapora::Sphere>(r);
    case ShapeType::Mesh:
      return load_as<shapora::Mesh>(r);
  }
  return load_as<shapora::Sphere>(r);  // not reached: the kind byte is checked
}

}  // namespace kinetra::serial
