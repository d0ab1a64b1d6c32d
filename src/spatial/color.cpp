#include "spatial/color.hpp"

#include "base/number_format.hpp"

namespace kinetra {

std::string debug_text(const Color& color) {
  std::string out = "Color([";
  append_debug_list(out, color.as_slice().data(), 4);
  out += "])";
  return out;
}

}  // namespace kinetra
