#include "render/fast_inker.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "base/math_util.h"
#include "base/thread_pool.h"
#include "render/reference_inker.h"

namespace zorva {

namespace {

constexpr long long kMaxTableRadius = 200;  // larger splodges weigh pixels on the fly
constexpr long long kMaxTable246 = 400;     // sub-point tables of the older inking up to this N
constexpr std::size_t kMaxRing = 1 << 18;   // angles of a step kept for the next one

// What the inking of a point reads on every pixel, kept small: the workers
// read it while the next chunk's points are written.
struct InkPoint {
  int px = 0, py = 0;  // the point's own pixel
  double z = 1;        // its shade
};

// The rest of a point.
struct PointDetail {
  double x = 0, y = 0;           // in the plane
  std::int32_t k = 0;            // number within the step, from 1
  bool failed = false;           // working it out failed: the step ends before it
  double colour[3] = {1, 1, 1};  // alternative colouring or source sample, before weights
};

struct Offset {
  int dx, dy;
  double w;   // the splodge weight
  double wp;  // after the intensity power
};

// Two pixels of a splodge inked together: their distances in pixels from
// the point's own pixel in memory, and their weights.
struct OffsetPair {
  std::ptrdiff_t a, b;
  double wpA, wpB;
};

struct Offset246 {
  int i, j;
  double w;  // the older inking's weight
};

// One point of the ring of angles that steps with the same grain share.
struct RingEntry {
  double theta, c, s;  // the angle, its cosine and sine
  double q;            // the bump factor
  bool qOk;            // working q out did not fail
};

// Two doubles in one vector register; lane by lane the same IEEE arithmetic
// as scalar code.
typedef double v2d __attribute__((vector_size(16)));

inline v2d load2(const double* p) {
  v2d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store2(double* p, v2d v) { std::memcpy(p, &v, sizeof v); }

// std::clamp(x, 0, 255) lane by lane.
inline v2d clamp255(v2d x) {
  const v2d zero = {0.0, 0.0}, top = {255.0, 255.0};
  x = x < zero ? zero : x;
  return top < x ? top : x;
}

// The common case, clamped Add or Subtract with plain weights and one amount
// for the three channels: the step's constants of its kernel.
struct PlainInk {
  v2d s01, s20, s12, s22;  // the step colour (less 255 when subtracting), by channel pairs
  double amount;
  bool dimmer;
  double dimmerFactor;
  std::int32_t step;
};

inline double plainAmount(double wp, double z, const PlainInk& k) {
  double x = wp;
  if (k.dimmer) x = x * k.dimmerFactor;
  x = x * z;
  return k.amount * x;
}

// The plain kernel: computes exactly what inkPixel would, for two pixels at
// once (A and B, anywhere in memory): their six channels in three pairs,
// each pair one vector operation.
inline void inkPlainPair(double* A, double* B, std::int32_t& firstA, std::int32_t& firstB, double wpA, double wpB,
                         double z, const PlainInk& k) {
  const double aa = plainAmount(wpA, z, k), ab = plainAmount(wpB, z, k);
  const v2d v1 = clamp255(load2(A) + v2d{aa, aa} * k.s01 / 255.0);
  const v2d v2 = clamp255(v2d{A[2], B[0]} + v2d{aa, ab} * k.s20 / 255.0);
  const v2d v3 = clamp255(load2(B + 1) + v2d{ab, ab} * k.s12 / 255.0);
  store2(A, v1);
  A[2] = v2[0];
  B[0] = v2[1];
  store2(B + 1, v3);
  firstA = std::min(k.step, firstA);
  firstB = std::min(k.step, firstB);
}

inline void inkPlainSingle(double* v, std::int32_t& first, double wp, double z, const PlainInk& k) {
  const double a = plainAmount(wp, z, k);
  store2(v, clamp255(load2(v) + v2d{a, a} * k.s01 / 255.0));
  v[2] = clamp255(v2d{v[2], v[2]} + v2d{a, a} * k.s22 / 255.0)[0];
  first = std::min(k.step, first);
}

// Any other pixel: the general colour vector and kernel.
inline void inkGeneral(double* v, std::int32_t& first, const InkStep& ink, const double term[3], double sourceWeight,
                       double weight, double z) {
  double col[3];
  pixelColour(ink, term, sourceWeight, weight, z, col);
  inkPixel(v, first, col, ink.rules);
}

// Rows split into bands of about equal work, one band a thread: the work of
// a row is the number of splodges that reach it (points reach `reach` rows
// up and down from their own pixel).
void splitBands(std::vector<long long>& edges, std::vector<int>& rowCount, const InkPoint* points, int good,
                int bands, long long reach, int H) {
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

// What one worker needs to ink the splodges of a chunk into its band.
struct SplodgeBand {
  double* colour;
  std::int32_t* firstStep;
  int W;
  long long y0, y1;  // the band's rows
  const InkPoint* points;
  const PointDetail* detail;
  int good;
  long long R;
  bool table, plainClamp, pairsReady;
  const std::vector<Offset>* offsets;
  const std::vector<int>* rowStart;  // offsets of row dy start at rowStart[dy + R]
  const std::vector<OffsetPair>* pairs;
  const InkStep* ink;
  const PlainInk* plain;
};

// Inks every point of the chunk into one band, in point order; returns the
// pixel updates.
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
      const std::size_t at = static_cast<std::size_t>(P.py) * static_cast<std::size_t>(W) + static_cast<std::size_t>(P.px);
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
          const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
          inkAt(b.colour + at * 3, b.firstStep[at], w, intensityWeight(w, ink.splodge.fuzzy));
          ++updates;
        }
    }
  }
  return updates;
}

// What one worker needs to ink the older inking's sub-points of a chunk.
struct OldBand {
  double* colour;
  std::int32_t* firstStep;
  int W, H;
  long long y0, y1;
  const InkPoint* points;
  const PointDetail* detail;
  int good;
  double Nd, p, L;
  long long N;
  const std::vector<Offset246>* table;  // null: worked out per sub-point
  std::vector<int>* colOf;              // this band's scratch for the table
  std::vector<int>* rowOf;
  const InkStep* ink;
  const PixelMapper* pixels;
};

// The older inking of a chunk into one band: sub-points i (outer) and j
// (inner) in order; returns the pixel updates.
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

}  // namespace

// Scratch space, kept between steps so the step loop allocates nothing once
// it has warmed up.
struct FastInker::Scratch {
  std::vector<RingEntry> ring;
  double ringStep = 0, ringBumps = 0, ringDepth = 0;  // what the ring was made for
  bool ringTan = false;
  bool ringTooFine = false;  // the grain of ringStep has more points than are kept
  std::vector<double> theta;
  std::vector<std::uint32_t> random;
  std::vector<InkPoint> ink;
  std::vector<PointDetail> detail;
  std::vector<Offset> offsets;
  std::vector<OffsetPair> pairs;
  // What the splodge table was made for.
  struct TableKey {
    long long R;
    double limit, centre, fuzzy;
    bool source, opaque;
    bool operator==(const TableKey&) const = default;
  } tableKey{};
  bool tableValid = false;
  double tableBound = 0;  // the largest colour weight in the table
  int pairsWidth = 0;     // the picture width the pairs were made for; 0: none
  std::vector<int> rowStart;
  std::vector<Offset246> offsets246;
  std::vector<long long> bandEdges;
  std::vector<int> rowCount;
  std::vector<std::uint64_t> bandUpdates;
  std::vector<std::vector<int>> cols246, rows246;  // per band: pixels of the older inking's sub-points
};

// The inking constants of one step.
struct FastInker::Plan {
  bool skip = false;  // nothing is inked (a negative size, no limit)
  bool safe = true;   // colours stay far from overflowing: the fast kernels apply
  long long R = -1;   // splodge half-width
  bool table = false;
  double Nd = 0, p246 = 0, L246 = 0;  // the older inking's sub-points
  long long N246 = -1;
  bool plainClamp = false;
  PlainInk plain{};
};

FastInker::FastInker(int threads) : sc_(std::make_unique<Scratch>()) { setThreads(threads); }

FastInker::~FastInker() = default;

void FastInker::setThreads(int threads) {
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::min(threads, 256);
  if (pool_ && pool_->size() == threads) return;
  pool_ = std::make_unique<ThreadPool>(threads);
}

int FastInker::threads() const { return pool_->size(); }

int FastInker::bandsFor(long long updates, int H) const {
  const int threads = pool_->size();
  return updates >= tuning.parallelUpdates && threads > 1 ? std::min(H, threads) : 1;
}

// The angles of a step's points, their cosines and sines, and the bump
// factors, kept for the next step: with the same grain (and bumps) it walks
// exactly the same angles. False when the grain is too fine to keep.
bool FastInker::buildRing(const StepFrame& f) {
  Scratch& sc = *sc_;
  if (sc.ringTooFine && sc.ringStep == f.dtheta) return false;
  const bool sameAngles = sc.ringStep == f.dtheta && !sc.ring.empty();
  const bool sameBumps = sameAngles && sc.ringBumps == f.b && sc.ringDepth == f.d && sc.ringTan == f.tanBumps;
  if (sameBumps) return true;
  if (!sameAngles) {
    sc.ring.clear();
    sc.ringStep = std::nan("");
    double theta = 0;
    while (theta <= kTwoPi) {
      if (sc.ring.size() == kMaxRing) {
        sc.ring.clear();
        sc.ringStep = f.dtheta;
        sc.ringTooFine = true;
        return false;
      }
      sc.ring.push_back({theta, 0, 0, 0, true});
      theta = theta + f.dtheta;
    }
  }
  const std::size_t n = sc.ring.size();
  RingEntry* ring = sc.ring.data();
  auto fill = [ring, &f, sameAngles](std::size_t first, std::size_t last) {
    for (std::size_t j = first; j < last; ++j) {
      RingEntry& e = ring[j];
      if (!sameAngles) {
        e.c = cosZ(e.theta);
        e.s = sinZ(e.theta);
      }
      e.q = bumpFactor(e.theta, f, e.qOk);
    }
  };
  const int threads = pool_->size();
  if (static_cast<int>(n) >= tuning.parallelPoints && threads > 1) {
    const std::size_t jobs = static_cast<std::size_t>(threads) * 4;
    pool_->run(static_cast<int>(jobs), [&](int job) {
      fill(n * static_cast<std::size_t>(job) / jobs, n * static_cast<std::size_t>(job + 1) / jobs);
    });
  } else {
    fill(0, n);
  }
  sc.ringStep = f.dtheta;
  sc.ringTooFine = false;
  sc.ringBumps = f.b;
  sc.ringDepth = f.d;
  sc.ringTan = f.tanBumps;
  return true;
}

// The splodge offsets of half-width R with their weights; kept while the
// splodge values stay the same.
void FastInker::buildSplodgeTable(long long R, const InkStep& ink, Plan& plan) {
  Scratch& sc = *sc_;
  const Splodge& sp = ink.splodge;
  const bool source = ink.colouring == Colouring::Source, opaque = ink.rules.opaque;
  const Scratch::TableKey key{R, sp.limit, sp.centre, sp.fuzzy, source, opaque};
  if (!(sc.tableValid && sc.tableKey == key)) {
    sc.offsets.clear();
    sc.rowStart.assign(static_cast<std::size_t>(2 * R + 2), 0);
    double bound = 0;
    for (long long dy = -R; dy <= R; ++dy) {
      sc.rowStart[static_cast<std::size_t>(dy + R)] = static_cast<int>(sc.offsets.size());
      for (long long dx = -R; dx <= R; ++dx) {
        double w;
        if (!splodgeWeight(getDistanceOfPoint(static_cast<double>(dx), static_cast<double>(dy)), sp, w)) continue;
        const double wp = intensityWeight(w, sp.fuzzy);
        sc.offsets.push_back({static_cast<int>(dx), static_cast<int>(dy), w, wp});
        bound = std::max(bound, std::fabs(source ? (opaque ? 1.0 : w) : wp));
        if (std::isnan(wp)) bound = wp;
      }
    }
    sc.rowStart[static_cast<std::size_t>(2 * R + 1)] = static_cast<int>(sc.offsets.size());
    sc.tableKey = key;
    sc.tableValid = true;
    sc.tableBound = bound;
    sc.pairsWidth = 0;  // the pairs follow the table
  }
  plan.table = true;
}

void FastInker::buildOldInkTable(Plan& plan) {
  Scratch& sc = *sc_;
  sc.offsets246.clear();
  for (long long i = 0; i <= plan.N246; ++i) {
    const double ox = subPointOffset(i, plan.Nd, plan.p246);
    for (long long j = 0; j <= plan.N246; ++j) {
      const double oy = subPointOffset(j, plan.Nd, plan.p246);
      const double d = getDistanceOfPoint(ox, oy);
      if (!(d < plan.L246)) continue;
      sc.offsets246.push_back({static_cast<int>(i), static_cast<int>(j), oldInkWeight(d, plan.L246)});
    }
  }
}

FastInker::Plan FastInker::planInking(const StepFrame& f, const InkStep& ink, const Canvas& canvas) {
  Plan plan;
  const Splodge& sp = ink.splodge;
  const bool source = ink.colouring == Colouring::Source, alternative = ink.colouring == Colouring::Alternative;
  const double q = ink.rules.opaque ? 1 : 256;
  double maxWeight = 0;  // bound of a colour component before the factors
  if (!ink.old246) {
    const double Rd = std::floor(f.size);
    if (!(Rd >= 0)) {
      plan.skip = true;
    } else {
      plan.R = Rd > 1e9 ? 1000000000LL : static_cast<long long>(Rd);
      if (plan.R <= kMaxTableRadius) {
        buildSplodgeTable(plan.R, ink, plan);
        maxWeight = sc_->tableBound;
      } else {
        // Weights of larger splodges are worked out per pixel; bound them by
        // the weights' range instead.
        maxWeight = source ? 1.0 : (sp.fuzzy == 0 ? 0.0 : (1 / sp.fuzzy > 0 ? 1.0 : std::nan("")));
      }
    }
  } else {
    const int W = canvas.W, H = canvas.H;
    plan.Nd = roundEven(f.size);
    plan.p246 = 2 * ink.scale / W;
    plan.L246 = ((2 * ink.scale / W + 2 * ink.scale / H) / 2) * f.size;
    if (!(plan.Nd >= 0) || !(plan.L246 > 0)) {
      plan.skip = true;
    } else if (plan.Nd > 2147483647.0) {
      maxWeight = std::nan("");  // the reference rules fail at the first point
    } else {
      plan.N246 = static_cast<long long>(plan.Nd);
      maxWeight = 1;
      if (plan.N246 <= kMaxTable246) buildOldInkTable(plan);
    }
  }
  // A step whose colours stay far from overflowing cannot fail while inking.
  const InkRules& r = ink.rules;
  double colourBound = maxWeight * (alternative ? 2.0 : source ? 255.0 / q : 1.0);
  if (ink.useDimmer) colourBound *= std::fabs(ink.dimmer);
  double amountBound = 0, colorBound = 0;
  for (int c = 0; c < 3; ++c) {
    amountBound = std::max(amountBound, std::fabs(r.amount[c]));
    colorBound = std::max(colorBound, std::fabs(r.color[c]));
  }
  plan.safe = colourBound * amountBound * (colorBound + 255) < 1e200 && colourBound < 1e200;

  plan.plainClamp = !ink.old246 && !source && !alternative && !r.limits && !r.interpolate && !r.bestGuess &&
                    r.amount[0] == r.amount[1] && r.amount[1] == r.amount[2];
  double shifted[3];
  for (int c = 0; c < 3; ++c) shifted[c] = r.white ? r.color[c] - 255 : r.color[c];
  plan.plain = {v2d{shifted[0], shifted[1]}, v2d{shifted[2], shifted[0]}, v2d{shifted[1], shifted[2]},
                v2d{shifted[2], shifted[2]}, r.amount[0], ink.useDimmer, ink.dimmer, r.step};
  return plan;
}

// Works out the chunk's points, sc.theta[j] being point k + j's angle (ring
// entry ringAt + j when the ring is in use); returns how many come before the
// first that failed.
int FastInker::computePoints(const StepFrame& f, const PointSources& sources, const InkStep& ink,
                             const PixelMapper& pixels, std::size_t ringAt, std::int32_t k) {
  Scratch& sc = *sc_;
  const int M = static_cast<int>(sc.theta.size());
  const AngleTrig stepTrig = angleTrig(f, f.a);
  const double cosPhi = cosZ(f.phi), sinPhi = sinZ(f.phi);
  const RingEntry* ring = ringAt == static_cast<std::size_t>(-1) ? nullptr : sc.ring.data() + ringAt;
  const double* thetas = sc.theta.data();
  const std::uint32_t* randoms = sc.random.data();
  InkPoint* points = sc.ink.data();
  PointDetail* detail = sc.detail.data();
  auto job = [&](int first, int last, double ccx, double ccy) {
    for (int j = first; j < last; ++j) {
      const double theta = thetas[j];
      const double c = ring ? ring[j].c : cosZ(theta), s = ring ? ring[j].s : sinZ(theta);
      InkPoint& P = points[j];
      PointDetail& E = detail[j];
      P.z = f.zFactor ? (c + 1) / 2 : 1;
      E.k = k + j;
      const AngleTrig trig = f.scatter ? angleTrig(f, f.a + sinZ(randoms[j] * theta)) : stepTrig;
      bool qOk = true;
      const double q = ring ? ring[j].q : bumpFactor(theta, f, qOk);
      if (ring) qOk = ring[j].qOk;
      const PlacedPoint pt = placePoint(f, sources.shapes, theta, c, s, q, qOk, E.k, trig, ccx, ccy, cosPhi, sinPhi);
      E.x = pt.x;
      E.y = pt.y;
      E.failed = !pt.ok;
      if (E.failed) continue;
      if (!ink.old246) {
        P.px = pixels.column(pt.x);
        P.py = pixels.row(pt.y);
      } else {
        pixels.map.index(pixels.map.numeratorY(pt.y), P.py);  // only to share rows out between threads
      }
      if (ink.colouring != Colouring::Plain) {
        const auto term = colourTerm(ink, E.k, f.N, pt.x, pt.y);
        std::copy(term.begin(), term.end(), E.colour);
      }
    }
  };
  const double cx = f.pathRotate ? f.pathX : f.cx, cy = f.pathRotate ? f.pathY : f.cy;
  const int threads = pool_->size();
  if (f.followRotate) {
    // The mouse is read for every point, on this thread.
    for (int j = 0; j < M; ++j) {
      const auto [mx, my] = sources.mouse();
      job(j, j + 1, mx, my);
      if (detail[j].failed) return j;
    }
  } else if (M >= tuning.parallelPoints && threads > 1) {
    const int jobs = std::min(threads * 4, (M + 255) / 256);
    pool_->run(jobs, [&](int n) {
      job(static_cast<int>(static_cast<long long>(M) * n / jobs), static_cast<int>(static_cast<long long>(M) * (n + 1) / jobs),
          cx, cy);
    });
  } else {
    job(0, M, cx, cy);
  }
  for (int j = 0; j < M; ++j)
    if (detail[j].failed) return j;
  return M;
}

// The reference rules, point by point, stopping where they stop; false (with
// the failing point's index) when they do.
bool FastInker::inkByReference(const StepFrame& f, const InkStep& ink, const PixelMapper& pixels, Canvas& canvas,
                               int good, int& failedAt) {
  Scratch& sc = *sc_;
  for (int j = 0; j < good; ++j) {
    const PointDetail& E = sc.detail[static_cast<std::size_t>(j)];
    ++stats_.points;
    if (!addColorToPixels(canvas, ink, pixels, E.x, E.y, f.size, E.k, f.N, sc.ink[static_cast<std::size_t>(j)].z,
                          stats_)) {
      failedAt = j;
      return false;
    }
  }
  return true;
}

void FastInker::inkSplodges(const Plan& plan, const InkStep& ink, Canvas& canvas, int good) {
  Scratch& sc = *sc_;
  const int W = canvas.W, H = canvas.H;
  const long long side = 2 * plan.R + 1;
  const long long perPoint = plan.table ? static_cast<long long>(sc.offsets.size()) : side * side;
  const int bands = bandsFor(perPoint * good, H);
  splitBands(sc.bandEdges, sc.rowCount, sc.ink.data(), good, bands, std::min<long long>(plan.R, H), H);
  if (plan.plainClamp && plan.table && sc.pairsWidth != W) {
    sc.pairs.clear();
    for (std::size_t o = 0; o + 1 < sc.offsets.size(); o += 2) {
      const Offset& a = sc.offsets[o];
      const Offset& b = sc.offsets[o + 1];
      sc.pairs.push_back({static_cast<std::ptrdiff_t>(a.dy) * W + a.dx, static_cast<std::ptrdiff_t>(b.dy) * W + b.dx,
                          a.wp, b.wp});
    }
    sc.pairsWidth = W;
  }
  SplodgeBand job{canvas.color.data(), canvas.firstStep.data(), W, 0, 0, sc.ink.data(), sc.detail.data(), good, plan.R,
                  plan.table, plan.plainClamp, plan.plainClamp && plan.table && sc.pairsWidth == W, &sc.offsets,
                  &sc.rowStart, &sc.pairs, &ink, &plan.plain};
  sc.bandUpdates.assign(static_cast<std::size_t>(bands), 0);
  pool_->run(bands, [&](int band) {
    SplodgeBand mine = job;
    mine.y0 = sc.bandEdges[static_cast<std::size_t>(band)];
    mine.y1 = sc.bandEdges[static_cast<std::size_t>(band) + 1];
    sc.bandUpdates[static_cast<std::size_t>(band)] = inkSplodgeBand(mine);
  });
  for (std::uint64_t u : sc.bandUpdates) stats_.pixelUpdates += u;
  stats_.points += static_cast<std::uint64_t>(good);
}

void FastInker::inkOld(const Plan& plan, const InkStep& ink, const PixelMapper& pixels, Canvas& canvas, int good) {
  Scratch& sc = *sc_;
  const bool table = plan.N246 <= kMaxTable246;
  const long long perPoint = (plan.N246 + 1) * (plan.N246 + 1);
  const int bands = bandsFor(perPoint * good, canvas.H);
  splitBands(sc.bandEdges, sc.rowCount, sc.ink.data(), good, bands, 0, canvas.H);
  sc.cols246.resize(static_cast<std::size_t>(bands));
  sc.rows246.resize(static_cast<std::size_t>(bands));
  if (table)
    for (int b = 0; b < bands; ++b) {
      sc.cols246[static_cast<std::size_t>(b)].resize(static_cast<std::size_t>(plan.N246 + 1));
      sc.rows246[static_cast<std::size_t>(b)].resize(static_cast<std::size_t>(plan.N246 + 1));
    }
  sc.bandUpdates.assign(static_cast<std::size_t>(bands), 0);
  pool_->run(bands, [&](int band) {
    const std::size_t b = static_cast<std::size_t>(band);
    const OldBand job{canvas.color.data(), canvas.firstStep.data(), canvas.W, canvas.H, sc.bandEdges[b],
                      sc.bandEdges[b + 1], sc.ink.data(), sc.detail.data(), good, plan.Nd, plan.p246, plan.L246,
                      plan.N246, table ? &sc.offsets246 : nullptr, &sc.cols246[b], &sc.rows246[b], &ink, &pixels};
    sc.bandUpdates[b] = inkOldBand(job);
  });
  for (std::uint64_t u : sc.bandUpdates) stats_.pixelUpdates += u;
  stats_.points += static_cast<std::uint64_t>(good);
}

void FastInker::drawStep(const StepFrame& f, const PointSources& sources, const InkStep& ink,
                         const PixelMapper& pixels, Canvas& canvas, Random& random, double& zFactor) {
  Scratch& sc = *sc_;
  const Plan plan = planInking(f, ink, canvas);
  const bool ring = buildRing(f);
  const std::size_t ringSize = sc.ring.size();
  const std::size_t chunk = static_cast<std::size_t>(std::max(1, tuning.chunk));
  double theta = 0;
  std::size_t next = 0;  // ring index of the chunk's first point
  std::int32_t k = 1;
  // After a failed point the generator stands where the reference leaves it:
  // the failing point had drawn its number, later ones had not.
  auto rewind = [&](std::uint32_t before, int drawn) {
    random.seed(before);
    for (int n = 0; n < drawn; ++n) random.next(1000);
  };
  while (ring ? next < ringSize : theta <= kTwoPi) {
    // Angles and random numbers in order.
    sc.theta.clear();
    sc.random.clear();
    if (ring) {
      const std::size_t count = std::min(chunk, ringSize - next);
      for (std::size_t j = 0; j < count; ++j) sc.theta.push_back(sc.ring[next + j].theta);
    } else {
      while (theta <= kTwoPi && sc.theta.size() < chunk) {
        sc.theta.push_back(theta);
        theta = theta + f.dtheta;
      }
    }
    const std::uint32_t stateBefore = random.state();
    if (f.scatter)
      for (std::size_t j = 0; j < sc.theta.size(); ++j) sc.random.push_back(random.next(1000));
    const int M = static_cast<int>(sc.theta.size());
    if (sc.ink.size() < static_cast<std::size_t>(M)) {
      sc.ink.resize(static_cast<std::size_t>(M));
      sc.detail.resize(static_cast<std::size_t>(M));
    }
    const int good = computePoints(f, sources, ink, pixels, ring ? next : static_cast<std::size_t>(-1), k);
    if (good < M && f.scatter) rewind(stateBefore, good + 1);

    if (plan.skip) {
      stats_.points += static_cast<std::uint64_t>(good);
    } else if (good > 0) {
      int failedAt = 0;
      if (!plan.safe) {
        if (!inkByReference(f, ink, pixels, canvas, good, failedAt)) {
          zFactor = sc.ink[static_cast<std::size_t>(failedAt)].z;
          if (f.scatter) rewind(stateBefore, failedAt + 1);
          return;
        }
      } else if (!ink.old246) {
        inkSplodges(plan, ink, canvas, good);
      } else {
        inkOld(plan, ink, pixels, canvas, good);
      }
    }
    if (M > 0) zFactor = sc.ink[static_cast<std::size_t>(std::min(good, M - 1))].z;
    if (good < M) return;
    k += M;
    next += static_cast<std::size_t>(M);
  }
}

}  // namespace zorva
