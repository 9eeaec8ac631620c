#include "ui/values_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kFieldChars = 5;
constexpr int kFieldWidth = 62;
}  // namespace

TformZorvaValues::TformZorvaValues(TForm1& main) : OptionWindow(main, Window::Values, "Values", 440, kUnfoldedHeight) {
  Settings& s = settings();
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(8);
  int row = 0;

  auto field = [&](const char* name, ValueKind kind, ValueField::Binding setting) {
    ValueField* f = makeField(name, kind, setting);
    f->setMaxChars(kFieldChars);
    f->setFixedWidth(kFieldWidth);
    return f;
  };
  auto integer = [&](const char* name, std::int32_t* setting, IntRange typing, IntRange drag) {
    ValueField* f = field(name, ValueKind::Integer, setting);
    f->setLimits(typing);
    f->setDragLimits(drag);
    return f;
  };
  // One row: caption and field, optionally a second caption and field, and a range label.
  auto addRow = [&](const char* caption1, ValueField* f1, const char* caption2, ValueField* f2, const char* range) {
    grid->addWidget(new QLabel(caption1, body()), row, 0);
    grid->addWidget(f1, row, 1);
    if (f2) {
      grid->addWidget(new QLabel(caption2, body()), row, 2);
      grid->addWidget(f2, row, 3);
    }
    if (range) grid->addWidget(new QLabel(range, body()), row, 4);
    ++row;
  };

  editStartScale = field("editStartScale", ValueKind::PositiveHundredths, &s.StartScale);
  editEndScale = field("editEndScale", ValueKind::PositiveHundredths, &s.EndScale);
  addRow("Start Scale", editStartScale, "End Scale", editEndScale, nullptr);

  editStartRadius = field("editStartRadius", ValueKind::Hundredths, &s.StartRadius);
  editEndRadius = field("editEndRadius", ValueKind::Hundredths, &s.EndRadius);
  addRow("Start radius", editStartRadius, "End radius", editEndRadius, nullptr);

  editStartIota = integer("editStartIota", &s.StartIota, {-3600, 3600}, {-3600, 3600});
  editEndIota = integer("editEndIota", &s.EndIota, {-3600, 3600}, {-3600, 3600});
  editStartIota->setToolTip("-3600 to 3600");
  addRow("Start Angle", editStartIota, "End Angle", editEndIota, "-3600 to 3600");

  editStartDepth = integer("editStartDepth", &s.StartDepth, {1, 50}, {1, 50});
  editEndDepth = integer("editEndDepth", &s.EndDepth, {1, 50}, {1, 50});
  editStartDepth->setToolTip("1 to 50");
  addRow("Start smooth", editStartDepth, "End smooth", editEndDepth, "1 to 50");

  editStartBumps = integer("editStartBumps", &s.StartBumps, {-180, 180}, {-180, 180});
  editEndBumps = integer("editEndBumps", &s.EndBumps, {-180, 180}, {-180, 180});
  editStartBumps->setToolTip("-180 to 180");
  addRow("Start Bumps", editStartBumps, "End Bumps", editEndBumps, "-180 to 180");

  editGrainStart = field("editGrainStart", ValueKind::PositiveReal, &s.StartGrain);
  editGrainEnd = field("editGrainEnd", ValueKind::PositiveReal, &s.EndGrain);
  editGrainStart->setToolTip("1 to 1000");
  addRow("Start Grain", editGrainStart, "End Grain", editGrainEnd, nullptr);

  editGrainMultiplier = integer("editGrainMultiplier", &s.GrainMultiplier, {1, 1000}, {1, 1000});
  addRow("Multiplier", editGrainMultiplier, nullptr, nullptr, "1 to 1000");

  // The label promises 60000; typing stops at 120000, dragging at 25000.
  editSteps = integer("editSteps", &s.Steps, {1, 120000}, {1, 25000});
  addRow("Steps", editSteps, nullptr, nullptr, "1 to 60000");

  editPercentToComplete = integer("editPercentToComplete", &s.PercentToComplete, {1, 100}, {1, 100});
  addRow("Draw (%)", editPercentToComplete, nullptr, nullptr, "1 to 100");

  cbTanBumps = new QCheckBox("tan bumps?", body());
  cbTanBumps->setObjectName("cbTanBumps");
  connect(cbTanBumps, &QCheckBox::toggled, this, [this](bool checked) { settings().TanBumps = checked; });
  grid->addWidget(cbTanBumps, row, 0, 1, 3);

  grid->setColumnStretch(5, 1);
  bodyLayout()->addLayout(grid);
  bodyLayout()->addStretch(1);
  FormCreate();
}

void TformZorvaValues::Init() {
  showFields();
  cbTanBumps->setChecked(settings().TanBumps);
}

}  // namespace zorva
