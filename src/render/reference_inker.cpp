#include "render/reference_inker.h"

#include <algorithm>
#include <cmath>

#include "base/math_util.h"

namespace zorva {

namespace {

// The colour vector of one pixel inked into it; false on an arithmetic failure.
bool inkOne(Canvas& canvas, const InkStep& ink, int px, int py, const double term[3], double sourceWeight,
            double weight, double z, DrawStats& stats) {
  double col[3];
  pixelColour(ink, term, sourceWeight, weight, z, col);
  const std::size_t at = canvas.pixel(px, py);
  ++stats.pixelUpdates;
  return inkPixel(&canvas.color[at * 3], canvas.firstStep[at], col, ink.rules);
}

}  // namespace

bool addColorToPixels(Canvas& canvas, const InkStep& ink, const PixelMapper& pixels, double x, double y, double size,
                      std::int32_t k, std::int32_t N, double z, DrawStats& stats) {
  if (ink.old246) return addColorToPixels246(canvas, ink, pixels, x, y, size, k, N, z, stats);
  const Splodge& sp = ink.splodge;
  const bool source = ink.colouring == Colouring::Source;
  const auto term = colourTerm(ink, k, N, x, y);
  // Only offsets whose pixel can be on the canvas are visited; the others
  // would be skipped anyway.
  const double R = std::floor(size);
  if (!(R >= 0)) return true;
  const long long px0 = pixels.column(x), py0 = pixels.row(y);
  const long long r = R > 1e9 ? 1000000000LL : static_cast<long long>(R);
  const long long dxLo = std::max(-r, -px0), dxHi = std::min(r, canvas.W - 1 - px0);
  const long long dyLo = std::max(-r, -py0), dyHi = std::min(r, canvas.H - 1 - py0);
  for (long long dx = dxLo; dx <= dxHi; ++dx) {
    for (long long dy = dyLo; dy <= dyHi; ++dy) {
      double w;
      if (!splodgeWeight(getDistanceOfPoint(static_cast<double>(dx), static_cast<double>(dy)), sp, w)) continue;
      const int px = static_cast<int>(px0 + dx), py = static_cast<int>(py0 + dy);
      if (!canvas.onCanvas(px, py)) continue;
      const double sourceWeight = ink.rules.opaque ? 1 : w;
      const double weight = source ? 0 : intensityWeight(w, sp.fuzzy);
      if (!inkOne(canvas, ink, px, py, term.data(), sourceWeight, weight, z, stats)) return false;
    }
  }
  return true;
}

bool addColorToPixels246(Canvas& canvas, const InkStep& ink, const PixelMapper& pixels, double x, double y, double size,
                         std::int32_t k, std::int32_t N, double z, DrawStats& stats) {
  const double Nd = roundEven(size);
  const double S = ink.scale, Wd = canvas.W, Hd = canvas.H;
  const double p = 2 * S / Wd;
  const double L = ((2 * S / Wd + 2 * S / Hd) / 2) * size;
  // Nothing is inked for N < 0 or a limit that no distance is below (which
  // also covers scales of 0 or less, where the pixels would not grow with i).
  if (!(Nd >= 0) || !(L > 0)) return true;
  if (Nd > 2147483647.0) return false;  // more sub-points than an integer counts
  const auto term = colourTerm(ink, k, N, x, y);
  const bool alternative = ink.colouring == Colouring::Alternative;
  const SubPointRange cols = subPointRange([&](double v) { return pixels.column(v); }, x, Nd, p, canvas.W);
  const SubPointRange rows = subPointRange([&](double v) { return pixels.row(v); }, y, Nd, p, canvas.H);
  for (long long i = cols.lo; i <= cols.hi; ++i) {
    const double ox = subPointOffset(i, Nd, p);
    for (long long j = rows.lo; j <= rows.hi; ++j) {
      const double oy = subPointOffset(j, Nd, p);
      const double d = getDistanceOfPoint(ox, oy);
      if (!(d < L)) continue;
      const int px = pixels.column(x + ox), py = pixels.row(y + oy);
      if (!canvas.onCanvas(px, py)) continue;
      // The older inking takes the source sample and the alternative colour without the weight.
      const double weight = alternative ? 1 : oldInkWeight(d, L);
      if (!inkOne(canvas, ink, px, py, term.data(), 1, weight, z, stats)) return false;
    }
  }
  return true;
}

}  // namespace zorva
