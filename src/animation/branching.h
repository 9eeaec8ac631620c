// Branching: grows a curve into a tree. Each pass picks random places along
// the curve and splices a rotated, scaled copy of the whole curve in after
// each of them, so the result is still one polyline.
//
// Nothing here shows anything or touches an engine: the functions take the
// curve, the settings and the generator, and return the new curve and the
// messages in the order they arise. The caller shows the messages, rebuilds
// the slot's Bezier and shows the curve when the result says so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/random.h"
#include "curves/curve.h"
#include "curves/multiplier_slots.h"
#include "settings/settings.h"

namespace zorva {

// A curve with this many points or more is not branched further.
inline constexpr std::int32_t kBranchPointLimit = 6000;
// The Branching window's upper limits; a settings file asking for more is
// refused with a message rather than left to exhaust time or memory.
inline constexpr std::int32_t kMaxBranchCopies = 10;
inline constexpr std::int32_t kMaxBranches = 40;

inline constexpr const char* kCurveNotSet = "curve not set";
inline constexpr const char* kTooManyPointsToBranch = "curve has too many points to branch";

struct BranchMessage {
  enum class Kind {
    Status,  // status-bar text
    Box,     // message box
  };
  Kind kind = Kind::Status;
  std::string text;
  friend bool operator==(const BranchMessage&, const BranchMessage&) = default;
};

// Where each pass of a command takes its seed: pass p (1-based, counting
// every copy of BranchCopies, run or skipped) is seeded with
// (base + p - 1) mod 2^32 when a base is given (zorva-render's --seed), else
// from the clock when the pass starts.
struct BranchSeeds {
  std::optional<std::uint32_t> base;
  std::uint32_t forPass(std::int32_t pass) const;
};

// One branch of a pass, j = 0 .. BranchBranches - 1, for callers and tests.
struct BranchRecord {
  std::int32_t point = 0;         // whole percentage along the curve (sorted when restricted)
  double scale = 0;               // expansion of the copy and, optionally, its point factor
  std::int32_t index = -1;        // the curve point it starts on; -1 when skipped unrestricted
  bool skipped = false;           // the curve had reached kBranchPointLimit points
  std::int32_t angleDegrees = 0;  // RandomRange(min, max) times the direction
  std::int32_t splicedPoints = 0;
};

struct BranchPassResult {
  qCurve curve;  // the branched curve; the input as it was when refused
  std::vector<BranchRecord> branches;
  std::vector<BranchMessage> messages;
  bool completed = true;  // false when refused or ended early by an error
};

// One branching pass (`Branch`): reseeds `random` with `seed`, draws the
// direction fraction, the branch points, the scales (unless
// BranchScaleAsBranchPoint) and one angle per branch from the last branch to
// the first, and splices the branches in. Refused, with the curve unchanged
// and nothing drawn, for fewer than 2 points, a point that is not finite or
// counts beyond the window's limits. A branch whose points would not be
// finite ends the pass; the branches before it stay.
BranchPassResult Branch(const qCurve& curve, const Settings& settings, Random& random, std::uint32_t seed);

struct BranchCopiesResult {
  std::optional<qCurve> curve;  // nullopt: refused, nothing is to change
  std::int32_t passesRun = 0;   // copies not skipped for the point limit
  std::vector<BranchMessage> messages;
};

// The computing part of "Branch": BranchCopies passes, each on the result of
// the one before; a copy that finds kBranchPointLimit points or more is
// skipped with a message box that gives the count.
BranchCopiesResult branchCopies(const qCurve& curve, const Settings& settings, Random& random,
                                const BranchSeeds& seeds);

struct BranchCommandResult {
  bool curveChanged = false;  // rebuild the slot's Bezier (SetUpBezier(999))
  bool showCurve = false;     // then show the slot's curve ("Show curve")
  std::vector<BranchMessage> messages;
};

// "Branch" on a slot's curve and its undo copy: when not refused, the undo
// copy becomes the curve as it was (once per command, however many copies)
// and the curve becomes the branched one.
BranchCommandResult branchCommand(qCurve& curve, qCurve& undo, const Settings& settings, Random& random,
                                  const BranchSeeds& seeds);
BranchCommandResult branchCommand(MultiplierSlot& slot, const Settings& settings, Random& random,
                                  const BranchSeeds& seeds);

// "Undo and branch again": only while a curve is shown and the Points window
// is in Set curve mode (otherwise nothing happens): the curve and its undo
// copy are exchanged ("Undo curve edit"), then "Branch" runs.
BranchCommandResult undoAndBranchAgainCommand(qCurve& curve, qCurve& undo, bool curveShown, bool setCurveMode,
                                              const Settings& settings, Random& random, const BranchSeeds& seeds);
BranchCommandResult undoAndBranchAgainCommand(MultiplierSlot& slot, bool curveShown, bool setCurveMode,
                                              const Settings& settings, Random& random, const BranchSeeds& seeds);

}  // namespace zorva
