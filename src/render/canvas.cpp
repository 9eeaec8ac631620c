#include "render/canvas.h"

#include <algorithm>

namespace zorva {

void Canvas::resize(int width, int height) {
  if (width == W && height == H) return;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  ZeroedArray<double> newColor(n * 3);
  ZeroedArray<std::uint8_t> newBase8(wideBase ? 0 : n * 3);
  ZeroedArray<std::int32_t> newBase32(wideBase ? n * 3 : 0);
  ZeroedArray<std::int32_t> newFirst(n);
  const int keepW = std::min(W, width), keepH = std::min(H, height);
  for (int y = 0; y < keepH; ++y) {
    const std::size_t from = pixel(0, y), to = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::copy_n(color.begin() + from * 3, keepW * 3, newColor.begin() + to * 3);
    if (wideBase)
      std::copy_n(base32.begin() + from * 3, keepW * 3, newBase32.begin() + to * 3);
    else
      std::copy_n(base8.begin() + from * 3, keepW * 3, newBase8.begin() + to * 3);
    std::copy_n(firstStep.begin() + from, keepW, newFirst.begin() + to);
  }
  color = std::move(newColor);
  base8 = std::move(newBase8);
  base32 = std::move(newBase32);
  firstStep = std::move(newFirst);
  W = width;
  H = height;
  pointMap.clear();
  pointMap.shrink_to_fit();
}

void Canvas::setBaseWidth(bool wide) {
  if (wide == wideBase) return;
  const std::size_t n = static_cast<std::size_t>(W) * static_cast<std::size_t>(H) * 3;
  base8 = ZeroedArray<std::uint8_t>(wide ? 0 : n);
  base32 = ZeroedArray<std::int32_t>(wide ? n : 0);
  wideBase = wide;
}

}  // namespace zorva
