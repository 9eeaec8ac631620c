// The Points, Path and Branching windows, the curve commands of the menus and
// the mouse on the picture, driven as a user drives them.
#include <QClipboard>
#include <QStackedWidget>
#include <QTabBar>
#include <cmath>

#include "ui/path_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

struct CurveWindows : UiTest {
  TformZorvaPoints* points() { return window<TformZorvaPoints>(Window::Points); }
  TformZorvaPath* pathWindow() { return window<TformZorvaPath>(Window::Path); }
  PictureView* view() { return form_->pictureView(); }
  const MultiplierSlot& slot(int i) { return engine().multiplierSlot(i); }

  // Picture pixels as positions on the view (shown 1:1 here).
  QPoint at(QPoint pixel) { return pixel + view()->pictureRect().topLeft(); }
  void chooseCurveMode() { clickBox(points()->rbDrawMultiplierBezier); }
  void open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->showOptionWindow(Window::Points, "");
    form_->showOptionWindow(Window::Path, "");
  }
};

TEST_F(CurveWindows, MouseModesOfTheMenuAndThePointsWindowStayInStepAndControlsWriteTheSettings) {
  open();
  activate();
  const auto& c = form_->commands();
  c.setPathPoints->trigger();
  EXPECT_TRUE(points()->rbSetPathPoints->isChecked());
  QTest::keyClick(form_.get(), Qt::Key_4, Qt::ControlModifier);
  EXPECT_EQ(engine().mouseMode(), MouseMode::DrawMultiplierBezier);
  EXPECT_TRUE(points()->rbDrawMultiplierBezier->isChecked());
  EXPECT_TRUE(points()->btnReverseCurve->isEnabled());
  clickBox(points()->rbSetRotatePoints);
  EXPECT_TRUE(c.setRotationPoints->isChecked());
  EXPECT_FALSE(c.drawMultiplierBezier->isChecked());
  EXPECT_FALSE(points()->btnReverseCurve->isEnabled());

  // The Points window's switches run the menu's.
  clickBox(points()->cbMove);
  EXPECT_FALSE(settings().MoveRotation);
  EXPECT_FALSE(c.moveRotationCenter->isChecked());
  clickBox(points()->cbUseStartAsEnd);
  EXPECT_TRUE(settings().ZorvaPointsUseStartAsEnd);
  // Its other controls and the Path window's tabs write the settings.
  points()->tbBezierMouse->setValue(7);
  EXPECT_EQ(settings().ZorvaPointsBezierMouse, 7);
  clickBox(points()->rbStraightPath);
  EXPECT_TRUE(settings().ZorvaPointsStraightPath && !settings().ZorvaPointsUseBezier);
  typeInto(points()->editRotateXStart, "-1.5");
  click(points()->btnResetRotate);
  EXPECT_EQ(settings().ZorvaPointsRotateXStart, 0);
  EXPECT_EQ(points()->editRotateXStart->text(), "0");
  pathWindow()->tabPath->setCurrentIndex(3);
  EXPECT_EQ(settings().PathTabIndex, 3);
  EXPECT_EQ(pathWindow()->panels->currentIndex(), 3);
}

TEST_F(CurveWindows, RightClicksOnThePictureFillPointsAAndB) {
  open();
  press(view(), at({30, 30}), Qt::RightButton);
  EXPECT_EQ(points()->editRotateXStart->text(), "0.000");
  EXPECT_TRUE(points()->rbRotateEnd->isChecked());
  press(view(), at({0, 0}), Qt::RightButton);
  EXPECT_EQ(points()->editRotateYEnd->text(), "2.000");
  EXPECT_EQ(settings().ZorvaPointsRotateXEnd, -2);
  EXPECT_TRUE(points()->rbRotateStart->isChecked());
  // Choosing B by hand sends the next click there.
  clickBox(points()->rbSetPathPoints);
  clickBox(points()->rbPathEnd);
  press(view(), at({45, 15}), Qt::RightButton);
  EXPECT_EQ(points()->eXend->text(), "1.000");
  EXPECT_EQ(settings().ZorvaPointsYEnd, 1);
  EXPECT_EQ(points()->eXstart->text(), "-2");
}

TEST_F(CurveWindows, AFreehandStrokeMakesTheCurve) {
  open("[start]\nImageWidth=120\nImageHeight=120\n");
  chooseCurveMode();
  points()->tbBezierMouse->setValue(10);
  press(view(), at({10, 100}), Qt::RightButton);
  for (int k = 0; k <= 10; ++k) moveWith(view(), at({10 + 10 * k, 100 - 8 * k}), Qt::RightButton);
  releaseAt(view(), at({110, 20}), Qt::RightButton);
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 11);  // every move is 12.8 pixels from the last
  EXPECT_TRUE(slot(kPathCurve).bezier.Valid());
  EXPECT_EQ(points()->cbMultiplierBeziers->itemText(0), "» Main - Path curve");  // marked as set
}

TEST_F(CurveWindows, ACtrlDragOfAPointRotatesTheCurveWithAPassingPreview) {
  open("[start]\nImageWidth=200\nImageHeight=200\n");
  qCurve circle;
  for (int k = 0; k < 8; ++k) circle.AddPoint(std::cos(k * M_PI / 4), std::sin(k * M_PI / 4));
  engine().setSlotCurve(kRadius, circle);
  chooseCurveMode();
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);  // shows the curve
  ASSERT_EQ(engine().pointMapAt(150, 100), 0);              // point 0, (1, 0)
  const Bitmap24 shown = engine().picture();

  press(view(), at({150, 100}), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(view()->cursor().shape(), Qt::BitmapCursor);  // the rotation cursor
  moveWith(view(), at({100, 75}), Qt::LeftButton);        // a quarter turn, nearer: to (0, 0.5)
  EXPECT_TRUE(view()->overlayPending());
  view()->repaint();
  EXPECT_FALSE(view()->overlayPending());  // gone with the next paint
  EXPECT_EQ(engine().picture().bgr, shown.bgr);
  releaseAt(view(), at({100, 75}), Qt::LeftButton);
  EXPECT_EQ(view()->cursor().shape(), Qt::ArrowCursor);
  // Turned only: a stretch (Alt) would have halved it.
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(slot(kRadius).curve.GetXofI(k), -circle.GetYofI(k), 1e-12) << k;
    EXPECT_NEAR(slot(kRadius).curve.GetYofI(k), circle.GetXofI(k), 1e-12) << k;
  }
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(slot(kRadius).curve.Points(), circle.Points());
}

TEST_F(CurveWindows, ClipboardCurveFilesAndMakePathFillTheSelectedCurve) {
  open();
  chooseCurveMode();
  QGuiApplication::clipboard()->setText("0 0\n0.25 0.25\n0.5 0\n0.25 -0.25\n0 0\n");
  form_->commands().pasteFromClipboard->trigger();
  const qCurve& curve = slot(kPathCurve).curve;
  ASSERT_EQ(curve.GetLength(), 5);

  // Save and open go through their file dialogs (answered here).
  std::vector<bool> saving;
  form_->curveFileDialogHook = [&](bool save, const QString&) {
    saving.push_back(save);
    return path("saved.curve");
  };
  form_->commands().saveCurve->trigger();
  form_->commands().resetAllCurves->trigger();
  EXPECT_EQ(curve.GetLength(), 0);
  click(points()->btnLoadBezier);
  EXPECT_EQ(curve.GetXofI(2), 1);
  EXPECT_EQ(saving, (std::vector<bool>{true, false}));

  // The program's own clipboard: copy, then paste into another slot.
  form_->commands().copyCurve->trigger();
  points()->cbMultiplierBeziers->setCurrentIndex(kBumps);
  form_->commands().pasteCurve->trigger();
  EXPECT_EQ(slot(kBumps).curve.Points(), curve.Points());
  click(points()->btnReverseCurve);
  EXPECT_EQ(slot(kBumps).curve.GetYofI(1), -0.5);

  // Make path fills the selected curve, and refuses without one.
  pathWindow()->tabPath->setCurrentIndex(1);
  typeInto(pathWindow()->editPathNumberOfPathSteps, "4");
  points()->cbMultiplierBeziers->setCurrentIndex(kAngle);
  click(pathWindow()->btnPathMakeCircle);
  EXPECT_EQ(slot(kAngle).curve.GetLength(), 5);
  EXPECT_TRUE(engine().curveShown());
  form_->commands().setRotationPoints->trigger();
  click(pathWindow()->btnPathMakeCircle);
  EXPECT_EQ(messages_.size(), 1u);
}

// A straight path of 101 points with one branch at its middle, turned by 0
// degrees: floor(100 * (1 - 0.5) * 0.666) = 33 points spliced in.
TEST_F(CurveWindows, BranchButtonsFollowTheModeAndGrowTheChosenCurve) {
  open(
      "[start]\nImageWidth=60\nImageHeight=60\nBranchBranchPointMin=50\nBranchBranchPointMax=50\n"
      "BranchBranchAngleMin=0\nBranchBranchAngleMax=0\n[sine]\nSteps=40\n");
  form_->showOptionWindow(Window::Branches, "");
  auto* b = window<TformZorvaBranching>(Window::Branches);
  // The buttons follow the Set curve mode.
  EXPECT_FALSE(b->btnBranch->isEnabled() || b->btnUndoAndBranchAgain->isEnabled());
  clickBox(points()->rbSetPathPoints);
  EXPECT_FALSE(b->btnBranch->isEnabled());
  form_->commands().drawMultiplierBezier->trigger();
  EXPECT_TRUE(b->btnBranch->isEnabled() && b->btnUndoAndBranchAgain->isEnabled());
  clickBox(points()->rbSetRotatePoints);
  EXPECT_TRUE(b->btnBranch->isEnabled());
  EXPECT_FALSE(b->btnUndoAndBranchAgain->isEnabled());

  qCurve line;
  for (int i = 0; i <= 100; ++i) line.AddPoint(i / 100.0, 0);
  engine().setSlotCurve(kPathCurve, line);
  chooseCurveMode();
  click(b->btnUndoAndBranchAgain);  // nothing while no curve is shown
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 101);
  click(b->btnBranch);
  EXPECT_EQ(slot(kPathCurve).bezier.Count(), 134);  // made for the new curve, which is shown
  EXPECT_TRUE(engine().curveShown());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // "Undo and branch again" starts again from the curve before the branch.
  click(b->btnUndoAndBranchAgain);
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 134);
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(slot(kPathCurve).curve.Points(), line.Points());
  EXPECT_EQ(slot(kPathCurve).bezier.Count(), 101);

  // Refusals: an empty curve in the status, a curve too big once per copy.
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);
  click(b->btnBranch);
  EXPECT_EQ(form_->statusText(), "curve not set");
  EXPECT_TRUE(messages_.empty());
  qCurve big;
  for (int i = 0; i < 6000; ++i) big.AddPoint(i, 0);
  engine().setSlotCurve(kRadius, big);
  typeInto(b->eCopies, "2");
  click(b->btnBranch);
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace zorva::test
