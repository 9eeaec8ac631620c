// The desktop program under awkward use: Esc from any window, after a menu
// closed with Esc or inside an enormous step, numbers with either decimal
// separator, and file names the settings file could not hold.
#include <QKeyEvent>
#include <QMenuBar>

#include "ui/about_window.h"
#include "ui/ui_fixture.h"

namespace zorva::test {
namespace {

using DesktopTest = UiTest;

// A drawing of 40 steps; at step 3 the key goes to the widget, and the
// drawing must end right there.
TEST_F(DesktopTest, EscStopsTheDrawingFromEveryZorvaWindowAndAfterAMenuClosedWithEsc) {
  start();
  activate();
  auto* values = window<TformZorvaValues>(Window::Values);
  auto* dimensions = window<TformZorvaImageDimensions>(Window::Dimensions);
  form_->showOptionWindow(Window::Values, "");
  form_->showOptionWindow(Window::Dimensions, "");
  form_->commands().aboutZorva->trigger();
  const std::vector<std::pair<const char*, QWidget*>> targets = {
      {"a Values field", values->editSteps},
      {"an Image dimensions field", dimensions->editImageDimensionsWidth},
      {"the Values window itself", values},
      {"the About window", form_->aboutWindow()},
      {"the picture", form_->pictureView()}};
  for (const auto& [name, widget] : targets) {
    SCOPED_TRACE(name);
    steps_ = 0;
    atStep(3, [widget = widget] {
      widget->setFocus();
      QTest::keyClick(widget, Qt::Key_Escape);
    });
    form_->commands().draw->trigger();
    EXPECT_EQ(steps_, 3);
    EXPECT_TRUE(form_->commands().draw->isEnabled());
  }
  // After a menu is closed with Esc, the next Esc stops.
  activate();
  steps_ = 0;
  QMenu* zorva = form_->menus()[2];
  bool closedByFirstEsc = false, stoppedByFirstEsc = true;
  atStep(3, [&] {
    form_->menuBar()->setActiveAction(zorva->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == zorva; }));
    QTest::keyClick(zorva, Qt::Key_Escape);  // closes the menu only
    closedByFirstEsc = QApplication::activePopupWidget() == nullptr;
    stoppedByFirstEsc = engine().stopRequested();
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : form_->menuBar(), Qt::Key_Escape);
  });
  form_->commands().draw->trigger();
  EXPECT_TRUE(closedByFirstEsc);
  EXPECT_FALSE(stoppedByFirstEsc);
  EXPECT_EQ(steps_, 3);
}

TEST_F(DesktopTest, ValueFieldsReadEitherDecimalSeparator) {
  start();
  auto* values = window<TformZorvaValues>(Window::Values);
  for (const char* user : {".", ","}) {
    setDecimalSeparator(user);
    for (const char* typed : {"2.5", "2,5"}) {
      typeInto(values->editStartRadius, "7");
      typeInto(values->editStartRadius, typed);
      EXPECT_EQ(settings().StartRadius, 250) << typed << " with " << user;
    }
    // A lone separator of either kind is a number being typed, not an error.
    for (const char* half : {".", ","}) typeInto(values->editGrainStart, half);
  }
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(settings().StartGrain, 30);
}

TEST_F(DesktopTest, NamesTheSettingsFileCannotHoldAreRefused) {
  start();
  const std::string saveDir = settings().SaveDir;
  writeFile("odd\nname.ini", "[start]\nImageWidth=33\n");
  writeFile("odd\nname.png", "");
  form_->openIniFile(path("odd\nname.ini"));
  form_->changeSaveFolder(path("odd\nfolder"));
  auto* source = window<TformZorvaSourceImage>(Window::SourceImage);
  auto* background = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  EXPECT_FALSE(source->loadSourceImage(path("odd\nname.png")));
  EXPECT_FALSE(background->loadBackgroundImage(path("odd\nname.png")));
  ASSERT_EQ(messages_.size(), 4u);
  for (const Message& m : messages_) EXPECT_NE(m.text.find("line break"), std::string::npos) << m.text;
  EXPECT_EQ(settings().ImageWidth, 60);
  EXPECT_EQ(settings().SaveDir, saveDir);
  EXPECT_EQ(settings().SourceImageFileName + settings().BackgroundImageFileName, "");
  // Whatever happens next, the program's settings file stays whole.
  form_->close();
  EXPECT_EQ(storedValue("start", "ImageWidth"), "60");
}

// Inside one enormous step the window still hears Esc, and only Esc.
TEST_F(DesktopTest, EscStopsAnEnormousStepAndOtherInputWaitsForIt) {
  start("[start]\nImageWidth=80\nImageHeight=80\n[sine]\nSteps=2\nStartGrain=200000\nEndGrain=200000\n");
  engine().tuning().batchUpdates = 5000;
  engine().tuning().stopCheckMs = 0;
  const int steps = settings().Steps;
  // Queued before the drawing: a click on Clear's key and Esc. Only the
  // first look for a stop inside step 0 delivers them.
  QCoreApplication::postEvent(form_.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, "c"));
  QCoreApplication::postEvent(form_.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  form_->commands().draw->trigger();
  EXPECT_FALSE(engine().isDrawing());
  EXPECT_LT(engine().stats().points, 20000u);  // of 400001 in the step
  EXPECT_EQ(steps_, 1);                        // step 0 ended at once, and the drawing with it
  EXPECT_EQ(settings().Steps, steps);
  // The dropped C did not clear the picture: step 0's ink is still there.
  EXPECT_NE(engine().canvas().firstStep.vector(), std::vector<std::int32_t>(80 * 80, kNeverPainted));
}

}  // namespace
}  // namespace zorva::test
