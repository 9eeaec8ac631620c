#include "ui/source_image_window.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "settings/number_format.h"
#include "ui/image_preview.h"
#include "ui/main_window.h"

namespace zorva {

namespace {
constexpr int kOpacityThresholdBar = 8;

struct BarInfo {
  const char* name;
  const char* caption;
  int lo, hi;
};
constexpr std::array<BarInfo, 9> kBars = {{
    {"StartRepeatPerStep", "Start repeat per step", -20, 20},
    {"EndRepeatPerStep", "End repeat per step", -20, 20},
    {"StartRepeatOverall", "Start repeat overall", -20, 20},
    {"EndRepeatOverall", "End repeat overall", -20, 20},
    {"StartOffsetPerStep", "Start offset per step", -200, 200},
    {"EndOffsetPerStep", "End offset per step", -200, 200},
    {"StartOffsetOverall", "Start offset overall", -200, 200},
    {"EndOffsetOverall", "End offset overall", -200, 200},
    {"OpacityThreshold", "Opacity threshold", 0, 100},
}};
}  // namespace

TformZorvaSourceImage::TformZorvaSourceImage(TForm1& main)
    : OptionWindow(main, Window::SourceImage, "Source image", 420, kUnfoldedHeight) {
  Settings& s = settings();
  bodyLayout()->setSpacing(4);
  trackSettings_ = {&s.SourceImageStartThetaColorMultiplier, &s.SourceImageEndThetaColorMultiplier,
                    &s.SourceImageStartStepColorMultiplier,  &s.SourceImageEndStepColorMultiplier,
                    &s.SourceImageStartOffsetPerStep,        &s.SourceImageEndOffsetPerStep,
                    &s.SourceImageStartOffsetOverall,        &s.SourceImageEndOffsetOverall,
                    &s.SourceImageOpacityThreshold};

  // ---- the image: load button, preview, switches ----
  buttonLoad = new QPushButton("Load source image from file", body());
  buttonLoad->setObjectName("buttonLoad");
  connect(buttonLoad, &QPushButton::clicked, this, &TformZorvaSourceImage::buttonLoadClick);
  // The preview as wide as the button above it, whose caption must fit.
  const int previewWidth = std::max(180, buttonLoad->sizeHint().width() + 16);
  imagePreview = new ImagePreview(QSize(previewWidth, 120), body());
  imagePreview->setObjectName("imagePreview");
  buttonLoad->setFixedWidth(previewWidth);
  cbUseSourceImage = makeCheckBox("cbUseSourceImage", "Draw with the image?", &s.UseSourceImage);
  cbRepeatByIntegers = makeCheckBox("cbRepeatByIntegers", "Only use integer repeats?", &s.SourceImageRepeatByIntegers);
  cbOpaque = new QCheckBox("Opaque?", body());
  cbOpaque->setObjectName("cbOpaque");
  connect(cbOpaque, &QCheckBox::toggled, this, &TformZorvaSourceImage::cbOpaqueClick);
  cbSaveSourceImage = makeCheckBox("cbSaveSourceImage", "Save copy of source image?", &s.SaveSourceImageFile);

  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(buttonLoad);
  left->addWidget(imagePreview);
  top->addLayout(left);
  auto* switches = new QVBoxLayout;
  switches->setSpacing(4);
  switches->addStretch(1);
  for (QCheckBox* box : {cbUseSourceImage, cbRepeatByIntegers, cbOpaque, cbSaveSourceImage}) switches->addWidget(box);
  top->addSpacing(8);
  top->addLayout(switches, 1);
  bodyLayout()->addLayout(top);

  // ---- track bars: caption, bar, value; repeats and offsets grouped ----
  auto* repeats = new QGroupBox("Repeats", body());
  auto* offsets = new QGroupBox("Offsets", body());
  opaqueGroup = new QGroupBox("Opaque", body());
  opaqueGroup->setObjectName("opaqueGroup");
  auto* repeatGrid = new QGridLayout(repeats);
  auto* offsetGrid = new QGridLayout(offsets);
  auto* opaqueGrid = new QGridLayout(opaqueGroup);
  for (QGridLayout* grid : {repeatGrid, offsetGrid, opaqueGrid}) {
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, 140);
  }
  for (std::size_t i = 0; i < kBars.size(); ++i) {
    const BarInfo& info = kBars[i];
    QGroupBox* box = i < 4 ? repeats : i < kOpacityThresholdBar ? offsets : opaqueGroup;
    QGridLayout* grid = i < 4 ? repeatGrid : i < kOpacityThresholdBar ? offsetGrid : opaqueGrid;
    auto* caption = new QLabel(info.caption, box);
    auto* bar = new QSlider(Qt::Horizontal, box);
    bar->setObjectName(QString("tb") + info.name);
    bar->setRange(info.lo, info.hi);
    auto* value = new QLabel(box);
    value->setObjectName(QString("label") + info.name);
    value->setMinimumWidth(40);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int row = static_cast<int>(i % 4);
    grid->addWidget(caption, row, 0);
    grid->addWidget(bar, row, 1);
    grid->addWidget(value, row, 2);
    trackBars[i] = bar;
    trackLabels[i] = value;
    trackCaptions[i] = caption;
    const int index = static_cast<int>(i);
    connect(bar, &QSlider::valueChanged, this, [this, index] { trackBarChange(index); });
  }
  bodyLayout()->addWidget(repeats);
  bodyLayout()->addWidget(offsets);
  bodyLayout()->addWidget(opaqueGroup);
  bodyLayout()->addStretch(1);
  tbStartRepeatPerStep = trackBars[0], tbEndRepeatPerStep = trackBars[1];
  tbStartRepeatOverall = trackBars[2], tbEndRepeatOverall = trackBars[3];
  tbStartOffsetPerStep = trackBars[4], tbEndOffsetPerStep = trackBars[5];
  tbStartOffsetOverall = trackBars[6], tbEndOffsetOverall = trackBars[7];
  tbOpacityThreshold = trackBars[8];
  trackBars[kOpacityThresholdBar]->setToolTip("How many steps back, as a fraction of Steps, ink may be painted over");
  FormCreate();
}

void TformZorvaSourceImage::Init() {
  for (std::size_t i = 0; i < trackBars.size(); ++i) {
    QSlider* bar = trackBars[i];
    if (auto* const* whole = std::get_if<std::int32_t*>(&trackSettings_[i])) {
      bar->setValue(**whole);
    } else {
      // Positions are hundredths; a value beyond the bar stops at its end.
      const double hundredths = *std::get<double*>(trackSettings_[i]) * 100;
      const double lo = bar->minimum(), hi = bar->maximum();
      const double position = std::clamp(std::isnan(hundredths) ? 0.0 : hundredths, lo, hi);
      bar->setValue(static_cast<int>(std::nearbyint(position)));
    }
  }
  // Bars that kept their position sent no change: run every handler.
  for (int i = 0; i < 9; ++i) trackBarChange(i);
  const Settings& s = settings();
  cbUseSourceImage->setChecked(s.UseSourceImage);
  cbRepeatByIntegers->setChecked(s.SourceImageRepeatByIntegers);
  cbOpaque->setChecked(s.UseOpaquePixels);
  cbOpaqueClick();
  cbSaveSourceImage->setChecked(s.SaveSourceImageFile);
}

void TformZorvaSourceImage::trackBarChange(int i) {
  const auto at = static_cast<std::size_t>(i);
  const int position = trackBars[at]->value();
  if (auto* const* whole = std::get_if<std::int32_t*>(&trackSettings_[at])) {
    **whole = position;
    trackLabels[at]->setText(QString::number(position));
  } else {
    const double value = position / 100.0;
    *std::get<double*>(trackSettings_[at]) = value;
    trackLabels[at]->setText(QString::fromStdString(formatFloat(value)));
  }
}

void TformZorvaSourceImage::cbOpaqueClick() {
  const bool opaque = cbOpaque->isChecked();
  settings().UseOpaquePixels = opaque;
  opaqueGroup->setVisible(opaque);
}

void TformZorvaSourceImage::buttonLoadClick() {
  const QString file = QFileDialog::getOpenFileName(this, "Load source image",
                                                    imageDialogStart(settings().SourceImageFileName), kImageFileFilter);
  if (file.isEmpty()) return;
  loadSourceImage(file);
}

bool TformZorvaSourceImage::loadSourceImage(const QString& file) {
  if (main().refuseUnstorableName(file)) return false;
  if (!engine().LoadSourceImage(file.toStdString())) return false;
  // The folder of the last source image, kept like the record's other folders.
  settings().LoadSourceImageDir = QFileInfo(file).absolutePath().toStdString() + "/";
  imagePreview->setToolTip(file);
  return true;
}

void TformZorvaSourceImage::sourceImageChanged() {
  imagePreview->showImage(engine().sourceImage());
  cbUseSourceImage->setChecked(settings().UseSourceImage);
}

}  // namespace zorva
