// The main window: keys, zoom, drawing and stopping, loading, files and
// shut-down.
#include <QScrollArea>

#include "ui/program_files.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

using MainWindowTest = UiTest;

TEST_F(MainWindowTest, SingleKeysTypedInAnOptionWindowStayThereAndMenuMarksFollowEachOther) {
  start();
  const auto& c = form_->commands();
  c.values->trigger();
  auto* values = window<TformZorvaValues>(Window::Values);
  activate(values);

  // D and H on a check box or in a field neither draw nor hide.
  values->cbTanBumps->setFocus();
  QTest::keyClicks(values->cbTanBumps, "dh");
  typeInto(values->editSteps, "d");
  EXPECT_EQ(steps_, 0);
  EXPECT_FALSE(c.hideOptionWindows->isChecked());
  EXPECT_EQ(messages_.size(), 1u);  // the D typed into the field is no integer

  // Function keys and keys with a modifier work from the option window.
  QTest::keyClick(values->cbTanBumps, Qt::Key_F9);
  EXPECT_TRUE(form_->optionWindow(Window::Dimensions)->isVisible());
  QTest::keyClick(values->cbTanBumps, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form_->zoomToFit());

  // Snap values back is greyed out until the mouse changes values.
  EXPECT_FALSE(c.snapValuesBack->isEnabled());
  c.useMouseToChangeValues->trigger();
  EXPECT_TRUE(settings().UseMouseToChangeValues && c.snapValuesBack->isEnabled());
  c.snapValuesBack->trigger();
  EXPECT_FALSE(settings().SnapValuesBack);
  c.useMouseToChangeValues->trigger();
  EXPECT_FALSE(c.snapValuesBack->isEnabled());
}

// A file opened later: the menu marks and every open window follow it, and
// the windows keep its values within their limits.
TEST_F(MainWindowTest, OpenIniFileShowsTheFileInTheMenusAndEveryWindow) {
  start("[start]\nstyle=lissajous\n[lissajous]\nFunctionNumber=2\n");
  auto* function = window<TformZorvaFunction>(Window::Function);
  EXPECT_EQ(function->itemIndex(), 5);
  QDir(dir_.path()).mkdir("sets");
  writeFile("sets/my pic.ini",
            "[start]\nstyle=circles\nUseMouseToChangeValues=1\nSnapValuesBack=0\nUseBackgroundImage=1\n"
            "BackgroundImagePositionCentered=0\nBackgroundImagePositionTiled=1\nBranchBranches=6\n"
            "[circles]\nFunctionNumber=6\nWobble=1\nStartRadius=250\nEndMaxBlue=300\n");
  qCurve curve;
  for (int i = 0; i < 6; ++i) curve.AddPoint(i * 0.1, i % 2 * 0.2);
  ASSERT_FALSE(curve.Spam(pathString("sets") + "/" + Engine::companionCurveName("my pic.ini", 0)).has_value());

  form_->openIniFile(path("sets/my pic.ini"));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(engine().multiplierSlot(0).curve.GetLength(), 6);
  const auto& c = form_->commands();
  EXPECT_TRUE(c.useMouseToChangeValues->isChecked() && c.useWobble->isChecked());
  EXPECT_TRUE(c.snapValuesBack->isEnabled() && !c.snapValuesBack->isChecked());
  EXPECT_EQ(function->itemIndex(), 3);
  EXPECT_EQ(settings().FunctionNumber, 6);  // shown, not chosen
  EXPECT_EQ(window<TformZorvaValues>(Window::Values)->editStartRadius->text(), "2.5");
  auto* bg = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  EXPECT_TRUE(bg->cbUseBackgroundImage->isChecked() && bg->rbTiled->isChecked());
  EXPECT_EQ(window<TformZorvaBranching>(Window::Branches)->eBranches->text(), "6");
  EXPECT_EQ(settings().EndMaxBlue, 255);  // cut to its bar, already at its end
}

TEST_F(MainWindowTest, ToggleZoomFitsThePictureIntoTheScrollBox) {
  start();
  form_->resize(700, 600);
  QApplication::processEvents();
  const QSize box = form_->scrollBox()->maximumViewportSize();
  form_->commands().toggleZoom->trigger();  // a small picture is enlarged
  // A Clear with a new size fits again; the mouse maps back to picture pixels.
  settings().ImageWidth = 120;
  form_->commands().clear->trigger();
  const QSize shown = form_->pictureView()->size();
  EXPECT_TRUE(shown.width() > 120 && shown.width() <= box.width() && shown.height() <= box.height());
  EXPECT_NEAR(shown.width(), 2.0 * shown.height(), 2);
  const QPoint inside(shown.width() / 2 + 3, shown.height() / 2);
  QCursor::setPos(form_->pictureView()->mapToGlobal(inside));
  EXPECT_EQ(form_->host().mousePixel(), std::make_pair(static_cast<int>(inside.x() * 120.0 / shown.width()),
                                                       static_cast<int>(inside.y() * 60.0 / shown.height())));

  form_->commands().toggleZoom->trigger();
  EXPECT_EQ(form_->pictureView()->size(), QSize(120, 60));
}

TEST_F(MainWindowTest, DStartsADrawingEscStopsItCClearsAndChangesTakeEffectAtOnce) {
  start();
  activate();
  bool drawEnabled = true, stopEnabled = false;
  atStep(5, [&] {
    drawEnabled = form_->commands().draw->isEnabled();
    stopEnabled = form_->commands().stop->isEnabled();
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    EXPECT_TRUE(engine().stopRequested());
  });
  QTest::keyClick(form_.get(), Qt::Key_D);
  EXPECT_EQ(steps_, 5);  // steps 0 to 4 of 40
  EXPECT_FALSE(drawEnabled);
  EXPECT_TRUE(stopEnabled);
  EXPECT_TRUE(form_->commands().draw->isEnabled());
  EXPECT_FALSE(form_->commands().stop->isEnabled());
  EXPECT_FALSE(allBytesAre(engine().picture(), 255));
  EXPECT_EQ(storedValue("sine", "Steps"), "40");  // every drawing stores its settings first
  QTest::keyClick(form_.get(), Qt::Key_C);
  EXPECT_TRUE(allBytesAre(engine().picture(), 255));

  // A setting changed during the drawing takes effect at once.
  auto* values = window<TformZorvaValues>(Window::Values);
  typeInto(values->editSteps, "100");
  steps_ = 0;
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
  EXPECT_EQ(storedValue("sine", "StartIota"), "33");
  form_.reset();
  start("");  // the file as written
  EXPECT_TRUE(form_->isMaximized());
  // Exiting later without maximising leaves the maximised state as it was.
  form_->showNormal();
  QApplication::processEvents();
  form_->close();
  EXPECT_EQ(storedValue("forms", "ZorvaMaximized"), "1");
}

TEST(ProgramFilesTest, SettingsFileBesideAWritableProgramOrInTheConfigFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const char* const names[] = {"ZORVA_SETTINGS_FILE", "XDG_CONFIG_HOME"};
  const QByteArray saved[] = {qgetenv(names[0]), qgetenv(names[1])};
  qunsetenv(names[0]);
  EXPECT_EQ(findProgramFiles(dir.filePath("zorva")).settingsFile, dir.filePath("zorva.ini"));

  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  const ProgramFiles installed = findProgramFiles("/nonexistent-zorva-folder/bin/zorva");
  EXPECT_EQ(installed.settingsFile, dir.filePath("config/zorva/zorva.ini"));
  EXPECT_TRUE(QDir(dir.filePath("config/zorva")).exists());

  qputenv("ZORVA_SETTINGS_FILE", dir.filePath("chosen.ini").toUtf8());
  EXPECT_EQ(findProgramFiles(dir.filePath("zorva")).settingsFile, dir.filePath("chosen.ini"));
  for (int i = 0; i < 2; ++i) saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
}

}  // namespace
}  // namespace zorva::test
