#include "render/fast_inker.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "base/math_util.h"
#include "base/thread_pool.h"
#include "render/fast_kernels.h"
#include "render/reference_inker.h"

namespace zorva {

using namespace fast;

namespace {

constexpr long long kMaxTableRadius = 200;  // larger splodges weigh pixels on the fly
constexpr long long kMaxTable246 = 400;     // sub-point tables of the older inking up to this N
constexpr std::size_t kMaxRing = 1 << 18;   // angles of a step kept for the next one

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

int FastInker::bandsFor(double updates, int H) const {
  const int threads = pool_->size();
  return updates >= static_cast<double>(tuning.parallelUpdates) && threads > 1 ? std::min(H, threads) : 1;
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
  bool finite = true;  // std::max would drop a NaN
  for (int c = 0; c < 3; ++c) {
    amountBound = std::max(amountBound, std::fabs(r.amount[c]));
    colorBound = std::max(colorBound, std::fabs(r.color[c]));
    finite = finite && std::isfinite(r.amount[c]) && std::isfinite(r.color[c]);
  }
  plan.safe = finite && colourBound * amountBound * (colorBound + 255) < 1e200 && colourBound < 1e200;

  plan.plainClamp = !ink.old246 && !source && !alternative && !r.limits && !r.interpolate && !r.bestGuess &&
                    r.amount[0] == r.amount[1] && r.amount[1] == r.amount[2];
  double shifted[3];
  for (int c = 0; c < 3; ++c) shifted[c] = r.white ? r.color[c] - 255 : r.color[c];
  plan.plain = {v2d{shifted[0], shifted[1]},
                v2d{shifted[2], shifted[0]},
                v2d{shifted[1], shifted[2]},
                v2d{shifted[2], shifted[2]},
                r.amount[0],
                ink.useDimmer,
                ink.dimmer,
                r.step};
  return plan;
}

// Works out the chunk's points, sc.theta[j] being point k + j's angle (ring
// entry ringAt + j when the ring is in use); returns how many come before the
// first that failed, and whether one of those has a colour that is not a
// finite number.
int FastInker::computePoints(const StepFrame& f, const StepSources& sources, const InkStep& ink,
                             const PixelMapper& pixels, std::size_t ringAt, std::int32_t k, bool& badColours) {
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
      E.unplaced = E.badColour = false;
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
        // A failed conversion is reported only if the reference gets as far
        // as inking the point: noted here, reported by the inking.
        const double nx = pixels.map.numeratorX(pt.x), ny = pixels.map.numeratorY(pt.y);
        if (!pixels.map.index(nx, P.px)) {
          E.unplaced = true;
          E.unplacedNumerator = nx;
        }
        if (!pixels.map.index(ny, P.py) && !E.unplaced) {
          E.unplaced = true;
          E.unplacedNumerator = ny;
        }
      } else {
        pixels.map.index(pixels.map.numeratorY(pt.y), P.py);  // only to share rows out between threads
      }
      if (ink.colouring != Colouring::Plain) {
        const auto term = colourTerm(ink, E.k, f.N, pt.x, pt.y);
        std::copy(term.begin(), term.end(), E.colour);
        E.badColour = !std::isfinite(term[0]) || !std::isfinite(term[1]) || !std::isfinite(term[2]);
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
      if (detail[j].failed) break;
    }
  } else if (M >= tuning.parallelPoints && threads > 1) {
    const int jobs = std::min(threads * 4, (M + 255) / 256);
    pool_->run(jobs, [&](int n) {
      job(static_cast<int>(static_cast<long long>(M) * n / jobs),
          static_cast<int>(static_cast<long long>(M) * (n + 1) / jobs), cx, cy);
    });
  } else {
    job(0, M, cx, cy);
  }
  int good = M;
  for (int j = 0; j < M; ++j)
    if (detail[j].failed) {
      good = j;
      break;
    }
  badColours = false;
  for (int j = 0; j < good; ++j) badColours = badColours || detail[j].badColour;
  return good;
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

bool FastInker::inkSplodges(const Plan& plan, const InkStep& ink, Canvas& canvas, int good,
                            const StepSources& sources) {
  Scratch& sc = *sc_;
  const int W = canvas.W, H = canvas.H;
  // Counted in doubles: a splodge of a billion pixels across does not fit a 64-bit integer squared.
  const double side = 2 * static_cast<double>(plan.R) + 1;
  const double perPoint = plan.table ? static_cast<double>(sc.offsets.size()) : side * side;
  if (plan.plainClamp && plan.table && sc.pairsWidth != W) {
    sc.pairs.clear();
    for (std::size_t o = 0; o + 1 < sc.offsets.size(); o += 2) {
      const Offset& a = sc.offsets[o];
      const Offset& b = sc.offsets[o + 1];
      sc.pairs.push_back(
          {static_cast<std::ptrdiff_t>(a.dy) * W + a.dx, static_cast<std::ptrdiff_t>(b.dy) * W + b.dx, a.wp, b.wp});
    }
    sc.pairsWidth = W;
  }
  const SplodgeBand job{canvas.color.data(),
                        canvas.firstStep.data(),
                        W,
                        0,
                        0,
                        nullptr,
                        nullptr,
                        0,
                        plan.R,
                        plan.table,
                        plan.plainClamp,
                        plan.plainClamp && plan.table && sc.pairsWidth == W,
                        &sc.offsets,
                        &sc.rowStart,
                        &sc.pairs,
                        &ink,
                        &plan.plain};
  // Points in batches of bounded work, so a stop request is seen in time;
  // every pixel still receives its points in order.
  const int batch = static_cast<int>(std::clamp(tuning.batchUpdates / std::max(perPoint, 1.0), 1.0, 1e9));
  for (int first = 0; first < good; first += batch) {
    const int count = std::min(batch, good - first);
    const int bands = bandsFor(perPoint * count, H);
    splitBands(sc.bandEdges, sc.rowCount, sc.ink.data() + first, count, bands, std::min<long long>(plan.R, H), H);
    sc.bandUpdates.assign(static_cast<std::size_t>(bands), 0);
    pool_->run(bands, [&](int band) {
      SplodgeBand mine = job;
      mine.y0 = sc.bandEdges[static_cast<std::size_t>(band)];
      mine.y1 = sc.bandEdges[static_cast<std::size_t>(band) + 1];
      mine.points = sc.ink.data() + first;
      mine.detail = sc.detail.data() + first;
      mine.good = count;
      sc.bandUpdates[static_cast<std::size_t>(band)] = inkSplodgeBand(mine);
    });
    for (std::uint64_t u : sc.bandUpdates) stats_.pixelUpdates += u;
    stats_.points += static_cast<std::uint64_t>(count);
    if (first + count < good && stopNow(sources)) return false;
  }
  return true;
}

bool FastInker::inkOld(const Plan& plan, const InkStep& ink, const PixelMapper& pixels, Canvas& canvas, int good,
                       const StepSources& sources) {
  Scratch& sc = *sc_;
  const bool table = plan.N246 <= kMaxTable246;
  const double perPoint = (static_cast<double>(plan.N246) + 1) * (static_cast<double>(plan.N246) + 1);
  const int batch = static_cast<int>(std::clamp(tuning.batchUpdates / perPoint, 1.0, 1e9));
  for (int first = 0; first < good; first += batch) {
    const int count = std::min(batch, good - first);
    const int bands = bandsFor(perPoint * count, canvas.H);
    splitBands(sc.bandEdges, sc.rowCount, sc.ink.data() + first, count, bands, 0, canvas.H);
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
      const OldBand job{canvas.color.data(),
                        canvas.firstStep.data(),
                        canvas.W,
                        canvas.H,
                        sc.bandEdges[b],
                        sc.bandEdges[b + 1],
                        sc.ink.data() + first,
                        sc.detail.data() + first,
                        count,
                        plan.Nd,
                        plan.p246,
                        plan.L246,
                        plan.N246,
                        table ? &sc.offsets246 : nullptr,
                        &sc.cols246[b],
                        &sc.rows246[b],
                        &ink,
                        &pixels};
      sc.bandUpdates[b] = inkOldBand(job);
    });
    for (std::uint64_t u : sc.bandUpdates) stats_.pixelUpdates += u;
    stats_.points += static_cast<std::uint64_t>(count);
    if (first + count < good && stopNow(sources)) return false;
  }
  return true;
}

// Whether to end the step for a stop request: asked every few tenths of a second.
bool FastInker::stopNow(const StepSources& sources) {
  if (!sources.stopPending) return false;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastStopCheck_ < std::chrono::milliseconds(tuning.stopCheckMs)) return false;
  lastStopCheck_ = now;
  return sources.stopPending();
}

bool FastInker::drawStep(const StepFrame& f, const StepSources& sources, const InkStep& ink, const PixelMapper& pixels,
                         Canvas& canvas, Random& random, double& zFactor) {
  Scratch& sc = *sc_;
  lastStopCheck_ = std::chrono::steady_clock::now();
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
    bool badColours = false;
    const int good = computePoints(f, sources, ink, pixels, ring ? next : static_cast<std::size_t>(-1), k, badColours);
    if (good < M && f.scatter) rewind(stateBefore, good + 1);

    if (plan.skip) {
      stats_.points += static_cast<std::uint64_t>(good);
    } else if (good > 0) {
      int failedAt = 0;
      if (!plan.safe || badColours) {
        if (!inkByReference(f, ink, pixels, canvas, good, failedAt)) {
          zFactor = sc.ink[static_cast<std::size_t>(failedAt)].z;
          if (f.scatter) rewind(stateBefore, failedAt + 1);
          return true;
        }
      } else if (!ink.old246) {
        // The pixels the reference would have failed to work out, in its order.
        for (int j = 0; j < good; ++j)
          if (sc.detail[static_cast<std::size_t>(j)].unplaced)
            pixels.failures->record(sc.detail[static_cast<std::size_t>(j)].unplacedNumerator, pixels.map.twoS);
        if (!inkSplodges(plan, ink, canvas, good, sources)) return false;
      } else if (!inkOld(plan, ink, pixels, canvas, good, sources)) {
        return false;
      }
    }
    if (M > 0) zFactor = sc.ink[static_cast<std::size_t>(std::min(good, M - 1))].z;
    if (good < M) return true;
    k += M;
    next += static_cast<std::size_t>(M);
    if (stopNow(sources)) return false;
  }
  return true;
}

}  // namespace zorva
