// The Function and Colors windows.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <set>

#include "ui/background_image_window.h"
#include "ui/colors_window.h"
#include "ui/function_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

bool allBytesAre(const Bitmap24& picture, std::uint8_t value) {
  for (std::uint8_t b : picture.bgr)
    if (b != value) return false;
  return true;
}

// ---- Function ---------------------------------------------------------------------------

class FunctionWindowTest : public UiTest {
 protected:
  TformZorvaFunction* open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().function->trigger();
    return window<TformZorvaFunction>(Window::Function);
  }
  static void choose(TformZorvaFunction* w, int entry) {
    clickBox(w->functionButtons[static_cast<std::size_t>(entry)]);
  }
};

TEST_F(FunctionWindowTest, ListsTheEightFunctionsInTwoColumns) {
  auto* w = open();
  const char* captions[] = {"Sine Wobble", "Tan Thing", "Line", "Circles",
                            "Ellipses",    "Lissajous", "Test", "plovk2716"};
  EXPECT_EQ(w->rgFunctions->title(), "Functions");
  for (int i = 0; i < 8; ++i) {
    QRadioButton* b = w->functionButtons[static_cast<std::size_t>(i)];
    EXPECT_EQ(b->text(), captions[i]);
    // Column by column: the first four on the left, the rest on the right.
    EXPECT_EQ(b->x() > w->functionButtons[0]->x(), i >= 4) << captions[i];
  }
  EXPECT_EQ(w->windowTitle(), "Function");
}

TEST_F(FunctionWindowTest, CreationSelectsTheCurrentStyleWithoutSwitching) {
  // The section's FunctionNumber stays as it is: nothing was chosen.
  start("[start]\nstyle=lissajous\n[lissajous]\nFunctionNumber=2\nLissaDelta=3\n");
  auto* w = window<TformZorvaFunction>(Window::Function);
  EXPECT_EQ(w->itemIndex(), 5);
  EXPECT_EQ(engine().CurrentStyle, "lissajous");
  EXPECT_EQ(settings().FunctionNumber, 2);
  EXPECT_EQ(w->editLissaDelta->text(), "3");
  EXPECT_EQ(w->labelLissaRange->text(), "1 to 20");
  form_.reset();

  // A style that is no function leaves "Line" selected.
  start("[start]\nstyle=mine\n[mine]\nSteps=5\n");
  EXPECT_EQ(window<TformZorvaFunction>(Window::Function)->itemIndex(), TformZorvaFunction::kFirstEntry);
  EXPECT_EQ(engine().CurrentStyle, "mine");
}

TEST_F(FunctionWindowTest, SineTanSineRestoresEachStylesValues) {
  auto* w = open(std::string(kSmallSettings) +
                 "StartEllipseWidth=2.5\nNumberOfRocks=3\n"
                 "[tan]\nSteps=40\nStartEllipseWidth=-1\nNumberOfRocks=0.5\nFunctionNumber=7\n");
  ASSERT_EQ(w->itemIndex(), 0);
  EXPECT_EQ(w->editStartEllipseWidth->text(), "2.5");

  choose(w, 1);
  EXPECT_EQ(engine().CurrentStyle, "tan");
  EXPECT_EQ(settings().FunctionNumber, 1);  // the choice, not the section's 7
  EXPECT_EQ(w->editStartEllipseWidth->text(), "-1");
  EXPECT_EQ(w->editNumberOfRocks->text(), "0.5");
  EXPECT_EQ(storedValue("start", "style"), "tan");
  typeInto(w->editNumberOfRocks, "4.25");
  EXPECT_EQ(settings().NumberOfRocks, 4.25);

  choose(w, 0);
  EXPECT_EQ(engine().CurrentStyle, "sine");
  EXPECT_EQ(settings().FunctionNumber, 0);
  EXPECT_EQ(w->editStartEllipseWidth->text(), "2.5");
  EXPECT_EQ(w->editNumberOfRocks->text(), "3");
  EXPECT_EQ(settings().StartEllipseWidth, 2.5);
  // Leaving tan stored what was typed there.
  EXPECT_EQ(storedValue("tan", "NumberOfRocks"), "4.25");
  EXPECT_EQ(storedValue("start", "style"), "sine");

  choose(w, 1);
  EXPECT_EQ(w->editNumberOfRocks->text(), "4.25");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(FunctionWindowTest, LissaDeltaTakesZeroOnlyWithEllipses) {
  auto* w = open(std::string(kSmallSettings) + "[lissajous]\nLissaDelta=0\n");
  EXPECT_EQ(w->labelLissaRange->text(), "1 to 20");
  typeInto(w->editLissaDelta, "0");
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  EXPECT_EQ(settings().LissaDelta, 1);

  // Lissajous divides by it: its stored 0 becomes 1 as the window refreshes.
  choose(w, 5);
  EXPECT_EQ(w->labelLissaRange->text(), "1 to 20");
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  EXPECT_EQ(settings().LissaDelta, 1);

  choose(w, 4);  // Ellipses
  EXPECT_EQ(w->labelLissaRange->text(), "0 to 20");
  EXPECT_EQ(w->lissaDeltaMinimum(), 0);
  typeInto(w->editLissaDelta, "0");
  EXPECT_EQ(w->editLissaDelta->text(), "0");
  EXPECT_EQ(settings().LissaDelta, 0);
  typeInto(w->editLissaDelta, "25");
  EXPECT_EQ(w->editLissaDelta->text(), "20");
  typeInto(w->editLissaDelta, "0");

  choose(w, 0);
  EXPECT_EQ(w->labelLissaRange->text(), "1 to 20");
  EXPECT_EQ(w->lissaDeltaMinimum(), 1);
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  EXPECT_EQ(storedValue("ellipses", "LissaDelta"), "0");

  // Back to Ellipses: its 0 is kept.
  choose(w, 4);
  EXPECT_EQ(w->editLissaDelta->text(), "0");
  EXPECT_EQ(settings().LissaDelta, 0);
  EXPECT_EQ(settings().FunctionNumber, 4);
}

TEST_F(FunctionWindowTest, ChoosingAFunctionDuringADrawingStopsItFirst) {
  auto* w = open();
  form_->activateWindow();
  int calls = 0;
  bool stoppedBeforeTheSwitch = false, drawEnabled = false, stopEnabled = true;
  form_->host().processEventsHook = [&] {
    if (++calls != 3) return;
    choose(w, 1);
    stoppedBeforeTheSwitch = engine().StopRequested;
    drawEnabled = form_->commands().draw->isEnabled();
    stopEnabled = form_->commands().stop->isEnabled();
  };
  form_->commands().draw->trigger();
  EXPECT_EQ(calls, 3);  // the loop ended at its next check
  EXPECT_TRUE(stoppedBeforeTheSwitch);
  EXPECT_TRUE(drawEnabled);
  EXPECT_FALSE(stopEnabled);
  EXPECT_FALSE(engine().IsDrawing);
  EXPECT_EQ(engine().CurrentStyle, "tan");
  EXPECT_EQ(settings().FunctionNumber, 1);
  EXPECT_EQ(storedValue("start", "style"), "tan");
  EXPECT_EQ(storedValue("sine", "Steps"), "40");
}

TEST_F(FunctionWindowTest, FieldsHaveTheirKindsLimitsAndDragging) {
  auto* w = open();
  for (ValueField* f :
       {w->editStartEllipseWidth, w->editStartEllipseHeight, w->editEndEllipseWidth, w->editEndEllipseHeight,
        w->editNumberOfRocks, w->editStartRockerAmount, w->editEndRockerAmount}) {
    SCOPED_TRACE(f->objectName().toStdString());
    EXPECT_EQ(f->kind(), ValueKind::Real);
    EXPECT_TRUE(f->draggable());
  }
  for (ValueField* f : {w->editSplodgeStartLimit, w->editSplodgeEndLimit, w->editFuzzyStart, w->editFuzzyEnd,
                        w->editSplodgeStartCenter, w->editSplodgeEndCenter}) {
    SCOPED_TRACE(f->objectName().toStdString());
    EXPECT_EQ(f->kind(), ValueKind::Real);
    EXPECT_FALSE(f->draggable());
  }
  EXPECT_EQ(w->editLissaDelta->kind(), ValueKind::Integer);

  // Typing reaches the record; negative numbers are fine; five characters at most.
  typeInto(w->editEndEllipseHeight, "-0.75");
  EXPECT_EQ(settings().EndEllipseHeight, -0.75);
  typeInto(w->editSplodgeEndCenter, "123456");
  EXPECT_EQ(w->editSplodgeEndCenter->text(), "12345");
  EXPECT_EQ(settings().SplodgeEndCenter, 12345);
  typeInto(w->editFuzzyStart, "2.5");
  EXPECT_EQ(settings().FuzzyStart, 2.5);

  // Dragging the rocks field up by two steps adds 0.4.
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = false;
  typeInto(w->editNumberOfRocks, "1");
  pressLeft(w->editNumberOfRocks, {5, 5});
  dragTo(w->editNumberOfRocks, {5, -30});
  dragTo(w->editNumberOfRocks, {5, -31});
  releaseLeft(w->editNumberOfRocks, {5, -31});
  EXPECT_DOUBLE_EQ(settings().NumberOfRocks, 1.4);
  // The Lissa delta drags by one within its range.
  typeInto(w->editLissaDelta, "19");
  pressLeft(w->editLissaDelta, {5, 5});
  dragTo(w->editLissaDelta, {5, -30});
  dragTo(w->editLissaDelta, {5, -31});
  releaseLeft(w->editLissaDelta, {5, -30});
  EXPECT_EQ(settings().LissaDelta, 20);
}

TEST_F(FunctionWindowTest, OldInkingGreysOutExactlyIntensityAndCenter) {
  auto* w = open();
  const QList<QWidget*> all = w->findChildren<QWidget*>();
  auto disabled = [&] {
    std::set<QWidget*> off;
    for (QWidget* c : all)
      if (!c->isEnabled()) off.insert(c);
    return off;
  };
  ASSERT_TRUE(disabled().empty());
  const std::set<QWidget*> expected = {w->editFuzzyStart,       w->editFuzzyEnd,   w->editSplodgeStartCenter,
                                       w->editSplodgeEndCenter, w->labelIntensity, w->labelCenter};

  clickBox(w->cb246splodge);
  EXPECT_TRUE(settings().BoolInk246);
  EXPECT_EQ(disabled(), expected);
  clickBox(w->cb246splodge);
  EXPECT_FALSE(settings().BoolInk246);
  EXPECT_TRUE(disabled().empty());

  // A settings file with the old inking greys them out from the start.
  form_.reset();
  start("[start]\nBoolInk246=1\nImageWidth=60\nImageHeight=60\n[sine]\nSteps=40\n");
  auto* again = window<TformZorvaFunction>(Window::Function);
  EXPECT_TRUE(again->cb246splodge->isChecked());
  EXPECT_FALSE(again->editFuzzyEnd->isEnabled());
  EXPECT_FALSE(again->labelCenter->isEnabled());
  EXPECT_TRUE(again->editSplodgeEndLimit->isEnabled());
}

TEST_F(FunctionWindowTest, EveryCheckBoxStoresItsSetting) {
  auto* w = open();
  Settings& s = settings();
  const std::vector<std::pair<QCheckBox*, bool*>> boxes = {
      {w->cb246splodge, &s.BoolInk246},        {w->cb31, &s.Use31},
      {w->cbEllipsesTwo, &s.EllipsesTwo},      {w->cbRockOffsetInAnimation, &s.RockOffsetInAnimation},
      {w->cbGrainAdjuster, &s.AdjustGrain},    {w->cbDimmer, &s.UseDimmer},
      {w->cbGrainByDepth, &s.GrainByDepth},    {w->cbUseIotaExtra, &s.UseIotaExtra},
      {w->cbUseArctan2, &engine().UseArctan2}, {w->cbInterpolateColors, &s.InterpolateColors}};
  const char* captions[] = {
      "Use old inking", "Use 031 style thing?", "Use alternate Ellipses?",     "Offset the rocks in animations?",
      "Adjust grain?",  "Adjust dimmer?",       "Adjust grain by bump depth?", "Use random scatter?",
      "Use arctan2?",   "Normalise colors?"};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    auto [box, setting] = boxes[i];
    SCOPED_TRACE(captions[i]);
    EXPECT_EQ(box->text(), captions[i]);
    EXPECT_FALSE(*setting);
    clickBox(box);
    EXPECT_TRUE(*setting);
  }
  // Init shows the record again; "Use arctan2?" is working state, never stored.
  s.Use31 = false;
  form_->settingsLoaded();
  EXPECT_FALSE(w->cb31->isChecked());
  EXPECT_TRUE(w->cbUseArctan2->isChecked());
  form_->close();
  EXPECT_EQ(storedValue("sine", "31"), "0");
  EXPECT_EQ(storedValue("sine", "EllipsesTwo"), "1");
  EXPECT_EQ(storedValue("start", "GrainByDepth"), "1");
  EXPECT_FALSE(storedValue("sine", "UseArctan2").has_value());
  EXPECT_FALSE(storedValue("start", "UseArctan2").has_value());
}

TEST_F(FunctionWindowTest, RedrawComposesTheBufferAgain) {
  auto* w = open();
  form_->commands().draw->trigger();
  const std::vector<std::uint8_t> plain = engine().picture().bgr;
  clickBox(w->cbInterpolateColors);
  EXPECT_EQ(engine().picture().bgr, plain);  // nothing until Redraw
  QTest::mouseClick(w->Button2, Qt::LeftButton);
  EXPECT_NE(engine().picture().bgr, plain);
  clickBox(w->cbInterpolateColors);
  QTest::mouseClick(w->Button2, Qt::LeftButton);
  EXPECT_EQ(engine().picture().bgr, plain);
}

// ---- Colors -----------------------------------------------------------------------------

class ColorsWindowTest : public UiTest {
 protected:
  TformZorvaColors* open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().color->trigger();
    return window<TformZorvaColors>(Window::Colors);
  }
  static QColor swatchColor(QLabel* swatch) { return swatch->palette().color(QPalette::Window); }
  static QColor captionColor(QLabel* swatch) { return swatch->palette().color(QPalette::WindowText); }
};

TEST_F(ColorsWindowTest, InitShowsTheColoursInBarsLabelsAndSwatches) {
  auto* w = open(std::string(kSmallSettings) +
                 "StartMaxRed=10\nStartMaxGreen=20\nStartMaxBlue=30\nEndMaxRed=200\nEndMaxGreen=210\n"
                 "EndMaxBlue=220\nBgMaxRed=0\nBgMaxGreen=128\nBgMaxBlue=255\n");
  const int expected[9] = {10, 20, 30, 200, 210, 220, 0, 128, 255};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(w->trackBars[static_cast<std::size_t>(i)]->value(), expected[i]);
    EXPECT_EQ(w->trackLabels[static_cast<std::size_t>(i)]->text(), QString::number(expected[i]));
    EXPECT_EQ(w->trackBars[static_cast<std::size_t>(i)]->minimum(), 0);
    EXPECT_EQ(w->trackBars[static_cast<std::size_t>(i)]->maximum(), 255);
  }
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(10, 20, 30));
  EXPECT_EQ(swatchColor(w->swatchEnd), QColor(200, 210, 220));
  EXPECT_EQ(swatchColor(w->swatchBg), QColor(0, 128, 255));
  EXPECT_EQ(w->swatchStart->text(), "Start\nColor");
  EXPECT_EQ(w->swatchEnd->text(), "End\nColor");
  EXPECT_EQ(w->swatchBg->text(), "Back\nColor");
  // Readable captions: white on the dark start, black on the light end.
  EXPECT_EQ(captionColor(w->swatchStart), QColor(Qt::white));
  EXPECT_EQ(captionColor(w->swatchEnd), QColor(Qt::black));

  // After a load the bars follow the file, also those whose position stays.
  writeFile("other.ini", "[start]\nstyle=sine\n[sine]\nStartMaxRed=10\nStartMaxGreen=99\nEndMaxBlue=300\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(w->tbStartGreen->value(), 99);
  EXPECT_EQ(w->trackLabels[1]->text(), "99");
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(10, 99, 0));
  // A value beyond the bar stops at its end.
  EXPECT_EQ(w->tbEndBlue->value(), 255);
  EXPECT_EQ(settings().EndMaxBlue, 255);
}

TEST_F(ColorsWindowTest, MovingABarSetsTheColourItsLabelAndItsSwatch) {
  auto* w = open();
  // Defaults: start red, end blue, background white.
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(255, 0, 0));
  EXPECT_EQ(swatchColor(w->swatchEnd), QColor(0, 0, 255));
  EXPECT_EQ(swatchColor(w->swatchBg), QColor(255, 255, 255));

  w->tbStartGreen->setFocus();
  QTest::keyClick(w->tbStartGreen, Qt::Key_End);
  EXPECT_EQ(settings().StartMaxGreen, 255);
  EXPECT_EQ(w->trackLabels[1]->text(), "255");
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(255, 255, 0));
  EXPECT_EQ(captionColor(w->swatchStart), QColor(Qt::black));
  QTest::keyClick(w->tbStartGreen, Qt::Key_Left);
  EXPECT_EQ(settings().StartMaxGreen, 254);
  EXPECT_EQ(w->trackLabels[1]->text(), "254");

  w->tbEndRed->setValue(40);
  EXPECT_EQ(settings().EndMaxRed, 40);
  EXPECT_EQ(swatchColor(w->swatchEnd), QColor(40, 0, 255));
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(255, 254, 0));  // the other swatches stay

  for (QSlider* bar : {w->tbBgRed, w->tbBgGreen, w->tbBgBlue}) bar->setValue(0);
  EXPECT_EQ(swatchColor(w->swatchBg), QColor(0, 0, 0));
  EXPECT_EQ(captionColor(w->swatchBg), QColor(Qt::white));
  EXPECT_EQ(settings().BgMaxRed, 0);
  EXPECT_EQ(settings().BgMaxBlue, 0);
}

TEST_F(ColorsWindowTest, UpdateSwatchPaintsTheNamedSwatch) {
  auto* w = open();
  settings().StartMaxBlue = 77;
  settings().EndMaxGreen = 66;
  settings().BgMaxRed = 55;
  w->UpdateSwatch("start");
  EXPECT_EQ(swatchColor(w->swatchStart), QColor(255, 0, 77));
  w->UpdateSwatch("Bg");
  EXPECT_EQ(swatchColor(w->swatchBg), QColor(55, 255, 255));
  EXPECT_EQ(swatchColor(w->swatchEnd), QColor(0, 0, 255));
  w->UpdateSwatch("anything");
  EXPECT_EQ(swatchColor(w->swatchEnd), QColor(0, 66, 255));
  // Caption colours by brightness.
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(255, 255, 0)), QColor(Qt::black));
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(0, 0, 255)), QColor(Qt::white));
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(0, 200, 0)), QColor(Qt::black));
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(128, 128, 128)), QColor(Qt::black));
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(90, 90, 90)), QColor(Qt::white));
  EXPECT_EQ(TformZorvaColors::captionColorOn(QColor(128, 0, 0)), QColor(Qt::white));
}

TEST_F(ColorsWindowTest, ModeRadiosSetWhiteAndBestGuess) {
  auto* w = open();
  EXPECT_TRUE(w->rbSubtract->isChecked());  // White is on by default
  clickBox(w->rbBestGuess);
  EXPECT_FALSE(settings().White);
  EXPECT_TRUE(settings().BestGuess);
  clickBox(w->rbSubtract);
  EXPECT_TRUE(settings().White);
  EXPECT_FALSE(settings().BestGuess);
  clickBox(w->rbAdd);
  EXPECT_FALSE(settings().White);
  EXPECT_FALSE(settings().BestGuess);

  struct Case {
    bool white, bestGuess;
    QRadioButton* checked;
  };
  for (const Case& k : {Case{true, true, w->rbBestGuess}, Case{false, true, w->rbBestGuess},
                        Case{true, false, w->rbSubtract}, Case{false, false, w->rbAdd}}) {
    SCOPED_TRACE(k.checked->text().toStdString());
    settings().White = k.white;
    settings().BestGuess = k.bestGuess;
    w->Init();
    EXPECT_TRUE(k.checked->isChecked());
    for (QRadioButton* other : {w->rbAdd, w->rbSubtract, w->rbBestGuess}) {
      if (other != k.checked) {
        EXPECT_FALSE(other->isChecked());
      }
    }
    // Showing the mode leaves the record as it was.
    EXPECT_EQ(settings().White, k.white);
    EXPECT_EQ(settings().BestGuess, k.bestGuess);
  }
}

TEST_F(ColorsWindowTest, AmountsAreNonNegativeHundredthsAndMultipliersClamp) {
  auto* w = open();
  EXPECT_EQ(w->editStartAmount->text(), "1");  // 100 hundredths
  typeInto(w->editStartAmount, "1.5");
  EXPECT_EQ(settings().StartAmount, 150);
  w->editEndAmount->setText("-2");  // pasted: a lone minus sign is no number here
  EXPECT_EQ(settings().EndAmount, 0);
  EXPECT_EQ(w->editEndAmount->text(), "-2");
  w->Init();
  EXPECT_EQ(w->editStartAmount->text(), "1.5");
  EXPECT_EQ(w->editEndAmount->text(), "0");
  EXPECT_EQ(settings().StartAmount, 150);

  typeInto(w->editThetaColorMultiplier, "25");
  EXPECT_EQ(w->editThetaColorMultiplier->text(), "20");
  EXPECT_EQ(settings().ThetaColorMultiplier, 20);
  typeInto(w->editStepColorMultiplier, "-30");
  EXPECT_EQ(settings().StepColorMultiplier, -20);
  typeInto(w->editStepColorMultiplier, "x");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This field must be an integer.");
  EXPECT_EQ(settings().StepColorMultiplier, -20);
}

TEST_F(ColorsWindowTest, AlternativeColoringEnablesTheOldMethodAndSwitchesStore) {
  auto* w = open();
  EXPECT_FALSE(w->cbOneOrTwo->isEnabled());
  clickBox(w->cbNewColor);
  EXPECT_TRUE(settings().NewColor);
  EXPECT_TRUE(w->cbOneOrTwo->isEnabled());
  clickBox(w->cbOneOrTwo);
  EXPECT_TRUE(settings().OneOrTwo);
  clickBox(w->cbNewColor);
  EXPECT_FALSE(settings().NewColor);
  EXPECT_FALSE(w->cbOneOrTwo->isEnabled());
  EXPECT_TRUE(settings().OneOrTwo);  // kept, only greyed out

  clickBox(w->cbUseColorsAsLimits);
  EXPECT_TRUE(settings().UseColorsAsLimits);
  clickBox(w->cbABA);
  EXPECT_TRUE(settings().ABA);
  EXPECT_EQ(w->cbABA->text(), "A -> B -> A?");

  settings().NewColor = true;
  w->Init();
  EXPECT_TRUE(w->cbOneOrTwo->isEnabled());
}

TEST_F(ColorsWindowTest, SetFillsThePictureWithTheBackgroundAtOnce) {
  auto* w = open();
  form_->commands().draw->trigger();
  ASSERT_FALSE(allBytesAre(engine().picture(), 255));
  QTest::mouseClick(w->buttonSet, Qt::LeftButton);
  EXPECT_TRUE(allBytesAre(engine().picture(), 255));
  for (QSlider* bar : {w->tbBgRed, w->tbBgGreen, w->tbBgBlue}) bar->setValue(0);
  EXPECT_TRUE(allBytesAre(engine().picture(), 255));  // only Set resets
  QTest::mouseClick(w->buttonSet, Qt::LeftButton);
  EXPECT_TRUE(allBytesAre(engine().picture(), 0));
}

}  // namespace
}  // namespace zorva::test

namespace zorva::test {
namespace {

// After "Open .ini file" the function list shows the loaded style and the
// Background Image window its switches.
TEST_F(FunctionWindowTest, OpeningAFileRefreshesTheFunctionListAndBackgroundSwitches) {
  auto* w = open();
  EXPECT_EQ(w->itemIndex(), 0);
  writeFile("other.ini",
            "[start]\nstyle=circles\nUseBackgroundImage=1\nBackgroundImagePositionCentered=0\n"
            "BackgroundImagePositionTiled=1\n[circles]\nSteps=7\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(w->itemIndex(), 3);
  auto* bg = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  EXPECT_TRUE(bg->cbUseBackgroundImage->isChecked());
  EXPECT_TRUE(bg->rbTiled->isChecked());
  EXPECT_FALSE(bg->rbCentered->isChecked());
}

}  // namespace
}  // namespace zorva::test
