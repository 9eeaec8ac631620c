// "Values - Plane": translation, centre and angle of rotation of the drawing
// plane at the first and the last step.
#pragma once

#include "ui/option_window.h"

namespace zorva {

class TformZorvaValuesPlane : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 291;

  explicit TformZorvaValuesPlane(TForm1& main);
  void Init() override;

  ValueField* editPlaneStartTranslationX;
  ValueField* editPlaneStartTranslationY;
  ValueField* editPlaneEndTranslationX;
  ValueField* editPlaneEndTranslationY;
  ValueField* editPlaneStartRotationX;
  ValueField* editPlaneStartRotationY;
  ValueField* editPlaneEndRotationX;
  ValueField* editPlaneEndRotationY;
  ValueField* editPlaneStartRotationAngle;
  ValueField* editPlaneEndRotationAngle;

 protected:
  // Closing leaves ValuesPlaneVisible as it was.
  void FormClose() override {}
};

}  // namespace zorva
