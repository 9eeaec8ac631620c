// The reference inker: one point at a time, every formula as written. The
// fast inker must leave exactly the same buffers.
#pragma once

#include <cstdint>

#include "render/canvas.h"
#include "render/ink_step.h"
#include "render/plane.h"

namespace zorva {

// Inks the splodge of the point (x, y), the k-th of the step's N, with shade
// z; size is the splodge size in whole pixels. With the older inking chosen
// it inks that way instead. Returns false when an arithmetic failure ends the
// step (the pixels inked before it keep their colour).
bool addColorToPixels(Canvas& canvas, const InkStep& ink, const PixelMapper& pixels, double x, double y, double size,
                      std::int32_t k, std::int32_t N, double z, DrawStats& stats);

// The older inking of one point: (N + 1)^2 sub-points, N = size rounded.
bool addColorToPixels246(Canvas& canvas, const InkStep& ink, const PixelMapper& pixels, double x, double y, double size,
                         std::int32_t k, std::int32_t N, double z, DrawStats& stats);

// The sub-points i = lo .. hi of the older inking whose pixel along one axis
// lies on the canvas (an empty range when hi < lo). The pixel grows with i,
// so the range is found by bisection instead of trying every sub-point.
struct SubPointRange {
  long long lo = 0, hi = -1;
};

template <typename PixelOf>
SubPointRange subPointRange(PixelOf&& pixelOf, double v, double Nd, double p, int dim) {
  SubPointRange range;
  const long long N = static_cast<long long>(Nd);
  auto pix = [&](long long i) { return pixelOf(v + subPointOffset(i, Nd, p)); };
  // First index whose pixel is at least 0.
  long long lo = 0, hi = N + 1;
  while (lo < hi) {
    const long long mid = lo + (hi - lo) / 2;
    if (pix(mid) >= 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  range.lo = lo;
  // Last index whose pixel is below dim.
  lo = range.lo;
  hi = N + 1;
  while (lo < hi) {
    const long long mid = lo + (hi - lo) / 2;
    if (pix(mid) < dim)
      lo = mid + 1;
    else
      hi = mid;
  }
  range.hi = lo - 1;
  return range;
}

}  // namespace zorva
