// The frame maker driving an engine: which frames are computed, drawn and
// saved, what the drawings read, how a series ends.
#include "animation/animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/math_util.h"
#include "settings/number_format.h"
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

// Small pictures: 40 x 40, 12 steps of 20 grains.
void smallDrawing(Settings& s) {
  s.ImageWidth = s.ImageHeight = 40;
  s.Steps = 12;
  s.StartGrain = s.EndGrain = 20;
}

struct FrameMaking : ::testing::Test {
  FramesHost host;
  test::TempDir dir;
  Engine engine{&host};
  Animation animation{engine};

  void SetUp() override {
    setDecimalSeparator(".");
    engine.setThreads(1);
    smallDrawing(engine.settings);
    engine.settings.SaveDir = dir.path().string();
    engine.ClearPicture();
    host.statuses.clear();
  }
  // The PNG files in the save folder, by name.
  std::vector<std::string> savedPictures() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().extension() == ".png") found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  FramesMade make(std::int32_t frames, std::int32_t lastFrame = 0, const std::string& stem = "") {
    FrameRun run;
    run.frames = frames;
    run.lastFrame = lastFrame;
    run.stem = stem;
    return animation.makeFrames(run);
  }
};

TEST_F(FrameMaking, StartFrameThreeOfFiveDrawsAndSavesThreeFrames) {
  std::vector<int> computed;
  animation.onFrame = [&](std::int32_t f) { computed.push_back(f); };
  int drawings = 0;
  engine.onStep = [&](int i) { drawings += i == 0; };
  animation.controls.startFrame = 3;
  const FramesMade made = make(5);
  EXPECT_FALSE(made.error);
  EXPECT_EQ(computed, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(drawings, 3);
  EXPECT_EQ(made.drawn, 3);
  // Each frame its own time-stamped set: three pictures, three settings copies.
  ASSERT_EQ(made.pictures.size(), 3u);
  EXPECT_EQ(savedPictures(), made.pictures);
  for (const std::string& png : made.pictures)
    EXPECT_TRUE(std::filesystem::exists(png.substr(0, png.size() - 4) + ".ini")) << png;
  // Nothing but the frame's text while frames are made; no "Finished", "Saved".
  const std::vector<std::string> expected = {"", "", "Making Frame 3", "Making Frame 4", "Making Frame 5"};
  EXPECT_EQ(host.statuses, expected);
  EXPECT_EQ(host.titles, (std::vector<std::string>{"Zorva259 - Frame 1", "Zorva259 - Frame 2", "Zorva259 - Frame 3",
                                                   "Zorva259 - Frame 4", "Zorva259 - Frame 5", "Zorva259"}));
  EXPECT_FALSE(engine.isAnimating());
  EXPECT_FALSE(animation.running());
  // Back to idle: Draw draws again, with no phase and no offset fraction.
  engine.settings.NewColor = true;
  engine.DrawOrStop();
  EXPECT_EQ(drawings, 4);
  EXPECT_EQ(engine.frame().AnimationPhase, 0);
  EXPECT_EQ(engine.frame().AnimationOffsetFraction, 0);
  EXPECT_EQ(host.statuses.back(), "Finished");
}

// Part of the drawing's inputs at step 0 of every frame drawn.
struct FrameSeen {
  double startBumps, startRadius, mainPathStart, mainPathEnd, firstPointX;
};

TEST_F(FrameMaking, EachFrameDrawsWithItsWaveValues) {
  Settings& s = engine.settings;
  s.StartBumps = 50;
  s.wave(Wave::Bumps).ChangeStart = 10;  // sine, repeat 1
  s.wave(Wave::Radius).ChangeStart = 0.5;
  s.AnimationMainPathStartMin = s.AnimationMainPathEndMin = 40;
  s.AnimationMainPathStartMinRepeat = s.AnimationMainPathEndMinRepeat = 1;
  s.AnimationMainPathStartMax = s.AnimationMainPathEndMax = 60;
  s.AnimationMainPathStartMaxRepeat = s.AnimationMainPathEndMaxRepeat = 1;
  engine.setInker(InkerKind::Reference);
  std::vector<FrameSeen> seen;
  engine.onPoint = [&](int step, int k, double x, double) {
    if (step != 0 || k != 1) return;
    const FrameValues& v = engine.frame();
    seen.push_back({v.startBumps, v.startRadius, v.mainPathStart, v.mainPathEnd, x});
  };
  make(4);
  ASSERT_EQ(seen.size(), 4u);
  const double bumps[] = {50, 60, 50, 40};
  const double radius[] = {100, 150, 100, 50};  // change 0.5 is an amplitude of 50
  const double pathStart[] = {0, 20, 40, 20};   // 40/2 - (40/2) cos(theta)
  const double pathEnd[] = {100, 80, 60, 80};   // 80 + 20 cos(theta)
  for (std::size_t f = 0; f < 4; ++f) {
    SCOPED_TRACE(f + 1);
    EXPECT_NEAR(seen[f].startBumps, bumps[f], 1e-13);
    EXPECT_NEAR(seen[f].startRadius, radius[f], 1e-13);
    EXPECT_NEAR(seen[f].mainPathStart, pathStart[f], 1e-13);
    EXPECT_NEAR(seen[f].mainPathEnd, pathEnd[f], 1e-13);
    // The first point of step 0: radius / 100 to the right of path point A (-2, 0).
    EXPECT_NEAR(seen[f].firstPointX, -2 + radius[f] / 100, 1e-13);
  }
}

TEST_F(FrameMaking, PhaseSineOfTheLastFrameStaysForLaterDrawings) {
  // "Test" divides by (LissaDelta + 1) + AnimationPhaseSine: with a Lissa
  // delta of 0 it draws before an animation, and nothing after one of four
  // frames, whose last phase sine is sin(3 pi / 2) = -1.
  Settings& s = engine.settings;
  s.FunctionNumber = 6;
  s.LissaDelta = 0;
  engine.DrawOrStop();
  EXPECT_GT(engine.stats().points, 0u);
  animation.controls.startFrame = 5;  // compute the four frames, draw none
  const FramesMade made = make(4);
  EXPECT_EQ(made.drawn, 0);
  EXPECT_EQ(engine.animationPhaseSine(), -1);
  engine.DrawOrStop();
  EXPECT_EQ(engine.stats().points, 0u);
  EXPECT_EQ(engine.frame().AnimationPhaseSine, -1);
  EXPECT_EQ(engine.frame().AnimationPhase, 0);
  // A series that stops at frame B leaves B's phase sine: sin(2 pi / 4) = 1.
  make(4, 2);
  EXPECT_EQ(engine.animationPhaseSine(), 1);
}

// Frames 3 to 5 of five with the stem and seed zorva-render uses, on a
// fresh engine of the given thread count.
std::vector<std::string> framesOf(const std::string& stem, int threads, std::int32_t first, std::int32_t last,
                                  std::uint32_t seed) {
  test::RecordingHost host;
  Engine engine(&host);
  engine.setThreads(threads);
  Settings& s = engine.settings;
  smallDrawing(s);
  s.ImageWidth = 64;
  s.Steps = 30;
  s.UseIotaExtra = true;  // random scatter: the generator matters
  s.NewColor = true;      // the alternative colouring reads the phase
  s.AnimationOffset = 2;
  s.wave(Wave::Radius).ChangeStart = 0.3;
  s.wave(Wave::Angle).ChangeEnd = 30;
  s.wave(Wave::Angle).EndSine = false;
  s.wave(Wave::Angle).EndLinear = true;
  s.wave(Wave::PTX).ChangeStart = 0.5;
  s.wave(Wave::PTX).StartSine = false;
  s.wave(Wave::PTX).StartLinearReturn = true;
  engine.ClearPicture();
  Animation animation(engine);
  animation.controls.startFrame = first;
  animation.controls.offsetChecked = true;
  FrameRun run;
  run.frames = 5;
  run.lastFrame = last;
  run.stem = stem;
  run.seed = seed;
  // The generator's state as frame f's drawing begins: seed + f - 1.
  std::vector<std::uint32_t> states;
  engine.onStep = [&](int i) {
    if (i == 0) states.push_back(engine.random().state());
  };
  const FramesMade made = animation.makeFrames(run);
  EXPECT_FALSE(made.error);
  std::vector<std::uint32_t> expected;
  for (std::int32_t f = first; f <= last; ++f) expected.push_back(seed + static_cast<std::uint32_t>(f) - 1);
  EXPECT_EQ(states, expected);
  std::vector<std::string> bytes;
  for (const std::string& png : made.pictures) bytes.push_back(test::readFile(png));
  return bytes;
}

TEST_F(FrameMaking, AnyRangeOfFramesDrawsTheSameFramesAtAnyThreadCount) {
  const std::vector<std::string> full = framesOf(dir.file("full"), 1, 1, 5, 77);
  ASSERT_EQ(full.size(), 5u);
  EXPECT_TRUE(std::filesystem::exists(dir.file("full_0001.png")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("full_0005.ini")));
  const std::vector<std::string> tail(full.begin() + 2, full.end());
  EXPECT_EQ(framesOf(dir.file("range1"), 1, 3, 5, 77), tail);
  EXPECT_EQ(framesOf(dir.file("range2"), 2, 3, 5, 77), tail);
  EXPECT_EQ(framesOf(dir.file("middle"), 2, 3, 4, 77), std::vector<std::string>(full.begin() + 2, full.begin() + 4));
  EXPECT_FALSE(std::filesystem::exists(dir.file("middle_0005.png")));
  // Not vacuous: the frames differ, and so does another seed's frame 3.
  EXPECT_NE(full[2], full[3]);
  const std::vector<std::string> other = framesOf(dir.file("other"), 1, 3, 3, 78);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_NE(other[0], full[2]);
}

TEST_F(FrameMaking, RotationPointsComeFromThePointsWindowEveryFrame) {
  // With no change the frames are the still picture drawn about the fields' points.
  host.rotation = std::array<std::string, 4>{"0.5", "-0.25", "1", "1.5"};
  engine.settings.StartIota = engine.settings.EndIota = 40;
  const FramesMade made = make(2, 0, dir.file("fields"));
  ASSERT_EQ(made.pictures.size(), 2u);
  ASSERT_NE(engine.animationFrame(), nullptr);
  EXPECT_EQ(engine.animationFrame()->rotateAX, 0.5);
  EXPECT_EQ(engine.animationFrame()->rotateBY, 1.5);

  Settings& s = engine.settings;
  s.ZorvaPointsRotateXStart = 0.5;
  s.ZorvaPointsRotateYStart = -0.25;
  s.ZorvaPointsRotateXEnd = 1;
  s.ZorvaPointsRotateYEnd = 1.5;
  engine.DrawOrStop();
  ASSERT_TRUE(engine.buttonSaveImageClick(dir.file("still")));
  const std::string still = test::readFile(dir.file("still.png"));
  EXPECT_EQ(test::readFile(made.pictures[0]), still);
  EXPECT_EQ(test::readFile(made.pictures[1]), still);
  // The settings' points are not the fields' (default A is (-2, 0)): different picture.
  s.ZorvaPointsRotateXStart = -2;
  engine.ClearPicture();
  engine.DrawOrStop();
  ASSERT_TRUE(engine.buttonSaveImageClick(dir.file("default")));
  EXPECT_NE(test::readFile(dir.file("default.png")), still);
}

TEST_F(FrameMaking, ARotationFieldWithoutANumberEndsTheSeriesInOrder) {
  host.rotation = std::array<std::string, 4>{"0.5", "0,5x", "1", "0"};
  std::vector<int> computed;
  animation.onFrame = [&](std::int32_t f) { computed.push_back(f); };
  const FramesMade made = make(3);
  ASSERT_TRUE(made.error);
  EXPECT_NE(made.error->find("frame 1"), std::string::npos) << *made.error;
  EXPECT_NE(made.error->find("\"Rotate A\" y"), std::string::npos) << *made.error;
  EXPECT_NE(made.error->find("\"0,5x\""), std::string::npos) << *made.error;
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], *made.error);
  EXPECT_EQ(computed, std::vector<int>{1});
  EXPECT_EQ(made.drawn, 0);
  EXPECT_TRUE(savedPictures().empty());
  // Idle again: not animating, Draw draws.
  EXPECT_FALSE(engine.isAnimating() || animation.running());
  engine.DrawOrStop();
  EXPECT_GT(engine.stats().points, 0u);
  // Each field is named; an empty one holds no number either.
  host.rotation = std::array<std::string, 4>{"1", "2", "3", ""};
  ASSERT_TRUE(make(3).error);
  EXPECT_NE(host.messages.back().find("\"Rotate B\" y"), std::string::npos) << host.messages.back();
}

TEST_F(FrameMaking, ANonFiniteValueEndsTheSeriesAndKeepsTheFramesMade) {
  // A repeat this large makes r * theta infinite from frame 2 on (theta is 0 at frame 1).
  engine.settings.wave(Wave::Bumps).RepeatStart = 1.7e308;
  const FramesMade made = make(4, 0, dir.file("nan"));
  ASSERT_TRUE(made.error);
  EXPECT_NE(made.error->find("frame 2"), std::string::npos) << *made.error;
  EXPECT_NE(made.error->find("start bumps"), std::string::npos) << *made.error;
  EXPECT_EQ(made.drawn, 1);
  EXPECT_EQ(savedPictures(), std::vector<std::string>{dir.file("nan_0001.png")});
  EXPECT_FALSE(engine.isAnimating());
  EXPECT_EQ(host.title, "Zorva259");
}

TEST_F(FrameMaking, StopLetsTheRunningFrameFinishAndPassesTheRest) {
  int steps = 0;
  host.onProcessEvents = [&] {
    ++steps;
    if (host.statuses.back() == "Making Frame 2") animation.controls.stop = true;
  };
  const FramesMade made = make(4);
  EXPECT_EQ(made.drawn, 2);
  EXPECT_EQ(made.pictures.size(), 2u);
  EXPECT_EQ(steps, 2 * 13);  // both frames ran all their steps 0 .. 12
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Making Frame 1", "Making Frame 2", "", ""}));

  // Closing the program stops the drawing as well: that frame is cut short
  // and not saved.
  animation.controls.stop = false;
  host.onProcessEvents = [&] {
    if (host.statuses.back() != "Making Frame 2") return;
    animation.controls.stop = true;
    engine.requestStop();
  };
  const FramesMade closing = make(4);
  EXPECT_EQ(closing.drawn, 2);
  EXPECT_EQ(closing.pictures.size(), 1u);
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
  const FramesMade made = make(2);
  EXPECT_EQ(made.drawn, 2);
  EXPECT_EQ(steps, 2 * 13);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_TRUE(inner[0].error);
  EXPECT_EQ(inner[0].drawn, 0);
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

TEST_F(FrameMaking, AValueWithNoWaveFormKeepsWhatTheLastFrameMade) {
  Settings& s = engine.settings;
  s.StartBumps = 50;
  s.wave(Wave::Bumps).ChangeStart = 10;
  animation.controls.startFrame = 99;  // compute only
  make(4, 2);                          // the last frame made is 2 of 4: 60
  s.wave(Wave::Bumps).StartSine = false;
  make(4);
  ASSERT_NE(engine.animationFrame(), nullptr);
  EXPECT_DOUBLE_EQ(engine.animationFrame()->startBumps, 60);
}

}  // namespace
}  // namespace zorva
