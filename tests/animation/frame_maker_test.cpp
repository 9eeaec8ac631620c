// The frame maker: the values of each frame, and the series of frames it
// computes, draws and saves with an engine.
#include "animation/animation.h"
#include "animation/frame_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "base/math_util.h"
#include "settings/number_format.h"
#include "support/curves.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FrameValues frameOf(const Settings& s, const FrameInputs& in) {
  auto result = makeFrameValues(s, in);
  if (auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<FrameValues>(result);
}

// Frame f of a series, with no curves, rotation points or offset.
FrameInputs frame(std::int32_t f, std::int32_t frames) {
  FrameInputs in;
  in.frame = f;
  in.frames = frames;
  return in;
}

std::string errorOf(const Settings& s, const FrameInputs& in) {
  auto result = makeFrameValues(s, in);
  const auto* error = std::get_if<std::string>(&result);
  EXPECT_TRUE(error) << "frame " << in.frame << " was made";
  return error ? *error : "";
}

TEST(FrameMakerFrames, CountAndFrac) {
  for (auto [n, kept] : {std::pair{0, 1}, {kMinInt, 1}, {10, 10}, {2001, 2000}}) EXPECT_EQ(frameCount(n), kept) << n;
  EXPECT_EQ(frac(-0.25), 0.75);
}

TEST(FrameMakerWaves, TheThreeFormsOverFourFrames) {
  // Start bumps 50 over four frames: theta = 0, pi/2, pi, 3 pi/2 and u = 0.25 .. 1.
  struct Row {
    bool sine, linear, linearReturn;
    double change, repeat;
    std::array<double, 4> bumps;
  };
  const Row rows[] = {
      {true, false, false, 10, 1, {50, 60, 50, 40}},
      {false, true, false, 10, 1, {52.5, 55, 57.5, 50}},  // frac(1) = 0
      {false, false, true, 10, 1, {55, 60, 55, 50}},      // g = 0.25, 0.5, 0.75, 0
      {false, true, true, 10, 1, {52.5, 55, 57.5, 50}},   // several checked: the first
      {true, true, true, 10, 1, {50, 60, 50, 40}},
      {true, false, false, 10, 2, {50, 50, 50, 50}},  // the repeat multiplies the phase
      {false, true, false, 10, 2, {55, 50, 55, 50}},
      {false, false, true, 10, 2, {60, 50, 60, 50}},
      {false, false, true, -10, 1, {45, 40, 45, 50}},  // a negative change moves the other way
  };
  for (const Row& r : rows) {
    Settings s;
    s.StartBumps = 50;
    AnimationWave& w = s.wave(Wave::Bumps);
    w.StartSine = r.sine, w.StartLinear = r.linear, w.StartLinearReturn = r.linearReturn;
    w.ChangeStart = r.change, w.RepeatStart = r.repeat;
    for (std::int32_t f = 1; f <= 4; ++f)
      EXPECT_DOUBLE_EQ(frameOf(s, frame(f, 4)).startBumps, r.bumps[static_cast<std::size_t>(f - 1)])
          << r.sine << r.linear << r.linearReturn << " change " << r.change << " repeat " << r.repeat << " frame " << f;
  }
  // sin of an argument of 2^63 or more is 0: the value stays at its base.
  EXPECT_EQ(waveValue(WaveForm::Sine, 50, 10, 1e20, 0.25, kPi / 2), 50);
}

TEST(FrameMakerWaves, EveryWaveMovesItsOwnWorkingCopy) {
  // Linear waves at u = 0.5 move the start values by half their change and,
  // with repeat 0.5, the end values by a quarter; every change differs, so a
  // value fed from the wrong wave shows. Wave i changes by 2 (i + 1) at the
  // start and 2 (i + 101) at the end.
  Settings s;
  s.StartRadius = 110, s.EndRadius = 120, s.StartIota = 3, s.EndIota = 4, s.StartBumps = 5, s.EndBumps = 6;
  s.StartDepth = 7, s.EndDepth = 8, s.StartEllipseWidth = 0.5, s.EndEllipseWidth = 1.5;
  s.StartEllipseHeight = 2.5, s.EndEllipseHeight = 3.5;
  for (int i = 0; i < kWaveCount; ++i) {
    AnimationWave& w = s.Waves[static_cast<std::size_t>(i)];
    w.ChangeStart = 2 * (i + 1);
    w.ChangeEnd = 2 * (i + 101);
    w.RepeatEnd = 0.5;
    w.StartSine = w.EndSine = false;
    w.StartLinear = w.EndLinear = true;
  }
  test::setKeys(s,
                "AnimationChangeRockAmount=1000 AnimationRockAmountSine=0 AnimationRockAmountLinear=1 "
                "AnimationRepeatRockAmount=0.5");
  const FrameValues v = frameOf(s, frame(2, 4));
  // Radius .. rock angle are waves 0 .. 6; only the radius change counts in hundreds.
  const double got[] = {v.startRadius, v.endRadius,  v.startAngle,     v.endAngle,    v.startBumps,
                        v.endBumps,    v.startDepth, v.endDepth,       v.startX,      v.endX,
                        v.startY,      v.endY,       v.startRockAngle, v.endRockAngle};
  const double base[] = {110, 120, 3, 4, 5, 6, 7, 8, 0.5, 1.5, 2.5, 3.5, 0, 0};
  for (int i = 0; i <= 6; ++i) {
    const double scale = i == 0 ? 100 : 1;
    EXPECT_EQ(got[2 * i], base[2 * i] + scale * (i + 1)) << "wave " << i;
    EXPECT_EQ(got[2 * i + 1], base[2 * i + 1] + scale * (i + 101) / 2) << "wave " << i;
  }
  EXPECT_EQ(v.rockAmount, 250);
  // The offsets follow from SIRPS (wave 7) on, in the same order.
  for (int k = 0; k < kAnimatedOffsetCount; ++k) {
    EXPECT_EQ(v.offsetStart[static_cast<std::size_t>(k)], 8 + k) << k;
    EXPECT_EQ(v.offsetEnd[static_cast<std::size_t>(k)], 54 + k / 2.0) << k;
  }
}

TEST(FrameMakerWaves, AValueWithNoFormKeepsItsPreviousWorkingCopy) {
  Settings s;
  test::setKeys(s,
                "StartBumps=50 EndIota=30 AnimationChangeStartBumps=10 AnimationStartBumpsSine=0 "
                "AnimationEndAngleSine=0 AnimationStartPTYSine=0 AnimationRockAmountSine=0");
  // Never set: the base, that is the setting or 0.
  FrameValues v = frameOf(s, frame(2, 4));
  EXPECT_EQ((std::array{v.startBumps, v.endAngle, v.offsetStart[kTranslationY], v.rockAmount}),
            (std::array{50.0, 30.0, 0.0, 0.0}));
  // Set before: kept as it was. The radius's wave is checked, so its previous value is not used.
  FrameValues previous{.startRadius = 12345, .endAngle = -4, .startBumps = 7, .rockAmount = 9};
  previous.offsetStart[kTranslationY] = 0.25;
  FrameInputs third = frame(3, 4);
  third.previous = &previous;
  v = frameOf(s, third);
  EXPECT_EQ((std::array{v.startBumps, v.endAngle, v.offsetStart[kTranslationY], v.rockAmount, v.startRadius}),
            (std::array{7.0, -4.0, 0.25, 9.0, 100.0}));
}

TEST(FrameMakerMainPath, EachKeyRunsFromItsStartToItsEndOverTheFrames) {
  // At u = 0.75 (frame 3 of 4, theta = pi): m = 0.75 * 60 + 0.25 * 20 = 50,
  // M = 0.75 * 70 + 0.25 * 90 = 75, and both repeats 0.75 * 0.5 + 0.25 * 2.5
  // = 1, so cos = -1 (taken the other way round they would be 2 and cos 1).
  Settings s;
  s.AnimationMainPathStartMin = 20, s.AnimationMainPathEndMin = 60;
  s.AnimationMainPathStartMax = 90, s.AnimationMainPathEndMax = 70;
  s.AnimationMainPathStartMinRepeat = s.AnimationMainPathStartMaxRepeat = 2.5;
  s.AnimationMainPathEndMinRepeat = s.AnimationMainPathEndMaxRepeat = 0.5;
  const FrameValues v = frameOf(s, frame(3, 4));
  EXPECT_EQ(v.mainPathStart, 50);  // 25 - 25 cos(pi)
  EXPECT_EQ(v.mainPathEnd, 75);    // 87.5 + 12.5 cos(pi)
  // The defaults use the whole path.
  const FrameValues whole = frameOf(Settings{}, frame(2, 5));
  EXPECT_TRUE(whole.mainPathStart == 0 && whole.mainPathEnd == 100);
}

TEST(FrameMakerInputs, PhaseOffsetRotationAndUseOffset) {
  Settings s;
  EXPECT_EQ(frameOf(s, frame(4, 4)).AnimationPhaseSine, -1);
  EXPECT_EQ(frameOf(s, frame(3, 4)).AnimationPhase, kPi);
  FrameInputs in = frame(2, 4);
  s.AnimationOffset = 3;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0);  // "Offset?" unchecked
  in.offsetChecked = true;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.5);  // frac(3 * 0.5)
  in.frame = 1;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.75);
  s.AnimationOffset = kMinInt;  // counts as 1
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.25);

  in.rotation = {1.5, -2.5, 3.25, 4};
  in.useOffset = true;
  const FrameValues v = frameOf(s, in);
  EXPECT_EQ((std::array{v.rotateAX, v.rotateAY, v.rotateBX, v.rotateBY}), (std::array{1.5, -2.5, 3.25, 4.0}));
  EXPECT_TRUE(v.useOffset);
  in.useOffset = false;
  EXPECT_FALSE(frameOf(s, in).useOffset);
}

TEST(FrameMakerInputs, CurveDisplacementsAreTheMoveSinceTheCurvesStart) {
  qBezier start, end;
  buildBezier(start, test::curveOf({{10, 20}, {11, 18}, {12, 12}, {13, 2}, {14, -12}, {15, -30}}), false);
  buildBezier(end, test::curveOf({{0, 0}, {-1, 3}, {-4, 6}, {-9, 9}, {-16, 12}, {-25, 15}}), false);
  // Frame 3 of 5: u = 0.6.
  FrameInputs in = frame(3, 5);
  in.startPointBezier = &start;
  in.endPointBezier = &end;
  in.startPointHasPoints = in.endPointHasPoints = true;
  FrameValues v = frameOf(Settings{}, in);
  EXPECT_EQ((std::array{v.startDisplacementX, v.startDisplacementY, v.endDisplacementX, v.endDisplacementY}),
            (std::array{start.GetXAt(0.6) - start.GetXAt(0), start.GetYAt(0.6) - start.GetYAt(0),
                        end.GetXAt(0.6) - end.GetXAt(0), end.GetYAt(0.6) - end.GetYAt(0)}));
  // No points or no Bezier: no displacement.
  in.startPointHasPoints = false;
  in.endPointBezier = nullptr;
  v = frameOf(Settings{}, in);
  EXPECT_EQ((std::array{v.startDisplacementX, v.startDisplacementY, v.endDisplacementX, v.endDisplacementY}),
            (std::array{0.0, 0.0, 0.0, 0.0}));
}

TEST(FrameMakerFailures, ANonFiniteValueEndsTheAnimationNamingIt) {
  // 1.7e308 * pi/2 overflows and sin of infinity is no number; at frame 1
  // the phase is 0 and all is well.
  Settings s;
  s.wave(Wave::Bumps).RepeatEnd = 1.7e308;
  EXPECT_EQ(errorOf(s, frame(2, 4)), "The animation stopped at frame 2: the end bumps is not a finite number.");
  EXPECT_EQ(frameOf(s, frame(1, 4)).endBumps, 0);
  // The first that fails is named, in the order of working.
  FrameValues previous;
  previous.offsetEnd[kRotationAngle] = kNaN;
  const std::tuple<const char*, const FrameValues*, double, std::string> cases[] = {
      // The radius change is in hundreds; the bumps overflow too, later.
      {"AnimationChangeStartRadius=1e307 AnimationChangeEndBumps=1e308 AnimationEndBumpsSine=0 "
       "AnimationEndBumpsLinear=1",
       nullptr, 0, "start radius"},
      {"AnimationMainPathStartMinRepeat=1.7e308 AnimationMainPathEndMinRepeat=1.7e308 AnimationMainPathStartMin=10 "
       "AnimationMainPathEndMin=10",
       nullptr, 0, "main path start"},
      // 2 * A overflows.
      {"AnimationChangeRockAmount=1e308 AnimationRockAmountSine=0 AnimationRockAmountLinearReturn=1", nullptr, 0,
       "rock amount"},
      {"", nullptr, kNaN, "rotation point B y"},
      {"AnimationEndPARSine=0", &previous, 0, "end PAR"},
  };
  for (auto [keys, previousFrame, rotationBy, name] : cases) {
    Settings bad;
    test::setKeys(bad, keys);
    FrameInputs in = frame(2, 4);
    in.previous = previousFrame;
    in.rotation.by = rotationBy;
    const std::string error = errorOf(bad, in);
    EXPECT_NE(error.find("the " + name + " is"), std::string::npos) << error;
  }
  // Frames outside the series are refused, not computed.
  for (auto [f, frames] : {std::pair{0, 4}, {5, 4}, {1, 0}})
    EXPECT_FALSE(errorOf(Settings{}, frame(f, frames)).empty()) << f << " of " << frames;
}

// ---- a series of frames -----------------------------------------------------------

// A host with a window title and, when asked, the Points window's rotation fields.
struct FramesHost : test::RecordingHost {
  std::string title = "Zorva259";
  std::optional<std::array<std::string, 4>> rotation;
  void windowTitle(const std::string& t) override { title = t; }
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
  EXPECT_EQ(host.title, "Zorva259");  // the window title is back
  EXPECT_FALSE(engine.isAnimating() || animation.running());
  // Back to idle: Draw draws again, with no phase and no offset fraction.
  engine.settings.NewColor = true;
  engine.DrawOrStop();
  EXPECT_EQ(drawings, 4);
  EXPECT_TRUE(engine.frame().AnimationPhase == 0 && engine.frame().AnimationOffsetFraction == 0);
}

TEST_F(FrameMaking, EachFrameDrawsWithItsWaveValues) {
  // Bumps 50 + 10 sin(theta), theta = 0, pi/2, pi, 3 pi/2.
  test::setKeys(engine.settings, "StartBumps=50 AnimationChangeStartBumps=10");
  std::vector<double> bumps;
  engine.onStep = [&](int i) {
    if (i == 0) bumps.push_back(engine.frame().startBumps);  // what the drawing reads
  };
  make(4);
  EXPECT_EQ(bumps, (std::vector<double>{50, 60, 50, 40}));
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
