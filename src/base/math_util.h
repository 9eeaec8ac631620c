// Arithmetic helpers: interpolation, the drawing's sine and cosine, rounding
// and 32-bit integer arithmetic that wraps.
#pragma once

#include <cmath>
#include <cstdint>

namespace zorva {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2 * kPi;

// Linear interpolation through (x0, y0) and (x1, y1) at x, without clamping;
// the mean when x0 equals x1.
inline double Interpolate(double x1, double x, double x0, double y1, double y0) {
  if (x0 == x1) return (y0 + y1) / 2;
  return ((x - x0) * y1 + (x1 - x) * y0) / (x1 - x0);
}

// Sine and cosine as the drawing uses them: an argument of magnitude 2^63
// or more gives 0. A non-finite argument gives NaN, which the callers treat
// as a failed step.
inline double sinZ(double x) {
  if (std::isinf(x)) return std::nan("");
  return std::fabs(x) >= 9223372036854775808.0 ? 0.0 : std::sin(x);
}
inline double cosZ(double x) {
  if (std::isinf(x)) return std::nan("");
  return std::fabs(x) >= 9223372036854775808.0 ? 0.0 : std::cos(x);
}

// "round": nearest, ties to even (the default rounding mode).
inline double roundEven(double x) { return std::nearbyint(x); }

// 32-bit integer arithmetic that wraps like the settings' integers.
inline std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace zorva
