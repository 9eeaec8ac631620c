// The main window: start-up, menu, zoom, drawing from the keyboard, files
// and shut-down.
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <algorithm>

#include "ui/cursors.h"
#include "ui/picture_view.h"
#include "ui/program_files.h"
#include "ui/values_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

using MainWindowTest = UiTest;

bool isBackground(const Bitmap24& picture) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [](std::uint8_t b) { return b == 255; });
}

TEST_F(MainWindowTest, StartsWithTheSettingsReadAndThePictureReady) {
  start(std::string(kSmallSettings) + "StartRadius=150\n", false);
  // Everything is in place before the window shows.
  EXPECT_EQ(form_->windowTitle(), "Zorva259");
  EXPECT_EQ(form_->statusText(), "Hello");
  EXPECT_EQ(window<TformZorvaValues>(Window::Values)->editStartRadius->text(), "1.5");
  EXPECT_EQ(form_->pictureView()->size(), QSize(60, 60));
  for (int number : {kCurveRotateCursor, kCurveExpandCursor}) EXPECT_EQ(zorvaCursor(number).shape(), Qt::BitmapCursor);
}

// A menu as "Caption: item | item | ...", each item "caption [key] flags":
// c checkable, x checked, d disabled (visible items only: Qt disables what it
// hides), h hidden; "-" is a separator.
std::string describe(const QAction* menu) {
  std::string text = menu->text().toStdString() + ":";
  for (const QAction* a : menu->menu()->actions()) {
    text += (text.back() == ':' ? " " : " | ") + (a->isSeparator() ? "-" : a->text().toStdString());
    if (!a->shortcut().isEmpty()) text += " [" + a->shortcut().toString(QKeySequence::PortableText).toStdString() + "]";
    const std::string flags = std::string(a->isCheckable() ? "c" : "") + (a->isChecked() ? "x" : "") +
                              (a->isVisible() && !a->isEnabled() ? "d" : "") + (a->isVisible() ? "" : "h");
    if (!flags.empty()) text += " " + flags;
  }
  return text;
}

TEST_F(MainWindowTest, MenuHasEveryCommandWithItsKeyAndStateAndGetsItsKeysBack) {
  start();
  const std::vector<std::string> expected = {
      "File: Open .ini file [Ctrl+O] | Open curve [Ctrl+Q] | - | Save zorva picture [Ctrl+S] | "
      "Save curve [Ctrl+W] | - | Change default save location | - | Exit [Alt+F4]",
      "Edit: Undo curve edit [Ctrl+Z] | - | Cut Curve [Ctrl+X] | Copy Curve [Ctrl+C] | Paste Curve [Ctrl+V] | "
      "- | Paste from Clipboard [Ctrl+Shift+V] | Text Curve Editor [`] | - | Reset all curves [Ctrl+K] | "
      "Show Curve [S]",
      "Zorva: Draw [D] | Stop [Esc] d | Clear [C] | - | Draw each step? [E] c | Save each step? [Ctrl+E] c | "
      "Clear each step? [Ctrl+Shift+E] c | Preview [P] c | - | Use transparency? c | Set opacity | - | "
      "Toggle zoom [Ctrl+F] c | Set canvas as background [Ctrl+B]",
      "Options: Function [F1] | Values [F2] | Color [F3] | Points [F4] | Path [F5] | Source Image [F6] | "
      "Animation [F7] | Background Image [F8] | Set image dimensions [F9] | Branching [F10] | "
      "Values - Plane [F11] | - | Hide option windows [H] c | - | Set rotation points cxh | Set path points ch | "
      "Draw Multiplier Bezier [Ctrl+4] ch | - h | Draw with Start and End Beziers? h | "
      "Use Start Bezier as End Bezier? [=] h | - h | Move rotation center between points? ch | Use \"wobble\"? c | "
      "- | Use mouse to change values? c | Snap values back? cxd | Below Normal Priority? c",
      "Help: About Zorva"};
  auto check = [&] {
    std::vector<std::string> got;
    for (const QAction* menu : form_->menuBar()->actions()) got.push_back(describe(menu));
    EXPECT_EQ(got, expected);
  };
  check();
  const auto& c = form_->commands();

  // While the menus are off the single keys are free; afterwards every key is back.
  form_->DisableZorvaMenus();
  for (QMenu* menu : form_->menus()) EXPECT_FALSE(menu->menuAction()->isEnabled());
  for (QAction* a : {c.draw, c.clear, c.showCurve, c.hideOptionWindows}) EXPECT_TRUE(a->shortcut().isEmpty());
  form_->EnableZorvaMenus();
  check();
}

TEST_F(MainWindowTest, SingleKeysTypedInAnOptionWindowStayThere) {
  start();
  const auto& c = form_->commands();
  c.values->trigger();
  auto* values = window<TformZorvaValues>(Window::Values);
  values->activateWindow();
  // A tool window counts as active with its parent; wait for the real switch.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == values; }));

  // D and H on a check box or in a field neither draw nor hide.
  values->cbTanBumps->setFocus();
  QTest::keyClick(values->cbTanBumps, Qt::Key_D);
  QTest::keyClick(values->cbTanBumps, Qt::Key_H);
  values->editSteps->setFocus();
  values->editSteps->selectAll();
  QTest::keyClick(values->editSteps, Qt::Key_D);
  EXPECT_EQ(steps_, 0);
  EXPECT_FALSE(c.hideOptionWindows->isChecked());
  EXPECT_EQ(messages_.size(), 1u);  // the D typed into the field is no integer

  // Esc, though, stops a running drawing from there too.
  atStep(3, [&] { QTest::keyClick(values->editSteps, Qt::Key_Escape); });
  c.draw->trigger();
  EXPECT_EQ(steps_, 3);

  // Function keys and keys with a modifier work from the option window.
  QTest::keyClick(values->cbTanBumps, Qt::Key_F9);
  EXPECT_TRUE(form_->optionWindow(Window::Dimensions)->isVisible());
  QTest::keyClick(values->cbTanBumps, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form_->zoomToFit());
}

TEST_F(MainWindowTest, SnapValuesBackIsGreyedOutUntilTheMouseChangesValues) {
  start();
  const auto& c = form_->commands();
  EXPECT_FALSE(c.snapValuesBack->isEnabled());
  c.useMouseToChangeValues->trigger();
  EXPECT_TRUE(settings().UseMouseToChangeValues);
  EXPECT_TRUE(c.snapValuesBack->isEnabled());
  c.snapValuesBack->trigger();
  EXPECT_FALSE(settings().SnapValuesBack);
  c.useMouseToChangeValues->trigger();
  EXPECT_FALSE(c.snapValuesBack->isEnabled());

  // After a load the marks follow the file.
  writeFile("switches.ini", "[start]\nUseMouseToChangeValues=1\nSnapValuesBack=0\n[sine]\nWobble=1\n");
  form_->openIniFile(path("switches.ini"));
  EXPECT_TRUE(c.useMouseToChangeValues->isChecked());
  EXPECT_TRUE(c.snapValuesBack->isEnabled());
  EXPECT_FALSE(c.snapValuesBack->isChecked());
  EXPECT_TRUE(c.useWobble->isChecked());
}

TEST(PictureLayoutTest, ZoomFitsIntoTheBoxLessItsMarginAndCentresHalvesToEven) {
  struct Case {
    int pictureWidth, pictureHeight, boxWidth, boxHeight;
    bool zoom;
    double factor;
    int width, height, left, top;
  };
  for (const Case& k :
       {Case{800, 800, 725, 500, true, 0.5, 400, 400, 162, 50}, Case{10, 10, 1000, 1000, true, 90, 900, 900, 50, 50},
        Case{1000, 1, 600, 600, true, 0.5, 500, 10, 50, 295},  // sides of 10 at least
        Case{800, 800, 725, 500, false, 1, 800, 800, 0, 0}, Case{100, 100, 327, 300, false, 1, 100, 100, 114, 100},
        Case{0, 0, 725, 500, true, 1, 0, 0, 362, 250}}) {
    const PictureLayout l = layoutPicture(k.pictureWidth, k.pictureHeight, k.boxWidth, k.boxHeight, k.zoom);
    SCOPED_TRACE(testing::Message() << k.pictureWidth << "x" << k.pictureHeight << " in " << k.boxWidth);
    EXPECT_DOUBLE_EQ(l.factor, k.factor);
    EXPECT_EQ(QRect(l.left, l.top, l.width, l.height), QRect(k.left, k.top, k.width, k.height));
  }
}

TEST_F(MainWindowTest, ToggleZoomFitsThePictureIntoTheScrollBox) {
  start();
  form_->resize(700, 600);
  QApplication::processEvents();
  const QSize box = form_->scrollBox()->maximumViewportSize();
  form_->commands().toggleZoom->trigger();
  EXPECT_GT(form_->zoomFactor(), 1.0);  // a small picture is enlarged
  // A Clear with a new size fits again; the mouse maps back to picture pixels.
  settings().ImageWidth = 120;
  form_->commands().clear->trigger();
  const PictureLayout wide = layoutPicture(120, 60, box.width(), box.height(), true);
  EXPECT_DOUBLE_EQ(form_->zoomFactor(), wide.factor);
  EXPECT_EQ(form_->pictureView()->geometry(), QRect(wide.left, wide.top, wide.width, wide.height));
  const QPoint inside(wide.width / 2 + 3, wide.height / 2);
  QCursor::setPos(form_->pictureView()->mapToGlobal(inside));
  EXPECT_EQ(form_->host().mousePixel(), std::make_pair(static_cast<int>(inside.x() * 120.0 / wide.width),
                                                       static_cast<int>(inside.y() * 60.0 / wide.height)));

  form_->commands().toggleZoom->trigger();
  EXPECT_DOUBLE_EQ(form_->zoomFactor(), 1.0);
  EXPECT_EQ(form_->pictureView()->size(), QSize(120, 60));
}

TEST_F(MainWindowTest, DStartsADrawingAndEscStopsIt) {
  start();
  activate();
  bool drawEnabled = true, stopEnabled = false;
  QString status;
  atStep(5, [&] {
    drawEnabled = form_->commands().draw->isEnabled();
    stopEnabled = form_->commands().stop->isEnabled();
    status = form_->statusText();
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    EXPECT_TRUE(engine().stopRequested());
  });
  QTest::keyClick(form_.get(), Qt::Key_D);
  EXPECT_EQ(steps_, 5);  // steps 0 to 4 of 40
  EXPECT_FALSE(drawEnabled);
  EXPECT_TRUE(stopEnabled);
  EXPECT_EQ(status, "Drawing...");
  EXPECT_TRUE(form_->commands().draw->isEnabled());
  EXPECT_FALSE(form_->commands().stop->isEnabled());
  EXPECT_EQ(form_->statusText(), "Finished");
  EXPECT_FALSE(isBackground(engine().picture()));
  EXPECT_EQ(storedValue("sine", "Steps"), "40");  // every drawing stores its settings first
  form_->commands().clear->trigger();
  EXPECT_TRUE(isBackground(engine().picture()));
}

TEST_F(MainWindowTest, ASettingChangedDuringTheDrawingTakesEffect) {
  start();
  auto* values = window<TformZorvaValues>(Window::Values);
  typeInto(values->editSteps, "100");
  atStep(10, [&] { typeInto(values->editPercentToComplete, "50"); });
  form_->commands().draw->trigger();
  EXPECT_EQ(steps_, 52);  // ceil(100 / 100 * 50) < step first holds at step 51
}

TEST_F(MainWindowTest, ExitDuringADrawingStopsItAndWritesTheSettingsAndTheMaximisedState) {
  start();
  form_->showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(form_->isMaximized());
  atStep(3, [&] {
    typeInto(window<TformZorvaValues>(Window::Values)->editStartIota, "33");
    form_->commands().exit->trigger();
  });
  form_->commands().draw->trigger();
  EXPECT_EQ(steps_, 3);
  EXPECT_EQ(form_->statusText(), "Exiting");
  EXPECT_EQ(storedValue("sine", "StartIota"), "33");
  EXPECT_EQ(storedValue("forms", "ZorvaMaximized"), "1");
  form_.reset();
  start("");  // the file as written
  EXPECT_TRUE(form_->isMaximized());
}

TEST_F(MainWindowTest, OpenIniFileLoadsTheStyleItsValuesAndItsCurves) {
  start();
  QDir(dir_.path()).mkdir("sets");
  writeFile("sets/my pic.ini", "[start]\nstyle=lissajous\n[lissajous]\nStartRadius=250\nTanBumps=1\n");
  qCurve curve;
  for (int i = 0; i < 6; ++i) curve.AddPoint(i * 0.1, i % 2 * 0.2);
  const std::string folder = pathString("sets") + "/";
  ASSERT_FALSE(curve.Spam(folder + Engine::companionCurveName("my pic.ini", 0)).has_value());

  form_->openIniFile(path("sets/my pic.ini"));
  EXPECT_EQ(engine().currentStyle(), "lissajous");
  EXPECT_EQ(form_->statusText(), "Loaded " + path("sets/my pic.ini"));
  EXPECT_EQ(engine().multiplierSlot(0).curve.GetLength(), 6);
  EXPECT_EQ(engine().multiplierSlot(1).curve.GetLength(), 0);
  auto* values = window<TformZorvaValues>(Window::Values);
  EXPECT_EQ(values->editStartRadius->text(), "2.5");
  EXPECT_TRUE(values->cbTanBumps->isChecked());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, ChangeDefaultSaveLocationKeepsTheSeparatorOrNothingWhenCancelled) {
  start();
  const std::string before = settings().SaveDir;
  form_->changeSaveFolder(std::nullopt);
  EXPECT_EQ(form_->statusText().toStdString(), "Save directory unchanged as " + before);
  form_->changeSaveFolder(path("out"));
  EXPECT_EQ(settings().SaveDir, pathString("out") + "/");
}

TEST(ProgramFilesTest, SettingsFileBesideAWritableProgramOrInTheConfigFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const char* const names[] = {"ZORVA_SETTINGS_FILE", "XDG_CONFIG_HOME"};
  const QByteArray saved[] = {qgetenv(names[0]), qgetenv(names[1])};
  qunsetenv(names[0]);
  const ProgramFiles beside = findProgramFiles(dir.filePath("zorva"));
  EXPECT_EQ(beside.settingsFile, dir.filePath("zorva.ini"));
  EXPECT_EQ(beside.defaultFolder, dir.path());

  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  const ProgramFiles installed = findProgramFiles("/nonexistent-zorva-folder/bin/zorva");
  EXPECT_EQ(installed.settingsFile, dir.filePath("config/zorva/zorva.ini"));
  EXPECT_TRUE(QDir(dir.filePath("config/zorva")).exists());
  EXPECT_EQ(installed.defaultFolder, QDir::homePath());

  qputenv("ZORVA_SETTINGS_FILE", dir.filePath("chosen.ini").toUtf8());
  EXPECT_EQ(findProgramFiles(dir.filePath("zorva")).settingsFile, dir.filePath("chosen.ini"));
  for (int i = 0; i < 2; ++i) saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
}

}  // namespace
}  // namespace zorva::test
