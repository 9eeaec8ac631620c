// "Path": generated shapes for the selected multiplier curve. One tab per
// shape (hypotrochoid, circle with bumps, Lissajous figure, epitrochoid),
// each with its inputs, "Clockwise?", a rotation and "Make path"; the
// number of steps and the vertical offset serve all four.
#pragma once

#include <array>

#include "curves/path_generators.h"
#include "ui/option_window.h"

class QCheckBox;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace zorva {

class TformZorvaPath : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 400;

  explicit TformZorvaPath(TForm1& main);
  void Init() override;
  // "Make path" of a shape: into the selected curve, shown afterwards.
  void makePathClick(PathShape shape);

  QTabBar* tabPath;
  QStackedWidget* panels;
  ValueField* editPathHypotrochoidA;
  ValueField* editPathHypotrochoidB;
  ValueField* editPathHypotrochoidH;
  QCheckBox* cbPathHypotrochoidClockwise;
  ValueField* editPathHypotrochoidRotatedBy;
  QPushButton* btnPathMakeHypotrochoid;
  ValueField* editPathCircleRadius;
  ValueField* editPathCircleBumps;
  ValueField* editPathCircleAmplitude;
  QCheckBox* cbPathCircleClockwise;
  ValueField* editPathCircleRotatedBy;
  QPushButton* btnPathMakeCircle;
  ValueField* editPathLissajousRadius1;
  ValueField* editPathLissajousOmega1;
  ValueField* editPathLissajousDelta1;
  ValueField* editPathLissajousRadius2;
  ValueField* editPathLissajousOmega2;
  ValueField* editPathLissajousDelta2;
  QCheckBox* cbPathLissajousClockwise;
  ValueField* editPathLissajousRotatedBy;
  QPushButton* btnPathMakeLissajous;
  ValueField* editPathEpitrochoidA;
  ValueField* editPathEpitrochoidB;
  ValueField* editPathEpitrochoidH;
  QCheckBox* cbPathEpitrochoidClockwise;
  ValueField* editPathEpitrochoidRotatedBy;
  QPushButton* btnMakePathEpitrochoid;
  ValueField* editPathNumberOfPathSteps;
  ValueField* editPathYOffset;

 private:
  // One shape's page: its input rows, "Clockwise?", "Rotated by" and "Make path".
  struct Input {
    const char* caption;
    const char* name;
    double* setting;
    ValueField** field;
  };
  QWidget* buildPanel(PathShape shape, std::initializer_list<Input> inputs, const char* clockwiseName, bool* clockwise,
                      QCheckBox** clockwiseBox, const char* rotatedName, double* rotatedBy, ValueField** rotatedField,
                      const char* makeName, QPushButton** make);
  void tabPathChange(int index);

  std::array<QCheckBox*, 4> clockwiseBoxes_{};
};

}  // namespace zorva
