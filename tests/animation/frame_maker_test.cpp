#include "animation/frame_maker.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "base/math_util.h"

namespace zorva {
namespace {

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FrameValues frameOf(const Settings& s, FrameInputs in) {
  auto result = makeFrameValues(s, in);
  if (auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<FrameValues>(result);
}

FrameValues frame(const Settings& s, std::int32_t f, std::int32_t frames) {
  FrameInputs in;
  in.frame = f;
  in.frames = frames;
  return frameOf(s, in);
}

std::string errorOf(const Settings& s, FrameInputs in) {
  auto result = makeFrameValues(s, in);
  if (auto* error = std::get_if<std::string>(&result)) return *error;
  ADD_FAILURE() << "frame " << in.frame << " was made";
  return "";
}

// Only one wave form checked for the start bumps.
void setStartBumpsForm(Settings& s, WaveForm form) {
  AnimationWave& w = s.wave(Wave::Bumps);
  w.StartSine = form == WaveForm::Sine;
  w.StartLinear = form == WaveForm::Linear;
  w.StartLinearReturn = form == WaveForm::LinearReturn;
}

std::vector<double> startBumpsOverFrames(const Settings& s, std::int32_t frames) {
  std::vector<double> values;
  for (std::int32_t f = 1; f <= frames; ++f) values.push_back(frame(s, f, frames).startBumps);
  return values;
}

// Every value of a frame but its phase, AnimationPhase and AnimationPhaseSine.
std::vector<double> valuesBesidesThePhase(const FrameValues& v) {
  std::vector<double> all = {v.startRadius, v.endRadius, v.startAngle, v.endAngle, v.startBumps, v.endBumps};
  for (double x : {v.startDepth,
                   v.endDepth,
                   v.startX,
                   v.endX,
                   v.startY,
                   v.endY,
                   v.rockAmount,
                   v.startRockAngle,
                   v.endRockAngle,
                   v.rotateAX,
                   v.rotateAY,
                   v.rotateBX,
                   v.rotateBY,
                   v.startDisplacementX,
                   v.startDisplacementY,
                   v.endDisplacementX,
                   v.endDisplacementY,
                   v.mainPathStart,
                   v.mainPathEnd,
                   v.AnimationOffsetFraction,
                   v.useOffset ? 1.0 : 0.0})
    all.push_back(x);
  all.insert(all.end(), v.offsetStart.begin(), v.offsetStart.end());
  all.insert(all.end(), v.offsetEnd.begin(), v.offsetEnd.end());
  return all;
}

void expectValues(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_DOUBLE_EQ(actual[i], expected[i]) << "frame " << i + 1;
}

TEST(FrameMakerFrames, NumberOfFramesIsKeptWithinOneTo2000) {
  for (auto [n, kept] : {std::pair{0, 1}, {kMinInt, 1}, {1, 1}, {10, 10}, {2000, 2000}, {2001, 2000}, {kMaxInt, 2000}})
    EXPECT_EQ(frameCount(n), kept) << n;
}

TEST(FrameMakerFrames, FractionPhaseAndFrac) {
  EXPECT_EQ(frameFraction(1, 4), 0.25);
  EXPECT_EQ(framePhase(1, 4), 0.0);
  EXPECT_EQ(framePhase(4, 4), 3 * kPi / 2);
  EXPECT_EQ(frac(2.75), 0.75);
  EXPECT_EQ(frac(-0.25), 0.75);
  EXPECT_EQ(frac(-3.0), 0.0);
}

TEST(FrameMakerWaves, TheThreeFormsOverFourFrames) {
  Settings s;
  s.StartBumps = 50;
  s.wave(Wave::Bumps).ChangeStart = 10;
  s.wave(Wave::Bumps).RepeatStart = 1;
  setStartBumpsForm(s, WaveForm::Sine);
  expectValues(startBumpsOverFrames(s, 4), {50, 60, 50, 40});  // theta = 0, pi/2, pi, 3 pi/2
  setStartBumpsForm(s, WaveForm::Linear);
  expectValues(startBumpsOverFrames(s, 4), {52.5, 55, 57.5, 50});  // u = 0.25 .. 1, frac(1) = 0
  setStartBumpsForm(s, WaveForm::LinearReturn);
  expectValues(startBumpsOverFrames(s, 4), {55, 60, 55, 50});  // g = 0.25, 0.5, 0.75, 0

  // The repeat multiplies the phase: two periods over the four frames.
  s.wave(Wave::Bumps).RepeatStart = 2;
  setStartBumpsForm(s, WaveForm::Sine);
  expectValues(startBumpsOverFrames(s, 4), {50, 50, 50, 50});
  setStartBumpsForm(s, WaveForm::Linear);
  expectValues(startBumpsOverFrames(s, 4), {55, 50, 55, 50});
  setStartBumpsForm(s, WaveForm::LinearReturn);
  expectValues(startBumpsOverFrames(s, 4), {60, 50, 60, 50});
  // A negative amplitude moves the other way.
  s.wave(Wave::Bumps).ChangeStart = -10;
  s.wave(Wave::Bumps).RepeatStart = 1;
  expectValues(startBumpsOverFrames(s, 4), {45, 40, 45, 50});
}

TEST(FrameMakerWaves, SeveralFormsCheckedTakeTheFirstOfSineLinearLinearReturn) {
  EXPECT_EQ(chosenWaveForm(true, true, true), WaveForm::Sine);
  EXPECT_EQ(chosenWaveForm(false, true, true), WaveForm::Linear);
  EXPECT_EQ(chosenWaveForm(false, false, true), WaveForm::LinearReturn);
  EXPECT_EQ(chosenWaveForm(false, false, false), WaveForm::None);

  Settings s;
  s.StartBumps = 50;
  AnimationWave& w = s.wave(Wave::Bumps);
  w.ChangeStart = 10;
  w.StartSine = false;
  w.StartLinear = true;
  w.StartLinearReturn = true;
  EXPECT_DOUBLE_EQ(frame(s, 1, 4).startBumps, 52.5);
}

TEST(FrameMakerWaves, AHugePhaseGivesSineZero) {
  // sin of an argument of 2^63 or more is 0: the value stays at its base.
  Settings s;
  s.StartBumps = 50;
  s.wave(Wave::Bumps).ChangeStart = 10;
  s.wave(Wave::Bumps).RepeatStart = 1e20;
  EXPECT_EQ(frame(s, 2, 4).startBumps, 50);
  EXPECT_EQ(waveValue(WaveForm::Sine, 50, 10, 1e20, 0.25, kPi / 2), 50);
}

TEST(FrameMakerWaves, EveryWaveMovesItsOwnWorkingCopy) {
  // Linear waves at u = 0.5 move the start values by half their change and,
  // with repeat 0.5, the end values by a quarter; every change is different,
  // so a value fed from the wrong wave shows.
  Settings s;
  s.StartRadius = 110;
  s.EndRadius = 120;
  s.StartIota = 3;
  s.EndIota = 4;
  s.StartBumps = 5;
  s.EndBumps = 6;
  s.StartDepth = 7;
  s.EndDepth = 8;
  s.StartEllipseWidth = 0.5;
  s.EndEllipseWidth = 1.5;
  s.StartEllipseHeight = 2.5;
  s.EndEllipseHeight = 3.5;
  for (int i = 0; i < kWaveCount; ++i) {
    AnimationWave& w = s.Waves[static_cast<std::size_t>(i)];
    w.ChangeStart = 2 * (i + 1);
    w.ChangeEnd = 2 * (i + 101);
    w.RepeatEnd = 0.5;
    w.StartSine = w.EndSine = false;
    w.StartLinear = w.EndLinear = true;
  }
  s.AnimationChangeRockAmount = 1000;
  s.AnimationRockAmountSine = false;
  s.AnimationRockAmountLinear = true;
  s.AnimationRepeatRockAmount = 0.5;
  const FrameValues v = frame(s, 2, 4);
  // For wave number i (0-based): i + 1 at the start, (i + 101) / 2 at the end.
  EXPECT_EQ(v.startRadius, 110 + 100);  // the radius change counts in hundreds
  EXPECT_EQ(v.endRadius, 120 + 5050);
  EXPECT_EQ(v.startAngle, 3 + 2);
  EXPECT_EQ(v.endAngle, 4 + 51);
  EXPECT_EQ(v.startBumps, 5 + 3);
  EXPECT_EQ(v.endBumps, 6 + 51.5);
  EXPECT_EQ(v.startDepth, 7 + 4);
  EXPECT_EQ(v.endDepth, 8 + 52);
  EXPECT_EQ(v.startX, 0.5 + 5);
  EXPECT_EQ(v.endX, 1.5 + 52.5);
  EXPECT_EQ(v.startY, 2.5 + 6);
  EXPECT_EQ(v.endY, 3.5 + 53);
  EXPECT_EQ(v.rockAmount, 250);
  EXPECT_EQ(v.startRockAngle, 7);
  EXPECT_EQ(v.endRockAngle, 53.5);
  // SIRPS is wave 7; the offsets run in the same order to PAR.
  for (int k = 0; k < kAnimatedOffsetCount; ++k) {
    EXPECT_EQ(v.offsetStart[static_cast<std::size_t>(k)], 8 + k) << k;
    EXPECT_EQ(v.offsetEnd[static_cast<std::size_t>(k)], 54 + k / 2.0) << k;
  }
}

TEST(FrameMakerWaves, AValueWithNoFormKeepsItsPreviousWorkingCopy) {
  Settings s;
  s.StartBumps = 50;
  s.EndIota = 30;
  AnimationWave& bumps = s.wave(Wave::Bumps);
  bumps.ChangeStart = 10;
  bumps.StartSine = false;
  s.wave(Wave::Angle).EndSine = false;
  s.wave(Wave::PTY).StartSine = false;
  s.AnimationRockAmountSine = false;
  // Never set: the base, the setting or 0.
  FrameValues v = frame(s, 2, 4);
  EXPECT_EQ(v.startBumps, 50);
  EXPECT_EQ(v.endAngle, 30);
  EXPECT_EQ(v.offsetStart[kTranslationY], 0);
  EXPECT_EQ(v.rockAmount, 0);
  // Set before: kept as it was, whatever the frame.
  FrameValues previous;
  previous.startBumps = 7;
  previous.endAngle = -4;
  previous.offsetStart[kTranslationY] = 0.25;
  previous.rockAmount = 9;
  previous.startRadius = 12345;  // its wave is checked, so this is not used
  FrameInputs in;
  in.frame = 3;
  in.frames = 4;
  in.previous = &previous;
  v = frameOf(s, in);
  EXPECT_EQ(v.startBumps, 7);
  EXPECT_EQ(v.endAngle, -4);
  EXPECT_EQ(v.offsetStart[kTranslationY], 0.25);
  EXPECT_EQ(v.rockAmount, 9);
  EXPECT_EQ(v.startRadius, 100);  // 100 + 0 * sin(pi)
}

TEST(FrameMakerWaves, AllChangesZeroGiveTheSameValuesEveryFrame) {
  Settings s;
  s.StartRadius = 70;
  s.EndBumps = 9;
  s.StartEllipseHeight = 2.5;
  // Assorted forms and repeats; none may matter with no change.
  for (int i = 0; i < kWaveCount; ++i) {
    AnimationWave& w = s.Waves[static_cast<std::size_t>(i)];
    w.RepeatStart = i + 0.5;
    w.RepeatEnd = 3 - i;
    w.StartLinearReturn = i % 2 == 0;
    w.EndSine = i % 3 != 0;
    w.EndLinear = true;
  }
  s.AnimationRepeatRockAmount = 7;
  const FrameValues first = frame(s, 1, 7);
  EXPECT_EQ(first.startRadius, 70);
  EXPECT_EQ(first.endBumps, 9);
  EXPECT_EQ(first.startY, 2.5);
  for (std::int32_t f = 2; f <= 7; ++f) {
    const FrameValues v = frame(s, f, 7);
    EXPECT_NE(v.AnimationPhase, first.AnimationPhase);  // only the phase itself moves
    EXPECT_EQ(valuesBesidesThePhase(v), valuesBesidesThePhase(first)) << f;
  }
}

TEST(FrameMakerMainPath, EachKeyRunsFromItsStartToItsEndOverTheFrames) {
  // At u = 0.75 (frame 3 of 4, theta = pi): m = 0.75 * 60 + 0.25 * 20 = 50,
  // M = 0.75 * 70 + 0.25 * 90 = 75, and both repeats 0.75 * 0.5 + 0.25 * 2.5
  // = 1, so cos = -1 (taken the other way round they would be 2 and cos 1).
  Settings s;
  s.AnimationMainPathStartMin = 20;
  s.AnimationMainPathEndMin = 60;
  s.AnimationMainPathStartMax = 90;
  s.AnimationMainPathEndMax = 70;
  s.AnimationMainPathStartMinRepeat = s.AnimationMainPathStartMaxRepeat = 2.5;
  s.AnimationMainPathEndMinRepeat = s.AnimationMainPathEndMaxRepeat = 0.5;
  const FrameValues v = frame(s, 3, 4);
  EXPECT_EQ(v.mainPathStart, 50);  // 25 - 25 cos(pi)
  EXPECT_EQ(v.mainPathEnd, 75);    // 87.5 + 12.5 cos(pi)
  // The defaults use the whole path in every frame.
  for (std::int32_t f = 1; f <= 5; ++f) {
    EXPECT_EQ(frame(Settings{}, f, 5).mainPathStart, 0);
    EXPECT_EQ(frame(Settings{}, f, 5).mainPathEnd, 100);
  }
}

TEST(FrameMakerPhase, PhaseSineAndOffsetFraction) {
  Settings s;
  EXPECT_EQ(frame(s, 4, 4).AnimationPhaseSine, -1);  // what the drawings after an animation of 4 keep
  EXPECT_EQ(frame(s, 2, 4).AnimationPhaseSine, 1);
  EXPECT_EQ(frame(s, 3, 4).AnimationPhase, kPi);

  FrameInputs in;
  in.frames = 4;
  in.frame = 2;
  s.AnimationOffset = 3;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0);  // "Offset?" unchecked
  in.offsetChecked = true;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.5);  // frac(3 * 0.5)
  in.frame = 1;
  EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.75);
  for (std::int32_t below : {0, -5, kMinInt}) {
    s.AnimationOffset = below;  // counts as 1
    EXPECT_EQ(frameOf(s, in).AnimationOffsetFraction, 0.25) << below;
  }
}

TEST(FrameMakerInputs, RotationPointsAndUseOffsetPassThrough) {
  FrameInputs in;
  in.frames = 3;
  in.frame = 2;
  in.rotation = {1.5, -2.5, 3.25, 4};
  in.useOffset = true;
  const FrameValues v = frameOf(Settings{}, in);
  EXPECT_EQ((std::array<double, 4>{v.rotateAX, v.rotateAY, v.rotateBX, v.rotateBY}),
            (std::array<double, 4>{1.5, -2.5, 3.25, 4}));
  EXPECT_TRUE(v.useOffset);
  in.useOffset = false;
  EXPECT_FALSE(frameOf(Settings{}, in).useOffset);
}

TEST(FrameMakerInputs, CurveDisplacementsAreTheMoveSinceTheCurvesStart) {
  qCurve startCurve, endCurve, shortCurve;
  for (int i = 0; i < 6; ++i) {
    startCurve.AddPoint(10 + i, 20 - 2 * i * i);
    endCurve.AddPoint(-i * i, 3 * i);
  }
  for (int i = 0; i < 4; ++i) shortCurve.AddPoint(i, i);
  qBezier startBezier, endBezier, shortBezier;
  buildBezier(startBezier, startCurve, false);
  buildBezier(endBezier, endCurve, false);
  buildBezier(shortBezier, shortCurve, false);

  FrameInputs in;
  in.frames = 5;
  in.frame = 3;  // u = 0.6
  in.startPointBezier = &startBezier;
  in.startPointHasPoints = true;
  in.endPointBezier = &endBezier;
  in.endPointHasPoints = true;
  FrameValues v = frameOf(Settings{}, in);
  EXPECT_EQ(v.startDisplacementX, startBezier.GetXAt(0.6) - startBezier.GetXAt(0));
  EXPECT_EQ(v.startDisplacementY, startBezier.GetYAt(0.6) - startBezier.GetYAt(0));
  EXPECT_EQ(v.endDisplacementX, endBezier.GetXAt(0.6) - endBezier.GetXAt(0));
  EXPECT_EQ(v.endDisplacementY, endBezier.GetYAt(0.6) - endBezier.GetYAt(0));
  // The last frame reaches the curves' last points.
  in.frame = 5;
  v = frameOf(Settings{}, in);
  EXPECT_DOUBLE_EQ(v.startDisplacementX, 5);
  EXPECT_DOUBLE_EQ(v.startDisplacementY, -50);
  EXPECT_DOUBLE_EQ(v.endDisplacementX, -25);
  EXPECT_DOUBLE_EQ(v.endDisplacementY, 15);

  // No points, no Bezier, or a curve of 1 to 4 points: no displacement.
  in.startPointHasPoints = false;
  in.endPointBezier = nullptr;
  v = frameOf(Settings{}, in);
  EXPECT_EQ((std::array<double, 3>{v.startDisplacementX, v.endDisplacementX, v.endDisplacementY}),
            (std::array<double, 3>{0, 0, 0}));
  in.startPointBezier = &shortBezier;
  in.startPointHasPoints = true;
  EXPECT_EQ(frameOf(Settings{}, in).startDisplacementY, 0);
}

TEST(FrameMakerFailures, ANonFiniteValueEndsTheAnimationNamingIt) {
  FrameInputs in;
  in.frames = 4;
  in.frame = 2;
  {
    // 1.7e308 * pi/2 overflows, and sin of infinity is not a number; at
    // frame 1 the phase is 0 and all is well.
    Settings s;
    s.wave(Wave::Bumps).RepeatEnd = 1.7e308;
    EXPECT_EQ(errorOf(s, in), "The animation stopped at frame 2: the end bumps is not a finite number.");
    in.frame = 1;
    EXPECT_EQ(frameOf(s, in).endBumps, 0);
    in.frame = 2;
  }
  {
    Settings s;  // 1e307 * 100 overflows
    s.wave(Wave::Radius).ChangeStart = 1e307;
    s.wave(Wave::Bumps).ChangeEnd = 1e308;
    s.wave(Wave::Bumps).EndLinear = true;
    s.wave(Wave::Bumps).EndSine = false;
    s.StartBumps = 0;
    EXPECT_NE(errorOf(s, in).find("the start radius is"), std::string::npos);  // the first one is named
  }
  {
    Settings s;
    s.AnimationMainPathStartMinRepeat = 1.7e308;
    s.AnimationMainPathEndMinRepeat = 1.7e308;
    s.AnimationMainPathStartMin = 10;
    s.AnimationMainPathEndMin = 10;
    EXPECT_NE(errorOf(s, in).find("the main path start is"), std::string::npos);
  }
  {
    Settings s;
    s.AnimationChangeRockAmount = 1e308;
    s.AnimationRockAmountSine = false;
    s.AnimationRockAmountLinearReturn = true;  // 2 * A overflows
    EXPECT_NE(errorOf(s, in).find("the rock amount is"), std::string::npos);
  }
  {
    FrameInputs bad = in;
    bad.rotation.by = kNaN;
    EXPECT_NE(errorOf(Settings{}, bad).find("the rotation point B y is"), std::string::npos);
  }
  {
    FrameValues previous;
    previous.offsetEnd[kRotationAngle] = kNaN;
    Settings s;
    s.wave(Wave::PAR).EndSine = false;
    FrameInputs kept = in;
    kept.previous = &previous;
    EXPECT_NE(errorOf(s, kept).find("the end PAR is"), std::string::npos);
  }
  // Frames outside the series are refused, not computed.
  for (auto [f, frames] : std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 4}, {5, 4}, {1, 0}, {kMinInt, -1}}) {
    FrameInputs outside;
    outside.frame = f;
    outside.frames = frames;
    EXPECT_FALSE(errorOf(Settings{}, outside).empty()) << f << " of " << frames;
  }
}

}  // namespace
}  // namespace zorva
