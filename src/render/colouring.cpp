// The inking of a step from the settings and the driver's values, and the
// per-point colour terms: the alternative colouring and the source sample.
#include <cmath>

#include "base/math_util.h"
#include "render/ink_step.h"

namespace zorva {

InkStep makeInkStep(const Settings& s, const StepValues& v, const FrameValues& frame, const SourceImage& source,
                    std::int32_t step, std::int32_t steps) {
  InkStep ink;
  ink.step = step;
  ink.steps = steps;
  const bool sourceInUse = source.loaded() && s.UseSourceImage;
  InkRules& r = ink.rules;
  r.white = s.White;
  r.bestGuess = s.BestGuess;
  r.limits = s.UseColorsAsLimits;
  r.interpolate = s.InterpolateColors;
  r.opaque = sourceInUse && s.UseOpaquePixels;
  r.old246 = s.BoolInk246;
  r.base = s.White ? 255 : 0;
  r.threshold = step - steps * s.SourceImageOpacityThreshold;
  r.step = step;
  for (int c = 0; c < 3; ++c) {
    r.amount[c] = v.StepAmount[static_cast<std::size_t>(c)];
    r.color[c] = v.StepColor[static_cast<std::size_t>(c)];
  }
  ink.splodge = {v.CurrentSplodgeLimit, v.CurrentSplodgeCenter, v.CurrentFuzzy};
  ink.old246 = s.BoolInk246;
  ink.scale = v.CurrentScale;
  ink.useDimmer = s.UseDimmer;
  ink.dimmer = v.DimmerFactor;
  if (sourceInUse) {
    ink.colouring = Colouring::Source;
    SourceSampling& src = ink.source;
    const double n = steps, x = step;
    src.image = &source;
    src.white = s.White;
    src.perStep = Interpolate(n, x, 0, s.SourceImageEndOffsetPerStep, s.SourceImageStartOffsetPerStep);
    src.overall = Interpolate(n, x, 0, s.SourceImageEndOffsetOverall, s.SourceImageStartOffsetOverall);
    src.thetaRepeat = v.CurrentSourceThetaRepeat;
    src.stepRepeat = v.CurrentSourceStepRepeat;
    src.addRepeatPerStep = v.animatedOffsets[kRepeatPerStep];
    src.addRepeatOverall = v.animatedOffsets[kRepeatOverall];
    src.addOffsetPerStep = v.animatedOffsets[kOffsetPerStep];
    src.addOffsetOverall = v.animatedOffsets[kOffsetOverall];
    src.divisor = s.UseOpaquePixels ? 1 : 256;
  } else if (s.NewColor) {
    ink.colouring = Colouring::Alternative;
    AlternativeColouring& alt = ink.alternative;
    alt.oneOrTwo = s.OneOrTwo;
    alt.stepMultiplier = s.StepColorMultiplier;
    alt.thetaMultiplier = s.ThetaColorMultiplier;
    alt.mStep = v.MultiplierValues[kStepColor];
    alt.mTheta = v.MultiplierValues[kThetaColor];
    alt.phase = frame.AnimationPhase;
  }
  return ink;
}

namespace {

// The alternative colouring's vector before the pixel's weight.
std::array<double, 3> alternativeColour(const AlternativeColouring& alt, std::int32_t step, std::int32_t steps,
                                        std::int32_t k, std::int32_t N, double x, double y) {
  if (!alt.oneOrTwo) {
    const double phase = alt.phase;
    const double a = wrapMul(2, alt.stepMultiplier) * alt.mStep * step * kPi / steps + 2 * phase;
    const double b = wrapMul(2, alt.thetaMultiplier) * alt.mTheta * k * kPi / N + phase;
    return {1 - cosZ(phase - a + b), 1 - sinZ(phase + a - b), 1 - cosZ(phase + a + b)};
  }
  return {std::fabs(std::max(sinZ(x * y), cosZ(y * y))) / 2, std::fabs(std::max(sinZ(y * x), cosZ(x * x))) / 2,
          std::fabs(std::max(cosZ(x + y), sinZ(x * y)))};
}

// The source sample before its weight: the bilinear colour, or its
// complement in Subtract mode.
std::array<double, 3> sourceColour(const SourceSampling& src, std::int32_t step, std::int32_t steps, std::int32_t k,
                                   std::int32_t N) {
  const SourceImage& image = *src.image;
  const double n = steps, x = step;
  const double t = static_cast<double>(k) / N;
  const double w = image.w, h = image.h;
  const double u = (src.perStep + src.addOffsetPerStep - t) * w * (src.thetaRepeat + src.addRepeatPerStep);
  const double v = (x / n + src.overall + src.addOffsetOverall) * h * (src.stepRepeat + src.addRepeatOverall);
  if (!std::isfinite(u) || !std::isfinite(v)) {
    const double nan = std::nan("");
    return {nan, nan, nan};
  }
  const double fu0 = std::floor(u), fv0 = std::floor(v);
  // ((floor mod size) + size) mod size, exact for any magnitude.
  const int c = static_cast<int>(std::fmod(std::fmod(fu0, w) + w, w));
  const int r = static_cast<int>(std::fmod(std::fmod(fv0, h) + h, h));
  const double fu = u - fu0, fv = v - fv0;
  const std::uint8_t* p00 = image.entry(r, c);
  const std::uint8_t* p01 = image.entry(r, c + 1);
  const std::uint8_t* p11 = image.entry(r + 1, c + 1);
  const std::uint8_t* p10 = image.entry(r + 1, c);
  std::array<double, 3> out{};
  for (int ch = 0; ch < 3; ++ch) {
    const double bil =
        p00[ch] * (1 - fu) * (1 - fv) + p01[ch] * fu * (1 - fv) + p11[ch] * fu * fv + p10[ch] * (1 - fu) * fv;
    out[static_cast<std::size_t>(ch)] = src.white ? 255 - bil : bil;
  }
  return out;
}

}  // namespace

std::array<double, 3> colourTerm(const InkStep& ink, std::int32_t k, std::int32_t N, double x, double y) {
  switch (ink.colouring) {
    case Colouring::Source:
      return sourceColour(ink.source, ink.step, ink.steps, k, N);
    case Colouring::Alternative:
      return alternativeColour(ink.alternative, ink.step, ink.steps, k, N, x, y);
    case Colouring::Plain:
      break;
  }
  return {1, 1, 1};
}

}  // namespace zorva
