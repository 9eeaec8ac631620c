#include "render/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace zorva {

namespace {
constexpr std::size_t kLarge = std::size_t{4} << 20;  // smaller blocks come from calloc
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void* allocateZeroed(std::size_t bytes) {
  if (bytes < kLarge) {
    void* p = std::calloc(bytes, 1);
    if (!p) throw std::bad_alloc();
    return p;
  }
  // Anonymous pages arrive zeroed; a huge-page-aligned range may use huge pages.
  const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) munmap(raw, aligned - start);
  const std::size_t tail = start + length + kHugePage - (aligned + length);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

void freeZeroed(void* p, std::size_t bytes) {
  if (!p) return;
  if (bytes < kLarge) {
    std::free(p);
    return;
  }
  munmap(p, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}

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
