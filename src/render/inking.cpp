// The reference inker: one point at a time, every formula as written. The
// fast inker (fast_path.cpp) must leave exactly the same buffers.
#include <cmath>

#include "render/engine.h"
#include "render/ink_pixel.h"
#include "render/inking_support.h"
#include "base/math_util.h"

namespace zorva {

InkRules Engine::inkRules(int stepIndex, int steps, bool old246) const {
  const Settings& s = settings;
  InkRules r;
  r.white = s.White;
  r.bestGuess = s.BestGuess;
  r.limits = s.UseColorsAsLimits;
  r.interpolate = s.InterpolateColors;
  r.opaque = sourceInUse() && s.UseOpaquePixels;
  r.old246 = old246;
  r.base = s.White ? 255 : 0;
  r.threshold = stepIndex - steps * s.SourceImageOpacityThreshold;
  r.step = stepIndex;
  for (int c = 0; c < 3; ++c) {
    r.amount[c] = StepAmount[static_cast<std::size_t>(c)];
    r.color[c] = StepColor[static_cast<std::size_t>(c)];
  }
  return r;
}

std::array<double, 3> Engine::alternativeColor(int stepIndex, int steps, int k, int N, double x, double y,
                                               double w) const {
  const auto base = alternativeColorBase(settings, MultiplierValues, animation.AnimationPhase, stepIndex, steps, k, N, x, y);
  return {base[0] * w, base[1] * w, base[2] * w};
}

std::array<double, 3> Engine::sourceSample(int stepIndex, int steps, int k, int N, double w, double q) const {
  const auto term = sourceTerm(stepIndex, steps, k, N);
  return {term[0] * w / q, term[1] * w / q, term[2] * w / q};
}

// The source sample before its weight: the bilinear colour, or its
// complement in Subtract mode.
std::array<double, 3> Engine::sourceTerm(int stepIndex, int steps, int k, int N) const {
  const Settings& s = settings;
  const double n = steps, x = stepIndex;
  const double t = static_cast<double>(k) / N;
  const double w = source_.w, h = source_.h;
  const double perStep = Interpolate(n, x, 0, s.SourceImageEndOffsetPerStep, s.SourceImageStartOffsetPerStep);
  const double overall = Interpolate(n, x, 0, s.SourceImageEndOffsetOverall, s.SourceImageStartOffsetOverall);
  const auto& add = step.animatedOffsets;  // repeat per step, repeat overall, offset per step, offset overall
  const double u = (perStep + add[2] - t) * w * (step.CurrentSourceThetaRepeat + add[0]);
  const double v = (x / n + overall + add[3]) * h * (step.CurrentSourceStepRepeat + add[1]);
  if (!std::isfinite(u) || !std::isfinite(v)) {
    const double nan = std::nan("");
    return {nan, nan, nan};
  }
  const double fu0 = std::floor(u), fv0 = std::floor(v);
  // ((floor mod size) + size) mod size, exact for any magnitude.
  const int c = static_cast<int>(std::fmod(std::fmod(fu0, w) + w, w));
  const int r = static_cast<int>(std::fmod(std::fmod(fv0, h) + h, h));
  const double fu = u - fu0, fv = v - fv0;
  const std::uint8_t* p00 = source_.entry(r, c);
  const std::uint8_t* p01 = source_.entry(r, c + 1);
  const std::uint8_t* p11 = source_.entry(r + 1, c + 1);
  const std::uint8_t* p10 = source_.entry(r + 1, c);
  std::array<double, 3> out{};
  for (int ch = 0; ch < 3; ++ch) {
    const double bil = p00[ch] * (1 - fu) * (1 - fv) + p01[ch] * fu * (1 - fv) + p11[ch] * fu * fv +
                       p10[ch] * (1 - fu) * fv;
    out[static_cast<std::size_t>(ch)] = s.White ? 255 - bil : bil;
  }
  return out;
}

// The point's colour vector times the dimmer and Z factors, inked into
// pixel (px, py); false (and the step ends) on an arithmetic failure.
bool Engine::inkWithFactors(int px, int py, std::array<double, 3> col, const InkRules& rules) {
  if (settings.UseDimmer)
    for (auto& v : col) v = v * DimmerFactor;
  for (auto& v : col) v = v * ZFactor;
  const std::size_t at = canvas_.pixel(px, py);
  ++stats.pixelUpdates;
  if (inkPixel(&canvas_.color[at * 3], canvas_.firstStep[at], col.data(), rules)) return true;
  inkFailed_ = true;
  return false;
}

void Engine::addColorToPixels(int stepIndex, int steps, double x, double y, double size, int pointIndex,
                              int pointCount) {
  if (settings.BoolInk246) {
    addColorToPixels246(stepIndex, steps, x, y, size, pointIndex, pointCount);
    return;
  }
  const Settings& s = settings;
  const InkRules rules = inkRules(stepIndex, steps, false);
  const double limit = step.CurrentSplodgeLimit, centre = step.CurrentSplodgeCenter, fuzzy = step.CurrentFuzzy;
  const bool source = sourceInUse();
  // Only offsets whose pixel can be on the canvas are visited; the others
  // would be skipped anyway.
  const double R = std::floor(size);
  if (!(R >= 0)) return;
  const long long px0 = getPixelFromReal('x', x), py0 = getPixelFromReal('y', y);
  const long long r = R > 1e9 ? 1000000000LL : static_cast<long long>(R);
  const long long dxLo = std::max(-r, -px0), dxHi = std::min(r, canvas_.W - 1 - px0);
  const long long dyLo = std::max(-r, -py0), dyHi = std::min(r, canvas_.H - 1 - py0);
  for (long long dx = dxLo; dx <= dxHi; ++dx) {
    for (long long dy = dyLo; dy <= dyHi; ++dy) {
      const double d = getDistanceOfPoint(static_cast<double>(dx), static_cast<double>(dy));
      const double e = std::max(0.0, d - centre);
      if (e > limit) continue;
      const int px = static_cast<int>(getPixelFromReal('x', x) + dx), py = static_cast<int>(getPixelFromReal('y', y) + dy);
      if (!pixelOnCanvas(px, py)) continue;
      double w = limit == 0 ? 0 : 1 - e / limit;
      std::array<double, 3> col;
      if (source) {
        if (s.UseOpaquePixels) w = 1;
        col = sourceSample(stepIndex, steps, pointIndex, pointCount, w, s.UseOpaquePixels ? 1 : 256);
      } else {
        if (fuzzy != 0 && w != 0)
          w = std::pow(w, 1 / fuzzy);
        else
          w = 0;
        col = s.NewColor ? alternativeColor(stepIndex, steps, pointIndex, pointCount, x, y, w)
                         : std::array<double, 3>{w, w, w};
      }
      if (!inkWithFactors(px, py, col, rules)) return;
    }
  }
}

void Engine::addColorToPixels246(int stepIndex, int steps, double x, double y, double size, int pointIndex,
                                 int pointCount) {
  const Settings& s = settings;
  const InkRules rules = inkRules(stepIndex, steps, true);
  const double Nd = roundEven(size);
  const double S = CurrentScale, Wd = canvas_.W, Hd = canvas_.H;
  const double p = 2 * S / Wd;
  const double L = ((2 * S / Wd + 2 * S / Hd) / 2) * size;
  // Nothing is inked for N < 0 or a limit that no distance is below (which
  // also covers scales of 0 or less, where the pixels would not grow with i).
  if (!(Nd >= 0) || !(L > 0)) return;
  if (Nd > 2147483647.0) {
    inkFailed_ = true;  // more sub-points than an integer counts
    return;
  }
  const bool source = sourceInUse();
  const SubPointRange cols = subPointRange([&](double v) { return getPixelFromReal('x', v); }, x, Nd, p, canvas_.W);
  const SubPointRange rows = subPointRange([&](double v) { return getPixelFromReal('y', v); }, y, Nd, p, canvas_.H);
  for (long long i = cols.lo; i <= cols.hi; ++i) {
    const double ox = subPointOffset(i, Nd, p);
    for (long long j = rows.lo; j <= rows.hi; ++j) {
      const double oy = subPointOffset(j, Nd, p);
      const double d = getDistanceOfPoint(ox, oy);
      if (!(d < L)) continue;
      const int px = getPixelFromReal('x', x + ox), py = getPixelFromReal('y', y + oy);
      if (!pixelOnCanvas(px, py)) continue;
      const double w = (1 - d / L) * (1 - d / L);
      std::array<double, 3> col;
      if (source)
        col = sourceSample(stepIndex, steps, pointIndex, pointCount, 1, s.UseOpaquePixels ? 1 : 256);
      else if (s.NewColor)
        col = alternativeColor(stepIndex, steps, pointIndex, pointCount, x, y, 1);
      else
        col = {w, w, w};
      if (!inkWithFactors(px, py, col, rules)) return;
    }
  }
}

}  // namespace zorva
