#include "animation/branching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "base/math_util.h"
#include "support/settings_text.h"

namespace zorva {
namespace {

using Kind = BranchMessage::Kind;

// The generator as branching describes it, written out independently:
// state := state * 134775813 + 1, every number read after advancing.
struct Lcg {
  std::uint32_t state;
  std::uint32_t advance() { return state = state * 134775813u + 1u; }
  double fraction() { return advance() / 4294967296.0; }
  std::int32_t range(std::int32_t a, std::int32_t b) {
    const std::int64_t lo = std::min(a, b), hi = std::max(a, b);
    const std::uint64_t step = advance();
    return static_cast<std::int32_t>(lo +
                                     static_cast<std::int64_t>((static_cast<std::uint64_t>(hi - lo) * step) >> 32));
  }
};

// Points (i, 0) for i = 0 .. count - 1: a point's X is its index.
qCurve line(std::int32_t count) {
  qCurve curve;
  for (std::int32_t i = 0; i < count; ++i) curve.AddPoint(i, 0);
  return curve;
}

// One branch per pass at a fixed place, turned by a fixed angle.
Settings fixedBranch(std::int32_t point, std::int32_t angle) {
  Settings s;
  s.BranchBranchPointMin = s.BranchBranchPointMax = point;
  s.BranchBranchAngleMin = s.BranchBranchAngleMax = angle;
  s.BranchAngleFlipFlop = false;
  return s;
}

// Bit-for-bit equality, so that NaN points compare too.
bool sameCurve(const qCurve& a, const qCurve& b) {
  if (a.GetLength() != b.GetLength()) return false;
  const bool samePoints =
      a.Points().empty() || std::memcmp(a.Points().data(), b.Points().data(), a.Points().size() * sizeof(qCoord)) == 0;
  return samePoints && std::memcmp(&a.Sum(), &b.Sum(), sizeof(qCoord)) == 0 &&
         std::memcmp(&a.Centre(), &b.Centre(), sizeof(qCoord)) == 0;
}

TEST(Branching, BranchHalfwayAlongAHundredAndOnePoints) {
  // Point 50 of 101: scale (1 - 0.5) * 0.666 = 0.333, and with the point
  // factor on, floor(100 * 0.333) = 33 points spliced in after point 50: the
  // template's points floor(k / 0.333) for k = 33 .. 1 (99 down to 3), moved
  // onto point 50, not turned, shrunk by 0.333 about it.
  const Settings s = fixedBranch(50, 0);
  Random random;
  const BranchPassResult pass = Branch(line(101), s, random, 7);
  ASSERT_TRUE(pass.completed && pass.messages.empty());
  ASSERT_EQ(pass.branches.size(), 1u);
  const BranchRecord& b = pass.branches[0];
  EXPECT_TRUE(b.index == 50 && b.scale == 0.333 && b.splicedPoints == 33);
  std::vector<double> xs;
  for (int i = 0; i <= 100; ++i) {
    xs.push_back(i);
    if (i == 50)
      for (int k = 33; k >= 1; --k) xs.push_back(50 + 0.333 * std::floor(k / 0.333));
  }
  ASSERT_EQ(pass.curve.Points().size(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    EXPECT_NEAR(pass.curve.Points()[i].X, xs[i], 1e-12) << i;
    EXPECT_EQ(pass.curve.Points()[i].Y, 0) << i;
  }
  // Without the point factor the whole template but its first point goes in.
  Settings whole = s;
  whole.BranchScaleControlPoints = false;
  EXPECT_EQ(Branch(line(101), whole, random, 7).branches[0].splicedPoints, 100);
}

TEST(Branching, BranchesTurnByTheDrawnAngleAndAlternate) {
  // Bit for bit: template point 99 moved by (50, 0), turned by (23 pi) / 180 (not 23 (pi / 180), which differs in the
  // last bit) about (50, 0), then expanded about it.
  Random random;
  const BranchPassResult exact = Branch(line(101), fixedBranch(50, 23), random, 3);
  const double a = (23 * kPi) / 180;
  const double rx = std::cos(a) * 99 - std::sin(a) * 0 + 50;
  const double ry = std::sin(a) * 99 + std::cos(a) * 0 + 0;
  EXPECT_EQ(exact.curve.Points()[51], qCoord((rx - 50) * 0.333 + 50, (ry - 0) * 0.333 + 0));

  // Alternation off: every branch turns by the drawn angle. On: the first
  // branch attached (the last) turns against the drawn direction, clockwise
  // when the first fraction is 0.5 or more, and each next one the other way.
  // Consecutive seeds step the first fraction by about 0.03, so seeds 0..39
  // give fractions on both sides of 0.5.
  Settings s = fixedBranch(50, 30);
  s.BranchBranches = 5;
  for (bool flipFlop : {false, true}) {
    s.BranchAngleFlipFlop = flipFlop;
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
      const BranchPassResult pass = Branch(line(101), s, random, seed);
      std::int32_t expected = !flipFlop || Lcg{seed}.fraction() >= 0.5 ? 30 : -30;
      for (int j = 4; j >= 0; --j) {
        EXPECT_EQ(pass.branches[static_cast<std::size_t>(j)].angleDegrees, flipFlop ? -expected : expected)
            << seed << " " << j;
        if (flipFlop) expected = -expected;
      }
    }
  }
}

TEST(Branching, RandomNumbersAreDrawnInTheirOrder) {
  // The direction fraction, the branch points, the scales, then one angle
  // per branch from the last to the first; nothing more.
  const Settings s = test::settingsOf(
      "BranchBranches=3 BranchBranchPointMin=1 BranchBranchPointMax=100 BranchScaleFactorMin=10 "
      "BranchScaleFactorMax=90 BranchBranchAngleMin=-180 BranchBranchAngleMax=180 BranchScaleAsBranchPoint=0 "
      "RestrictBranching=0");
  for (std::uint32_t seed : {1u, 99u, 4000000000u}) {
    Lcg lcg{seed};
    std::int32_t d = lcg.fraction() >= 0.5 ? 1 : -1;
    std::int32_t points[3], scales[3];
    for (std::int32_t& p : points) p = lcg.range(1, 100);
    for (std::int32_t& v : scales) v = lcg.range(10, 90);

    Random random;
    const BranchPassResult pass = Branch(line(101), s, random, seed);
    std::int32_t count = 101;
    for (int j = 2; j >= 0; --j) {
      const BranchRecord& b = pass.branches[static_cast<std::size_t>(j)];
      EXPECT_EQ(b.point, points[j]);  // unsorted
      EXPECT_EQ(b.scale, scales[j] / 100.0);
      d = -d;
      EXPECT_EQ(b.angleDegrees, lcg.range(-180, 180) * d);
      // Looked up on the curve as it has grown so far.
      EXPECT_EQ(b.index, static_cast<std::int32_t>(std::floor((count - 1) * points[j] / 100.0)));
      EXPECT_EQ(b.splicedPoints, static_cast<std::int32_t>(std::floor(100 * b.scale)));
      count += b.splicedPoints;
    }
    EXPECT_EQ(pass.curve.GetLength(), count);
    EXPECT_EQ(random.state(), lcg.state) << seed;
  }
}

TEST(Branching, RestrictedBranchesAllStartOnTheUnbranchedCurve) {
  // Turned by 90 degrees, every branch point lies above the line, so the
  // line's own points can be told from the branches'. A reversed point range
  // (100 .. 1) is used as 1 .. 99.
  Settings s = fixedBranch(0, 90);
  test::setKeys(s,
                "BranchBranches=3 BranchBranchPointMin=100 BranchBranchPointMax=1 BranchScaleAsBranchPoint=0 "
                "BranchScaleFactorMin=50 BranchScaleFactorMax=50");
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    Random random;
    const BranchPassResult pass = Branch(line(101), s, random, seed);
    std::vector<std::int32_t> starts;
    for (const BranchRecord& b : pass.branches) {
      EXPECT_TRUE(b.point >= 1 && b.point <= 99) << b.point;
      EXPECT_EQ(b.index, b.point);  // point p of 101 is index p
      starts.push_back(b.index);
    }
    EXPECT_TRUE(std::is_sorted(starts.begin(), starts.end())) << seed;

    // Walk the result: the line comes back in order, and after line point i
    // follow 50 branch points per branch that starts at i, all above i.
    const std::vector<qCoord>& c = pass.curve.Points();
    std::size_t at = 0;
    for (std::int32_t i = 0; i <= 100; ++i) {
      ASSERT_LT(at, c.size());
      EXPECT_EQ(c[at++], qCoord(i, 0)) << seed;
      const auto runs = std::count(starts.begin(), starts.end(), i);
      for (int k = 0; k < 50 * runs; ++k, ++at) {
        ASSERT_LT(at, c.size());
        EXPECT_NEAR(c[at].X, i, 1e-12) << seed;
        EXPECT_GT(c[at].Y, 0) << seed;
      }
    }
    EXPECT_EQ(at, c.size()) << seed;
  }
}

TEST(Branching, BranchesStopAtSixThousandPoints) {
  // The first branch attached (the last point) adds floor(4501 * 0.333) =
  // 1498 points to 4502, reaching the limit; the other two are skipped,
  // drawing no angle.
  Settings s = fixedBranch(50, 30);
  test::setKeys(s, "BranchBranches=3 BranchAngleFlipFlop=1");
  Random random;
  const BranchPassResult pass = Branch(line(4502), s, random, 11);
  EXPECT_TRUE(pass.completed && pass.curve.GetLength() == 6000);
  EXPECT_TRUE(!pass.branches[2].skipped && pass.branches[1].skipped && pass.branches[0].skipped);
  EXPECT_EQ(pass.messages, std::vector<BranchMessage>(2, {Kind::Status, kTooManyPointsToBranch}));
  Lcg lcg{11};
  for (int i = 0; i < 5; ++i) lcg.advance();  // the fraction, three points, one angle
  EXPECT_EQ(random.state(), lcg.state);
}

TEST(Branching, AnOverflowingBranchEndsThePassAndKeepsEarlierBranches) {
  // Points 1..49 lie far out: a branch moved onto one of them overflows,
  // one moved onto a point near the start does not.
  qCurve curve;
  curve.AddPoint(0, 0);
  for (int i = 1; i < 50; ++i) curve.AddPoint(1.7e308, 0);
  for (int i = 50; i <= 100; ++i) curve.AddPoint(0, i);
  const Settings s = test::settingsOf("BranchBranches=2 BranchBranchPointMin=20 BranchBranchPointMax=80");
  // A seed whose sorted points put one branch on each part.
  std::uint32_t seed = 0;
  for (;; ++seed) {
    Lcg lcg{seed};
    lcg.fraction();
    const std::int32_t p0 = lcg.range(20, 80), p1 = lcg.range(20, 80);
    if (std::min(p0, p1) < 50 && std::max(p0, p1) >= 50) break;
  }
  Random random;
  const BranchPassResult pass = Branch(curve, s, random, seed);
  EXPECT_FALSE(pass.completed);
  ASSERT_EQ(pass.messages.size(), 1u);
  EXPECT_NE(pass.messages[0].text.find("branch 2 of 2"), std::string::npos) << pass.messages[0].text;
  EXPECT_GT(pass.branches[1].splicedPoints, 0);
  EXPECT_EQ(pass.curve.GetLength(), 101 + pass.branches[1].splicedPoints);
  for (const qCoord& p : pass.curve.Points()) EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
}

TEST(BranchCommand, CopiesBranchTheBranchesAndOneUndoGoesBack) {
  Settings s = test::settingsOf("BranchCopies=3 BranchBranches=2");
  const qCurve original = line(11);
  qCurve curve = original, undo;
  Random random;
  const BranchCommandResult r = branchCommand(curve, undo, s, random, BranchSeeds{500});
  EXPECT_TRUE(r.curveChanged && r.showCurve && r.messages.empty());
  // Three passes, each on the last one's result, seeded 500, 501, 502.
  qCurve expected = original;
  for (std::uint32_t seed = 500; seed < 503; ++seed) expected = Branch(expected, s, random, seed).curve;
  EXPECT_GT(expected.GetLength(), 11);
  EXPECT_TRUE(sameCurve(curve, expected));
  EXPECT_TRUE(sameCurve(undo, original));
  EXPECT_EQ(BranchSeeds{0xFFFFFFFFu}.forPass(2), 0u);  // the seeds wrap

  // No branches change no points, not even a Centre that a recount would change.
  test::setKeys(s, "BranchCopies=1 BranchBranches=0");
  curve.MoveBy(0, 1);
  const qCurve before = curve;
  EXPECT_TRUE(branchCommand(curve, undo, s, random, BranchSeeds{8}).curveChanged);  // a pass ran
  EXPECT_TRUE(sameCurve(curve, before));
  EXPECT_EQ(random.state(), 8u * 134775813u + 1u);  // only the direction was drawn
}

TEST(BranchCommand, CopiesStopAtSixThousandPointsWithTheCount) {
  Settings s;
  s.BranchCopies = 10;
  qCurve curve = line(5999), undo;
  Random random;
  // One pass runs and grows the curve past the limit; the nine after it are skipped.
  const BranchCommandResult r = branchCommand(curve, undo, s, random, BranchSeeds{1});
  EXPECT_TRUE(r.curveChanged && r.messages.size() == 9);
  EXPECT_TRUE(sameCurve(curve, Branch(line(5999), s, random, 1).curve) && sameCurve(undo, line(5999)));
  // Already at the limit: no pass runs, the undo copy is still taken.
  curve = line(6000);
  const BranchCommandResult none = branchCommand(curve, undo, s, random, BranchSeeds{1});
  EXPECT_TRUE(!none.curveChanged && none.showCurve && none.messages.size() == 10);
  EXPECT_TRUE(sameCurve(curve, line(6000)) && sameCurve(undo, line(6000)));
}

TEST(BranchCommand, BadInputIsRefusedAndChangesNothing) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  qCurve nans;
  for (int i = 0; i < 10; ++i) nans.AddPoint(kNaN, kNaN);
  qCurve infinite = line(10);
  infinite.GetPointI(4).X = std::numeric_limits<double>::infinity();
  Settings manyCopies;
  manyCopies.BranchCopies = 1000000000;

  const std::tuple<qCurve, Settings, Kind, std::string> cases[] = {{line(1), Settings{}, Kind::Status, kCurveNotSet},
                                                                   {nans, Settings{}, Kind::Box, "Point 0 "},
                                                                   {infinite, Settings{}, Kind::Box, "Point 4 "},
                                                                   {line(10), manyCopies, Kind::Box, "1000000000"}};
  for (const auto& [bad, settings, kind, mentions] : cases) {
    qCurve curve = bad, undo = line(2);
    Random random(3);
    const BranchCommandResult r = branchCommand(curve, undo, settings, random, BranchSeeds{1});
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].kind, kind);
    EXPECT_NE(r.messages[0].text.find(mentions), std::string::npos) << r.messages[0].text;
    EXPECT_FALSE(r.curveChanged || r.showCurve);
    EXPECT_TRUE(sameCurve(curve, bad) && sameCurve(undo, line(2)));
    // A pass on its own refuses the same way, drawing no number.
    const BranchPassResult pass = Branch(bad, settings, random, 9);
    EXPECT_TRUE(!pass.completed && pass.messages == r.messages && random.state() == 3);
  }
}

TEST(BranchCommand, UndoAndBranchAgainStartsFromTheCurveBeforeTheLastBranch) {
  Settings s;
  const qCurve original = line(21);
  qCurve curve = original, undo;
  Random random;
  branchCommand(curve, undo, s, random, BranchSeeds{1});
  const qCurve first = curve;

  // Only while a curve is shown in Set curve mode.
  for (auto [shown, setCurve] : {std::pair{false, true}, std::pair{true, false}}) {
    const BranchCommandResult none = undoAndBranchAgainCommand(curve, undo, shown, setCurve, s, random, BranchSeeds{2});
    EXPECT_TRUE(none.messages.empty() && !none.curveChanged && !none.showCurve);
    EXPECT_TRUE(sameCurve(curve, first) && sameCurve(undo, original));
  }

  const BranchCommandResult again = undoAndBranchAgainCommand(curve, undo, true, true, s, random, BranchSeeds{2});
  EXPECT_TRUE(again.curveChanged && again.showCurve);
  EXPECT_TRUE(sameCurve(curve, Branch(original, s, random, 2).curve) && sameCurve(undo, original));

  // With nothing to undo to, the exchange still happens and Branch finds no curve.
  MultiplierSlot slot;
  slot.curve = first;
  const BranchCommandResult unset = undoAndBranchAgainCommand(slot, true, true, s, random, BranchSeeds{3});
  EXPECT_EQ(unset.messages, (std::vector<BranchMessage>{{Kind::Status, kCurveNotSet}}));
  EXPECT_TRUE(unset.curveChanged && slot.curve.GetLength() == 0 && sameCurve(slot.undo, first));
}

}  // namespace
}  // namespace zorva
