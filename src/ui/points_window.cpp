#include "ui/points_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kFieldWidth = 62;
constexpr int kMinSpacing = 1, kMaxSpacing = 100;  // "Curve smoothing", in pixels

QGridLayout* tightGrid(QWidget* parent) {
  auto* grid = new QGridLayout(parent);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  return grid;
}

QRadioButton* radio(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QRadioButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}
}  // namespace

TformZorvaPoints::TformZorvaPoints(TForm1& main) : OptionWindow(main, Window::Points, "Points", 510, kUnfoldedHeight) {
  bodyLayout()->setSpacing(3);

  // ---- mouse mode ----
  auto* mode = new QGroupBox("Right mouse button", body());
  auto* modeRow = new QHBoxLayout(mode);
  modeRow->setContentsMargins(6, 2, 6, 4);
  rbSetRotatePoints = radio("rbSetRotatePoints", "Set rotate points", mode);
  rbSetPathPoints = radio("rbSetPathPoints", "Set path points", mode);
  rbDrawMultiplierBezier = radio("rbDrawMultiplierBezier", "Set curve", mode);
  auto* modes = new QButtonGroup(this);
  for (QRadioButton* b : {rbSetRotatePoints, rbSetPathPoints, rbDrawMultiplierBezier}) {
    modes->addButton(b);
    modeRow->addWidget(b);
  }
  connect(rbSetRotatePoints, &QRadioButton::clicked, this,
          [this] { this->main().setMouseMode(MouseMode::SetRotationPoints); });
  connect(rbSetPathPoints, &QRadioButton::clicked, this,
          [this] { this->main().setMouseMode(MouseMode::SetPathPoints); });
  connect(rbDrawMultiplierBezier, &QRadioButton::clicked, this,
          [this] { this->main().setMouseMode(MouseMode::DrawMultiplierBezier); });
  bodyLayout()->addWidget(mode);

  bodyLayout()->addWidget(buildRotationGroup());
  bodyLayout()->addWidget(buildPathGroup());
  bodyLayout()->addWidget(buildCurveGroup());

  // ---- start and end curves, freehand spacing ----
  auto* bottom = new QGridLayout;
  bottom->setContentsMargins(4, 0, 4, 0);
  bottom->setVerticalSpacing(2);
  Settings& s = settings();
  cbDrawWithStartAndEnd =
      makeCheckBox("cbDrawWithStartAndEnd", "Draw with Start and End curves?", &s.ZorvaPointsUseStartAndEndBezier);
  cbUseStartAsEnd = makeCheckBox("cbUseStartAsEnd", "Use Start curve as End curve?", &s.ZorvaPointsUseStartAsEnd);
  // A click also shows the main window's status for the switch.
  connect(cbDrawWithStartAndEnd, &QCheckBox::clicked, this,
          [this] { this->main().commands().drawWithStartAndEndBeziers->trigger(); });
  connect(cbUseStartAsEnd, &QCheckBox::clicked, this,
          [this] { this->main().commands().useStartBezierAsEndBezier->trigger(); });
  bottom->addWidget(cbDrawWithStartAndEnd, 0, 0, 1, 3);
  bottom->addWidget(cbUseStartAsEnd, 1, 0, 1, 3);
  tbBezierMouse = new QSlider(Qt::Horizontal, body());
  tbBezierMouse->setObjectName("tbBezierMouse");
  tbBezierMouse->setRange(kMinSpacing, kMaxSpacing);
  tbBezierMouse->setToolTip("Pixels between the points of a curve drawn with the mouse");
  labelBezierMouse = new QLabel(body());
  labelBezierMouse->setObjectName("labelBezierMouse");
  labelBezierMouse->setMinimumWidth(28);
  connect(tbBezierMouse, &QSlider::valueChanged, this, [this](int position) {
    settings().ZorvaPointsBezierMouse = position;
    labelBezierMouse->setNum(position);
  });
  bottom->addWidget(new QLabel("Curve smoothing", body()), 2, 0);
  bottom->addWidget(tbBezierMouse, 2, 1);
  bottom->addWidget(labelBezierMouse, 2, 2);
  bottom->setColumnStretch(1, 1);
  bodyLayout()->addLayout(bottom);
  bodyLayout()->addStretch(1);

  FormCreate();
}

// The rotation group and the path group differ only in their names, their
// settings and what the buttons reach.
struct TformZorvaPoints::PointPairLayout {
  std::array<std::pair<const char*, double*>, 4> fields;  // A x, A y, B x, B y
  std::array<ValueField**, 4> fieldMembers;
  std::array<std::pair<const char*, const char*>, 2> points;  // A and B: name, caption
  std::array<QRadioButton**, 2> pointMembers;
  std::pair<const char*, const char*> reset;
  QPushButton** resetMember;
  std::array<std::pair<const char*, const char*>, 3> choices;  // A to B, curve, mouse
  std::array<QRadioButton**, 3> choiceMembers;
  void (CanvasEditor::*startNext)(bool);
  void (TformZorvaPoints::*storeChoice)();
};

QGridLayout* TformZorvaPoints::buildPointPairGroup(QGroupBox* group, const PointPairLayout& pair) {
  auto* grid = tightGrid(group);
  std::array<ValueField*, 4> fields{};
  std::array<double*, 4> values{};
  for (std::size_t i = 0; i < 4; ++i) {
    values[i] = pair.fields[i].second;
    fields[i] = *pair.fieldMembers[i] = makeField(pair.fields[i].first, ValueKind::Real, values[i]);
    fields[i]->setParent(group);
    fields[i]->setFixedWidth(kFieldWidth);
  }
  auto* which = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    QRadioButton* point = *pair.pointMembers[i] = radio(pair.points[i].first, pair.points[i].second, group);
    point->setToolTip("The next right click on the picture sets this point");
    which->addButton(point);
    grid->addWidget(point, i, 0);
    grid->addWidget(fields[static_cast<std::size_t>(2 * i)], i, 1);
    grid->addWidget(fields[static_cast<std::size_t>(2 * i + 1)], i, 2);
  }
  connect(*pair.pointMembers[0], &QRadioButton::toggled, this,
          [this, startNext = pair.startNext](bool on) { (this->main().canvasEditor().*startNext)(on); });
  QPushButton* reset = *pair.resetMember = button(pair.reset.first, pair.reset.second, group);
  connect(reset, &QPushButton::clicked, this, [this, fields, values] { resetPoints(fields, values); });
  grid->addWidget(reset, 2, 1, 1, 2);

  auto* how = new QButtonGroup(this);
  for (int row = 0; row < 3; ++row) {
    QRadioButton* b = *pair.choiceMembers[static_cast<std::size_t>(row)] = radio(
        pair.choices[static_cast<std::size_t>(row)].first, pair.choices[static_cast<std::size_t>(row)].second, group);
    how->addButton(b);
    grid->addWidget(b, row, 3);
    connect(b, &QRadioButton::toggled, this, [this, store = pair.storeChoice] { (this->*store)(); });
  }
  grid->setColumnStretch(3, 1);
  return grid;
}

QWidget* TformZorvaPoints::buildRotationGroup() {
  Settings& s = settings();
  auto* group = new QGroupBox("Rotation points", body());
  QGridLayout* grid =
      buildPointPairGroup(group, {{{{"editRotateXStart", &s.ZorvaPointsRotateXStart},
                                    {"editRotateYStart", &s.ZorvaPointsRotateYStart},
                                    {"editRotateXEnd", &s.ZorvaPointsRotateXEnd},
                                    {"editRotateYEnd", &s.ZorvaPointsRotateYEnd}}},
                                  {&editRotateXStart, &editRotateYStart, &editRotateXEnd, &editRotateYEnd},
                                  {{{"rbRotateStart", "Rotate A"}, {"rbRotateEnd", "Rotate B"}}},
                                  {&rbRotateStart, &rbRotateEnd},
                                  {"btnResetRotate", "Reset Rotate points"},
                                  &btnResetRotate,
                                  {{{"rbStraightRotate", "Rotate goes from A to B"},
                                    {"rbUseBezierRotate", "Use Path curve for rotate"},
                                    {"rbFollowRotate", "Follow mouse pointer for rotate"}}},
                                  {&rbStraightRotate, &rbUseBezierRotate, &rbFollowRotate},
                                  &CanvasEditor::setRotateStartNext,
                                  &TformZorvaPoints::storeRotateChoice});
  cbMove = new QCheckBox("Use A and B?", group);
  cbMove->setObjectName("cbMove");
  // The menu's "Move rotation center between points?" follows the box.
  connect(cbMove, &QCheckBox::clicked, this, [this](bool checked) {
    QAction* move = this->main().commands().moveRotationCenter;
    move->setChecked(!checked);
    move->trigger();
  });
  grid->addWidget(cbMove, 2, 0);
  QWidget::setTabOrder(btnResetRotate, cbMove);  // as the grid reads
  return group;
}

QWidget* TformZorvaPoints::buildPathGroup() {
  Settings& s = settings();
  auto* group = new QGroupBox("Path points", body());
  buildPointPairGroup(group, {{{{"eXstart", &s.ZorvaPointsXStart},
                                {"eYstart", &s.ZorvaPointsYStart},
                                {"eXend", &s.ZorvaPointsXEnd},
                                {"eYend", &s.ZorvaPointsYEnd}}},
                              {&eXstart, &eYstart, &eXend, &eYend},
                              {{{"rbPathStart", "Path A"}, {"rbPathEnd", "Path B"}}},
                              {&rbPathStart, &rbPathEnd},
                              {"btnResetPath", "Reset"},
                              &btnResetPath,
                              {{{"rbStraightPath", "Path goes from A to B"},
                                {"rbUseBezier", "Use Path curve for path"},
                                {"rbFollow", "Follow mouse pointer for path"}}},
                              {&rbStraightPath, &rbUseBezier, &rbFollow},
                              &CanvasEditor::setPathStartNext,
                              &TformZorvaPoints::storePathChoice});
  return group;
}

QWidget* TformZorvaPoints::buildCurveGroup() {
  auto* group = new QGroupBox("Curves", body());
  auto* grid = tightGrid(group);
  Engine& e = engine();
  cbMultiplierBeziers = new QComboBox(group);
  cbMultiplierBeziers->setObjectName("cbMultiplierBeziers");
  for (const char* caption : kMultiplierCaptions) cbMultiplierBeziers->addItem(caption);
  cbMultiplierBeziers->setCurrentIndex(e.selectedSlot());
  connect(cbMultiplierBeziers, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0 || initialising_) return;
    engine().selectSlot(index);
    engine().showSlotCurve();
  });
  btnDrawMultiplier = button("btnDrawMultiplier", "Show curve", group);
  btnHideCurve = button("btnHideCurve", "Hide curve", group);
  btnClearMultiplier = button("btnClearMultiplier", "Reset curve", group);
  btnReverseCurve = button("btnReverseCurve", "Reverse", group);
  btnLoadBezier = button("btnLoadBezier", "Load curve", group);
  btnSaveBezier = button("btnSaveBezier", "Save curve", group);
  btnPasteCurve = button("btnPasteCurve", "Paste curve", group);
  cbDrawControlPoints = new QCheckBox("Show Control Points?", group);
  cbDrawControlPoints->setObjectName("cbDrawControlPoints");
  cbDrawControlPoints->setChecked(true);
  connect(btnDrawMultiplier, &QPushButton::clicked, this, [this] { engine().showSlotCurve(); });
  connect(btnHideCurve, &QPushButton::clicked, this, [this] { engine().hideCurve(); });
  connect(btnClearMultiplier, &QPushButton::clicked, this, [this] { engine().resetCurve(); });
  connect(btnReverseCurve, &QPushButton::clicked, this, [this] { engine().reverseCurve(); });
  connect(btnLoadBezier, &QPushButton::clicked, this, [this] { this->main().openCurveClick(); });
  connect(btnSaveBezier, &QPushButton::clicked, this, [this] { this->main().saveCurveClick(); });
  connect(btnPasteCurve, &QPushButton::clicked, this, [this] { this->main().pasteFromClipboardClick(); });
  connect(cbDrawControlPoints, &QCheckBox::clicked, this, [this](bool checked) {
    engine().setShowControlPoints(checked);
    engine().showSlotCurve();
  });
  grid->addWidget(cbMultiplierBeziers, 0, 0, 1, 2);
  grid->addWidget(btnDrawMultiplier, 0, 2);
  grid->addWidget(btnHideCurve, 0, 3);
  grid->addWidget(cbDrawControlPoints, 1, 0, 1, 2);
  grid->addWidget(btnClearMultiplier, 1, 2);
  grid->addWidget(btnReverseCurve, 1, 3);
  grid->addWidget(btnLoadBezier, 2, 1);
  grid->addWidget(btnSaveBezier, 2, 2);
  grid->addWidget(btnPasteCurve, 2, 3);
  return group;
}

void TformZorvaPoints::Init() {
  initialising_ = true;
  const Settings& s = settings();
  showFields();
  cbMove->setChecked(s.MoveRotation);
  cbDrawWithStartAndEnd->setChecked(s.ZorvaPointsUseStartAndEndBezier);
  cbUseStartAsEnd->setChecked(s.ZorvaPointsUseStartAsEnd);
  tbBezierMouse->setValue(std::clamp(s.ZorvaPointsBezierMouse, kMinSpacing, kMaxSpacing));
  // A position the bar already had sends no change: store and show it all the same.
  settings().ZorvaPointsBezierMouse = tbBezierMouse->value();
  labelBezierMouse->setNum(tbBezierMouse->value());
  showChoices();
  mouseModeChanged();
  engine().markDefinedSlots();
  for (int i = 0; i < kMultiplierCount; ++i) refreshSlot(i);
  cbMultiplierBeziers->setCurrentIndex(engine().selectedSlot());
  // At start-up "Hello" stays; after a load of settings the status is cleared.
  if (main().started()) main().Spammer("");
  initialising_ = false;
}

void TformZorvaPoints::showChoices() {
  const Settings& s = settings();
  // Follow wins over the path curve, which wins over the straight line, as
  // the drawing reads them.
  QRadioButton* rotate = s.ZorvaPointsFollowRotate      ? rbFollowRotate
                         : s.ZorvaPointsUseBezierRotate ? rbUseBezierRotate
                                                        : rbStraightRotate;
  QRadioButton* path = s.ZorvaPointsFollow ? rbFollow : s.ZorvaPointsUseBezier ? rbUseBezier : rbStraightPath;
  rotate->setChecked(true);
  path->setChecked(true);
  storeRotateChoice();
  storePathChoice();
  const CanvasEditor& editor = main().canvasEditor();
  (editor.rotateStartNext() ? rbRotateStart : rbRotateEnd)->setChecked(true);
  (editor.pathStartNext() ? rbPathStart : rbPathEnd)->setChecked(true);
}

void TformZorvaPoints::storeRotateChoice() {
  Settings& s = settings();
  s.ZorvaPointsStraightRotate = rbStraightRotate->isChecked();
  s.ZorvaPointsUseBezierRotate = rbUseBezierRotate->isChecked();
  s.ZorvaPointsFollowRotate = rbFollowRotate->isChecked();
}

void TformZorvaPoints::storePathChoice() {
  Settings& s = settings();
  s.ZorvaPointsStraightPath = rbStraightPath->isChecked();
  s.ZorvaPointsUseBezier = rbUseBezier->isChecked();
  s.ZorvaPointsFollow = rbFollow->isChecked();
}

void TformZorvaPoints::resetPoints(std::array<ValueField*, 4> fields, std::array<double*, 4> values) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    *values[i] = 0;
    fields[i]->showValue();
  }
}

std::array<QString, 4> TformZorvaPoints::rotationFieldTexts() const {
  return {editRotateXStart->text(), editRotateYStart->text(), editRotateXEnd->text(), editRotateYEnd->text()};
}

void TformZorvaPoints::mouseModeChanged() {
  const MouseMode mode = engine().mouseMode();
  QRadioButton* checked = mode == MouseMode::SetRotationPoints ? rbSetRotatePoints
                          : mode == MouseMode::SetPathPoints   ? rbSetPathPoints
                                                               : rbDrawMultiplierBezier;
  checked->setChecked(true);
  const bool curves = mode == MouseMode::DrawMultiplierBezier;
  for (QWidget* w :
       std::initializer_list<QWidget*>{cbMultiplierBeziers, btnDrawMultiplier, cbDrawControlPoints, btnClearMultiplier,
                                       btnHideCurve, btnReverseCurve, btnLoadBezier, btnSaveBezier, btnPasteCurve})
    w->setEnabled(curves);
}

void TformZorvaPoints::pointClicked(const PointClick& click) {
  std::array<ValueField*, 2> fields = click.pathPoint
                                          ? (click.pointA ? std::array{eXstart, eYstart} : std::array{eXend, eYend})
                                          : (click.pointA ? std::array{editRotateXStart, editRotateYStart}
                                                          : std::array{editRotateXEnd, editRotateYEnd});
  fields[0]->setProgramText(QString::fromStdString(click.x));
  fields[1]->setProgramText(QString::fromStdString(click.y));
  const CanvasEditor& editor = main().canvasEditor();
  (editor.rotateStartNext() ? rbRotateStart : rbRotateEnd)->setChecked(true);
  (editor.pathStartNext() ? rbPathStart : rbPathEnd)->setChecked(true);
}

void TformZorvaPoints::refreshSlot(int slot) {
  if (slot < 0 || slot >= kMultiplierCount) return;
  const QString caption = kMultiplierCaptions[static_cast<std::size_t>(slot)];
  cbMultiplierBeziers->setItemText(slot, engine().multiplierSlot(slot).marked ? "» " + caption : caption);
}

}  // namespace zorva
