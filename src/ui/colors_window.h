// "Colors": start, end and background colours with their swatches, the
// colour mode, the colour amounts and the alternative colouring.
#pragma once

#include <array>

#include "ui/option_window.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace zorva {

class TformZorvaColors : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 443;

  explicit TformZorvaColors(TForm1& main);
  // Fills every control, then runs the nine track-bar handlers so the
  // number labels and the swatches are current.
  void Init() override;

  // "start", "Bg" or anything else (the end colour): paints that swatch.
  void UpdateSwatch(const QString& which);
  // The text colour that stays readable on a swatch of this colour.
  static QColor captionColorOn(const QColor& swatch);

  // Track bars in the order start red, green, blue, end red..., back red...
  std::array<QSlider*, 9> trackBars{};
  std::array<QLabel*, 9> trackLabels{};
  QSlider *tbStartRed, *tbStartGreen, *tbStartBlue;
  QSlider *tbEndRed, *tbEndGreen, *tbEndBlue;
  QSlider *tbBgRed, *tbBgGreen, *tbBgBlue;
  QLabel* swatchStart;
  QLabel* swatchEnd;
  QLabel* swatchBg;
  QRadioButton* rbAdd;
  QRadioButton* rbSubtract;
  QRadioButton* rbBestGuess;
  QCheckBox* cbUseColorsAsLimits;
  QCheckBox* cbNewColor;
  QCheckBox* cbOneOrTwo;
  QCheckBox* cbABA;
  ValueField* editThetaColorMultiplier;
  ValueField* editStepColorMultiplier;
  ValueField* editStartAmount;
  ValueField* editEndAmount;
  QPushButton* buttonSet;

 private:
  // Track bar i: setting, label, swatch.
  void trackBarChange(int i);
  // Any mode radio: White and BestGuess from the three buttons.
  void modeClick();
  // Stores "Alternative coloring?" and enables "063 method?" with it.
  void cbNewColorClick();

  std::array<std::int32_t*, 9> trackSettings_{};
};

}  // namespace zorva
