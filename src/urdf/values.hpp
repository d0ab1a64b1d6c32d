#pragma once

#include <array>
#include <expected>
#include <optional>
#include <string_view>

#include "spatial/se3.hpp"
#include "urdf/errors.hpp"
#include "urdf/xml.hpp"

namespace kinetra::urdf {

// Decimal numbers: optional sign, digits with optional fraction and exponent, or
// inf / infinity / nan in any case; nothing else around them. Correctly rounded.
std::optional<double> parse_f64(std::string_view text);
std::optional<float> parse_f32(std::string_view text);

// The number in attribute `name`: MissingParameter when absent, InvalidParameter
// when it is not a number.
std::expected<double, ParseError> extract_parameter(std::string_view name,
                                                    const XmlElement& element);
std::expected<float, ParseError> extract_parameter_f32(std::string_view name,
                                                       const XmlElement& element);
// The text of attribute `name` (MissingParameter when absent).
std::expected<std::string_view, ParseError> extract_parameter_text(std::string_view name,
                                                                   const XmlElement& element);

// Exactly N numbers separated by runs of Unicode white space (leading and trailing
// ignored).
template <std::size_t N>
std::expected<std::array<double, N>, ParseError> extract_parameter_list(std::string_view name,
                                                                        const XmlElement& element);
template <std::size_t N>
std::expected<std::array<float, N>, ParseError> extract_parameter_list_f32(
    std::string_view name, const XmlElement& element);

// The placement of the `origin` child (identity without one): xyz required, rpy
// optional (roll, pitch, yaw about the fixed axes).
std::expected<SE3, ParseError> parse_origin(const XmlElement& element);
// The `xyz` of the `axis` child, unchanged; (1, 0, 0) without one.
std::expected<Vector3D, ParseError> parse_axis(const XmlElement& joint);

}  // namespace kinetra::urdf
