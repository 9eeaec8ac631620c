// Pictures for the engine tests: PNG files made from a colour function, and
// PNG bytes decoded by libpng itself rather than by our own reader.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/image_io.h"
#include "support/test_support.h"

namespace zorva::test {

// Writes dir/name, a w x h PNG whose pixel (x, y from the top) has the colour
// f(x, y) (red, green, blue), and returns its path.
template <typename F>
std::string writeImage(const TempDir& dir, const std::string& name, int w, int h, F f) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int v : f(x, y)) rgb.push_back(static_cast<std::uint8_t>(v));
  const std::string path = dir.file(name);
  EXPECT_FALSE(writePng(path, w, h, rgb.data(), static_cast<std::size_t>(w) * 3, nullptr)) << path;
  return path;
}

// A PNG's size and pixels as stored: RGB rows, top first, or RGBA when it has alpha.
struct DecodedPng {
  int width = 0, height = 0;
  bool alpha = false;
  std::vector<std::uint8_t> pixels;
};

inline DecodedPng decodePng(const std::string& bytes) {
  DecodedPng out;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    ADD_FAILURE() << "not a PNG";
    return out;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
  image.format = out.alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    ADD_FAILURE() << "a damaged PNG";
    out.pixels.clear();
  }
  return out;
}

}  // namespace zorva::test
