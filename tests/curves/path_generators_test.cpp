#include "curves/path_generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/math_util.h"

namespace zorva {
namespace {

using Outcome = PathResult::Outcome;
constexpr double kTiny = 1e-15;

PathInputs circle(std::int32_t steps, bool clockwise) {
  PathInputs in;
  in.shape = PathShape::Circle;
  in.R = 1;
  in.steps = steps;
  in.clockwise = clockwise;
  return in;
}

void expectPointsNear(const qCurve& curve, const std::vector<qCoord>& expected, double tolerance) {
  ASSERT_EQ(curve.GetLength(), static_cast<std::int32_t>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(curve.Points()[i].X, expected[i].X, tolerance) << "point " << i;
    EXPECT_NEAR(curve.Points()[i].Y, expected[i].Y, tolerance) << "point " << i;
  }
}

TEST(PathGenerators, CircleOfFourStepsRunsEitherWay) {
  const PathResult clockwise = makePath(circle(4, true));
  ASSERT_EQ(clockwise.outcome, Outcome::Made);
  expectPointsNear(clockwise.curve, {{1, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}}, kTiny);
  EXPECT_EQ(clockwise.curve.Points()[0], qCoord(1, 0));  // theta = 0 is exact

  const PathResult anticlockwise = makePath(circle(4, false));
  ASSERT_EQ(anticlockwise.outcome, Outcome::Made);
  expectPointsNear(anticlockwise.curve, {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}}, kTiny);
}

TEST(PathGenerators, ShapeFormulasAtAnEighthTurn) {
  // N = 8 anticlockwise: point 1 lies at theta = pi/4; s = sin(pi/4).
  const double s = std::sqrt(0.5);
  struct Row {
    PathInputs in;
    qCoord expected;
  };
  std::vector<Row> rows;
  // The trochoids have q = 3, so q theta = 3 pi/4 with cos -s and sin s.
  PathInputs hypo;  // (4 - 1) cos + cos(3 pi/4), (4 - 1) sin - sin(3 pi/4)
  hypo.shape = PathShape::Hypotrochoid;
  hypo.a = 4, hypo.b = 1, hypo.h = 1;
  rows.push_back({hypo, {2 * s, 2 * s}});
  PathInputs epi = hypo;  // (2 + 1) cos - cos(3 pi/4), (2 + 1) sin - sin(3 pi/4)
  epi.shape = PathShape::Epitrochoid;
  epi.a = 2;
  rows.push_back({epi, {4 * s, 2 * s}});
  PathInputs bumps;  // rho = 0.5 sin(2 pi/4) + 1 = 1.5
  bumps.shape = PathShape::Circle;
  bumps.R = 1, bumps.k = 2, bumps.m = 0.5;
  rows.push_back({bumps, {1.5 * s, 1.5 * s}});
  PathInputs lissa;  // x = 2 sin(3 pi/4 + 0.5), y = 1 sin(2 pi/4 + 0)
  lissa.shape = PathShape::Lissajous;
  lissa.r1 = 2, lissa.omega1 = 3, lissa.delta1 = 0.5, lissa.r2 = 1, lissa.omega2 = 2;
  rows.push_back({lissa, {2 * std::sin(3 * kPi / 4 + 0.5), 1}});

  for (Row& row : rows) {
    row.in.steps = 8;
    row.in.clockwise = false;
    const PathResult made = makePath(row.in);
    ASSERT_EQ(made.outcome, Outcome::Made);
    ASSERT_EQ(made.curve.GetLength(), 9);
    EXPECT_NEAR(made.curve.Points()[1].X, row.expected.X, 1e-14) << static_cast<int>(row.in.shape);
    EXPECT_NEAR(made.curve.Points()[1].Y, row.expected.Y, 1e-14) << static_cast<int>(row.in.shape);
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
  ASSERT_EQ(made.outcome, Outcome::Made);
  const double d = (-2 * kPi) / 13;
  int differs = 0;
  for (int k = 0; k <= 13; ++k) {
    const double theta = k * d;
    EXPECT_EQ(made.curve.Points()[static_cast<std::size_t>(k)], qCoord(std::sin(1000 * theta), std::sin(theta)));
    if (std::sin(1000 * theta) != std::sin(1000 * ((-2 * kPi * k) / 13))) ++differs;
  }
  EXPECT_GT(differs, 0);  // the case does tell the two orders apart
}

TEST(PathGenerators, RotationThenOffset) {
  // 90 degrees turns (1, 0) into (0, 1); the offset comes after the turn.
  PathInputs in = circle(4, false);
  in.rotatedBy = 90;
  in.yOffset = 0.5;
  const PathResult made = makePath(in);
  ASSERT_EQ(made.outcome, Outcome::Made);
  expectPointsNear(made.curve, {{0, 1.5}, {-1, 0.5}, {0, -0.5}, {1, 0.5}, {0, 1.5}}, kTiny);
}

TEST(PathGenerators, OneStepGivesBothEndsOfTheTurn) {
  for (bool clockwise : {true, false}) {
    const PathResult made = makePath(circle(1, clockwise));
    ASSERT_EQ(made.outcome, Outcome::Made);
    ASSERT_EQ(made.curve.GetLength(), 2);
    EXPECT_EQ(made.curve.Points()[0], qCoord(1, 0));
    const double theta = clockwise ? -2 * kPi : 2 * kPi;
    EXPECT_EQ(made.curve.Points()[1], qCoord(std::cos(theta), std::sin(theta)));
  }
}

TEST(PathGenerators, TrochoidWithoutARollingCircleLeavesTheSlotEmpty) {
  for (PathShape shape : {PathShape::Hypotrochoid, PathShape::Epitrochoid}) {
    PathInputs in;
    in.shape = shape;
    in.a = 1.5, in.b = 0, in.h = 1;
    const PathResult made = makePath(in);
    EXPECT_EQ(made.outcome, Outcome::LeftEmpty);
    EXPECT_EQ(made.curve.GetLength(), 0);
    EXPECT_EQ(made.message, "");
  }
  Settings s;
  s.PathHypotrochoidB = 0;
  EXPECT_EQ(makePath(s, PathShape::Hypotrochoid).outcome, Outcome::LeftEmpty);
}

TEST(PathGenerators, NonFinitePointsFailTheWholePath) {
  // b so small that (a - b) / b overflows: q * theta at theta = 0 is NaN.
  PathInputs hypo;
  hypo.shape = PathShape::Hypotrochoid;
  hypo.a = 1.5, hypo.b = 1e-320, hypo.h = 1;
  const PathResult failed = makePath(hypo);
  EXPECT_EQ(failed.outcome, Outcome::Failed);
  EXPECT_EQ(failed.curve.GetLength(), 0);
  EXPECT_NE(failed.message.find("Hypotrochoid"), std::string::npos) << failed.message;
  EXPECT_NE(failed.message.find("point 0 "), std::string::npos) << failed.message;
  EXPECT_NE(failed.message.find("not a finite number"), std::string::npos) << failed.message;

  // A radius that overflows only where the bumps add to it.
  PathInputs big = circle(4, false);
  big.R = 1e308, big.m = 1e308, big.k = 1;
  const PathResult overflow = makePath(big);
  EXPECT_EQ(overflow.outcome, Outcome::Failed);
  EXPECT_NE(overflow.message.find("Circle path not made: point 1 of 5"), std::string::npos) << overflow.message;
}

TEST(PathGenerators, SettingsAreReadAsTheirFieldsShowThem) {
  // The default delta1 is pi/2, shown as 1.5707963267949 and read back so.
  Settings s;
  s.PathLissajousRadius1 = 1, s.PathLissajousRadius2 = 1;
  s.PathLissajousOmega1 = 1, s.PathLissajousOmega2 = 1;
  s.PathLissajousDelta2 = 0;
  s.NumberOfPathSteps = 12;
  const PathResult made = makePath(s, PathShape::Lissajous);
  ASSERT_EQ(made.outcome, Outcome::Made);
  EXPECT_EQ(made.curve.Points()[0], qCoord(1, 0));  // starts at (1, 0)

  PathInputs shown;
  shown.shape = PathShape::Lissajous;
  shown.r1 = 1, shown.r2 = 1, shown.omega1 = 1, shown.omega2 = 1;
  shown.delta1 = 1.5707963267949;
  shown.steps = 12;
  PathInputs full = shown;
  full.delta1 = kPi / 2;
  EXPECT_EQ(made.curve.Points(), makePath(shown).curve.Points());
  EXPECT_NE(made.curve.Points(), makePath(full).curve.Points());

  // Every input of a shape is rounded, rotation and offset included.
  s.PathCircleRadius = 1.00000000000000044;   // 1 + 2 ulp, shown as 1
  s.PathCircleRotatedBy = 90.00000000000001;  // 90 + 1 ulp, shown as 90
  s.PathYOffset = 0.1 + 0.2;                  // shown as 0.3
  PathInputs in;
  ASSERT_FALSE(readPathInputs(s, PathShape::Circle, in));
  EXPECT_EQ(in.R, 1.0);
  EXPECT_EQ(in.rotatedBy, 90.0);
  EXPECT_EQ(in.yOffset, 0.3);
  EXPECT_EQ(in.clockwise, s.PathCircleClockwise);
}

TEST(PathGenerators, StepsAreKeptWithinTheFieldsLimits) {
  Settings s;
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {0, 2}, {-7, 2}, {1, 2}, {500, 501}, {3000, 3001}, {3001, 3001}, {2147483647, 3001}};
  for (auto [steps, points] : cases) {
    s.NumberOfPathSteps = steps;
    EXPECT_EQ(makePath(s, PathShape::Circle).curve.GetLength(), points) << steps;
  }
  s.NumberOfPathSteps = 5000;
  PathInputs read;
  ASSERT_FALSE(readPathInputs(s, PathShape::Hypotrochoid, read));
  EXPECT_EQ(read.steps, 3000);
  PathInputs in = circle(-3, true);  // also when the inputs are given directly
  EXPECT_EQ(makePath(in).curve.GetLength(), 2);
}

TEST(PathGenerators, AnUnreadableFieldFailsAndNamesIt) {
  Settings s;
  s.PathEpitrochoidH = 1.7976931348623157e308;  // shown as 1.79769313486232E308, beyond range
  PathInputs untouched;
  untouched.a = 42;
  const std::optional<std::string> error = readPathInputs(s, PathShape::Epitrochoid, untouched);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("PathEpitrochoidH"), std::string::npos) << *error;
  EXPECT_EQ(untouched.a, 42);
  const PathResult failed = makePath(s, PathShape::Epitrochoid);
  EXPECT_EQ(failed.outcome, Outcome::Failed);
  EXPECT_EQ(failed.message, *error);
}

}  // namespace
}  // namespace zorva
