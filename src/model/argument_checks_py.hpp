#pragma once

// Checks shared by the algorithm wrappers: the length of a joint-space vector, the
// range of an id and the size of a Data. Each raises a Python exception (ValueError / IndexError)
// and throws PythonError, so a wrapper returns nothing when an argument is refused.

#include <cstddef>
#include <string>

#include "joint/configuration.hpp"
#include "model/data.hpp"
#include "model/model.hpp"
#include "python/array.hpp"
#include "python/errors.hpp"

namespace kinetra::python {

// ValueError "Parameter 'q' expected configuration size 7, but got 3" unless the 1-D
// `array` holds `expected` entries.
inline void check_length(const char* name, const Array1& array, std::size_t expected) {
  const auto got = static_cast<std::size_t>(array.view().dim(0));
  if (got != expected) {
    raise(PyExc_ValueError, display_text(ConfigurationError::invalid_size(name, expected, got)));
  }
}

// IndexError "joint_id 9 is out of range: the model has 8 joints" unless id < count.
inline void check_index(const char* name, std::size_t id, std::size_t count, const char* noun) {
  if (id >= count) {
    raise(PyExc_IndexError, std::string(name) + " " + std::to_string(id) +
                                " is out of range: the model has " + std::to_string(count) + " " +
                                noun);
  }
}

// ValueError unless data was made for a model with as many joints as `model`: the
// kinematic stages keep one joint data object and one placement per joint.
inline void check_data(const Model& model, const Data& data) {
  if (data.joint_data.size() != model.njoints()) {
    raise(PyExc_ValueError, "data was made for a model with " +
                                std::to_string(data.joint_data.size()) +
                                " joints, this model has " + std::to_string(model.njoints()) +
                                ": make it with model.create_data()");
  }
}

}  // namespace kinetra::python
