#include "ui/branching_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "animation/branching.h"
#include "ui/main_window.h"

namespace zorva {

namespace {

// The hourglass while a command works.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TformZorvaBranching::TformZorvaBranching(TForm1& main)
    : OptionWindow(main, Window::Branches, "Branching", 270, kUnfoldedHeight) {
  Settings& s = settings();
  auto integer = [&](const char* name, std::int32_t* setting, IntRange limits) {
    ValueField* f = makeField(name, ValueKind::Integer, setting);
    f->setLimits(limits);
    f->setDraggable(false);
    f->setFixedWidth(50);
    return f;
  };
  eCopies = integer("eCopies", &s.BranchCopies, {1, kMaxBranchCopies});
  eBranches = integer("eBranches", &s.BranchBranches, {1, kMaxBranches});
  eMinBranchPoint = integer("eMinBranchPoint", &s.BranchBranchPointMin, {1, 100});
  eMaxBranchPoint = integer("eMaxBranchPoint", &s.BranchBranchPointMax, {1, 100});
  eMinScaleFactor = integer("eMinScaleFactor", &s.BranchScaleFactorMin, {0, 100});
  eMaxScaleFactor = integer("eMaxScaleFactor", &s.BranchScaleFactorMax, {0, 100});
  eMinBranchAngle = integer("eMinBranchAngle", &s.BranchBranchAngleMin, {-180, 180});
  eMaxBranchAngle = integer("eMaxBranchAngle", &s.BranchBranchAngleMax, {-180, 180});

  auto* counts = new QGridLayout;
  counts->addWidget(new QLabel("Number of copies", body()), 0, 0);
  counts->addWidget(eCopies, 0, 1);
  counts->addWidget(new QLabel("Number of branches", body()), 1, 0);
  counts->addWidget(eBranches, 1, 1);
  counts->setColumnStretch(2, 1);
  bodyLayout()->addLayout(counts);
  // A range: "Min:" and "Max:" fields under the range's caption.
  auto range = [&](const char* caption, ValueField* min, ValueField* max) {
    auto* box = new QGroupBox(caption, body());
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    row->addWidget(new QLabel("Min:", box));
    row->addWidget(min);
    row->addSpacing(12);
    row->addWidget(new QLabel("Max:", box));
    row->addWidget(max);
    row->addStretch(1);
    bodyLayout()->addWidget(box);
  };
  range("Distance along curve to branch (%)", eMinBranchPoint, eMaxBranchPoint);
  range("Scale factor (%)", eMinScaleFactor, eMaxScaleFactor);
  range("Branching angle (degrees)", eMinBranchAngle, eMaxBranchAngle);

  cbScaleControlPoints =
      makeCheckBox("cbScaleControlPoints", "Scale number of control points?", &s.BranchScaleControlPoints);
  cbScaleControlPoints->setToolTip(
      "Each branch consists of a number of control points proportionate to the scale factor of the branch");
  cbAngleFlipFlop = makeCheckBox("cbAngleFlipFlop", "Alternate anti/clockwise?", &s.BranchAngleFlipFlop);
  cbScaleAsBranchPoint =
      makeCheckBox("cbScaleAsBranchPoint", "Scale factor as branch point?", &s.BranchScaleAsBranchPoint);
  cbScaleAsBranchPoint->setToolTip(
      "Override the scale factor, and scale proportionately to how far along the curve the branch is");
  cbRestrictBranching = makeCheckBox("cbRestrictBranching", "Restrict branching?", &s.RestrictBranching);
  cbRestrictBranching->setToolTip("All branches branch from the same curve");
  cbHorizontalFlip = makeCheckBox("cbHorizontalFlip", "Flip horizontally if negative angle?", &unusedFlag_);
  cbCurlBranches = makeCheckBox("cbCurlBranches", "Curl branches?", &unusedFlag_);
  for (QCheckBox* box : {cbScaleControlPoints, cbAngleFlipFlop, cbScaleAsBranchPoint, cbRestrictBranching})
    bodyLayout()->addWidget(box);
  for (QCheckBox* box : {cbHorizontalFlip, cbCurlBranches}) {
    box->setEnabled(false);
    box->hide();
  }

  auto* buttons = new QHBoxLayout;
  btnBranch = new QPushButton("Branch", body());
  btnBranch->setObjectName("btnBranch");
  btnUndoAndBranchAgain = new QPushButton("Undo and branch again", body());
  btnUndoAndBranchAgain->setObjectName("btnUndoAndBranchAgain");
  // Both wait for the Points window's "Set curve".
  btnBranch->setEnabled(false);
  btnUndoAndBranchAgain->setEnabled(false);
  buttons->addWidget(btnBranch);
  buttons->addWidget(btnUndoAndBranchAgain);
  buttons->addStretch(1);
  bodyLayout()->addLayout(buttons);
  bodyLayout()->addStretch(1);
  connect(btnBranch, &QPushButton::clicked, this, &TformZorvaBranching::btnBranchClick);
  connect(btnUndoAndBranchAgain, &QPushButton::clicked, this, &TformZorvaBranching::btnUndoAndBranchAgainClick);
  FormCreate();
}

void TformZorvaBranching::Init() {
  const Settings& s = settings();
  showFields();
  cbScaleControlPoints->setChecked(s.BranchScaleControlPoints);
  cbAngleFlipFlop->setChecked(s.BranchAngleFlipFlop);
  cbScaleAsBranchPoint->setChecked(s.BranchScaleAsBranchPoint);
  cbRestrictBranching->setChecked(s.RestrictBranching);
}

void TformZorvaBranching::btnBranchClick() {
  const int slot = engine().selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  BranchCommandResult result;
  {
    BusyCursor busy;
    result = branchCommand(engine().multiplierSlot(slot), settings(), engine().random(), BranchSeeds{});
  }
  finish(result);
}

void TformZorvaBranching::btnUndoAndBranchAgainClick() {
  const int slot = engine().selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  BranchCommandResult result;
  {
    BusyCursor busy;
    result = undoAndBranchAgainCommand(engine().multiplierSlot(slot), engine().curveShown(), engine().curveSelected(),
                                       settings(), engine().random(), BranchSeeds{});
  }
  finish(result);
}

void TformZorvaBranching::finish(const BranchCommandResult& result) {
  Host& host = engine().host();
  for (const BranchMessage& m : result.messages) {
    if (m.kind == BranchMessage::Kind::Box)
      host.message(m.text, MessageKind::Information);
    else
      host.status(m.text);
  }
  if (result.curveChanged) engine().SetUpBezier(999);
  if (result.showCurve) engine().showSlotCurve();
}

void TformZorvaBranching::curveEditingChanged(bool on) {
  if (on) btnBranch->setEnabled(true);
  btnUndoAndBranchAgain->setEnabled(on);
}

}  // namespace zorva
