// "Values": radius, angle, smoothness, bumps, scale, grain and the number of
// steps of a drawing.
#pragma once

#include "ui/option_window.h"

class QCheckBox;

namespace zorva {

class TformZorvaValues : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 431;

  explicit TformZorvaValues(TForm1& main);
  void Init() override;

  ValueField *editStartScale, *editEndScale, *editStartRadius, *editEndRadius;
  ValueField *editStartIota, *editEndIota, *editStartDepth, *editEndDepth, *editStartBumps, *editEndBumps;
  ValueField *editGrainStart, *editGrainEnd, *editGrainMultiplier, *editSteps, *editPercentToComplete;
  QCheckBox* cbTanBumps;
};

}  // namespace zorva
