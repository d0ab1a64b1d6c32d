#include "base/random.hpp"

#include <sys/random.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <random>

namespace kinetra {
namespace {

constexpr std::size_t kReseedWords = 64 * 1024 / 4;  // 64 KiB of output

void quarter_round(std::array<std::uint32_t, 16>& x, int a, int b, int c, int d) {
  x[a] += x[b];
  x[d] = std::rotl(x[d] ^ x[a], 16);
  x[c] += x[d];
  x[b] = std::rotl(x[b] ^ x[c], 12);
  x[a] += x[b];
  x[d] = std::rotl(x[d] ^ x[a], 8);
  x[c] += x[d];
  x[b] = std::rotl(x[b] ^ x[c], 7);
}

void fill_from_os(void* buffer, std::size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = getrandom(bytes + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (done < size) {  // no getrandom: fall back on the library's entropy source
    std::random_device device;
    for (; done < size; ++done) bytes[done] = static_cast<unsigned char>(device());
  }
}

}  // namespace

std::array<std::uint32_t, 16> chacha_block(const std::array<std::uint32_t, 8>& key,
                                           std::uint64_t counter, std::uint64_t stream,
                                           int rounds) {
  // "expand 32-byte k", the key, the block counter and the stream number
  // clang-format off
  std::array<std::uint32_t, 16> state = {
      0x61707865, 0x3320646e, 0x79622d32, 0x6b206574,
      key[0], key[1], key[2], key[3], key[4], key[5], key[6], key[7],
      static_cast<std::uint32_t>(counter), static_cast<std::uint32_t>(counter >> 32),
      static_cast<std::uint32_t>(stream), static_cast<std::uint32_t>(stream >> 32)};
  // clang-format on
  std::array<std::uint32_t, 16> x = state;
  for (int round = 0; round < rounds; round += 2) {
    quarter_round(x, 0, 4, 8, 12);
    quarter_round(x, 1, 5, 9, 13);
    quarter_round(x, 2, 6, 10, 14);
    quarter_round(x, 3, 7, 11, 15);
    quarter_round(x, 0, 5, 10, 15);
    quarter_round(x, 1, 6, 11, 12);
    quarter_round(x, 2, 7, 8, 13);
    quarter_round(x, 3, 4, 9, 14);
  }
  for (std::size_t i = 0; i < 16; ++i) x[i] += state[i];
  return x;
}

ThreadRng::ThreadRng() { reseed(); }

void ThreadRng::reseed() {
  fill_from_os(key_.data(), sizeof key_);
  counter_ = 0;
  index_ = 16;
  words_since_seed_ = 0;
}

void ThreadRng::refill() {
  if (words_since_seed_ >= kReseedWords) reseed();
  block_ = chacha_block(key_, counter_++, 0);
  index_ = 0;
}

std::uint32_t ThreadRng::next_u32() {
  if (index_ >= 16) refill();
  ++words_since_seed_;
  return block_[index_++];
}

std::uint64_t ThreadRng::next_u64() {
  const std::uint64_t low = next_u32();
  const std::uint64_t high = next_u32();
  return (high << 32) | low;
}

double ThreadRng::next_f64() { return static_cast<double>(next_u64() >> 11) * 0x1.0p-53; }

ThreadRng& thread_rng() {
  thread_local ThreadRng rng;
  return rng;
}

std::string display_text(UniformError error) {
  return error == UniformError::EmptyRange ? "cannot sample empty range"
                                           : "Non-finite range in uniform distribution";
}

std::expected<double, UniformError> sample_uniform(ThreadRng& rng, double low, double high) {
  if (!(high > low)) return std::unexpected(UniformError::EmptyRange);
  double span = high - low;
  if (!std::isfinite(span)) return std::unexpected(UniformError::NonFinite);
  for (;;) {
    const std::uint64_t bits = (rng.next_u64() >> 12) | 0x3FF0000000000000ull;  // [1, 2)
    const double unit = std::bit_cast<double>(bits) - 1.0;
    const double value = low + span * unit;
    if (value < high) return value;
    // Rounding reached `high`: shrink the span by one step and draw again, so the
    // result stays in the half-open range.
    span = std::nextafter(span, 0.0);
  }
}

}  // namespace kinetra
