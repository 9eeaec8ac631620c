// The PNG writer's files, read back piece by piece: the chunks, the zlib
// stream inside the IDATs, the filtered rows it inflates to, and the pixels
// libpng decodes from it; and the same bytes at every thread count.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <random>
#include <regex>

#include "base/thread_pool.h"
#include "io/image_io.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A picture to write: RGB rows `stride` bytes apart (padding filled with
// junk that must not show), and an optional alpha plane.
struct Picture {
  int width, height;
  std::size_t stride;
  Bytes rgb, alpha;
  int channels() const { return alpha.empty() ? 3 : 4; }
  // The samples as a file holds them, interleaved, row by row.
  Bytes interleaved() const {
    Bytes out;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
      for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
        out.insert(out.end(), &rgb[y * stride + x * 3], &rgb[y * stride + x * 3 + 3]);
        if (!alpha.empty()) out.push_back(alpha[y * static_cast<std::size_t>(width) + x]);
      }
    return out;
  }
};

// Noise on half the samples, a slow ramp on the others: it compresses, but
// not to nothing.
Picture picture(int width, int height, bool withAlpha, std::size_t padding, std::uint32_t seed = 1) {
  Picture p{width, height, static_cast<std::size_t>(width) * 3 + padding, {}, {}};
  std::mt19937 rng(seed);
  p.rgb.resize(p.stride * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < p.rgb.size(); ++i) p.rgb[i] = static_cast<std::uint8_t>(rng() % 2 ? rng() : i / 97);
  if (withAlpha) {
    p.alpha.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (auto& a : p.alpha) a = static_cast<std::uint8_t>(rng() % 3 ? 255 : rng());
  }
  return p;
}

Bytes inflateAll(const Bytes& stream) {
  z_stream zs{};
  EXPECT_EQ(inflateInit(&zs), Z_OK);
  Bytes out;
  std::uint8_t buffer[1 << 16];
  zs.next_in = const_cast<std::uint8_t*>(stream.data());
  zs.avail_in = static_cast<uInt>(stream.size());
  int status = Z_OK;
  while (status == Z_OK) {
    zs.next_out = buffer;
    zs.avail_out = sizeof buffer;
    status = inflate(&zs, Z_NO_FLUSH);
    out.insert(out.end(), buffer, zs.next_out);
  }
  EXPECT_EQ(status, Z_STREAM_END) << (zs.msg != nullptr ? zs.msg : "");
  EXPECT_EQ(zs.avail_in, 0u) << "bytes after the end of the zlib stream";
  inflateEnd(&zs);
  return out;
}

// Everything a written file must be, checked from the file alone: the
// signature, chunks with their CRCs, an IHDR for the picture, IDATs of at
// most 65535 bytes holding one zlib stream of the Sub-filtered rows with
// their Adler-32, and pixels libpng decodes as the picture's.
void checkFile(const Bytes& png, const Picture& p) {
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{137, 80, 78, 71, 13, 10, 26, 10}));
  std::string types;
  Bytes ihdr, stream;
  std::size_t pos = 8;
  for (std::size_t length; pos + 12 <= png.size() && pos + 12 + (length = be32(&png[pos])) <= png.size();
       pos += 12 + length) {
    const std::uint8_t* body = &png[pos + 4];
    EXPECT_EQ(be32(body + 4 + length), crc32(0, body, static_cast<uInt>(4 + length))) << "chunk at " << pos;
    const std::string type(body, body + 4);
    types += type;
    if (type == "IHDR") ihdr.assign(body + 4, body + 4 + length);
    if (type != "IDAT") continue;
    EXPECT_TRUE(length > 0 && length <= 65535u) << length;
    stream.insert(stream.end(), body + 4, body + 4 + length);
  }
  EXPECT_EQ(pos, png.size()) << "bytes after the last whole chunk";
  ASSERT_TRUE(std::regex_match(types, std::regex("IHDR(IDAT)+IEND"))) << types;
  ASSERT_EQ(ihdr.size(), 13u);
  EXPECT_EQ(be32(&ihdr[0]), static_cast<std::uint32_t>(p.width));
  EXPECT_EQ(be32(&ihdr[4]), static_cast<std::uint32_t>(p.height));
  EXPECT_EQ(Bytes(ihdr.begin() + 8, ihdr.end()),
            (Bytes{8, static_cast<std::uint8_t>(p.channels() == 4 ? 6 : 2), 0, 0, 0}));

  // Each row as filter type 1 (Sub): each sample minus the one a pixel to its left.
  const Bytes samples = p.interleaved();
  const std::size_t bpp = static_cast<std::size_t>(p.channels()), rowBytes = bpp * static_cast<std::size_t>(p.width);
  Bytes filtered;
  for (std::size_t row = 0; row < samples.size(); row += rowBytes) {
    filtered.push_back(1);
    for (std::size_t i = 0; i < rowBytes; ++i)
      filtered.push_back(static_cast<std::uint8_t>(samples[row + i] - (i >= bpp ? samples[row + i - bpp] : 0)));
  }
  // A zlib header (deflate, 32 KiB window, no preset dictionary), the rows, their Adler-32.
  ASSERT_GE(stream.size(), 6u);
  EXPECT_EQ(stream[0], 0x78);
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0);
  EXPECT_EQ(stream[1] & 0x20, 0);
  EXPECT_TRUE(inflateAll(stream) == filtered) << "the inflated rows differ from the Sub-filtered picture";
  EXPECT_EQ(be32(&stream[stream.size() - 4]),
            adler32(adler32(0, nullptr, 0), filtered.data(), static_cast<uInt>(filtered.size())));

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << image.message;
  EXPECT_EQ((image.format & PNG_FORMAT_FLAG_ALPHA) != 0, p.channels() == 4);
  image.format = p.channels() == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  Bytes decoded(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, decoded.data(), 0, nullptr)) << image.message;
  png_image_free(&image);
  EXPECT_TRUE(decoded == samples) << "libpng decodes other pixels";
}

class PngWriter : public ::testing::Test {
 protected:
  // Writes p with the given thread count and returns the file's bytes.
  Bytes write(const Picture& p, int threads) {
    EXPECT_EQ(writePng(file_, p.width, p.height, p.rgb.data(), p.stride, alphaOf(p), threads), std::nullopt);
    return read();
  }
  Bytes read() const {
    const std::string s = test::readFile(file_);
    return Bytes(s.begin(), s.end());
  }
  static const std::uint8_t* alphaOf(const Picture& p) { return p.alpha.empty() ? nullptr : p.alpha.data(); }
  test::TempDir dir_;
  const std::string file_ = dir_.file("p.png");
};

TEST_F(PngWriter, EveryShapeReadsBackThroughZlibAndLibpng) {
  for (bool withAlpha : {false, true}) {
    const int r = pngRowsPerBlock(700, withAlpha ? 4 : 3);
    // One pixel; one column over blocks; rows larger than a block; odd
    // sizes; whole blocks only; one row more.
    const std::tuple<int, int, std::size_t> shapes[] = {{1, 1, 0},    {1, 70000, 5},   {90000, 3, 1},
                                                        {333, 77, 2}, {700, 2 * r, 3}, {700, 2 * r + 1, 0}};
    for (const auto& [width, height, padding] : shapes) {
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + (withAlpha ? " RGBA" : " RGB"));
      const Picture p = picture(width, height, withAlpha, padding);
      checkFile(write(p, 2), p);
    }
  }
}

TEST_F(PngWriter, SameBytesAtEveryThreadCount) {
  // Data spanning many blocks: 600 rows of 2701 (RGB) or 3601 (RGBA) bytes.
  ThreadPool pool3(3);
  for (bool withAlpha : {false, true}) {
    SCOPED_TRACE(withAlpha ? "RGBA" : "RGB");
    const Picture p = picture(900, 600, withAlpha, 1, 7);
    const Bytes one = write(p, 1);
    checkFile(one, p);
    EXPECT_TRUE(write(p, 2) == one);
    EXPECT_TRUE(write(p, 0) == one);
    ASSERT_EQ(writePng(file_, p.width, p.height, p.rgb.data(), p.stride, alphaOf(p), pool3), std::nullopt);
    EXPECT_TRUE(read() == one);
  }
}

}  // namespace
}  // namespace zorva
