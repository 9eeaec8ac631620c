// From the accumulation buffer to the 24-bit picture, and the resets.
#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>

#include "base/math_util.h"
#include "base/thread_pool.h"
#include "render/engine.h"

namespace zorva {

namespace {

// Rows are split into this many bands per worker so uneven rows still
// spread across the cores.
constexpr int kBandsPerThread = 4;

// Rounded to the nearest integer, ties to even, and clamped to 0..255.
// Adding and taking away 2^52 rounds in the default rounding mode without
// a call into the maths library.
std::uint8_t toByte(double v) {
  if (!(v > 0.5)) return 0;  // also NaN
  if (v >= 255) return 255;
  return static_cast<std::uint8_t>((v + 4503599627370496.0) - 4503599627370496.0);
}

// The range of the squeezed colours of painted pixels and the brightest base.
struct ColourRange {
  double hi[3] = {-1e9, -1e9, -1e9}, lo[3] = {1e9, 1e9, 1e9}, top[3] = {0, 0, 0};
  void merge(const ColourRange& r) {
    for (int c = 0; c < 3; ++c) {
      hi[c] = std::max(hi[c], r.hi[c]);
      lo[c] = std::min(lo[c], r.lo[c]);
      top[c] = std::max(top[c], r.top[c]);
    }
  }
  // The stretch factor k: 1 for a single colour.
  double stretch(bool white) const {
    if (hi[0] == lo[0] && hi[1] == lo[1] && hi[2] == lo[2]) return 1;
    const double range = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                                   (hi[2] - lo[2]) * (hi[2] - lo[2]));
    const double target = white ? std::sqrt(top[0] * top[0] + top[1] * top[1] + top[2] * top[2])
                                : std::sqrt((255 - top[0]) * (255 - top[0]) + (255 - top[1]) * (255 - top[1]) +
                                            (255 - top[2]) * (255 - top[2]));
    return target / range;
  }
};

}  // namespace

void Engine::MakeBitmap() {
  if (picture_.width != canvas_.W || picture_.height != canvas_.H) picture_.create(canvas_.W, canvas_.H);
  host_->pictureChanged();
}

void Engine::MakePictureBlack() {
  if (!CurveDrawing) {
    const Settings& s = settings;
    const std::int32_t bg[3] = {s.BgMaxRed, s.BgMaxGreen, s.BgMaxBlue};
    const bool fromImage = background_.present() && s.UseBackgroundImage;
    const int W = canvas_.W, H = canvas_.H;
    canvas_.setBaseWidth(std::any_of(bg, bg + 3, [](std::int32_t v) { return v < 0 || v > 255; }));
    const bool wide = canvas_.wideBase;
    // Every pixel on its own, so rows may be reset in parallel, on every
    // core: this prepares a drawing, it is not part of one.
    ThreadPool& pool = everyCorePool();
    const int bands = std::max(1, std::min(H, pool.size() * kBandsPerThread));
    pool.run(bands, [&](int band) {
      const int y0 = static_cast<int>(static_cast<long long>(H) * band / bands);
      const int y1 = static_cast<int>(static_cast<long long>(H) * (band + 1) / bands);
      for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < W; ++x) {
          const std::size_t at = canvas_.pixel(x, y);
          canvas_.firstStep[at] = kNeverPainted;
          std::int32_t colour[3] = {bg[0], bg[1], bg[2]};
          if (CurveShown) {
            const int row = snapshot_.height - 1 - y;
            if (snapshot_.height != 0 && x < snapshot_.width && row >= 0) {
              const std::uint8_t* p = snapshot_.row(row) + static_cast<std::size_t>(x) * 3;
              colour[0] = p[2];
              colour[1] = p[1];
              colour[2] = p[0];
            }
          } else if (fromImage) {
            if (auto src = backgroundPixelFor(x, y)) {
              const std::uint8_t* p = background_.pixel(src->second, src->first);
              colour[0] = p[0];
              colour[1] = p[1];
              colour[2] = p[2];
            }
          }
          for (std::size_t c = 0; c < 3; ++c) {
            if (wide)
              canvas_.base32[at * 3 + c] = colour[c];
            else
              canvas_.base8[at * 3 + c] = static_cast<std::uint8_t>(colour[c]);
            canvas_.color[at * 3 + c] = colour[c];
          }
        }
      }
    });
  }
  showArrayOnImage();
}

ThreadPool& Engine::everyCorePool() {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (fast_.pool().size() >= cores) return fast_.pool();
  if (!everyCore_) {
    try {
      everyCore_.emplace(cores);
    } catch (const std::exception&) {
      return fast_.pool();  // no more threads to be had: the drawing workers do it
    }
  }
  return *everyCore_;
}

void Engine::showArrayOnImage() {
  if (host_->showsPicture()) drawArrayOnImage();
}

std::optional<std::pair<int, int>> Engine::backgroundPixelFor(int x, int y) const {
  const Settings& s = settings;
  const int w = background_.w, h = background_.h;
  const double Wp = s.ImageWidth, Hp = s.ImageHeight;
  long long sx = 0, sy = 0;
  if (s.BackgroundImagePositionCentered) {
    sx = static_cast<long long>(std::floor(x - (Wp - w) / 2));
    sy = static_cast<long long>(std::floor(y - (Hp - h) / 2));
  }
  if (s.BackgroundImagePositionStretched) {
    sx = static_cast<long long>(std::floor(static_cast<double>(x) * w / Wp));
    sy = static_cast<long long>(std::floor(static_cast<double>(y) * h / Hp));
  }
  if (s.BackgroundImagePositionTiled) {
    sx = x % w;
    sy = y % h;
  }
  if (sx >= 0 && sx <= w - 1 && sy >= 0 && sy <= h - 1)
    return std::pair<int, int>(static_cast<int>(sx), static_cast<int>(sy));
  return std::nullopt;
}

std::uint8_t Engine::transparencyAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool white,
                                       std::int32_t opacity) {
  const double a = white ? 255 - std::min({r, g, b}) : std::max({r, g, b});
  const double alpha = std::min(255.0, roundEven(a * opacity / 10));
  return alpha > 0 ? static_cast<std::uint8_t>(alpha) : 0;
}

void Engine::drawArrayOnImage() {
  if (canvas_.wideBase)
    composePicture(canvas_.base32.data());
  else
    composePicture(canvas_.base8.data());
  host_->pictureChanged();
}

// drawArrayOnImage with the base colours as bytes or as integers.
template <typename Base>
void Engine::composePicture(const Base* B) {
  const int W = canvas_.W, H = canvas_.H;
  if (picture_.width != W || picture_.height != H) picture_.create(W, H);
  const bool white = settings.White;
  const double D = NormalisationDivisor;
  const bool normalise = settings.InterpolateColors && D != 0;
  const double* A = canvas_.color.data();
  const std::int32_t* first = canvas_.firstStep.data();
  const int bands = std::max(1, std::min(H, fast_.pool().size() * kBandsPerThread));
  auto bandRows = [&](int band, int& y0, int& y1) {
    y0 = static_cast<int>(static_cast<long long>(H) * band / bands);
    y1 = static_cast<int>(static_cast<long long>(H) * (band + 1) / bands);
  };
  // The squeezed colour of channel c of a painted pixel.
  auto squeezed = [&](std::size_t at, int c) {
    const double b = B[at * 3 + static_cast<std::size_t>(c)];
    return b + std::atan((A[at * 3 + static_cast<std::size_t>(c)] - b) / 100);
  };

  ColourRange range;
  double k = 1;
  if (normalise) {
    // First pass: the range of the squeezed colours of painted pixels; max
    // and min do not depend on the order, so bands may run in parallel.
    std::vector<ColourRange> ranges(static_cast<std::size_t>(bands));
    fast_.pool().run(bands, [&](int band) {
      int y0, y1;
      bandRows(band, y0, y1);
      ColourRange& r = ranges[static_cast<std::size_t>(band)];
      for (std::size_t at = canvas_.pixel(0, y0), end = canvas_.pixel(0, y1); at < end; ++at) {
        if (first[at] >= kNeverPainted) continue;
        for (int c = 0; c < 3; ++c) {
          const double b = B[at * 3 + static_cast<std::size_t>(c)];
          const double N = squeezed(at, c);
          const double q = white ? (b - N) * (D - 1) / D + N : N / D;
          r.hi[c] = std::max(r.hi[c], q);
          r.lo[c] = std::min(r.lo[c], q);
          r.top[c] = std::max(r.top[c], b);
        }
      }
    });
    for (const ColourRange& r : ranges) range.merge(r);
    k = range.stretch(white);
  }

  // Second pass: the bytes, buffer row y on picture row H - 1 - y.
  fast_.pool().run(bands, [&](int band) {
    int y0, y1;
    bandRows(band, y0, y1);
    for (int y = y0; y < y1; ++y) {
      std::uint8_t* out = picture_.row(H - 1 - y);
      for (int x = 0; x < W; ++x) {
        const std::size_t at = canvas_.pixel(x, y);
        double v[3];
        if (normalise && first[at] < kNeverPainted) {
          for (int c = 0; c < 3; ++c) {
            const double N = squeezed(at, c);
            v[c] = white ? range.top[c] - (range.hi[c] - N) * k : (N - range.lo[c]) * k + range.top[c];
          }
        } else {
          v[0] = A[at * 3];
          v[1] = A[at * 3 + 1];
          v[2] = A[at * 3 + 2];
        }
        out[static_cast<std::size_t>(x) * 3 + 0] = toByte(v[2]);
        out[static_cast<std::size_t>(x) * 3 + 1] = toByte(v[1]);
        out[static_cast<std::size_t>(x) * 3 + 2] = toByte(v[0]);
      }
    }
  });
}

}  // namespace zorva
