#pragma once

#include <stdexcept>
#include <string>

namespace kinetra {

// Raised for conditions that valid use cannot reach (an index past the end, a
// Data made for another model). The binding turns it into PanicException.
class Panic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void panic(const std::string& message) { throw Panic(message); }

}  // namespace kinetra
