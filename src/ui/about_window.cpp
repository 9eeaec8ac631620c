#include "ui/about_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace zorva {

const char* const TformZorvaAbout::kWebPage = "https://zorva.invalid";
const char* const TformZorvaAbout::kMailAddress = "hello@zorva.invalid";

namespace {

// A small drawing of the kind the program makes: rings of dots turning from red to blue.
QPixmap aboutPicture() {
  constexpr int kSize = 96;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  constexpr int kRings = 24;
  for (int ring = 0; ring < kRings; ++ring) {
    const double t = static_cast<double>(ring) / (kRings - 1);
    const QColor colour(static_cast<int>(255 * (1 - t)), 0, static_cast<int>(255 * t), 90);
    painter.setBrush(colour);
    const double radius = 8 + 34 * t;
    for (int k = 0; k < 60; ++k) {
      const double theta = k * 2 * M_PI / 60;
      const double r = radius * (1 + 0.18 * std::sin(5 * theta + t * 3));
      painter.drawEllipse(QPointF(kSize / 2 + r * std::cos(theta + t), kSize / 2 + r * std::sin(theta + t)), 1.6, 1.6);
    }
  }
  return pixmap;
}

QLabel* linkLabel(const QString& target, const QString& text, QWidget* parent) {
  auto* label = new QLabel(QString("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), text.toHtmlEscaped()), parent);
  label->setTextFormat(Qt::RichText);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  label->setOpenExternalLinks(false);
  label->setCursor(Qt::PointingHandCursor);
  return label;
}

}  // namespace

TformZorvaAbout::TformZorvaAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Zorva");
  setObjectName("formZorvaAbout");

  auto* picture = new QLabel(this);
  picture->setPixmap(aboutPicture());
  linkWebPage = linkLabel(kWebPage, "Zorva", this);
  linkWebPage->setObjectName("linkWebPage");
  QFont big = linkWebPage->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  linkWebPage->setFont(big);
  linkMail = linkLabel(QString("mailto:") + kMailAddress, kMailAddress, this);
  linkMail->setObjectName("linkMail");

  auto* heading = new QVBoxLayout;
  heading->addWidget(linkWebPage);
  heading->addWidget(new QLabel("by the Zorva makers", this));
  heading->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addSpacing(12);
  top->addLayout(heading, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addWidget(new QLabel("Zorva is a fairly silly drawing program. You are using it ", this));
  layout->addWidget(new QLabel("at the moment. You can contact its author at", this));
  layout->addWidget(linkMail);
  layout->addSpacing(8);
  for (const char* line : {"Zorva is free to use, to copy and to share.", "The pictures you make with it are yours.",
                           "It comes with no warranty of any kind:", "you use it entirely at your own risk.",
                           "Please keep this notice with every copy.", "Written in 2024."})
    layout->addWidget(new QLabel(line, this));
  auto* ok = new QPushButton("OK", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  layout->addSpacing(8);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QWidget::close);
  connect(linkWebPage, &QLabel::linkActivated, this, &TformZorvaAbout::openLink);
  connect(linkMail, &QLabel::linkActivated, this, &TformZorvaAbout::openLink);
}

void TformZorvaAbout::openLink(const QString& link) { QDesktopServices::openUrl(QUrl(link)); }

}  // namespace zorva
