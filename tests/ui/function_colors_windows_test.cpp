// The Function and Colors windows.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <set>

#include "ui/background_image_window.h"
#include "ui/colors_window.h"
#include "ui/function_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

bool allBytesAre(const Bitmap24& picture, std::uint8_t value) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [=](std::uint8_t b) { return b == value; });
}

class FunctionWindowTest : public UiTest {
 protected:
  TformZorvaFunction* open(const std::string& settingsText = kSmallSettings) {
    return openWindow<TformZorvaFunction>(Window::Function, settingsText);
  }
  static void choose(TformZorvaFunction* w, int entry) {
    clickBox(w->functionButtons[static_cast<std::size_t>(entry)]);
  }
};

TEST_F(FunctionWindowTest, SineTanSineRestoresEachStylesValues) {
  auto* w = open(std::string(kSmallSettings) +
                 "StartEllipseWidth=2.5\nNumberOfRocks=3\n"
                 "[tan]\nSteps=40\nStartEllipseWidth=-1\nNumberOfRocks=0.5\nFunctionNumber=7\n");
  choose(w, 1);
  EXPECT_EQ(engine().currentStyle(), "tan");
  EXPECT_EQ(settings().FunctionNumber, 1);  // the choice, not the section's 7
  EXPECT_EQ(w->editStartEllipseWidth->text(), "-1");
  EXPECT_EQ(w->editNumberOfRocks->text(), "0.5");
  typeInto(w->editNumberOfRocks, "4.25");

  choose(w, 0);
  EXPECT_EQ(w->editStartEllipseWidth->text(), "2.5");
  EXPECT_EQ(w->editNumberOfRocks->text(), "3");
  EXPECT_EQ(storedValue("tan", "NumberOfRocks"), "4.25");  // leaving tan stored what was typed
  choose(w, 1);
  EXPECT_EQ(w->editNumberOfRocks->text(), "4.25");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(FunctionWindowTest, LissaDeltaTakesZeroOnlyWithEllipses) {
  auto* w = open(std::string(kSmallSettings) + "[lissajous]\nLissaDelta=0\n");
  typeInto(w->editLissaDelta, "0");
  EXPECT_EQ(settings().LissaDelta, 1);
  choose(w, 5);  // Lissajous divides by it: its stored 0 becomes 1
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  EXPECT_EQ(settings().LissaDelta, 1);

  choose(w, 4);  // Ellipses
  EXPECT_EQ(w->labelLissaRange->text(), "0 to 20");
  typeInto(w->editLissaDelta, "0");
  EXPECT_EQ(settings().LissaDelta, 0);
  choose(w, 0);
  EXPECT_EQ(w->labelLissaRange->text(), "1 to 20");
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  EXPECT_EQ(storedValue("ellipses", "LissaDelta"), "0");
  choose(w, 4);  // back to Ellipses: its 0 is kept
  EXPECT_EQ(settings().LissaDelta, 0);
}

TEST_F(FunctionWindowTest, ChoosingAFunctionDuringADrawingStopsItFirst) {
  auto* w = open();
  bool stoppedBeforeTheSwitch = false;
  atStep(3, [&] {
    choose(w, 1);
    stoppedBeforeTheSwitch = engine().stopRequested();
  });
  form_->commands().draw->trigger();
  EXPECT_EQ(steps_, 3);  // the loop ended at its next check
  EXPECT_TRUE(stoppedBeforeTheSwitch);
  EXPECT_FALSE(engine().isDrawing());
  EXPECT_EQ(engine().currentStyle(), "tan");
}

TEST_F(FunctionWindowTest, OldInkingGreysOutExactlyIntensityAndCenter) {
  auto* w = open();
  auto disabled = [&] {
    std::set<QWidget*> off;
    for (QWidget* c : w->findChildren<QWidget*>())
      if (!c->isEnabled()) off.insert(c);
    return off;
  };
  ASSERT_TRUE(disabled().empty());
  clickBox(w->cb246splodge);
  EXPECT_TRUE(settings().BoolInk246);
  EXPECT_EQ(disabled(), (std::set<QWidget*>{w->editFuzzyStart, w->editFuzzyEnd, w->editSplodgeStartCenter,
                                            w->editSplodgeEndCenter, w->labelIntensity, w->labelCenter}));
  clickBox(w->cb246splodge);
  EXPECT_TRUE(disabled().empty());

  // A settings file with the old inking greys them out from the start.
  form_.reset();
  start("[start]\nBoolInk246=1\n");
  EXPECT_FALSE(window<TformZorvaFunction>(Window::Function)->editFuzzyEnd->isEnabled());
}

TEST_F(FunctionWindowTest, EveryCheckBoxStoresItsSettingAndArctan2IsNeverWritten) {
  auto* w = open();
  Settings& s = settings();
  const std::pair<QCheckBox*, bool*> boxes[] = {{w->cb246splodge, &s.BoolInk246},
                                                {w->cb31, &s.Use31},
                                                {w->cbEllipsesTwo, &s.EllipsesTwo},
                                                {w->cbRockOffsetInAnimation, &s.RockOffsetInAnimation},
                                                {w->cbGrainAdjuster, &s.AdjustGrain},
                                                {w->cbDimmer, &s.UseDimmer},
                                                {w->cbGrainByDepth, &s.GrainByDepth},
                                                {w->cbUseIotaExtra, &s.UseIotaExtra},
                                                {w->cbInterpolateColors, &s.InterpolateColors}};
  for (auto [box, setting] : boxes) {
    SCOPED_TRACE(box->text().toStdString());
    EXPECT_FALSE(*setting);
    clickBox(box);
    EXPECT_TRUE(*setting);
  }
  EXPECT_FALSE(engine().toggles().useArctan2);
  clickBox(w->cbUseArctan2);
  EXPECT_TRUE(engine().toggles().useArctan2);
  form_->close();
  EXPECT_FALSE(storedValue("sine", "UseArctan2").has_value());
  EXPECT_FALSE(storedValue("start", "UseArctan2").has_value());
}

TEST_F(FunctionWindowTest, RedrawComposesTheBufferAgain) {
  auto* w = open();
  form_->commands().draw->trigger();
  const std::vector<std::uint8_t> plain = engine().picture().bgr;
  clickBox(w->cbInterpolateColors);
  EXPECT_EQ(engine().picture().bgr, plain);  // nothing until Redraw
  click(w->Button2);
  EXPECT_NE(engine().picture().bgr, plain);
}

TEST_F(FunctionWindowTest, TheListShowsTheStyleAtStartAndAfterOpenIniFileWithoutSwitching) {
  auto* w = open("[start]\nstyle=lissajous\n[lissajous]\nFunctionNumber=2\n");
  EXPECT_EQ(w->itemIndex(), 5);
  EXPECT_EQ(settings().FunctionNumber, 2);  // nothing was chosen
  writeFile("other.ini",
            "[start]\nstyle=circles\nUseBackgroundImage=1\nBackgroundImagePositionCentered=0\n"
            "BackgroundImagePositionTiled=1\n[circles]\nFunctionNumber=6\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(w->itemIndex(), 3);
  EXPECT_EQ(settings().FunctionNumber, 6);
  // The Background Image window shows the file's switches too.
  auto* bg = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  EXPECT_TRUE(bg->cbUseBackgroundImage->isChecked());
  EXPECT_TRUE(bg->rbTiled->isChecked());
  EXPECT_FALSE(bg->rbCentered->isChecked());
}

class ColorsWindowTest : public UiTest {
 protected:
  TformZorvaColors* open(const std::string& settingsText = kSmallSettings) {
    return openWindow<TformZorvaColors>(Window::Colors, settingsText);
  }
  static QColor swatch(QLabel* s) { return s->palette().color(QPalette::Window); }
  static QColor caption(QLabel* s) { return s->palette().color(QPalette::WindowText); }
};

TEST_F(ColorsWindowTest, MovingABarSetsTheColourItsLabelAndItsSwatch) {
  auto* w = open(std::string(kSmallSettings) +
                 "StartMaxRed=10\nStartMaxGreen=20\nStartMaxBlue=30\nBgMaxRed=0\nBgMaxGreen=128\n");
  EXPECT_EQ(w->trackLabels[1]->text(), "20");
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 20, 30));
  EXPECT_EQ(swatch(w->swatchBg), QColor(0, 128, 255));
  EXPECT_EQ(caption(w->swatchStart), QColor(Qt::white));  // readable on the dark swatch

  w->tbStartGreen->setFocus();
  QTest::keyClick(w->tbStartGreen, Qt::Key_End);
  EXPECT_EQ(settings().StartMaxGreen, 255);
  EXPECT_EQ(w->trackLabels[1]->text(), "255");
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 255, 30));
  EXPECT_EQ(caption(w->swatchStart), QColor(Qt::black));
  w->tbEndRed->setValue(40);
  EXPECT_EQ(settings().EndMaxRed, 40);
  EXPECT_EQ(swatch(w->swatchEnd), QColor(40, 0, 255));
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 255, 30));  // the others stay

  // After a load the bars follow the file; a value beyond a bar that is
  // already at its end is cut all the same.
  writeFile("other.ini", "[start]\nstyle=sine\n[sine]\nStartMaxGreen=99\nEndMaxBlue=300\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(w->trackLabels[1]->text(), "99");
  EXPECT_EQ(swatch(w->swatchStart), QColor(255, 99, 0));
  EXPECT_EQ(w->tbEndBlue->value(), 255);
  EXPECT_EQ(settings().EndMaxBlue, 255);
}

TEST_F(ColorsWindowTest, ModeButtonsSetWhiteAndBestGuessAndInitShowsThem) {
  auto* w = open();
  EXPECT_TRUE(w->rbSubtract->isChecked());  // White is on by default
  clickBox(w->rbBestGuess);
  EXPECT_FALSE(settings().White);
  EXPECT_TRUE(settings().BestGuess);
  clickBox(w->rbSubtract);
  EXPECT_TRUE(settings().White);
  EXPECT_FALSE(settings().BestGuess);
  clickBox(w->rbAdd);
  EXPECT_FALSE(settings().White || settings().BestGuess);
  // Init shows the record without rewriting it; Best Guess wins.
  settings().White = settings().BestGuess = true;
  w->Init();
  EXPECT_TRUE(w->rbBestGuess->isChecked());
  EXPECT_TRUE(settings().White);
}

TEST_F(ColorsWindowTest, AmountsMultipliersTheOldMethodSwitchAndSet) {
  auto* w = open();
  EXPECT_EQ(w->editStartAmount->text(), "1");
  typeInto(w->editStartAmount, "1.5");
  EXPECT_EQ(settings().StartAmount, 150);
  typeInto(w->editThetaColorMultiplier, "25");
  EXPECT_EQ(settings().ThetaColorMultiplier, 20);
  typeInto(w->editStepColorMultiplier, "-30");
  EXPECT_EQ(settings().StepColorMultiplier, -20);

  // "063 method?" only goes with the alternative colouring.
  EXPECT_FALSE(w->cbOneOrTwo->isEnabled());
  clickBox(w->cbNewColor);
  EXPECT_TRUE(settings().NewColor);
  EXPECT_TRUE(w->cbOneOrTwo->isEnabled());
  clickBox(w->cbNewColor);
  EXPECT_FALSE(w->cbOneOrTwo->isEnabled());

  // Set fills the picture with the background at once, and only Set does.
  form_->commands().draw->trigger();
  for (QSlider* bar : {w->tbBgRed, w->tbBgGreen, w->tbBgBlue}) bar->setValue(0);
  ASSERT_FALSE(allBytesAre(engine().picture(), 0));
  click(w->buttonSet);
  EXPECT_TRUE(allBytesAre(engine().picture(), 0));
}

}  // namespace
}  // namespace zorva::test
