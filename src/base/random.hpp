#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>

namespace kinetra {

// ChaCha12 stream generator seeded from operating-system entropy and reseeded after
// every 64 KiB of output. One per thread (thread_rng()); it cannot be seeded by hand.
class ThreadRng {
 public:
  ThreadRng();
  ThreadRng(const ThreadRng&) = delete;
  ThreadRng& operator=(const ThreadRng&) = delete;

  std::uint32_t next_u32();
  std::uint64_t next_u64();
  // Uniform in [0, 1) with 53 random bits.
  double next_f64();

 private:
  void reseed();
  void refill();

  std::array<std::uint32_t, 8> key_{};
  std::uint64_t counter_ = 0;
  std::array<std::uint32_t, 16> block_{};
  std::size_t index_ = 16;
  std::size_t words_since_seed_ = 0;
};

// The calling thread's generator.
ThreadRng& thread_rng();

enum class UniformError { EmptyRange, NonFinite };
std::string display_text(UniformError error);

// A draw uniform in [low, high): fails when not (high > low) or when high - low is
// not finite. Uses one 64-bit output: its top 52 bits form a number u in [1, 2) and
// the result is low + (high - low) (u - 1); in the rare case that rounding gives
// `high`, the span is narrowed by one step and the draw repeated.
std::expected<double, UniformError> sample_uniform(ThreadRng& rng, double low, double high);

// The ChaCha block function (64-bit block counter, 64-bit stream id); the generator
// uses 12 rounds. Exposed for tests.
std::array<std::uint32_t, 16> chacha_block(const std::array<std::uint32_t, 8>& key,
                                           std::uint64_t counter, std::uint64_t stream,
                                           int rounds = 12);

}  // namespace kinetra
