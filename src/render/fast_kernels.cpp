#include "render/fast_kernels.h"

#include <algorithm>

#include "render/reference_inker.h"

namespace zorva::fast {

void splitBands(std::vector<long long>& edges, std::vector<int>& rowCount, const InkPoint* points, int good, int bands,
                long long reach, int H) {
  edges.assign(static_cast<std::size_t>(bands + 1), 0);
  edges[static_cast<std::size_t>(bands)] = H;
  if (bands == 1) return;
  rowCount.assign(static_cast<std::size_t>(H) + 1, 0);  // differences of the cover
  for (int j = 0; j < good; ++j) {
    const long long py = points[j].py;
    const long long lo = std::clamp<long long>(py - reach, 0, H), hi = std::clamp<long long>(py + reach + 1, 0, H);
    if (lo >= hi) continue;
    ++rowCount[static_cast<std::size_t>(lo)];
    --rowCount[static_cast<std::size_t>(hi)];
  }
  long long total = 0, cover = 0;
  for (int y = 0; y < H; ++y) total += cover += rowCount[static_cast<std::size_t>(y)];
  long long running = 0;
  cover = 0;
  int band = 1;
  for (int y = 0; y < H && band < bands; ++y) {
    running += cover += rowCount[static_cast<std::size_t>(y)];
    while (band < bands && running * bands >= total * band) edges[static_cast<std::size_t>(band++)] = y + 1;
  }
  for (; band < bands; ++band) edges[static_cast<std::size_t>(band)] = H;
}

std::uint64_t inkSplodgeBand(const SplodgeBand& b) {
  std::uint64_t updates = 0;
  if (b.y0 >= b.y1) return 0;
  const InkStep& ink = *b.ink;
  const PlainInk& plain = *b.plain;
  const std::vector<Offset>& offsets = *b.offsets;
  const long long R = b.R, W = b.W;
  const bool opaque = ink.rules.opaque;
  for (int j = 0; j < b.good; ++j) {
    const InkPoint& P = b.points[j];
    const long long rowLo = std::max<long long>(b.y0, static_cast<long long>(P.py) - R);
    const long long rowHi = std::min<long long>(b.y1 - 1, static_cast<long long>(P.py) + R);
    if (rowLo > rowHi) continue;
    const long long colLo = std::max<long long>(0, static_cast<long long>(P.px) - R);
    const long long colHi = std::min<long long>(W - 1, static_cast<long long>(P.px) + R);
    if (colLo > colHi) continue;
    // A splodge wholly inside the canvas and the band takes the footprint as
    // pairs of pixels with fixed distances in memory.
    if (b.pairsReady && P.px - R >= 0 && P.px + R < W && P.py - R >= b.y0 && P.py + R < b.y1) {
      const std::size_t at =
          static_cast<std::size_t>(P.py) * static_cast<std::size_t>(W) + static_cast<std::size_t>(P.px);
      double* base = b.colour + at * 3;
      std::int32_t* firstBase = b.firstStep + at;
      for (const OffsetPair& pr : *b.pairs)
        inkPlainPair(base + pr.a * 3, base + pr.b * 3, firstBase[pr.a], firstBase[pr.b], pr.wpA, pr.wpB, P.z, plain);
      if (offsets.size() % 2 == 1) {
        const Offset& off = offsets.back();
        const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(off.dy) * W + off.dx;
        inkPlainSingle(base + i * 3, firstBase[i], off.wp, P.z, plain);
      }
      updates += offsets.size();
      continue;
    }
    const double* term = b.detail[j].colour;
    auto inkAt = [&](double* v, std::int32_t& first, double w, double wp) {
      if (b.plainClamp)
        inkPlainSingle(v, first, wp, P.z, plain);
      else
        inkGeneral(v, first, ink, term, opaque ? 1 : w, wp, P.z);
    };
    if (b.table) {
      for (long long y = rowLo; y <= rowHi; ++y) {
        const long long dy = y - P.py;
        const int from = (*b.rowStart)[static_cast<std::size_t>(dy + R)];
        const int to = (*b.rowStart)[static_cast<std::size_t>(dy + R + 1)];
        if (from == to) continue;
        // A row's offsets have consecutive dx: clip them to the canvas at once.
        const long long dxFirst = offsets[static_cast<std::size_t>(from)].dx;
        const long long lo = std::max<long long>(from, from + (-static_cast<long long>(P.px) - dxFirst));
        const long long hi = std::min<long long>(to, from + (W - static_cast<long long>(P.px) - dxFirst));
        if (lo >= hi) continue;
        double* rowColour = b.colour + static_cast<std::size_t>(y) * static_cast<std::size_t>(W) * 3;
        std::int32_t* rowFirst = b.firstStep + static_cast<std::size_t>(y) * static_cast<std::size_t>(W);
        long long o = lo;
        if (b.plainClamp) {
          for (; o + 1 < hi; o += 2) {  // neighbouring pixels two at a time
            const Offset& o0 = offsets[static_cast<std::size_t>(o)];
            const Offset& o1 = offsets[static_cast<std::size_t>(o + 1)];
            const std::size_t x = static_cast<std::size_t>(static_cast<long long>(P.px) + o0.dx);
            double* v = rowColour + x * 3;
            inkPlainPair(v, v + 3, rowFirst[x], rowFirst[x + 1], o0.wp, o1.wp, P.z, plain);
          }
        }
        for (; o < hi; ++o) {
          const Offset& off = offsets[static_cast<std::size_t>(o)];
          const std::size_t x = static_cast<std::size_t>(static_cast<long long>(P.px) + off.dx);
          inkAt(rowColour + x * 3, rowFirst[x], off.w, off.wp);
        }
        updates += static_cast<std::uint64_t>(hi - lo);
      }
    } else {
      for (long long y = rowLo; y <= rowHi; ++y)
        for (long long x = colLo; x <= colHi; ++x) {
          double w;
          if (!splodgeWeight(getDistanceOfPoint(static_cast<double>(x - P.px), static_cast<double>(y - P.py)),
                             ink.splodge, w))
            continue;
          const std::size_t at =
              static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
          inkAt(b.colour + at * 3, b.firstStep[at], w, intensityWeight(w, ink.splodge.fuzzy));
          ++updates;
        }
    }
  }
  return updates;
}

std::uint64_t inkOldBand(const OldBand& b) {
  std::uint64_t updates = 0;
  const InkStep& ink = *b.ink;
  const PixelMapper& pixels = *b.pixels;
  const bool alternative = ink.colouring == Colouring::Alternative;
  for (int j = 0; j < b.good; ++j) {
    const PointDetail& P = b.detail[j];
    const double z = b.points[j].z;
    auto inkAt = [&](long long x, long long y, double w) {
      if (y < b.y0 || y >= b.y1) return;
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(b.W) + static_cast<std::size_t>(x);
      // The older inking takes the source sample and the alternative colour without the weight.
      inkGeneral(b.colour + at * 3, b.firstStep[at], ink, P.colour, 1, alternative ? 1 : w, z);
      ++updates;
    };
    if (b.table) {
      // A sub-point's column depends on i alone and its row on j alone.
      std::vector<int>& colOf = *b.colOf;
      std::vector<int>& rowOf = *b.rowOf;
      for (long long i = 0; i <= b.N; ++i) {
        colOf[static_cast<std::size_t>(i)] = pixels.column(P.x + subPointOffset(i, b.Nd, b.p));
        rowOf[static_cast<std::size_t>(i)] = pixels.row(P.y + subPointOffset(i, b.Nd, b.p));
      }
      for (const Offset246& o : *b.table) {
        const int x = colOf[static_cast<std::size_t>(o.i)], y = rowOf[static_cast<std::size_t>(o.j)];
        if (x < 0 || x >= b.W || y < 0 || y >= b.H) continue;
        inkAt(x, y, o.w);
      }
    } else {
      const SubPointRange cols = subPointRange([&](double v) { return pixels.column(v); }, P.x, b.Nd, b.p, b.W);
      const SubPointRange rows = subPointRange([&](double v) { return pixels.row(v); }, P.y, b.Nd, b.p, b.H);
      for (long long i = cols.lo; i <= cols.hi; ++i) {
        const double ox = subPointOffset(i, b.Nd, b.p);
        const int x = pixels.column(P.x + ox);
        for (long long jj = rows.lo; jj <= rows.hi; ++jj) {
          const double oy = subPointOffset(jj, b.Nd, b.p);
          const double d = getDistanceOfPoint(ox, oy);
          if (!(d < b.L)) continue;
          inkAt(x, pixels.row(P.y + oy), oldInkWeight(d, b.L));
        }
      }
    }
  }
  return updates;
}

}  // namespace zorva::fast
