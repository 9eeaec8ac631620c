// The source and background images as the drawing reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorva {

// Source image: h rows of w + 1 pixels (the extra column repeats column 0)
// plus a repeated row, addressed bottom-up; RGB bytes.
struct SourceImage {
  int h = -1, w = -2;             // "none" marks until an image is loaded
  std::vector<std::uint8_t> rgb;  // (h + 1) rows of (w + 1) pixels, row 0 = bottom image row
  bool loaded() const { return h > 0; }
  const std::uint8_t* entry(int row, int column) const {
    return rgb.data() +
           (static_cast<std::size_t>(row) * static_cast<std::size_t>(w + 1) + static_cast<std::size_t>(column)) * 3;
  }
};

// Background image: h rows of w pixels, RGB, row 0 = bottom image row.
struct BackgroundImage {
  int h = -1, w = -2;
  std::vector<std::uint8_t> rgb;
  bool present() const { return h >= 1; }
  const std::uint8_t* pixel(int row, int column) const {
    return rgb.data() +
           (static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + static_cast<std::size_t>(column)) * 3;
  }
};

}  // namespace zorva
