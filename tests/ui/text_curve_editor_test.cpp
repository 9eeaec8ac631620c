// The text curve editor, driven as a user drives it: painting, text,
// tracing, pasting into a slot, images and curve files.
#include <QClipboard>
#include <QSpinBox>
#include <QWheelEvent>
#include <iterator>
#include <map>

#include "io/image_io.h"
#include "ui/text_curve_editor.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

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
  std::string readFile(const QString& name) const {
    std::ifstream in(pathString(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(TextCurveEditor, WhileShownTheMainMenusAreOffAndItsControlsFollowTheSettings) {
  start(std::string(kSmallSettings) + "[forms]\nAtcPenSize=12\nAtcLeft=20\nAtcTop=30\n");
  std::map<QAction*, QKeySequence> keys;
  for (QMenu* menu : form_->menus())
    for (QAction* a : menu->actions()) keys[a] = a->shortcut();
  form_->commands().textCurveEditor->trigger();
  TatcForm* e = editor();
  EXPECT_EQ(e->pos(), QPoint(20, 30));
  EXPECT_EQ(e->atcTbDrawSize->value(), 12);
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

  // A file loaded later: the controls follow within their ranges, also when
  // the track bar already stands at its end.
  writeFile("other.ini", "[forms]\nAtcPenSize=500\nAtcTolerance=7\n");
  for (int i = 0; i < 2; ++i) {
    form_->openIniFile(path("other.ini"));
    EXPECT_EQ(settings().AtcPenSize, kAtcMaxSize);
    EXPECT_EQ(e->atcEditTolerance->value(), 7);
  }
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
  EXPECT_EQ(shownAt(300, 150), QColor(Qt::black));
  // "Clear Image" and "New" empty both.
  click(editor()->Button1);
  EXPECT_EQ(shownAt(300, 150), QColor(Qt::white));
  press({100, 100}, Qt::LeftButton);
  editor()->atcNew->trigger();
  EXPECT_EQ(committedAt(100, 100), QColor(Qt::white));

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
  press({300, 200}, Qt::MiddleButton);
  EXPECT_TRUE(editor()->atcRbDraw->isChecked());
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
  // The tolerance in lasso mode, within 0..255, or while its field has the
  // focus; nothing while the font list has the focus.
  e->atcCbLasso->setChecked(true);
  e->atcEditTolerance->setValue(255);
  wheel(canvas(), 1);
  wheel(canvas(), -1);
  EXPECT_EQ(settings().AtcTolerance, 254);
  activate(e);
  e->atcCbLasso->setChecked(false);
  e->atcEditTolerance->setFocus();
  wheel(canvas(), 1);
  EXPECT_EQ(settings().AtcTolerance, 255);
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
  EXPECT_TRUE(e->atcBtnPasteToZorva->isEnabled() && e->atcBtnSaveCurve->isEnabled() && e->atcSaveCurve->isEnabled());
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
}

TEST_F(TextCurveEditor, LassoPressesTraceThePressedRegionAndShiftAppends) {
  open();
  TatcForm* e = editor();
  press({200, 150}, Qt::LeftButton);
  const QImage drawn = e->committedImage();
  e->atcCbLasso->setChecked(true);
  moveWith(canvas(), {10, 10}, Qt::NoButton);
  EXPECT_EQ(shownAt(10, 10), QColor(Qt::white));  // no preview in lasso mode
  press({200, 150}, Qt::LeftButton);
  const std::string inside = e->outlineCurveText();
  ASSERT_FALSE(inside.empty());
  press({50, 50}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(e->outlineCurveText().substr(0, inside.size()), inside);
  EXPECT_GT(e->outlineCurveText().size(), inside.size());
  press({200, 150}, Qt::LeftButton);  // starts afresh
  EXPECT_EQ(e->outlineCurveText(), inside);
  EXPECT_EQ(e->committedImage(), drawn);
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
  EXPECT_EQ(readFile("old.curve"), "old");
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[2].kind, MessageKind::Question);
  answer_ = MessageAnswer::Yes;
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(readFile("old.curve"), e->outlineCurveText());
  chosen = path("no/such/folder/x.curve");  // a message, nothing written
  click(e->atcBtnSaveCurve);
  EXPECT_EQ(messages_.size(), 5u);
}

}  // namespace
}  // namespace zorva::test
