#include "io/image_resize.h"

#include <climits>
#include <cstddef>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wshadow"
// A private, static copy: no clash with any other user of the library.
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "stb_image_resize.h"
#pragma GCC diagnostic pop

namespace zorva {

namespace {

bool wellFormed(const RgbImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.rgb.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3;
}

}  // namespace

RgbImage resizeRgb(const RgbImage& image, int width, int height) {
  // Row strides are ints in the library.
  if (!wellFormed(image) || image.width > INT_MAX / 3 || width <= 0 || height <= 0 || width > INT_MAX / 3) return {};
  RgbImage out;
  out.width = width;
  out.height = height;
  out.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
  const int ok = stbir_resize_uint8_generic(image.rgb.data(), image.width, image.height, image.width * 3,
                                            out.rgb.data(), width, height, width * 3, 3, STBIR_ALPHA_CHANNEL_NONE, 0,
                                            STBIR_EDGE_CLAMP, STBIR_FILTER_BOX, STBIR_COLORSPACE_LINEAR, nullptr);
  if (!ok) return {};
  return out;
}

}  // namespace zorva
