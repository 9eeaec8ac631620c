// "Animation": the number of frames, the start frame and the frame offset,
// "Make Frames" with its "Stop" box, frame label and progress bar, the wave
// form, change and repeat of every animated value, and the Main Path Usage.
// The frames are made by the engine-side Animation, which this window drives.
#pragma once

#include <QLineEdit>
#include <array>

#include "animation/animation.h"
#include "ui/option_window.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace zorva {

// A Change, Repeat or Main Path Usage field: parses every new text into its
// setting (empty, "-" and "." leave it alone) and refuses text that is no
// number with the window's message.
class AnimationField : public QLineEdit {
  Q_OBJECT

 public:
  AnimationField(FieldOps& ops, double* setting, QWidget* parent);
  void showValue();

 private:
  FieldOps& ops_;
  double* setting_;
};

class TformZorvaAnimation : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 755;
  static constexpr int kMaxFrames = 2000;

  explicit TformZorvaAnimation(TForm1& main);
  void Init() override;

  // "Make Frames", the frames slider and its label follow the engine: no
  // frames while a drawing runs, no new frame count while frames are made.
  void commandStateChanged();
  // The program is closing: the remaining frames pass without drawing.
  void stopFrames();
  Animation& animation() { return animation_; }

  // "Make Frames".
  void btnMakeFramesClick();

  // One value's wave form (Sine, Linear, LinearReturn) with its change and
  // repeat; the rock amount has only its start side.
  struct WaveSide {
    QButtonGroup* group = nullptr;
    std::array<QRadioButton*, 3> forms{};
    AnimationField* change = nullptr;
    AnimationField* repeat = nullptr;
  };
  struct WaveRow {
    WaveSide start, end;
  };

  QSlider* tbFrames;
  QLabel* lblFrames;
  QSlider* tbStartFrame;
  QLabel* lblStartFrame;
  QCheckBox* cbOffset;
  QSlider* tbOffset;
  QLabel* lblOffset;
  QPushButton* btnMakeFrames;
  QCheckBox* cbStop;
  QLabel* lblFrame;  // the frame being made, on teal
  QProgressBar* pbFrames;
  std::array<WaveRow, kWaveCount> waves;
  WaveSide rockAmount;
  // Main Path Usage: rows Start and End, columns "t=0", "Repeat", "t=1", "Repeat".
  AnimationField* editMainPathStartMin;
  AnimationField* editMainPathStartMinRepeat;
  AnimationField* editMainPathStartMax;
  AnimationField* editMainPathStartMaxRepeat;
  AnimationField* editMainPathEndMin;
  AnimationField* editMainPathEndMinRepeat;
  AnimationField* editMainPathEndMax;
  AnimationField* editMainPathEndMaxRepeat;
  QCheckBox* cbUseOffset;

 private:
  QWidget* buildFrameControls();
  QWidget* buildWaves();
  QWidget* buildMainPath();
  // The three radio buttons and two fields of one side, bound to its keys.
  WaveSide makeSide(QWidget* parent, const QString& name, std::array<bool*, 3> forms, double* change, double* repeat);
  void tbFramesChange(int value);
  void tbOffsetChange(int value);
  // The radio buttons' click handler: every button's state into its key.
  void waveFormClick();
  std::array<bool*, 3> formKeys(int row, bool start);
  void showForms(const WaveSide& side, std::array<bool*, 3> keys);
  void setFrameLabelMaking(bool making);

  Animation animation_;
};

}  // namespace zorva
