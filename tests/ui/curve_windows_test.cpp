// The Points and Path windows, the curve commands of the menus and the mouse
// on the picture, driven as a user drives them.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>
#include <map>

#include "ui/path_window.h"
#include "ui/picture_view.h"
#include "ui/points_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

// A 120 x 120 picture drawn with circles of radius 0 along the path curve:
// every inked point is the path's point of its step.
const char* const kPathSettings =
    "[start]\nstyle=circles\nImageWidth=120\nImageHeight=120\n[circles]\nFunctionNumber=3\nSteps=20\n"
    "StartRadius=0\nEndRadius=0\nStartIota=0\nEndIota=0\nZorvaPointsUseBezier=1\nZorvaPointsStraightPath=0\n";

struct CurveWindows : UiTest {
  TformZorvaPoints* points() { return window<TformZorvaPoints>(Window::Points); }
  TformZorvaPath* pathWindow() { return window<TformZorvaPath>(Window::Path); }
  PictureView* view() { return form_->pictureView(); }
  const MultiplierSlot& slot(int i) { return engine().multiplierSlot(i); }

  // Mouse events on the picture at picture pixels (shown 1:1 here).
  void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint widget = at + view()->pictureRect().topLeft();
    QMouseEvent event(type, QPointF(widget), QPointF(view()->mapToGlobal(widget)), button, buttons, modifiers);
    QApplication::sendEvent(view(), &event);
  }
  void press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    mouse(QEvent::MouseButtonPress, at, button, button, modifiers);
  }
  void moveWith(QPoint at, Qt::MouseButtons buttons) { mouse(QEvent::MouseMove, at, Qt::NoButton, buttons); }
  void releaseAt(QPoint at, Qt::MouseButton button) { mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton); }
  void chooseCurveMode() { clickBox(points()->rbDrawMultiplierBezier); }
  // The main window with the Points and Path windows open.
  void open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->showOptionWindow(Window::Points, "");
    form_->showOptionWindow(Window::Path, "");
  }
};

TEST_F(CurveWindows, WindowsShowTheSettingsAndFold) {
  open(std::string(kPathSettings) +
       "ZorvaPointsRotateXStart=-1.5\nZorvaPointsBezierMouse=40\nMoveRotation=0\nZorvaPointsFollowRotate=1\n"
       "PathTabIndex=2\nPathCircleRadius=0.75\n");
  TformZorvaPoints* p = points();
  EXPECT_EQ(p->editRotateXStart->text(), "-1.5");
  EXPECT_EQ(p->eXend->text(), "2");
  EXPECT_TRUE(p->rbFollowRotate->isChecked());
  EXPECT_TRUE(p->rbUseBezier->isChecked());
  EXPECT_FALSE(settings().ZorvaPointsStraightRotate);
  EXPECT_EQ(p->tbBezierMouse->value(), 40);
  EXPECT_EQ(p->labelBezierMouse->text(), "40");
  EXPECT_FALSE(p->cbMove->isChecked());
  EXPECT_TRUE(p->rbSetRotatePoints->isChecked());
  EXPECT_TRUE(p->rbRotateStart->isChecked());
  EXPECT_FALSE(p->cbMultiplierBeziers->isEnabled());
  EXPECT_EQ(p->cbMultiplierBeziers->currentText(), "Main - Path curve");
  EXPECT_EQ(p->rotationFieldTexts(), (std::array<QString, 4>{"-1.5", "0", "2", "0"}));

  TformZorvaPath* path = pathWindow();
  EXPECT_EQ(path->tabPath->currentIndex(), 2);
  EXPECT_EQ(path->panels->currentIndex(), 2);
  EXPECT_EQ(path->editPathCircleRadius->text(), "0.75");
  // The field shows pi/2 to 15 digits and the setting takes what it shows.
  EXPECT_EQ(path->editPathLissajousDelta1->text(), "1.5707963267949");
  EXPECT_EQ(settings().PathLissajousDelta1, 1.5707963267949);
  path->tabPath->setCurrentIndex(3);
  EXPECT_EQ(settings().PathTabIndex, 3);
  EXPECT_EQ(path->panels->currentIndex(), 3);

  // Typing and sliding write the settings.
  typeInto(p->eYstart, "0.25");
  EXPECT_EQ(settings().ZorvaPointsYStart, 0.25);
  typeInto(path->editPathNumberOfPathSteps, "5000");
  EXPECT_EQ(settings().NumberOfPathSteps, 3000);
  p->tbBezierMouse->setValue(7);
  EXPECT_EQ(settings().ZorvaPointsBezierMouse, 7);
  clickBox(p->rbStraightPath);
  EXPECT_TRUE(settings().ZorvaPointsStraightPath);
  EXPECT_FALSE(settings().ZorvaPointsUseBezier);
  click(p->btnResetRotate);
  EXPECT_EQ(settings().ZorvaPointsRotateXStart, 0);
  EXPECT_EQ(p->editRotateXStart->text(), "0");

  for (OptionWindow* w : std::initializer_list<OptionWindow*>{p, path}) {
    const int unfolded = w->height();
    click(w->foldButton());
    EXPECT_EQ(w->height(), OptionWindow::kFoldedHeight);
    click(w->foldButton());
    EXPECT_EQ(w->height(), unfolded);
  }
}

TEST_F(CurveWindows, MouseModesOfTheMenuAndThePointsWindowStayInStep) {
  open();
  activate();
  const auto& c = form_->commands();
  c.setPathPoints->trigger();
  EXPECT_TRUE(points()->rbSetPathPoints->isChecked());
  QTest::keyClick(form_.get(), Qt::Key_4, Qt::ControlModifier);
  EXPECT_EQ(engine().mouseMode(), MouseMode::DrawMultiplierBezier);
  EXPECT_TRUE(c.drawMultiplierBezier->isChecked());
  EXPECT_TRUE(points()->rbDrawMultiplierBezier->isChecked());
  EXPECT_TRUE(points()->btnReverseCurve->isEnabled());
  clickBox(points()->rbSetRotatePoints);
  EXPECT_TRUE(c.setRotationPoints->isChecked());
  EXPECT_FALSE(points()->btnReverseCurve->isEnabled());

  // The Points window's switches run the menu's.
  clickBox(points()->cbMove);
  EXPECT_FALSE(settings().MoveRotation);
  EXPECT_FALSE(c.moveRotationCenter->isChecked());
  clickBox(points()->cbUseStartAsEnd);
  EXPECT_TRUE(settings().ZorvaPointsUseStartAsEnd);
}

TEST_F(CurveWindows, RightClicksOnThePictureFillPointsAAndB) {
  open("[start]\nImageWidth=60\nImageHeight=60\n");
  press({30, 30}, Qt::RightButton);
  EXPECT_EQ(points()->editRotateXStart->text(), "0.000");
  EXPECT_EQ(points()->editRotateYStart->text(), "0.000");
  EXPECT_TRUE(points()->rbRotateEnd->isChecked());
  press({0, 0}, Qt::RightButton);
  EXPECT_EQ(points()->editRotateXEnd->text(), "-2.000");
  EXPECT_EQ(points()->editRotateYEnd->text(), "2.000");
  EXPECT_EQ(settings().ZorvaPointsRotateXEnd, -2);
  EXPECT_TRUE(points()->rbRotateStart->isChecked());
  // Choosing B by hand sends the next click there.
  clickBox(points()->rbSetPathPoints);
  clickBox(points()->rbPathEnd);
  press({45, 15}, Qt::RightButton);
  EXPECT_EQ(points()->eXend->text(), "1.000");
  EXPECT_EQ(points()->eYend->text(), "1.000");
  EXPECT_EQ(settings().ZorvaPointsYEnd, 1);
  EXPECT_EQ(points()->eXstart->text(), "-2");
}

TEST_F(CurveWindows, AFreehandStrokeMakesTheCurveThatTheNextDrawingFollows) {
  open(kPathSettings);
  chooseCurveMode();
  points()->tbBezierMouse->setValue(10);
  press({10, 100}, Qt::RightButton);
  for (int k = 0; k <= 10; ++k) moveWith({10 + 10 * k, 100 - 8 * k}, Qt::RightButton);
  releaseAt({110, 20}, Qt::RightButton);
  const MultiplierSlot& path = slot(kPathCurve);
  EXPECT_EQ(path.curve.GetLength(), 11);  // every move is 12.8 pixels from the last
  ASSERT_TRUE(path.bezier.Valid());
  EXPECT_EQ(points()->cbMultiplierBeziers->itemText(0), "» Main - Path curve");

  // Every inked point of the drawing lies on the path at its step.
  engine().setInker(InkerKind::Reference);
  std::map<int, std::pair<double, double>> at;
  engine().onPoint = [&](int step, int, double x, double y) { at[step] = {x, y}; };
  form_->commands().draw->trigger();
  ASSERT_FALSE(at.empty());
  for (const auto& [step, p] : at) {
    // Turned by 0 about the rotation centre: equal but for the last bits.
    EXPECT_NEAR(p.first, path.bezier.GetXAt(step / 20.0), 1e-12) << step;
    EXPECT_NEAR(p.second, path.bezier.GetYAt(step / 20.0), 1e-12) << step;
  }
  EXPECT_LT(at.begin()->second.first, -1.0);           // from the lower left (10, 100) ...
  EXPECT_GT(std::prev(at.end())->second.second, 0.5);  // ... up to the right
}

TEST_F(CurveWindows, ACtrlDragOfAPointRotatesTheCurveWithAPassingPreview) {
  open("[start]\nImageWidth=200\nImageHeight=200\n");
  qCurve circle;
  for (int k = 0; k < 8; ++k) circle.AddPoint(std::cos(k * M_PI / 4), std::sin(k * M_PI / 4));
  engine().setSlotCurve(kRadius, circle);
  chooseCurveMode();
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);  // shows the curve
  EXPECT_EQ(points()->cbMultiplierBeziers->itemText(kRadius), "» Values - Radius");
  ASSERT_EQ(engine().pointMapAt(150, 100), 0);  // point 0, (1, 0)
  const Bitmap24 shown = engine().picture();

  press({150, 100}, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(view()->cursor().shape(), Qt::BitmapCursor);  // "CURVEROTATE"
  moveWith({100, 50}, Qt::LeftButton);                    // a quarter turn: to (0, 1)
  EXPECT_TRUE(view()->overlayPending());
  view()->repaint();
  EXPECT_FALSE(view()->overlayPending());  // gone with the next paint
  EXPECT_EQ(engine().picture().bgr, shown.bgr);
  releaseAt({100, 50}, Qt::LeftButton);
  EXPECT_EQ(view()->cursor().shape(), Qt::ArrowCursor);
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(slot(kRadius).curve.GetXofI(k), -circle.GetYofI(k), 1e-12) << k;
    EXPECT_NEAR(slot(kRadius).curve.GetYofI(k), circle.GetXofI(k), 1e-12) << k;
  }
  // Undo curve edit (Ctrl+Z) brings the old curve back.
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(slot(kRadius).curve.Points(), circle.Points());
}

TEST_F(CurveWindows, MakePathFillsTheSelectedCurve) {
  open();
  TformZorvaPath* path = pathWindow();
  path->tabPath->setCurrentIndex(1);
  typeInto(path->editPathNumberOfPathSteps, "4");
  click(path->btnPathMakeCircle);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().text, "No target curve selected, please select \"Set curve\" in the points form");
  chooseCurveMode();
  points()->cbMultiplierBeziers->setCurrentIndex(kAngle);
  click(path->btnPathMakeCircle);
  ASSERT_EQ(slot(kAngle).curve.GetLength(), 5);
  EXPECT_NEAR(slot(kAngle).curve.GetYofI(1), -1, 1e-15);  // clockwise by default
  EXPECT_TRUE(slot(kAngle).bezier.Valid());
  EXPECT_EQ(points()->cbMultiplierBeziers->itemText(kAngle), "» Values - Angle");
  EXPECT_TRUE(engine().curveShown());
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 0);
}

TEST_F(CurveWindows, ClipboardTextAndCurveFilesThroughTheMenus) {
  open();
  chooseCurveMode();
  QGuiApplication::clipboard()->setText("0 0\n0.25 0.25\n0.5 0\n0.25 -0.25\n0 0\n");
  form_->commands().pasteFromClipboard->trigger();
  const qCurve& curve = slot(kPathCurve).curve;
  ASSERT_EQ(curve.GetLength(), 5);
  EXPECT_EQ(curve.GetXofI(2), 1);  // doubled
  QGuiApplication::clipboard()->setText("0 0 x 1");
  form_->commands().pasteFromClipboard->trigger();
  EXPECT_EQ(messages_.back().text, "There is a problem with the clipboard contents - not a valid curve");
  EXPECT_EQ(curve.GetLength(), 5);

  // Save and open go through their file dialogs (answered here).
  std::vector<std::pair<bool, QString>> asked;
  QString answer = path("saved");
  form_->curveFileDialogHook = [&](bool save, const QString& title) {
    asked.emplace_back(save, title);
    return answer;
  };
  form_->commands().saveCurve->trigger();
  form_->commands().resetAllCurves->trigger();
  EXPECT_EQ(curve.GetLength(), 0);
  answer = path("saved.curve");
  click(points()->btnLoadBezier);
  EXPECT_EQ(curve.GetXofI(2), 1);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[0].first);
  EXPECT_FALSE(asked[1].first);
  answer.clear();
  form_->commands().saveCurve->trigger();

  // The program's own clipboard: copy, reset, paste.
  form_->commands().copyCurve->trigger();
  points()->cbMultiplierBeziers->setCurrentIndex(kBumps);
  form_->commands().pasteCurve->trigger();
  EXPECT_EQ(slot(kBumps).curve.Points(), curve.Points());
  click(points()->btnReverseCurve);
  EXPECT_EQ(slot(kBumps).curve.GetYofI(1), -0.5);
  click(points()->btnHideCurve);
  EXPECT_EQ(form_->statusText(), "");
}

}  // namespace
}  // namespace zorva::test
