// Editing on the picture with the mouse. A right click sets rotation point
// A or B or path point A or B; in mode "Draw Multiplier Bezier" a stroke with
// the right button draws the selected slot's curve afresh, a right press on a
// marker deletes that point, and a left drag of a marker moves the point or,
// with Shift, Ctrl or Alt, moves, rotates or scales the whole curve, with a
// preview while the mouse moves. The window feeds in picture pixels (column,
// row from the top), buttons and modifier keys; the editor changes the
// engine's curves and settings and says which cursor to show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "curves/curve.h"

namespace zorva {

class Engine;

// Mouse buttons and modifier keys, as bits.
enum MouseButton : unsigned { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ModifierKey : unsigned { kShiftKey = 1, kCtrlKey = 2, kAltKey = 4 };

// The cursor over the picture: cursor 1 "CURVEROTATE", cursor 2
// "CURVEEXPAND" and the system's shapes.
enum class EditCursor { Normal, Drag, SizeAll, HandPoint, CurveRotate, CurveExpand };

// What a left drag of a marker does.
enum class DragKind { SinglePoint, Move, Rotate, Expand };

// A right click in a point mode: the texts written into the Points window's
// fields of point A or B ("-0.250": three decimals, the user's separator).
struct PointClick {
  bool pathPoint = false;  // else a rotation point
  bool pointA = true;      // else point B
  std::string x, y;
};

class CanvasEditor {
 public:
  explicit CanvasEditor(Engine& engine) : engine_(engine) {}

  // Right click (the picture's context click). In the two point modes: the
  // point of the plane, with the picture mapped to -s..s on both axes
  // (s = StartScale / 100), goes to point A or B of the mode, whose settings
  // take the texts' values; the next click sets the other point; the pixel
  // is marked. Nothing in mode "Draw Multiplier Bezier".
  std::optional<PointClick> contextClick(int column, int row);
  // Which point the next right click sets (the Points window's A/B buttons).
  bool rotateStartNext() const { return rotateStartNext_; }
  bool pathStartNext() const { return pathStartNext_; }
  void setRotateStartNext(bool a) { rotateStartNext_ = a; }
  void setPathStartNext(bool a) { pathStartNext_ = a; }

  // A button pressed, the mouse moved (buttons held), a button released.
  void mouseDown(int column, int row, MouseButton button, unsigned modifiers);
  void mouseMove(int column, int row, unsigned buttons);
  void mouseUp(int column, int row);

  EditCursor cursor() const { return cursor_; }
  // The drag preview of the last move: picture pixels to show inverted (each
  // byte + 127) until the next repaint. The picture itself is not changed.
  const std::vector<std::pair<int, int>>& preview() const { return preview_; }

  // The working state, for tests and the window.
  std::int32_t selectedPoint() const { return selectedPoint_; }
  bool dragPoint() const { return dragPoint_; }
  DragKind dragKind() const { return dragKind_; }
  bool freehandStart() const { return freehandStart_; }
  std::pair<int, int> lastFreehandPixel() const { return lastFreehand_; }

  // A coordinate as a right click writes it: fixed, three decimals, at least
  // five characters wide (right-aligned), the user's decimal separator.
  static std::string pointText(double v);

 private:
  bool inside(int column, int row) const;
  // C, P, M of a drag: the curve's centre, the dragged point, the mouse.
  struct DragGeometry {
    qCoord centre, point, mouse;
    double angle = 0;   // turns P's direction about C onto M's
    double factor = 1;  // |M - C| / |P - C|
  };
  DragGeometry dragGeometry(int column, int row) const;
  void buildPreview(int column, int row);
  void applyDrag(int column, int row);
  void freehandMove(int column, int row);

  Engine& engine_;
  bool rotateStartNext_ = true;
  bool pathStartNext_ = true;
  std::int32_t selectedPoint_ = -999;
  bool dragPoint_ = false;
  DragKind dragKind_ = DragKind::SinglePoint;
  bool freehandStart_ = false;
  bool freehandStroke_ = false;  // a right press off the markers started a stroke
  std::pair<int, int> lastFreehand_{-10, -10};
  EditCursor cursor_ = EditCursor::Normal;
  std::vector<std::pair<int, int>> preview_;
};

}  // namespace zorva
