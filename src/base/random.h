#pragma once

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

  static std::uint32_t clockSeed() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) >> 32);
  }

 private:
  std::uint32_t state_;
};

}  // namespace zorva
