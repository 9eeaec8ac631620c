// How much work a drawing will be, worked out before it starts, so that a
// drawing of hours can say so.
#include <algorithm>
#include <cmath>

#include "base/math_util.h"
#include "render/engine.h"

namespace zorva {

namespace {

constexpr double kSampledSteps = 4096;  // more steps are sampled evenly
// Rough speeds of one core, from the benchmarks: points worked out and
// pixels inked per second.
constexpr double kPointsPerSecond = 3e7;
constexpr double kUpdatesPerSecond = 4e8;

}  // namespace

double WorkEstimate::seconds(int threads) const {
  return (points / kPointsPerSecond + pixelUpdates / kUpdatesPerSecond) / std::max(1, threads);
}

double Engine::multiplierValue(int slot, double t) const {
  const MultiplierSlot& s = multiplierSlots_[static_cast<std::size_t>(slot)];
  if (s.curve.GetLength() < 1) return 1.0;
  if (!toggles_.useArctan2) return s.bezier.GetYAt(t) + 1.0;
  const double x = s.bezier.GetXAt(t);
  return x != 0 ? std::atan2(s.bezier.GetYAt(t), x) : 1.0;
}

WorkEstimate Engine::estimateWork() const {
  const Settings& s = settings;
  WorkEstimate work;
  if (s.Steps <= 0) return work;
  const double n = s.Steps;
  // The steps that draw: all but the last, up to the percentage, one in
  // twenty in preview.
  const double lastByPercent = std::ceil((n / 100.0) * s.PercentToComplete) + 1;
  const double last = std::min(n - 1, std::max(0.0, lastByPercent));
  const double wanted = last + 1;
  const double samples = std::min(wanted, kSampledSteps);
  const double W = std::max(1, canvas_.W > 0 ? canvas_.W : s.ImageWidth);
  const double H = std::max(1, canvas_.H > 0 ? canvas_.H : s.ImageHeight);
  for (double j = 0; j < samples; ++j) {
    const double i = std::floor(j * wanted / samples);
    if (toggles_.preview && !(i == 0 || std::fmod(i, 20) == 1)) continue;
    const double t = i / n;
    const double g =
        std::max(std::fabs(multiplierValue(kGrain, t)) * Interpolate(n, i, 0, s.EndGrain, s.StartGrain), 1.0);
    const double G = s.GrainMultiplier * g;
    if (!(G > 0 && G < 2147483648.0)) continue;
    const double points = std::floor(G) + 1;
    const double limit =
        std::fabs(Interpolate(n, i, 0, s.SplodgeEndLimit, s.SplodgeStartLimit)) * multiplierValue(kSplodgeSize, t);
    const double size = std::ceil(limit);
    double area;
    if (s.BoolInk246) {
      const double sub = std::nearbyint(size) + 1;  // sub-points a side, a third of a pixel apart
      area = std::min(sub, W / 0.35 + 1) * std::min(sub, H / 0.35 + 1);
    } else {
      const double side = 2 * std::floor(size) + 1;
      area = std::min(side, W) * std::min(side, H);
    }
    if (!std::isfinite(area) || area < 0) area = W * H;
    work.points += points;
    work.pixelUpdates += points * area;
  }
  const double scale = wanted / samples;
  work.steps = wanted;
  work.points *= scale;
  work.pixelUpdates *= scale;
  return work;
}

}  // namespace zorva
