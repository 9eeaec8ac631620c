// "Function": the drawing function (which also chooses the style) and the
// options of the step geometry: ellipse factors, Lissa delta, rocks, the
// splodge values and the inking switches.
#pragma once

#include <array>

#include "ui/option_window.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zorva {

class TformZorvaFunction : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 475;
  // "Line": the entry selected until SetFunctionRadio finds the current style.
  static constexpr int kFirstEntry = 2;
  static const std::array<const char*, 8> kCaptions;

  explicit TformZorvaFunction(TForm1& main);
  void Init() override;

  // Selects the entry of CurrentStyle without switching the style; any other
  // style name leaves the selection.
  void SetFunctionRadio();
  // Choosing entry index: stop a running drawing, set the Lissa delta
  // minimum, switch the style, then FunctionNumber := index.
  void rgFunctionsClick(int index);
  // The entry the radio group shows.
  int itemIndex() const;
  int lissaDeltaMinimum() const { return lissaMinimum_; }

  QGroupBox* rgFunctions;
  std::array<QRadioButton*, 8> functionButtons{};
  ValueField* editStartEllipseWidth;
  ValueField* editStartEllipseHeight;
  ValueField* editEndEllipseWidth;
  ValueField* editEndEllipseHeight;
  ValueField* editLissaDelta;
  QLabel* labelLissaRange;
  ValueField* editNumberOfRocks;
  ValueField* editStartRockerAmount;
  ValueField* editEndRockerAmount;
  ValueField* editSplodgeStartLimit;
  ValueField* editSplodgeEndLimit;
  ValueField* editFuzzyStart;
  ValueField* editFuzzyEnd;
  ValueField* editSplodgeStartCenter;
  ValueField* editSplodgeEndCenter;
  QLabel* labelIntensity;
  QLabel* labelCenter;
  QCheckBox* cb246splodge;
  QCheckBox* cb31;
  QCheckBox* cbEllipsesTwo;
  QCheckBox* cbRockOffsetInAnimation;
  QCheckBox* cbGrainAdjuster;
  QCheckBox* cbDimmer;
  QCheckBox* cbGrainByDepth;
  QCheckBox* cbUseIotaExtra;
  QCheckBox* cbUseArctan2;
  QCheckBox* cbInterpolateColors;
  QPushButton* Button2;  // "Redraw"

 private:
  // Stores "Use old inking" and greys out the fields it makes unused.
  void cb246splodgeClick();
  void setLissaDeltaMinimum(int minimum);

  QButtonGroup* functionGroup_;
  int lissaMinimum_ = 1;
};

}  // namespace zorva
