// The values the driver works out for every step, and the step geometry for
// every point; the inking reads them. The engine owns one record and hands
// it on; windows and tests only read it.
#pragma once

#include <array>

#include "curves/multiplier_slots.h"
#include "render/frame_values.h"

namespace zorva {

struct StepValues {
  std::array<double, kMultiplierCount> MultiplierValues = [] {
    std::array<double, kMultiplierCount> m{};
    m.fill(1.0);
    return m;
  }();
  std::array<double, 3> StepColor{};   // red, green, blue of the step
  std::array<double, 3> StepAmount{};  // colour amount, the same for the three channels
  double CurrentScale = 2.0;
  double functionX = 1, functionY = 1;  // x and y factor of the function
  double functionValueX = 1, functionValueY = 1, lissa = 1;
  double displacementX = 0, displacementY = 0;  // point displacement of the animation
  double CurrentSourceThetaRepeat = 1, CurrentSourceStepRepeat = 1;
  double translationX = 0, translationY = 0, rotationCentreX = 0, rotationCentreY = 0, rotationAngle = 0;
  double CurrentSplodgeLimit = 2, CurrentFuzzy = 1, CurrentSplodgeCenter = 0;
  double RockerA = 0.25, RockerB = 0.25;
  std::array<double, kAnimatedOffsetCount> animatedOffsets{};  // current values of the animated offsets
  double DimmerFactor = 1.0;  // set by the step geometry when the dimmer or the grain adjustment is on
  double ZFactor = 1.0;       // the last point's shade
};

}  // namespace zorva
