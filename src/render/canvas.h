// The accumulation buffer with its companion arrays, and the 24-bit
// picture bitmap. Buffers are indexed by column from the left and row from
// the bottom, channel 0 red; colours are interleaved per pixel and rows are
// contiguous, so a splodge's pixels lie close together.
#pragma once

#include <cstdint>
#include <vector>

#include "base/zeroed_memory.h"
#include "io/picture.h"

namespace zorva {

inline constexpr std::int32_t kNeverPainted = 1000000;
inline constexpr std::int32_t kNoPoint = -999;

struct Canvas {
  int W = 0;
  int H = 0;
  ZeroedArray<double> color;  // ColorArray
  // BaseColorArray. Its values are always whole numbers: image bytes, or the
  // background colour settings, which only a hand-edited file takes outside
  // 0..255. So it is kept as bytes, or as 32-bit integers while a colour
  // does not fit (wideBase); either reads back as the same doubles.
  ZeroedArray<std::uint8_t> base8;
  ZeroedArray<std::int32_t> base32;
  bool wideBase = false;
  ZeroedArray<std::int32_t> firstStep;  // FirstStepArray
  // PointMap: made (all "no point") when canvas editing first needs it.
  std::vector<std::int32_t> pointMap;
  std::int32_t* PointMap() {
    if (pointMap.empty()) pointMap.assign(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), kNoPoint);
    return pointMap.data();
  }

  bool onCanvas(int x, int y) const { return x >= 0 && x < W && y >= 0 && y < H; }
  std::size_t pixel(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
  }
  double& ColorArray(int c, int x, int y) { return color[pixel(x, y) * 3 + static_cast<std::size_t>(c)]; }
  double BaseColorArray(int c, int x, int y) const {
    const std::size_t at = pixel(x, y) * 3 + static_cast<std::size_t>(c);
    return wideBase ? base32[at] : base8[at];
  }
  // Makes BaseColorArray bytes or integers; a change of width leaves it all 0.
  void setBaseWidth(bool wide);
  std::int32_t& FirstStepArray(int x, int y) { return firstStep[pixel(x, y)]; }

  // New size; cells that exist in both sizes keep their values, new cells
  // start at 0 (PointMap becomes all "no point").
  void resize(int width, int height);
};

}  // namespace zorva
