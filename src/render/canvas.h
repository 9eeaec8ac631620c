// The accumulation buffer with its companion arrays, and the 24-bit
// picture bitmap. Buffers are indexed by column from the left and row from
// the bottom, channel 0 red; colours are interleaved per pixel and rows are
// contiguous, so a splodge's pixels lie close together.
#pragma once

#include <cstdint>
#include <vector>

namespace zorva {

inline constexpr std::int32_t kNeverPainted = 1000000;
inline constexpr std::int32_t kNoPoint = -999;

struct Canvas {
  int W = 0;
  int H = 0;
  std::vector<double> color;         // ColorArray
  std::vector<double> base;          // BaseColorArray
  std::vector<std::int32_t> firstStep;  // FirstStepArray
  std::vector<std::int32_t> pointMap;   // PointMap

  std::size_t pixel(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x); }
  double& ColorArray(int c, int x, int y) { return color[pixel(x, y) * 3 + static_cast<std::size_t>(c)]; }
  double& BaseColorArray(int c, int x, int y) { return base[pixel(x, y) * 3 + static_cast<std::size_t>(c)]; }
  std::int32_t& FirstStepArray(int x, int y) { return firstStep[pixel(x, y)]; }

  // New size; cells that exist in both sizes keep their values, new cells
  // start at 0 (PointMap is filled with "no point").
  void resize(int width, int height);
};

// 24 bits a pixel, bytes blue, green, red; row 0 is the top row.
struct Bitmap24 {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;

  void create(int w, int h) {
    width = w;
    height = h;
    bgr.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0);
  }
  std::uint8_t* row(int r) { return bgr.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width) * 3; }
  const std::uint8_t* row(int r) const { return bgr.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width) * 3; }
  bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace zorva
