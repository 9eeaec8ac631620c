// Resampling of RGB images to another size (an area average, through
// stb_image_resize), for images that have to fit a fixed canvas.
#pragma once

#include "io/picture.h"

namespace zorva {

// The image resampled to width x height with a box filter: each new pixel
// is the average of the pixels it covers. An empty or malformed image, or a
// target size that is not positive, gives an empty image.
RgbImage resizeRgb(const RgbImage& image, int width, int height);

}  // namespace zorva
