// "Background Image": the picture a reset starts from, loaded from a file
// or copied from the canvas, centred, stretched or tiled.
#pragma once

#include <QString>

#include "ui/option_window.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace zorva {

class ImagePreview;

class TformZorvaBackgroundImage : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 357;

  explicit TformZorvaBackgroundImage(TForm1& main);
  // The two check boxes and the three placement buttons from the record.
  void Init() override;

  // "Load background image from file": the dialog, then
  // loadBackgroundImage(); Cancel goes straight to "Apply" when the
  // background image is in use.
  void buttonLoadClick();
  // Loads the file (the engine reports failures and applies the settings
  // when the background image is in use); true when loaded.
  bool loadBackgroundImage(const QString& file);
  // "Use current canvas as background" (also the main menu's "Set canvas as
  // background").
  void buttonUseCanvasClick();
  // "Apply": the engine's apply, then the picture's size in the Image
  // dimensions window.
  void buttonApplyClick();
  // The fold button of this window is called Button2.
  void Button2Click() { Button1Click(); }
  // The engine replaced the background image: the preview follows.
  void backgroundImageChanged();

  QPushButton* buttonLoad;
  QPushButton* buttonUseCanvas;
  QPushButton* buttonApply;
  QCheckBox* cbUseBackgroundImage;
  QCheckBox* cbResizeCanvas;
  QRadioButton* rbCentered;
  QRadioButton* rbStretched;
  QRadioButton* rbTiled;
  ImagePreview* imagePreview;

 private:
  // Any placement button: all three settings from the three buttons.
  void rbPositionClick();
  // The image dimension fields show the picture in use.
  void showCanvasSize();
};

}  // namespace zorva
