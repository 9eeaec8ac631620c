#include "ui/colors_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kFieldChars = 5;
constexpr int kFieldWidth = 56;
constexpr int kSwatchWidth = 64;
const char* const kGroups[3] = {"Start", "End", "Bg"};
const char* const kChannels[3] = {"Red", "Green", "Blue"};
}  // namespace

TformZorvaColors::TformZorvaColors(TForm1& main) : OptionWindow(main, Window::Colors, "Colors", 380, kUnfoldedHeight) {
  Settings& s = settings();
  bodyLayout()->setSpacing(4);
  trackSettings_ = {&s.StartMaxRed, &s.StartMaxGreen, &s.StartMaxBlue, &s.EndMaxRed, &s.EndMaxGreen,
                    &s.EndMaxBlue,  &s.BgMaxRed,      &s.BgMaxGreen,   &s.BgMaxBlue};

  // ---- the three colours: a swatch beside its red, green and blue bars ----
  auto* colours = new QGridLayout;
  colours->setVerticalSpacing(2);
  colours->setHorizontalSpacing(6);
  const char* const swatchCaptions[3] = {"Start\nColor", "End\nColor", "Back\nColor"};
  std::array<QLabel*, 3> swatches{};
  for (int g = 0; g < 3; ++g) {
    auto* swatch = new QLabel(swatchCaptions[g], body());
    swatch->setObjectName(QString("swatch") + kGroups[g]);
    swatch->setAlignment(Qt::AlignCenter);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    swatch->setFixedSize(kSwatchWidth, 60);
    swatches[static_cast<std::size_t>(g)] = swatch;
    const int top = g * 4;
    colours->addWidget(swatch, top, 0, 3, 1, Qt::AlignVCenter);
    for (int c = 0; c < 3; ++c) {
      const auto i = static_cast<std::size_t>(g * 3 + c);
      auto* bar = new QSlider(Qt::Horizontal, body());
      bar->setObjectName(QString("tb") + kGroups[g] + kChannels[c]);
      bar->setRange(0, 255);
      auto* number = new QLabel(body());
      number->setObjectName(QString("label") + kGroups[g] + kChannels[c]);
      number->setMinimumWidth(28);
      number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      trackBars[i] = bar;
      trackLabels[i] = number;
      colours->addWidget(new QLabel(QString(kChannels[c][0]), body()), top + c, 1);
      colours->addWidget(bar, top + c, 2);
      colours->addWidget(number, top + c, 3);
      const int index = static_cast<int>(i);
      connect(bar, &QSlider::valueChanged, this, [this, index] { trackBarChange(index); });
    }
    if (g < 2) colours->setRowMinimumHeight(top + 3, 8);
  }
  swatchStart = swatches[0];
  swatchEnd = swatches[1];
  swatchBg = swatches[2];
  tbStartRed = trackBars[0], tbStartGreen = trackBars[1], tbStartBlue = trackBars[2];
  tbEndRed = trackBars[3], tbEndGreen = trackBars[4], tbEndBlue = trackBars[5];
  tbBgRed = trackBars[6], tbBgGreen = trackBars[7], tbBgBlue = trackBars[8];

  // "Set" under the back swatch: resets the picture to the background now.
  buttonSet = new QPushButton("Set", body());
  buttonSet->setObjectName("buttonSet");
  buttonSet->setFixedWidth(kSwatchWidth);
  buttonSet->setToolTip("Fill the picture with the background now");
  connect(buttonSet, &QPushButton::clicked, this, [this] { engine().MakePictureBlack(); });
  colours->addWidget(buttonSet, 11, 0);
  colours->setRowMinimumHeight(11, 28);
  colours->setColumnStretch(2, 1);
  bodyLayout()->addLayout(colours);

  // ---- mode ----
  auto* modeBox = new QGroupBox("Mode", body());
  auto* modeRow = new QHBoxLayout(modeBox);
  rbAdd = new QRadioButton("Add", modeBox);
  rbAdd->setObjectName("rbAdd");
  rbSubtract = new QRadioButton("Subtract", modeBox);
  rbSubtract->setObjectName("rbSubtract");
  rbBestGuess = new QRadioButton("Best Guess", modeBox);
  rbBestGuess->setObjectName("rbBestGuess");
  auto* modes = new QButtonGroup(this);
  for (QRadioButton* b : {rbAdd, rbSubtract, rbBestGuess}) {
    modes->addButton(b);
    modeRow->addWidget(b);
    // Only clicks: Init shows the record without rewriting it.
    connect(b, &QRadioButton::clicked, this, &TformZorvaColors::modeClick);
  }
  modeRow->addStretch(1);
  bodyLayout()->addSpacing(4);
  bodyLayout()->addWidget(modeBox);

  // ---- switches ----
  cbUseColorsAsLimits = makeCheckBox("cbUseColorsAsLimits", "Use colors as limits?", &s.UseColorsAsLimits);
  cbABA = makeCheckBox("cbABA", "A -> B -> A?", &s.ABA);
  cbNewColor = new QCheckBox("Alternative coloring?", body());
  cbNewColor->setObjectName("cbNewColor");
  connect(cbNewColor, &QCheckBox::toggled, this, &TformZorvaColors::cbNewColorClick);
  cbOneOrTwo = makeCheckBox("cbOneOrTwo", "063 method?", &s.OneOrTwo);
  auto* switches = new QGridLayout;
  switches->setVerticalSpacing(2);
  switches->addWidget(cbUseColorsAsLimits, 0, 0);
  switches->addWidget(cbABA, 0, 1);
  switches->addWidget(cbNewColor, 1, 0);
  switches->addWidget(cbOneOrTwo, 1, 1);
  bodyLayout()->addLayout(switches);

  // ---- multipliers and amounts ----
  auto integer = [&](const char* name, std::int32_t* setting) {
    ValueField* f = makeField(name, ValueKind::Integer, setting);
    f->setLimits({-20, 20});
    f->setDragLimits({-20, 20});
    f->setMaxChars(kFieldChars);
    f->setFixedWidth(kFieldWidth);
    return f;
  };
  auto amount = [&](const char* name, std::int32_t* setting) {
    ValueField* f = makeField(name, ValueKind::PositiveHundredths, setting);
    f->setMaxChars(kFieldChars);
    f->setFixedWidth(kFieldWidth);
    return f;
  };
  editThetaColorMultiplier = integer("editThetaColorMultiplier", &s.ThetaColorMultiplier);
  editStepColorMultiplier = integer("editStepColorMultiplier", &s.StepColorMultiplier);
  editStartAmount = amount("editStartAmount", &s.StartAmount);
  editEndAmount = amount("editEndAmount", &s.EndAmount);
  auto* fields = new QGridLayout;
  fields->setVerticalSpacing(4);
  fields->addWidget(new QLabel("Theta Color", body()), 0, 0);
  fields->addWidget(editThetaColorMultiplier, 0, 1);
  fields->addWidget(new QLabel("Step Color", body()), 0, 2);
  fields->addWidget(editStepColorMultiplier, 0, 3);
  fields->addWidget(new QLabel("-20 to 20", body()), 0, 4);
  fields->addWidget(new QLabel("Start Amount", body()), 1, 0);
  fields->addWidget(editStartAmount, 1, 1);
  fields->addWidget(new QLabel("End Amount", body()), 1, 2);
  fields->addWidget(editEndAmount, 1, 3);
  fields->setColumnStretch(5, 1);
  bodyLayout()->addSpacing(4);
  bodyLayout()->addLayout(fields);
  bodyLayout()->addStretch(1);
  FormCreate();
}

void TformZorvaColors::Init() {
  const Settings& s = settings();
  for (std::size_t i = 0; i < trackBars.size(); ++i) trackBars[i]->setValue(*trackSettings_[i]);
  // Bars that kept their position sent no change: run every handler.
  for (int i = 0; i < 9; ++i) trackBarChange(i);
  if (s.BestGuess)
    rbBestGuess->setChecked(true);
  else if (s.White)
    rbSubtract->setChecked(true);
  else
    rbAdd->setChecked(true);
  cbUseColorsAsLimits->setChecked(s.UseColorsAsLimits);
  cbNewColor->setChecked(s.NewColor);
  cbNewColorClick();
  cbOneOrTwo->setChecked(s.OneOrTwo);
  cbABA->setChecked(s.ABA);
  showFields();
}

void TformZorvaColors::trackBarChange(int i) {
  const auto at = static_cast<std::size_t>(i);
  const int value = trackBars[at]->value();
  *trackSettings_[at] = value;
  trackLabels[at]->setText(QString::number(value));
  static const char* const swatchNames[3] = {"start", "End", "Bg"};
  UpdateSwatch(swatchNames[i / 3]);
}

void TformZorvaColors::UpdateSwatch(const QString& which) {
  const Settings& s = settings();
  QLabel* swatch = swatchEnd;
  QColor colour(std::clamp(s.EndMaxRed, 0, 255), std::clamp(s.EndMaxGreen, 0, 255), std::clamp(s.EndMaxBlue, 0, 255));
  if (which == QLatin1String("start")) {
    swatch = swatchStart;
    colour.setRgb(std::clamp(s.StartMaxRed, 0, 255), std::clamp(s.StartMaxGreen, 0, 255),
                  std::clamp(s.StartMaxBlue, 0, 255));
  } else if (which == QLatin1String("Bg")) {
    swatch = swatchBg;
    colour.setRgb(std::clamp(s.BgMaxRed, 0, 255), std::clamp(s.BgMaxGreen, 0, 255), std::clamp(s.BgMaxBlue, 0, 255));
  }
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::WindowText, captionColorOn(colour));
  swatch->setPalette(palette);
}

QColor TformZorvaColors::captionColorOn(const QColor& swatch) {
  // Whichever of black and white contrasts more with the swatch's relative
  // luminance (sRGB); the two contrasts are equal at a luminance of 0.179.
  auto linear = [](int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double luminance =
      0.2126 * linear(swatch.red()) + 0.7152 * linear(swatch.green()) + 0.0722 * linear(swatch.blue());
  return luminance > 0.179 ? Qt::black : Qt::white;
}

void TformZorvaColors::modeClick() {
  settings().White = rbSubtract->isChecked();
  settings().BestGuess = rbBestGuess->isChecked();
}

void TformZorvaColors::cbNewColorClick() {
  settings().NewColor = cbNewColor->isChecked();
  cbOneOrTwo->setEnabled(cbNewColor->isChecked());
}

}  // namespace zorva
