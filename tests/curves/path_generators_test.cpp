#include "curves/path_generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/math_util.h"

namespace zorva {
namespace {

using Outcome = PathResult::Outcome;

PathInputs circle(std::int32_t steps, bool clockwise) {
  PathInputs in;
  in.shape = PathShape::Circle;
  in.R = 1;
  in.steps = steps;
  in.clockwise = clockwise;
  return in;
}

void expectPointsNear(const PathResult& made, const std::vector<qCoord>& expected) {
  ASSERT_EQ(made.outcome, Outcome::Made);
  ASSERT_EQ(made.curve.Points().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_LT(qCoord::Difference(made.curve.Points()[i], expected[i]).Length(), 1e-15) << "point " << i;
}

TEST(PathGenerators, CircleRunsEitherWayThenTurnsAndMovesUp) {
  expectPointsNear(makePath(circle(4, true)), {{1, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}});
  expectPointsNear(makePath(circle(4, false)), {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}});
  // 90 degrees turns (1, 0) into (0, 1); the offset comes after the turn.
  PathInputs in = circle(4, false);
  in.rotatedBy = 90;
  in.yOffset = 0.5;
  expectPointsNear(makePath(in), {{0, 1.5}, {-1, 0.5}, {0, -0.5}, {1, 0.5}, {0, 1.5}});
}

TEST(PathGenerators, ShapeFormulasAtAnEighthTurn) {
  // N = 8 anticlockwise: point 1 lies at theta = pi/4; s = sin(pi/4). The
  // trochoids have q = 3, so q theta = 3 pi/4 with cos -s and sin s.
  const double s = std::sqrt(0.5);
  PathInputs hypo;  // (4 - 1) cos + cos(3 pi/4), (4 - 1) sin - sin(3 pi/4)
  hypo.shape = PathShape::Hypotrochoid;
  hypo.a = 4, hypo.b = 1, hypo.h = 1;
  PathInputs epi = hypo;  // (2 + 1) cos - cos(3 pi/4), (2 + 1) sin - sin(3 pi/4)
  epi.shape = PathShape::Epitrochoid;
  epi.a = 2;
  PathInputs bumps;  // rho = 0.5 sin(2 pi/4) + 1 = 1.5
  bumps.shape = PathShape::Circle;
  bumps.R = 1, bumps.k = 2, bumps.m = 0.5;
  PathInputs lissa;  // x = 2 sin(3 pi/4 + 0.5), y = 1 sin(2 pi/4 + 0)
  lissa.shape = PathShape::Lissajous;
  lissa.r1 = 2, lissa.omega1 = 3, lissa.delta1 = 0.5, lissa.r2 = 1, lissa.omega2 = 2;
  const std::pair<PathInputs, qCoord> rows[] = {{hypo, {2 * s, 2 * s}},
                                                {epi, {4 * s, 2 * s}},
                                                {bumps, {1.5 * s, 1.5 * s}},
                                                {lissa, {2 * std::sin(3 * kPi / 4 + 0.5), 1}}};
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
  // bits for k = 3, 5, 6, 10 .. 13 of 13 steps, which a large omega shows.
  PathInputs in;
  in.shape = PathShape::Lissajous;
  in.r1 = 1, in.omega1 = 1000, in.r2 = 1, in.omega2 = 1;
  in.steps = 13;
  in.clockwise = true;
  const PathResult made = makePath(in);
  ASSERT_EQ(made.curve.GetLength(), 14);
  const double d = (-2 * kPi) / 13;
  int differs = 0;
  for (int k = 0; k <= 13; ++k) {
    const double theta = k * d;
    EXPECT_EQ(made.curve.Points()[static_cast<std::size_t>(k)], qCoord(std::sin(1000 * theta), std::sin(theta)));
    if (std::sin(1000 * theta) != std::sin(1000 * ((-2 * kPi * k) / 13))) ++differs;
  }
  EXPECT_GT(differs, 0);  // the case does tell the two orders apart
}

TEST(PathGenerators, NoRollingCircleLeavesTheSlotEmptyAndNonFinitePointsFail) {
  for (PathShape shape : {PathShape::Hypotrochoid, PathShape::Epitrochoid}) {
    PathInputs in;
    in.shape = shape;
    in.a = 1.5, in.b = 0, in.h = 1;
    const PathResult made = makePath(in);
    EXPECT_EQ(made.outcome, Outcome::LeftEmpty);
    EXPECT_EQ(made.curve.GetLength(), 0);
  }
  // b so small that (a - b) / b overflows: q * theta at theta = 0 is NaN.
  PathInputs hypo;
  hypo.shape = PathShape::Hypotrochoid;
  hypo.a = 1.5, hypo.b = 1e-320, hypo.h = 1;
  const PathResult failed = makePath(hypo);
  EXPECT_EQ(failed.outcome, Outcome::Failed);
  EXPECT_EQ(failed.curve.GetLength(), 0);
  EXPECT_NE(failed.message.find("Hypotrochoid path not made: point 0 "), std::string::npos) << failed.message;
  // A radius that overflows only where the bumps add to it.
  PathInputs big = circle(4, false);
  big.R = 1e308, big.m = 1e308, big.k = 1;
  const PathResult overflow = makePath(big);
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
  EXPECT_EQ(in.R, 1.0);
  EXPECT_EQ(in.rotatedBy, 90.0);
  EXPECT_EQ(in.yOffset, 0.3);
  EXPECT_EQ(in.clockwise, s.PathCircleClockwise);
  EXPECT_EQ(in.steps, 3000);
  // Steps are kept within 1 .. 3000 also when the inputs are given directly.
  for (auto [steps, points] : {std::pair{0, 2}, {-7, 2}, {3001, 3001}}) {
    s.NumberOfPathSteps = steps;
    EXPECT_EQ(makePath(s, PathShape::Circle).curve.GetLength(), points) << steps;
    EXPECT_EQ(makePath(circle(steps, true)).curve.GetLength(), points) << steps;
  }
}

}  // namespace
}  // namespace zorva
