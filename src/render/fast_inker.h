// The fast inker: one drawing step, its points worked out and inked with
// the reference's formulas (point_geometry.h, ink_step.h), organised for
// speed:
//  - what depends only on the step is worked out once (the trigonometry of
//    the step's angles, the splodge weights with their intensity power) and
//    kept for the next step while its inputs stay the same;
//  - the points are computed in chunks, in parallel where no mouse has to be
//    read, after the angles and random numbers have been drawn in order;
//  - each worker inks every point of the chunk into the band of rows it
//    owns, in point order, so each pixel receives its points in the same
//    order as with one thread.
// A step whose colours could overflow (absurd settings) is inked by the
// reference rules one point at a time, so an arithmetic failure stops it at
// exactly the same pixel.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "base/random.h"
#include "render/canvas.h"
#include "render/ink_step.h"
#include "render/plane.h"
#include "render/point_geometry.h"
#include "render/step_frame.h"

namespace zorva {

class ThreadPool;

// When the work is split between threads. Tests shrink these to exercise
// every branch on small pictures.
struct FastTuning {
  int chunk = 8192;                   // points computed and inked together
  int parallelPoints = 1024;          // fewer points are computed on one thread
  long long parallelUpdates = 40000;  // fewer pixel updates are inked on one thread
  double batchUpdates = 1 << 25;      // pixel updates inked between two looks at a stop request
  int stopCheckMs = 200;              // time between two looks at a stop request
};

// What a step needs besides its frame: the shape curves, the mouse in the
// plane for a rotation centre that follows it, and whether the user asked
// the drawing to stop. Both are asked on the calling thread only, the stop
// at most every few tenths of a second.
struct StepSources {
  PointShapes shapes;
  std::function<std::pair<double, double>()> mouse;
  std::function<bool()> stopPending;
};

class FastInker {
 public:
  explicit FastInker(int threads);
  ~FastInker();
  FastInker(const FastInker&) = delete;
  FastInker& operator=(const FastInker&) = delete;

  // Workers, the calling thread included.
  void setThreads(int threads);
  int threads() const;
  ThreadPool& pool() { return *pool_; }

  FastTuning tuning;
  const DrawStats& stats() const { return stats_; }
  void resetStats() { stats_ = {}; }

  // Draws the points of one step into the canvas; zFactor gets the shade of
  // the last point worked out, as the reference leaves it. False when a stop
  // request ended the step early.
  bool drawStep(const StepFrame& f, const StepSources& sources, const InkStep& ink, const PixelMapper& pixels,
                Canvas& canvas, Random& random, double& zFactor);

 private:
  struct Scratch;
  struct Plan;
  bool buildRing(const StepFrame& f);
  Plan planInking(const StepFrame& f, const InkStep& ink, const Canvas& canvas);
  void buildSplodgeTable(long long R, const InkStep& ink, Plan& plan);
  void buildOldInkTable(Plan& plan);
  int computePoints(const StepFrame& f, const StepSources& sources, const InkStep& ink, const PixelMapper& pixels,
                    std::size_t ringAt, std::int32_t k, bool& badColours);
  bool inkByReference(const StepFrame& f, const InkStep& ink, const PixelMapper& pixels, Canvas& canvas, int good,
                      int& failedAt);
  bool inkSplodges(const Plan& plan, const InkStep& ink, Canvas& canvas, int good, const StepSources& sources);
  bool inkOld(const Plan& plan, const InkStep& ink, const PixelMapper& pixels, Canvas& canvas, int good,
              const StepSources& sources);
  bool stopNow(const StepSources& sources);
  int bandsFor(double updates, int H) const;

  std::unique_ptr<ThreadPool> pool_;
  std::chrono::steady_clock::time_point lastStopCheck_;
  std::unique_ptr<Scratch> sc_;
  DrawStats stats_;
};

}  // namespace zorva
