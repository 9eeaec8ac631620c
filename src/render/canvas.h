// The accumulation buffer with its companion arrays, and the 24-bit
// picture bitmap. Buffers are indexed by column from the left and row from
// the bottom, channel 0 red; colours are interleaved per pixel and rows are
// contiguous, so a splodge's pixels lie close together.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zorva {

inline constexpr std::int32_t kNeverPainted = 1000000;
inline constexpr std::int32_t kNoPoint = -999;

// Zero-filled memory for large buffers: fresh pages from the system (no
// clearing pass), in huge pages where the system allows, so first touches
// cost few page faults.
void* allocateZeroed(std::size_t bytes);
void freeZeroed(void* p, std::size_t bytes);

// A zero-filled array of plain numbers.
template <typename T>
class ZeroedArray {
 public:
  ZeroedArray() = default;
  explicit ZeroedArray(std::size_t n) : size_(n) {
    if (n == 0) return;
    data_ = static_cast<T*>(allocateZeroed(n * sizeof(T)));
  }
  ZeroedArray(ZeroedArray&& o) noexcept : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)) {}
  ZeroedArray& operator=(ZeroedArray&& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(size_, o.size_);
    return *this;
  }
  ZeroedArray(const ZeroedArray&) = delete;
  ZeroedArray& operator=(const ZeroedArray&) = delete;
  ~ZeroedArray() { freeZeroed(data_, size_ * sizeof(T)); }

  std::size_t size() const { return size_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  std::vector<T> vector() const { return std::vector<T>(begin(), end()); }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

struct Canvas {
  int W = 0;
  int H = 0;
  ZeroedArray<double> color;            // ColorArray
  // BaseColorArray. Its values are always whole numbers (background colour
  // settings and image bytes), so they are kept as 32-bit integers: half the
  // memory, the same doubles when read.
  ZeroedArray<std::int32_t> base;
  ZeroedArray<std::int32_t> firstStep;  // FirstStepArray
  // PointMap: made (all "no point") when canvas editing first needs it.
  std::vector<std::int32_t> pointMap;
  std::int32_t* PointMap() {
    if (pointMap.empty()) pointMap.assign(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), kNoPoint);
    return pointMap.data();
  }

  std::size_t pixel(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x); }
  double& ColorArray(int c, int x, int y) { return color[pixel(x, y) * 3 + static_cast<std::size_t>(c)]; }
  double BaseColorArray(int c, int x, int y) const { return base[pixel(x, y) * 3 + static_cast<std::size_t>(c)]; }
  std::int32_t& FirstStepArray(int x, int y) { return firstStep[pixel(x, y)]; }

  // New size; cells that exist in both sizes keep their values, new cells
  // start at 0 (PointMap becomes all "no point").
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
