// The 32 multiplier slots: each a named curve with its working Bezier and
// an undo copy. The driver reads their values per step; curve editing,
// animation and branching work on their curves.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "curves/curve.h"

namespace zorva {

inline constexpr int kMultiplierCount = 32;
// Slot names as the curve chooser shows them (the stored names add quotes).
extern const std::array<const char*, kMultiplierCount> kMultiplierCaptions;

// Indexes of the slots the driver and the geometry read by name.
// clang-format off
enum Slot : int {
  kPathCurve = 0, kStartCurve = 1, kEndCurve = 2, kRadius = 3, kAngle = 4, kBumps = 5, kSmooth = 6,
  kGrain = 7, kStartX = 8, kStartY = 9, kEndX = 10, kEndY = 11, kLissaDelta = 12, kRocks = 13,
  kRocksStart = 14, kRocksEnd = 15, kStartRed = 16, kStartGreen = 17, kStartBlue = 18, kEndRed = 19,
  kEndGreen = 20, kEndBlue = 21, kThetaColor = 22, kStepColor = 23, kStartAmount = 24, kEndAmount = 25,
  kAnimStartPoint = 26, kAnimEndPoint = 27, kPlaneAngle = 28, kSplodgeSize = 29, kSplodgeIntensity = 30,
  kSplodgeCenter = 31,
};
// clang-format on

struct MultiplierSlot {
  qCurve curve;         // MultiplierCurves
  qBezier bezier;       // MultiplierBeziers
  qCurve undo;          // MultiplierUndoCurves
  std::string name;     // MultiplierNames: the caption in double quotes
  bool marked = false;  // listed as "» caption" in the Points window's curve chooser
};

// A slot's stored name: its caption in double quotes.
std::string quotedSlotName(int slot);

// The slot a user names: its caption as the curve chooser shows it (letter
// case ignored, e.g. "values - radius") or its index 0 .. 31.
std::optional<int> slotByName(std::string_view name);

}  // namespace zorva
