#include "animation/branching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "base/math_util.h"

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
  // factor on, floor(100 * 0.333) = 33 spliced points, the template's points
  // floor(k / 0.333) for k = 33 .. 1 (99 down to 3).
  const Settings s = fixedBranch(50, 0);
  Random random;
  const BranchPassResult pass = Branch(line(101), s, random, 7);
  ASSERT_TRUE(pass.completed);
  ASSERT_EQ(pass.branches.size(), 1u);
  const BranchRecord& b = pass.branches[0];
  EXPECT_EQ(b.point, 50);
  EXPECT_EQ(b.index, 50);
  EXPECT_EQ(b.scale, 0.333);
  EXPECT_EQ(b.splicedPoints, 33);
  EXPECT_TRUE(pass.messages.empty());

  const qCurve& c = pass.curve;
  ASSERT_EQ(c.GetLength(), 101 + 33);
  for (int i = 0; i <= 50; ++i) EXPECT_EQ(c.Points()[static_cast<std::size_t>(i)], qCoord(i, 0));
  for (int k = 33; k >= 1; --k) {
    // Moved onto point 50, not turned, shrunk by 0.333 about it.
    const double from = std::floor(k / 0.333);
    const qCoord& p = c.Points()[static_cast<std::size_t>(50 + 34 - k)];
    EXPECT_NEAR(p.X, 50 + 0.333 * from, 1e-12) << k;
    EXPECT_EQ(p.Y, 0);
  }
  EXPECT_NEAR(c.Points()[51].X, 50 + 0.333 * 99, 1e-12);
  EXPECT_NEAR(c.Points()[83].X, 50 + 0.333 * 3, 1e-12);
  for (int i = 51; i <= 100; ++i) EXPECT_EQ(c.Points()[static_cast<std::size_t>(i + 33)], qCoord(i, 0));

  // Without the point factor the whole template but its first point goes in.
  Settings whole = s;
  whole.BranchScaleControlPoints = false;
  EXPECT_EQ(Branch(line(101), whole, random, 7).branches[0].splicedPoints, 100);
}

TEST(Branching, BranchesTurnByTheDrawnAngle) {
  // Angle range 30..30: the branch's far end lies 30 degrees off the curve's
  // direction, anticlockwise with alternation off.
  Settings s = fixedBranch(50, 30);
  Random random;
  const BranchPassResult pass = Branch(line(101), s, random, 3);
  ASSERT_EQ(pass.branches[0].angleDegrees, 30);
  const qCoord& tip = pass.curve.Points()[51];
  EXPECT_NEAR(std::atan2(tip.Y, tip.X - 50), kPi / 6, 1e-12);
  EXPECT_NEAR(std::hypot(tip.Y, tip.X - 50), 0.333 * 99, 1e-9);
  // Bit for bit: template point 99 moved by (50, 0), turned by (23 pi) / 180
  // (not 23 (pi / 180), which differs in the last bit) about (50, 0), then
  // expanded about it.
  const BranchPassResult exact = Branch(line(101), fixedBranch(50, 23), random, 3);
  const double a = (23 * kPi) / 180;
  const double rx = std::cos(a) * 99 - std::sin(a) * 0 + 50;
  const double ry = std::sin(a) * 99 + std::cos(a) * 0 + 0;
  EXPECT_EQ(exact.curve.Points()[51], qCoord((rx - 50) * 0.333 + 50, (ry - 0) * 0.333 + 0));

  // With alternation on, the first branch turns against the drawn direction:
  // clockwise when the first fraction is 0.5 or more.
  // Consecutive seeds step the first fraction by about 0.03, so seeds 0..39
  // give fractions on both sides of 0.5.
  s.BranchAngleFlipFlop = true;
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    const double f = Lcg{seed}.fraction();
    const BranchPassResult alt = Branch(line(101), s, random, seed);
    EXPECT_EQ(alt.branches[0].angleDegrees, f >= 0.5 ? -30 : 30) << seed;
    const qCoord& t = alt.curve.Points()[51];
    EXPECT_NEAR(std::atan2(t.Y, t.X - 50), f >= 0.5 ? -kPi / 6 : kPi / 6, 1e-12) << seed;
  }
}

TEST(Branching, AlternationFlipsEveryBranch) {
  Settings s = fixedBranch(50, 30);
  s.BranchBranches = 5;
  for (bool flipFlop : {false, true}) {
    s.BranchAngleFlipFlop = flipFlop;
    int seen[2] = {0, 0};  // first signs seen, negative and positive
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
      Random random;
      const BranchPassResult pass = Branch(line(101), s, random, seed);
      // Branches are attached from the last to the first.
      for (int j = 4; j >= 0; --j) {
        const std::int32_t angle = pass.branches[static_cast<std::size_t>(j)].angleDegrees;
        EXPECT_EQ(std::abs(angle), 30);
        if (!flipFlop) {
          EXPECT_EQ(angle, 30);
        }
        if (flipFlop && j < 4) {
          EXPECT_EQ(angle, -pass.branches[static_cast<std::size_t>(j + 1)].angleDegrees);
        }
      }
      ++seen[pass.branches[4].angleDegrees > 0];
    }
    if (flipFlop) {  // the first sign is random
      EXPECT_GT(seen[0], 0);
      EXPECT_GT(seen[1], 0);
    }
  }
}

TEST(Branching, RandomNumbersAreDrawnInTheirOrder) {
  // The direction fraction, the branch points, the scales, then one angle
  // per branch from the last to the first; nothing more.
  Settings s;
  s.BranchBranches = 3;
  s.BranchBranchPointMin = 1, s.BranchBranchPointMax = 100;
  s.BranchScaleFactorMin = 10, s.BranchScaleFactorMax = 90;
  s.BranchBranchAngleMin = -180, s.BranchBranchAngleMax = 180;
  s.BranchScaleAsBranchPoint = false;
  s.RestrictBranching = false;
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
  // line's own points can be told from the branches'.
  Settings s = fixedBranch(0, 90);
  s.BranchBranches = 3;
  s.BranchBranchPointMin = 1, s.BranchBranchPointMax = 100;
  s.BranchScaleAsBranchPoint = false;
  s.BranchScaleFactorMin = s.BranchScaleFactorMax = 50;
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    Random random;
    const BranchPassResult pass = Branch(line(101), s, random, seed);
    std::vector<std::int32_t> starts;
    for (const BranchRecord& b : pass.branches) {
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

TEST(Branching, PointRangesGiveTheLowerBoundUpToBelowTheUpper) {
  // 15..85 gives 15..84; a reversed range 100..1 gives 1..99 and is used.
  struct Case {
    std::int32_t min, max, lowest, highest;
  };
  for (const Case& c : {Case{15, 85, 15, 84}, Case{100, 1, 1, 99}}) {
    Settings s;
    s.BranchBranches = 40;
    s.BranchBranchPointMin = c.min, s.BranchBranchPointMax = c.max;
    s.RestrictBranching = true;
    std::int32_t lowest = 1000, highest = -1000;
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
      Random random;
      const BranchPassResult pass = Branch(line(21), s, random, seed);
      ASSERT_TRUE(pass.completed);
      for (const BranchRecord& b : pass.branches) {
        lowest = std::min(lowest, b.point);
        highest = std::max(highest, b.point);
      }
    }
    EXPECT_EQ(lowest, c.lowest);
    EXPECT_EQ(highest, c.highest);
  }
}

TEST(Branching, BranchesStopAtSixThousandPoints) {
  // The first branch attached (the last point) adds 5989 points to 5990; the
  // other two are skipped, drawing no angle.
  Settings s = fixedBranch(50, 30);
  s.BranchBranches = 3;
  s.BranchScaleControlPoints = false;
  s.BranchAngleFlipFlop = true;
  Random random;
  const BranchPassResult pass = Branch(line(5990), s, random, 11);
  EXPECT_TRUE(pass.completed);
  EXPECT_EQ(pass.curve.GetLength(), 5990 + 5989);
  EXPECT_FALSE(pass.branches[2].skipped);
  EXPECT_TRUE(pass.branches[1].skipped);
  EXPECT_TRUE(pass.branches[0].skipped);
  EXPECT_EQ(pass.messages, (std::vector<BranchMessage>{{Kind::Status, "curve has too many points to branch"},
                                                       {Kind::Status, "curve has too many points to branch"}}));
  Lcg lcg{11};
  lcg.fraction();
  for (int j = 0; j < 3; ++j) lcg.range(50, 50);
  lcg.range(30, 30);
  EXPECT_EQ(random.state(), lcg.state);
}

TEST(Branching, ScaleAsBranchPointDrawsNoScales) {
  Settings s;
  s.BranchBranches = 4;
  for (bool asPoint : {true, false}) {
    s.BranchScaleAsBranchPoint = asPoint;
    Random random;
    const BranchPassResult pass = Branch(line(11), s, random, 5);
    Lcg lcg{5};
    lcg.fraction();
    for (int i = 0; i < (asPoint ? 8 : 12); ++i) lcg.advance();  // points, scales?, angles
    EXPECT_EQ(random.state(), lcg.state);
    if (asPoint) {
      for (const BranchRecord& b : pass.branches) EXPECT_EQ(b.scale, (1 - b.point / 100.0) * 0.666);
    }
  }
}

TEST(Branching, AnOverflowingBranchEndsThePassAndKeepsEarlierBranches) {
  // Points 1..49 lie far out: a branch moved onto one of them overflows,
  // one moved onto a point near the start does not.
  qCurve curve;
  curve.AddPoint(0, 0);
  for (int i = 1; i < 50; ++i) curve.AddPoint(1.7e308, 0);
  for (int i = 50; i <= 100; ++i) curve.AddPoint(0, i);
  Settings s;
  s.BranchBranches = 2;
  s.BranchBranchPointMin = 20, s.BranchBranchPointMax = 80;
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
  EXPECT_EQ(pass.messages[0].kind, Kind::Status);
  EXPECT_NE(pass.messages[0].text.find("branch 2 of 2"), std::string::npos) << pass.messages[0].text;
  EXPECT_GT(pass.branches[1].splicedPoints, 0);
  EXPECT_EQ(pass.curve.GetLength(), 101 + pass.branches[1].splicedPoints);
  for (const qCoord& p : pass.curve.Points()) EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
}

TEST(BranchCommand, TooFewPointsIsNotSet) {
  for (std::int32_t count : {0, 1}) {
    qCurve curve = line(count), undo = line(3);
    Random random(77);
    const BranchCommandResult r = branchCommand(curve, undo, Settings{}, random, BranchSeeds{1});
    EXPECT_EQ(r.messages, (std::vector<BranchMessage>{{Kind::Status, "curve not set"}}));
    EXPECT_FALSE(r.curveChanged);
    EXPECT_FALSE(r.showCurve);
    EXPECT_TRUE(sameCurve(curve, line(count)));
    EXPECT_TRUE(sameCurve(undo, line(3)));
    EXPECT_EQ(random.state(), 77u);
  }
}

TEST(BranchCommand, CopiesBranchTheBranchesAndOneUndoGoesBack) {
  Settings s;
  s.BranchCopies = 3;
  s.BranchBranches = 2;
  const qCurve original = line(11);
  qCurve curve = original, undo;
  Random random;
  const BranchCommandResult r = branchCommand(curve, undo, s, random, BranchSeeds{500});
  EXPECT_TRUE(r.curveChanged);
  EXPECT_TRUE(r.showCurve);
  EXPECT_TRUE(r.messages.empty());

  // Three passes, each on the last one's result, seeded 500, 501, 502.
  Random other;
  qCurve expected = original;
  for (std::uint32_t seed = 500; seed < 503; ++seed) expected = Branch(expected, s, other, seed).curve;
  EXPECT_GT(expected.GetLength(), 11);
  EXPECT_TRUE(sameCurve(curve, expected));
  EXPECT_TRUE(sameCurve(undo, original));
}

TEST(BranchCommand, PassSeedsCountEveryCopy) {
  EXPECT_EQ(BranchSeeds{5}.forPass(1), 5u);
  EXPECT_EQ(BranchSeeds{5}.forPass(3), 7u);
  EXPECT_EQ(BranchSeeds{0xFFFFFFFFu}.forPass(2), 0u);
}

TEST(BranchCommand, CopiesStopAtSixThousandPointsWithTheCount) {
  Settings s;
  s.BranchCopies = 10;
  const qCurve original = line(5999);
  qCurve curve = original, undo;
  Random random;
  const BranchCopiesResult copies = branchCopies(original, s, random, BranchSeeds{1});
  ASSERT_TRUE(copies.curve);
  EXPECT_EQ(copies.passesRun, 1);
  const std::int32_t grown = copies.curve->GetLength();
  EXPECT_GT(grown, 6000);
  const BranchMessage box{Kind::Box, "curve has too many points to branch. (" + std::to_string(grown) + ")"};
  EXPECT_EQ(copies.messages, std::vector<BranchMessage>(9, box));

  const BranchCommandResult r = branchCommand(curve, undo, s, random, BranchSeeds{1});
  EXPECT_EQ(r.messages, copies.messages);
  EXPECT_TRUE(sameCurve(curve, *copies.curve));
  EXPECT_TRUE(sameCurve(undo, original));

  // Already at the limit: no pass runs, the undo copy is still taken.
  qCurve full = line(6000), fullUndo;
  const BranchCommandResult none = branchCommand(full, fullUndo, s, random, BranchSeeds{1});
  EXPECT_EQ(none.messages, std::vector<BranchMessage>(10, {Kind::Box, "curve has too many points to branch. (6000)"}));
  EXPECT_FALSE(none.curveChanged);
  EXPECT_TRUE(none.showCurve);
  EXPECT_TRUE(sameCurve(full, line(6000)));
  EXPECT_TRUE(sameCurve(fullUndo, line(6000)));
}

TEST(BranchCommand, BadInputIsRefusedAndChangesNothing) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  qCurve nans;
  for (int i = 0; i < 10; ++i) nans.AddPoint(kNaN, kNaN);
  qCurve infinite = line(10);
  infinite.GetPointI(4).X = std::numeric_limits<double>::infinity();
  Settings manyBranches, manyCopies;
  manyBranches.BranchBranches = 1000000;
  manyCopies.BranchCopies = 1000000000;

  struct Case {
    qCurve curve;
    Settings settings;
    std::string mentions;
  };
  for (const Case& c : {Case{nans, Settings{}, "Point 0 "}, Case{infinite, Settings{}, "Point 4 "},
                        Case{line(10), manyBranches, "1000000"}, Case{line(10), manyCopies, "1000000000"}}) {
    qCurve curve = c.curve, undo = line(2);
    Random random(3);
    const BranchCommandResult r = branchCommand(curve, undo, c.settings, random, BranchSeeds{1});
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].kind, Kind::Box);
    EXPECT_NE(r.messages[0].text.find(c.mentions), std::string::npos) << r.messages[0].text;
    EXPECT_FALSE(r.curveChanged);
    EXPECT_FALSE(r.showCurve);
    EXPECT_TRUE(sameCurve(curve, c.curve));
    EXPECT_TRUE(sameCurve(undo, line(2)));
    EXPECT_EQ(random.state(), 3u);
    // A pass on its own refuses the same way.
    const BranchPassResult pass = Branch(c.curve, c.settings, random, 9);
    EXPECT_FALSE(pass.completed);
    EXPECT_EQ(pass.messages, r.messages);
    EXPECT_EQ(random.state(), 3u);
  }
}

TEST(BranchCommand, NoBranchesOrNoCopiesChangeNoPoints) {
  Settings s;
  s.BranchBranches = 0;
  qCurve curve = line(10), undo;
  curve.MoveBy(0, 1);  // a Centre that a recount would change
  const qCurve before = curve;
  Random random;
  BranchCommandResult r = branchCommand(curve, undo, s, random, BranchSeeds{8});
  EXPECT_TRUE(r.curveChanged);  // a pass ran and its Bezier is rebuilt
  EXPECT_TRUE(sameCurve(curve, before));
  EXPECT_EQ(random.state(), 8u * 134775813u + 1u);  // only the direction was drawn

  s.BranchBranches = 1;
  s.BranchCopies = 0;
  r = branchCommand(curve, undo, s, random, BranchSeeds{8});
  EXPECT_FALSE(r.curveChanged);
  EXPECT_TRUE(r.showCurve);
  EXPECT_TRUE(sameCurve(curve, before));
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
    EXPECT_TRUE(none.messages.empty());
    EXPECT_FALSE(none.curveChanged);
    EXPECT_FALSE(none.showCurve);
    EXPECT_TRUE(sameCurve(curve, first));
    EXPECT_TRUE(sameCurve(undo, original));
  }

  const BranchCommandResult again = undoAndBranchAgainCommand(curve, undo, true, true, s, random, BranchSeeds{2});
  EXPECT_TRUE(again.curveChanged);
  EXPECT_TRUE(again.showCurve);
  EXPECT_TRUE(sameCurve(curve, Branch(original, s, random, 2).curve));
  EXPECT_TRUE(sameCurve(undo, original));

  // With nothing to undo to, the exchange still happens and Branch finds no curve.
  MultiplierSlot slot;
  slot.curve = first;
  const BranchCommandResult unset = undoAndBranchAgainCommand(slot, true, true, s, random, BranchSeeds{3});
  EXPECT_EQ(unset.messages, (std::vector<BranchMessage>{{Kind::Status, "curve not set"}}));
  EXPECT_TRUE(unset.curveChanged);
  EXPECT_EQ(slot.curve.GetLength(), 0);
  EXPECT_TRUE(sameCurve(slot.undo, first));
}

}  // namespace
}  // namespace zorva
