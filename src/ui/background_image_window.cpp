#include "ui/background_image_window.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/image_dimensions_window.h"
#include "ui/image_preview.h"
#include "ui/main_window.h"

namespace zorva {

TformZorvaBackgroundImage::TformZorvaBackgroundImage(TForm1& main)
    : OptionWindow(main, Window::BackgroundImage, "Background Image", 460, kUnfoldedHeight) {
  Settings& s = settings();
  foldButton()->setObjectName("Button2");

  buttonLoad = new QPushButton("Load background image from file", body());
  buttonLoad->setObjectName("buttonLoad");
  buttonUseCanvas = new QPushButton("Use current canvas as background", body());
  buttonUseCanvas->setObjectName("buttonUseCanvas");
  connect(buttonLoad, &QPushButton::clicked, this, &TformZorvaBackgroundImage::buttonLoadClick);
  connect(buttonUseCanvas, &QPushButton::clicked, this, &TformZorvaBackgroundImage::buttonUseCanvasClick);
  auto* sources = new QHBoxLayout;
  sources->addWidget(buttonLoad);
  sources->addWidget(buttonUseCanvas);
  bodyLayout()->addLayout(sources);

  imagePreview = new ImagePreview(QSize(444, 150), body());
  imagePreview->setObjectName("imagePreview");
  bodyLayout()->addWidget(imagePreview);

  // ---- how the image is used: switches and Apply beside the placement ----
  cbUseBackgroundImage = makeCheckBox("cbUseBackgroundImage", "Use background image?", &s.UseBackgroundImage);
  cbResizeCanvas = makeCheckBox("cbResizeCanvas", "Resize canvas?", &s.BackgroundImageResizeCanvas);
  buttonApply = new QPushButton("Apply", body());
  buttonApply->setObjectName("buttonApply");
  buttonApply->setToolTip("Clear the picture with these settings");
  connect(buttonApply, &QPushButton::clicked, this, &TformZorvaBackgroundImage::buttonApplyClick);
  auto* left = new QVBoxLayout;
  left->addWidget(cbUseBackgroundImage);
  left->addWidget(cbResizeCanvas);
  left->addStretch(1);
  left->addWidget(buttonApply, 0, Qt::AlignLeft);

  auto* position = new QGroupBox("Position", body());
  auto* positionLayout = new QVBoxLayout(position);
  positionLayout->setSpacing(2);
  rbCentered = new QRadioButton("Centered", position);
  rbCentered->setObjectName("rbCentered");
  rbStretched = new QRadioButton("Stretched", position);
  rbStretched->setObjectName("rbStretched");
  rbTiled = new QRadioButton("Tiled", position);
  rbTiled->setObjectName("rbTiled");
  // Exclusive by the click handler only: the record may hold none of the
  // three (or several), and Init must be able to show that.
  for (QRadioButton* b : {rbCentered, rbStretched, rbTiled}) {
    b->setAutoExclusive(false);
    positionLayout->addWidget(b);
    // Only clicks: Init sets the buttons without the handler acting.
    connect(b, &QRadioButton::clicked, this, [this, b] {
      for (QRadioButton* other : {rbCentered, rbStretched, rbTiled}) other->setChecked(other == b);
      rbPositionClick();
    });
  }

  auto* options = new QHBoxLayout;
  options->addLayout(left, 1);
  options->addWidget(position);
  bodyLayout()->addLayout(options);
  bodyLayout()->addStretch(1);
  FormCreate();
}

void TformZorvaBackgroundImage::Init() {
  const Settings& s = settings();
  cbUseBackgroundImage->setChecked(s.UseBackgroundImage);
  cbResizeCanvas->setChecked(s.BackgroundImageResizeCanvas);
  rbCentered->setChecked(s.BackgroundImagePositionCentered);
  rbStretched->setChecked(s.BackgroundImagePositionStretched);
  rbTiled->setChecked(s.BackgroundImagePositionTiled);
}

void TformZorvaBackgroundImage::rbPositionClick() {
  Settings& s = settings();
  s.BackgroundImagePositionCentered = rbCentered->isChecked();
  s.BackgroundImagePositionStretched = rbStretched->isChecked();
  s.BackgroundImagePositionTiled = rbTiled->isChecked();
}

void TformZorvaBackgroundImage::buttonLoadClick() {
  const QString file = QFileDialog::getOpenFileName(
      this, "Load background image", imageDialogStart(settings().BackgroundImageFileName), kImageFileFilter);
  if (file.isEmpty()) {
    if (settings().UseBackgroundImage) buttonApplyClick();
    return;
  }
  loadBackgroundImage(file);
}

bool TformZorvaBackgroundImage::loadBackgroundImage(const QString& file) {
  if (main().refuseUnstorableName(file)) return false;
  if (!engine().loadBackgroundImage(file.toStdString())) return false;
  imagePreview->setToolTip(file);
  // The engine applied the settings: the new size belongs in the fields.
  if (settings().UseBackgroundImage) showCanvasSize();
  return true;
}

void TformZorvaBackgroundImage::buttonUseCanvasClick() {
  engine().useCanvasAsBackground();
  imagePreview->setToolTip("The canvas");
}

void TformZorvaBackgroundImage::buttonApplyClick() {
  engine().applyBackgroundImage();
  showCanvasSize();
}

void TformZorvaBackgroundImage::showCanvasSize() {
  if (auto* dims = main().optionWindowAs<TformZorvaImageDimensions>(Window::Dimensions)) dims->buttonResetClick();
}

void TformZorvaBackgroundImage::backgroundImageChanged() { imagePreview->showImage(engine().backgroundImage()); }

}  // namespace zorva
