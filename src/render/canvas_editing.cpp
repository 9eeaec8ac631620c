#include "render/canvas_editing.h"

#include <charconv>
#include <cmath>

#include "render/engine.h"
#include "settings/number_format.h"

namespace zorva {

std::string CanvasEditor::pointText(double v) {
  char buffer[400];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3);
  std::string text = error == std::errc() ? std::string(buffer, end) : std::string("0.000");
  if (const auto dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, decimalSeparator());
  if (text.size() < 5) text.insert(0, 5 - text.size(), ' ');
  return text;
}

bool CanvasEditor::inside(int column, int row) const {
  return column >= 0 && column < engine_.W() && row >= 0 && row < engine_.H();
}

// ---- right click ------------------------------------------------------------------

std::optional<PointClick> CanvasEditor::contextClick(int column, int row) {
  const MouseMode mode = engine_.mouseMode();
  if (mode == MouseMode::DrawMultiplierBezier || engine_.isDrawing() || !inside(column, row)) return std::nullopt;
  Settings& settings = engine_.settings;
  // The picture spans -s..s on both axes here, whatever its proportions.
  const double s = settings.StartScale / 100.0;
  const double x = (column * (2 * s)) / engine_.W() - s;
  const double y = s - (row * (2 * s)) / engine_.H();

  PointClick click;
  click.pathPoint = mode == MouseMode::SetPathPoints;
  click.pointA = click.pathPoint ? pathStartNext_ : rotateStartNext_;
  click.x = pointText(x);
  click.y = pointText(y);
  // The settings take what their fields read from the texts.
  double* targets[2];
  if (click.pathPoint) {
    targets[0] = click.pointA ? &settings.ZorvaPointsXStart : &settings.ZorvaPointsXEnd;
    targets[1] = click.pointA ? &settings.ZorvaPointsYStart : &settings.ZorvaPointsYEnd;
    pathStartNext_ = !pathStartNext_;
  } else {
    targets[0] = click.pointA ? &settings.ZorvaPointsRotateXStart : &settings.ZorvaPointsRotateXEnd;
    targets[1] = click.pointA ? &settings.ZorvaPointsRotateYStart : &settings.ZorvaPointsRotateYEnd;
    rotateStartNext_ = !rotateStartNext_;
  }
  if (auto v = parseFloat(click.x)) *targets[0] = *v;
  if (auto v = parseFloat(click.y)) *targets[1] = *v;
  engine_.markPixel(column, row);
  return click;
}

// ---- buttons ----------------------------------------------------------------------

void CanvasEditor::mouseDown(int column, int row, MouseButton button, unsigned modifiers) {
  if (engine_.mouseMode() != MouseMode::DrawMultiplierBezier || engine_.isDrawing() || !inside(column, row)) return;
  selectedPoint_ = engine_.pointMapAt(column, row);
  const bool onPoint = selectedPoint_ != kNoPoint;

  if (button == kLeftButton) {
    dragPoint_ = onPoint;
    dragKind_ = DragKind::SinglePoint;
    cursor_ = onPoint ? EditCursor::Drag : EditCursor::Normal;
    if (!onPoint) return;
    const unsigned keys = modifiers & (kShiftKey | kCtrlKey | kAltKey);
    if (keys == kAltKey) {
      dragKind_ = DragKind::Expand;
      cursor_ = EditCursor::CurveExpand;
    } else if (keys == kCtrlKey) {
      dragKind_ = DragKind::Rotate;
      cursor_ = EditCursor::CurveRotate;
    } else if (keys == kShiftKey) {
      dragKind_ = DragKind::Move;
      cursor_ = EditCursor::SizeAll;
    }
    return;
  }
  if (button != kRightButton) return;
  const int slot = engine_.selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  if (onPoint) {
    // No undo copy for a deleted point.
    qCurve::RemovePoint(selectedPoint_, engine_.multiplierSlot(slot).curve, engine_.scratchCurve());
    engine_.SetUpBezier(999);
    engine_.showSlotCurve();
    return;
  }
  engine_.keepPicture();
  lastFreehand_ = {-10, -10};
  engine_.host().status("Mouse down to start bezier");
  freehandStart_ = true;
  freehandStroke_ = true;
}

void CanvasEditor::mouseUp(int column, int row) {
  cursor_ = EditCursor::Normal;
  preview_.clear();
  const bool stroke = freehandStroke_;
  freehandStroke_ = false;
  if (engine_.isDrawing()) {
    dragPoint_ = false;
    return;
  }
  if (!dragPoint_) {
    // The end of a freehand stroke.
    if (stroke && engine_.freehandDrawn() && engine_.mouseMode() == MouseMode::DrawMultiplierBezier) {
      engine_.SetUpBezier(999);
      engine_.showSlotCurve();
    }
    return;
  }
  dragPoint_ = false;
  applyDrag(column, row);
}

// ---- moves --------------------------------------------------------------------------

void CanvasEditor::mouseMove(int column, int row, unsigned buttons) {
  preview_.clear();
  if (!inside(column, row)) {
    cursor_ = EditCursor::Normal;
  } else if (!dragPoint_) {
    const std::int32_t point = engine_.pointMapAt(column, row);
    if (point == kNoPoint) {
      engine_.host().status("");
      cursor_ = EditCursor::Normal;
    } else {
      engine_.host().status("Bezier point: " + std::to_string(point));
      cursor_ = EditCursor::HandPoint;
    }
  } else if (!engine_.isDrawing()) {
    buildPreview(column, row);
    engine_.host().status("Bezier point: " + std::to_string(selectedPoint_));
  }
  if ((buttons & kRightButton) && freehandStroke_ && !engine_.isDrawing() &&
      engine_.mouseMode() == MouseMode::DrawMultiplierBezier)
    freehandMove(column, row);
}

void CanvasEditor::freehandMove(int column, int row) {
  const int slot = engine_.selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  qCurve& curve = engine_.multiplierSlot(slot).curve;
  if (freehandStart_) {
    engine_.PutCurveToUndo(slot);
    curve.Empty();
    freehandStart_ = false;
  }
  engine_.setFreehandDrawn();
  const double dx = static_cast<double>(column) - lastFreehand_.first;
  const double dy = static_cast<double>(row) - lastFreehand_.second;
  if (std::sqrt(dx * dx + dy * dy) > engine_.settings.ZorvaPointsBezierMouse) {
    const qCoord m = engine_.ConvertMouseToCoord(column, row);
    curve.AddPoint(m.X, m.Y);
    lastFreehand_ = {column, row};
  }
  if (inside(column, row)) engine_.markPixel(column, row);
}

// ---- drags --------------------------------------------------------------------------

CanvasEditor::DragGeometry CanvasEditor::dragGeometry(int column, int row) const {
  const qCurve& curve = engine_.multiplierSlot(engine_.selectedSlot()).curve;
  DragGeometry g;
  g.centre = curve.Centre();
  g.point = curve.GetPointI(selectedPoint_);
  g.mouse = engine_.ConvertMouseToCoord(column, row);
  const double mx = g.mouse.X - g.centre.X, my = g.mouse.Y - g.centre.Y;
  const double px = g.point.X - g.centre.X, py = g.point.Y - g.centre.Y;
  g.angle = std::atan2(my, mx) - std::atan2(py, px);
  g.factor = std::sqrt(mx * mx + my * my) / std::sqrt(px * px + py * py);
  return g;
}

void CanvasEditor::buildPreview(int column, int row) {
  const int slot = engine_.selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  const MultiplierSlot& s = engine_.multiplierSlot(slot);
  if (selectedPoint_ < 0 || selectedPoint_ >= s.curve.GetLength()) return;
  const DragGeometry g = dragGeometry(column, row);
  const bool centred = slot == kStartCurve || slot == kEndCurve;
  const std::int64_t n = Engine::curveSampleCount(s.bezier.GetTotalLength());

  const qBezier* bezier = &s.bezier;
  qCoord offset = centred ? s.curve.Centre() : qCoord();
  switch (dragKind_) {
    case DragKind::SinglePoint:
      cursor_ = EditCursor::Drag;
      qCurve::CopyCurve(s.curve, engine_.scratchCurve());
      engine_.scratchCurve().SetXYofI(g.mouse, selectedPoint_);
      engine_.SetUpBezier(666);
      bezier = &engine_.scratchBezier();
      if (centred) offset = engine_.scratchCurve().Centre();
      break;
    case DragKind::Move:
      cursor_ = EditCursor::SizeAll;
      offset.Add(qCoord::Difference(g.mouse, g.point));
      break;
    case DragKind::Rotate:
      cursor_ = EditCursor::CurveRotate;
      break;
    case DragKind::Expand:
      cursor_ = EditCursor::CurveExpand;
      break;
  }
  const bool turn = dragKind_ == DragKind::Rotate || dragKind_ == DragKind::Expand;
  const bool scale = dragKind_ == DragKind::Expand && std::isfinite(g.factor);
  for (std::int64_t k = 0; k <= n - (n > 0 ? 1 : 0); ++k) {
    qCoord p = bezier->GetXYAt(n == 0 ? 0.0 : static_cast<double>(k) / static_cast<double>(n));
    p.Add(offset);
    if (turn) p.RotateAround(g.centre, g.angle);
    if (scale) p.ExpandAround(g.centre, g.factor);
    if (auto cell = engine_.pictureCell(p.X, p.Y); cell && (preview_.empty() || preview_.back() != *cell))
      preview_.push_back(*cell);
  }
}

void CanvasEditor::applyDrag(int column, int row) {
  const int slot = engine_.selectedSlot();
  if (slot < 0 || slot >= kMultiplierCount) return;
  qCurve& curve = engine_.multiplierSlot(slot).curve;
  // The curve may have changed since its markers were drawn.
  if (selectedPoint_ < 0 || selectedPoint_ >= curve.GetLength()) return;
  const DragGeometry g = dragGeometry(column, row);
  engine_.PutCurveToUndo(slot);
  switch (dragKind_) {
    case DragKind::Rotate:
      curve.Rotate(g.angle);
      break;
    case DragKind::Expand:
      curve.Rotate(g.angle);
      // Dragging the centre itself has no scale to speak of.
      if (std::isfinite(g.factor)) curve.Expand(g.factor);
      break;
    case DragKind::Move:
      curve.MoveBy(g.mouse.X - g.point.X, g.mouse.Y - g.point.Y);
      break;
    case DragKind::SinglePoint:
      curve.SetXYofI(g.mouse, selectedPoint_);
      break;
  }
  engine_.SetUpBezier(999);
  engine_.showSlotCurve();
}

}  // namespace zorva
