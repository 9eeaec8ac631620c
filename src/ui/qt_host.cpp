#include "ui/qt_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QShortcutEvent>
#include <algorithm>

#include "ui/background_image_window.h"
#include "ui/main_window.h"
#include "ui/option_window.h"
#include "ui/points_window.h"
#include "ui/source_image_window.h"
#include "ui/text_curve_editor.h"

namespace zorva {

namespace {

// Inside a long step only the Stop key gets through; other input is
// dropped, since commands must not touch the buffers the step is writing.
class StopKeyFilter : public QObject {
 public:
  bool stop = false;
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) stop = true;
        return true;
      case QEvent::Shortcut:
        if (static_cast<QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape)) stop = true;
        return true;
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::Close:
      case QEvent::Drop:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

void QtHost::status(const std::string& text) { form_.Spammer(QString::fromStdString(text)); }

void QtHost::progressRange(int max) { form_.progressBar()->setRange(0, std::max(1, max)); }

void QtHost::progressPosition(int position) { form_.progressBar()->setValue(position); }

void QtHost::processEvents() {
  if (processEventsHook) processEventsHook();
  QCoreApplication::processEvents();
}

void QtHost::pollStop() {
  StopKeyFilter filter;
  qApp->installEventFilter(&filter);
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&filter);
  if (filter.stop && form_.engine().isDrawing() && !form_.engine().stopRequested()) form_.engine().requestStop();
}

MessageAnswer QtHost::message(const std::string& text, MessageKind kind) {
  if (messageHook) return messageHook(text, kind);
  QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : &form_;
  const QString title = QStringLiteral("Zorva");
  const QString body = QString::fromStdString(text);
  switch (kind) {
    case MessageKind::Information:
      QMessageBox::information(parent, title, body);
      return MessageAnswer::Ok;
    case MessageKind::Warning:
      QMessageBox::warning(parent, title, body);
      return MessageAnswer::Ok;
    case MessageKind::Error:
      QMessageBox::critical(parent, title, body);
      return MessageAnswer::Ok;
    case MessageKind::WarningOkCancel:
      return QMessageBox::warning(parent, title, body, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
                     QMessageBox::Ok
                 ? MessageAnswer::Ok
                 : MessageAnswer::Cancel;
    case MessageKind::Question:
      return QMessageBox::question(parent, title, body, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
                     QMessageBox::Yes
                 ? MessageAnswer::Yes
                 : MessageAnswer::No;
  }
  return MessageAnswer::Ok;
}

std::optional<std::pair<int, int>> QtHost::mousePixel() { return form_.mousePixel(); }

void QtHost::pictureChanged() { form_.pictureChanged(); }

void QtHost::commandStateChanged() { form_.refreshCommandState(); }

void QtHost::pictureCleared() {
  if (form_.zoomToFit()) form_.FormResize();
}

void QtHost::windowTitle(const std::string& title) { form_.setWindowTitle(QString::fromStdString(title)); }

std::string QtHost::currentWindowTitle() { return form_.windowTitle().toStdString(); }

// The Points window's four rotate fields (A x, A y, B x, B y), read as text
// for every frame; until that window exists the rotation-point settings.
// The animation reads the rotation points from the Points window's fields.
std::optional<std::array<std::string, 4>> QtHost::rotationPointTexts() {
  auto* points = form_.optionWindowAs<TformZorvaPoints>(Window::Points);
  if (!points) return std::nullopt;
  const std::array<QString, 4> t = points->rotationFieldTexts();
  return std::array<std::string, 4>{t[0].toStdString(), t[1].toStdString(), t[2].toStdString(), t[3].toStdString()};
}

void QtHost::settingsLoaded() { form_.settingsLoaded(); }

std::optional<std::pair<int, int>> QtHost::screenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  const QRect area = screen->availableGeometry();
  return std::make_pair(area.width(), area.height());
}

std::optional<WindowPlacement> QtHost::windowPlacement(Window w) {
  if (w == Window::Atc) {
    if (const TatcForm* editor = form_.textCurveEditor()) return editor->placement();
    return std::nullopt;
  }
  if (const OptionWindow* window = form_.optionWindow(w)) return window->placement();
  return std::nullopt;
}

bool QtHost::isMaximized() { return form_.isMaximized(); }

void QtHost::curveSlotChanged(int slot) {
  if (auto* points = form_.optionWindowAs<TformZorvaPoints>(Window::Points)) points->refreshSlot(slot);
}

void QtHost::sourceImageChanged() {
  if (auto* window = form_.optionWindowAs<TformZorvaSourceImage>(Window::SourceImage)) window->sourceImageChanged();
}

void QtHost::backgroundImageChanged() {
  if (auto* window = form_.optionWindowAs<TformZorvaBackgroundImage>(Window::BackgroundImage))
    window->backgroundImageChanged();
}

}  // namespace zorva
