// The PNG writer's files, read back piece by piece: the chunks, the zlib
// stream inside the IDATs, the filtered rows it inflates to, and the pixels
// libpng decodes from it; and the same bytes at every thread count.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "base/thread_pool.h"
#include "io/image_io.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const std::string& file) {
  const std::string s = test::readFile(file);
  return Bytes(s.begin(), s.end());
}

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A picture to write: RGB rows `stride` bytes apart (padding filled with
// junk that must not show), and an optional alpha plane.
struct Picture {
  int width, height;
  std::size_t stride;
  Bytes rgb, alpha;
  const std::uint8_t* alphaOrNull() const { return alpha.empty() ? nullptr : alpha.data(); }
  int channels() const { return alpha.empty() ? 3 : 4; }
};

// Noise on half the samples, a slow ramp on the others: it compresses, but
// not to nothing.
Picture picture(int width, int height, bool withAlpha, std::size_t padding = 0, std::uint32_t seed = 1) {
  Picture p{width, height, static_cast<std::size_t>(width) * 3 + padding, {}, {}};
  std::mt19937 rng(seed);
  p.rgb.resize(p.stride * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < p.rgb.size(); ++i) p.rgb[i] = static_cast<std::uint8_t>(rng() % 2 ? rng() : i / 97);
  if (withAlpha) {
    p.alpha.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < p.alpha.size(); ++i) p.alpha[i] = static_cast<std::uint8_t>(rng() % 3 ? 255 : rng());
  }
  return p;
}

// What the IDATs must inflate to: each row as filter type 1 (Sub) and each
// interleaved sample minus the one a pixel to its left.
Bytes subFiltered(const Picture& p) {
  const std::size_t bpp = static_cast<std::size_t>(p.channels());
  Bytes out;
  for (int y = 0; y < p.height; ++y) {
    Bytes row;
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* c = &p.rgb[static_cast<std::size_t>(y) * p.stride + static_cast<std::size_t>(x) * 3];
      row.insert(row.end(), c, c + 3);
      if (bpp == 4) row.push_back(p.alpha[static_cast<std::size_t>(y) * p.width + x]);
    }
    out.push_back(1);
    for (std::size_t i = 0; i < row.size(); ++i)
      out.push_back(static_cast<std::uint8_t>(row[i] - (i >= bpp ? row[i - bpp] : 0)));
  }
  return out;
}

struct Chunk {
  std::string type;
  Bytes data;
};

// Splits a PNG file into its chunks, checking the signature and every CRC.
std::vector<Chunk> chunksOf(const Bytes& png) {
  static const Bytes kSignature = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<Chunk> chunks;
  EXPECT_TRUE(png.size() >= 8 && Bytes(png.begin(), png.begin() + 8) == kSignature);
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const std::size_t length = be32(&png[pos]);
    if (pos + 12 + length > png.size()) break;
    const std::uint8_t* body = &png[pos + 4];
    EXPECT_EQ(be32(body + 4 + length), crc32(0, body, static_cast<uInt>(4 + length))) << "chunk " << chunks.size();
    chunks.push_back({std::string(body, body + 4), Bytes(body + 4, body + 4 + length)});
    pos += 12 + length;
  }
  EXPECT_EQ(pos, png.size()) << "bytes after the last whole chunk";
  return chunks;
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

// libpng's own reading of the file: colour type and samples.
std::pair<int, Bytes> decode(const Bytes& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    ADD_FAILURE() << image.message;
    return {};
  }
  const int colourType = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0 ? 6 : 2;
  image.format = colourType == 6 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  Bytes samples(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr)) << image.message;
  png_image_free(&image);
  return {colourType, samples};
}

Bytes interleaved(const Picture& p) {
  Bytes out;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* c = &p.rgb[static_cast<std::size_t>(y) * p.stride + static_cast<std::size_t>(x) * 3];
      out.insert(out.end(), c, c + 3);
      if (p.channels() == 4) out.push_back(p.alpha[static_cast<std::size_t>(y) * p.width + x]);
    }
  return out;
}

// Everything a written file must be, checked from the file alone.
void checkFile(const Bytes& png, const Picture& p) {
  const std::vector<Chunk> chunks = chunksOf(png);
  std::string types;
  Bytes stream;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    types += chunks[i].type;
    if (chunks[i].type != "IDAT") continue;
    stream.insert(stream.end(), chunks[i].data.begin(), chunks[i].data.end());
    EXPECT_LE(chunks[i].data.size(), 65535u);
    EXPECT_FALSE(chunks[i].data.empty());
  }
  ASSERT_TRUE(std::regex_match(types, std::regex("IHDR(IDAT)+IEND"))) << types;
  EXPECT_TRUE(chunks.back().data.empty());
  const Bytes& ihdr = chunks[0].data;
  ASSERT_EQ(ihdr.size(), 13u);
  EXPECT_EQ(be32(&ihdr[0]), static_cast<std::uint32_t>(p.width));
  EXPECT_EQ(be32(&ihdr[4]), static_cast<std::uint32_t>(p.height));
  EXPECT_EQ(Bytes(ihdr.begin() + 8, ihdr.end()),
            (Bytes{8, static_cast<std::uint8_t>(p.channels() == 4 ? 6 : 2), 0, 0, 0}));

  // A zlib header (deflate, 32 KiB window, no preset dictionary), the
  // filtered rows, and their Adler-32.
  ASSERT_GE(stream.size(), 6u);
  EXPECT_EQ(stream[0], 0x78);
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0);
  EXPECT_EQ(stream[1] & 0x20, 0);
  const Bytes filtered = subFiltered(p);
  const Bytes inflated = inflateAll(stream);
  ASSERT_EQ(inflated.size(), filtered.size());
  EXPECT_TRUE(inflated == filtered) << "the inflated rows differ from the Sub-filtered picture";
  const uLong adler = adler32(adler32(0, nullptr, 0), filtered.data(), static_cast<uInt>(filtered.size()));
  EXPECT_EQ(be32(&stream[stream.size() - 4]), adler);

  const auto [colourType, samples] = decode(png);
  EXPECT_EQ(colourType, p.channels() == 4 ? 6 : 2);
  EXPECT_TRUE(samples == interleaved(p)) << "libpng decodes other pixels";
}

class PngWriter : public ::testing::Test {
 protected:
  // Writes p with the given thread count and returns the file's bytes.
  Bytes write(const Picture& p, int threads) {
    const std::string file = dir_.file("p.png");
    EXPECT_EQ(writePng(file, p.width, p.height, p.rgb.data(), p.stride, p.alphaOrNull(), threads), std::nullopt);
    return readBytes(file);
  }
  std::string path(const std::string& name) const { return dir_.file(name); }

 private:
  test::TempDir dir_;
};

TEST_F(PngWriter, BlockRowsComeFromTheRowSizeAlone) {
  // 256 KiB of filtered rows, each row 1 + width * channels bytes.
  EXPECT_EQ(pngRowsPerBlock(4000, 4), 262144 / 16001);
  EXPECT_EQ(pngRowsPerBlock(43690, 3), 2);
  EXPECT_EQ(pngRowsPerBlock(100000, 4), 1);  // a row larger than a block
}

TEST_F(PngWriter, EveryShapeReadsBackThroughZlibAndLibpng) {
  struct Shape {
    int width, height;
    std::size_t padding;
  };
  for (bool withAlpha : {false, true}) {
    const int r = pngRowsPerBlock(700, withAlpha ? 4 : 3);  // 124 or 93 rows
    // One pixel; one column over blocks; rows larger than a block; odd
    // sizes; whole blocks only; one row more.
    const Shape shapes[] = {{1, 1, 0},    {1, 70000, 5},   {90000, 3, 1},
                            {333, 77, 2}, {700, 2 * r, 3}, {700, 2 * r + 1, 0}};
    for (const Shape& s : shapes) {
      SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height) + (withAlpha ? " RGBA" : " RGB"));
      const Picture p = picture(s.width, s.height, withAlpha, s.padding);
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
    ASSERT_EQ(writePng(path("pool.png"), p.width, p.height, p.rgb.data(), p.stride, p.alphaOrNull(), pool3),
              std::nullopt);
    EXPECT_TRUE(readBytes(path("pool.png")) == one);
  }
}

// The stream, rebuilt block by block with zlib as the writer is meant to
// build it: level 7, Z_FILTERED, each block primed with the 32 KiB of
// filtered data before it, sync-flushed, the last one finished.
Bytes expectedStream(const Bytes& filtered, std::size_t blockBytes, int level) {
  Bytes stream = {0x78, 0xDA};
  for (std::size_t start = 0; start < filtered.size(); start += blockBytes) {
    const std::size_t size = std::min(blockBytes, filtered.size() - start);
    const bool last = start + size == filtered.size();
    z_stream zs{};
    EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_FILTERED), Z_OK);
    const std::size_t dictionary = std::min<std::size_t>(start, 32768);
    if (dictionary > 0) deflateSetDictionary(&zs, &filtered[start - dictionary], static_cast<uInt>(dictionary));
    Bytes out(deflateBound(&zs, static_cast<uLong>(size)) + 64);
    zs.next_in = const_cast<std::uint8_t*>(&filtered[start]);
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&zs, last ? Z_FINISH : Z_SYNC_FLUSH), last ? Z_STREAM_END : Z_OK);
    stream.insert(stream.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(zs.total_out));
    deflateEnd(&zs);
  }
  const uLong adler = adler32(adler32(0, nullptr, 0), filtered.data(), static_cast<uInt>(filtered.size()));
  for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<std::uint8_t>(adler >> shift));
  return stream;
}

TEST_F(PngWriter, BlocksAreLevelSevenDeflateOfWholeRowsPrimedWithTheWindowBefore) {
  // 5 blocks of 97 rows of 2701 bytes, and 2 rows over.
  const Picture p = picture(900, 5 * pngRowsPerBlock(900, 3) + 2, false, 0, 3);
  const Bytes png = write(p, 2);
  Bytes stream;
  for (const Chunk& c : chunksOf(png))
    if (c.type == "IDAT") stream.insert(stream.end(), c.data.begin(), c.data.end());
  const Bytes filtered = subFiltered(p);
  const std::size_t blockBytes = static_cast<std::size_t>(pngRowsPerBlock(900, 3)) * 2701;
  const Bytes level7 = expectedStream(filtered, blockBytes, 7);
  ASSERT_TRUE(expectedStream(filtered, blockBytes, 6) != level7 && expectedStream(filtered, blockBytes, 8) != level7)
      << "the picture cannot tell the levels apart";
  EXPECT_TRUE(stream == level7);
  // The IDATs are as full as they may be, all but the last.
  std::vector<std::size_t> sizes;
  for (const Chunk& c : chunksOf(png))
    if (c.type == "IDAT") sizes.push_back(c.data.size());
  ASSERT_GE(sizes.size(), 2u);
  for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 65535u) << "IDAT " << i;
}

}  // namespace
}  // namespace zorva
