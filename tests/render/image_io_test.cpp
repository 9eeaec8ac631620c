#include "render/image_io.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#pragma GCC diagnostic pop

namespace zorva {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// --- files and results -------------------------------------------------------------

class ImageIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("zorva_image_io_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

class ImageIoTypeTest : public ImageIoTest {};
class ImageIoPngWriteTest : public ImageIoTest {};
class ImageIoPngReadTest : public ImageIoTest {};
class ImageIoJpegTest : public ImageIoTest {};
class ImageIoBmpTest : public ImageIoTest {};
class ImageIoDamagedTest : public ImageIoTest {};

Bytes readBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

RgbImage loadOk(const std::string& file) {
  auto result = loadImage(file);
  if (const auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << "unexpected failure: " << *error;
    return {};
  }
  return std::get<RgbImage>(std::move(result));
}

// The message of a failed load; it must name the file in the agreed form.
std::string loadError(const std::string& file) {
  auto result = loadImage(file);
  if (std::holds_alternative<RgbImage>(result)) {
    ADD_FAILURE() << "\"" << file << "\" loaded but should have failed";
    return {};
  }
  const std::string error = std::get<std::string>(result);
  const std::string prefix = "Cannot read image \"" + file + "\": ";
  EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
  EXPECT_GT(error.size(), prefix.size()) << "no reason given: " << error;
  return error;
}

Bytes randomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng() & 0xFF);
  return bytes;
}

std::uint8_t overWhite(int c, int a) { return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void putBe32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// --- PNG files made by hand or by libpng ------------------------------------------------

struct Chunk {
  std::string type;
  Bytes data;
};

// Splits a PNG into its chunks, checking the signature and every CRC.
std::vector<Chunk> parseChunks(const Bytes& png) {
  static const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<Chunk> chunks;
  if (png.size() < 8 || !std::equal(kSignature, kSignature + 8, png.begin())) {
    ADD_FAILURE() << "bad PNG signature";
    return chunks;
  }
  std::size_t pos = 8;
  while (pos < png.size()) {
    if (png.size() - pos < 12) {
      ADD_FAILURE() << "chunk header cut off at " << pos;
      break;
    }
    const std::uint32_t length = be32(&png[pos]);
    if (png.size() - pos - 12 < length) {
      ADD_FAILURE() << "chunk data cut off at " << pos;
      break;
    }
    Chunk chunk;
    chunk.type.assign(reinterpret_cast<const char*>(&png[pos + 4]), 4);
    chunk.data.assign(png.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                      png.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
    const uLong crc = crc32(0, &png[pos + 4], static_cast<uInt>(length + 4));
    EXPECT_EQ(be32(&png[pos + 8 + length]), crc) << "CRC of " << chunk.type;
    chunks.push_back(std::move(chunk));
    pos += 12 + length;
  }
  return chunks;
}

Bytes makeChunk(const char* type, const Bytes& data) {
  Bytes out;
  putBe32(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  putBe32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
  return out;
}

Bytes zlibCompress(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  out.resize(size);
  return out;
}

Bytes zlibInflate(const Bytes& compressed) {
  z_stream zs{};
  EXPECT_EQ(inflateInit(&zs), Z_OK);
  Bytes out;
  std::uint8_t buffer[16384];
  zs.next_in = const_cast<Bytef*>(compressed.data());
  zs.avail_in = static_cast<uInt>(compressed.size());
  int status = Z_OK;
  while (status == Z_OK) {
    zs.next_out = buffer;
    zs.avail_out = sizeof buffer;
    status = inflate(&zs, Z_NO_FLUSH);
    out.insert(out.end(), buffer, buffer + (sizeof buffer - zs.avail_out));
  }
  EXPECT_EQ(status, Z_STREAM_END);
  EXPECT_EQ(zs.avail_in, 0u) << "bytes after the end of the zlib stream";
  inflateEnd(&zs);
  return out;
}

Bytes zlibDeflate(const Bytes& raw, int level, int windowBits, int strategy) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, windowBits, 8, strategy), Z_OK);
  Bytes out(deflateBound(&zs, static_cast<uLong>(raw.size())));
  zs.next_in = const_cast<Bytef*>(raw.data());
  zs.avail_in = static_cast<uInt>(raw.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// A minimal PNG: signature, IHDR with the given fields, one IDAT holding
// `raw` compressed, IEND.
Bytes handMadePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType, const Bytes& raw) {
  Bytes png = {137, 80, 78, 71, 13, 10, 26, 10};
  Bytes ihdr;
  putBe32(ihdr, width);
  putBe32(ihdr, height);
  ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colorType), 0, 0, 0});
  for (const Bytes& chunk : {makeChunk("IHDR", ihdr), makeChunk("IDAT", zlibCompress(raw)), makeChunk("IEND", {})})
    png.insert(png.end(), chunk.begin(), chunk.end());
  return png;
}

// A PNG described by its samples at full bit depth (channel values per
// pixel, row-major; palette indexes for palette images).
struct RawPng {
  std::string name;
  int width = 13;
  int height = 7;
  int bitDepth = 8;
  int colorType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;       // tRNS of a palette image
  std::optional<png_color_16> transparent;  // tRNS of a grey or RGB image
  std::vector<int> samples;
};

int channelsOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// Packs one row into PNG byte order: sub-byte samples from the most
// significant bit, 16-bit samples big-endian.
Bytes packRow(const RawPng& p, int y) {
  const int perRow = p.width * channelsOf(p.colorType);
  const int* s = p.samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(perRow);
  Bytes row;
  if (p.bitDepth == 16) {
    for (int i = 0; i < perRow; ++i)
      row.insert(row.end(), {static_cast<std::uint8_t>(s[i] >> 8), static_cast<std::uint8_t>(s[i])});
  } else if (p.bitDepth == 8) {
    for (int i = 0; i < perRow; ++i) row.push_back(static_cast<std::uint8_t>(s[i]));
  } else {
    row.assign(static_cast<std::size_t>((perRow * p.bitDepth + 7) / 8), 0);
    for (int i = 0; i < perRow; ++i) {
      const int bit = i * p.bitDepth;
      row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(s[i] << (8 - p.bitDepth - bit % 8));
    }
  }
  return row;
}

// libpng jumps back here on errors; only trivially destructible locals.
bool encodeRawPng(std::FILE* file, const RawPng& p, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), p.bitDepth,
               p.colorType, p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
  if (!p.paletteAlpha.empty())
    png_set_tRNS(png, info, p.paletteAlpha.data(), static_cast<int>(p.paletteAlpha.size()), nullptr);
  if (p.transparent.has_value()) png_set_tRNS(png, info, nullptr, 0, &p.transparent.value());
  png_write_info(png, info);
  png_write_image(png, rows);  // does the Adam7 passes itself
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void writeRawPng(const std::string& file, const RawPng& p) {
  std::vector<Bytes> packed;
  std::vector<png_bytep> rows;
  for (int y = 0; y < p.height; ++y) packed.push_back(packRow(p, y));
  for (Bytes& row : packed) rows.push_back(row.data());
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  const bool ok = encodeRawPng(out, p, rows.data());
  std::fclose(out);
  ASSERT_TRUE(ok) << "libpng could not write " << p.name;
}

// What the loader must produce for p: every sample scaled to 8 bits, then
// alpha (from the alpha channel or tRNS) composited over white.
Bytes expectedRgb(const RawPng& p) {
  const int maxValue = (1 << p.bitDepth) - 1;
  auto to8 = [&](int v) { return p.bitDepth == 16 ? (v * 255 + 32767) / 65535 : v * 255 / maxValue; };
  const int n = channelsOf(p.colorType);
  Bytes out;
  for (std::size_t i = 0; i < static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height); ++i) {
    const int* s = &p.samples[i * static_cast<std::size_t>(n)];
    int rgb[3] = {0, 0, 0};
    int alpha = 255;
    switch (p.colorType) {
      case PNG_COLOR_TYPE_GRAY:
        rgb[0] = rgb[1] = rgb[2] = to8(s[0]);
        if (p.transparent && s[0] == p.transparent->gray) alpha = 0;
        break;
      case PNG_COLOR_TYPE_GRAY_ALPHA:
        rgb[0] = rgb[1] = rgb[2] = to8(s[0]);
        alpha = to8(s[1]);
        break;
      case PNG_COLOR_TYPE_PALETTE: {
        const png_color c = p.palette[static_cast<std::size_t>(s[0])];
        rgb[0] = c.red;
        rgb[1] = c.green;
        rgb[2] = c.blue;
        if (static_cast<std::size_t>(s[0]) < p.paletteAlpha.size())
          alpha = p.paletteAlpha[static_cast<std::size_t>(s[0])];
        break;
      }
      case PNG_COLOR_TYPE_RGB:
        for (int c = 0; c < 3; ++c) rgb[c] = to8(s[c]);
        if (p.transparent && s[0] == p.transparent->red && s[1] == p.transparent->green && s[2] == p.transparent->blue)
          alpha = 0;
        break;
      case PNG_COLOR_TYPE_RGB_ALPHA:
        for (int c = 0; c < 3; ++c) rgb[c] = to8(s[c]);
        alpha = to8(s[3]);
        break;
    }
    for (int c : rgb) out.push_back(overWhite(c, alpha));
  }
  return out;
}

// Random samples, with the extremes (and the tRNS colour, if any) placed
// in the first pixels so that every run sees them.
RawPng makeRawPng(std::string name, int colorType, int bitDepth, std::uint32_t seed) {
  RawPng p;
  p.name = std::move(name);
  p.colorType = colorType;
  p.bitDepth = bitDepth;
  const int n = channelsOf(colorType);
  const int maxValue = colorType == PNG_COLOR_TYPE_PALETTE ? std::min((1 << bitDepth) - 1, 199) : (1 << bitDepth) - 1;
  std::mt19937 rng(seed);
  p.samples.resize(static_cast<std::size_t>(p.width * p.height * n));
  for (int& s : p.samples) s = static_cast<int>(rng() % static_cast<std::uint32_t>(maxValue + 1));
  for (int c = 0; c < n; ++c) {
    p.samples[static_cast<std::size_t>(c)] = 0;
    p.samples[static_cast<std::size_t>(n + c)] = maxValue;
  }
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i <= maxValue; ++i)
      p.palette.push_back({static_cast<png_byte>(rng()), static_cast<png_byte>(rng()), static_cast<png_byte>(rng())});
  }
  return p;
}

void setTransparent(RawPng& p, int grey, int red, int green, int blue) {
  png_color_16 t{};
  t.gray = static_cast<png_uint_16>(grey);
  t.red = static_cast<png_uint_16>(red);
  t.green = static_cast<png_uint_16>(green);
  t.blue = static_cast<png_uint_16>(blue);
  p.transparent = t;
  // Put the transparent colour into pixels 2 and 9.
  const int n = channelsOf(p.colorType);
  for (int pixel : {2, 9}) {
    int* s = &p.samples[static_cast<std::size_t>(pixel * n)];
    if (n == 1) {
      s[0] = grey;
    } else {
      s[0] = red;
      s[1] = green;
      s[2] = blue;
    }
  }
}

std::vector<RawPng> allPngKinds() {
  std::vector<RawPng> kinds;
  std::uint32_t seed = 1;
  for (int depth : {1, 2, 4, 8, 16})
    kinds.push_back(makeRawPng("grey " + std::to_string(depth), PNG_COLOR_TYPE_GRAY, depth, seed++));
  for (int depth : {2, 8, 16}) {
    RawPng p = makeRawPng("grey+tRNS " + std::to_string(depth), PNG_COLOR_TYPE_GRAY, depth, seed++);
    setTransparent(p, (1 << depth) / 3, 0, 0, 0);
    kinds.push_back(p);
  }
  for (int depth : {8, 16})
    kinds.push_back(makeRawPng("grey+alpha " + std::to_string(depth), PNG_COLOR_TYPE_GRAY_ALPHA, depth, seed++));
  for (int depth : {1, 2, 4, 8})
    kinds.push_back(makeRawPng("palette " + std::to_string(depth), PNG_COLOR_TYPE_PALETTE, depth, seed++));
  for (int depth : {4, 8}) {
    RawPng p = makeRawPng("palette+tRNS " + std::to_string(depth), PNG_COLOR_TYPE_PALETTE, depth, seed++);
    p.paletteAlpha = {0, 128, 255, 1, 77};  // shorter than the palette: later entries are opaque
    kinds.push_back(p);
  }
  for (int depth : {8, 16})
    kinds.push_back(makeRawPng("RGB " + std::to_string(depth), PNG_COLOR_TYPE_RGB, depth, seed++));
  for (int depth : {8, 16}) {
    RawPng p = makeRawPng("RGB+tRNS " + std::to_string(depth), PNG_COLOR_TYPE_RGB, depth, seed++);
    const int m = (1 << depth) - 1;
    setTransparent(p, 0, m / 5, m / 2, m / 7);
    kinds.push_back(p);
  }
  for (int depth : {8, 16})
    kinds.push_back(makeRawPng("RGBA " + std::to_string(depth), PNG_COLOR_TYPE_RGB_ALPHA, depth, seed++));
  return kinds;
}

// --- JPEG files made by libjpeg ------------------------------------------------------

struct JpegOptions {
  int components = 3;
  J_COLOR_SPACE inputSpace = JCS_RGB;
  std::optional<J_COLOR_SPACE> storedSpace = std::nullopt;  // libjpeg's default when unset
  bool adobeMarker = true;                                  // only matters for CMYK and YCCK
  bool subsample = true;
  bool progressive = false;
};

struct TestJpegErrors {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

[[noreturn]] void testJpegFail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TestJpegErrors*>(cinfo->err)->jump, 1);
}

struct JpegBuffer {
  unsigned char* data = nullptr;
  unsigned long size = 0;
};

// libjpeg jumps back here on errors; only trivially destructible locals.
bool compressJpeg(jpeg_compress_struct& cinfo, TestJpegErrors& errors, JpegBuffer& out, int width, int height,
                  const std::uint8_t* samples, const JpegOptions& o) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &out.data, &out.size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = o.components;
  cinfo.in_color_space = o.inputSpace;
  jpeg_set_defaults(&cinfo);
  if (o.storedSpace.has_value()) jpeg_set_colorspace(&cinfo, o.storedSpace.value());
  if (!o.adobeMarker) cinfo.write_Adobe_marker = FALSE;
  if (!o.subsample)
    for (int i = 0; i < cinfo.num_components; ++i)
      cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (o.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(o.components);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

Bytes encodeJpeg(int width, int height, const Bytes& samples, const JpegOptions& o = {}) {
  jpeg_compress_struct cinfo{};
  TestJpegErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = testJpegFail;
  JpegBuffer out;
  const bool ok = compressJpeg(cinfo, errors, out, width, height, samples.data(), o);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes;
  if (ok && out.data != nullptr) bytes.assign(out.data, out.data + out.size);
  std::free(out.data);
  EXPECT_TRUE(ok) << "libjpeg could not write the test image";
  return bytes;
}

Bytes flatSamples(int width, int height, std::initializer_list<std::uint8_t> pixel) {
  Bytes samples;
  for (int i = 0; i < width * height; ++i) samples.insert(samples.end(), pixel);
  return samples;
}

void expectNear(const RgbImage& image, int width, int height, const Bytes& expected, int tolerance) {
  ASSERT_EQ(image.width, width);
  ASSERT_EQ(image.height, height);
  ASSERT_EQ(image.rgb.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    ASSERT_NEAR(image.rgb[i], expected[i], tolerance) << "pixel " << i / 3 << " channel " << i % 3;
}

std::size_t findMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  return std::string::npos;
}

// --- tests: names ------------------------------------------------------------------------

TEST_F(ImageIoTypeTest, TypeComesFromTheLowerCasedExtension) {
  EXPECT_EQ(imageTypeFromName("a.png"), ImageType::Png);
  EXPECT_EQ(imageTypeFromName("/x/y/A.PNG"), ImageType::Png);
  EXPECT_EQ(imageTypeFromName("photo.jpg"), ImageType::Jpeg);
  EXPECT_EQ(imageTypeFromName("photo.JPEG"), ImageType::Jpeg);
  EXPECT_EQ(imageTypeFromName("photo.Jpeg"), ImageType::Jpeg);
  EXPECT_EQ(imageTypeFromName("old.bmp"), ImageType::Bmp);
  EXPECT_EQ(imageTypeFromName("archive.png.bmp"), ImageType::Bmp);
  EXPECT_EQ(imageTypeFromName("anim.gif"), ImageType::Unknown);
  EXPECT_EQ(imageTypeFromName("png"), ImageType::Unknown);
  EXPECT_EQ(imageTypeFromName("a.png.txt"), ImageType::Unknown);
  EXPECT_EQ(imageTypeFromName("folder.png/picture"), ImageType::Unknown);
  EXPECT_EQ(imageTypeFromName("name."), ImageType::Unknown);
  EXPECT_EQ(imageTypeFromName(""), ImageType::Unknown);
}

TEST_F(ImageIoTypeTest, SizeLimits) {
  EXPECT_FALSE(imageSizeProblem(1, 1));
  EXPECT_FALSE(imageSizeProblem(30000, 3333));
  EXPECT_FALSE(imageSizeProblem(10000, 10000));
  EXPECT_FALSE(imageSizeProblem(3333, 30000));
  EXPECT_TRUE(imageSizeProblem(30001, 1));
  EXPECT_TRUE(imageSizeProblem(1, 30001));
  EXPECT_TRUE(imageSizeProblem(10000, 10001));
  EXPECT_TRUE(imageSizeProblem(0, 5));
  EXPECT_TRUE(imageSizeProblem(5, 0));
  EXPECT_TRUE(imageSizeProblem(-4, 5));
  EXPECT_TRUE(imageSizeProblem(std::int64_t{1} << 40, std::int64_t{1} << 40));
}

// --- tests: the writer ---------------------------------------------------------------------

TEST_F(ImageIoPngWriteTest, RgbRoundTripIsExactAndHonoursTheStride) {
  const int width = 7, height = 5;
  const std::size_t stride = width * 3 + 5;
  Bytes rgb = randomBytes(stride * height, 11);
  Bytes packed;
  for (int y = 0; y < height; ++y)
    packed.insert(packed.end(), rgb.begin() + static_cast<std::ptrdiff_t>(y * stride),
                  rgb.begin() + static_cast<std::ptrdiff_t>(y * stride + width * 3));
  const std::string file = path("round.png");
  ASSERT_EQ(writePng(file, width, height, rgb.data(), stride, nullptr), std::nullopt);
  const RgbImage image = loadOk(file);
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  EXPECT_EQ(image.rgb, packed);

  // A one-pixel picture is a valid PNG too.
  const std::uint8_t one[3] = {1, 2, 3};
  ASSERT_EQ(writePng(file, 1, 1, one, 3, nullptr), std::nullopt);
  EXPECT_EQ(loadOk(file).rgb, Bytes({1, 2, 3}));
}

TEST_F(ImageIoPngWriteTest, RgbaRoundTripKeepsAlphaAsGiven) {
  const int width = 9, height = 4;
  const Bytes rgb = randomBytes(width * height * 3, 21);
  Bytes alpha = randomBytes(width * height, 22);
  alpha[0] = 0;
  alpha[1] = 255;
  alpha[2] = 128;
  const std::string file = path("alpha.png");
  ASSERT_EQ(writePng(file, width, height, rgb.data(), width * 3, alpha.data()), std::nullopt);

  // libpng's own reader sees the alpha values exactly as written.
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&read, file.c_str())) << read.message;
  read.format = PNG_FORMAT_RGBA;
  Bytes rgba(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, rgba.data(), 0, nullptr)) << read.message;
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(width * height * 4));
  for (int i = 0; i < width * height; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rgba[i * 4 + c], rgb[i * 3 + c]) << "pixel " << i;
    EXPECT_EQ(rgba[i * 4 + 3], alpha[i]) << "pixel " << i;
  }

  // Our loader composites the same file over white.
  const RgbImage image = loadOk(file);
  ASSERT_EQ(image.rgb.size(), rgb.size());
  for (int i = 0; i < width * height * 3; ++i) EXPECT_EQ(image.rgb[i], overWhite(rgb[i], alpha[i / 3])) << i;
}

struct WrittenPng {
  std::vector<Chunk> chunks;
  Bytes idat;  // every IDAT's data, in order
};

// Checks the chunk layout that saved pictures must have and returns it.
WrittenPng checkLayout(const Bytes& png, int width, int height, int colorType) {
  WrittenPng out;
  out.chunks = parseChunks(png);
  const auto& chunks = out.chunks;
  if (chunks.size() < 3) {
    ADD_FAILURE() << "too few chunks";
    return out;
  }
  EXPECT_EQ(chunks.front().type, "IHDR");
  EXPECT_EQ(chunks.back().type, "IEND");
  EXPECT_TRUE(chunks.back().data.empty());
  const Bytes& ihdr = chunks.front().data;
  EXPECT_EQ(ihdr.size(), 13u);
  if (ihdr.size() == 13) {
    EXPECT_EQ(be32(&ihdr[0]), static_cast<std::uint32_t>(width));
    EXPECT_EQ(be32(&ihdr[4]), static_cast<std::uint32_t>(height));
    EXPECT_EQ(ihdr[8], 8) << "bit depth";
    EXPECT_EQ(ihdr[9], colorType) << "colour type";
    EXPECT_EQ(ihdr[10], 0) << "compression method";
    EXPECT_EQ(ihdr[11], 0) << "filter method";
    EXPECT_EQ(ihdr[12], 0) << "interlace method";
  }
  for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
    EXPECT_EQ(chunks[i].type, "IDAT") << "chunk " << i << " (no ancillary chunks allowed)";
    // Split at the largest size allowed: every IDAT but the last is full.
    if (i + 2 < chunks.size()) {
      EXPECT_EQ(chunks[i].data.size(), 65535u) << "IDAT " << i;
    } else {
      EXPECT_LE(chunks[i].data.size(), 65535u) << "IDAT " << i;
    }
    out.idat.insert(out.idat.end(), chunks[i].data.begin(), chunks[i].data.end());
  }
  return out;
}

// Inflates the image data, checks that every row uses the Sub filter and
// undoes it, returning the raw pixel rows.
Bytes unfilterSubRows(const Bytes& idat, int width, int height, int bytesPerPixel) {
  const Bytes filtered = zlibInflate(idat);
  const std::size_t rowBytes = static_cast<std::size_t>(width * bytesPerPixel);
  EXPECT_EQ(filtered.size(), static_cast<std::size_t>(height) * (rowBytes + 1));
  Bytes raw;
  if (filtered.size() != static_cast<std::size_t>(height) * (rowBytes + 1)) return raw;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = &filtered[static_cast<std::size_t>(y) * (rowBytes + 1)];
    EXPECT_EQ(row[0], 1) << "filter of row " << y;
    const std::size_t start = raw.size();
    for (std::size_t x = 0; x < rowBytes; ++x) {
      const std::uint8_t left = x >= static_cast<std::size_t>(bytesPerPixel) ? raw[start + x - bytesPerPixel] : 0;
      raw.push_back(static_cast<std::uint8_t>(row[1 + x] + left));
    }
  }
  return raw;
}

TEST_F(ImageIoPngWriteTest, RgbLayoutIsIhdrIdatsIendWithSubFilteredRows) {
  const int width = 600, height = 400;  // noise: well over one 64 KiB IDAT
  const Bytes rgb = randomBytes(width * height * 3, 31);
  const std::string file = path("noise.png");
  ASSERT_EQ(writePng(file, width, height, rgb.data(), width * 3, nullptr), std::nullopt);
  const WrittenPng png = checkLayout(readBytes(file), width, height, 2);
  EXPECT_GE(png.chunks.size(), 2u + 3u) << "expected several IDAT chunks";
  EXPECT_EQ(unfilterSubRows(png.idat, width, height, 3), rgb);
}

TEST_F(ImageIoPngWriteTest, RgbaLayoutIsIhdrIdatsIendWithSubFilteredRows) {
  const int width = 300, height = 200;
  const Bytes rgb = randomBytes(width * height * 3, 41);
  const Bytes alpha = randomBytes(width * height, 42);
  const std::string file = path("noise_alpha.png");
  ASSERT_EQ(writePng(file, width, height, rgb.data(), width * 3, alpha.data()), std::nullopt);
  const WrittenPng png = checkLayout(readBytes(file), width, height, 6);
  EXPECT_GE(png.chunks.size(), 2u + 3u) << "expected several IDAT chunks";
  Bytes rgba;
  for (int i = 0; i < width * height; ++i) {
    rgba.insert(rgba.end(), rgb.begin() + i * 3, rgb.begin() + i * 3 + 3);
    rgba.push_back(alpha[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(unfilterSubRows(png.idat, width, height, 4), rgba);
}

TEST_F(ImageIoPngWriteTest, ImageDataIsCompressedAtLevelSeven) {
  // A smooth picture with some texture, where zlib's levels differ.
  const int width = 200, height = 150;
  Bytes rgb;
  std::mt19937 rng(51);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {static_cast<std::uint8_t>(x + (rng() % 4)), static_cast<std::uint8_t>(y * 2),
                             static_cast<std::uint8_t>((x * y) >> 6)});
  const std::string file = path("smooth.png");
  ASSERT_EQ(writePng(file, width, height, rgb.data(), width * 3, nullptr), std::nullopt);
  const WrittenPng png = checkLayout(readBytes(file), width, height, 2);
  ASSERT_GE(png.idat.size(), 2u);
  const Bytes filtered = zlibInflate(png.idat);
  const int windowBits = (png.idat[0] >> 4) + 8;
  // libpng deflates filtered rows with the Z_FILTERED strategy and memLevel 8.
  const Bytes level7 = zlibDeflate(filtered, 7, windowBits, Z_FILTERED);
  ASSERT_NE(zlibDeflate(filtered, 6, windowBits, Z_FILTERED), level7)
      << "this picture cannot tell levels 6 and 7 apart";
  ASSERT_NE(zlibDeflate(filtered, 8, windowBits, Z_FILTERED), level7)
      << "this picture cannot tell levels 7 and 8 apart";
  EXPECT_EQ(png.idat, level7);
}

TEST_F(ImageIoPngWriteTest, FailuresReturnAMessageNamingTheFile) {
  const Bytes rgb = randomBytes(4 * 4 * 3, 61);
  const std::string missingFolder = path("no_such_folder/picture.png");
  const auto error = writePng(missingFolder, 4, 4, rgb.data(), 12, nullptr);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(missingFolder), std::string::npos) << *error;

  const std::string file = path("bad_args.png");
  for (auto bad : {writePng(file, 0, 4, rgb.data(), 12, nullptr), writePng(file, 4, -1, rgb.data(), 12, nullptr),
                   writePng(file, 4, 4, nullptr, 12, nullptr), writePng(file, 4, 4, rgb.data(), 11, nullptr)}) {
    ASSERT_TRUE(bad.has_value());
    EXPECT_NE(bad->find("\"" + file + "\""), std::string::npos) << *bad;
  }
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(ImageIoPngWriteTest, AFailedWriteKeepsThePreviousFile) {
  const std::string file = path("keep.png");
  const std::uint8_t pixel[3] = {9, 8, 7};
  ASSERT_EQ(writePng(file, 1, 1, pixel, 3, nullptr), std::nullopt);
  const Bytes before = readBytes(file);
  // libpng refuses a width beyond its limit before anything is written.
  const Bytes row(3 * 2000000, 0);
  const auto error = writePng(file, 2000000, 1, row.data(), row.size(), nullptr);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(file), std::string::npos) << *error;
  EXPECT_EQ(readBytes(file), before);
}

// --- tests: PNG decoding --------------------------------------------------------------------

TEST_F(ImageIoPngReadTest, EveryColourTypeAndBitDepthPlainAndInterlaced) {
  for (RawPng p : allPngKinds()) {
    for (bool interlaced : {false, true}) {
      p.interlaced = interlaced;
      SCOPED_TRACE(p.name + (interlaced ? " Adam7" : ""));
      const std::string file = path("kind.png");
      ASSERT_NO_FATAL_FAILURE(writeRawPng(file, p));
      if (interlaced) {
        ASSERT_EQ(readBytes(file)[8 + 8 + 12], 1) << "the test file is not interlaced";
      }
      const RgbImage image = loadOk(file);
      EXPECT_EQ(image.width, p.width);
      EXPECT_EQ(image.height, p.height);
      EXPECT_EQ(image.rgb, expectedRgb(p));
    }
  }
}

TEST_F(ImageIoPngReadTest, HandCheckedValues) {
  const std::string file = path("values.png");
  // Grey 2-bit: 0, 1, 2, 3 become 0, 85, 170, 255.
  RawPng grey = makeRawPng("grey", PNG_COLOR_TYPE_GRAY, 2, 1);
  grey.width = 4;
  grey.height = 1;
  grey.samples = {0, 1, 2, 3};
  ASSERT_NO_FATAL_FAILURE(writeRawPng(file, grey));
  EXPECT_EQ(loadOk(file).rgb, Bytes({0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));

  // RGBA over white: (c*a + 255*(255-a) + 127) / 255.
  RawPng rgba = makeRawPng("rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, 1);
  rgba.width = 5;
  rgba.height = 1;
  rgba.samples = {0, 0, 0, 0, 0, 0, 0, 128, 200, 100, 50, 255, 100, 0, 255, 200, 1, 2, 3, 128};
  ASSERT_NO_FATAL_FAILURE(writeRawPng(file, rgba));
  EXPECT_EQ(loadOk(file).rgb, Bytes({255, 255, 255, 127, 127, 127, 200, 100, 50, 133, 55, 255, 128, 128, 129}));

  // 16-bit samples round to the nearest 8-bit value.
  RawPng deep = makeRawPng("deep", PNG_COLOR_TYPE_RGB, 16, 1);
  deep.width = 2;
  deep.height = 1;
  deep.samples = {65535, 32896, 1000, 0, 128, 129};
  ASSERT_NO_FATAL_FAILURE(writeRawPng(file, deep));
  EXPECT_EQ(loadOk(file).rgb, Bytes({255, 128, 4, 0, 0, 1}));
}

TEST_F(ImageIoPngReadTest, ExtensionCaseDoesNotMatterAndTheSideLimitIsInclusive) {
  RawPng wide = makeRawPng("wide", PNG_COLOR_TYPE_GRAY, 1, 5);
  wide.width = 30000;
  wide.height = 1;
  wide.samples.assign(30000, 1);
  wide.samples[17] = 0;
  const std::string file = path("WIDE.PNG");
  ASSERT_NO_FATAL_FAILURE(writeRawPng(file, wide));
  const RgbImage image = loadOk(file);
  ASSERT_EQ(image.width, 30000);
  ASSERT_EQ(image.height, 1);
  EXPECT_EQ(image.rgb[17 * 3], 0);
  EXPECT_EQ(image.rgb[18 * 3], 255);
}

// --- tests: JPEG decoding --------------------------------------------------------------------

TEST_F(ImageIoJpegTest, GreyscaleComesBackAsGreyRgb) {
  const std::string file = path("grey.jpg");
  writeBytes(file, encodeJpeg(16, 16, flatSamples(16, 16, {100}), {.components = 1, .inputSpace = JCS_GRAYSCALE}));
  const RgbImage image = loadOk(file);
  expectNear(image, 16, 16, flatSamples(16, 16, {100, 100, 100}), 2);
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
    EXPECT_EQ(image.rgb[i], image.rgb[i + 1]);
    EXPECT_EQ(image.rgb[i], image.rgb[i + 2]);
  }
}

TEST_F(ImageIoJpegTest, ColourBlocksComeBackClose) {
  // Four flat 8x8 blocks, one colour each, without chroma subsampling.
  const std::uint8_t colours[4][3] = {{200, 40, 60}, {30, 180, 90}, {50, 70, 210}, {128, 128, 128}};
  Bytes samples;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const auto& c = colours[(y / 8) * 2 + x / 8];
      samples.insert(samples.end(), c, c + 3);
    }
  const std::string file = path("blocks.jpg");
  writeBytes(file, encodeJpeg(16, 16, samples, {.subsample = false}));
  expectNear(loadOk(file), 16, 16, samples, 4);

  // The usual 4:2:0 form, an image size that is not a multiple of the MCU,
  // and progressive coding, with the .jpeg and upper-case extensions.
  const Bytes flat = flatSamples(21, 13, {190, 120, 40});
  const std::string subsampled = path("flat.jpeg");
  writeBytes(subsampled, encodeJpeg(21, 13, flat));
  expectNear(loadOk(subsampled), 21, 13, flat, 4);
  const std::string progressive = path("PROGRESSIVE.JPG");
  writeBytes(progressive, encodeJpeg(21, 13, flat, {.progressive = true}));
  expectNear(loadOk(progressive), 21, 13, flat, 4);
}

TEST_F(ImageIoJpegTest, CmykAndYcckBecomeRgb) {
  // Light let through by each ink (255 = no ink): the RGB value is
  // light(ink) * light(black) / 255.
  const int light[4] = {220, 130, 60, 235};
  Bytes expected;
  for (int c = 0; c < 3; ++c) expected.push_back(static_cast<std::uint8_t>((light[c] * light[3] + 127) / 255));
  Bytes expectedImage;
  for (int i = 0; i < 16 * 16; ++i) expectedImage.insert(expectedImage.end(), expected.begin(), expected.end());

  // Adobe files store the light values themselves (inverted CMYK).
  const Bytes inverted = flatSamples(16, 16, {220, 130, 60, 235});
  const Bytes plain = flatSamples(16, 16, {255 - 220, 255 - 130, 255 - 60, 255 - 235});
  struct Case {
    const char* name;
    const Bytes& samples;
    J_COLOR_SPACE stored;
    bool adobe;
  };
  for (const Case& c :
       {Case{"adobe_cmyk.jpg", inverted, JCS_CMYK, true}, Case{"adobe_ycck.jpg", inverted, JCS_YCCK, true},
        Case{"plain_cmyk.jpg", plain, JCS_CMYK, false}}) {
    SCOPED_TRACE(c.name);
    const std::string file = path(c.name);
    writeBytes(file,
               encodeJpeg(16, 16, c.samples,
                          {.components = 4, .inputSpace = JCS_CMYK, .storedSpace = c.stored, .adobeMarker = c.adobe}));
    ASSERT_EQ(findMarker(readBytes(file), 0xEE) != std::string::npos, c.adobe) << "Adobe marker";
    expectNear(loadOk(file), 16, 16, expectedImage, 4);
  }
}

// --- tests: BMP decoding ---------------------------------------------------------------------

TEST_F(ImageIoBmpTest, TwentyFourBitAndGreyAreExact) {
  const int width = 5, height = 3;  // 15-byte rows: padded
  const Bytes rgb = randomBytes(width * height * 3, 71);
  const std::string file = path("colour.bmp");
  ASSERT_TRUE(stbi_write_bmp(file.c_str(), width, height, 3, rgb.data()));
  RgbImage image = loadOk(file);
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  EXPECT_EQ(image.rgb, rgb);

  // The same file stored top-down (negative height) reads the rows in file order.
  Bytes topDown = readBytes(file);
  const std::int32_t negative = -height;
  std::memcpy(&topDown[22], &negative, 4);
  const std::string flipped = path("top_down.BMP");
  writeBytes(flipped, topDown);
  Bytes expected;
  for (int y = height - 1; y >= 0; --y)
    expected.insert(expected.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
  EXPECT_EQ(loadOk(flipped).rgb, expected);

  const Bytes grey = randomBytes(width * height, 72);
  const std::string greyFile = path("grey.bmp");
  ASSERT_TRUE(stbi_write_bmp(greyFile.c_str(), width, height, 1, grey.data()));
  image = loadOk(greyFile);
  ASSERT_EQ(image.rgb.size(), grey.size() * 3);
  for (std::size_t i = 0; i < grey.size(); ++i)
    EXPECT_EQ(Bytes(image.rgb.begin() + static_cast<std::ptrdiff_t>(i * 3),
                    image.rgb.begin() + static_cast<std::ptrdiff_t>(i * 3 + 3)),
              Bytes(3, grey[i]));
}

TEST_F(ImageIoBmpTest, ThirtyTwoBitAlphaIsCompositedOverWhite) {
  const int width = 4, height = 3;
  const Bytes rgb = randomBytes(width * height * 3, 81);
  Bytes alpha = randomBytes(width * height, 82);
  alpha[0] = 0;
  alpha[1] = 128;
  alpha[2] = 255;
  Bytes rgba;
  for (int i = 0; i < width * height; ++i) {
    rgba.insert(rgba.end(), rgb.begin() + i * 3, rgb.begin() + i * 3 + 3);
    rgba.push_back(alpha[static_cast<std::size_t>(i)]);
  }
  const std::string file = path("alpha.bmp");
  ASSERT_TRUE(stbi_write_bmp(file.c_str(), width, height, 4, rgba.data()));
  const RgbImage image = loadOk(file);
  ASSERT_EQ(image.rgb.size(), rgb.size());
  for (std::size_t i = 0; i < rgb.size(); ++i) EXPECT_EQ(image.rgb[i], overWhite(rgb[i], alpha[i / 3])) << i;
}

// A 3x2 8-bit palette bitmap built byte by byte: 3-byte rows padded to 4.
Bytes paletteBmp() {
  Bytes b = {'B', 'M'};
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint16_t v) {
    b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
  };
  const std::uint32_t offset = 14 + 40 + 4 * 4;
  put32(offset + 2 * 4);
  put32(0);
  put32(offset);
  put32(40);
  put32(3);  // width
  put32(2);  // height, bottom-up
  put16(1);
  put16(8);
  put32(0);  // uncompressed
  put32(2 * 4);
  put32(2835);
  put32(2835);
  put32(4);
  put32(0);
  // Palette entries are blue, green, red, reserved.
  b.insert(b.end(), {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 10, 20, 30, 0});
  b.insert(b.end(), {0, 1, 2, 0});  // bottom row: red, green, blue
  b.insert(b.end(), {3, 3, 0, 0});  // top row: (30,20,10) twice, red
  return b;
}

TEST_F(ImageIoBmpTest, PaletteBitmapIsExact) {
  const std::string file = path("palette.bmp");
  writeBytes(file, paletteBmp());
  const RgbImage image = loadOk(file);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.rgb, Bytes({30, 20, 10, 30, 20, 10, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

// --- tests: damaged and unsuitable files -----------------------------------------------------------

Bytes validPng(const std::string& scratch) {
  const Bytes rgb = randomBytes(6 * 5 * 3, 91);
  EXPECT_EQ(writePng(scratch, 6, 5, rgb.data(), 18, nullptr), std::nullopt);
  return readBytes(scratch);
}

TEST_F(ImageIoDamagedTest, TruncatedPngFails) {
  const Bytes png = validPng(path("whole.png"));
  const std::string file = path("cut.png");
  const std::size_t iendStart = png.size() - 12;
  for (std::size_t cut :
       {std::size_t{4}, std::size_t{8}, std::size_t{20}, std::size_t{40}, iendStart - 10, iendStart, png.size() - 1}) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    writeBytes(file, Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(cut)));
    loadError(file);
  }
  writeBytes(file, Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(iendStart - 10)));
  EXPECT_NE(loadError(file).find("truncated"), std::string::npos);
}

TEST_F(ImageIoDamagedTest, EveryTruncationOfEveryFormatFails) {
  const Bytes rgb = randomBytes(6 * 5 * 3, 92);
  const std::string bmpFile = path("whole.bmp");
  ASSERT_TRUE(stbi_write_bmp(bmpFile.c_str(), 6, 5, 3, rgb.data()));
  const std::string jpegFile = path("whole.jpg");
  writeBytes(jpegFile, encodeJpeg(6, 5, rgb));
  const std::string pngFile = path("whole.png");
  ASSERT_EQ(writePng(pngFile, 6, 5, rgb.data(), 18, nullptr), std::nullopt);

  for (const std::string& whole : {pngFile, jpegFile, bmpFile}) {
    const Bytes bytes = readBytes(whole);
    ASSERT_FALSE(bytes.empty());
    loadOk(whole);
    const std::string cutFile = path("cut" + whole.substr(whole.rfind('.')));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      SCOPED_TRACE(whole + " cut at " + std::to_string(cut));
      writeBytes(cutFile, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
      loadError(cutFile);
    }
  }
}

TEST_F(ImageIoDamagedTest, CorruptPngFails) {
  Bytes png = validPng(path("whole.png"));
  const std::string file = path("corrupt.png");
  // A wrong CRC on intact image data.
  Bytes crc = png;
  crc[8 + 25 + 8 + be32(&png[8 + 25]) + 2] ^= 0x10;
  writeBytes(file, crc);
  EXPECT_NE(loadError(file).find("CRC"), std::string::npos);

  // A flipped bit inside the compressed data.
  Bytes flipped = png;
  flipped[8 + 25 + 8 + 3] ^= 0x10;
  writeBytes(file, flipped);
  loadError(file);

  // Compressed data that is not zlib, with a valid CRC.
  Bytes raw(5 * (1 + 6 * 3), 0);
  Bytes bad = handMadePng(6, 5, 8, 2, raw);
  const std::size_t idatData = 8 + 25 + 8;
  bad[idatData] = 0x12;
  bad[idatData + 1] = 0x34;
  const std::uint32_t idatLength = be32(&bad[8 + 25]);
  const Bytes body(bad.begin() + static_cast<std::ptrdiff_t>(idatData - 4),
                   bad.begin() + static_cast<std::ptrdiff_t>(idatData + idatLength));
  const std::uint32_t fixed = static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
  for (int i = 0; i < 4; ++i)
    bad[idatData + idatLength + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(fixed >> (24 - 8 * i));
  writeBytes(file, bad);
  loadError(file);

  // Too little image data for the size in IHDR.
  writeBytes(file, handMadePng(6, 5, 8, 2, Bytes(20, 0)));
  loadError(file);

  // A palette image without its palette.
  writeBytes(file, handMadePng(2, 2, 8, 3, Bytes(2 * 3, 0)));
  loadError(file);
}

TEST_F(ImageIoDamagedTest, OversizedHeadersAreRefusedBeforeDecoding) {
  const std::string file = path("huge.png");
  // Valid chunks claiming 100000 x 100000; decoding would need 30 GB.
  writeBytes(file, handMadePng(100000, 100000, 8, 2, Bytes(1000, 0)));
  std::string error = loadError(file);
  EXPECT_NE(error.find("100000 x 100000"), std::string::npos) << error;
  writeBytes(file, handMadePng(30001, 1, 8, 0, Bytes(30002, 0)));
  EXPECT_NE(loadError(file).find("30001 x 1"), std::string::npos);
  writeBytes(file, handMadePng(20000, 5001, 1, 0, Bytes(1000, 0)));
  EXPECT_NE(loadError(file).find("20000 x 5001"), std::string::npos);

  // JPEG: patch the frame header of a small file to 60000 x 60000.
  const std::string jpegFile = path("huge.jpg");
  Bytes jpeg = encodeJpeg(8, 8, flatSamples(8, 8, {1, 2, 3}));
  const std::size_t sof = findMarker(jpeg, 0xC0);
  ASSERT_NE(sof, std::string::npos);
  for (std::size_t i : {sof + 5, sof + 7}) {
    jpeg[i] = 60000 >> 8;
    jpeg[i + 1] = 60000 & 0xFF;
  }
  writeBytes(jpegFile, jpeg);
  error = loadError(jpegFile);
  EXPECT_NE(error.find("60000 x 60000"), std::string::npos) << error;

  // BMP: a 40000-pixel-wide header.
  const std::string bmpFile = path("huge.bmp");
  const Bytes rgb = randomBytes(4 * 4 * 3, 93);
  ASSERT_TRUE(stbi_write_bmp(bmpFile.c_str(), 4, 4, 3, rgb.data()));
  Bytes bmp = readBytes(bmpFile);
  const std::int32_t wide = 40000;
  std::memcpy(&bmp[18], &wide, 4);
  writeBytes(bmpFile, bmp);
  error = loadError(bmpFile);
  EXPECT_NE(error.find("40000 x 4"), std::string::npos) << error;
}

TEST_F(ImageIoDamagedTest, GarbageAndEmptyFilesFail) {
  const Bytes garbage = randomBytes(3000, 94);
  for (const char* name : {"garbage.png", "garbage.jpg", "garbage.bmp"}) {
    SCOPED_TRACE(name);
    writeBytes(path(name), garbage);
    loadError(path(name));
  }
  for (const char* name : {"empty.png", "empty.jpeg", "empty.bmp"}) {
    SCOPED_TRACE(name);
    writeBytes(path(name), {});
    EXPECT_NE(loadError(path(name)).find("empty"), std::string::npos);
  }
  // "BM" and then garbage: a bitmap header too short, and one stb_image does not know.
  Bytes bm = {'B', 'M', 1, 2, 3};
  writeBytes(path("short.bmp"), bm);
  loadError(path("short.bmp"));
  bm = garbage;
  bm[0] = 'B';
  bm[1] = 'M';
  writeBytes(path("odd.bmp"), bm);
  loadError(path("odd.bmp"));

  // Decoding follows the extension: a PNG called .jpg is a broken JPEG.
  const Bytes png = validPng(path("real.png"));
  writeBytes(path("disguised.jpg"), png);
  EXPECT_NE(loadError(path("disguised.jpg")).find("Not a JPEG file"), std::string::npos);
}

TEST_F(ImageIoDamagedTest, DamagedJpegFails) {
  Bytes samples;
  std::mt19937 rng(95);
  for (int i = 0; i < 32 * 32 * 3; ++i) samples.push_back(static_cast<std::uint8_t>(rng() % 256));
  const Bytes jpeg = encodeJpeg(32, 32, samples);
  const std::string file = path("damaged.jpg");

  writeBytes(file, Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2)));
  std::string error = loadError(file);
  EXPECT_NE(error.find("Premature end of JPEG file"), std::string::npos) << error;

  // Stray bytes before the end-of-image marker: libjpeg only warns.
  Bytes extra = jpeg;
  extra.insert(extra.end() - 2, 100, 0x00);
  writeBytes(file, extra);
  error = loadError(file);
  EXPECT_NE(error.find("Corrupt JPEG data"), std::string::npos) << error;

  // Scan data cut short and followed at once by the end-of-image marker.
  const std::size_t sos = findMarker(jpeg, 0xDA);
  ASSERT_NE(sos, std::string::npos);
  Bytes spliced(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(sos + 40));
  spliced.insert(spliced.end(), {0xFF, 0xD9});
  writeBytes(file, spliced);
  loadError(file);
}

TEST_F(ImageIoDamagedTest, RandomlyDamagedFilesNeverCrash) {
  const Bytes rgb = randomBytes(12 * 10 * 3, 96);
  const std::string bmpSource = path("source.bmp");
  ASSERT_TRUE(stbi_write_bmp(bmpSource.c_str(), 12, 10, 3, rgb.data()));
  const std::vector<std::pair<std::string, Bytes>> originals = {{"fuzz.png", validPng(path("source.png"))},
                                                                {"fuzz.jpg", encodeJpeg(12, 10, rgb)},
                                                                {"fuzz.bmp", readBytes(bmpSource)}};
  std::mt19937 rng(97);
  for (const auto& [name, original] : originals) {
    const std::string file = path(name);
    for (int round = 0; round < 150; ++round) {
      Bytes damaged = original;
      const int flips = 1 + static_cast<int>(rng() % 8);
      for (int i = 0; i < flips; ++i) damaged[rng() % damaged.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
      writeBytes(file, damaged);
      auto result = loadImage(file);
      if (const auto* image = std::get_if<RgbImage>(&result)) {
        // Damage the decoder cannot see (pixel bytes of a BMP, say) still gives a whole image.
        EXPECT_GT(image->width, 0);
        EXPECT_EQ(image->rgb.size(),
                  static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3);
      } else {
        EXPECT_EQ(std::get<std::string>(result).rfind("Cannot read image \"" + file + "\": ", 0), 0u);
      }
    }
  }
}

TEST_F(ImageIoDamagedTest, MissingFilesFoldersAndOtherTypesFail) {
  EXPECT_NE(loadError(path("missing.png")).find("No such file"), std::string::npos);
  fs::create_directories(path("folder.png"));
  loadError(path("folder.png"));
  writeBytes(path("picture.gif"), {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_NE(loadError(path("picture.gif")).find("is not a PNG, JPEG or BMP image"), std::string::npos);
  EXPECT_NE(loadError(path("no_extension")).find("is not a PNG, JPEG or BMP image"), std::string::npos);
}

}  // namespace
}  // namespace zorva
