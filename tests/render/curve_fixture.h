// An engine on a small white picture at the start scale of 200, for the
// curve commands and the canvas editing.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "render/canvas_editing.h"
#include "render/engine.h"
#include "support/test_support.h"

namespace zorva::test {

struct CurveEngine : ::testing::Test {
  RecordingHost host;
  Engine engine{&host};

  void SetUp() override {
    engine.setThreads(1);
    size(800, 800);
  }
  void size(int w, int h) {
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.SetImageDimensions();
    engine.MakePictureBlack();
  }
  // A slot's curve, with its Bezier.
  void setCurve(int slot, const std::vector<qCoord>& points) {
    qCurve curve;
    for (const qCoord& p : points) curve.AddPoint(p.X, p.Y);
    engine.setSlotCurve(slot, curve);
  }
  static std::vector<qCoord> pointsOf(const qCurve& curve) { return curve.Points(); }
  // n points on a circle about the origin, the first at (radius, 0), counter-clockwise.
  static std::vector<qCoord> circle(int n, double radius) {
    std::vector<qCoord> points;
    for (int k = 0; k < n; ++k)
      points.emplace_back(radius * std::cos(2 * M_PI * k / n), radius * std::sin(2 * M_PI * k / n));
    return points;
  }
  void selectCurve(int slot) {
    engine.setMouseMode(MouseMode::DrawMultiplierBezier);
    engine.selectSlot(slot);
  }
  // The point indexes the point map holds.
  std::set<std::int32_t> markedIndexes() {
    std::set<std::int32_t> seen;
    for (int r = 0; r < engine.H(); ++r)
      for (int c = 0; c < engine.W(); ++c)
        if (std::int32_t v = engine.pointMapAt(c, r); v != kNoPoint) seen.insert(v);
    return seen;
  }
  // Blue, green, red of a picture pixel.
  std::array<int, 3> pixel(int column, int row) const {
    const std::uint8_t* p = engine.picture().row(row) + static_cast<std::size_t>(column) * 3;
    return {p[0], p[1], p[2]};
  }
};

}  // namespace zorva::test
