// The main window: start-up, menu, zoom, drawing from the keyboard, files
// and shut-down.
#include <QActionGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QUrl>
#include <filesystem>

#include "ui/about_window.h"
#include "ui/cursors.h"
#include "ui/picture_view.h"
#include "ui/program_files.h"
#include "ui/values_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

using MainWindowTest = UiTest;

// The engine's slot member shares its name with a Qt macro.
const qCurve& slotCurve(Engine& engine, int slot) {
  return engine.multiplierSlots[static_cast<std::size_t>(slot)].curve;
}

bool isBackground(const Bitmap24& picture) {
  for (std::uint8_t b : picture.bgr)
    if (b != 255) return false;
  return true;
}

// ---- start-up -----------------------------------------------------------------------

TEST_F(MainWindowTest, StartsWithTheSettingsReadAndThePictureReady) {
  start(std::string(kSmallSettings) + "StartRadius=150\n", false);
  // Everything is in place before the window shows.
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(form_->windowTitle(), "Zorva259");
  EXPECT_EQ(form_->size(), QSize(633, 550));
  EXPECT_EQ(form_->statusText(), "Hello");
  EXPECT_EQ(settings().StartRadius, 150);
  EXPECT_EQ(engine().picture().width, 60);
  EXPECT_EQ(engine().picture().height, 60);
  EXPECT_TRUE(isBackground(engine().picture()));
  EXPECT_EQ(window<TformZorvaValues>(Window::Values)->editStartRadius->text(), "1.5");
  EXPECT_TRUE(form_->started());
  EXPECT_EQ(form_->progressBar()->height(), 19);
  EXPECT_EQ(form_->progressBar()->parentWidget()->height(), 36);
  EXPECT_EQ(form_->pictureView()->size(), QSize(60, 60));
  EXPECT_TRUE(form_->commands().draw->isEnabled());
  EXPECT_FALSE(form_->commands().stop->isEnabled());
}

TEST_F(MainWindowTest, CursorsAreRegisteredAtStartUp) {
  start();
  for (int number : {kCurveRotateCursor, kCurveExpandCursor}) {
    const QCursor cursor = zorvaCursor(number);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
  }
  EXPECT_EQ(zorvaCursor(3).shape(), Qt::ArrowCursor);
}

// ---- the menu -------------------------------------------------------------------------

struct Item {
  const char* caption;  // "-" for a separator
  QKeySequence key;
  bool checkable = false, checked = false, enabled = true, visible = true;
};

TEST_F(MainWindowTest, MenuHasEveryCommandWithItsKeyAndState) {
  start();
  using K = QKeySequence;
  const Item sep{"-", {}};
  const Item hiddenSep{"-", {}, false, false, true, false};
  const std::vector<std::pair<const char*, std::vector<Item>>> expected = {
      {"File",
       {{"Open .ini file", K(Qt::CTRL | Qt::Key_O)},
        {"Open curve", K(Qt::CTRL | Qt::Key_Q), false, false, false},
        sep,
        {"Save zorva picture", K(Qt::CTRL | Qt::Key_S)},
        {"Save curve", K(Qt::CTRL | Qt::Key_W), false, false, false},
        sep,
        {"Change default save location", {}},
        sep,
        {"Exit", K(Qt::ALT | Qt::Key_F4)}}},
      {"Edit",
       {{"Undo curve edit", K(Qt::CTRL | Qt::Key_Z), false, false, false},
        sep,
        {"Cut Curve", K(Qt::CTRL | Qt::Key_X), false, false, false},
        {"Copy Curve", K(Qt::CTRL | Qt::Key_C), false, false, false},
        {"Paste Curve", K(Qt::CTRL | Qt::Key_V), false, false, false},
        sep,
        {"Paste from Clipboard", K(Qt::SHIFT | Qt::CTRL | Qt::Key_V), false, false, false},
        {"Text Curve Editor", K(Qt::Key_QuoteLeft), false, false, false},
        sep,
        {"Reset all curves", K(Qt::CTRL | Qt::Key_K), false, false, false},
        {"Show Curve", K(Qt::Key_S), false, false, false}}},
      {"Zorva",
       {{"Draw", K(Qt::Key_D)},
        {"Stop", K(Qt::Key_Escape), false, false, false},
        {"Clear", K(Qt::Key_C)},
        sep,
        {"Draw each step?", K(Qt::Key_E), true},
        {"Save each step?", K(Qt::CTRL | Qt::Key_E), true},
        {"Clear each step?", K(Qt::SHIFT | Qt::CTRL | Qt::Key_E), true},
        {"Preview", K(Qt::Key_P), true},
        sep,
        {"Use transparency?", {}, true},
        {"Set opacity", {}},
        sep,
        {"Toggle zoom", K(Qt::CTRL | Qt::Key_F), true},
        {"Set canvas as background", K(Qt::CTRL | Qt::Key_B)}}},
      {"Options",
       {{"Function", K(Qt::Key_F1)},
        {"Values", K(Qt::Key_F2)},
        {"Color", K(Qt::Key_F3)},
        {"Points", K(Qt::Key_F4), false, false, false},
        {"Path", K(Qt::Key_F5), false, false, false},
        {"Source Image", K(Qt::Key_F6)},
        {"Animation", K(Qt::Key_F7), false, false, false},
        {"Background Image", K(Qt::Key_F8)},
        {"Set image dimensions", K(Qt::Key_F9)},
        {"Branching", K(Qt::Key_F10), false, false, false},
        {"Values - Plane", K(Qt::Key_F11)},
        sep,
        {"Hide option windows", K(Qt::Key_H), true},
        sep,
        {"Set rotation points", {}, true, true, false, false},
        {"Set path points", {}, true, false, false, false},
        {"Draw Multiplier Bezier", K(Qt::CTRL | Qt::Key_4), true, false, false, false},
        hiddenSep,
        {"Draw with Start and End Beziers?", {}, false, false, false, false},
        {"Use Start Bezier as End Bezier?", K(Qt::Key_Equal), false, false, false, false},
        hiddenSep,
        {"Move rotation center between points?", {}, true, false, false, false},
        {"Use \"wobble\"?", {}, true},
        sep,
        {"Use mouse to change values?", {}, true},
        {"Snap values back?", {}, true, true, false},
        {"Below Normal Priority?", {}, true}}},
      {"Help", {{"About Zorva", {}}}},
  };

  const QList<QAction*> top = form_->menuBar()->actions();
  ASSERT_EQ(top.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    SCOPED_TRACE(expected[m].first);
    EXPECT_EQ(top[static_cast<qsizetype>(m)]->text(), expected[m].first);
    const QList<QAction*> items = top[static_cast<qsizetype>(m)]->menu()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size()));
    for (std::size_t i = 0; i < expected[m].second.size(); ++i) {
      const Item& want = expected[m].second[i];
      const QAction* got = items[static_cast<qsizetype>(i)];
      SCOPED_TRACE(want.caption);
      if (std::string(want.caption) == "-") {
        EXPECT_TRUE(got->isSeparator());
      } else {
        EXPECT_EQ(got->text(), QString::fromUtf8(want.caption));
        EXPECT_EQ(got->shortcut(), want.key);
        EXPECT_EQ(got->isCheckable(), want.checkable);
        EXPECT_EQ(got->isChecked(), want.checked);
        // Qt disables what it hides; the state matters for the visible items.
        if (want.visible) {
          EXPECT_EQ(got->isEnabled(), want.enabled);
        }
      }
      EXPECT_EQ(got->isVisible(), want.visible);
    }
  }
  // The three mouse modes are radio items.
  const auto& c = form_->commands();
  ASSERT_NE(c.setRotationPoints->actionGroup(), nullptr);
  EXPECT_TRUE(c.setRotationPoints->actionGroup()->isExclusive());
  EXPECT_EQ(c.setPathPoints->actionGroup(), c.setRotationPoints->actionGroup());
}

TEST_F(MainWindowTest, SingleKeysTypedInAnOptionWindowStayThere) {
  start();
  const auto& c = form_->commands();
  c.values->trigger();
  auto* values = window<TformZorvaValues>(Window::Values);
  values->activateWindow();
  // A tool window counts as active with its parent; wait for the real switch.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == values; }));

  // D on a check box of the window does not draw...
  values->cbTanBumps->setFocus();
  int steps = 0;
  form_->host().processEventsHook = [&] { ++steps; };
  QTest::keyClick(values->cbTanBumps, Qt::Key_D);
  QTest::keyClick(values->cbTanBumps, Qt::Key_H);
  EXPECT_EQ(steps, 0);
  EXPECT_FALSE(engine().IsDrawing);
  EXPECT_FALSE(c.hideOptionWindows->isChecked());
  // ... nor does it in a field, where it is typed.
  values->editSteps->setFocus();
  values->editSteps->selectAll();
  QTest::keyClick(values->editSteps, Qt::Key_D);
  EXPECT_EQ(steps, 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This field must be an integer.");

  // Esc in a field does not stop a running drawing.
  form_->host().processEventsHook = [&] {
    if (++steps == 3) QTest::keyClick(values->editSteps, Qt::Key_Escape);
  };
  c.draw->trigger();
  EXPECT_EQ(steps, 41);

  // Keys with a modifier and function keys work from the option window.
  QTest::keyClick(values->cbTanBumps, Qt::Key_F9);
  EXPECT_TRUE(form_->optionWindow(Window::Dimensions)->isVisible());
  EXPECT_EQ(form_->statusText(), "Showing the image dimension form");
  QTest::keyClick(values->cbTanBumps, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form_->zoomToFit());
}

TEST_F(MainWindowTest, TogglesFlipTheirCheckMarksAndShowTheirStatus) {
  start();
  const auto& c = form_->commands();
  struct Case {
    QAction* action;
    bool* state;
    const char* on;
    const char* off;
  };
  for (const Case& k :
       {Case{c.drawEachStep, &engine().DrawEachStep, "Displaying each step as it is calculated",
             "Not displaying each step as it is calculated"},
        Case{c.saveEachStep, &engine().SaveEachStep, "Saving each step as it is calculated",
             "Not saving each step as it is calculated"},
        Case{c.clearEachStep, &engine().ClearEachStep, "Clearing each step as it is calculated",
             "Not clearing each step as it is calculated"},
        Case{c.preview, &engine().Preview, "Drawing in preview mode", "Not drawing in preview mode"},
        Case{c.useTransparency, &engine().UseTransparency, "", ""},
        Case{c.toggleZoom, nullptr, "Zooming to fit is on", "Zooming turned off"},
        Case{c.moveRotationCenter, &settings().MoveRotation, "Moving center of rotation between Rotate A and Rotate B",
             "Point A will be the only center of rotation"}}) {
    SCOPED_TRACE(k.action->text().toStdString());
    form_->Spammer("before");
    k.action->trigger();
    EXPECT_TRUE(k.action->isChecked());
    if (k.state) {
      EXPECT_TRUE(*k.state);
    }
    EXPECT_EQ(form_->statusText(), k.on);
    k.action->trigger();
    EXPECT_FALSE(k.action->isChecked());
    if (k.state) {
      EXPECT_FALSE(*k.state);
    }
    EXPECT_EQ(form_->statusText(), k.off);
  }
  // Stored switches without a status text.
  form_->Spammer("before");
  c.useWobble->trigger();
  EXPECT_TRUE(settings().Wobble);
  c.useWobble->trigger();
  EXPECT_FALSE(settings().Wobble);
  EXPECT_EQ(form_->statusText(), "before");

  settings().ZorvaPointsUseStartAndEndBezier = true;
  c.drawWithStartAndEndBeziers->trigger();
  EXPECT_EQ(form_->statusText(), "Drawing will use the start and end curves");
  c.useStartBezierAsEndBezier->trigger();
  EXPECT_EQ(form_->statusText(), "Drawing will not use the start curve for the end curve");
}

TEST_F(MainWindowTest, SnapValuesBackIsGreyedOutUntilTheMouseChangesValues) {
  start();
  const auto& c = form_->commands();
  EXPECT_FALSE(c.useMouseToChangeValues->isChecked());
  EXPECT_FALSE(c.snapValuesBack->isEnabled());
  EXPECT_TRUE(c.snapValuesBack->isChecked());  // SnapValuesBack defaults to true

  c.useMouseToChangeValues->trigger();
  EXPECT_TRUE(settings().UseMouseToChangeValues);
  EXPECT_TRUE(c.snapValuesBack->isEnabled());
  c.snapValuesBack->trigger();
  EXPECT_FALSE(settings().SnapValuesBack);
  c.useMouseToChangeValues->trigger();
  EXPECT_FALSE(settings().UseMouseToChangeValues);
  EXPECT_FALSE(c.snapValuesBack->isEnabled());

  // After a load the marks follow the file.
  writeFile("switches.ini", "[start]\nUseMouseToChangeValues=1\nSnapValuesBack=0\n[sine]\nWobble=1\n");
  form_->openIniFile(path("switches.ini"));
  EXPECT_TRUE(c.useMouseToChangeValues->isChecked());
  EXPECT_TRUE(c.snapValuesBack->isEnabled());
  EXPECT_FALSE(c.snapValuesBack->isChecked());
  EXPECT_TRUE(c.useWobble->isChecked());
}

TEST_F(MainWindowTest, DisablingTheMenusFreesTheSingleKeys) {
  start();
  form_->DisableZorvaMenus();
  for (QMenu* menu : form_->menus()) EXPECT_FALSE(menu->menuAction()->isEnabled());
  EXPECT_TRUE(form_->commands().draw->shortcut().isEmpty());
  EXPECT_TRUE(form_->commands().hideOptionWindows->shortcut().isEmpty());
  form_->EnableZorvaMenus();
  for (QMenu* menu : form_->menus()) EXPECT_TRUE(menu->menuAction()->isEnabled());
  EXPECT_EQ(form_->commands().draw->shortcut(), QKeySequence(Qt::Key_D));
  EXPECT_EQ(form_->commands().showCurve->shortcut(), QKeySequence(Qt::Key_S));
  EXPECT_EQ(form_->commands().hideOptionWindows->shortcut(), QKeySequence(Qt::Key_H));
}

// ---- zoom -------------------------------------------------------------------------------

TEST(PictureLayoutTest, ZoomToFitFollowsTheBoxWithItsMargin) {
  const PictureLayout big = layoutPicture(800, 800, 725, 500, true);
  EXPECT_DOUBLE_EQ(big.factor, 0.5);
  EXPECT_EQ(big.width, 400);
  EXPECT_EQ(big.height, 400);
  EXPECT_EQ(big.left, 162);  // 162.5, half to even
  EXPECT_EQ(big.top, 50);

  const PictureLayout small = layoutPicture(10, 10, 1000, 1000, true);
  EXPECT_DOUBLE_EQ(small.factor, 90.0);
  EXPECT_EQ(small.width, 900);
  EXPECT_EQ(small.left, 50);

  // Halves round to even both ways; sides never fall below 10.
  EXPECT_EQ(layoutPicture(100, 100, 327, 300, false).left, 114);  // 113.5
  EXPECT_EQ(layoutPicture(100, 100, 325, 300, false).left, 112);  // 112.5
  const PictureLayout thin = layoutPicture(1000, 1, 600, 600, true);
  EXPECT_EQ(thin.height, 10);
  EXPECT_EQ(thin.width, 500);
  const PictureLayout tiny = layoutPicture(800, 800, 50, 50, true);
  EXPECT_EQ(tiny.width, 10);
  EXPECT_EQ(tiny.height, 10);
}

TEST(PictureLayoutTest, WithoutZoomThePictureIsShownOneToOne) {
  const PictureLayout l = layoutPicture(800, 800, 725, 500, false);
  EXPECT_DOUBLE_EQ(l.factor, 1.0);
  EXPECT_EQ(l.width, 800);
  EXPECT_EQ(l.left, 0);
  EXPECT_EQ(l.top, 0);
  const PictureLayout empty = layoutPicture(0, 0, 725, 500, true);
  EXPECT_DOUBLE_EQ(empty.factor, 1.0);
}

TEST_F(MainWindowTest, ToggleZoomFitsThePictureIntoTheScrollBox) {
  start();
  form_->resize(700, 600);
  QApplication::processEvents();
  const QSize box = form_->scrollBox()->maximumViewportSize();
  const PictureLayout expected = layoutPicture(60, 60, box.width(), box.height(), true);
  ASSERT_GT(expected.factor, 1.0);  // a small picture is enlarged

  form_->commands().toggleZoom->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(form_->zoomToFit());
  EXPECT_DOUBLE_EQ(form_->zoomFactor(), expected.factor);
  EXPECT_EQ(form_->pictureView()->size(), QSize(expected.width, expected.height));
  EXPECT_EQ(form_->pictureView()->pos(), QPoint(expected.left, expected.top));

  // A Clear with a new size fits again.
  settings().ImageWidth = 120;
  form_->commands().clear->trigger();
  const PictureLayout wide = layoutPicture(120, 60, box.width(), box.height(), true);
  EXPECT_EQ(form_->pictureView()->size(), QSize(wide.width, wide.height));

  // The mouse position maps back to picture pixels through the zoom.
  const QPoint inside(wide.width / 2 + 3, wide.height / 2);
  QCursor::setPos(form_->pictureView()->mapToGlobal(inside));
  const auto pixel = form_->host().mousePixel();
  ASSERT_TRUE(pixel.has_value());
  EXPECT_EQ(pixel->first, static_cast<int>(inside.x() * 120.0 / wide.width));
  EXPECT_EQ(pixel->second, static_cast<int>(inside.y() * 60.0 / wide.height));

  form_->commands().toggleZoom->trigger();
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(form_->zoomFactor(), 1.0);
  EXPECT_EQ(form_->pictureView()->size(), QSize(120, 60));
}

// ---- drawing ------------------------------------------------------------------------------

class DrawingTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
};

TEST_F(DrawingTest, DStartsADrawingAndEscStopsIt) {
  int calls = 0;
  bool drawEnabledWhileDrawing = true, stopEnabledWhileDrawing = false;
  std::string statusWhileDrawing;
  form_->host().processEventsHook = [&] {
    ++calls;
    if (calls == 5) {
      drawEnabledWhileDrawing = form_->commands().draw->isEnabled();
      stopEnabledWhileDrawing = form_->commands().stop->isEnabled();
      statusWhileDrawing = form_->statusText().toStdString();
      QTest::keyClick(form_.get(), Qt::Key_Escape);
      EXPECT_TRUE(engine().StopRequested);
      EXPECT_TRUE(form_->commands().draw->isEnabled());
      EXPECT_FALSE(form_->commands().stop->isEnabled());
    }
  };
  QTest::keyClick(form_.get(), Qt::Key_D);
  EXPECT_EQ(calls, 5);  // steps 0 to 4 of 40
  EXPECT_FALSE(drawEnabledWhileDrawing);
  EXPECT_TRUE(stopEnabledWhileDrawing);
  EXPECT_EQ(statusWhileDrawing, "Drawing...");
  EXPECT_FALSE(engine().IsDrawing);
  EXPECT_TRUE(form_->commands().draw->isEnabled());
  EXPECT_FALSE(form_->commands().stop->isEnabled());
  EXPECT_EQ(form_->statusText(), "Finished");
  EXPECT_EQ(form_->progressBar()->value(), 0);
  EXPECT_FALSE(isBackground(engine().picture()));
  // Every drawing stores its settings first.
  EXPECT_EQ(storedValue("sine", "Steps"), "40");
}

TEST_F(DrawingTest, ADrawingRunsToItsLastStepAndDrawsAgainOnTop) {
  int calls = 0, lastProgress = 0;
  form_->host().processEventsHook = [&] {
    ++calls;
    lastProgress = form_->progressBar()->value();
  };
  form_->commands().draw->trigger();
  EXPECT_EQ(calls, 41);  // steps 0 to 40
  EXPECT_EQ(lastProgress, 40);
  EXPECT_EQ(form_->progressBar()->maximum(), 40);
  const std::vector<std::uint8_t> first = engine().picture().bgr;
  form_->commands().draw->trigger();
  EXPECT_NE(engine().picture().bgr, first);  // drawings accumulate until Clear
  form_->commands().clear->trigger();
  EXPECT_TRUE(isBackground(engine().picture()));
  EXPECT_EQ(form_->statusText(), "Cleared");
}

TEST_F(DrawingTest, ASettingChangedDuringTheDrawingTakesEffect) {
  auto* values = window<TformZorvaValues>(Window::Values);
  typeInto(values->editSteps, "100");
  int calls = 0;
  form_->host().processEventsHook = [&] {
    if (++calls == 10) typeInto(values->editPercentToComplete, "50");
  };
  form_->commands().draw->trigger();
  // ceil(100 / 100 * 50) < step first holds at step 51.
  EXPECT_EQ(calls, 52);
  EXPECT_EQ(settings().PercentToComplete, 50);
}

TEST_F(DrawingTest, ClosingTheWindowDuringADrawingStopsAndWritesTheSettings) {
  int calls = 0;
  form_->host().processEventsHook = [&] {
    if (++calls == 3) {
      typeInto(window<TformZorvaValues>(Window::Values)->editStartIota, "33");
      form_->close();
    }
  };
  form_->commands().draw->trigger();
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(engine().IsDrawing);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(form_->statusText(), "Exiting");
  EXPECT_EQ(storedValue("sine", "StartIota"), "33");
}

TEST_F(DrawingTest, ExitWritesTheSettingsAndKeepsTheMaximisedState) {
  typeInto(window<TformZorvaValues>(Window::Values)->editGrainMultiplier, "7");
  form_->showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(form_->isMaximized());
  form_->commands().exit->trigger();
  EXPECT_EQ(form_->statusText(), "Exiting");
  EXPECT_EQ(storedValue("sine", "GrainMultiplier"), "7");
  EXPECT_EQ(storedValue("forms", "ZorvaMaximized"), "1");

  // The next start opens maximised.
  form_.reset();
  start(readFile("zorva.ini"));
  EXPECT_TRUE(form_->isMaximized());
}

// ---- files ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, OpenIniFileLoadsTheStyleItsValuesAndItsCurves) {
  start();
  QDir(dir_.path()).mkdir("sets");
  writeFile("sets/my pic.ini", "[start]\nstyle=lissajous\n[lissajous]\nSteps=50\nStartRadius=250\nTanBumps=1\n");
  qCurve curve;
  for (int i = 0; i < 6; ++i) curve.AddPoint(i * 0.1, i % 2 * 0.2);
  const std::string folder = pathString("sets") + "/";
  ASSERT_FALSE(curve.Spam(folder + Engine::companionCurveName("my pic.ini", 0)).has_value());
  ASSERT_TRUE(std::filesystem::exists(folder + "my_pic_Main_-_Path_curve.curve"));

  form_->commands().values->trigger();
  form_->openIniFile(path("sets/my pic.ini"));
  EXPECT_EQ(engine().CurrentStyle, "lissajous");
  EXPECT_EQ(settings().Steps, 50);
  EXPECT_EQ(settings().StartRadius, 250);
  EXPECT_EQ(settings().ImageWidth, 800);  // not in the file: the default
  EXPECT_EQ(settings().LoadDir, folder);
  EXPECT_EQ(form_->statusText(), "Loaded " + path("sets/my pic.ini"));
  EXPECT_EQ(slotCurve(engine(), 0).GetLength(), 6);
  EXPECT_EQ(slotCurve(engine(), 1).GetLength(), 0);
  // The windows show the new values.
  auto* values = window<TformZorvaValues>(Window::Values);
  EXPECT_EQ(values->editSteps->text(), "50");
  EXPECT_EQ(values->editStartRadius->text(), "2.5");
  EXPECT_TRUE(values->cbTanBumps->isChecked());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, ChangeDefaultSaveLocation) {
  start();
  const std::string before = settings().SaveDir;
  form_->changeSaveFolder(std::nullopt);
  EXPECT_EQ(form_->statusText().toStdString(), "Save directory unchanged as " + before);
  EXPECT_EQ(settings().SaveDir, before);

  form_->changeSaveFolder(path("pictures"));
  EXPECT_EQ(settings().SaveDir, pathString("pictures") + "/");
  EXPECT_EQ(form_->statusText(), "Save directory changed to " + path("pictures") + "/");
}

TEST_F(MainWindowTest, SaveZorvaPictureWritesThePictureAndItsSettings) {
  start();
  QDir(dir_.path()).mkdir("out");
  settings().SaveDir = pathString("out") + "/";
  form_->commands().savePicture->trigger();
  const QStringList files = QDir(path("out")).entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(files.size(), 2);
  EXPECT_TRUE(files[0].startsWith("zorva") && files[0].endsWith(".ini"));
  EXPECT_TRUE(files[1].endsWith(".png"));
  EXPECT_EQ(form_->statusText(), "Saved " + path("out") + "/" + files[1]);
}

// ---- About ----------------------------------------------------------------------------------

class LinkCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

TEST_F(MainWindowTest, AboutShowsOurWordsAndOpensItsLinks) {
  start();
  form_->commands().aboutZorva->trigger();
  TformZorvaAbout* about = form_->aboutWindow();
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), "About Zorva");
  EXPECT_EQ(form_->statusText(), "Showing about form");

  LinkCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");
  QDesktopServices::setUrlHandler("mailto", &catcher, "open");
  ASSERT_TRUE(about->linkWebPage->text().contains(">Zorva<"));
  emit about->linkWebPage->linkActivated(TformZorvaAbout::kWebPage);
  emit about->linkMail->linkActivated(QString("mailto:") + TformZorvaAbout::kMailAddress);
  QDesktopServices::unsetUrlHandler("https");
  QDesktopServices::unsetUrlHandler("mailto");
  ASSERT_EQ(catcher.opened.size(), 2);
  EXPECT_EQ(catcher.opened[0], QUrl("https://zorva.invalid"));
  EXPECT_EQ(catcher.opened[1], QUrl("mailto:hello@zorva.invalid"));
}

// ---- program files ----------------------------------------------------------------------------

TEST(ProgramFilesTest, SettingsFileBesideAWritableProgramOrInTheConfigFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray savedOverride = qgetenv("ZORVA_SETTINGS_FILE");
  const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
  qunsetenv("ZORVA_SETTINGS_FILE");

  ProgramFiles beside = findProgramFiles(dir.filePath("zorva"));
  EXPECT_EQ(beside.settingsFile, dir.filePath("zorva.ini"));
  EXPECT_EQ(beside.defaultFolder, dir.path());

  // A program folder that cannot be written: the user's config folder.
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  ProgramFiles installed = findProgramFiles("/nonexistent-zorva-folder/bin/zorva");
  EXPECT_EQ(installed.settingsFile, dir.filePath("config/zorva/zorva.ini"));
  EXPECT_TRUE(QDir(dir.filePath("config/zorva")).exists());
  EXPECT_EQ(installed.defaultFolder, QDir::homePath());

  qputenv("ZORVA_SETTINGS_FILE", dir.filePath("chosen.ini").toUtf8());
  EXPECT_EQ(findProgramFiles(dir.filePath("zorva")).settingsFile, dir.filePath("chosen.ini"));

  if (savedOverride.isNull())
    qunsetenv("ZORVA_SETTINGS_FILE");
  else
    qputenv("ZORVA_SETTINGS_FILE", savedOverride);
  if (savedConfig.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

}  // namespace
}  // namespace zorva::test

#include "main_window_test.moc"
