// The text curve editor's commands: painting and stamping on the canvas,
// tracing, pasting, and the image and curve files.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <cstring>
#include <variant>

#include "io/image_io.h"
#include "ui/main_window.h"
#include "ui/text_curve_editor.h"

namespace zorva {

namespace {

// The hourglass while a command works.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// RGB888 images have padded rows; RgbImage's are tightly packed.
RgbImage toRgb(const QImage& image) {
  RgbImage rgb;
  rgb.width = image.width();
  rgb.height = image.height();
  const auto rowBytes = static_cast<std::size_t>(rgb.width) * 3;
  rgb.rgb.resize(rowBytes * static_cast<std::size_t>(rgb.height));
  for (int y = 0; y < rgb.height; ++y) std::memcpy(rgb.rgb.data() + rowBytes * y, image.constScanLine(y), rowBytes);
  return rgb;
}

void copyInto(const RgbImage& rgb, QImage& image) {
  const auto rowBytes = static_cast<std::size_t>(rgb.width) * 3;
  for (int y = 0; y < rgb.height && y < image.height(); ++y)
    std::memcpy(image.scanLine(y), rgb.rgb.data() + rowBytes * y, rowBytes);
}

}  // namespace

void TatcForm::refreshCanvas() {
  atcImage->image() = committed_.copy();
  atcImage->update();
}

// ---- painting ------------------------------------------------------------------------

void TatcForm::paintAt(QPoint at, Qt::MouseButtons buttons) {
  const Settings& s = main_.engine().settings;
  // The button decides the colour and whether the paint is kept.
  const bool left = buttons & Qt::LeftButton, right = buttons & Qt::RightButton;
  const QColor colour = left ? Qt::black : right ? Qt::white : Qt::blue;
  QImage& canvas = atcImage->image();
  canvas = committed_.copy();
  {
    QPainter painter(&canvas);
    if (atcRbDraw->isChecked()) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawEllipse(at, s.AtcPenSize, s.AtcPenSize);
    } else {
      QFont font(atcCbFonts->currentText());
      font.setPointSize(std::max(s.AtcTextSize, 1));
      // Two colours only, so the tracer finds the letters' own edges.
      font.setStyleStrategy(QFont::NoAntialias);
      painter.setFont(font);
      painter.setPen(colour);
      const int size = s.AtcTextSize;
      const int textLeft = at.x() - static_cast<int>(std::floor(size / 2.0)), textTop = at.y() - size;
      painter.drawText(QRect(textLeft, textTop, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, stampText_);
    }
  }
  if (left || right) committed_ = canvas.copy();
  atcImage->update();
}

void TatcForm::canvasPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (atcCbLasso->isChecked()) {
    refreshCanvas();
    GetOutline(at.x(), at.y(), !(modifiers & Qt::ShiftModifier), true);
    return;
  }
  if (button == Qt::MiddleButton) {
    (atcRbDraw->isChecked() ? atcRbText : atcRbDraw)->setChecked(true);
    paintAt(at, Qt::NoButton);
    return;
  }
  paintAt(at, button);
}

void TatcForm::canvasMoved(QPoint at, Qt::MouseButtons buttons) {
  lastMouse_ = at;
  if (atcCbLasso->isChecked()) {
    main_.Spammer("");
    return;
  }
  paintAt(at, buttons & (Qt::LeftButton | Qt::RightButton));
}

// ---- tracing ---------------------------------------------------------------------------

void TatcForm::GetOutline(int x0, int y0, bool clearText, bool lasso) {
  {
    BusyCursor busy;
    const RgbImage canvas = toRgb(committed_);
    const Settings& s = main_.engine().settings;
    const OutlineOptions options{s.AtcTolerance, s.AtcSampling};
    // A lasso press appends with Shift (clearText false) and starts afresh without.
    const OutlineTrace trace = lasso ? lassoOutline(canvas, x0, y0, !clearText, options, OutlineCurveText_)
                                     : zorva::GetOutline(canvas, x0, y0, clearText, false, options, OutlineCurveText_);
    QImage& shown = atcImage->image();
    for (const TracePixel& p : trace.marked) shown.setPixelColor(p.x, p.y, Qt::red);
    atcImage->update();
    if (trace.found()) setOutlineFound(true);
  }
  main_.Spammer("Outline done");
}

void TatcForm::getOutlineClick() { GetOutline(1, 1, true, false); }

void TatcForm::setOutlineFound(bool found) {
  atcBtnPasteToZorva->setEnabled(found);
  atcBtnSaveCurve->setEnabled(found);
  atcSaveCurve->setEnabled(found);
}

void TatcForm::pasteToZorvaClick() { main_.pasteFromClipboardClick(); }

// ---- files -------------------------------------------------------------------------------

void TatcForm::saveCurveClick() {
  const QString title = "Save your curve file";
  QString file = fileDialogHook ? fileDialogHook(title)
                                : QFileDialog::getSaveFileName(this, title, QDir::current().filePath("atc.curve"),
                                                               "Zorva path file (*.curve)", nullptr,
                                                               QFileDialog::DontConfirmOverwrite);
  if (file.isEmpty()) {
    main_.Spammer("Saving cancelled.");
    return;
  }
  if (QFileInfo(file).suffix().isEmpty()) file += ".curve";
  Host& host = main_.engine().host();
  if (QFileInfo::exists(file) && host.message("Do you want to overwrite \r\n" + file.toStdString() + "?",
                                              MessageKind::Question) != MessageAnswer::Yes) {
    main_.Spammer("Curve not saved.");
    return;
  }
  if (std::optional<std::string> error = WriteCurveToFile(file.toStdString(), OutlineCurveText_)) {
    host.message(*error, MessageKind::Error);
    return;
  }
  main_.Spammer("Curve saved.");
}

void TatcForm::openImageClick() {
  const QString title = "Open Image";
  Settings& s = main_.engine().settings;
  const QString file = fileDialogHook ? fileDialogHook(title)
                                      : QFileDialog::getOpenFileName(this, title, QString::fromStdString(s.AtcLoadDir),
                                                                     "BMP, JPG, PNG images bmp, jpg, png "
                                                                     "(*.bmp *.jpg *.jpeg *.png)");
  if (!file.isEmpty()) LoadImage(file);
}

void TatcForm::LoadImage(const QString& file) {
  Host& host = main_.engine().host();
  if (!QFileInfo(file).isFile()) {
    host.message("file: \r\n" + file.toStdString() + "  does not exist", MessageKind::Warning);
    return;
  }
  std::variant<RgbImage, std::string> loaded;
  {
    BusyCursor busy;
    loaded = loadImage(file.toStdString());
  }
  // A file that is no image leaves the canvas as it was.
  if (const auto* error = std::get_if<std::string>(&loaded)) {
    host.message(*error, MessageKind::Error);
    return;
  }
  const RgbImage placed = placeImageOnCanvas(std::get<RgbImage>(loaded), committed_.width(), committed_.height());
  if (placed.rgb.empty()) return;
  copyInto(placed, committed_);
  refreshCanvas();
  main_.engine().settings.AtcLoadDir = QFileInfo(file).absolutePath().toStdString() + "/";
}

void TatcForm::saveImageClick() {
  const QImage& canvas = atcImage->image();
  const std::string file = QDir::current().filePath("atc_").toStdString() + Engine::timeStamp() + ".png";
  if (std::optional<std::string> error = writePng(file, canvas.width(), canvas.height(), canvas.constBits(),
                                                  static_cast<std::size_t>(canvas.bytesPerLine()), nullptr)) {
    main_.engine().host().message(*error, MessageKind::Error);
    return;
  }
  main_.Spammer("Saved image");
}

void TatcForm::clearImageClick() {
  committed_.fill(Qt::white);
  refreshCanvas();
}

}  // namespace zorva
