#include "curves/curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace zorva {
namespace {

qCurve curveOf(const std::vector<qCoord>& points) {
  qCurve curve;
  for (const qCoord& p : points) curve.AddPoint(p.X, p.Y);
  return curve;
}

std::vector<double> xsOf(const qCurve& curve) {
  std::vector<double> xs;
  for (const qCoord& p : curve.Points()) xs.push_back(p.X);
  return xs;
}

// Points (x, 10 * x) for x in xs, so a point's origin is visible from X alone.
qCurve curveOfXs(const std::vector<double>& xs) {
  qCurve curve;
  for (double x : xs) curve.AddPoint(x, 10 * x);
  return curve;
}

// --- qCoord -------------------------------------------------------------------

TEST(CurveCoord, ArithmeticAndGeometry) {
  qCoord p(3, 4);
  EXPECT_EQ(p.Length(), 5);
  p.Add(qCoord(1, -1));
  EXPECT_EQ(p, qCoord(4, 3));
  p.Scale(0.5);
  EXPECT_EQ(p, qCoord(2, 1.5));

  qCoord e(3, 5);
  e.ExpandAround(qCoord(1, 1), 3);
  EXPECT_EQ(e, qCoord(7, 13));

  qCoord r(2, 1);
  r.RotateAround(qCoord(1, 1), M_PI / 2);  // a quarter turn anticlockwise
  EXPECT_NEAR(r.X, 1, 1e-15);
  EXPECT_NEAR(r.Y, 2, 1e-15);

  EXPECT_EQ(qCoord::Difference(qCoord(5, 7), qCoord(2, 10)), qCoord(3, -3));
  EXPECT_EQ(qCoord::DiffX(qCoord(5, 7), qCoord(2, 10)), 3);
  EXPECT_EQ(qCoord::DiffY(qCoord(5, 7), qCoord(2, 10)), -3);
  EXPECT_EQ(qCoord::Create(qCoord(1, 2)), qCoord(1, 2));
}

TEST(CurveCoord, DivideMultipliesByTheReciprocal) {
  // 5 / 49 and 5 * (1 / 49) differ in the last bit; Divide must give the latter.
  ASSERT_NE(5.0 / 49.0, 5.0 * (1.0 / 49.0));
  qCoord p(5, 5);
  p.Divide(49);
  EXPECT_EQ(p.X, 5.0 * (1.0 / 49.0));
}

// --- qCurve: points, Sum and Centre ------------------------------------------

TEST(Curve, NewCurveIsEmptyAtTheOrigin) {
  qCurve curve;
  EXPECT_EQ(curve.GetLength(), 0);
  EXPECT_EQ(curve.GetHighOfPoints(), -1);
  EXPECT_EQ(curve.Sum(), qCoord());
  EXPECT_EQ(curve.Centre(), qCoord());
}

TEST(Curve, AddPointKeepsARunningMeanThatMoveByDoesNotTouchInSum) {
  qCurve curve;
  curve.AddPoint(1, 1);
  curve.AddPoint(3, 5);
  EXPECT_EQ(curve.Centre(), qCoord(2, 3));
  EXPECT_EQ(curve.Sum(), qCoord(4, 6));

  curve.MoveBy(1, 0);
  EXPECT_EQ(curve.Centre(), qCoord(3, 3));
  EXPECT_EQ(curve.Sum(), qCoord(4, 6));
  EXPECT_EQ(xsOf(curve), (std::vector<double>{2, 4}));

  // The next AddPoint works from the unmoved Sum: (4 + 2, 6 + 3) / 3.
  curve.AddPoint(2, 3);
  EXPECT_EQ(curve.Centre(), qCoord(2, 3));
}

TEST(Curve, InsertPointRecomputesFromAllPoints) {
  qCurve curve = curveOf({{0, 0}, {2, 0}});
  curve.MoveBy(10, 0);  // Sum stays (2, 0) while the points are at 10 and 12
  curve.InsertPoint(qCoord(14, 3), 1);
  EXPECT_EQ(xsOf(curve), (std::vector<double>{10, 14, 12}));
  EXPECT_EQ(curve.Sum(), qCoord(36, 3));
  EXPECT_EQ(curve.Centre(), qCoord(12, 1));

  curve.InsertPoint(qCoord(0, 0), 0);
  curve.InsertPoint(qCoord(4, 0), curve.GetLength());  // at the end = append
  EXPECT_EQ(xsOf(curve), (std::vector<double>{0, 10, 14, 12, 4}));

  // A point of the curve itself can be inserted.
  curve.InsertPoint(curve.GetPointI(2), 0);
  EXPECT_EQ(xsOf(curve), (std::vector<double>{14, 0, 10, 14, 12, 4}));

  // Outside 0 .. count nothing happens at all.
  const qCoord centre = curve.Centre();
  curve.InsertPoint(qCoord(99, 99), -1);
  curve.InsertPoint(qCoord(99, 99), curve.GetLength() + 1);
  EXPECT_EQ(curve.GetLength(), 6);
  EXPECT_EQ(curve.Centre(), centre);
}

TEST(Curve, EmptyReleasesPointsAndResetsTheMean) {
  qCurve curve = curveOf({{1, 2}, {3, 4}});
  curve.Empty();
  EXPECT_EQ(curve.GetLength(), 0);
  EXPECT_EQ(curve.Sum(), qCoord());
  EXPECT_EQ(curve.Centre(), qCoord());
  curve.AddPoint(5, 6);
  EXPECT_EQ(curve.Centre(), qCoord(5, 6));
}

TEST(Curve, PointAccessWritesThroughAndLeavesTheMean) {
  qCurve curve = curveOf({{1, 2}, {3, 4}, {5, 6}});
  EXPECT_EQ(curve.GetXofI(1), 3);
  EXPECT_EQ(curve.GetYofI(2), 6);

  curve.GetPointI(1).SetXY(30, 40);
  EXPECT_EQ(curve.GetXofI(1), 30);
  EXPECT_EQ(curve.GetYofI(1), 40);

  curve.SetXYofI(qCoord(50, 60), 2);
  EXPECT_EQ(curve.Points()[2], qCoord(50, 60));
  EXPECT_EQ(curve.Sum(), qCoord(9, 12));
  EXPECT_EQ(curve.Centre(), qCoord(3, 4));
}

TEST(Curve, IndexesOutsideTheCurveAreHarmless) {
  qCurve curve = curveOf({{1, 2}, {3, 4}});
  for (std::int32_t i : {-1, 2, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_EQ(curve.GetXofI(i), 0) << i;
    EXPECT_EQ(curve.GetYofI(i), 0) << i;
    qCoord& detached = curve.GetPointI(i);
    EXPECT_EQ(detached, qCoord()) << i;
    detached.SetXY(7, 7);
    curve.SetXYofI(qCoord(8, 8), i);
    EXPECT_EQ(curve.GetPointI(i), qCoord()) << "a detached point starts at (0, 0) every time";
  }
  EXPECT_EQ(curve.Points(), (std::vector<qCoord>{{1, 2}, {3, 4}}));
  const qCurve& constCurve = curve;
  EXPECT_EQ(constCurve.GetPointI(5), qCoord());
}

TEST(Curve, RotateAndExpandWorkAboutTheCentreAndKeepIt) {
  qCurve square = curveOf({{1, 1}, {3, 1}, {3, 3}, {1, 3}});
  ASSERT_EQ(square.Centre(), qCoord(2, 2));
  square.Rotate(M_PI / 2);
  const std::vector<qCoord> turned{{3, 1}, {3, 3}, {1, 3}, {1, 1}};
  for (std::size_t i = 0; i < turned.size(); ++i) {
    EXPECT_NEAR(square.Points()[i].X, turned[i].X, 1e-15) << i;
    EXPECT_NEAR(square.Points()[i].Y, turned[i].Y, 1e-15) << i;
  }
  EXPECT_EQ(square.Centre(), qCoord(2, 2));

  qCurve line = curveOf({{0, 0}, {4, 2}});
  line.MoveBy(10, 0);  // Centre moves along, so Expand still works about the middle
  line.Expand(2);
  EXPECT_EQ(line.Points(), (std::vector<qCoord>{{8, -1}, {16, 3}}));
  EXPECT_EQ(line.Centre(), qCoord(12, 1));
  EXPECT_EQ(line.Sum(), qCoord(4, 2));
}

TEST(Curve, PointByPercentageIsAClampedFlooredIndex) {
  const qCurve eleven = curveOfXs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(eleven.GetPointByPercentage(150), 10);
  EXPECT_EQ(eleven.GetPointByPercentage(100), 10);
  EXPECT_EQ(eleven.GetPointByPercentage(-3), 0);
  EXPECT_EQ(eleven.GetPointByPercentage(55), 5);
  EXPECT_EQ(eleven.GetPointByPercentage(59), 5);
  EXPECT_EQ(eleven.GetPointByPercentage(std::numeric_limits<std::int32_t>::max()), 10);
  EXPECT_EQ(eleven.GetPointByPercentage(std::numeric_limits<std::int32_t>::min()), 0);

  const qCurve four = curveOfXs({0, 1, 2, 3});
  EXPECT_EQ(four.GetPointByPercentage(50), 1);  // 1.5 floors to 1
  EXPECT_EQ(four.GetPointByPercentage(67), 2);  // 2.01

  const qCurve empty;
  EXPECT_EQ(empty.GetPointByPercentage(50), -1);
  EXPECT_EQ(empty.GetPointByPercentage(0), 0);
}

// --- class-level operations ---------------------------------------------------

TEST(Curve, CopyCurveRecomputesTheMeanOfTheCopy) {
  qCurve source = curveOf({{1, 1}, {3, 5}});
  source.MoveBy(1, 1);  // source's Sum is now stale
  qCurve dest = curveOf({{100, 100}, {0, 0}, {7, 7}});
  qCurve::CopyCurve(source, dest);
  EXPECT_EQ(dest.Points(), source.Points());
  EXPECT_EQ(dest.Sum(), qCoord(6, 8));
  EXPECT_EQ(dest.Centre(), qCoord(3, 4));

  qCurve::CopyCurve(qCurve(), dest);
  EXPECT_EQ(dest.GetLength(), 0);
  EXPECT_EQ(dest.Sum(), qCoord());
  EXPECT_EQ(dest.Centre(), qCoord());

  // Copying onto itself keeps the points.
  qCurve::CopyCurve(source, source);
  EXPECT_EQ(source.Points(), (std::vector<qCoord>{{2, 2}, {4, 6}}));
  EXPECT_EQ(source.Sum(), qCoord(6, 8));
}

TEST(Curve, ReverseCurveAddsFromLastToFirst) {
  const qCurve source = curveOfXs({1, 2, 3});
  qCurve dest = curveOfXs({9});
  qCurve::ReverseCurve(source, dest);
  EXPECT_EQ(xsOf(dest), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(dest.Centre(), qCoord(2, 20));

  qCurve self = curveOfXs({1, 2, 3, 4});
  qCurve::ReverseCurve(self, self);
  EXPECT_EQ(xsOf(self), (std::vector<double>{4, 3, 2, 1}));
}

TEST(Curve, RemovePointDropsOneIndexAndRecomputes) {
  qCurve curve = curveOfXs({1, 2, 3, 4});
  qCurve scratch = curveOfXs({50, 60});
  qCurve::RemovePoint(1, curve, scratch);
  EXPECT_EQ(xsOf(curve), (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(xsOf(scratch), (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(curve.Centre(), qCoord(8.0 / 3, 80.0 / 3));

  qCurve::RemovePoint(0, curve, scratch);
  qCurve::RemovePoint(1, curve, scratch);  // the last one
  EXPECT_EQ(xsOf(curve), (std::vector<double>{3}));
}

TEST(Curve, RemovePointOutsideKeepsPointsButRecomputesTheMean) {
  qCurve curve = curveOfXs({1, 2, 3});
  curve.GetPointI(0).SetXY(4, 40);  // Centre is now stale
  qCurve scratch;
  for (std::int32_t i : {3, -1, std::numeric_limits<std::int32_t>::max()}) {
    qCurve::RemovePoint(i, curve, scratch);
    EXPECT_EQ(xsOf(curve), (std::vector<double>{4, 2, 3})) << i;
    EXPECT_EQ(curve.Centre(), qCoord(3, 30)) << i;
  }
  // Scratch and curve may even be the same curve.
  qCurve::RemovePoint(1, curve, curve);
  EXPECT_EQ(xsOf(curve), (std::vector<double>{4, 3}));
}

TEST(Curve, TranslateRotateAndExpandAboutAGivenPoint) {
  qCurve curve = curveOf({{1, 0}, {2, 0}});
  qCurve::TranslateCurve(curve, qCoord(1, 2));
  EXPECT_EQ(curve.Points(), (std::vector<qCoord>{{2, 2}, {3, 2}}));
  EXPECT_EQ(curve.Centre(), qCoord(2.5, 2));
  EXPECT_EQ(curve.Sum(), qCoord(3, 0));

  qCurve::ExpandCurve(curve, qCoord(2, 2), 3);
  EXPECT_EQ(curve.Points(), (std::vector<qCoord>{{2, 2}, {5, 2}}));

  qCurve::RotateCurve(curve, qCoord(2, 2), M_PI);
  EXPECT_NEAR(curve.GetXofI(1), -1, 1e-15);
  EXPECT_NEAR(curve.GetYofI(1), 2, 1e-15);
  EXPECT_EQ(curve.Centre(), qCoord(2.5, 2));
  EXPECT_EQ(curve.Sum(), qCoord(3, 0));

  // About one of its own points: that point stays put and the rest turn
  // about where it was.
  qCurve own = curveOf({{1, 1}, {2, 1}, {3, 1}});
  qCurve::RotateCurve(own, own.GetPointI(1), M_PI / 2);
  EXPECT_EQ(own.Points()[1], qCoord(2, 1));
  EXPECT_NEAR(own.GetXofI(2), 2, 1e-15);
  EXPECT_NEAR(own.GetYofI(2), 2, 1e-15);
  qCurve spread = curveOf({{1, 1}, {2, 1}, {4, 3}});
  qCurve::ExpandCurve(spread, spread.GetPointI(0), 2);
  EXPECT_EQ(spread.Points(), (std::vector<qCoord>{{1, 1}, {3, 1}, {7, 5}}));
}

TEST(Curve, InsertCurveSplicesAReversedResampledRun) {
  const qCurve main = curveOfXs({1, 2, 3, 4});
  const qCurve inserted = curveOfXs({100, 101, 102, 103, 104});
  struct Case {
    std::int32_t atIndex;
    double factor;
    std::vector<double> expected;
  };
  const Case cases[] = {
      // Factor 1: from the last point down to index 1; index 0 is never taken.
      {1, 1, {1, 2, 104, 103, 102, 101, 3, 4}},
      // n = 2: points 4 and 2.
      {1, 0.5, {1, 2, 104, 102, 3, 4}},
      // n = 8: k / 2 = 4, 3.5, 3, 2.5, 2, 1.5, 1, 0.5.
      {0, 2, {1, 104, 103, 103, 102, 102, 101, 101, 100, 2, 3, 4}},
      // n = floor(4 * 0.3) = 1: floor(1 / 0.3) = 3.
      {0, 0.3, {1, 103, 2, 3, 4}},
      // Negative factors insert nothing.
      {1, -1, {1, 2, 3, 4}},
      // Before everything, and after everything.
      {-1, 1, {104, 103, 102, 101, 1, 2, 3, 4}},
      {std::numeric_limits<std::int32_t>::min(), 0.5, {104, 102, 1, 2, 3, 4}},
      {3, 0.5, {1, 2, 3, 4, 104, 102}},
      {std::numeric_limits<std::int32_t>::max(), 0.5, {1, 2, 3, 4, 104, 102}},
  };
  for (const Case& c : cases) {
    qCurve result = main;
    qCurve::InsertCurve(result, inserted, c.atIndex, c.factor);
    EXPECT_EQ(xsOf(result), c.expected) << "at " << c.atIndex << " factor " << c.factor;
    qCurve recount;
    qCurve::CopyCurve(result, recount);
    EXPECT_EQ(result.Centre(), recount.Centre());
  }
}

TEST(Curve, InsertCurveLeavesMainUntouchedForMeaninglessFactors) {
  qCurve main = curveOfXs({1, 2, 3});
  main.MoveBy(0, 1);  // a stale Sum shows whether Main was rebuilt
  const qCurve inserted = curveOfXs({100, 101, 102});
  for (double factor : {0.0, -0.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()}) {
    qCurve result = main;
    qCurve::InsertCurve(result, inserted, 1, factor);
    EXPECT_EQ(result.Points(), main.Points()) << factor;
    EXPECT_EQ(result.Sum(), main.Sum()) << factor;
    EXPECT_EQ(result.Centre(), main.Centre()) << factor;
  }
}

TEST(Curve, InsertCurveNeverReadsOutsideOrRunsAway) {
  const qCurve main = curveOfXs({1, 2});
  // An empty Inserted with a negative factor gives positive n but no points.
  qCurve result = main;
  qCurve::InsertCurve(result, qCurve(), 0, -2);
  EXPECT_EQ(xsOf(result), (std::vector<double>{1, 2}));

  // An empty Main.
  result.Empty();
  qCurve::InsertCurve(result, curveOfXs({7, 8, 9}), 0, 1);
  EXPECT_EQ(xsOf(result), (std::vector<double>{9, 8}));

  // Inserted may be Main itself.
  result = curveOfXs({1, 2, 3});
  qCurve::InsertCurve(result, result, 0, 1);
  EXPECT_EQ(xsOf(result), (std::vector<double>{1, 3, 2, 2, 3}));

  // A huge factor is capped rather than asking for billions of points.
  result = main;
  qCurve::InsertCurve(result, curveOfXs({7, 8}), 0, 1e300);
  ASSERT_EQ(result.GetLength(), 2 + qCurve::kMaxInsertedRun);
  EXPECT_EQ(result.GetXofI(0), 1);
  EXPECT_EQ(result.GetXofI(1), 7);  // floor(k / 1e300) is 0 for every k
  EXPECT_EQ(result.GetXofI(result.GetHighOfPoints()), 2);
}

// --- qBezier ------------------------------------------------------------------

qBezier bezierOf(const std::vector<qCoord>& points, std::int32_t samples = 100) {
  qBezier bezier;
  bezier.Init(static_cast<std::int32_t>(points.size()), samples);
  for (const qCoord& p : points) bezier.AddPoint(p.X, p.Y);
  bezier.Calculate();
  return bezier;
}

// The piece formula spelled out independently, to pin the bits.
double referencePiece(const std::vector<qCoord>& c, std::size_t piece, double t, bool wantX) {
  auto v = [&](std::size_t k) { return wantX ? c[3 * piece + k].X : c[3 * piece + k].Y; };
  double m = 1 - t;
  return ((m * m) * m) * v(0) + ((3 * (m * m)) * t) * v(1) + ((3 * m) * (t * t)) * v(2) + ((t * t) * t) * v(3);
}

TEST(Bezier, InitDecidesValidity) {
  qBezier bezier;
  EXPECT_FALSE(bezier.Valid());
  EXPECT_TRUE(bezier.Init(2, 1));
  EXPECT_EQ(bezier.Controls().size(), 4u);
  EXPECT_EQ(bezier.Points().size(), 2u);
  EXPECT_FALSE(bezier.Init(1, 100));
  EXPECT_FALSE(bezier.Init(0, 100));
  EXPECT_FALSE(bezier.Init(-5, 100));
  EXPECT_FALSE(bezier.Init(5, 0));
  EXPECT_FALSE(bezier.Init(5, -1));
  // Too big to build: refused before anything is allocated.
  EXPECT_FALSE(bezier.Init(std::numeric_limits<std::int32_t>::max(), 100));
  EXPECT_FALSE(bezier.Init(qBezier::kMaxCount + 1, 1));
  EXPECT_FALSE(bezier.Init(5, std::numeric_limits<std::int32_t>::max()));
  EXPECT_TRUE(bezier.Controls().empty());
  EXPECT_EQ(bezier.Count(), 5);
  EXPECT_EQ(bezier.Samples(), std::numeric_limits<std::int32_t>::max());
}

TEST(Bezier, NotValidEvaluatesToZero) {
  qBezier never;
  EXPECT_EQ(never.Calculate(), 0);
  EXPECT_EQ(never.GetXAt(0.5), 0);
  EXPECT_EQ(never.GetYAt(0.5), 0);

  // Too few or too many points make Calculate give up.
  for (int added : {4, 6}) {
    qBezier bezier;
    ASSERT_TRUE(bezier.Init(5, 10));
    for (int i = 0; i < added; ++i) bezier.AddPoint(i + 1, i + 1);
    EXPECT_EQ(bezier.Calculate(), 0) << added;
    EXPECT_FALSE(bezier.Valid()) << added;
    EXPECT_EQ(bezier.GetXAt(0.5), 0) << added;
    EXPECT_EQ(bezier.GetYAt(1), 0) << added;
  }

  // Valid after Init but not yet calculated: nothing to evaluate.
  qBezier pending;
  ASSERT_TRUE(pending.Init(2, 10));
  pending.AddPoint(1, 1);
  pending.AddPoint(2, 2);
  EXPECT_EQ(pending.GetXAt(0.5), 0);
}

TEST(Bezier, ControlsFollowTheUniformBSpline) {
  const std::vector<qCoord> p{{0, 0}, {3, 6}, {6, -3}, {9, 3}, {12, 0}};
  const qBezier bezier = bezierOf(p);
  ASSERT_TRUE(bezier.Valid());
  const auto& c = bezier.Controls();
  ASSERT_EQ(c.size(), 13u);
  EXPECT_EQ(c[0], p[0]);
  EXPECT_EQ(c[12], p[4]);
  EXPECT_EQ(c[1], qCoord(1, 2));   // (2 P0 + P1) / 3
  EXPECT_EQ(c[2], qCoord(2, 4));   // (P0 + 2 P1) / 3
  EXPECT_EQ(c[4], qCoord(4, 3));   // (2 P1 + P2) / 3
  EXPECT_EQ(c[3], qCoord(3, 3.5)); // halfway between its neighbours
  for (std::size_t i = 1; i + 1 < p.size(); ++i) {
    // Junctions lie at (P[i-1] + 4 P[i] + P[i+1]) / 6.
    EXPECT_NEAR(c[3 * i].X, (p[i - 1].X + 4 * p[i].X + p[i + 1].X) / 6, 1e-14) << i;
    EXPECT_NEAR(c[3 * i].Y, (p[i - 1].Y + 4 * p[i].Y + p[i + 1].Y) / 6, 1e-14) << i;
  }
}

TEST(Bezier, SectionsAccumulateTheMeasuredLengths) {
  const std::vector<qCoord> p{{0, 0}, {1, 2}, {4, 1}, {5, 5}, {2, 7}, {0, 3}};
  for (std::int32_t samples : {1, 7, 100}) {
    qBezier bezier;
    bezier.Init(6, samples);
    for (const qCoord& q : p) bezier.AddPoint(q.X, q.Y);
    const double total = bezier.Calculate();
    const auto& sections = bezier.Sections();
    ASSERT_EQ(sections.size(), 5u);
    double cumulative = 0;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      // The length is the polyline through samples + 1 points of the piece,
      // each parameter a division of its own.
      double length = 0;
      for (std::int32_t j = 1; j <= samples; ++j) {
        double t0 = static_cast<double>(j - 1) / samples;
        double t1 = static_cast<double>(j) / samples;
        double dx = referencePiece(bezier.Controls(), i, t1, true) - referencePiece(bezier.Controls(), i, t0, true);
        double dy = referencePiece(bezier.Controls(), i, t1, false) - referencePiece(bezier.Controls(), i, t0, false);
        length += std::sqrt(dx * dx + dy * dy);
      }
      cumulative += length;
      EXPECT_EQ(sections[i].Length, length) << "samples " << samples << " piece " << i;
      EXPECT_EQ(sections[i].Cumulative, cumulative) << "samples " << samples << " piece " << i;
    }
    EXPECT_EQ(total, cumulative);
    EXPECT_EQ(bezier.GetTotalLength(), cumulative);
  }
  // One sample per piece measures the chord between junctions.
  qBezier chords = bezierOf({{0, 0}, {6, 0}, {12, 0}}, 1);
  EXPECT_EQ(chords.Sections()[0].Length, 6);
}

TEST(Bezier, CalculatingAgainDoesNotAddUp) {
  qBezier bezier = bezierOf({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
  const double first = bezier.GetTotalLength();
  EXPECT_EQ(bezier.Calculate(), first);
  EXPECT_EQ(bezier.Sections().back().Cumulative, first);
}

TEST(Bezier, EvenlySpacedLineRunsFromFirstToLastPoint) {
  const qBezier bezier = bezierOf({{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}});
  EXPECT_NEAR(bezier.GetTotalLength(), 4, 1e-12);
  EXPECT_EQ(bezier.GetXAt(0), 0);
  EXPECT_EQ(bezier.GetXAt(1), 4);
  EXPECT_NEAR(bezier.GetYAt(0.37), 1, 1e-15);
  EXPECT_NEAR(bezier.GetXAt(0.5), 2, 1e-12);
  // Fractions outside 0..1 are clamped.
  EXPECT_EQ(bezier.GetXAt(-0.5), bezier.GetXAt(0));
  EXPECT_EQ(bezier.GetXAt(7), bezier.GetXAt(1));
  EXPECT_EQ(bezier.GetYAt(-std::numeric_limits<double>::infinity()), bezier.GetYAt(0));
  // A NaN fraction stays NaN, so a caller's arithmetic check can see it.
  EXPECT_TRUE(std::isnan(bezier.GetXAt(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Bezier, TheLengthPicksThePieceAndTheParameterIsLinearInside) {
  // Pieces of very different lengths.
  const std::vector<qCoord> p{{0, 0}, {10, 0}, {11, 1}, {11, 2}, {30, 5}, {31, 5}};
  const qBezier bezier = bezierOf(p);
  const auto& sections = bezier.Sections();
  const auto& c = bezier.Controls();
  const double total = bezier.GetTotalLength();
  for (std::size_t piece = 0; piece < sections.size(); ++piece) {
    const double start = sections[piece].Cumulative - sections[piece].Length;
    for (double u : {0.1, 0.5, 0.9}) {
      const double fraction = (start + u * sections[piece].Length) / total;
      const double target = fraction * sections.back().Cumulative;
      const double t = (target - start) / (sections[piece].Cumulative - start);
      EXPECT_EQ(bezier.GetXAt(fraction), referencePiece(c, piece, t, true)) << piece << " " << u;
      EXPECT_EQ(bezier.GetYAt(fraction), referencePiece(c, piece, t, false)) << piece << " " << u;
    }
    // A fraction that lands on the end of a piece belongs to the next one
    // (or is the end of the last): either way it is the junction.
    const double atJunction = bezier.GetXAt(sections[piece].Cumulative / total);
    EXPECT_NEAR(atJunction, c[3 * piece + 3].X, 1e-9) << piece;
  }
}

TEST(Bezier, ZeroLengthPieceIsEvaluatedAtItsMiddle) {
  // All points equal: every piece has length 0, the whole length is 0, and
  // every fraction lands in the last piece at t = 0.5 without dividing by 0.
  // (At the origin, because elsewhere rounding in the weights leaves a trace
  // of length.)
  const qBezier dot = bezierOf({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
  ASSERT_TRUE(dot.Valid());
  ASSERT_EQ(dot.GetTotalLength(), 0);
  for (double f : {0.0, 0.3, 1.0}) {
    EXPECT_EQ(dot.GetXAt(f), 0) << f;
    EXPECT_EQ(dot.GetYAt(f), 0) << f;
  }

  // A short last piece after a huge excursion: its length vanishes in the running
  // total, so Cumulative - start is 0 and t must be 0.5 (not 1, not NaN).
  const qBezier vanishing = bezierOf({{0, 0}, {1e18, 0}, {0, 0}, {0, 0}, {0, 1}});
  const auto& last = vanishing.Sections().back();
  ASSERT_GT(last.Length, 0);
  ASSERT_EQ(last.Cumulative - (last.Cumulative - last.Length), 0);
  EXPECT_NEAR(vanishing.GetYAt(1), 25.0 / 48, 1e-15);  // B(0.5) of controls 1/6, 1/3, 2/3, 1
  EXPECT_EQ(vanishing.GetXAt(1), 0);
}

TEST(Bezier, BuildBezierNeedsFivePointsAndCanCentre) {
  qBezier target = bezierOf({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}});
  ASSERT_TRUE(target.Valid());

  // Four points: a fresh Bezier that is not Valid and sits at (0, 0).
  buildBezier(target, curveOf({{5, 5}, {6, 6}, {7, 7}, {8, 8}}), false);
  EXPECT_FALSE(target.Valid());
  EXPECT_EQ(target.Added(), 0);
  for (double f : {0.0, 0.5, 1.0}) {
    EXPECT_EQ(target.GetXAt(f), 0);
    EXPECT_EQ(target.GetYAt(f), 0);
  }

  qCurve curve = curveOf({{1, 2}, {3, 2}, {5, 4}, {7, 2}, {9, 2}});
  curve.MoveBy(0.5, 0);  // the offset is Centre, which moved, not Sum / count
  ASSERT_EQ(curve.Centre(), qCoord(5.5, 2.4));

  buildBezier(target, curve, false);
  ASSERT_TRUE(target.Valid());
  EXPECT_EQ(target.Samples(), 100);
  EXPECT_EQ(target.Points(), curve.Points());
  EXPECT_EQ(target.GetXAt(0), 1.5);
  EXPECT_EQ(target.GetYAt(1), 2);

  buildBezier(target, curve, true);
  ASSERT_TRUE(target.Valid());
  EXPECT_EQ(target.Points()[0], qCoord(1.5 - 5.5, 2 - 2.4));
  EXPECT_EQ(target.GetXAt(0), 1.5 - 5.5);
  EXPECT_EQ(target.GetYAt(1), 2 - 2.4);
}

}  // namespace
}  // namespace zorva
