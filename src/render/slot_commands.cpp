// The curve commands of the Points window, the Path window and the Edit and
// File menus, and the display of a slot's curve over the picture.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/math_util.h"
#include "io/paths.h"
#include "render/engine.h"

namespace zorva {

namespace {

constexpr std::int32_t kMinDefinedPoints = 5;  // fewer: "not defined" for copy, paste, reverse, save
constexpr std::int32_t kMaxMarkers = 200;      // more points than this get 201 markers
constexpr int kMarkerHalf = 4;                 // markers are 9 x 9 pixels

// The marking colour of one channel: the accumulated value rounded, + 127,
// modulo 256 (what is left in a byte, also for negative values).
std::uint8_t markByte(double v) {
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(v, -1e15, 1e15);
  const auto rounded = static_cast<long long>(roundEven(v));
  return static_cast<std::uint8_t>((rounded + 127) & 0xFF);
}

}  // namespace

// ---- mode and picture ------------------------------------------------------------

void Engine::setMouseMode(MouseMode mode) {
  mouseMode_ = mode;
  switch (mode) {
    case MouseMode::SetRotationPoints:
      host_->status("Right clicking on the image will set the start and end points for the center of rotation");
      break;
    case MouseMode::SetPathPoints:
      host_->status("Right clicking on the image will set the start and end points for the path");
      break;
    case MouseMode::DrawMultiplierBezier:
      host_->status("Drawing with the right mouse button on the image will set the selected curve");
      break;
  }
}

void Engine::keepPicture() {
  if (CurveShown) return;
  // The picture as the buffer makes it: marks of right clicks and freehand
  // strokes are not part of the drawing and must not come back on hiding.
  drawArrayOnImage();
  CopyOutZorvaPicture();
}

void Engine::resetPointMap() { canvas_.pointMap.clear(); }

std::int32_t Engine::pointMapAt(int column, int row) {
  if (!canvas_.onCanvas(column, row) || canvas_.pointMap.empty()) return kNoPoint;
  return canvas_.pointMap[canvas_.pixel(column, row)];
}

std::optional<std::pair<int, int>> Engine::pictureCell(double x, double y) const {
  // A failed conversion (scale 0, a value beyond any integer) only means the
  // point is not shown; the drawing reports such failures, the display not.
  ConversionFailures ignored;
  const PixelMapper pixels{PlaneToPixel(step_.CurrentScale, canvas_.W, canvas_.H), &ignored};
  const int column = pixels.column(x);
  const int py = pixels.row(y);
  if (py == -1000000 || py == INT32_MIN) return std::nullopt;
  const int row = canvas_.H - py;  // the y axis points up
  if (column < 0 || column >= canvas_.W || row < 0 || row >= canvas_.H) return std::nullopt;
  return std::pair<int, int>(column, row);
}

void Engine::markPixel(int column, int row) {
  if (column < 0 || column >= picture_.width || row < 0 || row >= picture_.height) return;
  if (!canvas_.onCanvas(column, canvas_.H - 1 - row)) return;
  std::uint8_t* p = picture_.row(row) + static_cast<std::size_t>(column) * 3;
  const int y = canvas_.H - 1 - row;  // the buffer row shown on this picture row
  p[2] = markByte(canvas_.ColorArray(0, column, y));
  p[1] = markByte(canvas_.ColorArray(1, column, y));
  p[0] = markByte(canvas_.ColorArray(2, column, y));
}

void Engine::displayPathCreation(double x, double y) {
  if (auto cell = pictureCell(x, y)) markPixel(cell->first, cell->second);
}

void Engine::displayCurveControls(std::int32_t index, double x, double y) {
  const auto cell = pictureCell(x, y);
  if (!cell || picture_.width != canvas_.W || picture_.height != canvas_.H) return;
  const double m = selectedSlot_ >= 0 && selectedSlot_ < kMultiplierCount
                       ? multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve.GetLength()
                       : 0;
  const double redValue = m > 0 ? roundEven(255.0 * index / m) : 0;
  const auto red = static_cast<std::uint8_t>(std::clamp(redValue, 0.0, 255.0));
  std::int32_t* map = canvas_.PointMap();
  const auto [px, row] = *cell;
  for (int r = row - kMarkerHalf; r <= row + kMarkerHalf; ++r) {
    for (int c = px - kMarkerHalf; c <= px + kMarkerHalf; ++c) {
      if (!canvas_.onCanvas(c, r)) continue;
      const bool border =
          r == row - kMarkerHalf || r == row + kMarkerHalf || c == px - kMarkerHalf || c == px + kMarkerHalf;
      std::uint8_t* p = picture_.row(r) + static_cast<std::size_t>(c) * 3;
      p[0] = border ? 255 : static_cast<std::uint8_t>(255 - red);  // blue
      p[1] = border ? 255 : 0;
      p[2] = border ? 255 : red;
      map[canvas_.pixel(c, r)] = index;
    }
  }
}

std::int64_t Engine::curveSampleCount(double totalLength) {
  const double n = roundEven(totalLength * 20000);
  if (!(n > 0)) return 0;  // also NaN
  return n >= static_cast<double>(kMaxCurveSamples) ? kMaxCurveSamples : static_cast<std::int64_t>(n);
}

void Engine::markSlot(int slot, bool marked) {
  multiplierSlots_[static_cast<std::size_t>(slot)].marked = marked;
  host_->curveSlotChanged(slot);
}

void Engine::markDefinedSlots() {
  for (int i = 0; i < kMultiplierCount; ++i)
    if (multiplierSlots_[static_cast<std::size_t>(i)].curve.GetLength() > 4) markSlot(i, true);
}

// ---- showing and hiding --------------------------------------------------------

void Engine::showSlotCurve() {
  const int s = selectedSlot_;
  if (s < 0 || s >= kMultiplierCount) return;
  keepPicture();
  MultiplierSlot& slot = multiplierSlots_[static_cast<std::size_t>(s)];
  CurveDrawing = true;
  resetPointMap();
  MakePictureBlack();  // with CurveDrawing set: the picture from the buffer, the buffer untouched
  if (slot.curve.GetLength() == 0) {
    markSlot(s, false);
    host_->status("The " + slot.name + " bezier is not set at present.");
    CurveShown = true;
    CurveDrawing = false;
    return;
  }
  // The start and end curves are built around their centre: add it back.
  const qCoord offset = s == kStartCurve || s == kEndCurve ? slot.curve.Centre() : qCoord();
  const std::int64_t n = curveSampleCount(slot.bezier.GetTotalLength());
  host_->status("Drawing " + slot.name + " bezier");
  for (std::int64_t k = 0; k <= n; ++k) {
    const qCoord p = slot.bezier.GetXYAt(n == 0 ? 0.0 : static_cast<double>(k) / static_cast<double>(n));
    displayPathCreation(p.X + offset.X, p.Y + offset.Y);
  }
  if (toggles_.showControlPoints) {
    const std::int64_t m = slot.curve.GetLength();
    const std::int64_t markers = m > kMaxMarkers ? kMaxMarkers + 1 : m;
    for (std::int64_t j = 0; j < markers; ++j) {
      const auto index = static_cast<std::int32_t>(m > kMaxMarkers ? j * (m - 1) / kMaxMarkers : j);
      displayCurveControls(index, slot.curve.GetXofI(index), slot.curve.GetYofI(index));
    }
  }
  host_->pictureChanged();
  markSlot(s, true);
  host_->status("Finished drawing " + slot.name + " bezier");
  CurveShown = true;
  CurveDrawing = false;
}

void Engine::hideCurve() {
  if (!CurveShown) {
    host_->status("No curve to hide.");
    return;
  }
  MakePictureBlack();  // the buffer from the snapshot
  resetPointMap();     // the markers went with the curve
  host_->status("");
}

void Engine::showCurveCommand() {
  if (!curveSelected()) {
    host_->status("No curve selected!");
    return;
  }
  showSlotCurve();
}

// ---- the slot's curve ------------------------------------------------------------

void Engine::PutCurveToUndo(int slot) {
  if (slot < 0 || slot >= kMultiplierCount) {
    host_->status("Trying to put a curve to undo... but no curve selected!");
    return;
  }
  MultiplierSlot& s = multiplierSlots_[static_cast<std::size_t>(slot)];
  qCurve::CopyCurve(s.curve, s.undo);
}

void Engine::resetCurve() {
  const int s = selectedSlot_;
  if (s < 0 || s >= kMultiplierCount) return;
  keepPicture();
  MultiplierSlot& slot = multiplierSlots_[static_cast<std::size_t>(s)];
  CurveDrawing = true;
  host_->status("Clearing the " + slot.name + " bezier");
  PutCurveToUndo(s);
  slot.curve.Empty();
  markSlot(s, false);
  if (CurveShown) {
    resetPointMap();
    MakePictureBlack();
  }
  CurveDrawing = false;
}

void Engine::reverseCurve() {
  keepPicture();
  if (!curveSelected()) {
    host_->message("There is no curve selected at present.", MessageKind::Information);
    return;
  }
  MultiplierSlot& slot = multiplierSlots_[static_cast<std::size_t>(selectedSlot_)];
  if (slot.curve.GetLength() < kMinDefinedPoints) {
    host_->message(slot.name + "is not defined at present.", MessageKind::Information);
    return;
  }
  qCurve::ReverseCurve(slot.curve, ScratchCurve);
  qCurve::CopyCurve(ScratchCurve, slot.curve);
  SetUpBezier(999);
  showSlotCurve();
  host_->status(slot.name + "reversed.");
}

void Engine::copyCurve() {
  if (!curveSelected()) {
    host_->message("No curve selected, please select \"Set curve\" in the points form", MessageKind::Information);
    return;
  }
  const MultiplierSlot& slot = multiplierSlots_[static_cast<std::size_t>(selectedSlot_)];
  if (slot.curve.GetLength() < kMinDefinedPoints) {
    host_->status("The " + slot.name + " is not defined at present. No curve copied to Zorva clipboard.");
    return;
  }
  qCurve::CopyCurve(slot.curve, ClipboardCurve);
  host_->status("Curve copied to Zorva clipboard.");
}

void Engine::cutCurve() {
  copyCurve();
  // A refused copy still resets the slot, unless no slot is selected at all.
  if (!curveSelected()) return;
  resetCurve();
  host_->status("Curve cut and copied to Zorva clipboard");
}

void Engine::pasteCurve() {
  const bool clipboardHolds = ClipboardCurve.GetLength() >= kMinDefinedPoints;
  if (!curveSelected()) {
    host_->message(clipboardHolds ? "No target curve selected, please select \"Set curve\" in the points form"
                                  : "There is no curve in the Zorva clipboard at present. No curve pasted.",
                   MessageKind::Information);
    return;
  }
  if (!clipboardHolds) {
    host_->status("There is no curve in the Zorva clipboard at present. No curve pasted.");
    return;
  }
  PutCurveToUndo(selectedSlot_);
  qCurve::CopyCurve(ClipboardCurve, multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve);
  SetUpBezier(999);
  showSlotCurve();
  host_->status("Curve pasted from Zorva clipboard.");
}

void Engine::undoCurveEdit() {
  if (!CurveShown) {
    host_->status("Not displaying a curve, so not going to undo.");
    return;
  }
  if (!curveSelected()) {
    host_->status("No curve selected to undo");
    return;
  }
  MultiplierSlot& slot = multiplierSlots_[static_cast<std::size_t>(selectedSlot_)];
  qCurve::CopyCurve(slot.undo, ScratchCurve);
  qCurve::CopyCurve(slot.curve, slot.undo);
  qCurve::CopyCurve(ScratchCurve, slot.curve);
  SetUpBezier(999);
  showSlotCurve();
}

// ---- files, clipboard text and generated paths ------------------------------------

bool Engine::curveCanBeOpened() {
  if (curveSelected()) return true;
  host_->message("You must have a bezier selected in the Points form.", MessageKind::Information);
  return false;
}

void Engine::openCurve(const std::optional<std::string>& file) {
  if (file && isFile(*file)) {
    // Read aside: a file that is no curve leaves the slot as it was.
    qCurve curve;
    if (std::optional<std::string> error = curve.Load(*file)) {
      host_->message(*error, MessageKind::Error);
    } else {
      qCurve::CopyCurve(curve, multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve);
      SetUpBezier(999);
      host_->status("Loaded " + *file);
      const std::string folder = std::filesystem::path(*file).parent_path().string();
      settings.LoadDir = folder.empty() ? "./" : folder + "/";
    }
  }
  showSlotCurve();
}

bool Engine::curveCanBeSaved() {
  if (!curveSelected()) {
    host_->message("You must have a curve selected in the Points form.", MessageKind::Information);
    return false;
  }
  if (multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve.GetLength() < kMinDefinedPoints) {
    host_->message("The currently selected curve is not defined at the moment.", MessageKind::Information);
    return false;
  }
  return true;
}

void Engine::saveCurve(const std::optional<std::string>& file) {
  if (!file || file->empty()) {
    host_->status("Saving curve was cancelled.");
    return;
  }
  std::error_code ec;
  if (std::filesystem::exists(*file, ec) &&
      host_->message("Do you want to overwrite \r\n" + *file + "?", MessageKind::Question) != MessageAnswer::Yes) {
    host_->status("Curve not saved.");
    return;
  }
  const std::string folder = std::filesystem::path(*file).parent_path().string();
  if (!folder.empty() && !isFolder(folder)) settings.SaveDir = defaultFolder_;
  const qCurve& curve = multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve;
  if (curve.GetLength() < kMinDefinedPoints) {
    host_->status("No curve to save");
    return;
  }
  if (std::optional<std::string> error = curve.Spam(*file))
    host_->message(*error, MessageKind::Error);
  else
    host_->status("Saved " + *file);
}

void Engine::pasteFromClipboard(const std::string& text) {
  if (!curveSelected()) {
    host_->message("You must have a bezier selected in the Points form.", MessageKind::Information);
    return;
  }
  qCurve& target = multiplierSlots_[static_cast<std::size_t>(selectedSlot_)].curve;
  // Read aside: text that is no curve leaves the slot as it was.
  qCurve curve = target;
  if (std::optional<std::string> error = curve.LoadFromClipBoard(text)) {
    host_->message(*error, MessageKind::Error);
    return;
  }
  qCurve::CopyCurve(curve, target);
  SetUpBezier(999);
  host_->status("Loaded clipboard.");
  showSlotCurve();
}

PathResult Engine::makeSlotPath(int slot, PathShape shape) {
  PathResult result = makePath(settings, shape);
  if (slot < 0 || slot >= kMultiplierCount) return result;
  switch (result.outcome) {
    case PathResult::Outcome::Made:
      setSlotCurve(slot, result.curve);
      host_->status(result.message);
      break;
    case PathResult::Outcome::LeftEmpty:
      setSlotCurve(slot, qCurve());  // no points, so no Bezier either
      break;
    case PathResult::Outcome::Failed:
      break;
  }
  return result;
}

void Engine::makePathCommand(PathShape shape) {
  if (!curveSelected()) {
    host_->message("No target curve selected, please select \"Set curve\" in the points form",
                   MessageKind::Information);
    return;
  }
  host_->status(kDrawingPathStatus);
  const PathResult result = makeSlotPath(selectedSlot_, shape);
  if (result.outcome == PathResult::Outcome::Failed) {
    host_->message(result.message, MessageKind::Error);
    return;
  }
  showSlotCurve();
}

}  // namespace zorva
