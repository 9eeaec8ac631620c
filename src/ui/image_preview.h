// What the source and background image windows share: the file dialog's
// filter and starting point, and the preview box.
#pragma once

#include <QLabel>
#include <string>

namespace zorva {

struct SourceImage;
struct BackgroundImage;

// Both image dialogs offer PNG, BMP and JPEG files.
extern const char* const kImageFileFilter;

// Where an image dialog opens: on the last file (its folder and its name),
// or in "." when there is none.
QString imageDialogStart(const std::string& lastFile);

// A framed box that shows "No image set" until an image is shown, then the
// image scaled proportionally into the box.
class ImagePreview : public QLabel {
  Q_OBJECT

 public:
  static const char* const kNoImageText;

  ImagePreview(QSize box, QWidget* parent);
  bool hasImage() const { return hasImage_; }
  // An empty image brings the caption back.
  void showImage(const QImage& image);
  // The engine's images are stored bottom-up; these show them upright.
  void showImage(const SourceImage& image);
  void showImage(const BackgroundImage& image);

 private:
  // Scales rows stored bottom-up into the box and turns the result upright.
  void showBottomUp(const unsigned char* rgb, int width, int height, qsizetype bytesPerLine);

  bool hasImage_ = false;
};

}  // namespace zorva
