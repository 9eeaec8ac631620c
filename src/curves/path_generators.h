// The Path window's generated shapes: a hypotrochoid, a circle with bumps, a
// Lissajous figure and an epitrochoid, each made into a curve of
// NumberOfPathSteps + 1 points for the selected multiplier slot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "curves/curve.h"
#include "settings/settings.h"

namespace zorva {

// In the order of the window's tabs (PathTabIndex).
enum class PathShape { Hypotrochoid = 0, Circle = 1, Lissajous = 2, Epitrochoid = 3 };

// Steps are kept within these, as the window's field keeps them.
inline constexpr std::int32_t kMinPathSteps = 1;
inline constexpr std::int32_t kMaxPathSteps = 3000;

// Status shown while a path is made (the caller shows it first).
inline constexpr const char* kDrawingPathStatus = "drawing path...";

// Everything "Make path" reads for one shape. Only the fields of the shape
// are used.
struct PathInputs {
  PathShape shape = PathShape::Circle;
  double a = 0, b = 0, h = 0;                                             // hypotrochoid and epitrochoid
  double R = 0, k = 0, m = 0;                                             // circle: radius, bumps, amplitude
  double r1 = 0, omega1 = 0, delta1 = 0, r2 = 0, omega2 = 0, delta2 = 0;  // Lissajous
  bool clockwise = true;
  double rotatedBy = 0;      // degrees, about the origin
  std::int32_t steps = 500;  // NumberOfPathSteps; kept within 1..3000
  double yOffset = 0;        // PathYOffset, added after the rotation
};

// The inputs of a shape as "Make path" reads them from the window's fields:
// each value rounded to the 15 significant digits its field shows
// (roundTo15Digits), the steps kept within 1..3000. On failure (a value whose
// shown text is no number, e.g. 1.8E308) returns the message for a message
// box and leaves `out` as it was.
std::optional<std::string> readPathInputs(const Settings& settings, PathShape shape, PathInputs& out);

struct PathResult {
  enum class Outcome {
    Made,       // curve holds steps + 1 points: replace the slot's curve, set up
                // its Bezier (SetUpBezier(999)), show `message` in the status bar
    LeftEmpty,  // a trochoid with b = 0: empty the slot's curve, no Bezier, no status
    Failed,     // `message` for a message box; the slot keeps its curve
  };
  Outcome outcome = Outcome::Failed;
  qCurve curve;
  std::string message;
};

// Generates a shape: step angle d = (-2pi)/N when clockwise, else (2pi)/N;
// for k = 0 .. N the shape's point at theta = k*d, rotated by the rotation
// and moved up by the y offset. A point that is not finite fails the whole
// path, naming the shape and the point.
PathResult makePath(const PathInputs& inputs);

// readPathInputs then makePath: the whole computing part of "Make path".
PathResult makePath(const Settings& settings, PathShape shape);

}  // namespace zorva
