#include "ui/image_dimensions_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/canvas_size.h"
#include "ui/main_window.h"

namespace zorva {

TformZorvaImageDimensions::TformZorvaImageDimensions(TForm1& main)
    : OptionWindow(main, Window::Dimensions, "Image dimensions", 230, kUnfoldedHeight) {
  auto size = [&](const char* name, std::int32_t* pending) {
    ValueField* f = makeField(name, ValueKind::Integer, pending);
    f->setLimits({kMinCanvasSide, kMaxCanvasSide});
    f->setDraggable(false);
    f->setMaxChars(5);
    f->setFixedWidth(62);
    return f;
  };
  editImageDimensionsWidth = size("editImageDimensionsWidth", &pendingWidth_);
  editImageDimensionsHeight = size("editImageDimensionsHeight", &pendingHeight_);

  const QString range = QString("%1 to %2").arg(kMinCanvasSide).arg(kMaxCanvasSide);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Width", body()), 0, 0);
  grid->addWidget(editImageDimensionsWidth, 0, 1);
  grid->addWidget(new QLabel(range, body()), 0, 2);
  grid->addWidget(new QLabel("Height", body()), 1, 0);
  grid->addWidget(editImageDimensionsHeight, 1, 1);
  grid->addWidget(new QLabel(range, body()), 1, 2);
  grid->setColumnStretch(3, 1);
  bodyLayout()->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  buttonApply = new QPushButton("Apply", body());
  buttonApply->setObjectName("buttonApply");
  buttonReset = new QPushButton("Reset fields", body());
  buttonReset->setObjectName("buttonReset");
  buttons->addWidget(buttonApply);
  buttons->addWidget(buttonReset);
  buttons->addStretch(1);
  bodyLayout()->addLayout(buttons);
  bodyLayout()->addStretch(1);
  connect(buttonApply, &QPushButton::clicked, this, &TformZorvaImageDimensions::buttonApplyClick);
  connect(buttonReset, &QPushButton::clicked, this, &TformZorvaImageDimensions::buttonResetClick);
  FormCreate();
}

void TformZorvaImageDimensions::Init() {
  pendingWidth_ = settings().ImageWidth;
  pendingHeight_ = settings().ImageHeight;
  showFields();
}

void TformZorvaImageDimensions::buttonApplyClick() {
  settings().ImageWidth = pendingWidth_;
  settings().ImageHeight = pendingHeight_;
  engine().ClearPicture();
  close();
}

void TformZorvaImageDimensions::buttonResetClick() {
  fieldOps().editFieldSet(editImageDimensionsWidth, engine().W());
  fieldOps().editFieldSet(editImageDimensionsHeight, engine().H());
}

}  // namespace zorva
