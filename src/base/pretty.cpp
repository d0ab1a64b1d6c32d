#include "base/pretty.hpp"

#include "base/number_format.hpp"

namespace kinetra {

void PrettyWriter::line(int depth, std::string_view text) {
  out_.append(static_cast<std::size_t>(depth) * 4, ' ');
  out_ += text;
  out_ += '\n';
}

void PrettyWriter::number_list(int depth, std::string_view prefix, const double* values,
                               std::size_t n, std::string_view suffix) {
  line(depth, std::string(prefix) + "[");
  for (std::size_t i = 0; i < n; ++i) line(depth + 1, format_debug(values[i]) + ",");
  line(depth, std::string("]") + std::string(suffix));
}

void PrettyWriter::placement(int depth, std::string_view prefix, const SE3& t,
                             std::string_view suffix) {
  line(depth, std::string(prefix) + "SE3(");
  line(depth + 1, "Isometry {");
  line(depth + 2, "rotation: [");
  const auto& r = t.rotation().column_major();
  for (std::size_t j = 0; j < 3; ++j) number_list(depth + 3, "", r.data() + j * 3, 3, ",");
  line(depth + 2, "],");
  number_list(depth + 2, "translation: ", t.translation().as_slice().data(), 3, ",");
  line(depth + 1, "},");
  line(depth, std::string(")") + std::string(suffix));
}

void PrettyWriter::color(int depth, std::string_view prefix, const Color& color,
                         std::string_view suffix) {
  line(depth, std::string(prefix) + "Color(");
  line(depth + 1, "[");
  number_list(depth + 2, "", color.as_slice().data(), 4, ",");
  line(depth + 1, "],");
  line(depth, std::string(")") + std::string(suffix));
}

}  // namespace kinetra
