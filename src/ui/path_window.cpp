#include "ui/path_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kFieldWidth = 130;
constexpr const char* kTabs[4] = {"Hypotrochoid", "Circle", "Lissajous", "Epitrochoid"};
}  // namespace

TformZorvaPath::TformZorvaPath(TForm1& main) : OptionWindow(main, Window::Path, "Path", 390, kUnfoldedHeight) {
  Settings& s = settings();
  tabPath = new QTabBar(body());
  tabPath->setObjectName("tabPath");
  tabPath->setUsesScrollButtons(false);
  for (const char* caption : kTabs) tabPath->addTab(caption);
  panels = new QStackedWidget(body());
  panels->setObjectName("panels");

  panels->addWidget(buildPanel(PathShape::Hypotrochoid,
                               {{"a", "editPathHypotrochoidA", &s.PathHypotrochoidA, &editPathHypotrochoidA},
                                {"b", "editPathHypotrochoidB", &s.PathHypotrochoidB, &editPathHypotrochoidB},
                                {"h", "editPathHypotrochoidH", &s.PathHypotrochoidH, &editPathHypotrochoidH}},
                               "cbPathHypotrochoidClockwise", &s.PathHypotrochoidClockwise,
                               &cbPathHypotrochoidClockwise, "editPathHypotrochoidRotatedBy",
                               &s.PathHypotrochoidRotatedBy, &editPathHypotrochoidRotatedBy, "btnPathMakeHypotrochoid",
                               &btnPathMakeHypotrochoid));
  panels->addWidget(
      buildPanel(PathShape::Circle,
                 {{"Radius", "editPathCircleRadius", &s.PathCircleRadius, &editPathCircleRadius},
                  {"Bumps", "editPathCircleBumps", &s.PathCircleBumps, &editPathCircleBumps},
                  {"Amplitude", "editPathCircleAmplitude", &s.PathCircleAmplitude, &editPathCircleAmplitude}},
                 "cbPathCircleClockwise", &s.PathCircleClockwise, &cbPathCircleClockwise, "editPathCircleRotatedBy",
                 &s.PathCircleRotatedBy, &editPathCircleRotatedBy, "btnPathMakeCircle", &btnPathMakeCircle));
  panels->addWidget(buildPanel(
      PathShape::Lissajous,
      {{"x(t) = r1 * sin(omega1*t + delta1)", nullptr, nullptr, nullptr},
       {"r1", "editPathLissajousRadius1", &s.PathLissajousRadius1, &editPathLissajousRadius1},
       {"omega1", "editPathLissajousOmega1", &s.PathLissajousOmega1, &editPathLissajousOmega1},
       {"delta1", "editPathLissajousDelta1", &s.PathLissajousDelta1, &editPathLissajousDelta1},
       {"y(t) = r2 * sin(omega2*t + delta2)", nullptr, nullptr, nullptr},
       {"r2", "editPathLissajousRadius2", &s.PathLissajousRadius2, &editPathLissajousRadius2},
       {"omega2", "editPathLissajousOmega2", &s.PathLissajousOmega2, &editPathLissajousOmega2},
       {"delta2", "editPathLissajousDelta2", &s.PathLissajousDelta2, &editPathLissajousDelta2}},
      "cbPathLissajousClockwise", &s.PathLissajousClockwise, &cbPathLissajousClockwise, "editPathLissajousRotatedBy",
      &s.PathLissajousRotatedBy, &editPathLissajousRotatedBy, "btnPathMakeLissajous", &btnPathMakeLissajous));
  panels->addWidget(buildPanel(PathShape::Epitrochoid,
                               {{"a", "editPathEpitrochoidA", &s.PathEpitrochoidA, &editPathEpitrochoidA},
                                {"b", "editPathEpitrochoidB", &s.PathEpitrochoidB, &editPathEpitrochoidB},
                                {"h", "editPathEpitrochoidH", &s.PathEpitrochoidH, &editPathEpitrochoidH}},
                               "cbPathEpitrochoidClockwise", &s.PathEpitrochoidClockwise, &cbPathEpitrochoidClockwise,
                               "editPathEpitrochoidRotatedBy", &s.PathEpitrochoidRotatedBy,
                               &editPathEpitrochoidRotatedBy, "btnMakePathEpitrochoid", &btnMakePathEpitrochoid));
  connect(tabPath, &QTabBar::currentChanged, this, &TformZorvaPath::tabPathChange);
  bodyLayout()->addWidget(tabPath);
  bodyLayout()->addWidget(panels, 1);

  // ---- shared by the four shapes ----
  auto* shared = new QGridLayout;
  shared->setContentsMargins(4, 0, 4, 0);
  shared->setVerticalSpacing(2);
  editPathNumberOfPathSteps = makeField("editPathNumberOfPathSteps", ValueKind::Integer, &s.NumberOfPathSteps);
  editPathNumberOfPathSteps->setLimits({kMinPathSteps, kMaxPathSteps});
  editPathNumberOfPathSteps->setFixedWidth(kFieldWidth);
  editPathYOffset = makeField("editPathYOffset", ValueKind::Real, &s.PathYOffset);
  editPathYOffset->setFixedWidth(kFieldWidth);
  shared->addWidget(new QLabel("Number of path steps", body()), 0, 0);
  shared->addWidget(editPathNumberOfPathSteps, 0, 1);
  shared->addWidget(new QLabel("1 to 3000", body()), 0, 2);
  shared->addWidget(new QLabel("Y offset", body()), 1, 0);
  shared->addWidget(editPathYOffset, 1, 1);
  shared->setColumnStretch(2, 1);
  bodyLayout()->addLayout(shared);

  FormCreate();
}

QWidget* TformZorvaPath::buildPanel(PathShape shape, std::initializer_list<Input> inputs, const char* clockwiseName,
                                    bool* clockwise, QCheckBox** clockwiseBox, const char* rotatedName,
                                    double* rotatedBy, ValueField** rotatedField, const char* makeName,
                                    QPushButton** make) {
  auto* panel = new QWidget(body());
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setVerticalSpacing(4);
  int row = 0;
  for (const Input& input : inputs) {
    if (!input.name) {  // a caption over the rows that follow
      grid->addWidget(new QLabel(input.caption, panel), row++, 0, 1, 3);
      continue;
    }
    ValueField* field = makeField(input.name, ValueKind::Real, input.setting);
    field->setParent(panel);
    field->setFixedWidth(kFieldWidth);
    *input.field = field;
    grid->addWidget(new QLabel(input.caption, panel), row, 0);
    grid->addWidget(field, row++, 1);
  }
  *clockwiseBox = makeCheckBox(clockwiseName, "Clockwise?", clockwise);
  (*clockwiseBox)->setParent(panel);
  clockwiseBoxes_[static_cast<std::size_t>(shape)] = *clockwiseBox;
  grid->addWidget(*clockwiseBox, row++, 0, 1, 3);
  *rotatedField = makeField(rotatedName, ValueKind::Real, rotatedBy);
  (*rotatedField)->setParent(panel);
  (*rotatedField)->setFixedWidth(kFieldWidth);
  grid->addWidget(new QLabel("Rotated by", panel), row, 0);
  grid->addWidget(*rotatedField, row, 1);
  grid->addWidget(new QLabel("degrees", panel), row++, 2);
  *make = new QPushButton("Make path", panel);
  (*make)->setObjectName(makeName);
  connect(*make, &QPushButton::clicked, this, [this, shape] { makePathClick(shape); });
  grid->addWidget(*make, row++, 0, 1, 2, Qt::AlignLeft);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(2, 1);
  return panel;
}

void TformZorvaPath::Init() {
  const Settings& s = settings();
  showFields();
  const std::array<bool, 4> clockwise = {s.PathHypotrochoidClockwise, s.PathCircleClockwise, s.PathLissajousClockwise,
                                         s.PathEpitrochoidClockwise};
  for (std::size_t i = 0; i < clockwise.size(); ++i) clockwiseBoxes_[i]->setChecked(clockwise[i]);
  // A tab index no tab has shows the first.
  const int tab = s.PathTabIndex >= 0 && s.PathTabIndex < tabPath->count() ? s.PathTabIndex : 0;
  tabPath->setCurrentIndex(tab);
  tabPathChange(tab);
}

void TformZorvaPath::tabPathChange(int index) {
  if (index < 0) return;
  settings().PathTabIndex = index;
  panels->setCurrentIndex(index);
}

void TformZorvaPath::makePathClick(PathShape shape) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  engine().makePathCommand(shape);
  QApplication::restoreOverrideCursor();
}

}  // namespace zorva
