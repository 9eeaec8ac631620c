#include "ui/opacity_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/main_window.h"

namespace zorva {

TformZorvaOpacity::TformZorvaOpacity(TForm1& main)
    : OptionWindow(main, Window::Opacity, "Opacity", 260, kUnfoldedHeight) {
  tbOpacity = new QSlider(Qt::Horizontal, body());
  tbOpacity->setObjectName("tbOpacity");
  tbOpacity->setRange(1, 100);
  tbOpacity->setValue(50);
  tbOpacity->setTickPosition(QSlider::NoTicks);
  labelOpacity = new QLabel("50%", body());
  labelOpacity->setObjectName("labelOpacity");
  labelOpacity->setMinimumWidth(36);
  buttonOK = new QPushButton("OK", body());
  buttonOK->setObjectName("buttonOK");

  auto* row = new QHBoxLayout;
  row->addWidget(tbOpacity, 1);
  row->addWidget(labelOpacity);
  row->addWidget(buttonOK);
  bodyLayout()->addLayout(row);
  bodyLayout()->addStretch(1);

  connect(tbOpacity, &QSlider::valueChanged, this, [this](int position) {
    settings().Opacity = position;
    labelOpacity->setText(QString::number(position) + "%");
  });
  connect(buttonOK, &QPushButton::clicked, this, &QWidget::close);
  FormCreate();
}

}  // namespace zorva
