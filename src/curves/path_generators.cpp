#include "curves/path_generators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "base/math_util.h"
#include "settings/number_format.h"

// Pictures are compared bit for bit, so every formula is evaluated in the
// order it is written, left to right.

namespace zorva {
namespace {

const char* shapeCaption(PathShape shape) {
  switch (shape) {
    case PathShape::Hypotrochoid:
      return "Hypotrochoid";
    case PathShape::Circle:
      return "Circle";
    case PathShape::Lissajous:
      return "Lissajous";
    case PathShape::Epitrochoid:
      return "Epitrochoid";
  }
  return "Path";
}

const char* madeStatus(PathShape shape) {
  switch (shape) {
    case PathShape::Hypotrochoid:
      return "Made new hypotrochoid path";
    case PathShape::Circle:
      return "Made new circle path";
    case PathShape::Lissajous:
      return "Made new lissajous path";
    case PathShape::Epitrochoid:
      return "Made new epitrochoid path";
  }
  return "";
}

// One input: its settings key (for messages), the setting and where it goes.
struct Input {
  const char* key;
  double value;
  double* target;
};

// The shape's own inputs in the order of its fields, then rotation and offset.
std::vector<Input> inputsOf(const Settings& s, PathShape shape, PathInputs& in) {
  std::vector<Input> list;
  switch (shape) {
    case PathShape::Hypotrochoid:
      list = {{"PathHypotrochoidA", s.PathHypotrochoidA, &in.a},
              {"PathHypotrochoidB", s.PathHypotrochoidB, &in.b},
              {"PathHypotrochoidH", s.PathHypotrochoidH, &in.h},
              {"PathHypotrochoidRotatedBy", s.PathHypotrochoidRotatedBy, &in.rotatedBy}};
      in.clockwise = s.PathHypotrochoidClockwise;
      break;
    case PathShape::Circle:
      list = {{"PathCircleRadius", s.PathCircleRadius, &in.R},
              {"PathCircleBumps", s.PathCircleBumps, &in.k},
              {"PathCircleAmplitude", s.PathCircleAmplitude, &in.m},
              {"PathCircleRotatedBy", s.PathCircleRotatedBy, &in.rotatedBy}};
      in.clockwise = s.PathCircleClockwise;
      break;
    case PathShape::Lissajous:
      list = {{"PathLissajousRadius1", s.PathLissajousRadius1, &in.r1},
              {"PathLissajousOmega1", s.PathLissajousOmega1, &in.omega1},
              {"PathLissajousDelta1", s.PathLissajousDelta1, &in.delta1},
              {"PathLissajousRadius2", s.PathLissajousRadius2, &in.r2},
              {"PathLissajousOmega2", s.PathLissajousOmega2, &in.omega2},
              {"PathLissajousDelta2", s.PathLissajousDelta2, &in.delta2},
              {"PathLissajousRotatedBy", s.PathLissajousRotatedBy, &in.rotatedBy}};
      in.clockwise = s.PathLissajousClockwise;
      break;
    case PathShape::Epitrochoid:
      list = {{"PathEpitrochoidA", s.PathEpitrochoidA, &in.a},
              {"PathEpitrochoidB", s.PathEpitrochoidB, &in.b},
              {"PathEpitrochoidH", s.PathEpitrochoidH, &in.h},
              {"PathEpitrochoidRotatedBy", s.PathEpitrochoidRotatedBy, &in.rotatedBy}};
      in.clockwise = s.PathEpitrochoidClockwise;
      break;
  }
  list.push_back({"PathYOffset", s.PathYOffset, &in.yOffset});
  return list;
}

// The shape's point at angle theta, before rotation and offset. q is the
// trochoids' (a -+ b) / b, computed once per path.
std::pair<double, double> shapePoint(const PathInputs& in, double theta, double q) {
  switch (in.shape) {
    case PathShape::Hypotrochoid: {
      const double ab = in.a - in.b;
      return {ab * cosZ(theta) + in.h * cosZ(q * theta), ab * sinZ(theta) - in.h * sinZ(q * theta)};
    }
    case PathShape::Epitrochoid: {
      const double ab = in.a + in.b;
      return {ab * cosZ(theta) - in.h * cosZ(q * theta), ab * sinZ(theta) - in.h * sinZ(q * theta)};
    }
    case PathShape::Circle: {
      const double rho = in.m * sinZ(in.k * theta) + in.R;
      return {rho * cosZ(theta), rho * sinZ(theta)};
    }
    case PathShape::Lissajous:
      return {in.r1 * sinZ(in.omega1 * theta + in.delta1), in.r2 * sinZ(in.omega2 * theta + in.delta2)};
  }
  return {0, 0};
}

}  // namespace

std::optional<std::string> readPathInputs(const Settings& settings, PathShape shape, PathInputs& out) {
  PathInputs in;
  in.shape = shape;
  for (const Input& input : inputsOf(settings, shape, in)) {
    const std::optional<double> shown = roundTo15Digits(input.value);
    if (!shown)
      return std::string(shapeCaption(shape)) + " path not made: " + input.key + " is " + formatFloat(input.value) +
             ", which cannot be read as a number. The curve is unchanged.";
    *input.target = *shown;
  }
  in.steps = std::clamp(settings.NumberOfPathSteps, kMinPathSteps, kMaxPathSteps);
  out = in;
  return std::nullopt;
}

PathResult makePath(const PathInputs& in) {
  PathResult result;
  const bool trochoid = in.shape == PathShape::Hypotrochoid || in.shape == PathShape::Epitrochoid;
  if (trochoid && in.b == 0) {
    result.outcome = PathResult::Outcome::LeftEmpty;
    return result;
  }
  const std::int32_t n = std::clamp(in.steps, kMinPathSteps, kMaxPathSteps);
  const double d = in.clockwise ? (-kTwoPi) / n : kTwoPi / n;
  double q = 0;
  if (in.shape == PathShape::Hypotrochoid) q = (in.a - in.b) / in.b;
  if (in.shape == PathShape::Epitrochoid) q = (in.a + in.b) / in.b;
  const double phi = (in.rotatedBy * kPi) / 180;
  const double cosPhi = cosZ(phi);
  const double sinPhi = sinZ(phi);

  for (std::int32_t k = 0; k <= n; ++k) {
    const double theta = k * d;
    const auto [x, y] = shapePoint(in, theta, q);
    const double xr = cosPhi * x - sinPhi * y;
    const double yr = sinPhi * x + cosPhi * y + in.yOffset;
    if (!std::isfinite(xr) || !std::isfinite(yr)) {
      result.curve.Empty();
      result.message = std::string(shapeCaption(in.shape)) + " path not made: point " + std::to_string(k) + " of " +
                       std::to_string(n + 1) + " comes out as (" + formatFloat(xr) + ", " + formatFloat(yr) +
                       "), which is not a finite number. The curve is unchanged.";
      return result;
    }
    result.curve.AddPoint(xr, yr);
  }
  result.outcome = PathResult::Outcome::Made;
  result.message = madeStatus(in.shape);
  return result;
}

PathResult makePath(const Settings& settings, PathShape shape) {
  PathInputs inputs;
  if (std::optional<std::string> error = readPathInputs(settings, shape, inputs)) {
    PathResult failed;
    failed.message = std::move(*error);
    return failed;
  }
  return makePath(inputs);
}

}  // namespace zorva
