// Reading PNG, JPEG and BMP images into 8-bit RGB (image_io.cpp), and the
// PNG writer used for saved pictures and source-image copies (png_writer.cpp).
// Decoding goes through libpng, libjpeg-turbo and stb_image; every failure
// comes back as a message that names the file and the decoder's reason,
// never as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "io/picture.h"

namespace zorva {

class ThreadPool;

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
//
// The filtered rows are deflated in blocks of pngRowsPerBlock rows, each on
// whichever thread is free, and joined into one zlib stream; the blocks
// depend only on the row size, so the file is the same byte for byte with
// any number of threads. threads <= 0 means one per hardware thread.
std::optional<std::string> writePng(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                    std::size_t rgbStride, const std::uint8_t* alpha, int threads = 0);
std::optional<std::string> writePng(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                    std::size_t rgbStride, const std::uint8_t* alpha, ThreadPool& pool);
// The same from pixels whose bytes are blue, green, red (a 24-bit picture
// as it is kept), without a copy in the other order.
std::optional<std::string> writePngFromBgr(const std::string& fileName, int width, int height, const std::uint8_t* bgr,
                                           std::size_t bgrStride, const std::uint8_t* alpha, int threads = 0);

// Filtered bytes the writer aims at per block: big enough that the blocks
// barely cost compression, small enough that a print-size picture has many.
inline constexpr std::size_t kPngBlockBytes = std::size_t{256} << 10;

// Rows in each deflate block (the last block may have fewer): as many whole
// filtered rows (filter byte and width * channels samples) as fit in
// kPngBlockBytes, at least one.
int pngRowsPerBlock(int width, int channels);

}  // namespace zorva
