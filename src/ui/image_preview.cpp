#include "ui/image_preview.h"

#include <QImage>
#include <QPixmap>

#include "render/engine.h"

namespace zorva {

const char* const kImageFileFilter = "Source images png,bmp,jpg,jpeg (*.png *.bmp *.jpg *.jpeg)";
const char* const ImagePreview::kNoImageText = "No image set";

QString imageDialogStart(const std::string& lastFile) {
  // A path with a file name opens the dialog in its folder with the file proposed.
  return lastFile.empty() ? QStringLiteral(".") : QString::fromStdString(lastFile);
}

ImagePreview::ImagePreview(QSize box, QWidget* parent) : QLabel(kNoImageText, parent) {
  setFixedSize(box);
  setFrameShape(QFrame::StyledPanel);
  setAlignment(Qt::AlignCenter);
}

void ImagePreview::showImage(const QImage& image) {
  if (image.isNull()) {
    hasImage_ = false;
    setPixmap(QPixmap());
    setText(kNoImageText);
    return;
  }
  const QSize inside = contentsRect().size();
  // Small images grow in whole pixels, large ones shrink smoothly.
  const bool grows = image.width() < inside.width() && image.height() < inside.height();
  const QImage scaled =
      image.scaled(inside, Qt::KeepAspectRatio, grows ? Qt::FastTransformation : Qt::SmoothTransformation);
  hasImage_ = true;
  setPixmap(QPixmap::fromImage(scaled));
}

void ImagePreview::showBottomUp(const unsigned char* rgb, int width, int height, qsizetype bytesPerLine) {
  if (width <= 0 || height <= 0) {
    showImage(QImage());
    return;
  }
  // Wraps the engine's rows without copying them; scaling makes the copy,
  // and only the small result is turned upright.
  const QImage bottomUp(rgb, width, height, bytesPerLine, QImage::Format_RGB888);
  const QSize inside = contentsRect().size();
  const bool grows = width < inside.width() && height < inside.height();
  QImage scaled =
      bottomUp.scaled(inside, Qt::KeepAspectRatio, grows ? Qt::FastTransformation : Qt::SmoothTransformation);
  scaled.mirror(false, true);
  hasImage_ = true;
  setPixmap(QPixmap::fromImage(scaled));
}

void ImagePreview::showImage(const SourceImage& image) {
  // Rows of w + 1 pixels: the extra column and the repeated top row stay out.
  if (!image.loaded()) {
    showImage(QImage());
    return;
  }
  showBottomUp(image.rgb.data(), image.w, image.h, static_cast<qsizetype>(image.w + 1) * 3);
}

void ImagePreview::showImage(const BackgroundImage& image) {
  if (!image.present()) {
    showImage(QImage());
    return;
  }
  showBottomUp(image.rgb.data(), image.w, image.h, static_cast<qsizetype>(image.w) * 3);
}

}  // namespace zorva
