#include "urdf/values.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace kinetra::urdf {

namespace {

bool equals_ignoring_case(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

// The rough decimal exponent of a digit string, to tell overflow from underflow.
long decimal_magnitude(std::string_view digits) {
  long exponent = 0;
  const auto e = digits.find_first_of("eE");
  if (e != std::string_view::npos) {
    std::string_view text = digits.substr(e + 1);
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    for (const char c : text) exponent = std::min<long>(exponent * 10 + (c - '0'), 1'000'000'000);
    if (negative) exponent = -exponent;
    digits = digits.substr(0, e);
  }
  const auto point = digits.find('.');
  const std::string_view whole = digits.substr(0, point);
  const auto first = whole.find_first_not_of('0');
  if (first != std::string_view::npos) return exponent + static_cast<long>(whole.size() - first);
  if (point == std::string_view::npos) return exponent;
  const std::string_view fraction = digits.substr(point + 1);
  const auto nonzero = fraction.find_first_not_of('0');
  if (nonzero == std::string_view::npos) return std::numeric_limits<long>::min();  // zero
  return exponent - static_cast<long>(nonzero);
}

template <class T>
std::optional<T> parse_number(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  T value;
  if (equals_ignoring_case(text, "inf") || equals_ignoring_case(text, "infinity")) {
    value = std::numeric_limits<T>::infinity();
  } else if (equals_ignoring_case(text, "nan")) {
    value = std::numeric_limits<T>::quiet_NaN();
  } else {
    // Digits, at most one point, an optional exponent: checked here because the
    // library parser also takes forms (a second sign, "nan(...)") that are not numbers.
    const char first = text[0];
    if (!((first >= '0' && first <= '9') || first == '.')) return std::nullopt;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ptr != text.data() + text.size()) return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
      value = decimal_magnitude(text) > 0 ? std::numeric_limits<T>::infinity() : T(0);
    } else if (result.ec != std::errc()) {
      return std::nullopt;
    }
  }
  return negative ? -value : value;
}

// Decodes the code point starting at text[i] (the text is valid UTF-8) and its length.
std::pair<char32_t, std::size_t> decode(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) return {b, 1};
  const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
  if (i + n > text.size()) return {0xFFFD, 1};
  char32_t c = b & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k)
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return {c, n};
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The end of the run of white space from `i` on (i itself when there is none).
std::size_t skip_white_space(std::string_view text, std::size_t i) {
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if (!((b >= 0x09 && b <= 0x0D) || b == 0x20)) break;
      ++i;
      continue;
    }
    const auto [c, length] = decode(text, i);
    if (!is_white_space(c)) break;
    i += length;
  }
  return i;
}

// The end of the word from `i` on: the first white space or the end of the text.
std::size_t skip_word(std::string_view text, std::size_t i) {
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if ((b >= 0x09 && b <= 0x0D) || b == 0x20) break;
      ++i;
      continue;
    }
    const auto [c, length] = decode(text, i);
    if (is_white_space(c)) break;
    i += length;
  }
  return i;
}

template <class T, std::size_t N>
std::expected<std::array<T, N>, ParseError> number_list(std::string_view name,
                                                        const XmlElement& element) {
  const auto text = element.attribute(name);
  if (!text)
    return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, std::string(name)));
  std::array<T, N> values{};
  std::size_t count = 0;
  for (std::size_t i = skip_white_space(*text, 0); i < text->size();) {
    const std::size_t end = skip_word(*text, i);
    const auto value = count < N ? parse_number<T>(text->substr(i, end - i)) : std::nullopt;
    if (!value)  // not a number, or one too many
      return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, std::string(name)));
    values[count++] = *value;
    i = skip_white_space(*text, end);
  }
  if (count != N) {
    return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, std::string(name)));
  }
  return values;
}

template <class T>
std::expected<T, ParseError> scalar(std::string_view name, const XmlElement& element) {
  const auto text = element.attribute(name);
  if (!text)
    return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, std::string(name)));
  const auto value = parse_number<T>(*text);
  if (!value)
    return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, std::string(name)));
  return *value;
}

}  // namespace

std::optional<double> parse_f64(std::string_view text) { return parse_number<double>(text); }
std::optional<float> parse_f32(std::string_view text) { return parse_number<float>(text); }

std::expected<double, ParseError> extract_parameter(std::string_view name,
                                                    const XmlElement& element) {
  return scalar<double>(name, element);
}

std::expected<float, ParseError> extract_parameter_f32(std::string_view name,
                                                       const XmlElement& element) {
  return scalar<float>(name, element);
}

std::expected<std::string_view, ParseError> extract_parameter_text(std::string_view name,
                                                                   const XmlElement& element) {
  const auto text = element.attribute(name);
  if (!text)
    return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, std::string(name)));
  return *text;
}

template <std::size_t N>
std::expected<std::array<double, N>, ParseError> extract_parameter_list(std::string_view name,
                                                                        const XmlElement& element) {
  return number_list<double, N>(name, element);
}

template <std::size_t N>
std::expected<std::array<float, N>, ParseError> extract_parameter_list_f32(
    std::string_view name, const XmlElement& element) {
  return number_list<float, N>(name, element);
}

template std::expected<std::array<double, 3>, ParseError> extract_parameter_list<3>(
    std::string_view, const XmlElement&);
template std::expected<std::array<double, 4>, ParseError> extract_parameter_list<4>(
    std::string_view, const XmlElement&);
template std::expected<std::array<float, 3>, ParseError> extract_parameter_list_f32<3>(
    std::string_view, const XmlElement&);

std::expected<SE3, ParseError> parse_origin(const XmlElement& element) {
  const auto origin = element.first_child("origin");
  if (!origin) return SE3::identity();
  const auto xyz = extract_parameter_list<3>("xyz", *origin);
  if (!xyz) return std::unexpected(xyz.error());
  SpatialRotation rotation = SpatialRotation::identity();
  if (origin->attribute("rpy")) {
    const auto rpy = extract_parameter_list<3>("rpy", *origin);
    if (!rpy) return std::unexpected(rpy.error());
    rotation = SpatialRotation::from_euler_angles((*rpy)[0], (*rpy)[1], (*rpy)[2]);
  }
  return SE3(rotation, Vector3D((*xyz)[0], (*xyz)[1], (*xyz)[2]));
}

std::expected<Vector3D, ParseError> parse_axis(const XmlElement& joint) {
  const auto axis = joint.first_child("axis");
  if (!axis) return Vector3D::x();
  const auto xyz = extract_parameter_list<3>("xyz", *axis);
  if (!xyz) return std::unexpected(xyz.error());
  return Vector3D((*xyz)[0], (*xyz)[1], (*xyz)[2]);
}

}  // namespace kinetra::urdf
