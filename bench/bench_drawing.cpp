// Drawing speed: one step and whole drawings, through both inkers and on
// one thread or all cores. Counters give points and pixel updates per
// second; the buffers are allocated before timing starts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>

#include "render/engine.h"

namespace {

using zorva::Engine;
using zorva::InkerKind;

enum Workload { kDefault, kHeavy, kColourful, kOldInking };

void configure(Engine& engine, Workload workload) {
  zorva::Settings& s = engine.settings;
  s = zorva::Settings{};
  switch (workload) {
    case kDefault:
      break;
    case kHeavy:  // large grain and splodges, fewer steps
      s.StartGrain = s.EndGrain = 1000;
      s.SplodgeStartLimit = s.SplodgeEndLimit = 6;
      s.Steps = 200;
      break;
    case kColourful:
      s.NewColor = true;
      break;
    case kOldInking:
      s.BoolInk246 = true;
      break;
  }
}

void report(benchmark::State& state, const zorva::DrawStats& work, std::int64_t runs) {
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(work.points) * static_cast<double>(runs), benchmark::Counter::kIsRate);
  state.counters["updates/s"] = benchmark::Counter(static_cast<double>(work.pixelUpdates) * static_cast<double>(runs),
                                                   benchmark::Counter::kIsRate);
}

// A whole drawing: args are workload, inker (0 fast, 1 reference), threads.
void BM_Drawing(benchmark::State& state) {
  Engine engine;
  configure(engine, static_cast<Workload>(state.range(0)));
  engine.setInker(state.range(1) == 0 ? InkerKind::Fast : InkerKind::Reference);
  engine.setThreads(static_cast<int>(state.range(2)));
  engine.ClearPicture();
  for (auto _ : state) {
    engine.random().seed(1);
    engine.DrawOrStop();
  }
  report(state, engine.stats(), state.iterations());
}

// One default step (step 500 of 1000) on its own.
void BM_Step(benchmark::State& state) {
  Engine engine;
  configure(engine, static_cast<Workload>(state.range(0)));
  engine.setInker(state.range(1) == 0 ? InkerKind::Fast : InkerKind::Reference);
  engine.setThreads(static_cast<int>(state.range(2)));
  engine.ClearPicture();
  const zorva::Settings& s = engine.settings;
  // Let a one-step drawing set the per-step values, then time the step alone.
  engine.settings.Steps = 1;
  engine.DrawOrStop();
  engine.settings.Steps = s.Steps;
  const double grain = s.StartGrain;
  const zorva::DrawStats before = engine.stats();
  std::int64_t steps = 0;
  for (auto _ : state) {
    engine.DrawByParameters(1, 500, 1, std::ceil(engine.step().CurrentSplodgeLimit), grain, 0, 0, 0, 2, 0, 1000, 1, -2,
                            2, 0, 0);
    ++steps;
  }
  const zorva::DrawStats after = engine.stats();
  const zorva::DrawStats perStep{(after.points - before.points) / static_cast<std::uint64_t>(steps),
                                 (after.pixelUpdates - before.pixelUpdates) / static_cast<std::uint64_t>(steps)};
  report(state, perStep, state.iterations());
}

const int kCores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

void drawingArgs(benchmark::internal::Benchmark* b) {
  for (int workload : {kDefault, kHeavy, kColourful, kOldInking})
    for (int inker : {0, 1}) {
      b->Args({workload, inker, 1});
      if (inker == 0 && kCores > 1) b->Args({workload, inker, kCores});
    }
}

}  // namespace

BENCHMARK(BM_Drawing)
    ->Apply(drawingArgs)
    ->ArgNames({"workload", "reference", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Step)
    ->Apply(drawingArgs)
    ->ArgNames({"workload", "reference", "threads"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_MAIN();
