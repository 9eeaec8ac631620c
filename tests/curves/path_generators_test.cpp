#include "curves/path_generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/math_util.h"

namespace zorva {
namespace {

using Outcome = PathResult::Outcome;

void expectPointsNear(const PathResult& made, const std::vector<qCoord>& expected, double tolerance = 1e-15) {
  ASSERT_EQ(made.outcome, Outcome::Made);
  ASSERT_EQ(made.curve.Points().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_LT(qCoord::Difference(made.curve.Points()[i], expected[i]).Length(), tolerance) << "point " << i;
}

TEST(PathGenerators, CircleRunsEitherWayThenTurnsAndMovesUp) {
  expectPointsNear(makePath({.R = 1, .steps = 4}), {{1, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}});
  expectPointsNear(makePath({.R = 1, .clockwise = false, .steps = 4}), {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}});
  // 90 degrees turns (1, 0) into (0, 1); the offset comes after the turn.
  expectPointsNear(makePath({.R = 1, .clockwise = false, .rotatedBy = 90, .steps = 4, .yOffset = 0.5}),
                   {{0, 1.5}, {-1, 0.5}, {0, -0.5}, {1, 0.5}, {0, 1.5}});
}

TEST(PathGenerators, ShapeFormulasAtAnEighthTurn) {
  // N = 8 anticlockwise: point 1 lies at theta = pi/4; s = sin(pi/4). The
  // trochoids have q = 3, so q theta = 3 pi/4 with cos -s and sin s.
  const double s = std::sqrt(0.5);
  const std::pair<PathInputs, qCoord> rows[] = {
      // (4 - 1) cos + cos(3 pi/4), (4 - 1) sin - sin(3 pi/4)
      {{.shape = PathShape::Hypotrochoid, .a = 4, .b = 1, .h = 1}, {2 * s, 2 * s}},
      // (2 + 1) cos - cos(3 pi/4), (2 + 1) sin - sin(3 pi/4)
      {{.shape = PathShape::Epitrochoid, .a = 2, .b = 1, .h = 1}, {4 * s, 2 * s}},
      // rho = 0.5 sin(2 pi/4) + 1 = 1.5
      {{.R = 1, .k = 2, .m = 0.5}, {1.5 * s, 1.5 * s}},
      // x = 2 sin(3 pi/4 + 0.5), y = 1 sin(2 pi/4 + 0)
      {{.shape = PathShape::Lissajous, .r1 = 2, .omega1 = 3, .delta1 = 0.5, .r2 = 1, .omega2 = 2},
       {2 * std::sin(3 * kPi / 4 + 0.5), 1}}};
  for (auto [in, expected] : rows) {
    in.steps = 8;
    in.clockwise = false;
    const PathResult made = makePath(in);
    ASSERT_EQ(made.curve.GetLength(), 9);
    EXPECT_LT(qCoord::Difference(made.curve.Points()[1], expected).Length(), 1e-14) << static_cast<int>(in.shape);
  }
}

TEST(PathGenerators, AnglesAreStepTimesTheStepAngle) {
  // theta = k * ((2 pi) / N), not (2 pi k) / N: the two differ in the last
  // bits for some k of 13 steps, which a large omega shows.
  const PathResult made =
      makePath({.shape = PathShape::Lissajous, .r1 = 1, .omega1 = 1000, .r2 = 1, .omega2 = 1, .steps = 13});
  ASSERT_EQ(made.curve.GetLength(), 14);
  int differs = 0;
  for (int k = 0; k <= 13; ++k) {
    const double theta = k * ((-2 * kPi) / 13);
    EXPECT_EQ(made.curve.Points()[static_cast<std::size_t>(k)], qCoord(std::sin(1000 * theta), std::sin(theta)));
    differs += std::sin(1000 * theta) != std::sin(1000 * ((-2 * kPi * k) / 13));
  }
  EXPECT_GT(differs, 0);  // the case does tell the two orders apart
}

TEST(PathGenerators, NoRollingCircleLeavesTheSlotEmptyAndNonFinitePointsFail) {
  for (PathShape shape : {PathShape::Hypotrochoid, PathShape::Epitrochoid}) {
    const PathResult made = makePath({.shape = shape, .a = 1.5, .b = 0, .h = 1});
    EXPECT_TRUE(made.outcome == Outcome::LeftEmpty && made.curve.GetLength() == 0);
  }
  // b so small that (a - b) / b overflows: q * theta at theta = 0 is NaN.
  const PathResult failed = makePath({.shape = PathShape::Hypotrochoid, .a = 1.5, .b = 1e-320, .h = 1});
  EXPECT_TRUE(failed.outcome == Outcome::Failed && failed.curve.GetLength() == 0);
  EXPECT_NE(failed.message.find("Hypotrochoid path not made: point 0 "), std::string::npos) << failed.message;
  // A radius that overflows only where the bumps add to it.
  const PathResult overflow = makePath({.R = 1e308, .k = 1, .m = 1e308, .clockwise = false, .steps = 4});
  EXPECT_EQ(overflow.outcome, Outcome::Failed);
  EXPECT_NE(overflow.message.find("point 1 of 5"), std::string::npos) << overflow.message;
}

TEST(PathGenerators, SettingsAreReadAsTheirFieldsShowThem) {
  Settings s;
  // Every input of a shape is rounded, rotation and offset included.
  s.PathCircleRadius = 1.00000000000000044;   // 1 + 2 ulp, shown as 1
  s.PathCircleRotatedBy = 90.00000000000001;  // 90 + 1 ulp, shown as 90
  s.PathYOffset = 0.1 + 0.2;                  // shown as 0.3
  s.PathCircleClockwise = !s.PathCircleClockwise;
  s.NumberOfPathSteps = 5000;
  PathInputs in;
  ASSERT_FALSE(readPathInputs(s, PathShape::Circle, in));
  EXPECT_TRUE(in.R == 1 && in.rotatedBy == 90 && in.yOffset == 0.3 && in.clockwise == s.PathCircleClockwise);
  EXPECT_EQ(in.steps, 3000);
  // Steps are kept within 1 .. 3000 also when the inputs are given directly.
  for (auto [steps, points] : {std::pair{0, 2}, {-7, 2}, {3001, 3001}}) {
    s.NumberOfPathSteps = steps;
    EXPECT_EQ(makePath(s, PathShape::Circle).curve.GetLength(), points) << steps;
    EXPECT_EQ(makePath({.R = 1, .steps = steps}).curve.GetLength(), points) << steps;
  }
}

}  // namespace
}  // namespace zorva
