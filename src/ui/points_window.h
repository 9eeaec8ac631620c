// "Points": the rotation points and path points A and B that a right click
// on the picture sets, how the drawing uses them, the mouse mode, the
// freehand spacing, and the commands on the selected multiplier curve.
#pragma once

#include <array>

#include "ui/option_window.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace zorva {

struct PointClick;

class TformZorvaPoints : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 478;

  explicit TformZorvaPoints(TForm1& main);
  void Init() override;

  // The texts of the rotation point fields as they stand (Rotate A x, A y,
  // B x, B y); the animation reads them for every frame.
  std::array<QString, 4> rotationFieldTexts() const;
  // The mode changed (here or in the Options menu): buttons and controls follow.
  void mouseModeChanged();
  // A right click on the picture set point A or B: its fields show the texts
  // and the next click sets the other point.
  void pointClicked(const PointClick& click);
  // The chooser's entry of a slot: "» " before the name of a marked slot.
  void refreshSlot(int slot);

  // Mouse mode.
  QRadioButton* rbSetRotatePoints;
  QRadioButton* rbSetPathPoints;
  QRadioButton* rbDrawMultiplierBezier;  // "Set curve"
  // Rotation points.
  ValueField* editRotateXStart;
  ValueField* editRotateYStart;
  ValueField* editRotateXEnd;
  ValueField* editRotateYEnd;
  QRadioButton* rbRotateStart;
  QRadioButton* rbRotateEnd;
  QPushButton* btnResetRotate;
  QRadioButton* rbStraightRotate;
  QRadioButton* rbUseBezierRotate;
  QRadioButton* rbFollowRotate;
  QCheckBox* cbMove;
  // Path points.
  ValueField* eXstart;
  ValueField* eYstart;
  ValueField* eXend;
  ValueField* eYend;
  QRadioButton* rbPathStart;
  QRadioButton* rbPathEnd;
  QPushButton* btnResetPath;
  QRadioButton* rbStraightPath;
  QRadioButton* rbUseBezier;
  QRadioButton* rbFollow;
  // Start and end curves, freehand spacing.
  QCheckBox* cbDrawWithStartAndEnd;
  QCheckBox* cbUseStartAsEnd;
  QSlider* tbBezierMouse;
  QLabel* labelBezierMouse;
  // The multiplier curves.
  QComboBox* cbMultiplierBeziers;
  QPushButton* btnDrawMultiplier;
  QCheckBox* cbDrawControlPoints;
  QPushButton* btnClearMultiplier;
  QPushButton* btnHideCurve;
  QPushButton* btnReverseCurve;
  QPushButton* btnLoadBezier;
  QPushButton* btnSaveBezier;
  QPushButton* btnPasteCurve;

 private:
  struct PointPairLayout;
  QGridLayout* buildPointPairGroup(QGroupBox* group, const PointPairLayout& pair);
  QWidget* buildRotationGroup();
  QWidget* buildPathGroup();
  QWidget* buildCurveGroup();
  // The three exclusive choices of rotation and of path into their settings.
  void storeRotateChoice();
  void storePathChoice();
  void showChoices();
  void resetPoints(std::array<ValueField*, 4> fields, std::array<double*, 4> settings);

  bool initialising_ = false;
};

}  // namespace zorva
