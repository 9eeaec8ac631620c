// Curves for the tests, given point by point.
#pragma once

#include <vector>

#include "curves/curve.h"

namespace zorva::test {

inline qCurve curveOf(const std::vector<qCoord>& points) {
  qCurve curve;
  for (const qCoord& p : points) curve.AddPoint(p.X, p.Y);
  return curve;
}

}  // namespace zorva::test
