// What a drawing reads from an animation frame: the point displacement, the
// offset fraction and rocks, the main path range, the animated plane offsets
// ("Line" excepted for the translation).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "base/math_util.h"
#include "render/engine.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using Point = std::pair<double, double>;

struct AnimatedDrawing : ::testing::Test {
  test::RecordingHost host;
  Engine engine{&host};
  std::map<std::pair<int, int>, Point> points;  // (step, k) -> final point

  void SetUp() override {
    engine.setThreads(1);
    engine.setInker(InkerKind::Reference);
    Settings& s = engine.settings;
    s.ImageWidth = s.ImageHeight = 40;
    s.Steps = 4;
    s.StartGrain = s.EndGrain = 4;
    engine.onPoint = [this](int step, int k, double x, double y) { points[{step, k}] = {x, y}; };
  }
  // The frame values of a drawing outside an animation, with the rotation
  // points at the origin.
  FrameValues still() const {
    FrameValues v = stillFrame(engine.settings, 0);
    v.rotateAX = v.rotateAY = v.rotateBX = v.rotateBY = 0;
    return v;
  }
  // One drawing with the frame's values, its points recorded afresh.
  void drawFrame(const FrameValues& frame) {
    points.clear();
    engine.ClearPicture();
    engine.beginAnimation();
    engine.setAnimationFrame(frame);
    engine.RunDrawing();
    engine.endAnimation();
  }
  Point first(int step = 0) { return points.at({step, 1}); }
  void line(int slot, double y0, double y1) {
    qCurve curve;
    for (int i = 0; i < 6; ++i) curve.AddPoint(-1 + 0.4 * i, y0 + (y1 - y0) * i / 5.0);
    engine.setSlotCurve(slot, curve);
  }
};

void expectNear(const Point& actual, const Point& expected) {
  EXPECT_NEAR(actual.first, expected.first, 1e-12);
  EXPECT_NEAR(actual.second, expected.second, 1e-12);
}

TEST_F(AnimatedDrawing, DisplacementMovesEveryFunctionsPoints) {
  Settings& s = engine.settings;
  test::setKeys(s, "StartBumps=2 EndBumps=5 StartEllipseWidth=2 EndEllipseHeight=3");
  line(kPathCurve, 0.3, -0.2);
  FrameValues moved = still();
  moved.startDisplacementX = moved.endDisplacementX = 0.375;
  moved.startDisplacementY = 0.5;
  moved.endDisplacementY = -0.5;  // interpolated over the steps
  // Every function, and the position placed by the path curve or the wobble.
  for (int variant = 0; variant < 10; ++variant) {
    s.FunctionNumber = variant < 8 ? variant : 0;
    s.ZorvaPointsUseBezier = variant == 8;
    s.Wobble = variant == 9;
    SCOPED_TRACE(variant);
    drawFrame(still());
    const auto before = points;
    ASSERT_GT(before.size(), 8u);
    drawFrame(moved);
    ASSERT_EQ(points.size(), before.size());
    for (const auto& [key, p] : points) {
      const double dy = 0.5 + (-0.5 - 0.5) * key.first / 4;
      EXPECT_NEAR(p.first, before.at(key).first + 0.375, 1e-12);
      EXPECT_NEAR(p.second, before.at(key).second + dy, 1e-12);
    }
  }
}

TEST_F(AnimatedDrawing, DisplacementJoinsTheWobbleCentreNotTheRotationCentre) {
  // Path and rotation centre at the origin, the angle a quarter turn: the
  // first point (radius 1 at theta 0) is (2, 0.5) with the displacement,
  // turned about the displaced wobble centre (1, 0.5) to (1, 1.5).
  Settings& s = engine.settings;
  s.ZorvaPointsXStart = s.ZorvaPointsXEnd = 0;
  FrameValues frame = still();
  frame.startAngle = frame.endAngle = 90;
  frame.startDisplacementX = frame.endDisplacementX = 1;
  frame.startDisplacementY = frame.endDisplacementY = 0.5;
  drawFrame(frame);
  expectNear(first(), {1, 1.5});
  // With the wobble the centre is (r c / 2, r s / 2) + the displacement.
  s.Wobble = true;
  drawFrame(frame);
  expectNear(first(), {1.5, 1});
}

TEST_F(AnimatedDrawing, OffsetFractionShiftsTheStepAndTheRocksUnlessOffsetInAnimation) {
  // Path from (-2, 0) to (2, 0); at step 0 an offset of 0.25 gives t = 0.75:
  // the first point (radius 1) at (2, 0). One rock of 90 degrees turns it by
  // sin(0.75 * 2 pi) * 90 = -90 degrees about the origin.
  Settings& s = engine.settings;
  FrameValues frame = still();
  frame.AnimationOffsetFraction = 0.25;
  drawFrame(frame);
  expectNear(first(), {2, 0});
  s.NumberOfRocks = 1;
  s.StartRockerAmount = s.EndRockerAmount = 90;
  drawFrame(frame);
  expectNear(first(), {0, -2});
  // The animation's rock amount and rock angles add to the settings'.
  s.NumberOfRocks = 0;
  s.StartRockerAmount = s.EndRockerAmount = 0;
  frame.rockAmount = 1;
  frame.startRockAngle = frame.endRockAngle = 90;
  drawFrame(frame);
  expectNear(first(), {0, -2});
  s.StartRockerAmount = s.EndRockerAmount = -45;
  drawFrame(frame);  // 45 degrees in all: turned by -45
  expectNear(first(), {std::sqrt(2.0), -std::sqrt(2.0)});
  // "Offset the rocks in animations?": the rocks use i/n = 0, so no turn.
  s.RockOffsetInAnimation = true;
  drawFrame(frame);
  expectNear(first(), {2, 0});
}

TEST_F(AnimatedDrawing, MainPathRangeAndUseOffsetPlaceThePathPoint) {
  Settings& s = engine.settings;
  line(kPathCurve, 0.5, -0.5);
  s.ZorvaPointsUseBezier = true;
  const qBezier& path = engine.multiplierSlot(kPathCurve).bezier;
  auto pathPoint = [&](double tp) { return Point{path.GetXAt(tp) + 1, path.GetYAt(tp)}; };
  FrameValues frame = still();
  frame.mainPathStart = 20;
  frame.mainPathEnd = 60;
  drawFrame(frame);
  expectNear(first(0), pathPoint(0.2));
  expectNear(first(2), pathPoint(0.2 + (0.6 - 0.2) * 0.5));
  // An offset of 0.25 moves step 0 to t = 0.75; "Use offset?" takes it off
  // the path fraction once more (0.5 - 0.25).
  frame.AnimationOffsetFraction = 0.25;
  drawFrame(frame);
  expectNear(first(0), pathPoint(0.2 + (0.6 - 0.2) * 0.75));
  frame.useOffset = true;
  drawFrame(frame);
  expectNear(first(0), pathPoint(0.25));
  // Below 0 it wraps round: 0 + (0.2 - 0) * 0.75 - 0.25 + 1.
  frame.mainPathStart = 0;
  frame.mainPathEnd = 20;
  drawFrame(frame);
  expectNear(first(0), pathPoint(0.9));
}

TEST_F(AnimatedDrawing, LineTakesThePlaneTranslationWithoutTheAnimatedOffsets) {
  Settings& s = engine.settings;
  line(kPlaneAngle, 1, 1);  // m[28] = 2: it doubles the plane angle, not the animated one
  s.PlaneStartRotationAngle = s.PlaneEndRotationAngle = 0;
  s.PlaneStartTranslationX = s.PlaneEndTranslationX = 0.125;
  FrameValues frame = still();
  frame.offsetStart[kTranslationX] = frame.offsetEnd[kTranslationX] = 0.5;
  frame.offsetStart[kTranslationY] = frame.offsetEnd[kTranslationY] = 0.25;
  frame.offsetStart[kRotationCentreX] = frame.offsetEnd[kRotationCentreX] = 1;
  frame.offsetStart[kRotationAngle] = frame.offsetEnd[kRotationAngle] = 90;
  // "Sine Wobble": point (-1, 0), translated by (0.125 + 0.5, 0.25) and
  // turned a quarter about (1, 0).
  drawFrame(frame);
  expectNear(first(), {1 - 0.25, -0.375 - 1});
  // "Line": point (-2, 1) (q = 0: the base position plus cos 0), translated
  // by 0.125 only, then turned about (1, 0) the same way.
  s.FunctionNumber = 2;
  drawFrame(frame);
  expectNear(first(), {1 - 1, -1.875 - 1});
}

TEST_F(AnimatedDrawing, AnimatedOffsetsRunFromStartToEndOverTheSteps) {
  Settings& s = engine.settings;
  s.Steps = 10;
  FrameValues frame = still();
  frame.offsetStart[kTranslationY] = 1;
  frame.offsetEnd[kTranslationY] = 3;
  frame.offsetEnd[kRotationAngle] = 180;
  std::map<int, std::array<double, kAnimatedOffsetCount>> seen;
  engine.onStep = [&](int i) { seen[i] = engine.step().animatedOffsets; };
  drawFrame(frame);
  EXPECT_EQ(seen[5][kTranslationY], 2);
  EXPECT_DOUBLE_EQ(seen[5][kRotationAngle], kPi / 2);  // degrees to radians
  // Outside an animation they are 0 whatever the last frame held.
  engine.DrawOrStop();
  EXPECT_EQ(seen[5][kTranslationY], 0);
  EXPECT_EQ(seen[5][kRotationAngle], 0);
}

}  // namespace
}  // namespace zorva
