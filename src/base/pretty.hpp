#pragma once

#include <string>
#include <string_view>

#include "spatial/color.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

// Builds the indented multi-line debug renderings: one item per line, four spaces
// per level of nesting, a comma after every item.
class PrettyWriter {
 public:
  void line(int depth, std::string_view text);
  // "prefix[", one number per line, "]" + suffix.
  void number_list(int depth, std::string_view prefix, const double* values, std::size_t n,
                   std::string_view suffix);
  // "prefixSE3(" ... ")" + suffix, the rotation as its list of columns.
  void placement(int depth, std::string_view prefix, const SE3& transform, std::string_view suffix);
  // "prefixColor(" ... ")" + suffix.
  void color(int depth, std::string_view prefix, const Color& color, std::string_view suffix);
  // Appends text without a line break (the closing brace of a record).
  void append(std::string_view text) { out_ += text; }

  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace kinetra
