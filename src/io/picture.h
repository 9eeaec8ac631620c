// Picture types shared by the engine, the image files and the windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorva {

// 8-bit RGB pixels, row 0 at the top, tightly packed (width*3 bytes a row).
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
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
  const std::uint8_t* row(int r) const {
    return bgr.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width) * 3;
  }
  bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace zorva
