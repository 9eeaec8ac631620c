// Frames per second of a small animation through the frame maker: each
// frame a whole drawing, its picture set saved and the picture cleared, on
// one thread and on two.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "animation/animation.h"

namespace {

// Eight frames of 200 x 200 with the radius, angle and plane translation moving.
void BM_AnimationFrames(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "zorva-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) {
    state.SkipWithError("no temporary folder");
    return;
  }
  zorva::Engine engine;
  engine.setThreads(static_cast<int>(state.range(0)));
  zorva::Settings& s = engine.settings;
  s.ImageWidth = s.ImageHeight = 200;
  s.Steps = 200;
  s.StartGrain = s.EndGrain = 150;
  s.wave(zorva::Wave::Radius).ChangeStart = 0.5;
  s.wave(zorva::Wave::Angle).ChangeEnd = 45;
  s.wave(zorva::Wave::PTX).ChangeStart = 0.25;
  engine.ClearPicture();
  zorva::Animation animation(engine);
  zorva::FrameRun run;
  run.frames = 8;
  run.stem = folder + "/frame";
  run.seed = 1;
  std::int64_t frames = 0;
  for (auto _ : state) frames += animation.makeFrames(run).drawn;
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

}  // namespace

BENCHMARK(BM_AnimationFrames)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
