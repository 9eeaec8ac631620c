#include "render/canvas.h"

#include <algorithm>

namespace zorva {

void Canvas::resize(int width, int height) {
  if (width == W && height == H) return;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  ZeroedArray<double> newColor(n * 3);
  ZeroedArray<std::int32_t> newBase(n * 3);
  ZeroedArray<std::int32_t> newFirst(n);
  const int keepW = std::min(W, width), keepH = std::min(H, height);
  for (int y = 0; y < keepH; ++y) {
    const std::size_t from = pixel(0, y), to = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::copy_n(color.begin() + from * 3, keepW * 3, newColor.begin() + to * 3);
    std::copy_n(base.begin() + from * 3, keepW * 3, newBase.begin() + to * 3);
    std::copy_n(firstStep.begin() + from, keepW, newFirst.begin() + to);
  }
  color = std::move(newColor);
  base = std::move(newBase);
  firstStep = std::move(newFirst);
  W = width;
  H = height;
  pointMap.clear();
  pointMap.shrink_to_fit();
}

}  // namespace zorva
