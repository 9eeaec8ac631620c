// The text curve editor, driven as a user drives it: painting, text,
// tracing, pasting into a slot, images and curve files.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <variant>

#include "curves/outline_tracer.h"
#include "io/image_io.h"
#include "ui/points_window.h"
#include "ui/text_curve_editor.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct TextCurveEditor : UiTest {
  TatcForm* editor() { return form_->textCurveEditor(); }
  AtcCanvas* canvas() { return editor()->atcImage; }
  const MultiplierSlot& pathSlot() { return engine().multiplierSlot(kPathCurve); }

  // The main window with the editor shown from the Edit menu.
  void open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().textCurveEditor->trigger();
    ASSERT_TRUE(editor()->isVisible());
  }
  void activateEditor() {
    editor()->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == editor(); }));
  }
  void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), QPointF(canvas()->mapToGlobal(at)), button, buttons, modifiers);
    QApplication::sendEvent(canvas(), &event);
  }
  void press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    mouse(QEvent::MouseButtonPress, at, button, button, modifiers);
  }
  void moveWith(QPoint at, Qt::MouseButtons buttons) { mouse(QEvent::MouseMove, at, Qt::NoButton, buttons); }
  void wheel(QWidget* over, int notches) {
    QWheelEvent event(QPointF(5, 5), QPointF(over->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
  }
  QColor committedAt(int x, int y) { return editor()->committedImage().pixelColor(x, y); }
  QColor shownAt(int x, int y) { return editor()->canvasImage().pixelColor(x, y); }
  int countPixels(const QImage& image, QColor colour, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
  }
  void writePicture(const QString& name, int width, int height, std::uint8_t grey) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, grey);
    rgb[0] = 255, rgb[1] = 0, rgb[2] = 0;  // the top-left pixel red
    ASSERT_FALSE(writePng(pathString(name), width, height, rgb.data(), static_cast<std::size_t>(width) * 3, nullptr));
  }
};

TEST_F(TextCurveEditor, OpensFromTheEditMenuWithTheSettingsAndGreysTheMainMenus) {
  open(
      "[start]\nImageWidth=60\nImageHeight=60\n[forms]\nAtcPenSize=12\nAtcTextSize=30\nAtcSampling=2\n"
      "AtcTolerance=50\nAtcLeft=20\nAtcTop=30\nAtcHeight=400\n[sine]\nSteps=40\n");
  TatcForm* e = editor();
  EXPECT_EQ(e->pos(), QPoint(20, 30));
  EXPECT_EQ(e->height(), 400);
  EXPECT_EQ(e->atcTbDrawSize->value(), 12);
  EXPECT_EQ(e->atcTbTextSize->value(), 30);
  EXPECT_EQ(e->atcTbSample->value(), 2);
  EXPECT_EQ(e->atcEditTolerance->value(), 50);
  EXPECT_EQ(e->stampText(), "a");
  EXPECT_TRUE(e->atcRbDraw->isChecked());
  EXPECT_FALSE(e->atcCbLasso->isChecked());
  EXPECT_EQ(e->atcCbFonts->currentIndex(), 0);
  EXPECT_EQ(e->committedImage().size(), QSize(kAtcCanvasWidth, kAtcCanvasHeight));
  EXPECT_EQ(countPixels(e->committedImage(), Qt::white, e->committedImage().rect()),
            kAtcCanvasWidth * kAtcCanvasHeight);
  EXPECT_FALSE(e->atcBtnPasteToZorva->isEnabled());
  EXPECT_FALSE(e->atcBtnSaveCurve->isEnabled() || e->atcSaveCurve->isEnabled());

  // Shown: the main window's menus are greyed out and its single keys free.
  for (QMenu* menu : form_->menus()) EXPECT_FALSE(menu->menuAction()->isEnabled());
  EXPECT_TRUE(form_->commands().draw->shortcut().isEmpty());

  // ":)" folds to 50 and unfolds to 600; the place is written with the settings.
  e->Shrink->trigger();
  EXPECT_EQ(e->height(), TatcForm::kFoldedHeight);
  e->Shrink->trigger();
  EXPECT_EQ(e->height(), TatcForm::kUnfoldedHeight);
  e->move(70, 80);
  engine().WriteIniFile(engine().currentStyle());
  EXPECT_EQ(storedValue("forms", "AtcLeft"), "70");
  EXPECT_EQ(storedValue("forms", "AtcTop"), "80");
  EXPECT_EQ(storedValue("forms", "AtcHeight"), "600");

  // "Close" hides it and gives the menus back.
  e->atcExit->trigger();
  EXPECT_FALSE(e->isVisible());
  for (QMenu* menu : form_->menus()) EXPECT_TRUE(menu->menuAction()->isEnabled());
  EXPECT_EQ(form_->commands().draw->shortcut(), QKeySequence(Qt::Key_D));

  // A settings file loaded later: the controls follow, within their ranges.
  writeFile("other.ini", "[forms]\nAtcPenSize=500\nAtcTolerance=7\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(e->atcTbDrawSize->value(), kAtcMaxSize);
  EXPECT_EQ(settings().AtcPenSize, kAtcMaxSize);
  EXPECT_EQ(e->atcEditTolerance->value(), 7);
  // Also when the track bar already stands at its end.
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(settings().AtcPenSize, kAtcMaxSize);
}

TEST_F(TextCurveEditor, ThePenPaintsBlackAndWhiteAndPreviewsInBlue) {
  open("[start]\nImageWidth=60\nImageHeight=60\n[forms]\nAtcPenSize=10\n[sine]\nSteps=40\n");
  press({200, 150}, Qt::LeftButton);
  EXPECT_EQ(committedAt(200, 150), QColor(Qt::black));
  EXPECT_EQ(committedAt(200, 141), QColor(Qt::black));  // within the radius
  EXPECT_EQ(committedAt(200, 138), QColor(Qt::white));  // beyond it
  // Dragging with the button held paints on.
  moveWith({300, 150}, Qt::LeftButton);
  EXPECT_EQ(committedAt(300, 150), QColor(Qt::black));
  // The right button paints white.
  press({200, 150}, Qt::RightButton);
  EXPECT_EQ(committedAt(200, 150), QColor(Qt::white));
  EXPECT_EQ(committedAt(300, 150), QColor(Qt::black));

  // Moving without a button previews in blue on the canvas only; leaving
  // the canvas takes the preview away.
  moveWith({400, 300}, Qt::NoButton);
  EXPECT_EQ(shownAt(400, 300), QColor(Qt::blue));
  EXPECT_EQ(committedAt(400, 300), QColor(Qt::white));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(canvas(), &leave);
  EXPECT_EQ(shownAt(400, 300), QColor(Qt::white));
  EXPECT_EQ(shownAt(300, 150), QColor(Qt::black));

  // "Clear Image" and "New" empty both.
  click(editor()->Button1);
  EXPECT_EQ(committedAt(300, 150), QColor(Qt::white));
  EXPECT_EQ(shownAt(300, 150), QColor(Qt::white));
  press({100, 100}, Qt::LeftButton);
  editor()->atcNew->trigger();
  EXPECT_EQ(committedAt(100, 100), QColor(Qt::white));
}

TEST_F(TextCurveEditor, TypedKeysExtendTheStampAndTheMiddleButtonSwitchesToText) {
  open("[start]\nImageWidth=60\nImageHeight=60\n[forms]\nAtcTextSize=40\n[sine]\nSteps=40\n");
  activateEditor();
  canvas()->setFocus();
  moveWith({300, 200}, Qt::NoButton);
  // D and C type letters here; they neither draw nor clear.
  QTest::keyClicks(canvas(), "dc W");
  EXPECT_EQ(editor()->stampText(), "adc W");
  EXPECT_EQ(steps_, 0);
  EXPECT_FALSE(engine().isDrawing());

  // The middle button switches to Text and previews the stamp there.
  press({300, 200}, Qt::MiddleButton);
  EXPECT_TRUE(editor()->atcRbText->isChecked());
  const QRect stampArea(300 - 20, 200 - 40, 200, 80);  // top-left at (X - floor(40 / 2), Y - 40)
  EXPECT_GT(countPixels(editor()->canvasImage(), Qt::blue, stampArea), 20);
  EXPECT_EQ(countPixels(editor()->canvasImage(), Qt::blue, editor()->canvasImage().rect()),
            countPixels(editor()->canvasImage(), Qt::blue, stampArea));
  EXPECT_EQ(countPixels(editor()->committedImage(), Qt::blue, editor()->committedImage().rect()), 0);
  // The stamp's top-left corner: its first ink a few pixels right of x = 280
  // and below y = 160 (the letters' side bearing and the font's leading).
  int leftmost = kAtcCanvasWidth, topmost = kAtcCanvasHeight;
  for (int y = 0; y < kAtcCanvasHeight; ++y)
    for (int x = 0; x < kAtcCanvasWidth; ++x)
      if (editor()->canvasImage().pixelColor(x, y) == Qt::blue)
        leftmost = std::min(leftmost, x), topmost = std::min(topmost, y);
  EXPECT_GE(leftmost, 280);
  EXPECT_LE(leftmost, 286);
  EXPECT_GE(topmost, 160);
  EXPECT_LE(topmost, 175);
  // Left press stamps it in black, for good.
  press({300, 200}, Qt::LeftButton);
  EXPECT_GT(countPixels(editor()->committedImage(), Qt::black, stampArea), 20);
  EXPECT_EQ(countPixels(editor()->committedImage(), Qt::black, editor()->committedImage().rect()),
            countPixels(editor()->committedImage(), Qt::black, stampArea));
  // Off the canvas a typed key changes the stamp and previews nothing.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(canvas(), &leave);
  QTest::keyClicks(canvas(), "x");
  EXPECT_EQ(editor()->stampText(), "adc Wx");
  EXPECT_EQ(countPixels(editor()->canvasImage(), Qt::blue, editor()->canvasImage().rect()), 0);
  // And back to the pen.
  press({300, 200}, Qt::MiddleButton);
  EXPECT_TRUE(editor()->atcRbDraw->isChecked());
}

TEST_F(TextCurveEditor, TheWheelChangesPenTextOrTolerance) {
  open();
  TatcForm* e = editor();
  wheel(canvas(), 1);
  wheel(e->atcTbSample, 1);  // whatever is under the mouse
  EXPECT_EQ(settings().AtcPenSize, 42);
  EXPECT_EQ(e->atcTbSample->value(), 3);
  e->atcRbText->setChecked(true);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTextSize, 24);
  e->atcCbLasso->setChecked(true);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTolerance, 39);
  EXPECT_EQ(e->atcEditTolerance->value(), 39);
  // Kept within 0..255.
  e->atcEditTolerance->setValue(255);
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcTolerance, 255);
  e->atcEditTolerance->setValue(0);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTolerance, 0);
  // The tolerance also while its field has the focus.
  activateEditor();
  e->atcCbLasso->setChecked(false);
  e->atcEditTolerance->setFocus();
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcTolerance, 1);
  EXPECT_EQ(settings().AtcTextSize, 24);
  // Ignored while the font list has the focus.
  e->atcCbFonts->setFocus();
  const int pen = settings().AtcPenSize, text = settings().AtcTextSize;
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcPenSize, pen);
  EXPECT_EQ(settings().AtcTextSize, text);
}

// Paint a disc with the mouse, "Get Outline", "Paste to Zorva": the path
// curve holds the traced points, doubled.
TEST_F(TextCurveEditor, APaintedDiscTracedAndPastedIntoTheSelectedSlot) {
  open("[start]\nImageWidth=60\nImageHeight=60\n[forms]\nAtcPenSize=20\nAtcSampling=1\n[sine]\nSteps=40\n");
  TatcForm* e = editor();
  press({200, 150}, Qt::LeftButton);
  click(e->atcBtnGetOutline);
  EXPECT_EQ(form_->statusText(), "Outline done");
  ASSERT_FALSE(e->outlineCurveText().empty());
  EXPECT_TRUE(e->atcBtnPasteToZorva->isEnabled() && e->atcBtnSaveCurve->isEnabled() && e->atcSaveCurve->isEnabled());
  // The walk is marked red on the canvas, not in the drawing.
  EXPECT_GT(countPixels(e->canvasImage(), Qt::red, e->canvasImage().rect()), 100);
  EXPECT_EQ(countPixels(e->committedImage(), Qt::red, e->committedImage().rect()), 0);

  // The first square the scan from (1, 1) meets: its bottom-right corner is
  // the disc's first pixel in row order.
  const QImage& drawn = e->committedImage();
  QPoint first(-1, -1);
  for (int y = 0; y < drawn.height() && first.x() < 0; ++y)
    for (int x = 0; x < drawn.width(); ++x)
      if (drawn.pixelColor(x, y) == Qt::black) {
        first = {x, y};
        break;
      }
  ASSERT_GE(first.x(), 1);
  const double startX = ((first.x() - 1) - 349.5) / 699, startY = -((first.y() - 1) - 269.5) / 699;

  // Not in Set curve mode: refused, the slot keeps its curve.
  click(e->atcBtnPasteToZorva);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "You must have a bezier selected in the Points form.");
  EXPECT_EQ(pathSlot().curve.GetLength(), 0);

  form_->showOptionWindow(Window::Points, "");
  clickBox(window<TformZorvaPoints>(Window::Points)->rbDrawMultiplierBezier);
  click(e->atcBtnPasteToZorva);
  const qCurve& c = pathSlot().curve;
  ASSERT_GT(c.GetLength(), 100);
  // Every second line of the text is an X; the slot holds twice each value.
  EXPECT_EQ(static_cast<std::size_t>(c.GetLength()) * 4,
            static_cast<std::size_t>(std::count(e->outlineCurveText().begin(), e->outlineCurveText().end(), '\n')) * 2);
  EXPECT_NEAR(c.GetXofI(0), 2 * startX, 1e-13);
  EXPECT_NEAR(c.GetYofI(0), 2 * startY, 1e-13);
  EXPECT_EQ(c.Points().front(), c.Points().back());
  // Every point lies on the disc's edge: 20 pixels from its centre, in units
  // of half the canvas width.
  for (const qCoord& p : c.Points()) {
    const double x = p.X / 2 * 699 + 349.5, y = 269.5 - p.Y / 2 * 699;
    EXPECT_NEAR(std::hypot(x + 0.5 - 200, y + 0.5 - 150), 20, 2) << x << "," << y;
  }
  EXPECT_EQ(form_->statusText(), "Finished drawing \"Main - Path curve\" bezier");

  // The Edit menu's "Paste from Clipboard" takes the same text while it is
  // there, whatever the system clipboard holds.
  QApplication::clipboard()->setText("1 2 3 4 5 6 7 8 9 10");
  engine().multiplierSlot(kPathCurve).curve.Empty();
  form_->commands().pasteFromClipboard->trigger();
  EXPECT_EQ(pathSlot().curve.Points(), c.Points());
}

TEST_F(TextCurveEditor, LassoPressesTraceThePressedRegionAndShiftAppends) {
  open();
  TatcForm* e = editor();
  press({200, 150}, Qt::LeftButton);
  e->atcCbLasso->setChecked(true);
  form_->Spammer("something");
  moveWith({10, 10}, Qt::NoButton);
  EXPECT_EQ(form_->statusText(), "");
  EXPECT_EQ(shownAt(10, 10), QColor(Qt::white));  // no preview in lasso mode

  // Inside the disc (black), then with Shift in the white around it.
  std::string expected;
  const RgbImage drawn = [&] {
    RgbImage rgb;
    const QImage& image = e->committedImage();
    rgb.width = image.width(), rgb.height = image.height();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        for (int c : {image.pixelColor(x, y).red(), image.pixelColor(x, y).green(), image.pixelColor(x, y).blue()})
          rgb.rgb.push_back(static_cast<std::uint8_t>(c));
    return rgb;
  }();
  const OutlineOptions options{settings().AtcTolerance, settings().AtcSampling};
  ASSERT_TRUE(lassoOutline(drawn, 200, 150, false, options, expected).found());
  press({200, 150}, Qt::LeftButton);
  EXPECT_EQ(e->outlineCurveText(), expected);
  ASSERT_TRUE(lassoOutline(drawn, 50, 50, true, options, expected).found());
  press({50, 50}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(e->outlineCurveText(), expected);
  EXPECT_EQ(form_->statusText(), "Outline done");
  // A press without Shift starts afresh; the drawing itself never changes.
  press({200, 150}, Qt::LeftButton);
  EXPECT_LT(e->outlineCurveText().size(), expected.size());
  EXPECT_EQ(committedAt(200, 150), QColor(Qt::black));
  EXPECT_EQ(committedAt(50, 50), QColor(Qt::white));
}

TEST_F(TextCurveEditor, NothingToTraceKeepsTheTextAndTheControls) {
  open("[start]\nImageWidth=60\nImageHeight=60\n[forms]\nAtcTolerance=0\n[sine]\nSteps=40\n");
  press({200, 150}, Qt::LeftButton);
  click(editor()->atcBtnGetOutline);
  EXPECT_EQ(form_->statusText(), "Outline done");
  EXPECT_TRUE(editor()->outlineCurveText().empty());
  EXPECT_FALSE(editor()->atcBtnPasteToZorva->isEnabled());
  // With nothing pending the system clipboard is pasted as before.
  clickBox([&] {
    form_->showOptionWindow(Window::Points, "");
    return window<TformZorvaPoints>(Window::Points)->rbDrawMultiplierBezier;
  }());
  QApplication::clipboard()->setText("0.25 0.5 -0.5 1");
  form_->commands().pasteFromClipboard->trigger();
  EXPECT_EQ(pathSlot().curve.Points(), (std::vector<qCoord>{{0.5, 1}, {-1, 2}}));
}

TEST_F(TextCurveEditor, OpenImageCentresOrScalesAndRefusesBadFiles) {
  open();
  TatcForm* e = editor();
  writePicture("small.png", 100, 50, 128);
  e->fileDialogHook = [&](const QString&) { return path("small.png"); };
  click(e->atcBtnOpenImage);
  // Left floor((699 - 100) / 2) = 299, top floor((539 - 50) / 2) = 244.
  EXPECT_EQ(committedAt(299, 244), QColor(255, 0, 0));
  EXPECT_EQ(committedAt(398, 293), QColor(128, 128, 128));
  EXPECT_EQ(committedAt(298, 244), QColor(Qt::white));
  EXPECT_EQ(committedAt(399, 293), QColor(Qt::white));
  EXPECT_EQ(committedAt(300, 243), QColor(Qt::white));
  EXPECT_EQ(shownAt(299, 244), QColor(255, 0, 0));
  EXPECT_EQ(settings().AtcLoadDir, dir_.path().toStdString() + "/");

  // Twice as wide as the canvas: 699 x 50, at top floor((539 - 50) / 2).
  writePicture("wide.png", 1398, 100, 0);
  e->LoadImage(path("wide.png"));
  // The red pixel averaged with three black ones.
  EXPECT_NEAR(committedAt(0, 244).red(), 64, 1);
  EXPECT_EQ(committedAt(0, 244).green(), 0);
  EXPECT_EQ(committedAt(698, 293), QColor(Qt::black));
  EXPECT_EQ(committedAt(698, 243), QColor(Qt::white));
  EXPECT_EQ(committedAt(0, 294), QColor(Qt::white));

  // Missing, broken or not an image: a message, and the canvas as it was.
  const QImage before = e->committedImage();
  writeFile("broken.png", "\x89PNG\r\n\x1a\n rubbish");
  writeFile("text.jpg", "no picture");
  e->LoadImage(path("missing.png"));
  e->LoadImage(path("broken.png"));
  e->LoadImage(path("text.jpg"));
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[0].text, "file: \r\n" + pathString("missing.png") + "  does not exist");
  EXPECT_NE(messages_[1].text.find("broken.png"), std::string::npos);
  EXPECT_NE(messages_[2].text.find("text.jpg"), std::string::npos);
  EXPECT_EQ(e->committedImage(), before);
  // Cancelling the dialog changes nothing either.
  e->fileDialogHook = [](const QString&) { return QString(); };
  click(e->atcBtnOpenImage);
  EXPECT_EQ(e->committedImage(), before);
}

TEST_F(TextCurveEditor, SaveImageWritesTheCanvasBesideTheProgram) {
  open();
  press({200, 150}, Qt::LeftButton);
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  click(editor()->atcBtnSaveImage);
  QDir::setCurrent(before);
  EXPECT_EQ(form_->statusText(), "Saved image");
  const QStringList saved = QDir(dir_.path()).entryList({"atc_*.png"});
  ASSERT_EQ(saved.size(), 1);
  EXPECT_TRUE(QRegularExpression(R"(^atc_\d{8}_\d\d_\d\d_\d\d__\d{3}\.png$)").match(saved[0]).hasMatch())
      << saved[0].toStdString();
  auto loaded = loadImage(pathString(saved[0]));
  ASSERT_TRUE(std::holds_alternative<RgbImage>(loaded));
  const RgbImage& image = std::get<RgbImage>(loaded);
  ASSERT_EQ(image.width, kAtcCanvasWidth);
  ASSERT_EQ(image.height, kAtcCanvasHeight);
  const auto at = [&](int x, int y) { return image.rgb[static_cast<std::size_t>((y * image.width + x) * 3)]; };
  EXPECT_EQ(at(200, 150), 0);
  EXPECT_EQ(at(10, 10), 255);
}

TEST_F(TextCurveEditor, SaveCurveWritesTheTextAndAsksBeforeReplacing) {
  open();
  TatcForm* e = editor();
  press({200, 150}, Qt::LeftButton);
  click(e->atcBtnGetOutline);
  QString chosen = path("mine");
  e->fileDialogHook = [&](const QString& title) {
    EXPECT_EQ(title, "Save your curve file");
    return chosen;
  };
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(form_->statusText(), "Curve saved.");
  EXPECT_EQ(readFile(pathString("mine.curve")), e->outlineCurveText());

  // An existing file: replaced only on Yes.
  writeFile("old.curve", "old");
  chosen = path("old.curve");
  form_->host().messageHook = [&](const std::string& text, MessageKind kind) {
    messages_.push_back({text, kind});
    return MessageAnswer::No;
  };
  e->atcSaveCurve->trigger();
  EXPECT_EQ(form_->statusText(), "Curve not saved.");
  EXPECT_EQ(readFile(pathString("old.curve")), "old");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Do you want to overwrite \r\n" + pathString("old.curve") + "?");
  EXPECT_EQ(messages_[0].kind, MessageKind::Question);
  form_->host().messageHook = [](const std::string&, MessageKind) { return MessageAnswer::Yes; };
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(readFile(pathString("old.curve")), e->outlineCurveText());

  chosen.clear();
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(form_->statusText(), "Saving cancelled.");
  // A folder that does not exist: a message, nothing written.
  chosen = path("no/such/folder/x.curve");
  messages_.clear();
  form_->host().messageHook = [&](const std::string& text, MessageKind kind) {
    messages_.push_back({text, kind});
    return MessageAnswer::Yes;
  };
  click(e->atcBtnSaveCurve);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find("x.curve"), std::string::npos);
}

}  // namespace
}  // namespace zorva::test
