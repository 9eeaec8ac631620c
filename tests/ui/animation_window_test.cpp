// The Animation window: making frames from it, its controls and fields.

#include <QProgressBar>
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
  // The pictures saved in the program's folder.
  std::size_t pictures() const {
    const auto files = std::filesystem::directory_iterator(dir_.path().toStdString());
    return static_cast<std::size_t>(
        std::count_if(begin(files), end(files), [](const auto& entry) { return entry.path().extension() == ".png"; }));
  }
};

TEST_F(AnimationWindowTest, MakeFramesDrawsAndSavesEveryFrameWithTheControlsOff) {
  auto* w = open();
  w->tbFrames->setValue(3);
  EXPECT_EQ(settings().NumberOfFrames, 3);
  EXPECT_EQ(w->tbStartFrame->maximum(), 3);
  typeInto(w->waves[static_cast<std::size_t>(Wave::Radius)].start.change, "0.5");
  EXPECT_EQ(settings().wave(Wave::Radius).ChangeStart, 0.5);

  // At the middle step of each frame: its number shown, every control off.
  std::vector<int> progress;
  form_->host().processEventsHook = [&] {
    if (++steps_ % 41 != 20) return;
    progress.push_back(w->pbFrames->value());
    EXPECT_EQ(w->lblFrame->text(), QString::number(w->pbFrames->value()));
    EXPECT_FALSE(form_->commands().draw->isEnabled() || form_->commands().stop->isEnabled() ||
                 w->btnMakeFrames->isEnabled() || w->tbFrames->isEnabled());
  };
  click(w->btnMakeFrames);
  EXPECT_EQ(steps_, 3 * 41);  // three frames of steps 0 .. 40
  EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(pictures(), 3u);
  EXPECT_TRUE(form_->commands().draw->isEnabled() && w->btnMakeFrames->isEnabled() && w->tbFrames->isEnabled());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AnimationWindowTest, StartFrameAndStopBox) {
  auto* w = open();
  w->tbFrames->setValue(4);
  w->tbStartFrame->setValue(2);
  // Stop checked while frame 3 draws: it finishes, frame 4 passes.
  form_->host().processEventsHook = [&] {
    if (w->pbFrames->value() == 3) w->cbStop->setChecked(true);
    // The menu's Draw is disabled; triggering it anyway changes nothing.
    form_->commands().draw->trigger();
  };
  click(w->btnMakeFrames);
  EXPECT_EQ(pictures(), 2u);
  EXPECT_FALSE(engine().stopRequested());
  // Lowering the frame count lowers the start frame with it.
  w->tbFrames->setValue(1);
  EXPECT_EQ(w->tbStartFrame->value(), 1);
}

TEST_F(AnimationWindowTest, RadioClicksStoreEveryFormAndFieldsRefuseText) {
  auto* w = open();
  auto& angle = w->waves[static_cast<std::size_t>(Wave::Angle)];
  clickBox(angle.end.forms[2]);
  const auto& wave = settings().wave(Wave::Angle);
  EXPECT_TRUE(!wave.EndSine && !wave.EndLinear && wave.EndLinearReturn);
  EXPECT_TRUE(wave.StartSine);  // the other side keeps its form
  clickBox(w->rockAmount.forms[1]);
  EXPECT_TRUE(settings().AnimationRockAmountLinear && !settings().AnimationRockAmountSine);

  AnimationField* repeat = angle.start.repeat;
  typeInto(repeat, "2.5");
  typeInto(repeat, "-");  // half-typed: ignored
  EXPECT_EQ(wave.RepeatStart, 2.5);
  EXPECT_TRUE(messages_.empty());
  repeat->selectAll();
  QTest::keyClicks(repeat, "-x");
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(repeat->text(), "2.5");

  // The offset box shows its slider.
  EXPECT_FALSE(w->tbOffset->isVisible());
  clickBox(w->cbOffset);
  EXPECT_TRUE(w->tbOffset->isVisible());
  w->tbOffset->setValue(7);
  EXPECT_EQ(settings().AnimationOffset, 7);
}

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
  EXPECT_EQ(pictures(), 0u);
  EXPECT_FALSE(engine().isAnimating());
}

}  // namespace
}  // namespace zorva::test
