// Reading PNG, JPEG and BMP images into 8-bit RGB, and the PNG writer used
// for saved pictures and source-image copies. Decoding goes through libpng,
// libjpeg-turbo and stb_image; every failure comes back as a message that
// names the file and the decoder's reason, never as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "io/picture.h"

namespace zorva {

enum class ImageType { Png, Jpeg, Bmp, Unknown };

// Largest image the loaders accept; anything bigger is refused before any
// pixel memory is allocated.
inline constexpr int kMaxImageSide = 30000;
inline constexpr std::int64_t kMaxImagePixels = 100'000'000;

// By the lower-cased extension of the name: png; jpg and jpeg; bmp.
ImageType imageTypeFromName(const std::string& fileName);

// Why an image of this size is refused (no pixels, a side over
// kMaxImageSide, more than kMaxImagePixels), or nullopt when it is fine.
std::optional<std::string> imageSizeProblem(std::int64_t width, std::int64_t height);

// Decodes by the type of the name's extension. Alpha is composited over
// white. On failure returns a message such as
// "Cannot read image \"/tmp/a.png\": <the decoder's reason>".
std::variant<RgbImage, std::string> loadImage(const std::string& fileName);

// Writes 8-bit RGB (alpha == nullptr) or RGBA (alpha: one byte per pixel,
// row-major, width bytes a row) as PNG: no interlace, the Sub filter on every
// row, zlib level 7, IDAT chunks of at most 65535 bytes and no ancillary
// chunks. rgbStride is the distance in bytes between rows of rgb. The file
// is replaced atomically. Returns an error message or nullopt.
std::optional<std::string> writePng(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                    std::size_t rgbStride, const std::uint8_t* alpha);

}  // namespace zorva
