#include "ui/picture_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "render/canvas.h"

namespace zorva {

int centredOffset(int box, int size) { return std::max(0, static_cast<int>(std::nearbyint((box - size) / 2.0))); }

PictureLayout layoutPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight, bool zoomToFit,
                            int margin) {
  PictureLayout l;
  if (!zoomToFit || pictureWidth <= 0 || pictureHeight <= 0) {
    l.width = std::max(0, pictureWidth);
    l.height = std::max(0, pictureHeight);
  } else {
    l.factor = std::min(static_cast<double>(boxHeight - margin) / pictureHeight,
                        static_cast<double>(boxWidth - margin) / pictureWidth);
    l.height = static_cast<int>(std::max(10.0, std::floor(pictureHeight * l.factor)));
    l.width = static_cast<int>(std::max(10.0, std::floor(pictureWidth * l.factor)));
  }
  l.left = centredOffset(boxWidth, l.width);
  l.top = centredOffset(boxHeight, l.height);
  return l;
}

PictureView::PictureView(const Bitmap24& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Hovering over a curve's markers tells which point is under the mouse.
  setMouseTracking(true);
  // A right click belongs to the canvas editing, not to a context menu.
  setContextMenuPolicy(Qt::PreventContextMenu);
}

void PictureView::showOverlay(const std::vector<std::pair<int, int>>& pixels) {
  overlay_ = pixels;
  update();
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  emit pictureMousePressed(toPicture(event->position()), event->button(), event->modifiers());
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  emit pictureMouseMoved(toPicture(event->position()), event->buttons());
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  emit pictureMouseReleased(toPicture(event->position()), event->button());
}

QRect PictureView::pictureRect() const {
  if (picture_.empty() || width() <= 0 || height() <= 0) return rect();
  // Proportional: the whole picture in the control, centred.
  const double scale =
      std::min(static_cast<double>(width()) / picture_.width, static_cast<double>(height()) / picture_.height);
  const int w = std::max(1, static_cast<int>(std::lround(picture_.width * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(picture_.height * scale)));
  return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

QPointF PictureView::toPicture(QPointF position) const {
  const QRect r = pictureRect();
  if (picture_.empty() || r.width() <= 0 || r.height() <= 0) return position;
  return QPointF((position.x() - r.left()) * picture_.width / r.width(),
                 (position.y() - r.top()) * picture_.height / r.height());
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (picture_.empty()) return;
  // The engine's rows are contiguous BGR bytes, top row first: wrap, never
  // copy, except to show an overlay once.
  QImage image(picture_.bgr.data(), picture_.width, picture_.height, picture_.width * 3, QImage::Format_BGR888);
  if (!overlay_.empty()) {
    image = image.copy();
    for (const auto& [column, row] : overlay_) {
      if (column < 0 || column >= image.width() || row < 0 || row >= image.height()) continue;
      uchar* p = image.scanLine(row) + static_cast<std::size_t>(column) * 3;
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uchar>(p[c] + 127);
    }
    overlay_.clear();
  }
  const QRect target = pictureRect();
  // Smooth when shrinking; enlarged pixels stay crisp squares.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, target.width() < picture_.width);
  painter.drawImage(target, image);
}

PictureBox::PictureBox(PictureView* view, QWidget* parent) : QWidget(parent), view_(view) { view_->setParent(this); }

void PictureBox::placeView() {
  view_->move(centredOffset(width(), view_->width()), centredOffset(height(), view_->height()));
}

void PictureBox::resizeEvent(QResizeEvent*) { placeView(); }

}  // namespace zorva
