// The fast path of one drawing step: the reference's formulas (the point
// formulas of point_geometry.h and the colour rules of ink_pixel.h are
// shared), organised for speed:
//  - what depends only on the step is worked out once (trigonometry of the
//    step's angles, splodge weights with their intensity power), and kept
//    for the next step while its inputs stay the same;
//  - the points of a step are computed in chunks, in parallel where no
//    mouse has to be read, after the angles and random numbers have been
//    drawn in order;
//  - each worker inks every point of the chunk into the band of rows it
//    owns, in point order, so each pixel receives its points in the same
//    order as with one thread.
// A step whose colours could overflow (absurd settings) is inked by the
// reference rules one point at a time, so that an arithmetic failure stops
// it at exactly the same pixel.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/engine.h"
#include "render/fast_scratch.h"
#include "render/ink_pixel.h"
#include "render/inking_support.h"
#include "base/math_util.h"
#include "render/point_geometry.h"
#include "render/step_frame.h"
#include "base/thread_pool.h"

namespace zorva {

namespace {

constexpr long long kMaxTableRadius = 200;     // larger splodges weigh pixels on the fly
constexpr long long kMaxTable246 = 400;        // sub-point tables of the older inking up to this N

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

}  // namespace

bool Engine::buildRing(const StepFrame& f) {
  FastScratch& sc = *scratch_;
  constexpr std::size_t kMaxRing = 1 << 18;
  if (sc.ringTooFine && sc.ringStep == f.dtheta) return false;
  const bool sameAngles = sc.ringStep == f.dtheta && !sc.ring.empty();
  const bool sameBumps = sameAngles && sc.ringBumps == f.b && sc.ringDepth == f.d && sc.ringTan == f.tanBumps;
  if (sameBumps) return true;
  if (!sameAngles) {
    sc.ring.clear();
    sc.ringStep = std::nan("");
    double theta = 0;
    while (theta <= kTwoPi) {
      if (sc.ring.size() == kMaxRing) {  // too fine a grain to keep: worked out per point
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
  auto fill = [&](std::size_t first, std::size_t last) {
    for (std::size_t j = first; j < last; ++j) {
      RingEntry& e = sc.ring[j];
      if (!sameAngles) {
        e.c = cosZ(e.theta);
        e.s = sinZ(e.theta);
      }
      e.q = bumpFactor(e.theta, f, e.qOk);
    }
  };
  const int threads = pool_->size();
  if (static_cast<int>(n) >= tuning.parallelPoints && threads > 1) {
    const int jobs = threads * 4;
    pool_->run(jobs, [&](int job) { fill(n * static_cast<std::size_t>(job) / static_cast<std::size_t>(jobs),
                                          n * static_cast<std::size_t>(job + 1) / static_cast<std::size_t>(jobs)); });
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

void Engine::drawStepFast(StepFrame& f) {
  if (!scratch_) scratch_ = std::make_unique<FastScratch>();
  FastScratch& sc = *scratch_;
  const Settings& s = settings;
  const int W = canvas_.W, H = canvas_.H;
  const bool old246 = s.BoolInk246;
  const bool source = sourceInUse();
  const bool opaque = source && s.UseOpaquePixels;
  const bool newColor = !source && s.NewColor;
  const bool dimmer = s.UseDimmer;
  const double dimmerFactor = DimmerFactor;
  const InkRules rules = inkRules(f.i, f.n, old246);

  // ---- per-step constants of the geometry ----
  const PlaneToPixel toPixel(CurrentScale, W, H);
  const double cosA = cosZ(f.a), sinA = sinZ(f.a);
  const double cosPhi = cosZ(f.phi), sinPhi = sinZ(f.phi);
  const bool ellipsesTwo = settings.UseEllipsesTwo;
  const double beta0 = ellipsesBeta(f, f.a);
  const double cosBeta0 = cosZ(beta0), sinBeta0 = sinZ(beta0);
  const qBezier& startCurve = multiplierSlots[kStartCurve].bezier;
  const qBezier& endCurve = multiplierSlots[kEndCurve].bezier;
  double cx = f.cx, cy = f.cy;
  if (f.pathRotate) {
    cx = f.pathX;
    cy = f.pathY;
  }

  // Point k (from 1) at angle theta, exactly as the reference works it out;
  // ring holds the step's cached cos and sin of theta and the bump factor.
  auto computePoint = [&](InkPoint& P, PointDetail& E, double theta, std::int32_t k, double ang, double ccx, double ccy,
                          const RingEntry* ring) {
    const double c = ring ? ring->c : cosZ(theta), sn = ring ? ring->s : sinZ(theta);
    P.z = f.zFactor ? (c + 1) / 2 : 1;
    E.k = k;
    double cA = cosA, sA = sinA, cb = cosBeta0, sb = sinBeta0;
    if (f.scatter) {
      cA = cosZ(ang);
      sA = sinZ(ang);
      const double beta = ellipsesBeta(f, ang);
      cb = cosZ(beta);
      sb = sinZ(beta);
    }
    bool ok = true;
    const double q = ring ? ring->q : bumpFactor(theta, f, ok);
    if (ring) ok = ring->qOk;
    double px, py, wx, wy;
    if (!shapePoint(f, ellipsesTwo, startCurve, endCurve, {theta, c, sn, q, k, ccx, ccy, cb, sb}, px, py, wx, wy))
      ok = false;
    double fx, fy;
    finalPoint(f, px, py, wx, wy, cA, sA, cosPhi, sinPhi, fx, fy);
    E.x = fx;
    E.y = fy;
    E.failed = !ok || !std::isfinite(fx) || !std::isfinite(fy);
    if (E.failed) return;
    // What inking needs per point.
    if (!old246) {
      const double nx = toPixel.numeratorX(fx), ny = toPixel.numeratorY(fy);
      if (!toPixel.index(nx, P.px)) pixelConversionFailure(nx, toPixel.twoS);
      if (!toPixel.index(ny, P.py)) pixelConversionFailure(ny, toPixel.twoS);
    } else {
      toPixel.index(toPixel.numeratorY(fy), P.py);  // only to share rows out between threads
    }
    if (newColor) {
      const auto base = alternativeColorBase(s, MultiplierValues, animation.AnimationPhase, f.i, f.n, k, f.N, fx, fy);
      std::copy(base.begin(), base.end(), E.colour);
    } else if (source) {
      const auto term = sourceTerm(f.i, f.n, k, f.N);
      std::copy(term.begin(), term.end(), E.colour);
    }
  };

  // ---- per-step constants of the inking ----
  const double limit = step.CurrentSplodgeLimit, centre = step.CurrentSplodgeCenter, fuzzy = step.CurrentFuzzy;
  const double q = opaque ? 1 : 256;
  long long R = -1;
  bool table = false;
  double maxWeight = 0;  // bound of a colour component before the factors
  double Nd = 0, p246 = 0, L246 = 0;
  long long N246 = -1;
  bool skipInk = false;
  if (!old246) {
    const double Rd = std::floor(f.size);
    if (!(Rd >= 0)) {
      skipInk = true;
    } else {
      R = Rd > 1e9 ? 1000000000LL : static_cast<long long>(Rd);
      table = R <= kMaxTableRadius;
      // The table depends on the splodge values only: kept while they stay.
      const FastScratch::TableKey key{R, limit, centre, fuzzy, source, opaque};
      if (table && !(sc.tableValid && sc.tableKey == key)) {
        sc.offsets.clear();
        sc.rowStart.assign(static_cast<std::size_t>(2 * R + 2), 0);
        double bound = 0;
        for (long long dy = -R; dy <= R; ++dy) {
          sc.rowStart[static_cast<std::size_t>(dy + R)] = static_cast<int>(sc.offsets.size());
          for (long long dx = -R; dx <= R; ++dx) {
            const double d = getDistanceOfPoint(static_cast<double>(dx), static_cast<double>(dy));
            const double e = std::max(0.0, d - centre);
            if (e > limit) continue;
            const double w = limit == 0 ? 0 : 1 - e / limit;
            const double wp = (fuzzy != 0 && w != 0) ? std::pow(w, 1 / fuzzy) : 0;
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
      if (table) {
        maxWeight = sc.tableBound;
      } else {
        // Weights of larger splodges are worked out per pixel; bound them by
        // the weights' range instead.
        maxWeight = source ? 1.0 : (fuzzy == 0 ? 0.0 : (1 / fuzzy > 0 ? 1.0 : std::nan("")));
      }
    }
  } else {
    Nd = roundEven(f.size);
    p246 = 2 * CurrentScale / W;
    L246 = ((2 * CurrentScale / W + 2 * CurrentScale / H) / 2) * f.size;
    if (!(Nd >= 0) || !(L246 > 0)) {
      skipInk = true;
    } else if (Nd > 2147483647.0) {
      maxWeight = std::nan("");  // the reference rules fail at the first point
    } else {
      N246 = static_cast<long long>(Nd);
      maxWeight = 1;
      if (N246 <= kMaxTable246) {
        sc.offsets246.clear();
        for (long long i = 0; i <= N246; ++i) {
          const double ox = subPointOffset(i, Nd, p246);
          for (long long j = 0; j <= N246; ++j) {
            const double oy = subPointOffset(j, Nd, p246);
            const double d = getDistanceOfPoint(ox, oy);
            if (!(d < L246)) continue;
            sc.offsets246.push_back({static_cast<int>(i), static_cast<int>(j), (1 - d / L246) * (1 - d / L246)});
          }
        }
      }
    }
  }
  // A step whose colours stay far from overflowing cannot fail while inking.
  double colourBound = maxWeight * (newColor ? 2.0 : source ? 255.0 / q : 1.0);
  if (dimmer) colourBound *= std::fabs(dimmerFactor);
  double amountBound = 0, colorBound = 0;
  for (int c = 0; c < 3; ++c) {
    amountBound = std::max(amountBound, std::fabs(rules.amount[c]));
    colorBound = std::max(colorBound, std::fabs(rules.color[c]));
  }
  const bool safe = colourBound * amountBound * (colorBound + 255) < 1e200 && colourBound < 1e200;

  // One pixel by the general rules: the colour vector from the point's colour
  // term (source sample or alternative colouring, or the plain weight), the
  // dimmer and Z factors, then the colour rules.
  auto inkColour = [&](double* v, std::int32_t& first, const double term[3], double sourceWeight, double weight,
                       double z) {
    double col[3];
    if (source) {
      for (int c = 0; c < 3; ++c) col[c] = term[c] * sourceWeight / q;
    } else if (newColor) {
      for (int c = 0; c < 3; ++c) col[c] = term[c] * weight;
    } else {
      col[0] = col[1] = col[2] = weight;
    }
    if (dimmer)
      for (double& c : col) c = c * dimmerFactor;
    for (double& c : col) c = c * z;
    inkPixel(v, first, col, rules);
  };

  // ---- the points, chunk by chunk ----
  // The angles of a step's points, their cosines and sines, and those of
  // the bump angle, are kept for the next step: with the same grain (and
  // bumps) it walks exactly the same angles.
  const bool ring = buildRing(f);
  const std::size_t ringSize = sc.ring.size();
  const bool serialGeometry = f.followRotate;
  double theta = 0;
  std::size_t next = 0;  // ring index of the chunk's first point
  std::int32_t k = 1;
  const int threads = pool_->size();
  int good = 0;
  // Rows split into bands of about equal work, one band a thread: the work
  // of a row is the number of splodges that reach it (points reach `reach`
  // rows up and down from their own pixel).
  auto splitBands = [&](int bands, long long reach) {
    sc.bandEdges.assign(static_cast<std::size_t>(bands + 1), 0);
    sc.bandEdges[static_cast<std::size_t>(bands)] = H;
    if (bands == 1) return;
    sc.rowCount.assign(static_cast<std::size_t>(H) + 1, 0);  // differences of the cover
    for (int j = 0; j < good; ++j) {
      const long long py = sc.ink[static_cast<std::size_t>(j)].py;
      const long long lo = std::clamp<long long>(py - reach, 0, H), hi = std::clamp<long long>(py + reach + 1, 0, H);
      if (lo >= hi) continue;
      ++sc.rowCount[static_cast<std::size_t>(lo)];
      --sc.rowCount[static_cast<std::size_t>(hi)];
    }
    long long total = 0, cover = 0;
    for (int y = 0; y < H; ++y) total += cover += sc.rowCount[static_cast<std::size_t>(y)];
    long long running = 0;
    cover = 0;
    int band = 1;
    for (int y = 0; y < H && band < bands; ++y) {
      running += cover += sc.rowCount[static_cast<std::size_t>(y)];
      while (band < bands && running * bands >= total * band) sc.bandEdges[static_cast<std::size_t>(band++)] = y + 1;
    }
    for (; band < bands; ++band) sc.bandEdges[static_cast<std::size_t>(band)] = H;
  };
  while (ring ? next < ringSize : theta <= kTwoPi) {
    // Angles and random numbers in order.
    sc.theta.clear();
    sc.random.clear();
    const std::uint32_t stateBefore = random_.state();
    const std::size_t chunk = static_cast<std::size_t>(std::max(1, tuning.chunk));
    if (ring) {
      const std::size_t count = std::min(chunk, ringSize - next);
      for (std::size_t j = 0; j < count; ++j) sc.theta.push_back(sc.ring[next + j].theta);
    } else {
      while (theta <= kTwoPi && sc.theta.size() < chunk) {
        sc.theta.push_back(theta);
        theta = theta + f.dtheta;
      }
    }
    if (f.scatter)
      for (std::size_t j = 0; j < sc.theta.size(); ++j) sc.random.push_back(random_.next(1000));
    const int M = static_cast<int>(sc.theta.size());
    if (sc.ink.size() < static_cast<std::size_t>(M)) {
      sc.ink.resize(static_cast<std::size_t>(M));
      sc.detail.resize(static_cast<std::size_t>(M));
    }
    auto pointJob = [&](int first, int last, double ccx, double ccy) {
      for (int j = first; j < last; ++j) {
        const double th = sc.theta[static_cast<std::size_t>(j)];
        const double ang = f.scatter ? f.a + sinZ(sc.random[static_cast<std::size_t>(j)] * th) : f.a;
        computePoint(sc.ink[static_cast<std::size_t>(j)], sc.detail[static_cast<std::size_t>(j)], th, k + j, ang, ccx, ccy,
                     ring ? &sc.ring[next + static_cast<std::size_t>(j)] : nullptr);
      }
    };
    if (serialGeometry) {
      for (int j = 0; j < M; ++j) {
        const double ccx = ConvertXtoXCoord(getXMouse()), ccy = ConvertYtoYCoord(getYMouse());
        pointJob(j, j + 1, ccx, ccy);
        if (sc.detail[static_cast<std::size_t>(j)].failed) break;
      }
    } else if (M >= tuning.parallelPoints && threads > 1) {
      const int jobs = std::min(threads * 4, (M + 255) / 256);
      pool_->run(jobs, [&](int job) {
        pointJob(static_cast<int>(static_cast<long long>(M) * job / jobs),
                 static_cast<int>(static_cast<long long>(M) * (job + 1) / jobs), cx, cy);
      });
    } else {
      pointJob(0, M, cx, cy);
    }
    // The first failed point ends the step; it had drawn its random number.
    good = M;
    for (int j = 0; j < M; ++j)
      if (sc.detail[static_cast<std::size_t>(j)].failed) {
        good = j;
        break;
      }
    if (good < M && f.scatter) {
      random_.seed(stateBefore);
      for (int j = 0; j <= good; ++j) random_.next(1000);
    }

    // ---- inking ----
    if (skipInk) stats.points += static_cast<std::uint64_t>(good);
    if (!skipInk && good > 0) {
      if (!safe) {
        // The reference rules, point by point, stopping where they stop.
        for (int j = 0; j < good; ++j) {
          const PointDetail& E = sc.detail[static_cast<std::size_t>(j)];
          ZFactor = sc.ink[static_cast<std::size_t>(j)].z;
          ++stats.points;
          inkFailed_ = false;
          addColorToPixels(f.i, f.n, E.x, E.y, f.size, E.k, f.N);
          if (inkFailed_) {
            // The step ends here; later points had not drawn their numbers yet.
            if (f.scatter) {
              random_.seed(stateBefore);
              for (int n = 0; n <= j; ++n) random_.next(1000);
            }
            return;
          }
        }
      } else if (!old246) {
        // Pixel updates of one point and the bands that share them out.
        const long long side = 2 * R + 1;
        const long long perPoint = table ? static_cast<long long>(sc.offsets.size()) : side * side;
        const long long updates = perPoint * good;
        int bands = 1;
        if (updates >= tuning.parallelUpdates && threads > 1) bands = std::min(H, threads);
        splitBands(bands, std::min<long long>(R, H));
        double* colour = canvas_.color.data();
        std::int32_t* firstStep = canvas_.firstStep.data();
        // The common case (plain weights, clamped Add or Subtract) has a
        // kernel of its own; it computes exactly what inkPixel would.
        const bool plainClamp = !source && !newColor && !rules.limits && !rules.interpolate && !rules.bestGuess &&
                                rules.amount[0] == rules.amount[1] && rules.amount[1] == rules.amount[2];
        double shifted[3];
        for (int c = 0; c < 3; ++c) shifted[c] = rules.white ? rules.color[c] - 255 : rules.color[c];
        const double amount = rules.amount[0];
        const std::int32_t stepIndex = rules.step;
        const v2d s01 = {shifted[0], shifted[1]}, s20 = {shifted[2], shifted[0]}, s12 = {shifted[1], shifted[2]};
        // Points whose splodge lies wholly inside the canvas (and band) take the
        // footprint as pairs of pixels with fixed distances in memory.
        if (plainClamp && table && sc.pairsWidth != W) {
          sc.pairs.clear();
          for (std::size_t o = 0; o + 1 < sc.offsets.size(); o += 2) {
            const Offset& a = sc.offsets[o];
            const Offset& b = sc.offsets[o + 1];
            sc.pairs.push_back({static_cast<std::ptrdiff_t>(a.dy) * W + a.dx, static_cast<std::ptrdiff_t>(b.dy) * W + b.dx, a.wp, b.wp});
          }
          sc.pairsWidth = W;
        }
        const bool lastSingle = sc.offsets.size() % 2 == 1;
        const v2d s2x = {shifted[2], shifted[2]};
        auto inkSingle = [&](double* v, std::int32_t& first, double wp, double z) {
          double x = wp;
          if (dimmer) x = x * dimmerFactor;
          x = x * z;
          const double a = amount * x;
          store2(v, clamp255(load2(v) + v2d{a, a} * s01 / 255.0));
          v[2] = clamp255(v2d{v[2], v[2]} + v2d{a, a} * s2x / 255.0)[0];
          first = std::min(stepIndex, first);
        };
        auto inkPair = [&](double* base, std::int32_t* firstBase, std::ptrdiff_t ia, std::ptrdiff_t ib, double xa, double xb,
                           double z) {
          if (dimmer) {
            xa = xa * dimmerFactor;
            xb = xb * dimmerFactor;
          }
          xa = xa * z;
          xb = xb * z;
          const double aa = amount * xa, ab = amount * xb;
          double* A = base + ia * 3;
          double* B = base + ib * 3;
          const v2d v1 = clamp255(load2(A) + v2d{aa, aa} * s01 / 255.0);
          const v2d v2 = clamp255(v2d{A[2], B[0]} + v2d{aa, ab} * s20 / 255.0);
          const v2d v3 = clamp255(load2(B + 1) + v2d{ab, ab} * s12 / 255.0);
          store2(A, v1);
          A[2] = v2[0];
          B[0] = v2[1];
          store2(B + 1, v3);
          firstBase[ia] = std::min(stepIndex, firstBase[ia]);
          firstBase[ib] = std::min(stepIndex, firstBase[ib]);
        };
        auto inkBand = [&](int band) {
          std::uint64_t updates = 0;
          const long long y0 = sc.bandEdges[static_cast<std::size_t>(band)], y1 = sc.bandEdges[static_cast<std::size_t>(band) + 1];
          if (y0 >= y1) return;
          for (int j = 0; j < good; ++j) {
            const InkPoint& P = sc.ink[static_cast<std::size_t>(j)];
            const long long rowLo = std::max<long long>(y0, static_cast<long long>(P.py) - R);
            const long long rowHi = std::min<long long>(y1 - 1, static_cast<long long>(P.py) + R);
            if (rowLo > rowHi) continue;
            const long long colLo = std::max<long long>(0, static_cast<long long>(P.px) - R);
            const long long colHi = std::min<long long>(W - 1, static_cast<long long>(P.px) + R);
            if (colLo > colHi) continue;
            if (plainClamp && sc.pairsWidth == W && P.px - R >= 0 && P.px + R < W && P.py - R >= y0 && P.py + R < y1) {
              const std::size_t at = static_cast<std::size_t>(P.py) * static_cast<std::size_t>(W) + static_cast<std::size_t>(P.px);
              double* base = colour + at * 3;
              std::int32_t* firstBase = firstStep + at;
              for (const OffsetPair& pr : sc.pairs) inkPair(base, firstBase, pr.a, pr.b, pr.wpA, pr.wpB, P.z);
              if (lastSingle) {
                const Offset& off = sc.offsets.back();
                const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(off.dy) * W + off.dx;
                inkSingle(base + i * 3, firstBase[i], off.wp, P.z);
              }
              updates += sc.offsets.size();
              continue;
            }
            auto ink = [&](double* v, std::int32_t& first, double w, double wp) {
              if (plainClamp) {
                inkSingle(v, first, wp, P.z);
                return;
              }
              inkColour(v, first, sc.detail[static_cast<std::size_t>(j)].colour, opaque ? 1 : w, wp, P.z);
            };
            if (table) {
              for (long long y = rowLo; y <= rowHi; ++y) {
                const long long dy = y - P.py;
                const int from = sc.rowStart[static_cast<std::size_t>(dy + R)], to = sc.rowStart[static_cast<std::size_t>(dy + R + 1)];
                if (from == to) continue;
                // A row's offsets have consecutive dx: clip them to the canvas at once.
                const long long dxFirst = sc.offsets[static_cast<std::size_t>(from)].dx;
                const long long lo = std::max<long long>(from, from + (-static_cast<long long>(P.px) - dxFirst));
                const long long hi = std::min<long long>(to, from + (W - static_cast<long long>(P.px) - dxFirst));
                if (lo >= hi) continue;
                double* rowColour = colour + static_cast<std::size_t>(y) * static_cast<std::size_t>(W) * 3;
                std::int32_t* rowFirst = firstStep + static_cast<std::size_t>(y) * static_cast<std::size_t>(W);
                long long o = lo;
                if (plainClamp) {
                  // Two neighbouring pixels at a time: their six channels in three
                  // pairs, each pair one vector operation of the same arithmetic.
                  for (; o + 1 < hi; o += 2) {
                    const Offset& o0 = sc.offsets[static_cast<std::size_t>(o)];
                    const Offset& o1 = sc.offsets[static_cast<std::size_t>(o + 1)];
                    double x0 = o0.wp, x1 = o1.wp;
                    if (dimmer) {
                      x0 = x0 * dimmerFactor;
                      x1 = x1 * dimmerFactor;
                    }
                    x0 = x0 * P.z;
                    x1 = x1 * P.z;
                    const double a0 = amount * x0, a1 = amount * x1;
                    const std::size_t x = static_cast<std::size_t>(static_cast<long long>(P.px) + o0.dx);
                    double* v = rowColour + x * 3;
                    store2(v, clamp255(load2(v) + v2d{a0, a0} * s01 / 255.0));
                    store2(v + 2, clamp255(load2(v + 2) + v2d{a0, a1} * s20 / 255.0));
                    store2(v + 4, clamp255(load2(v + 4) + v2d{a1, a1} * s12 / 255.0));
                    rowFirst[x] = std::min(stepIndex, rowFirst[x]);
                    rowFirst[x + 1] = std::min(stepIndex, rowFirst[x + 1]);
                  }
                }
                for (; o < hi; ++o) {
                  const Offset& off = sc.offsets[static_cast<std::size_t>(o)];
                  const std::size_t x = static_cast<std::size_t>(static_cast<long long>(P.px) + off.dx);
                  ink(rowColour + x * 3, rowFirst[x], off.w, off.wp);
                }
                updates += static_cast<std::uint64_t>(hi - lo);
              }
            } else {
              for (long long y = rowLo; y <= rowHi; ++y)
                for (long long x = colLo; x <= colHi; ++x) {
                  const double d = getDistanceOfPoint(static_cast<double>(x - P.px), static_cast<double>(y - P.py));
                  const double e = std::max(0.0, d - centre);
                  if (e > limit) continue;
                  const double w = limit == 0 ? 0 : 1 - e / limit;
                  const double wp = (fuzzy != 0 && w != 0) ? std::pow(w, 1 / fuzzy) : 0;
                  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
                  ink(colour + at * 3, firstStep[at], w, wp);
                  ++updates;
                }
            }
          }
          sc.bandUpdates[static_cast<std::size_t>(band)] = updates;
        };
        sc.bandUpdates.assign(static_cast<std::size_t>(bands), 0);
        pool_->run(bands, inkBand);
        for (std::uint64_t u : sc.bandUpdates) stats.pixelUpdates += u;
        stats.points += static_cast<std::uint64_t>(good);
      } else {
        // The older inking: sub-points i (outer) and j (inner) in order.
        int bands = 1;
        const long long perPoint = (N246 + 1) * (N246 + 1);
        if (perPoint * good >= tuning.parallelUpdates && threads > 1) bands = std::min(H, threads);
        splitBands(bands, 0);
        sc.cols246.resize(static_cast<std::size_t>(bands));
        sc.rows246.resize(static_cast<std::size_t>(bands));
        if (N246 <= kMaxTable246)
          for (int b = 0; b < bands; ++b) {
            sc.cols246[static_cast<std::size_t>(b)].resize(static_cast<std::size_t>(N246 + 1));
            sc.rows246[static_cast<std::size_t>(b)].resize(static_cast<std::size_t>(N246 + 1));
          }
        double* colour = canvas_.color.data();
        std::int32_t* firstStep = canvas_.firstStep.data();
        auto inkBand = [&](int band) {
          std::uint64_t updates = 0;
          const long long y0 = sc.bandEdges[static_cast<std::size_t>(band)], y1 = sc.bandEdges[static_cast<std::size_t>(band) + 1];
          std::vector<int>& colOf = sc.cols246[static_cast<std::size_t>(band)];
          std::vector<int>& rowOf = sc.rows246[static_cast<std::size_t>(band)];
          for (int j = 0; j < good; ++j) {
            const PointDetail& P = sc.detail[static_cast<std::size_t>(j)];
            const double z = sc.ink[static_cast<std::size_t>(j)].z;
            auto ink = [&](long long x, long long y, double w) {
              if (y < y0 || y >= y1) return;
              // The older inking takes the source sample and the alternative colour without the weight.
              const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
              inkColour(colour + at * 3, firstStep[at], P.colour, 1, newColor ? 1 : w, z);
              ++updates;
            };
            if (N246 <= kMaxTable246) {
              // A sub-point's column depends on i alone and its row on j alone.
              for (long long i = 0; i <= N246; ++i) {
                colOf[static_cast<std::size_t>(i)] = getPixelFromReal('x', P.x + subPointOffset(i, Nd, p246));
                rowOf[static_cast<std::size_t>(i)] = getPixelFromReal('y', P.y + subPointOffset(i, Nd, p246));
              }
              for (const Offset246& o : sc.offsets246) {
                const int x = colOf[static_cast<std::size_t>(o.i)], y = rowOf[static_cast<std::size_t>(o.j)];
                if (!pixelOnCanvas(x, y)) continue;
                ink(x, y, o.w);
              }
            } else {
              const SubPointRange cols = subPointRange([&](double v) { return getPixelFromReal('x', v); }, P.x, Nd, p246, W);
              const SubPointRange rows = subPointRange([&](double v) { return getPixelFromReal('y', v); }, P.y, Nd, p246, H);
              for (long long i = cols.lo; i <= cols.hi; ++i) {
                const double ox = subPointOffset(i, Nd, p246);
                const int x = getPixelFromReal('x', P.x + ox);
                for (long long jj = rows.lo; jj <= rows.hi; ++jj) {
                  const double oy = subPointOffset(jj, Nd, p246);
                  const double d = getDistanceOfPoint(ox, oy);
                  if (!(d < L246)) continue;
                  const int y = getPixelFromReal('y', P.y + oy);
                  ink(x, y, (1 - d / L246) * (1 - d / L246));
                }
              }
            }
          }
          sc.bandUpdates[static_cast<std::size_t>(band)] = updates;
        };
        sc.bandUpdates.assign(static_cast<std::size_t>(bands), 0);
        pool_->run(bands, inkBand);
        for (std::uint64_t u : sc.bandUpdates) stats.pixelUpdates += u;
        stats.points += static_cast<std::uint64_t>(good);
      }
    }
    // Z of the last point worked out, as the reference leaves it.
    if (M > 0) ZFactor = sc.ink[static_cast<std::size_t>(std::min(good, M - 1))].z;
    if (good < M) return;
    k += M;
    next += static_cast<std::size_t>(M);
  }
}

}  // namespace zorva
