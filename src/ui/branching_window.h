// "Branching": the random ranges that grow the curve chosen in the Points
// window into a tree, and the two commands that do it.
#pragma once

#include "ui/option_window.h"

class QCheckBox;
class QPushButton;

namespace zorva {

struct BranchCommandResult;

class TformZorvaBranching : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 367;

  explicit TformZorvaBranching(TForm1& main);
  void Init() override;

  // "Branch": the chosen curve, BranchCopies passes, one undo copy.
  void btnBranchClick();
  // "Undo and branch again": while a curve is shown in Set curve mode, the
  // last curve edit undone and the curve branched afresh.
  void btnUndoAndBranchAgainClick();
  // The Points window turned curve editing on (both buttons enabled) or off
  // ("Undo and branch again" disabled, "Branch" left as it is).
  void curveEditingChanged(bool on);

  ValueField* eCopies;
  ValueField* eBranches;
  ValueField* eMinBranchPoint;
  ValueField* eMaxBranchPoint;
  ValueField* eMinScaleFactor;
  ValueField* eMaxScaleFactor;
  ValueField* eMinBranchAngle;
  ValueField* eMaxBranchAngle;
  QCheckBox* cbScaleControlPoints;
  QCheckBox* cbAngleFlipFlop;
  QCheckBox* cbScaleAsBranchPoint;
  QCheckBox* cbRestrictBranching;
  QCheckBox* cbHorizontalFlip;  // never shown, never used
  QCheckBox* cbCurlBranches;    // never shown, never used
  QPushButton* btnBranch;
  QPushButton* btnUndoAndBranchAgain;

 private:
  // Messages to the status bar and message boxes, then the slot's Bezier and
  // the curve on the picture as the command asks.
  void finish(const BranchCommandResult& result);

  bool unusedFlag_ = false;
};

}  // namespace zorva
