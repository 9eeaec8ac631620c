// The Animation window: making frames from it, its controls and fields.
#include "ui/animation_window.h"
#include "ui/points_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <filesystem>

#include "ui_fixture.h"

namespace zorva::test {
namespace {

class AnimationWindowTest : public UiTest {
 protected:
  TformZorvaAnimation* open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().animation->trigger();
    return window<TformZorvaAnimation>(Window::Animation);
  }
  // The pictures saved in the program's folder, by name (that is, by time).
  std::vector<std::string> pictures() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString()))
      if (entry.path().extension() == ".png") found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  static std::string bytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

// What the windows show at one drawn step of a frame.
struct Seen {
  QString title, frameLabel, status;
  int progress;
  bool teal, drawEnabled, stopEnabled, makeFramesEnabled, framesSliderEnabled;
};

TEST_F(AnimationWindowTest, MakeFramesDrawsAndSavesEveryFrame) {
  auto* w = open();
  w->tbFrames->setValue(3);
  EXPECT_EQ(settings().NumberOfFrames, 3);
  EXPECT_EQ(w->tbStartFrame->maximum(), 3);
  typeInto(w->waves[static_cast<std::size_t>(Wave::Radius)].start.change, "0.5");
  EXPECT_EQ(settings().wave(Wave::Radius).ChangeStart, 0.5);

  std::vector<Seen> seen;
  form_->host().processEventsHook = [&] {
    const QColor background = w->lblFrame->palette().color(QPalette::Window);
    seen.push_back({form_->windowTitle(), w->lblFrame->text(), form_->statusText(), w->pbFrames->value(),
                    background == QColor(0, 128, 128), form_->commands().draw->isEnabled(),
                    form_->commands().stop->isEnabled(), w->btnMakeFrames->isEnabled(), w->tbFrames->isEnabled()});
  };
  click(w->btnMakeFrames);
  ASSERT_EQ(seen.size(), 3u * 41);  // three frames of steps 0 .. 40
  for (int f = 1; f <= 3; ++f) {
    const Seen& s = seen[static_cast<std::size_t>((f - 1) * 41 + 20)];
    SCOPED_TRACE(f);
    EXPECT_EQ(s.title, QString("Zorva259 - Frame %1").arg(f));
    EXPECT_EQ(s.frameLabel, QString::number(f));
    EXPECT_EQ(s.status, QString("Making Frame %1").arg(f));
    EXPECT_EQ(s.progress, f);
    EXPECT_TRUE(s.teal);
    EXPECT_FALSE(s.drawEnabled || s.stopEnabled || s.makeFramesEnabled || s.framesSliderEnabled);
  }
  // Each frame a picture set of its own; the frames differ (radius 100, 143, 57).
  const std::vector<std::string> png = pictures();
  ASSERT_EQ(png.size(), 3u);
  for (const std::string& p : png) EXPECT_TRUE(std::filesystem::exists(p.substr(0, p.size() - 4) + ".ini")) << p;
  EXPECT_NE(bytes(png[0]), bytes(png[1]));
  EXPECT_NE(bytes(png[1]), bytes(png[2]));
  // Idle again.
  EXPECT_EQ(form_->windowTitle(), "Zorva259");
  EXPECT_TRUE(w->lblFrame->text().isEmpty());
  EXPECT_NE(w->lblFrame->palette().color(QPalette::Window), QColor(0, 128, 128));
  EXPECT_TRUE(form_->commands().draw->isEnabled() && w->btnMakeFrames->isEnabled() && w->tbFrames->isEnabled());
  EXPECT_FALSE(engine().isAnimating());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AnimationWindowTest, StartFrameAndStopBox) {
  auto* w = open();
  w->tbFrames->setValue(4);
  w->tbStartFrame->setValue(2);
  // Stop checked while frame 3 draws: it finishes, frame 4 passes.
  form_->host().processEventsHook = [&] {
    if (form_->statusText() == "Making Frame 3") w->cbStop->setChecked(true);
    // The menu's Draw (D) is disabled; triggering it anyway changes nothing.
    form_->commands().draw->trigger();
  };
  click(w->btnMakeFrames);
  EXPECT_EQ(pictures().size(), 2u);
  EXPECT_FALSE(engine().stopRequested());
  // Lowering the frame count lowers the start frame with it.
  w->tbFrames->setValue(1);
  EXPECT_EQ(w->tbStartFrame->value(), 1);
}

TEST_F(AnimationWindowTest, InitShowsTheRecord) {
  auto* w = open(std::string(kSmallSettings) +
                 "AnimationOffset=250\nAnimationStartRadiusSine=0\nAnimationStartRadiusLinear=1\n"
                 "AnimationEndBumpsSine=0\nAnimationStartPARLinearReturn=1\nAnimationRockAmountSine=0\n"
                 "AnimationRockAmountLinearReturn=1\nAnimationChangeEndSIOO=-0.75\nAnimationRepeatStartPTY=3\n"
                 "AnimationMainPathEndMaxRepeat=2.5\nAnimationChangeRockAmount=4\n");
  // No NumberOfFrames: the slider's minimum, which becomes the stored value.
  EXPECT_EQ(w->tbFrames->value(), 1);
  EXPECT_EQ(settings().NumberOfFrames, 1);
  // Also when the slider already stands at 1.
  settings().NumberOfFrames = 0;
  w->Init();
  EXPECT_EQ(settings().NumberOfFrames, 1);
  EXPECT_EQ(w->tbOffset->value(), 250);
  auto checked = [](const TformZorvaAnimation::WaveSide& side) {
    std::vector<bool> states;
    for (QRadioButton* b : side.forms) states.push_back(b->isChecked());
    return states;
  };
  const auto& radius = w->waves[static_cast<std::size_t>(Wave::Radius)];
  EXPECT_EQ(checked(radius.start), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(checked(radius.end), (std::vector<bool>{true, false, false}));
  // None checked shows none; several show the one the frames use.
  EXPECT_EQ(checked(w->waves[static_cast<std::size_t>(Wave::Bumps)].end), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(checked(w->waves[static_cast<std::size_t>(Wave::PAR)].start), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(checked(w->rockAmount), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(w->waves[static_cast<std::size_t>(Wave::SIOO)].end.change->text(), "-0.75");
  EXPECT_EQ(w->waves[static_cast<std::size_t>(Wave::PTY)].start.repeat->text(), "3");
  EXPECT_EQ(w->editMainPathEndMaxRepeat->text(), "2.5");
  // Showing values changed nothing in the record.
  EXPECT_TRUE(settings().wave(Wave::PAR).StartLinearReturn);
  EXPECT_TRUE(settings().wave(Wave::PAR).StartSine);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AnimationWindowTest, RadioClicksStoreEveryFormAndFieldsRefuseText) {
  auto* w = open();
  auto& angle = w->waves[static_cast<std::size_t>(Wave::Angle)];
  clickBox(angle.end.forms[2]);
  EXPECT_FALSE(settings().wave(Wave::Angle).EndSine);
  EXPECT_FALSE(settings().wave(Wave::Angle).EndLinear);
  EXPECT_TRUE(settings().wave(Wave::Angle).EndLinearReturn);
  EXPECT_TRUE(settings().wave(Wave::Angle).StartSine);  // the other side keeps its form
  clickBox(w->rockAmount.forms[1]);
  EXPECT_TRUE(settings().AnimationRockAmountLinear);
  EXPECT_FALSE(settings().AnimationRockAmountSine);

  AnimationField* repeat = angle.start.repeat;
  typeInto(repeat, "2.5");
  EXPECT_EQ(settings().wave(Wave::Angle).RepeatStart, 2.5);
  typeInto(repeat, "-");  // half-typed: ignored
  EXPECT_EQ(settings().wave(Wave::Angle).RepeatStart, 2.5);
  EXPECT_TRUE(messages_.empty());
  repeat->selectAll();
  QTest::keyClicks(repeat, "-x");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This field must be a number. e.g 1, 0.5, -0.3");
  EXPECT_EQ(repeat->text(), "2.5");
  EXPECT_EQ(repeat->cursorPosition(), 3);
  EXPECT_EQ(settings().wave(Wave::Angle).RepeatStart, 2.5);
  typeInto(w->editMainPathStartMin, "40");
  EXPECT_EQ(settings().AnimationMainPathStartMin, 40);
}

TEST_F(AnimationWindowTest, OffsetBoxShowsItsSlider) {
  auto* w = open();
  EXPECT_FALSE(w->tbOffset->isVisible());
  clickBox(w->cbOffset);
  EXPECT_TRUE(w->tbOffset->isVisible());
  EXPECT_TRUE(w->animation().controls.offsetChecked);
  w->tbOffset->setValue(7);
  EXPECT_EQ(settings().AnimationOffset, 7);
  clickBox(w->cbUseOffset);
  EXPECT_TRUE(w->animation().controls.useOffset);
}

}  // namespace
}  // namespace zorva::test

namespace zorva::test {
namespace {

// Each frame reads the rotation points from the Points window's fields as
// they stand: one that holds no number ends the series with a message naming it.
TEST_F(AnimationWindowTest, RotationPointsComeFromThePointsWindow) {
  auto* w = open();
  w->tbFrames->setValue(2);
  form_->showOptionWindow(Window::Points, "");
  auto* points = window<TformZorvaPoints>(Window::Points);
  points->editRotateYStart->blockSignals(true);  // as if typed and not yet taken
  points->editRotateYStart->setText("0,5x");
  points->editRotateYStart->blockSignals(false);
  click(w->btnMakeFrames);
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(messages_.back().text.find("\"0,5x\""), std::string::npos) << messages_.back().text;
  EXPECT_TRUE(pictures().empty());
  EXPECT_FALSE(engine().isAnimating());
}

}  // namespace
}  // namespace zorva::test
