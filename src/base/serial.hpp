#pragma once

// A compact binary form of the core's values, for pickling: one format version byte,
// then the value's fields in a fixed order. Integers are 64-bit little-endian, doubles
// and floats their IEEE bits (so every value, NaN payloads and signed zeros included,
// comes back exactly), text a byte count and the bytes, kinds and enumerations one byte.
//
// A Reader never trusts the bytes: a count is refused unless the bytes left can hold
// that many items, so no allocation exceeds the input and every loop ends with it. After
// the first failure every read gives zeros and counts of zero, so a loader can run to
// its end and report the failure once.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kinetra::serial {

inline constexpr std::uint8_t kFormatVersion = 1;

class Writer {
 public:
  Writer() { u8(kFormatVersion); }
  void u8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void u64(std::uint64_t value);
  void size(std::size_t value) { u64(value); }
  void boolean(bool value) { u8(value ? 1 : 0); }
  void f64(double value);
  void f32(float value);
  void text(std::string_view value);
  // The count, then the values.
  void f64s(std::span<const double> values);
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

class Reader {
 public:
  // Reads and checks the format version.
  explicit Reader(std::string_view bytes);
  std::uint8_t u8();
  std::uint64_t u64();
  std::size_t size();
  bool boolean();
  double f64();
  float f32();
  std::string text();
  std::vector<double> f64s();
  // A count of items that take at least `item_bytes` each.
  std::size_t count(std::size_t item_bytes);
  // A kind or enumeration byte, which must be below `limit`.
  std::uint8_t tag(std::uint8_t limit, std::string_view what);
  // Records a failure; the first one is kept.
  void fail(std::string message);
  bool ok() const { return error_.empty(); }
  // The first failure, or the bytes left over.
  std::expected<void, std::string> finish() const;

 private:
  // Copies the next n bytes into `out`, or fails and zeroes it.
  void take(void* out, std::size_t n);

  std::string_view rest_;
  std::string error_;
};

// The field layout of T: specialised next to each class, as
//   static void save(Writer&, const T&);
//   static T load(Reader&);  // any value once the reader has failed
template <class T>
struct Codec;

template <class T>
std::string save(const T& value) {
  Writer writer;
  Codec<T>::save(writer, value);
  return writer.take();
}

template <class T>
std::expected<T, std::string> load(std::string_view bytes) {
  Reader reader(bytes);
  T value = Codec<T>::load(reader);
  if (auto done = reader.finish(); !done) return std::unexpected(done.error());
  return value;
}

// The size of an encoded count or size: a lower bound for any list item that holds one.
inline constexpr std::size_t kSizeBytes = 8;

}  // namespace kinetra::serial
