// Saving speed: writePng on a print-size (4000 x 4000) RGB picture on one
// thread and on two. The picture is made up rather than drawn, so that the
// benchmark does not depend on the drawing code: a dark ground and a faint ring
// of grain, which deflates about as well as a drawn nebula (a file of some
// 12% of the pixel bytes). The file goes to /dev/shm where it exists, so
// the times are those of the encoder and not of the disk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "io/image_io.h"

namespace {

constexpr int kSide = 4000;

// The picture as writePng takes it: RGB, top row first.
const std::vector<std::uint8_t>& printSizePicture() {
  static const std::vector<std::uint8_t> rgb = [] {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kSide) * kSide * 3);
    std::mt19937 rng(1);
    const double centre = kSide / 2.0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        std::uint8_t* to = &out[(static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)) * 3];
        to[0] = 4;
        to[1] = 3;
        to[2] = 16;
        // A faint ring of fine threads, reddish outside and bluish inside.
        const double r = std::hypot(x - centre, y - centre) / centre;
        const double ring = std::exp(-(r - 0.6) * (r - 0.6) * 28);
        if (ring < 0.02 || rng() % 4 != 0) continue;
        const int ink = static_cast<int>(ring * (rng() % 48));
        to[0] = static_cast<std::uint8_t>(to[0] + ink * r);
        to[1] = static_cast<std::uint8_t>(to[1] + ink / 8);
        to[2] = static_cast<std::uint8_t>(to[2] + ink * (1.2 - r));
      }
    return out;
  }();
  return rgb;
}

std::string outputFile() {
  std::error_code ec;
  const std::filesystem::path shm = "/dev/shm";
  const auto folder = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
  return (folder / "zorva_bench_write.png").string();
}

void BM_WritePng(benchmark::State& state) {
  const std::vector<std::uint8_t>& rgb = printSizePicture();
  const std::string file = outputFile();
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (auto error = zorva::writePng(file, kSide, kSide, rgb.data(), kSide * 3, nullptr, threads)) {
      state.SkipWithError(error->c_str());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rgb.size()));
  std::error_code ec;
  state.counters["file MB"] = static_cast<double>(std::filesystem::file_size(file, ec)) / 1e6;
  std::filesystem::remove(file, ec);
}

}  // namespace

BENCHMARK(BM_WritePng)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
