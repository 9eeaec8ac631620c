#include "ui/function_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kFieldChars = 5;
constexpr int kFieldWidth = 56;
constexpr int kLissaMaximum = 20;
constexpr int kEllipsesEntry = 4;
}  // namespace

const std::array<const char*, 8> TformZorvaFunction::kCaptions = {"Sine Wobble", "Tan Thing", "Line", "Circles",
                                                                  "Ellipses",    "Lissajous", "Test", "plovk2716"};

TformZorvaFunction::TformZorvaFunction(TForm1& main)
    : OptionWindow(main, Window::Function, "Function", 450, kUnfoldedHeight) {
  Settings& s = settings();
  bodyLayout()->setSpacing(4);

  // ---- the functions: two columns, filled column by column ----
  rgFunctions = new QGroupBox("Functions", body());
  rgFunctions->setObjectName("rgFunctions");
  auto* functionGrid = new QGridLayout(rgFunctions);
  functionGrid->setContentsMargins(8, 2, 8, 4);
  functionGrid->setVerticalSpacing(0);
  functionGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 8; ++i) {
    auto* button = new QRadioButton(kCaptions[static_cast<std::size_t>(i)], rgFunctions);
    button->setObjectName(QString("rgFunctions_%1").arg(i));
    functionButtons[static_cast<std::size_t>(i)] = button;
    functionGroup_->addButton(button, i);
    functionGrid->addWidget(button, i % 4, i / 4);
  }
  functionButtons[kFirstEntry]->setChecked(true);
  // Only a user's click switches the style; selecting from code does not.
  connect(functionGroup_, &QButtonGroup::idClicked, this, &TformZorvaFunction::rgFunctionsClick);
  bodyLayout()->addWidget(rgFunctions);

  auto field = [&](const char* name, double* setting, bool drag) {
    ValueField* f = makeField(name, ValueKind::Real, setting);
    f->setMaxChars(kFieldChars);
    f->setFixedWidth(kFieldWidth);
    f->setDraggable(drag);
    return f;
  };
  auto label = [](const char* text, QWidget* parent) { return new QLabel(text, parent); };

  // ---- shape factors and Lissa delta; rocks beside them ----
  auto* shapeRow = new QHBoxLayout;
  auto* shape = new QGroupBox("Shape", body());
  auto* shapeGrid = new QGridLayout(shape);
  shapeGrid->setContentsMargins(8, 2, 8, 4);
  shapeGrid->setVerticalSpacing(2);
  editStartEllipseWidth = field("editStartEllipseWidth", &s.StartEllipseWidth, true);
  editStartEllipseHeight = field("editStartEllipseHeight", &s.StartEllipseHeight, true);
  editEndEllipseWidth = field("editEndEllipseWidth", &s.EndEllipseWidth, true);
  editEndEllipseHeight = field("editEndEllipseHeight", &s.EndEllipseHeight, true);
  shapeGrid->addWidget(label("Start x", shape), 0, 0);
  shapeGrid->addWidget(editStartEllipseWidth, 0, 1);
  shapeGrid->addWidget(label("Start y", shape), 0, 2);
  shapeGrid->addWidget(editStartEllipseHeight, 0, 3);
  shapeGrid->addWidget(label("End x", shape), 1, 0);
  shapeGrid->addWidget(editEndEllipseWidth, 1, 1);
  shapeGrid->addWidget(label("End y", shape), 1, 2);
  shapeGrid->addWidget(editEndEllipseHeight, 1, 3);

  editLissaDelta = makeField("editLissaDelta", ValueKind::Integer, &s.LissaDelta);
  editLissaDelta->setMaxChars(kFieldChars);
  editLissaDelta->setFixedWidth(kFieldWidth);
  labelLissaRange = new QLabel(shape);
  labelLissaRange->setObjectName("labelLissaRange");
  shapeGrid->addWidget(label("Lissa delta", shape), 2, 0);
  shapeGrid->addWidget(editLissaDelta, 2, 1);
  shapeGrid->addWidget(labelLissaRange, 2, 2, 1, 2);
  setLissaDeltaMinimum(1);
  shapeRow->addWidget(shape);

  auto* rocks = new QGroupBox("Rocks", body());
  auto* rocksGrid = new QGridLayout(rocks);
  rocksGrid->setContentsMargins(8, 2, 8, 4);
  rocksGrid->setVerticalSpacing(2);
  editNumberOfRocks = field("editNumberOfRocks", &s.NumberOfRocks, true);
  editStartRockerAmount = field("editStartRockerAmount", &s.StartRockerAmount, true);
  editEndRockerAmount = field("editEndRockerAmount", &s.EndRockerAmount, true);
  editStartRockerAmount->setToolTip("Degrees");
  editEndRockerAmount->setToolTip("Degrees");
  rocksGrid->addWidget(label("Rocks", rocks), 0, 0);
  rocksGrid->addWidget(editNumberOfRocks, 0, 1);
  rocksGrid->addWidget(label("Start", rocks), 1, 0);
  rocksGrid->addWidget(editStartRockerAmount, 1, 1);
  rocksGrid->addWidget(label("End", rocks), 2, 0);
  rocksGrid->addWidget(editEndRockerAmount, 2, 1);
  shapeRow->addWidget(rocks);
  bodyLayout()->addLayout(shapeRow);

  // ---- splodge: a column per value, a row for start and end ----
  auto* splodge = new QGroupBox("Splodge", body());
  auto* splodgeGrid = new QGridLayout(splodge);
  splodgeGrid->setContentsMargins(8, 2, 8, 4);
  splodgeGrid->setVerticalSpacing(2);
  editSplodgeStartLimit = field("editSplodgeStartLimit", &s.SplodgeStartLimit, false);
  editSplodgeEndLimit = field("editSplodgeEndLimit", &s.SplodgeEndLimit, false);
  editFuzzyStart = field("editFuzzyStart", &s.FuzzyStart, false);
  editFuzzyEnd = field("editFuzzyEnd", &s.FuzzyEnd, false);
  editSplodgeStartCenter = field("editSplodgeStartCenter", &s.SplodgeStartCenter, false);
  editSplodgeEndCenter = field("editSplodgeEndCenter", &s.SplodgeEndCenter, false);
  labelIntensity = label("intensity", splodge);
  labelIntensity->setObjectName("labelIntensity");
  labelCenter = label("center", splodge);
  labelCenter->setObjectName("labelCenter");
  splodgeGrid->addWidget(label("size", splodge), 0, 1);
  splodgeGrid->addWidget(labelIntensity, 0, 2);
  splodgeGrid->addWidget(labelCenter, 0, 3);
  splodgeGrid->addWidget(label("Start", splodge), 1, 0);
  splodgeGrid->addWidget(editSplodgeStartLimit, 1, 1);
  splodgeGrid->addWidget(editFuzzyStart, 1, 2);
  splodgeGrid->addWidget(editSplodgeStartCenter, 1, 3);
  splodgeGrid->addWidget(label("End", splodge), 2, 0);
  splodgeGrid->addWidget(editSplodgeEndLimit, 2, 1);
  splodgeGrid->addWidget(editFuzzyEnd, 2, 2);
  splodgeGrid->addWidget(editSplodgeEndCenter, 2, 3);
  cb246splodge = makeCheckBox("cb246splodge", "Use old inking", &s.BoolInk246);
  cb246splodge->setParent(splodge);
  connect(cb246splodge, &QCheckBox::toggled, this, &TformZorvaFunction::cb246splodgeClick);
  splodgeGrid->addWidget(cb246splodge, 2, 4);
  splodgeGrid->setColumnStretch(4, 1);
  splodgeGrid->setColumnMinimumWidth(4, 110);
  bodyLayout()->addWidget(splodge);

  // ---- switches, Redraw ----
  cb31 = makeCheckBox("cb31", "Use 031 style thing?", &s.Use31);
  cbEllipsesTwo = makeCheckBox("cbEllipsesTwo", "Use alternate Ellipses?", &s.EllipsesTwo);
  cbRockOffsetInAnimation =
      makeCheckBox("cbRockOffsetInAnimation", "Offset the rocks in animations?", &s.RockOffsetInAnimation);
  cbGrainAdjuster = makeCheckBox("cbGrainAdjuster", "Adjust grain?", &s.AdjustGrain);
  cbDimmer = makeCheckBox("cbDimmer", "Adjust dimmer?", &s.UseDimmer);
  cbGrainByDepth = makeCheckBox("cbGrainByDepth", "Adjust grain by bump depth?", &s.GrainByDepth);
  cbUseIotaExtra = makeCheckBox("cbUseIotaExtra", "Use random scatter?", &s.UseIotaExtra);
  // Not stored: the engine's working flag.
  cbUseArctan2 = new QCheckBox("Use arctan2?", body());
  cbUseArctan2->setObjectName("cbUseArctan2");
  connect(cbUseArctan2, &QCheckBox::toggled, this, [this](bool on) { engine().setUseArctan2(on); });
  cbInterpolateColors = makeCheckBox("cbInterpolateColors", "Normalise colors?", &s.InterpolateColors);
  Button2 = new QPushButton("Redraw", body());
  Button2->setObjectName("Button2");
  Button2->setToolTip("Draw the accumulated colours onto the picture again");
  connect(Button2, &QPushButton::clicked, this, [this] { engine().drawArrayOnImage(); });

  auto* switches = new QGridLayout;
  switches->setContentsMargins(4, 0, 4, 0);
  switches->setVerticalSpacing(2);
  const std::array<QWidget*, 10> cells = {
      cb31,         cbRockOffsetInAnimation, cbEllipsesTwo, cbGrainByDepth, cbGrainAdjuster, cbUseIotaExtra, cbDimmer,
      cbUseArctan2, cbInterpolateColors,     Button2};
  for (std::size_t i = 0; i < cells.size(); ++i)
    switches->addWidget(cells[i], static_cast<int>(i / 2), static_cast<int>(i % 2),
                        cells[i] == Button2 ? Qt::AlignLeft : Qt::Alignment());
  bodyLayout()->addLayout(switches);
  bodyLayout()->addStretch(1);

  SetFunctionRadio();
  FormCreate();
}

void TformZorvaFunction::Init() {
  showFields();
  const Settings& s = settings();
  cb246splodge->setChecked(s.BoolInk246);
  // The box may not have changed; the fields must follow it all the same.
  cb246splodgeClick();
  cb31->setChecked(s.Use31);
  cbEllipsesTwo->setChecked(s.EllipsesTwo);
  cbRockOffsetInAnimation->setChecked(s.RockOffsetInAnimation);
  cbGrainAdjuster->setChecked(s.AdjustGrain);
  cbDimmer->setChecked(s.UseDimmer);
  cbGrainByDepth->setChecked(s.GrainByDepth);
  cbUseIotaExtra->setChecked(s.UseIotaExtra);
  cbUseArctan2->setChecked(engine().toggles().useArctan2);
  cbInterpolateColors->setChecked(s.InterpolateColors);
}

void TformZorvaFunction::SetFunctionRadio() {
  for (std::size_t i = 0; i < kStyleNames.size(); ++i)
    if (engine().currentStyle() == kStyleNames[i]) functionButtons[i]->setChecked(true);
}

int TformZorvaFunction::itemIndex() const { return functionGroup_->checkedId(); }

void TformZorvaFunction::rgFunctionsClick(int index) {
  if (index < 0 || index >= static_cast<int>(kStyleNames.size())) return;
  // The style is about to change under the drawing: stop it as Stop does.
  if (engine().isDrawing()) engine().requestStop();
  setLissaDeltaMinimum(index == kEllipsesEntry ? 0 : 1);
  engine().StyleChanger(kStyleNames[static_cast<std::size_t>(index)]);
  // The choice wins over the FunctionNumber the new style section held.
  settings().FunctionNumber = index;
}

void TformZorvaFunction::setLissaDeltaMinimum(int minimum) {
  lissaMinimum_ = minimum;
  editLissaDelta->setLimits({minimum, kLissaMaximum});
  editLissaDelta->setDragLimits({minimum, kLissaMaximum});
  labelLissaRange->setText(QString("%1 to %2").arg(minimum).arg(kLissaMaximum));
}

void TformZorvaFunction::cb246splodgeClick() {
  const bool old = cb246splodge->isChecked();
  settings().BoolInk246 = old;
  // The old inking has no intensity and no center.
  for (QWidget* w : std::initializer_list<QWidget*>{editFuzzyStart, editFuzzyEnd, editSplodgeStartCenter,
                                                    editSplodgeEndCenter, labelIntensity, labelCenter})
    w->setEnabled(!old);
}

}  // namespace zorva
