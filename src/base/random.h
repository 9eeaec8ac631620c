#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace zorva {

// The program's one random generator: a 32-bit linear congruential state.
// A random whole number below m is the upper half of the 64-bit product
// m * state, taken after advancing the state.
class Random {
 public:
  explicit Random(std::uint32_t seed = 0) : state_(seed) {}

  void seed(std::uint32_t seed) { state_ = seed; }
  std::uint32_t state() const { return state_; }

  std::uint32_t next(std::uint32_t m) {
    state_ = state_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m) * state_) >> 32);
  }

  // A random fraction 0 <= f < 1: the advanced state / 2^32.
  double fraction() {
    state_ = state_ * 134775813u + 1u;
    return state_ / 4294967296.0;
  }

  // RandomRange(a, b): lo + next(hi - lo) with lo = min(a, b), hi = max(a, b),
  // so lo .. hi - 1, never hi; a when a equals b. Advances once either way.
  std::int32_t range(std::int32_t a, std::int32_t b) {
    const std::int32_t lo = std::min(a, b);
    const std::int32_t hi = std::max(a, b);
    const std::uint32_t span = static_cast<std::uint32_t>(hi) - static_cast<std::uint32_t>(lo);  // fits: < 2^32
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + next(span));
  }

  static std::uint32_t clockSeed() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) >> 32);
  }

 private:
  std::uint32_t state_;
};

}  // namespace zorva
