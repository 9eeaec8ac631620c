#include "ui/animation_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kWidth = 860;
constexpr int kFieldWidth = 52;
constexpr int kOffsetMaximum = 100;
const QColor kTeal(0, 128, 128);

// The captions of the sixteen values, in the order of Wave.
constexpr std::array<const char*, kWaveCount> kWaveCaptions = {"Radius",
                                                               "Angle",
                                                               "Bumps",
                                                               "Smooth",
                                                               "Function - x",
                                                               "Function - y",
                                                               "Rocks",
                                                               "Source image repeat per step",
                                                               "Source image repeat overall",
                                                               "Source image offset per step",
                                                               "Source image offset overall",
                                                               "Plane - Translation X",
                                                               "Plane - Translation Y",
                                                               "Plane - Center of Rotation X",
                                                               "Plane - Center of Rotation Y",
                                                               "Plane - Angle of Rotation"};
constexpr std::array<const char*, 3> kFormNames = {"Sine", "Linear", "LinearReturn"};

QSlider* makeSlider(QWidget* parent, const char* name, int lo, int hi, int value) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(name);
  slider->setRange(lo, hi);
  slider->setValue(value);
  return slider;
}

QLabel* makeNumberLabel(QWidget* parent, const char* name, int value) {
  auto* label = new QLabel(QString::number(value), parent);
  label->setObjectName(name);
  label->setMinimumWidth(34);
  return label;
}
}  // namespace

// ---- the fields -------------------------------------------------------------------

AnimationField::AnimationField(FieldOps& ops, double* setting, QWidget* parent)
    : QLineEdit(parent), ops_(ops), setting_(setting) {
  setFixedWidth(kFieldWidth);
  connect(this, &QLineEdit::textChanged, this, [this] { ops_.editFieldNumberChange(this, *setting_); });
}

void AnimationField::showValue() { ops_.editFieldRealDoubleSet(this, *setting_); }

// ---- construction -------------------------------------------------------------------

TformZorvaAnimation::TformZorvaAnimation(TForm1& main)
    : OptionWindow(main, Window::Animation, "Animation", kWidth, kUnfoldedHeight), animation_(main.engine()) {
  bodyLayout()->setSpacing(4);
  bodyLayout()->addWidget(buildFrameControls());
  bodyLayout()->addWidget(buildWaves());
  bodyLayout()->addWidget(buildMainPath());
  bodyLayout()->addStretch(1);

  animation_.onFrame = [this](std::int32_t f) {
    lblFrame->setText(QString::number(f));
    lblFrame->repaint();
    pbFrames->setValue(f);
  };
  setFrameLabelMaking(false);
  FormCreate();
  commandStateChanged();
}

QWidget* TformZorvaAnimation::buildFrameControls() {
  auto* box = new QWidget(body());
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);

  tbFrames = makeSlider(box, "tbFrames", 1, kMaxFrames, 10);
  lblFrames = makeNumberLabel(box, "lblFrames", 10);
  connect(tbFrames, &QSlider::valueChanged, this, &TformZorvaAnimation::tbFramesChange);
  grid->addWidget(new QLabel("Frames", box), 0, 0);
  grid->addWidget(tbFrames, 0, 1);
  grid->addWidget(lblFrames, 0, 2);

  tbStartFrame = makeSlider(box, "tbStartFrame", 1, kMaxFrames, 1);
  lblStartFrame = makeNumberLabel(box, "lblStartFrame", 1);
  connect(tbStartFrame, &QSlider::valueChanged, this, [this](int value) {
    animation_.controls.startFrame = value;
    lblStartFrame->setText(QString::number(value));
  });
  grid->addWidget(new QLabel("Start", box), 1, 0);
  grid->addWidget(tbStartFrame, 1, 1);
  grid->addWidget(lblStartFrame, 1, 2);

  cbOffset = new QCheckBox("Offset?", box);
  cbOffset->setObjectName("cbOffset");
  tbOffset = makeSlider(box, "tbOffset", 1, kOffsetMaximum, 1);
  lblOffset = makeNumberLabel(box, "lblOffset", 1);
  tbOffset->setVisible(false);
  lblOffset->setVisible(false);
  connect(cbOffset, &QCheckBox::toggled, this, [this](bool checked) {
    animation_.controls.offsetChecked = checked;
    tbOffset->setVisible(checked);
    lblOffset->setVisible(checked);
  });
  connect(tbOffset, &QSlider::valueChanged, this, &TformZorvaAnimation::tbOffsetChange);
  grid->addWidget(cbOffset, 2, 0);
  grid->addWidget(tbOffset, 2, 1);
  grid->addWidget(lblOffset, 2, 2);

  auto* run = new QHBoxLayout;
  btnMakeFrames = new QPushButton("Make Frames", box);
  btnMakeFrames->setObjectName("btnMakeFrames");
  connect(btnMakeFrames, &QPushButton::clicked, this, &TformZorvaAnimation::btnMakeFramesClick);
  cbStop = new QCheckBox("Stop", box);
  cbStop->setObjectName("cbStop");
  connect(cbStop, &QCheckBox::toggled, this, [this](bool checked) { animation_.controls.stop = checked; });
  lblFrame = new QLabel(box);
  lblFrame->setObjectName("lblFrame");
  lblFrame->setAlignment(Qt::AlignCenter);
  lblFrame->setMinimumWidth(56);
  lblFrame->setAutoFillBackground(true);
  pbFrames = new QProgressBar(box);
  pbFrames->setObjectName("pbFrames");
  pbFrames->setTextVisible(false);
  pbFrames->setRange(0, 10);
  pbFrames->setValue(0);
  run->addWidget(btnMakeFrames);
  run->addWidget(cbStop);
  run->addWidget(lblFrame);
  run->addWidget(pbFrames, 1);
  grid->addLayout(run, 3, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  return box;
}

TformZorvaAnimation::WaveSide TformZorvaAnimation::makeSide(QWidget* parent, const QString& name,
                                                            std::array<bool*, 3> forms, double* change,
                                                            double* repeat) {
  WaveSide side;
  side.group = new QButtonGroup(parent);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    auto* button = new QRadioButton(parent);
    button->setObjectName("rb" + name + kFormNames[i]);
    button->setToolTip(kFormNames[i]);
    side.group->addButton(button);
    side.forms[i] = button;
    connect(button, &QRadioButton::clicked, this, &TformZorvaAnimation::waveFormClick);
  }
  side.change = new AnimationField(fieldOps(), change, parent);
  side.change->setObjectName("edit" + name + "Change");
  side.repeat = new AnimationField(fieldOps(), repeat, parent);
  side.repeat->setObjectName("edit" + name + "Repeat");
  return side;
}

QWidget* TformZorvaAnimation::buildWaves() {
  Settings& s = settings();
  auto* box = new QWidget(body());
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(1);
  // Header: each side's three forms, then "Change" and "Repeat".
  auto header = [&](int column, const char* side) {
    auto* caption = new QLabel(side, box);
    caption->setAlignment(Qt::AlignCenter);
    grid->addWidget(caption, 0, column, 1, 5);
    const char* titles[] = {"Sine", "Linear", "LinearReturn", "Change", "Repeat"};
    for (int i = 0; i < 5; ++i) grid->addWidget(new QLabel(titles[i], box), 1, column + i, Qt::AlignCenter);
  };
  header(1, "Start");
  header(7, "End");
  grid->setColumnMinimumWidth(6, 12);

  auto place = [&](const WaveSide& side, int row, int column) {
    for (int i = 0; i < 3; ++i)
      grid->addWidget(side.forms[static_cast<std::size_t>(i)], row, column + i, Qt::AlignCenter);
    grid->addWidget(side.change, row, column + 3);
    grid->addWidget(side.repeat, row, column + 4);
  };
  int row = 2;
  for (int i = 0; i < kWaveCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    AnimationWave& w = s.Waves[at];
    const QString name = QString("Animation%1") + kWaveNames[at];
    WaveRow& r = waves[at];
    r.start = makeSide(box, name.arg("Start"), formKeys(i, true), &w.ChangeStart, &w.RepeatStart);
    r.end = makeSide(box, name.arg("End"), formKeys(i, false), &w.ChangeEnd, &w.RepeatEnd);
    if (static_cast<Wave>(i) == Wave::RockAngle) {
      // The rock amount sits beside its angles, with one side only.
      rockAmount = makeSide(box, "AnimationRockAmount", formKeys(-1, true), &s.AnimationChangeRockAmount,
                            &s.AnimationRepeatRockAmount);
      grid->addWidget(new QLabel("Amount", box), row, 0);
      place(rockAmount, row++, 1);
    }
    grid->addWidget(new QLabel(kWaveCaptions[at], box), row, 0);
    place(r.start, row, 1);
    place(r.end, row++, 7);
  }
  grid->setColumnStretch(0, 1);
  return box;
}

QWidget* TformZorvaAnimation::buildMainPath() {
  Settings& s = settings();
  auto* group = new QGroupBox("Main Path Usage", body());
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(8, 2, 8, 4);
  grid->setVerticalSpacing(2);
  const char* titles[] = {"t=0", "Repeat", "t=1", "Repeat"};
  for (int i = 0; i < 4; ++i) grid->addWidget(new QLabel(titles[i], group), 0, i + 1, Qt::AlignCenter);
  auto field = [&](const char* name, double* setting) {
    auto* f = new AnimationField(fieldOps(), setting, group);
    f->setObjectName(name);
    return f;
  };
  editMainPathStartMin = field("editMainPathStartMin", &s.AnimationMainPathStartMin);
  editMainPathStartMinRepeat = field("editMainPathStartMinRepeat", &s.AnimationMainPathStartMinRepeat);
  editMainPathStartMax = field("editMainPathStartMax", &s.AnimationMainPathStartMax);
  editMainPathStartMaxRepeat = field("editMainPathStartMaxRepeat", &s.AnimationMainPathStartMaxRepeat);
  editMainPathEndMin = field("editMainPathEndMin", &s.AnimationMainPathEndMin);
  editMainPathEndMinRepeat = field("editMainPathEndMinRepeat", &s.AnimationMainPathEndMinRepeat);
  editMainPathEndMax = field("editMainPathEndMax", &s.AnimationMainPathEndMax);
  editMainPathEndMaxRepeat = field("editMainPathEndMaxRepeat", &s.AnimationMainPathEndMaxRepeat);
  const std::array<QWidget*, 4> startRow = {editMainPathStartMin, editMainPathStartMinRepeat, editMainPathStartMax,
                                            editMainPathStartMaxRepeat};
  const std::array<QWidget*, 4> endRow = {editMainPathEndMin, editMainPathEndMinRepeat, editMainPathEndMax,
                                          editMainPathEndMaxRepeat};
  grid->addWidget(new QLabel("Start", group), 1, 0);
  grid->addWidget(new QLabel("End", group), 2, 0);
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(startRow[static_cast<std::size_t>(i)], 1, i + 1);
    grid->addWidget(endRow[static_cast<std::size_t>(i)], 2, i + 1);
  }
  cbUseOffset = new QCheckBox("Use offset?", group);
  cbUseOffset->setObjectName("cbUseOffset");
  connect(cbUseOffset, &QCheckBox::toggled, this, [this](bool checked) { animation_.controls.useOffset = checked; });
  grid->addWidget(cbUseOffset, 1, 5, 2, 1);
  grid->setColumnStretch(6, 1);
  return group;
}

// ---- the record and the controls ------------------------------------------------------

std::array<bool*, 3> TformZorvaAnimation::formKeys(int row, bool start) {
  Settings& s = settings();
  if (row < 0) return {&s.AnimationRockAmountSine, &s.AnimationRockAmountLinear, &s.AnimationRockAmountLinearReturn};
  AnimationWave& w = s.Waves[static_cast<std::size_t>(row)];
  if (start) return {&w.StartSine, &w.StartLinear, &w.StartLinearReturn};
  return {&w.EndSine, &w.EndLinear, &w.EndLinearReturn};
}

void TformZorvaAnimation::showForms(const WaveSide& side, std::array<bool*, 3> keys) {
  // Several keys set show the one the frames use; none set shows none.
  const WaveForm form = chosenWaveForm(*keys[0], *keys[1], *keys[2]);
  side.group->setExclusive(false);
  for (std::size_t i = 0; i < 3; ++i) side.forms[i]->setChecked(form == static_cast<WaveForm>(i + 1));
  side.group->setExclusive(true);
}

void TformZorvaAnimation::waveFormClick() {
  for (int i = 0; i < kWaveCount; ++i)
    for (bool start : {true, false}) {
      const WaveSide& side = start ? waves[static_cast<std::size_t>(i)].start : waves[static_cast<std::size_t>(i)].end;
      const auto keys = formKeys(i, start);
      for (std::size_t k = 0; k < 3; ++k) *keys[k] = side.forms[k]->isChecked();
    }
  const auto keys = formKeys(-1, true);
  for (std::size_t k = 0; k < 3; ++k) *keys[k] = rockAmount.forms[k]->isChecked();
}

void TformZorvaAnimation::Init() {
  const Settings& s = settings();
  tbFrames->setValue(std::clamp(s.NumberOfFrames, 1, kMaxFrames));
  // The slider may not have moved; its value becomes the stored one all the
  // same (a file without the key leaves 0, which the slider shows as 1).
  tbFramesChange(tbFrames->value());
  tbOffset->setMaximum(std::max(kOffsetMaximum, s.AnimationOffset));
  tbOffset->setValue(std::max(1, s.AnimationOffset));
  tbOffsetChange(tbOffset->value());
  for (int i = 0; i < kWaveCount; ++i) {
    WaveRow& r = waves[static_cast<std::size_t>(i)];
    showForms(r.start, formKeys(i, true));
    showForms(r.end, formKeys(i, false));
    for (AnimationField* f : {r.start.change, r.start.repeat, r.end.change, r.end.repeat}) f->showValue();
  }
  showForms(rockAmount, formKeys(-1, true));
  rockAmount.change->showValue();
  rockAmount.repeat->showValue();
  for (AnimationField* f :
       {editMainPathStartMin, editMainPathStartMinRepeat, editMainPathStartMax, editMainPathStartMaxRepeat,
        editMainPathEndMin, editMainPathEndMinRepeat, editMainPathEndMax, editMainPathEndMaxRepeat})
    f->showValue();
}

void TformZorvaAnimation::tbFramesChange(int value) {
  settings().NumberOfFrames = value;
  lblFrames->setText(QString::number(value));
  tbStartFrame->setMaximum(value);
  pbFrames->setMaximum(value);
}

void TformZorvaAnimation::tbOffsetChange(int value) {
  settings().AnimationOffset = value;
  lblOffset->setText(QString::number(value));
}

// ---- making frames ----------------------------------------------------------------

void TformZorvaAnimation::commandStateChanged() {
  const bool animating = engine().isAnimating() || animation_.running();
  btnMakeFrames->setEnabled(!animating && !engine().isDrawing());
  tbFrames->setEnabled(!animating);
  lblFrames->setEnabled(!animating);
}

void TformZorvaAnimation::setFrameLabelMaking(bool making) {
  QPalette palette = lblFrame->palette();
  palette.setColor(QPalette::Window, making ? kTeal : QPalette().color(QPalette::Button));
  palette.setColor(QPalette::WindowText, making ? Qt::white : QPalette().color(QPalette::ButtonText));
  lblFrame->setPalette(palette);
  if (!making) lblFrame->clear();
}

void TformZorvaAnimation::btnMakeFramesClick() {
  if (animation_.running() || engine().isDrawing()) return;
  setFrameLabelMaking(true);
  FrameRun run;
  run.frames = tbFrames->value();
  animation_.makeFrames(run);
  setFrameLabelMaking(false);
  pbFrames->setValue(0);
  commandStateChanged();
}

void TformZorvaAnimation::stopFrames() {
  cbStop->setChecked(true);
  animation_.controls.stop = true;
}

}  // namespace zorva
