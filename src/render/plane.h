// The drawing plane: rotations, distances and the mapping from plane
// coordinates to buffer columns and rows, shared by the step geometry, the
// inkers and the curve display.
#pragma once

#include <atomic>
#include <cmath>
#include <string>

#include "base/math_util.h"

namespace zorva {

// Rotates (px, py) about (cx, cy) by angle (radians, counter-clockwise) and
// returns the new x when axis is 'x', else the new y.
inline double rotatePointByIota(char axis, double px, double py, double cx, double cy, double angle) {
  const double c = cosZ(angle), s = sinZ(angle);
  if (axis == 'x') return c * (px - cx) - s * (py - cy) + cx;
  return s * (px - cx) + c * (py - cy) + cy;
}

inline double getDistanceOfPoint(double x, double y) { return std::sqrt(x * x + y * y); }

// From the drawing plane to buffer columns and rows at scale S on a W x H
// picture: column floor((x + S W/H) H / 2S), row floor((y + S) H / 2S).
struct PlaneToPixel {
  double S, Wd, Hd, kx, hw, twoS;
  PlaneToPixel(double scale, int w, int h)
      : S(scale), Wd(w), Hd(h), kx((Wd / Hd) * scale), hw(Hd / Wd), twoS(2 * scale) {}
  double numeratorX(double v) const { return (v + kx) * hw * Wd; }
  double numeratorY(double v) const { return (v + S) * Hd; }
  // The index for numerator p: -1000000 left of or below the picture;
  // false (with -1000000) when the division fails. Indexes beyond the
  // 32-bit range become the largest (smallest) integer, off any canvas.
  bool index(double p, int& out) const {
    if (p < 0) {
      out = -1000000;
      return true;
    }
    const double q = p / twoS;
    if (!(q < 9223372036854775808.0 && q > -9223372036854775808.0)) {
      out = -1000000;
      return false;
    }
    if (q >= 2147483647.0)
      out = 2147483647;
    else if (q <= -2147483648.0)
      out = -2147483647 - 1;
    else
      out = static_cast<int>(q);
    return true;
  }
};

// Failures of the plane-to-pixel conversion (a scale of 0, a value beyond
// any integer). Any thread may record one; the drawing reports the first
// once, after the step.
class ConversionFailures {
 public:
  // A scale of 0 divides by zero; a product or quotient beyond the doubles
  // overflows; not a number, or a quotient beyond the integers, is invalid.
  void record(double numerator, double twoS) {
    if (failed_.exchange(true)) return;
    if (twoS == 0)
      message_ = "Floating point division by zero";
    else if (std::isnan(numerator) || std::isnan(numerator / twoS))
      message_ = "Invalid floating point operation";
    else if (std::isinf(numerator) || std::isinf(numerator / twoS))
      message_ = "Floating point overflow";
    else
      message_ = "Invalid floating point operation";
  }
  void reset() { failed_ = false; }
  // The first failure since the last call, if any (on the drawing thread,
  // when no worker runs).
  bool take(std::string& message) {
    if (!failed_.exchange(false)) return false;
    message = message_;
    return true;
  }

 private:
  std::atomic<bool> failed_{false};
  std::string message_;
};

// getPixelFromReal for one step: a failed conversion is recorded and gives
// -1000000, off any canvas.
struct PixelMapper {
  PlaneToPixel map;
  ConversionFailures* failures;
  int column(double x) const { return index(map.numeratorX(x)); }
  int row(double y) const { return index(map.numeratorY(y)); }
  int index(double numerator) const {
    int out;
    if (!map.index(numerator, out)) failures->record(numerator, map.twoS);
    return out;
  }
};

}  // namespace zorva
