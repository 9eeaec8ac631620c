// The frame maker driving an engine: which frames are computed, drawn and
// saved, what the drawings read, how a series ends.
#include "animation/animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/number_format.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

// A host with a window title and, when asked, the Points window's rotation fields.
struct FramesHost : test::RecordingHost {
  std::string title = "Zorva259";
  std::vector<std::string> titles;
  std::optional<std::array<std::string, 4>> rotation;
  void windowTitle(const std::string& t) override {
    title = t;
    titles.push_back(t);
  }
  std::string currentWindowTitle() override { return title; }
  std::optional<std::array<std::string, 4>> rotationPointTexts() override { return rotation; }
};

// Small pictures, 40 x 40, of 12 steps, saved in a folder of their own.
struct FrameMaking : ::testing::Test {
  FramesHost host;
  test::TempDir dir;
  Engine engine{&host};
  Animation animation{engine};
  std::vector<int> computed;

  void SetUp() override {
    setDecimalSeparator(".");
    engine.setThreads(1);
    test::setKeys(engine.settings, "ImageWidth=40 ImageHeight=40 Steps=12 StartGrain=20 EndGrain=20");
    engine.settings.SaveDir = dir.path().string();
    engine.ClearPicture();
    host.statuses.clear();
    animation.onFrame = [this](std::int32_t f) { computed.push_back(f); };
  }
  // The PNG files in the save folder, by name.
  std::vector<std::string> savedPictures() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().extension() == ".png") found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  FramesMade make(std::int32_t frames, std::int32_t lastFrame = 0, const std::string& stem = "",
                  std::optional<std::uint32_t> seed = std::nullopt) {
    FrameRun run;
    run.frames = frames;
    run.lastFrame = lastFrame;
    run.stem = stem;
    run.seed = seed;
    return animation.makeFrames(run);
  }
};

TEST_F(FrameMaking, StartFrameThreeOfFiveDrawsAndSavesThreeFrames) {
  int drawings = 0;
  engine.onStep = [&](int i) { drawings += i == 0; };
  animation.controls.startFrame = 3;
  const FramesMade made = make(5);
  EXPECT_FALSE(made.error);
  EXPECT_EQ(computed, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(drawings == 3 && made.drawn == 3);
  // Each frame its own time-stamped set: three pictures, three settings copies.
  ASSERT_EQ(made.pictures.size(), 3u);
  EXPECT_EQ(savedPictures(), made.pictures);
  for (const std::string& png : made.pictures)
    EXPECT_TRUE(std::filesystem::exists(png.substr(0, png.size() - 4) + ".ini")) << png;
  // Nothing but the frame's text while frames are made; no "Finished", "Saved".
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"", "", "Making Frame 3", "Making Frame 4", "Making Frame 5"}));
  EXPECT_TRUE(host.titles.size() == 6 && host.title == "Zorva259");
  EXPECT_FALSE(engine.isAnimating() || animation.running());
  // Back to idle: Draw draws again, with no phase and no offset fraction.
  engine.settings.NewColor = true;
  engine.DrawOrStop();
  EXPECT_EQ(drawings, 4);
  EXPECT_TRUE(engine.frame().AnimationPhase == 0 && engine.frame().AnimationOffsetFraction == 0);
}

TEST_F(FrameMaking, EachFrameDrawsWithItsWaveValues) {
  // Bumps 50 + 10 sine, radius 100 + 50 sine (a change of 0.5 is an amplitude of 50).
  test::setKeys(engine.settings, "StartBumps=50 AnimationChangeStartBumps=10 AnimationChangeStartRadius=0.5");
  engine.setInker(InkerKind::Reference);
  std::vector<std::array<double, 3>> seen;  // bumps, radius, first point's x
  engine.onPoint = [&](int step, int k, double x, double) {
    if (step == 0 && k == 1) seen.push_back({engine.frame().startBumps, engine.frame().startRadius, x});
  };
  make(4);
  ASSERT_EQ(seen.size(), 4u);
  const double sine[] = {0, 1, 0, -1};
  for (std::size_t f = 0; f < 4; ++f) {
    // The first point of step 0: radius / 100 to the right of path point A (-2, 0).
    const double radius = 100 + 50 * sine[f];
    EXPECT_NEAR(seen[f][0], 50 + 10 * sine[f], 1e-13) << f + 1;
    EXPECT_NEAR(seen[f][1], radius, 1e-13) << f + 1;
    EXPECT_NEAR(seen[f][2], -2 + radius / 100, 1e-13) << f + 1;
  }
}

TEST_F(FrameMaking, WhatTheLastFrameMadeStaysForLaterDrawingsAndSeries) {
  // "Test" divides by (LissaDelta + 1) + AnimationPhaseSine: with a Lissa
  // delta of 0 it draws before an animation, and nothing after one of four
  // frames, whose last phase sine is sin(3 pi / 2) = -1.
  test::setKeys(engine.settings, "FunctionNumber=6 LissaDelta=0 StartBumps=50 AnimationChangeStartBumps=10");
  engine.DrawOrStop();
  EXPECT_GT(engine.stats().points, 0u);
  animation.controls.startFrame = 5;  // compute the four frames, draw none
  EXPECT_EQ(make(4).drawn, 0);
  engine.DrawOrStop();
  EXPECT_EQ(engine.stats().points, 0u);
  EXPECT_TRUE(engine.frame().AnimationPhaseSine == -1 && engine.frame().AnimationPhase == 0);
  // A series that stops at frame B leaves B's phase sine: sin(2 pi / 4) = 1,
  // and B's bumps, 60, for a value with no wave form in the next series.
  make(4, 2);
  EXPECT_EQ(engine.animationPhaseSine(), 1);
  engine.settings.wave(Wave::Bumps).StartSine = false;
  make(4);
  ASSERT_NE(engine.animationFrame(), nullptr);
  EXPECT_DOUBLE_EQ(engine.animationFrame()->startBumps, 60);
}

TEST_F(FrameMaking, ASeedGivesEachFrameItsOwnStateWhateverTheRange) {
  // Frame f's drawing starts from seed + f - 1, so that any range of frames
  // draws the same frames (zorva-render's --frames compares the pictures).
  engine.settings.UseIotaExtra = true;  // random scatter: the generator is used
  std::vector<std::uint32_t> states;
  engine.onStep = [&](int i) {
    if (i == 0) states.push_back(engine.random().state());
  };
  animation.controls.startFrame = 3;
  EXPECT_EQ(make(5, 4, dir.file("x"), 0xFFFFFFFEu).pictures.size(), 2u);
  EXPECT_EQ(states, (std::vector<std::uint32_t>{0, 1}));  // wrapping mod 2^32
  EXPECT_TRUE(std::filesystem::exists(dir.file("x_0004.ini")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("x_0005.png")));
}

TEST_F(FrameMaking, RotationPointsComeFromThePointsWindowEveryFrame) {
  // A field without a number ends the series in order, said once.
  host.rotation = std::array<std::string, 4>{"0.5", "0,5x", "1", "0"};
  const FramesMade bad = make(3);
  ASSERT_TRUE(bad.error);
  for (const char* part : {"frame 1", "\"Rotate A\" y", "\"0,5x\""})
    EXPECT_NE(bad.error->find(part), std::string::npos) << *bad.error;
  EXPECT_EQ(host.messages, std::vector<std::string>{*bad.error});
  EXPECT_TRUE(computed == std::vector<int>{1} && bad.drawn == 0 && savedPictures().empty());
  EXPECT_FALSE(engine.isAnimating() || animation.running());
  EXPECT_EQ(host.title, "Zorva259");

  // With no change the frames are the still picture drawn about the fields' points.
  host.rotation = std::array<std::string, 4>{"0.5", "-0.25", "1", "1.5"};
  Settings& s = engine.settings;
  s.StartIota = s.EndIota = 40;
  const FramesMade made = make(2, 0, dir.file("fields"));
  ASSERT_EQ(made.pictures.size(), 2u);
  auto stillAbout = [&](double ax, const std::string& name) {
    s.ZorvaPointsRotateXStart = ax;
    s.ZorvaPointsRotateYStart = -0.25;
    s.ZorvaPointsRotateXEnd = 1;
    s.ZorvaPointsRotateYEnd = 1.5;
    engine.ClearPicture();
    engine.DrawOrStop();
    EXPECT_TRUE(engine.buttonSaveImageClick(dir.file(name)));
    return test::readFile(dir.file(name + ".png"));
  };
  const std::string still = stillAbout(0.5, "still");
  EXPECT_EQ(test::readFile(made.pictures[0]), still);
  EXPECT_EQ(test::readFile(made.pictures[1]), still);
  EXPECT_NE(stillAbout(-2, "other"), still);  // the points do matter
}

TEST_F(FrameMaking, StopLetsTheRunningFrameFinishAndPassesTheRest) {
  int steps = 0;
  host.onProcessEvents = [&] {
    ++steps;
    if (host.statuses.back() == "Making Frame 2") animation.controls.stop = true;
  };
  const FramesMade made = make(4);
  EXPECT_TRUE(made.drawn == 2 && made.pictures.size() == 2);
  EXPECT_EQ(steps, 2 * 13);  // both frames ran all their steps 0 .. 12
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Making Frame 1", "Making Frame 2", "", ""}));

  // Closing the program stops the drawing as well: that frame is cut short and not saved.
  animation.controls.stop = false;
  host.onProcessEvents = [&] {
    if (host.statuses.back() != "Making Frame 2") return;
    animation.controls.stop = true;
    engine.requestStop();
  };
  const FramesMade closing = make(4);
  EXPECT_TRUE(closing.drawn == 2 && closing.pictures.size() == 1);
  EXPECT_EQ(savedPictures().size(), 3u);
}

TEST_F(FrameMaking, DrawStopAndMakeFramesDoNothingWhileFramesAreMade) {
  std::vector<FramesMade> inner;
  int steps = 0;
  host.onProcessEvents = [&] {
    ++steps;
    engine.DrawOrStop();  // the menu's Draw (or Stop) pressed mid-frame
    EXPECT_FALSE(engine.stopRequested());
    if (inner.empty()) inner.push_back(make(2));
  };
  EXPECT_EQ(make(2).drawn, 2);
  EXPECT_EQ(steps, 2 * 13);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_TRUE(inner[0].error && inner[0].drawn == 0);
  EXPECT_EQ(savedPictures().size(), 2u);
  // A stop asked for before the series is withdrawn when it starts.
  host.onProcessEvents = nullptr;
  int drawnSteps = 0;
  engine.onStep = [&](int) { ++drawnSteps; };
  engine.requestStop();
  EXPECT_EQ(make(1).drawn, 1);
  EXPECT_EQ(drawnSteps, 12);
  EXPECT_FALSE(engine.stopRequested());
}

}  // namespace
}  // namespace zorva
