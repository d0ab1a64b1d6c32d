#include "base/serial.hpp"

#include <bit>
#include <cstring>

namespace kinetra::serial {

void Writer::u64(std::uint64_t value) {
  for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Writer::f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }

void Writer::f32(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void Writer::text(std::string_view value) {
  size(value.size());
  bytes_.append(value);
}

void Writer::f64s(std::span<const double> values) {
  size(values.size());
  for (const double value : values) f64(value);
}

Reader::Reader(std::string_view bytes) : rest_(bytes) {
  if (rest_.empty()) {
    fail("the state is empty");
    return;
  }
  const std::uint8_t version = u8();
  if (version != kFormatVersion) {
    fail("unsupported state format " + std::to_string(version) + " (this build reads format " +
         std::to_string(kFormatVersion) + ")");
  }
}

void Reader::take(void* out, std::size_t n) {
  if (!ok() || rest_.size() < n) {
    fail("the state ends early");
    std::memset(out, 0, n);
    return;
  }
  std::memcpy(out, rest_.data(), n);
  rest_.remove_prefix(n);
}

std::uint8_t Reader::u8() {
  unsigned char byte = 0;
  take(&byte, 1);
  return byte;
}

std::uint64_t Reader::u64() {
  unsigned char bytes[8];
  take(bytes, 8);
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

std::size_t Reader::size() {
  const std::uint64_t value = u64();
  if (value > SIZE_MAX) {
    fail("a size does not fit this machine");
    return 0;
  }
  return static_cast<std::size_t>(value);
}

bool Reader::boolean() { return tag(2, "flag") == 1; }

double Reader::f64() { return std::bit_cast<double>(u64()); }

float Reader::f32() {
  unsigned char bytes[4];
  take(bytes, 4);
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[i];
  return std::bit_cast<float>(bits);
}

std::size_t Reader::count(std::size_t item_bytes) {
  const std::uint64_t n = u64();
  if (!ok()) return 0;
  if (n > rest_.size() / (item_bytes == 0 ? 1 : item_bytes)) {
    fail("a count of " + std::to_string(n) + " items exceeds the " + std::to_string(rest_.size()) +
         " bytes left");
    return 0;
  }
  return static_cast<std::size_t>(n);
}

std::string Reader::text() {
  const std::size_t n = count(1);
  std::string value(n, '\0');
  take(value.data(), n);
  return value;
}

std::vector<double> Reader::f64s() {
  std::vector<double> values(count(8));
  for (double& value : values) value = f64();
  return values;
}

std::uint8_t Reader::tag(std::uint8_t limit, std::string_view what) {
  const std::uint8_t value = u8();
  if (value >= limit) {
    fail("invalid " + std::string(what) + " " + std::to_string(value));
    return 0;
  }
  return value;
}

void Reader::fail(std::string message) {
  if (ok()) error_ = std::move(message);
  rest_ = {};
}

std::expected<void, std::string> Reader::finish() const {
  if (!ok()) return std::unexpected(error_);
  if (!rest_.empty()) {
    const std::size_t n = rest_.size();
    return std::unexpected(std::to_string(n) + (n == 1 ? " byte is" : " bytes are") +
                           " left over after the state");
  }
  return {};
}

}  // namespace kinetra::serial
