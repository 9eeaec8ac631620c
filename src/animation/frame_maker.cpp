#include "animation/frame_maker.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>

#include "base/math_util.h"

namespace zorva {

std::int32_t frameCount(std::int32_t NumberOfFrames) { return std::clamp(NumberOfFrames, kMinFrames, kMaxFrames); }

double frac(double x) { return x - std::floor(x); }

double frameFraction(std::int32_t f, std::int32_t frames) {
  return static_cast<double>(f) / static_cast<double>(frames);
}

double framePhase(std::int32_t f, std::int32_t frames) {
  return ((static_cast<double>(f) - 1) * kTwoPi) / static_cast<double>(frames);
}

WaveForm chosenWaveForm(bool sine, bool linear, bool linearReturn) {
  if (sine) return WaveForm::Sine;
  if (linear) return WaveForm::Linear;
  if (linearReturn) return WaveForm::LinearReturn;
  return WaveForm::None;
}

double waveValue(WaveForm form, double b, double A, double r, double u, double theta) {
  switch (form) {
    case WaveForm::Sine:
      return b + A * sinZ(r * theta);
    case WaveForm::Linear:
      return b + A * frac(r * u);
    case WaveForm::LinearReturn: {
      const double g = frac(r * u);
      if (g < 0.5) return b + (2 * A) * g;
      return (b + A) - (2 * A) * (g - 0.5);
    }
    case WaveForm::None:
      break;
  }
  return b;
}

namespace {

using Check = std::function<void(const std::string& name, double value)>;

// Every animated working copy, in the order the frame maker sets them: its
// wave, or what it was when none of its forms is checked.
void animateValues(const Settings& s, double u, double theta, const FrameValues& kept, FrameValues& v,
                   const Check& check) {
  auto animate = [&](const std::string& name, double& out, double previous, double b, double A, double r,
                     WaveForm form) {
    out = form == WaveForm::None ? previous : waveValue(form, b, A, r, u, theta);
    check(name, out);
  };
  // A start/end pair of one wave; only the radius change is in hundreds.
  auto pair = [&](const std::string& name, Wave w, double& start, double& end, double keptStart, double keptEnd,
                  double startBase, double endBase, double scale) {
    const AnimationWave& a = s.wave(w);
    animate("start " + name, start, keptStart, startBase, a.ChangeStart * scale, a.RepeatStart,
            chosenWaveForm(a.StartSine, a.StartLinear, a.StartLinearReturn));
    animate("end " + name, end, keptEnd, endBase, a.ChangeEnd * scale, a.RepeatEnd,
            chosenWaveForm(a.EndSine, a.EndLinear, a.EndLinearReturn));
  };
  const FrameValues& k = kept;
  pair("radius", Wave::Radius, v.startRadius, v.endRadius, k.startRadius, k.endRadius, s.StartRadius, s.EndRadius, 100);
  pair("angle", Wave::Angle, v.startAngle, v.endAngle, k.startAngle, k.endAngle, s.StartIota, s.EndIota, 1);
  pair("bumps", Wave::Bumps, v.startBumps, v.endBumps, k.startBumps, k.endBumps, s.StartBumps, s.EndBumps, 1);
  pair("smooth", Wave::Smooth, v.startDepth, v.endDepth, k.startDepth, k.endDepth, s.StartDepth, s.EndDepth, 1);
  pair("x", Wave::X, v.startX, v.endX, k.startX, k.endX, s.StartEllipseWidth, s.EndEllipseWidth, 1);
  pair("y", Wave::Y, v.startY, v.endY, k.startY, k.endY, s.StartEllipseHeight, s.EndEllipseHeight, 1);
  animate("rock amount", v.rockAmount, k.rockAmount, 0, s.AnimationChangeRockAmount, s.AnimationRepeatRockAmount,
          chosenWaveForm(s.AnimationRockAmountSine, s.AnimationRockAmountLinear, s.AnimationRockAmountLinearReturn));
  pair("rock angle", Wave::RockAngle, v.startRockAngle, v.endRockAngle, k.startRockAngle, k.endRockAngle, 0, 0, 1);
  // The nine offsets follow the waves from SIRPS on, in the same order.
  static_assert(static_cast<int>(Wave::PAR) - static_cast<int>(Wave::SIRPS) + 1 == kAnimatedOffsetCount);
  for (int i = 0; i < kAnimatedOffsetCount; ++i) {
    const Wave w = static_cast<Wave>(static_cast<int>(Wave::SIRPS) + i);
    const auto j = static_cast<std::size_t>(i);
    pair(kWaveNames[static_cast<std::size_t>(w)], w, v.offsetStart[j], v.offsetEnd[j], k.offsetStart[j], k.offsetEnd[j],
         0, 0, 1);
  }
}

// x at u minus x at 0 (and y) of a slot's Bezier; nothing without a curve.
void displacement(const qBezier* bezier, bool hasPoints, double u, double& dx, double& dy) {
  dx = dy = 0;
  if (bezier == nullptr || !hasPoints) return;
  dx = bezier->GetXAt(u) - bezier->GetXAt(0);
  dy = bezier->GetYAt(u) - bezier->GetYAt(0);
}

}  // namespace

std::variant<FrameValues, std::string> makeFrameValues(const Settings& settings, const FrameInputs& in) {
  const std::string frameText = std::to_string(in.frame);
  if (in.frames < 1 || in.frame < 1 || in.frame > in.frames)
    return "There is no frame " + frameText + " of " + std::to_string(in.frames) + ".";
  // The first value that is not a finite number, in the order of working.
  std::optional<std::string> failed;
  auto check = [&](const std::string& name, double value) {
    if (!failed && !std::isfinite(value)) failed = name;
  };

  FrameValues v;
  const double u = frameFraction(in.frame, in.frames);
  const double offset = std::max<std::int32_t>(settings.AnimationOffset, 1);
  v.AnimationOffsetFraction = in.offsetChecked ? frac(offset * u) : 0;
  check("offset fraction", v.AnimationOffsetFraction);
  const double theta = framePhase(in.frame, in.frames);
  v.AnimationPhase = theta;
  check("phase", theta);

  const Settings& s = settings;
  const double m = Interpolate(1, u, 0, s.AnimationMainPathEndMin, s.AnimationMainPathStartMin);
  const double M = Interpolate(1, u, 0, s.AnimationMainPathEndMax, s.AnimationMainPathStartMax);
  const double rm = Interpolate(1, u, 0, s.AnimationMainPathEndMinRepeat, s.AnimationMainPathStartMinRepeat);
  const double rM = Interpolate(1, u, 0, s.AnimationMainPathEndMaxRepeat, s.AnimationMainPathStartMaxRepeat);
  v.mainPathStart = m / 2 - (m / 2) * cosZ(rm * theta);
  check("main path start", v.mainPathStart);
  v.mainPathEnd = (100 + M) / 2 + ((100 - M) / 2) * cosZ(rM * theta);
  check("main path end", v.mainPathEnd);
  v.useOffset = in.useOffset;

  // Never set: the values of a drawing outside an animation, that is the
  // settings for radius .. y and 0 for the rest.
  const FrameValues kept = in.previous != nullptr ? *in.previous : stillFrame(s, 0);
  animateValues(s, u, theta, kept, v, check);

  v.rotateAX = in.rotation.ax;
  v.rotateAY = in.rotation.ay;
  v.rotateBX = in.rotation.bx;
  v.rotateBY = in.rotation.by;
  check("rotation point A x", v.rotateAX);
  check("rotation point A y", v.rotateAY);
  check("rotation point B x", v.rotateBX);
  check("rotation point B y", v.rotateBY);
  displacement(in.startPointBezier, in.startPointHasPoints, u, v.startDisplacementX, v.startDisplacementY);
  displacement(in.endPointBezier, in.endPointHasPoints, u, v.endDisplacementX, v.endDisplacementY);
  check("start point displacement x", v.startDisplacementX);
  check("start point displacement y", v.startDisplacementY);
  check("end point displacement x", v.endDisplacementX);
  check("end point displacement y", v.endDisplacementY);
  v.AnimationPhaseSine = sinZ(theta);
  check("phase sine", v.AnimationPhaseSine);

  if (failed) return "The animation stopped at frame " + frameText + ": the " + *failed + " is not a finite number.";
  return v;
}

}  // namespace zorva
