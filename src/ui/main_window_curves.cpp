// Curve commands: the Edit menu's curve items, "Open curve" and "Save curve",
// "Paste from Clipboard", the mouse modes, and the mouse on the picture.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <cmath>

#include "io/paths.h"
#include "ui/branching_window.h"
#include "ui/cursors.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/points_window.h"
#include "ui/text_curve_editor.h"

namespace zorva {

namespace {

QCursor cursorFor(EditCursor cursor) {
  switch (cursor) {
    case EditCursor::Normal:
      return Qt::ArrowCursor;
    case EditCursor::Drag:
      return Qt::DragMoveCursor;
    case EditCursor::SizeAll:
      return Qt::SizeAllCursor;
    case EditCursor::HandPoint:
      return Qt::PointingHandCursor;
    case EditCursor::CurveRotate:
      return zorvaCursor(kCurveRotateCursor);
    case EditCursor::CurveExpand:
      return zorvaCursor(kCurveExpandCursor);
  }
  return Qt::ArrowCursor;
}

unsigned modifierBits(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? kShiftKey : 0u) | (modifiers & Qt::ControlModifier ? kCtrlKey : 0u) |
         (modifiers & Qt::AltModifier ? kAltKey : 0u);
}

unsigned buttonBits(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? kLeftButton : 0u) | (buttons & Qt::RightButton ? kRightButton : 0u) |
         (buttons & Qt::MiddleButton ? kMiddleButton : 0u);
}

std::pair<int, int> pixelOf(QPointF at) {
  return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

// The hourglass while a command works.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

void TForm1::connectCurveCommands() {
  const Commands& c = commands_;
  connect(c.openCurve, &QAction::triggered, this, &TForm1::openCurveClick);
  connect(c.saveCurve, &QAction::triggered, this, &TForm1::saveCurveClick);
  connect(c.undoCurveEdit, &QAction::triggered, this, [this] { engine_.undoCurveEdit(); });
  connect(c.cutCurve, &QAction::triggered, this, [this] { engine_.cutCurve(); });
  connect(c.copyCurve, &QAction::triggered, this, [this] { engine_.copyCurve(); });
  connect(c.pasteCurve, &QAction::triggered, this, [this] { engine_.pasteCurve(); });
  connect(c.pasteFromClipboard, &QAction::triggered, this, &TForm1::pasteFromClipboardClick);
  connect(c.resetAllCurves, &QAction::triggered, this, [this] { engine_.resetAllCurves(); });
  connect(c.showCurve, &QAction::triggered, this, [this] { engine_.showCurveCommand(); });

  connect(c.setRotationPoints, &QAction::triggered, this, [this] { setMouseMode(MouseMode::SetRotationPoints); });
  connect(c.setPathPoints, &QAction::triggered, this, [this] { setMouseMode(MouseMode::SetPathPoints); });
  connect(c.drawMultiplierBezier, &QAction::triggered, this, [this] { setMouseMode(MouseMode::DrawMultiplierBezier); });
  // The mode items never show in the menu, and hidden actions take no keys.
  for (QAction* hidden : {c.drawMultiplierBezier, c.useStartBezierAsEndBezier}) {
    auto* key = new QShortcut(hidden->shortcut(), this);
    connect(key, &QShortcut::activated, hidden, &QAction::trigger);
  }

  connect(view_, &PictureView::pictureMousePressed, this, &TForm1::pictureMousePressed);
  connect(view_, &PictureView::pictureMouseMoved, this, &TForm1::pictureMouseMoved);
  connect(view_, &PictureView::pictureMouseReleased, this, &TForm1::pictureMouseReleased);
}

void TForm1::setMouseMode(MouseMode mode) {
  engine_.setMouseMode(mode);
  const Commands& c = commands_;
  QAction* item = mode == MouseMode::SetRotationPoints ? c.setRotationPoints
                  : mode == MouseMode::SetPathPoints   ? c.setPathPoints
                                                       : c.drawMultiplierBezier;
  item->setChecked(true);
  if (auto* points = optionWindowAs<TformZorvaPoints>(Window::Points)) points->mouseModeChanged();
  if (auto* branching = optionWindowAs<TformZorvaBranching>(Window::Branches))
    branching->curveEditingChanged(mode == MouseMode::DrawMultiplierBezier);
}

// ---- files and the clipboard ------------------------------------------------------

void TForm1::openCurveClick() {
  if (!engine_.curveCanBeOpened()) return;
  const MultiplierSlot& slot = engine_.multiplierSlot(engine_.selectedSlot());
  const QString title = "Load path for " + QString::fromStdString(slot.name);
  const QString file = curveFileDialogHook
                           ? curveFileDialogHook(false, title)
                           : QFileDialog::getOpenFileName(this, title, QString::fromStdString(engine_.settings.LoadDir),
                                                          "Zorva paths (*.curve)");
  engine_.openCurve(file.isEmpty() ? std::nullopt : std::optional<std::string>(file.toStdString()));
}

void TForm1::saveCurveClick() {
  if (!engine_.curveCanBeSaved()) return;
  const MultiplierSlot& slot = engine_.multiplierSlot(engine_.selectedSlot());
  const QString title = "Save your text or word file";
  // The slot's name without quotes and blanks, in the picture save folder.
  const QString proposed = QString::fromStdString(joinPath(engine_.settings.SaveDir, curveFileName(slot.name)));
  QString file = curveFileDialogHook ? curveFileDialogHook(true, title)
                                     : QFileDialog::getSaveFileName(this, title, proposed, "Zorva path file (*.curve)",
                                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty()) file += ".curve";
  engine_.saveCurve(file.isEmpty() ? std::nullopt : std::optional<std::string>(file.toStdString()));
}

void TForm1::pasteFromClipboardClick() {
  BusyCursor busy;
  // The text curve editor's last tracing goes before the system clipboard.
  if (atc_ && !atc_->outlineCurveText().empty()) {
    engine_.pasteFromClipboard(atc_->outlineCurveText());
    return;
  }
  const QClipboard* clipboard = QGuiApplication::clipboard();
  engine_.pasteFromClipboard(clipboard ? clipboard->text().toStdString() : std::string());
}

// ---- the mouse on the picture --------------------------------------------------------

void TForm1::pictureMousePressed(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  const auto [column, row] = pixelOf(at);
  if (button == Qt::RightButton) {
    // A right click sets a point in the point modes and edits the curve in
    // the curve mode; each does nothing in the other modes.
    if (auto click = editor_.contextClick(column, row))
      if (auto* points = optionWindowAs<TformZorvaPoints>(Window::Points)) points->pointClicked(*click);
    editor_.mouseDown(column, row, kRightButton, modifierBits(modifiers));
  } else if (button == Qt::LeftButton) {
    editor_.mouseDown(column, row, kLeftButton, modifierBits(modifiers));
  }
  showEditing();
}

void TForm1::pictureMouseMoved(QPointF at, Qt::MouseButtons buttons) {
  const auto [column, row] = pixelOf(at);
  editor_.mouseMove(column, row, buttonBits(buttons));
  showEditing();
}

void TForm1::pictureMouseReleased(QPointF at, Qt::MouseButton button) {
  if (button != Qt::LeftButton && button != Qt::RightButton) return;
  const auto [column, row] = pixelOf(at);
  editor_.mouseUp(column, row);
  showEditing();
}

void TForm1::showEditing() {
  view_->setCursor(cursorFor(editor_.cursor()));
  if (!editor_.preview().empty())
    view_->showOverlay(editor_.preview());
  else
    view_->update();  // marks of right clicks and strokes go straight onto the picture
}

}  // namespace zorva
