#include "render/canvas.h"

#include <algorithm>

namespace zorva {

void Canvas::resize(int width, int height) {
  if (width == W && height == H) return;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<double> newColor(n * 3, 0.0), newBase(n * 3, 0.0);
  std::vector<std::int32_t> newFirst(n, 0);
  const int keepW = std::min(W, width), keepH = std::min(H, height);
  for (int y = 0; y < keepH; ++y) {
    const std::size_t from = pixel(0, y), to = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::copy_n(color.begin() + static_cast<std::ptrdiff_t>(from * 3), keepW * 3, newColor.begin() + static_cast<std::ptrdiff_t>(to * 3));
    std::copy_n(base.begin() + static_cast<std::ptrdiff_t>(from * 3), keepW * 3, newBase.begin() + static_cast<std::ptrdiff_t>(to * 3));
    std::copy_n(firstStep.begin() + static_cast<std::ptrdiff_t>(from), keepW, newFirst.begin() + static_cast<std::ptrdiff_t>(to));
  }
  color = std::move(newColor);
  base = std::move(newBase);
  firstStep = std::move(newFirst);
  W = width;
  H = height;
  pointMap.assign(n, kNoPoint);
}

}  // namespace zorva
