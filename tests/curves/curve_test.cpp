#include "curves/curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "settings/number_format.h"
#include "support/curves.h"
#include "support/test_support.h"

namespace zorva {
namespace {

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
namespace fs = std::filesystem;
using test::curveOf;
using Points = std::vector<qCoord>;
using Xs = std::vector<double>;

// Points (x, 10 * x), so that X alone shows where a point came from.
qCurve curveOfXs(const Xs& xs) {
  qCurve curve;
  for (double x : xs) curve.AddPoint(x, 10 * x);
  return curve;
}

Xs xsOf(const qCurve& curve) {
  Xs xs;
  for (const qCoord& p : curve.Points()) xs.push_back(p.X);
  return xs;
}

TEST(CurveCoord, DivideAndRotateAsTheDrawingsDo) {
  qCoord p(5, 5);
  p.Divide(49);
  EXPECT_EQ(p.X, 5.0 * (1.0 / 49.0));  // not 5.0 / 49.0, which differs in the last bit
  // An angle of 2^63 or more has sine and cosine 0: the point falls on the pivot.
  p = qCoord(3, 4);
  p.RotateAround(qCoord(1, 1), 9223372036854775808.0);
  EXPECT_EQ(p, qCoord(1, 1));
  p = qCoord(3, 4);
  p.RotateAround(qCoord(1, 1), 1e10);
  EXPECT_EQ(p, qCoord(std::cos(1e10) * 2 - std::sin(1e10) * 3 + 1, std::sin(1e10) * 2 + std::cos(1e10) * 3 + 1));
}

TEST(Curve, SumAndCentreAreKeptByEachOperationItsOwnWay) {
  qCurve curve = curveOf({{1, 1}, {3, 5}});
  // MoveBy moves the points and Centre but not Sum; the next AddPoint builds
  // on the unmoved Sum: (4 + 2, 6 + 3) / 3.
  curve.MoveBy(1, 0);
  EXPECT_EQ(curve.Centre(), qCoord(3, 3));
  curve.AddPoint(2, 3);
  EXPECT_EQ(curve.Centre(), qCoord(2, 3));
  // Writing to points leaves both.
  curve.GetPointI(1).SetXY(30, 40);
  curve.SetXYofI(qCoord(50, 60), 2);
  EXPECT_EQ(curve.Points(), (Points{{2, 1}, {30, 40}, {50, 60}}));
  EXPECT_EQ(curve.Sum(), qCoord(6, 9));
  // InsertPoint recomputes them from all points.
  curve = curveOf({{0, 0}, {2, 0}});
  curve.MoveBy(10, 0);  // a stale Sum of (2, 0)
  curve.InsertPoint(qCoord(14, 3), 1);
  EXPECT_EQ(xsOf(curve), (Xs{10, 14, 12}));
  EXPECT_EQ(curve.Centre(), qCoord(12, 1));
  curve.InsertPoint(qCoord(4, 0), curve.GetLength());  // at the end
  curve.InsertPoint(curve.GetPointI(2), 0);            // one of its own points
  curve.InsertPoint(qCoord(99, 99), -1);
  curve.InsertPoint(qCoord(99, 99), curve.GetLength() + 1);
  for (std::int32_t i : {-1, 5, kMinInt}) {  // a detached point starts at (0, 0) every time
    curve.GetPointI(i).SetXY(7, 7);
    curve.SetXYofI(qCoord(8, 8), i);
    EXPECT_EQ(curve.GetXofI(i) + curve.GetYofI(i) + curve.GetPointI(i).X, 0) << i;
  }
  EXPECT_EQ(xsOf(curve), (Xs{12, 10, 14, 12, 4}));
}

TEST(Curve, RotateAndExpandWorkAboutTheCentreOrAGivenPoint) {
  qCurve line = curveOf({{0, 0}, {4, 2}});
  line.MoveBy(10, 0);  // Centre moves along and stays the pivot
  line.Expand(2);
  EXPECT_EQ(line.Points(), (Points{{8, -1}, {16, 3}}));
  line.Rotate(M_PI / 2);
  EXPECT_LT(qCoord::Difference(line.GetPointI(0), qCoord(14, -3)).Length(), 1e-14);
  EXPECT_EQ(line.Sum(), qCoord(4, 2));
  // The class-level forms take the pivot and keep Centre too.
  qCurve::ExpandCurve(line, qCoord(0, 0), 0.5);
  qCurve::RotateCurve(line, qCoord(0, 0), M_PI);
  EXPECT_LT(qCoord::Difference(line.GetPointI(0), qCoord(-7, 1.5)).Length(), 1e-14);
  EXPECT_EQ(line.Centre(), qCoord(12, 1));
}

TEST(Curve, PointByPercentageIsAClampedFlooredIndex) {
  const qCurve eleven = curveOfXs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  for (auto [percent, index] : {std::pair{150, 10}, {-3, 0}, {59, 5}, {kMaxInt, 10}, {kMinInt, 0}})
    EXPECT_EQ(eleven.GetPointByPercentage(percent), index) << percent;
  EXPECT_EQ(qCurve().GetPointByPercentage(50), -1);
}

TEST(Curve, CopyReverseAndRemoveRebuildTheMean) {
  qCurve source = curveOf({{1, 1}, {3, 5}});
  source.MoveBy(1, 1);  // a stale Sum
  qCurve dest = curveOfXs({100, 0, 7});
  qCurve::CopyCurve(source, dest);
  EXPECT_EQ(dest.Points(), source.Points());
  EXPECT_EQ(dest.Sum(), qCoord(6, 8));

  qCurve::ReverseCurve(dest, dest);  // its own source
  EXPECT_EQ(dest.Points(), (Points{{4, 6}, {2, 2}}));

  qCurve curve = curveOfXs({1, 2, 3, 4}), scratch = curveOfXs({50, 60});
  qCurve::RemovePoint(1, curve, scratch);
  EXPECT_EQ(xsOf(curve), (Xs{1, 3, 4}));
  EXPECT_EQ(xsOf(scratch), xsOf(curve));
  curve.GetPointI(0).SetXY(4, 40);  // Centre is now stale
  qCurve::RemovePoint(-1, curve, scratch);
  EXPECT_EQ(xsOf(curve), (Xs{4, 3, 4}));
  EXPECT_EQ(curve.Centre(), qCoord(11.0 / 3, 110.0 / 3));
  // The last one, with curve as its own scratch.
  qCurve::RemovePoint(2, curve, curve);
  EXPECT_EQ(xsOf(curve), (Xs{4, 3}));
}

TEST(Curve, InsertCurveSplicesAReversedResampledRun) {
  // n = floor((count of inserted - 1) * factor) points, point k at floor(k / factor), k = n .. 1.
  const Xs main{1, 2, 3, 4}, five{100, 101, 102, 103, 104};
  const std::tuple<Xs, Xs, std::int32_t, double, Xs> cases[] = {
      {main, five, 1, 1, {1, 2, 104, 103, 102, 101, 3, 4}},
      {main, five, 1, 0.5, {1, 2, 104, 102, 3, 4}},
      {main, five, 0, 2, {1, 104, 103, 103, 102, 102, 101, 101, 100, 2, 3, 4}},
      {main, five, 0, 0.3, {1, 103, 2, 3, 4}},
      {main, five, -1, 1, {104, 103, 102, 101, 1, 2, 3, 4}},
      {main, five, kMaxInt, 0.5, {1, 2, 3, 4, 104, 102}},
      {{1, 2}, {}, 0, -2, {1, 2}},  // n = 2, but no points to take
      {{}, {7, 8, 9}, 0, 1, {9, 8}},
  };
  for (const auto& [into, inserted, atIndex, factor, expected] : cases) {
    qCurve result = curveOfXs(into);
    qCurve::InsertCurve(result, curveOfXs(inserted), atIndex, factor);
    EXPECT_EQ(xsOf(result), expected) << "at " << atIndex << " factor " << factor;
    EXPECT_EQ(result.Centre(), curveOf(result.Points()).Centre()) << "at " << atIndex << " factor " << factor;
  }
  qCurve result = curveOfXs({1, 2, 3});
  qCurve::InsertCurve(result, result, 0, 1);
  EXPECT_EQ(xsOf(result), (Xs{1, 3, 2, 2, 3}));
  // A huge factor is capped; floor(k / 1e300) is 0 for every k.
  result = curveOfXs({1, 2});
  qCurve::InsertCurve(result, curveOfXs({7, 8}), 0, 1e300);
  ASSERT_EQ(result.GetLength(), 2 + qCurve::kMaxInsertedRun);
  EXPECT_EQ(result.GetXofI(1), 7);
  EXPECT_EQ(result.GetXofI(result.GetHighOfPoints()), 2);

  // Meaningless factors leave Main as it was, stale Sum included.
  qCurve stale = curveOfXs(main);
  stale.MoveBy(0, 1);
  for (double factor : {0.0, -0.0, kInf, kNaN}) {
    result = stale;
    qCurve::InsertCurve(result, curveOfXs(five), 1, factor);
    EXPECT_TRUE(result.Points() == stale.Points() && result.Sum() == stale.Sum()) << factor;
  }
}

qBezier bezierOf(const Points& points, std::int32_t samples = 100) {
  qBezier bezier;
  bezier.Init(static_cast<std::int32_t>(points.size()), samples);
  for (const qCoord& p : points) bezier.AddPoint(p.X, p.Y);
  bezier.Calculate();
  return bezier;
}

// The piece formula written out with its evaluation order, to pin the bits.
qCoord referencePiece(const Points& c, std::size_t piece, double t) {
  const qCoord* k = &c[3 * piece];
  const double m = 1 - t, w0 = (m * m) * m, w1 = (3 * (m * m)) * t, w2 = (3 * m) * (t * t), w3 = (t * t) * t;
  return qCoord(w0 * k[0].X + w1 * k[1].X + w2 * k[2].X + w3 * k[3].X,
                w0 * k[0].Y + w1 * k[1].Y + w2 * k[2].Y + w3 * k[3].Y);
}

TEST(Bezier, ValidOnlyWithinTheLimitsAndWithExactlyCountPoints) {
  qBezier bezier;
  EXPECT_EQ(bezier.Calculate() + bezier.GetXAt(0.5), 0);
  for (auto [count, samples] : {std::pair{1, 100}, {-5, 100}, {5, 0}, {qBezier::kMaxCount + 1, 1}, {5, kMaxInt}})
    EXPECT_FALSE(bezier.Init(count, samples) || !bezier.Controls().empty()) << count << " " << samples;
  for (int added : {4, 6}) {  // too few or too many points: Calculate gives up
    ASSERT_TRUE(bezier.Init(5, 10));
    for (int i = 0; i < added; ++i) bezier.AddPoint(i + 1, i + 1);
    EXPECT_TRUE(bezier.Calculate() == 0 && !bezier.Valid() && bezier.GetXAt(0.5) == 0) << added;
  }
  ASSERT_TRUE(bezier.Init(2, 10));  // Valid, but nothing to evaluate before Calculate
  bezier.AddPoint(1, 1);
  bezier.AddPoint(2, 2);
  EXPECT_EQ(bezier.GetXAt(0.5), 0);
}

TEST(Bezier, ControlsFollowTheUniformBSplineAndSectionsAreSampledAfresh) {
  const Points p{{0, 0}, {3, 6}, {6, -3}, {9, 3}, {12, 0}, {0, 3}};
  for (std::int32_t samples : {1, 7, 100}) {
    qBezier bezier = bezierOf(p, samples);
    bezier.Calculate();  // a second time: the lengths start over
    const auto& c = bezier.Controls();
    ASSERT_EQ(c.size(), 16u);
    EXPECT_EQ(c[1], qCoord(1, 2));    // (2 P0 + P1) / 3
    EXPECT_EQ(c[2], qCoord(2, 4));    // (P0 + 2 P1) / 3
    EXPECT_EQ(c[3], qCoord(3, 3.5));  // halfway between its neighbours
    EXPECT_EQ(c[15], p.back());
    const auto& sections = bezier.Sections();
    ASSERT_EQ(sections.size(), 5u);
    double cumulative = 0;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      double length = 0;  // each sample's parameter is a division of its own
      for (std::int32_t j = 1; j <= samples; ++j) {
        const qCoord a = referencePiece(c, i, static_cast<double>(j - 1) / samples),
                     b = referencePiece(c, i, static_cast<double>(j) / samples);
        length += std::sqrt((b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y));
      }
      cumulative += length;
      EXPECT_EQ(sections[i].Length, length) << "samples " << samples << " piece " << i;
      EXPECT_EQ(sections[i].Cumulative, cumulative) << "samples " << samples << " piece " << i;
    }
    EXPECT_EQ(bezier.GetTotalLength(), cumulative);
  }
}

TEST(Bezier, TheLengthPicksThePieceAndTheParameterIsLinearInside) {
  const qBezier bezier = bezierOf({{0, 0}, {10, 0}, {11, 1}, {11, 2}, {30, 5}, {31, 5}});
  EXPECT_EQ(bezier.GetXAt(-0.5), 0);             // clamped to the first point
  EXPECT_EQ(bezier.GetYAt(7), 5);                // and to the last
  EXPECT_TRUE(std::isnan(bezier.GetXAt(kNaN)));  // so that a caller's arithmetic check sees it
  const auto& sections = bezier.Sections();
  const double total = bezier.GetTotalLength();
  for (std::size_t piece = 0; piece < sections.size(); ++piece) {
    const double start = sections[piece].Cumulative - sections[piece].Length;
    for (double u : {0.1, 0.5, 0.9}) {
      const double fraction = (start + u * sections[piece].Length) / total;
      const double t = (fraction * total - start) / (sections[piece].Cumulative - start);
      EXPECT_EQ(bezier.GetXYAt(fraction), referencePiece(bezier.Controls(), piece, t)) << piece << " " << u;
      EXPECT_EQ(bezier.GetYAt(fraction), bezier.GetXYAt(fraction).Y);
    }
    // The end of a piece is the junction, whichever piece it falls in.
    EXPECT_NEAR(bezier.GetXAt(sections[piece].Cumulative / total), bezier.Controls()[3 * piece + 3].X, 1e-9);
  }
  // The short last piece vanishes in the running total after a huge
  // excursion: Cumulative - start is 0, so t is 0.5 (not 1, not NaN).
  const qBezier huge = bezierOf({{0, 0}, {1e18, 0}, {0, 0}, {0, 0}, {0, 1}});
  const auto& last = huge.Sections().back();
  ASSERT_EQ(last.Cumulative - (last.Cumulative - last.Length), 0);
  EXPECT_NEAR(huge.GetYAt(1), 25.0 / 48, 1e-15);  // B(0.5) of controls 1/6, 1/3, 2/3, 1
}

TEST(Bezier, BuildBezierNeedsFivePointsAndCanCentre) {
  qBezier target = bezierOf({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}});
  buildBezier(target, curveOf({{5, 5}, {6, 6}, {7, 7}, {8, 8}}), false);
  EXPECT_TRUE(!target.Valid() && target.GetXAt(1) == 0);
  qCurve curve = curveOf({{1, 2}, {3, 2}, {5, 4}, {7, 2}, {9, 2}});
  curve.MoveBy(0.5, 0);  // the offset is Centre, (5.5, 2.4), which moved, not Sum / count
  buildBezier(target, curve, false);
  EXPECT_EQ(target.Samples(), 100);
  EXPECT_EQ(target.GetXAt(0), 1.5);
  buildBezier(target, curve, true);
  EXPECT_EQ(target.Points()[0], qCoord(1.5 - 5.5, 2 - 2.4));
  EXPECT_EQ(target.GetYAt(1), 2 - 2.4);
}

const char* const kFileProblem = "There is a problem with the .curve file";
const char* const kClipboardProblem = "There is a problem with the clipboard contents - not a valid curve";
const qCurve kOccupied = curveOf({{9, 9}, {8, 8}, {7, 7}});  // a failed read must empty it

class CurveText : public ::testing::Test {
 protected:
  void SetUp() override { setDecimalSeparator("."); }
  void TearDown() override { setDecimalSeparator(saved_); }
  std::string path(const std::string& name) const { return dir_.file(name); }

  test::TempDir dir_;
  const std::string saved_ = decimalSeparator();
};

TEST_F(CurveText, SpamWritesOneNumberPerLineUnderTheCleanedName) {
  EXPECT_EQ(curveOf({{0.5, -1}, {2.25, 3}}).Spam(path("a \"b\".curve")), std::nullopt);
  EXPECT_EQ(test::readFile(path("a_b.curve")), "0.5\r\n-1\r\n2.25\r\n3\r\n");
  // Nothing for fewer than two points.
  EXPECT_EQ(curveOf({{1, 2}}).Spam(path("one.curve")), std::nullopt);
  EXPECT_FALSE(fs::exists(path("one.curve")));
  setDecimalSeparator(",");  // the user's
  EXPECT_EQ(curveOf({{0.5, -1.25}, {2, 3}}).Spam(path("c.curve")), std::nullopt);
  EXPECT_EQ(test::readFile(path("c.curve")), "0,5\r\n-1,25\r\n2\r\n3\r\n");

  for (auto [name, file] : {std::pair{"/home/me/My Curves/my best curve", "/home/me/My Curves/my_best_curve"},
                            {"/a \"b\"/pic_\"Main - Path\"", "/a b/pic_Main_-_Path"},
                            {"\"Main - Start curve\"", "Main_-_Start_curve"},
                            {"", "test.txt"}})
    EXPECT_EQ(curveFileName(name), file) << name;
}

TEST_F(CurveText, LoadReadsXThenYLinesAndRefusesAnythingElse) {
  const Points two = {{0.5, -1}, {2.25, 3}};
  const std::tuple<std::string, Points, bool> files[] = {
      {"0.5\r\n-1\r\n2.25\r\n3\r\n", two, true},
      {"0.5\n-1\r\n2.25\n3", two, true},  // no line end at the end
      {" 0.5 \r\n-1\t\r\n", {{0.5, -1}}, true},
      {"", {}, true},
      {"1\r\n2\r\n3,5\r\n4\r\n", {{1, 2}, {3.5, 4}}, true},  // either decimal separator
      {"1\r\n2\r\n3\r4\r\n", {}, false},                     // a lone CR does not end a line
      {std::string("1\r\n2\0\r\n", 6), {}, false}};          // a NUL byte
  for (const auto& [content, points, good] : files) {
    test::writeFile(path("a.curve"), content);
    qCurve curve = kOccupied;
    const auto result = curve.Load(path("a.curve"));
    if (good)
      EXPECT_EQ(result, std::nullopt) << content;
    else
      EXPECT_TRUE(result && result->starts_with(std::string(kFileProblem) + " \"" + path("a.curve") + "\": "))
          << content;
    EXPECT_EQ(curve.Points(), points) << content;
    EXPECT_EQ(curve.Centre(), curveOf(points).Centre()) << content;
  }
  // A missing file is quietly ignored.
  qCurve curve = kOccupied;
  EXPECT_EQ(curve.Load(path("absent.curve")), std::nullopt);
  EXPECT_EQ(curve.Points(), kOccupied.Points());
}

TEST_F(CurveText, ClipboardTextIsReadInPairsAndDoubled) {
  const std::tuple<std::string, Points, std::optional<std::string>> cases[] = {
      {"\r\n 0.25\t\t0.5\r\n-0.5\001\037\0131 \r\n", {{0.5, 1}, {-1, 2}}, std::nullopt},  // codes 1 to 32
      {"1 2 oops", {{2, 4}}, std::nullopt},  // a last token without a partner is never read
      {" \r\n\t", {}, std::nullopt},
      {"1 2 3 x", {}, kClipboardProblem},
      {std::string("1 2\0 3 4", 8), {}, kClipboardProblem},  // NUL is not a separator
      {"1\2402 3", {}, kClipboardProblem},                   // nor a non-breaking space
      {"1e308 1", {}, kClipboardProblem}};                   // doubling overflows
  for (const auto& [text, points, message] : cases) {
    qCurve curve = kOccupied;
    EXPECT_EQ(curve.LoadFromClipBoard(text), message) << text;
    EXPECT_EQ(curve.Points(), points) << text;
    EXPECT_EQ(curve.Centre(), curveOf(points).Centre()) << text;
  }
  qCurve curve = kOccupied;
  EXPECT_EQ(curve.LoadFromClipBoard(""), std::nullopt);  // empty text changes nothing
  EXPECT_EQ(curve.Points(), kOccupied.Points());
}

}  // namespace
}  // namespace zorva
