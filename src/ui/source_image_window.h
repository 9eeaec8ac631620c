// "Source image": the picture whose colours the points take, with its
// repeats, offsets and the opaque mode.
#pragma once

#include <QString>
#include <array>
#include <variant>

#include "ui/option_window.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace zorva {

class ImagePreview;

class TformZorvaSourceImage : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 460;

  explicit TformZorvaSourceImage(TForm1& main);
  // The nine track bars and the four check boxes from the record.
  void Init() override;

  // "Load source image from file": the dialog, then loadSourceImage().
  void buttonLoadClick();
  // Loads the chosen file (the engine reports failures); true when loaded.
  bool loadSourceImage(const QString& file);
  // The engine replaced the image: preview and "Draw with the image?".
  void sourceImageChanged();

  QPushButton* buttonLoad;
  ImagePreview* imagePreview;
  QCheckBox* cbUseSourceImage;
  QCheckBox* cbRepeatByIntegers;
  QCheckBox* cbOpaque;
  QCheckBox* cbSaveSourceImage;
  // Repeat per step (start, end), repeat overall (start, end), offset per
  // step (start, end), offset overall (start, end), opacity threshold.
  std::array<QSlider*, 9> trackBars{};
  std::array<QLabel*, 9> trackLabels{};    // the value beside each bar
  std::array<QLabel*, 9> trackCaptions{};  // the caption before each bar
  QSlider *tbStartRepeatPerStep, *tbEndRepeatPerStep, *tbStartRepeatOverall, *tbEndRepeatOverall;
  QSlider *tbStartOffsetPerStep, *tbEndOffsetPerStep, *tbStartOffsetOverall, *tbEndOffsetOverall;
  QSlider* tbOpacityThreshold;
  QGroupBox* opaqueGroup;  // the threshold bar, shown only while "Opaque?" is checked

 private:
  // A bar's setting: an integer repeat, or a real value of position / 100.
  using Setting = std::variant<std::int32_t*, double*>;
  void trackBarChange(int i);
  // Stores "Opaque?" and shows the threshold bar only while it is checked.
  void cbOpaqueClick();

  std::array<Setting, 9> trackSettings_{};
};

}  // namespace zorva
