// The picture in the main window's scroll box: shown 1:1, or stretched to fit
// the box ("Toggle zoom"), and centred in the box when it is smaller.
#pragma once

#include <QPointF>
#include <QRect>
#include <QWidget>
#include <utility>
#include <vector>

namespace zorva {

struct Bitmap24;

// Where FormResize puts the picture control in a box of the given size.
struct PictureLayout {
  double factor = 1.0;
  int width = 0, height = 0;  // of the picture control
  int left = 0, top = 0;      // in the box
};

inline constexpr int kZoomMargin = 100;

// Zoom off or an empty picture: 1:1. Zoom on: factor min((box height -
// margin) / picture height, (box width - margin) / picture width), sides
// max(10, floor(side * factor)). Centred with halves rounded to even.
PictureLayout layoutPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight, bool zoomToFit,
                            int margin = kZoomMargin);
int centredOffset(int box, int size);

// Paints the engine's picture stretched over the whole control, keeping its
// proportions, and passes the mouse on in picture pixels.
class PictureView : public QWidget {
  Q_OBJECT

 public:
  PictureView(const Bitmap24& picture, QWidget* parent);
  // The part of the control the picture covers.
  QRect pictureRect() const;
  // A control position in picture pixels (column, row from the top).
  QPointF toPicture(QPointF position) const;
  // Picture pixels shown with every byte + 127 at the next paint only (the
  // preview of a curve drag); the picture itself is not changed.
  void showOverlay(const std::vector<std::pair<int, int>>& pixels);
  bool overlayPending() const { return !overlay_.empty(); }

 signals:
  // Positions in picture pixels (see toPicture).
  void pictureMousePressed(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void pictureMouseMoved(QPointF at, Qt::MouseButtons buttons);
  void pictureMouseReleased(QPointF at, Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Bitmap24& picture_;
  std::vector<std::pair<int, int>> overlay_;
};

// The scroll box's content: at least as large as the box, with the picture
// control centred in it.
class PictureBox : public QWidget {
  Q_OBJECT

 public:
  PictureBox(PictureView* view, QWidget* parent);
  void placeView();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  PictureView* view_;
};

}  // namespace zorva
