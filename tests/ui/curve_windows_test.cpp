// The Points, Path and Branching windows, the curve commands of the menus,
// the mouse on the picture and the text curve editor (painting, text,
// tracing, images and curve files), driven as a user drives them.
#include <QClipboard>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QWheelEvent>
#include <cmath>
#include <map>

#include "io/image_io.h"
#include "support/test_support.h"
#include "ui/path_window.h"
#include "ui/text_curve_editor.h"
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
  QTest::keyClick(form_.get(), Qt::Key_4, Qt::ControlModifier);
  EXPECT_EQ(engine().mouseMode(), MouseMode::DrawMultiplierBezier);
  EXPECT_TRUE(points()->rbDrawMultiplierBezier->isChecked());
  EXPECT_TRUE(points()->btnReverseCurve->isEnabled());
  clickBox(points()->rbSetRotatePoints);
  EXPECT_TRUE(c.setRotationPoints->isChecked());
  EXPECT_FALSE(c.drawMultiplierBezier->isChecked() || points()->btnReverseCurve->isEnabled());

  // The Points window's switches run the menu's; its other controls and the
  // Path window's tabs write the settings.
  clickBox(points()->cbMove);
  EXPECT_FALSE(settings().MoveRotation || c.moveRotationCenter->isChecked());
  clickBox(points()->cbUseStartAsEnd);
  EXPECT_TRUE(settings().ZorvaPointsUseStartAsEnd);
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

TEST_F(CurveWindows, AFreehandStrokeMakesTheCurveAndACtrlDragRotatesItWithAPassingPreview) {
  open("[start]\nImageWidth=200\nImageHeight=200\n");
  chooseCurveMode();
  points()->tbBezierMouse->setValue(10);
  press(view(), at({10, 100}), Qt::RightButton);
  for (int k = 0; k <= 10; ++k) moveWith(view(), at({10 + 10 * k, 100 - 8 * k}), Qt::RightButton);
  releaseAt(view(), at({110, 20}), Qt::RightButton);
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 11);  // every move is 12.8 pixels from the last
  EXPECT_TRUE(slot(kPathCurve).bezier.Valid());

  qCurve circle;
  for (int k = 0; k < 8; ++k) circle.AddPoint(std::cos(k * M_PI / 4), std::sin(k * M_PI / 4));
  engine().setSlotCurve(kRadius, circle);
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);  // shows the curve
  ASSERT_EQ(engine().pointMapAt(150, 100), 0);              // point 0, (1, 0)
  const Bitmap24 shown = engine().picture();
  press(view(), at({150, 100}), Qt::LeftButton, Qt::ControlModifier);
  moveWith(view(), at({100, 75}), Qt::LeftButton);  // a quarter turn, nearer: to (0, 0.5)
  EXPECT_TRUE(view()->overlayPending());
  view()->repaint();
  EXPECT_FALSE(view()->overlayPending());  // gone with the next paint
  EXPECT_EQ(engine().picture().bgr, shown.bgr);
  releaseAt(view(), at({100, 75}), Qt::LeftButton);
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
  typeInto(pathWindow()->editPathNumberOfPathSteps, "4");
  points()->cbMultiplierBeziers->setCurrentIndex(kAngle);
  click(pathWindow()->btnPathMakeCircle);
  EXPECT_EQ(slot(kAngle).curve.GetLength(), 5);
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
  // The buttons follow the Set curve mode; only Branch stays in a point mode.
  EXPECT_FALSE(b->btnBranch->isEnabled() || b->btnUndoAndBranchAgain->isEnabled());
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
  // "Undo and branch again" starts again from the curve before the branch.
  click(b->btnUndoAndBranchAgain);
  EXPECT_EQ(slot(kPathCurve).curve.GetLength(), 134);
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(slot(kPathCurve).curve.Points(), line.Points());

  // Refusals: an empty curve in the status only, a curve too big once per copy.
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);
  click(b->btnBranch);
  EXPECT_TRUE(messages_.empty());
  qCurve big;
  for (int i = 0; i < 6000; ++i) big.AddPoint(i, 0);
  engine().setSlotCurve(kRadius, big);
  typeInto(b->eCopies, "2");
  click(b->btnBranch);
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// ---- the text curve editor ------------------------------------------------------

struct TextCurveEditor : UiTest {
  TatcForm* editor() { return form_->textCurveEditor(); }
  AtcCanvas* canvas() { return editor()->atcImage; }
  const qCurve& pathCurve() { return engine().multiplierSlot(kPathCurve).curve; }

  // The main window with the editor shown from the Edit menu.
  void open(const std::string& forms = "") {
    start("[start]\nImageWidth=60\nImageHeight=60\n[forms]\n" + forms + "[sine]\nSteps=40\n");
    form_->commands().textCurveEditor->trigger();
    ASSERT_TRUE(editor()->isVisible());
  }
  void press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    test::press(canvas(), at, button, modifiers);
  }
  void wheel(QWidget* over, int notches) {
    QWheelEvent event(QPointF(5, 5), QPointF(over->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
  }
  QColor committedAt(int x, int y) { return editor()->committedImage().pixelColor(x, y); }
  QColor shownAt(int x, int y) { return editor()->canvasImage().pixelColor(x, y); }
  static int countPixels(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
  }
};

TEST_F(TextCurveEditor, WhileShownTheMainMenusAreOffAndItsControlsFollowTheSettings) {
  start(std::string(kSmallSettings) + "[forms]\nAtcLeft=20\n");
  std::map<QAction*, QKeySequence> keys;
  for (QMenu* menu : form_->menus())
    for (QAction* a : menu->actions()) keys[a] = a->shortcut();
  form_->commands().textCurveEditor->trigger();
  TatcForm* e = editor();
  EXPECT_EQ(e->pos().x(), 20);
  EXPECT_FALSE(e->atcBtnPasteToZorva->isEnabled() || e->atcBtnSaveCurve->isEnabled() || e->atcSaveCurve->isEnabled());
  for (QMenu* menu : form_->menus()) EXPECT_FALSE(menu->menuAction()->isEnabled());
  EXPECT_TRUE(form_->commands().draw->shortcut().isEmpty());  // its single keys are free
  e->move(70, 80);
  engine().WriteIniFile(engine().currentStyle());
  EXPECT_EQ(storedValue("forms", "AtcLeft"), "70");
  // "Close" hides it and gives every menu and key back.
  e->atcExit->trigger();
  EXPECT_FALSE(e->isVisible());
  for (QMenu* menu : form_->menus()) EXPECT_TRUE(menu->menuAction()->isEnabled());
  for (auto& [action, key] : keys) EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();
  // A file loaded later: the controls follow.
  writeFile("other.ini", "[forms]\nAtcTolerance=7\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(e->atcEditTolerance->value(), 7);
}

TEST_F(TextCurveEditor, ThePenPaintsBlackAndWhiteTheTextStampsAndBothPreviewInBlue) {
  open("AtcPenSize=10\n");
  press({200, 150}, Qt::LeftButton);
  moveWith(canvas(), {300, 150}, Qt::LeftButton);  // dragging paints on
  EXPECT_EQ(committedAt(300, 150), QColor(Qt::black));
  press({200, 150}, Qt::RightButton);
  EXPECT_EQ(committedAt(200, 150), QColor(Qt::white));
  // Moving without a button previews on the canvas only, until the mouse leaves.
  moveWith(canvas(), {400, 300}, Qt::NoButton);
  EXPECT_EQ(shownAt(400, 300), QColor(Qt::blue));
  EXPECT_EQ(committedAt(400, 300), QColor(Qt::white));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(canvas(), &leave);
  EXPECT_EQ(shownAt(400, 300), QColor(Qt::white));
  click(editor()->Button1);  // "Clear Image"
  EXPECT_EQ(shownAt(300, 150), QColor(Qt::white));

  // Keys typed here extend the stamp; they neither draw nor clear.
  activate(editor());
  canvas()->setFocus();
  QTest::keyClicks(canvas(), "dc W");
  EXPECT_EQ(editor()->stampText(), "adc W");
  EXPECT_EQ(steps_, 0);
  press({300, 200}, Qt::MiddleButton);  // switches to Text
  EXPECT_TRUE(editor()->atcRbText->isChecked());
  EXPECT_GT(countPixels(editor()->canvasImage(), Qt::blue), 20);
  EXPECT_EQ(countPixels(editor()->committedImage(), Qt::blue), 0);
  press({300, 200}, Qt::LeftButton);
  EXPECT_GT(countPixels(editor()->committedImage(), Qt::black), 20);
  editor()->atcNew->trigger();  // "New" empties it too
  EXPECT_EQ(countPixels(editor()->committedImage(), Qt::black), 0);
}

TEST_F(TextCurveEditor, TheWheelChangesPenTextOrTolerance) {
  open();
  TatcForm* e = editor();
  wheel(canvas(), 1);
  wheel(e->atcTbSample, 1);  // over any of its widgets, which take it too
  EXPECT_EQ(settings().AtcPenSize, 42);
  EXPECT_EQ(e->atcTbSample->value(), 3);
  e->atcRbText->setChecked(true);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTextSize, 24);
  // The tolerance in lasso mode or while its field has the focus; nothing
  // while the font list has the focus.
  const int tolerance = settings().AtcTolerance;
  e->atcCbLasso->setChecked(true);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTolerance, tolerance - 1);
  activate(e);
  e->atcCbLasso->setChecked(false);
  e->atcEditTolerance->setFocus();
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcTolerance, tolerance);
  e->atcCbFonts->setFocus();
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcTextSize, 24);
}

// Paint a disc, "Get Outline", "Paste to Zorva": the selected slot takes the
// traced points, and so does the Edit menu's "Paste from Clipboard".
TEST_F(TextCurveEditor, APaintedDiscTracedAndPastedIntoTheSelectedSlot) {
  open("AtcPenSize=20\nAtcTolerance=0\n");
  TatcForm* e = editor();
  form_->commands().drawMultiplierBezier->trigger();
  press({200, 150}, Qt::LeftButton);
  // Nothing to trace: the system clipboard is pasted as before.
  click(e->atcBtnGetOutline);
  EXPECT_FALSE(e->atcBtnPasteToZorva->isEnabled());
  QApplication::clipboard()->setText("0.25 0.5 -0.5 1");
  form_->commands().pasteFromClipboard->trigger();
  EXPECT_EQ(pathCurve().Points(), (std::vector<qCoord>{{0.5, 1}, {-1, 2}}));

  e->atcEditTolerance->setValue(40);
  click(e->atcBtnGetOutline);
  EXPECT_TRUE(e->atcBtnPasteToZorva->isEnabled() && e->atcBtnSaveCurve->isEnabled());
  EXPECT_GT(countPixels(e->canvasImage(), Qt::red), 100);  // the walk, not in the drawing
  EXPECT_EQ(countPixels(e->committedImage(), Qt::red), 0);
  click(e->atcBtnPasteToZorva);
  const std::vector<qCoord> pasted = pathCurve().Points();
  const std::string& text = e->outlineCurveText();
  EXPECT_EQ(pasted.size() * 2, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  // The tracing goes before whatever the system clipboard holds.
  engine().multiplierSlot(kPathCurve).curve.Empty();
  form_->commands().pasteFromClipboard->trigger();
  EXPECT_EQ(pathCurve().Points(), pasted);

  // Not in Set curve mode: refused, the slot keeps its curve.
  form_->commands().setRotationPoints->trigger();
  engine().multiplierSlot(kPathCurve).curve.Empty();
  click(e->atcBtnPasteToZorva);
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(pathCurve().GetLength(), 0);

  // Lasso presses trace the pressed region; Shift appends.
  const QImage drawn = e->committedImage();
  e->atcCbLasso->setChecked(true);
  press({200, 150}, Qt::LeftButton);
  const std::string inside = e->outlineCurveText();
  ASSERT_FALSE(inside.empty());
  press({50, 50}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(e->outlineCurveText().substr(0, inside.size()), inside);
  EXPECT_GT(e->outlineCurveText().size(), inside.size());
  press({200, 150}, Qt::LeftButton);  // starts afresh
  EXPECT_EQ(e->outlineCurveText(), inside);
  EXPECT_EQ(e->committedImage(), drawn);  // lasso presses do not paint
}

TEST_F(TextCurveEditor, OpenImageSaveImageAndSaveCurve) {
  open();
  TatcForm* e = editor();
  std::vector<std::uint8_t> grey(100 * 50 * 3, 128);
  ASSERT_FALSE(writePng(pathString("small.png"), 100, 50, grey.data(), 300, nullptr));
  QString chosen = path("small.png");
  e->fileDialogHook = [&](const QString&) { return chosen; };
  click(e->atcBtnOpenImage);
  EXPECT_EQ(shownAt(349, 269), QColor(128, 128, 128));  // centred
  // Missing, broken or cancelled: the canvas as it was, with a message for a file.
  const QImage loaded = e->committedImage();
  writeFile("broken.png", "\x89PNG\r\n\x1a\n rubbish");
  for (const char* name : {"missing.png", "broken.png", ""}) {
    chosen = name[0] ? path(name) : QString();
    click(e->atcBtnOpenImage);
  }
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(e->committedImage(), loaded);

  press({200, 150}, Qt::LeftButton);
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  click(e->atcBtnSaveImage);
  QDir::setCurrent(before);
  const QStringList saved = QDir(dir_.path()).entryList({"atc_*.png"});
  ASSERT_EQ(saved.size(), 1);
  auto image = std::get<RgbImage>(loadImage(pathString(saved[0])));
  EXPECT_EQ(image.rgb[static_cast<std::size_t>((150 * image.width + 200) * 3)], 0);
  EXPECT_EQ(image.rgb[static_cast<std::size_t>((269 * image.width + 349) * 3)], 128);

  // Save curve asks before replacing a file.
  click(e->atcBtnGetOutline);
  writeFile("old.curve", "old");
  chosen = path("old");  // the extension is added
  answer_ = MessageAnswer::No;
  e->atcSaveCurve->trigger();
  EXPECT_EQ(test::readFile(pathString("old.curve")), "old");
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[2].kind, MessageKind::Question);
  answer_ = MessageAnswer::Yes;
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(test::readFile(pathString("old.curve")), e->outlineCurveText());
  chosen = path("no/such/folder/x.curve");  // a message, nothing written
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(messages_.size(), 5u);
}

}  // namespace
}  // namespace zorva::test
