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

  ValueField* editStartScale;
  ValueField* editEndScale;
  ValueField* editStartRadius;
  ValueField* editEndRadius;
  ValueField* editStartIota;
  ValueField* editEndIota;
  ValueField* editStartDepth;
  ValueField* editEndDepth;
  ValueField* editStartBumps;
  ValueField* editEndBumps;
  ValueField* editGrainStart;
  ValueField* editGrainEnd;
  ValueField* editGrainMultiplier;
  ValueField* editSteps;
  ValueField* editPercentToComplete;
  QCheckBox* cbTanBumps;
};

}  // namespace zorva
