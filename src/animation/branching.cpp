#include "animation/branching.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/math_util.h"

namespace zorva {
namespace {

// Index of the first point that is not finite, -1 when all are.
std::int32_t firstNonFinitePoint(const qCurve& curve) {
  for (std::int32_t i = 0; i < curve.GetLength(); ++i)
    if (!std::isfinite(curve.GetXofI(i)) || !std::isfinite(curve.GetYofI(i))) return i;
  return -1;
}

// Why a curve cannot be branched with these settings, if it cannot.
std::optional<BranchMessage> refusal(const qCurve& curve, const Settings& s) {
  using Kind = BranchMessage::Kind;
  if (curve.GetLength() < 2) return BranchMessage{Kind::Status, kCurveNotSet};
  if (s.BranchCopies > kMaxBranchCopies)
    return BranchMessage{Kind::Box, "Number of copies is " + std::to_string(s.BranchCopies) + "; at most " +
                                        std::to_string(kMaxBranchCopies) + " can be made. Curve not branched."};
  if (s.BranchBranches > kMaxBranches)
    return BranchMessage{Kind::Box, "Number of branches is " + std::to_string(s.BranchBranches) + "; at most " +
                                        std::to_string(kMaxBranches) + " are allowed. Curve not branched."};
  if (const std::int32_t bad = firstNonFinitePoint(curve); bad >= 0)
    return BranchMessage{Kind::Box, "Point " + std::to_string(bad) +
                                        " of the curve is not a finite number, so the curve cannot be branched."};
  return std::nullopt;
}

}  // namespace

std::uint32_t BranchSeeds::forPass(std::int32_t pass) const {
  if (!base) return Random::clockSeed();
  return *base + static_cast<std::uint32_t>(pass) - 1u;  // wraps mod 2^32
}

BranchPassResult Branch(const qCurve& curve, const Settings& s, Random& random, std::uint32_t seed) {
  BranchPassResult result;
  result.curve = curve;  // worked on in place; Sum and Centre as they were
  if (std::optional<BranchMessage> refused = refusal(curve, s)) {
    result.completed = false;
    result.messages.push_back(std::move(*refused));
    return result;
  }
  qCurve& work = result.curve;

  random.seed(seed);
  // The fraction is drawn whether or not it is used.
  const double f = random.fraction();
  std::int32_t d = f >= 0.5 || !s.BranchAngleFlipFlop ? 1 : -1;

  qCurve branchTemplate;
  qCurve::CopyCurve(curve, branchTemplate);

  const std::int32_t n = std::max(s.BranchBranches, 0);
  std::vector<BranchRecord>& branch = result.branches;
  branch.resize(static_cast<std::size_t>(n));
  for (BranchRecord& b : branch) b.point = random.range(s.BranchBranchPointMin, s.BranchBranchPointMax);
  // Attaching from the last point backwards then never moves the points
  // still to come.
  if (s.RestrictBranching)
    std::sort(branch.begin(), branch.end(),
              [](const BranchRecord& x, const BranchRecord& y) { return x.point < y.point; });
  for (BranchRecord& b : branch) {
    if (s.BranchScaleAsBranchPoint)
      b.scale = (1 - b.point / 100.0) * 0.666;
    else
      b.scale = random.range(s.BranchScaleFactorMin, s.BranchScaleFactorMax) / 100.0;
    if (s.RestrictBranching) b.index = work.GetPointByPercentage(b.point);
  }

  qCurve scratch;
  for (std::int32_t j = n - 1; j >= 0; --j) {
    BranchRecord& b = branch[static_cast<std::size_t>(j)];
    // The curve may cross the limit during a pass; a skipped branch draws
    // nothing and does not turn the direction.
    if (work.GetLength() >= kBranchPointLimit) {
      b.skipped = true;
      result.messages.push_back({BranchMessage::Kind::Status, kTooManyPointsToBranch});
      continue;
    }
    // Unrestricted, a branch may start on a branch added earlier in the pass.
    if (!s.RestrictBranching) b.index = work.GetPointByPercentage(b.point);
    d = s.BranchAngleFlipFlop ? -d : 1;

    qCurve::CopyCurve(branchTemplate, scratch);
    qCurve::TranslateCurve(scratch, qCoord::Difference(work.GetPointI(b.index), scratch.GetPointI(0)));
    b.angleDegrees = wrapMul(random.range(s.BranchBranchAngleMin, s.BranchBranchAngleMax), d);
    const double angle = (b.angleDegrees * kPi) / 180;
    qCurve::RotateCurve(scratch, scratch.GetPointI(0), angle);
    qCurve::ExpandCurve(scratch, scratch.GetPointI(0), b.scale);

    if (const std::int32_t bad = firstNonFinitePoint(scratch); bad >= 0) {
      result.completed = false;
      result.messages.push_back({BranchMessage::Kind::Status, "Branching stopped: branch " + std::to_string(n - j) +
                                                                  " of " + std::to_string(n) +
                                                                  " would have points that are not finite numbers."});
      break;
    }
    const std::int32_t before = work.GetLength();
    qCurve::InsertCurve(work, scratch, b.index, s.BranchScaleControlPoints ? b.scale : 1.0);
    b.splicedPoints = work.GetLength() - before;
  }
  return result;
}

BranchCopiesResult branchCopies(const qCurve& curve, const Settings& s, Random& random, const BranchSeeds& seeds) {
  BranchCopiesResult result;
  if (std::optional<BranchMessage> refused = refusal(curve, s)) {
    result.messages.push_back(std::move(*refused));
    return result;
  }
  qCurve work = curve;
  for (std::int32_t pass = 1; pass <= s.BranchCopies; ++pass) {
    if (work.GetLength() >= kBranchPointLimit) {
      result.messages.push_back({BranchMessage::Kind::Box,
                                 std::string(kTooManyPointsToBranch) + ". (" + std::to_string(work.GetLength()) + ")"});
      continue;
    }
    BranchPassResult one = Branch(work, s, random, seeds.forPass(pass));
    for (BranchMessage& m : one.messages) result.messages.push_back(std::move(m));
    work = std::move(one.curve);
    ++result.passesRun;
  }
  result.curve = std::move(work);
  return result;
}

BranchCommandResult branchCommand(qCurve& curve, qCurve& undo, const Settings& s, Random& random,
                                  const BranchSeeds& seeds) {
  BranchCommandResult result;
  BranchCopiesResult copies = branchCopies(curve, s, random, seeds);
  result.messages = std::move(copies.messages);
  if (!copies.curve) return result;
  // One undo copy for the whole command, so one undo goes back before every copy.
  qCurve::CopyCurve(curve, undo);
  curve = std::move(*copies.curve);
  result.curveChanged = copies.passesRun > 0;
  result.showCurve = true;
  return result;
}

BranchCommandResult branchCommand(MultiplierSlot& slot, const Settings& s, Random& random, const BranchSeeds& seeds) {
  return branchCommand(slot.curve, slot.undo, s, random, seeds);
}

BranchCommandResult undoAndBranchAgainCommand(qCurve& curve, qCurve& undo, bool curveShown, bool setCurveMode,
                                              const Settings& s, Random& random, const BranchSeeds& seeds) {
  if (!curveShown || !setCurveMode) return {};
  // "Undo curve edit": the exchange goes through a scratch curve by CopyCurve.
  qCurve scratch;
  qCurve::CopyCurve(undo, scratch);
  qCurve::CopyCurve(curve, undo);
  qCurve::CopyCurve(scratch, curve);
  BranchCommandResult result = branchCommand(curve, undo, s, random, seeds);
  result.curveChanged = true;
  result.showCurve = true;
  return result;
}

BranchCommandResult undoAndBranchAgainCommand(MultiplierSlot& slot, bool curveShown, bool setCurveMode,
                                              const Settings& s, Random& random, const BranchSeeds& seeds) {
  return undoAndBranchAgainCommand(slot.curve, slot.undo, curveShown, setCurveMode, s, random, seeds);
}

}  // namespace zorva
