// Reading PNG, JPEG and BMP files of every kind, damaged ones refused with
// their reason; and the PNG writer's files, read back piece by piece: the
// chunks, the zlib stream inside the IDATs and the filtered rows it
// inflates to; the same bytes at every thread count.
#include "io/image_io.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <regex>
#include <span>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "base/thread_pool.h"
#include "support/test_support.h"

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

using Bytes = std::vector<std::uint8_t>;
constexpr auto npos = std::string::npos;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes readBytes(const std::string& file) {
  const std::string s = test::readFile(file);
  return Bytes(s.begin(), s.end());
}

void writeBytes(const std::string& file, const Bytes& bytes) {
  test::writeFile(file, std::string(bytes.begin(), bytes.end()));
}

Bytes randomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

RgbImage loadOk(const std::string& file) {
  auto result = loadImage(file);
  if (const auto* error = std::get_if<std::string>(&result)) ADD_FAILURE() << *error;
  auto* image = std::get_if<RgbImage>(&result);
  return image != nullptr ? std::move(*image) : RgbImage{};
}

// A failed load's message names the file and gives a reason containing `reason`.
void loadError(const std::string& file, const std::string& reason = "") {
  auto result = loadImage(file);
  const std::string error = std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "loaded";
  const std::string prefix = "Cannot read image \"" + file + "\": ";
  EXPECT_TRUE(error.starts_with(prefix) && error.size() > prefix.size()) << error;
  EXPECT_NE(error.find(reason), npos) << error;
}

Bytes be32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

const Bytes kSignature = {137, 80, 78, 71, 13, 10, 26, 10};

Bytes chunk(const std::string& type, const Bytes& data) {
  const Bytes body = Bytes(type.begin(), type.end()) + data;
  return be32(static_cast<std::uint32_t>(data.size())) + body +
         be32(static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

Bytes ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType, bool interlaced = false) {
  const Bytes fields = {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colourType), 0, 0, interlaced};
  return chunk("IHDR", be32(width) + be32(height) + fields);
}

Bytes zlib(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  out.resize(size);
  return out;
}

// An image by its samples at full depth: channel values per pixel, row-major
// (palette indexes for colour type 3).
struct Png {
  int width, height, depth, colourType;
  std::vector<unsigned> samples;
  Bytes plte = {}, trns = {};
};

int channelsOf(int colourType) { return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1; }

// The file, plain or Adam7-interlaced, every row with filter None.
Bytes pngFile(const Png& p, bool interlaced = false) {
  // Passes: first column and row, column and row steps.
  static const int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  static const int kPlain[1][4] = {{0, 0, 1, 1}};
  const int n = channelsOf(p.colourType);
  Bytes raw;
  for (const auto& s : interlaced ? std::span<const int[4]>(kAdam7) : std::span<const int[4]>(kPlain)) {
    if (s[0] >= p.width) continue;  // an empty pass has no rows at all
    for (int y = s[1]; y < p.height; y += s[3]) {
      raw.push_back(0);
      unsigned bits = 0, acc = 0;  // samples fill bytes from the top bit down
      for (int x = s[0]; x < p.width; x += s[2])
        for (int c = 0; c < n; ++c) {
          acc = (acc << p.depth) | p.samples[(y * p.width + x) * n + c];
          for (bits += static_cast<unsigned>(p.depth); bits >= 8;)
            raw.push_back(static_cast<std::uint8_t>(acc >> (bits -= 8)));
        }
      if (bits > 0) raw.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
    }
  }
  Bytes file = kSignature + ihdr(p.width, p.height, p.depth, p.colourType, interlaced);
  if (!p.plte.empty()) file = file + chunk("PLTE", p.plte);
  if (!p.trns.empty()) file = file + chunk("tRNS", p.trns);
  return file + chunk("IDAT", zlib(raw)) + chunk("IEND", {});
}

struct JpegOptions {
  int components = 3;
  J_COLOR_SPACE input = JCS_RGB;
  J_COLOR_SPACE stored = JCS_UNKNOWN;  // libjpeg's default for the input
  bool adobeMarker = true;             // only written for CMYK and YCCK
  bool progressive = false;
};

// libjpeg's default error handler ends the program, which fails the run too.
Bytes jpegFile(int width, int height, const Bytes& samples, const JpegOptions& o = {}) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &data, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = o.components;
  cinfo.in_color_space = o.input;
  jpeg_set_defaults(&cinfo);
  if (o.stored != JCS_UNKNOWN) jpeg_set_colorspace(&cinfo, o.stored);
  if (!o.adobeMarker) cinfo.write_Adobe_marker = FALSE;
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (o.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  for (JSAMPROW row; cinfo.next_scanline < cinfo.image_height; jpeg_write_scanlines(&cinfo, &row, 1))
    row = const_cast<JSAMPROW>(&samples[cinfo.next_scanline * static_cast<std::size_t>(width * o.components)]);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes(data, data + size);
  std::free(data);
  return bytes;
}

Bytes flat(int pixels, std::initializer_list<std::uint8_t> pixel) {
  Bytes samples;
  for (int i = 0; i < pixels; ++i) samples.insert(samples.end(), pixel);
  return samples;
}

class ImageIo : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.file(name); }

  // Small valid files of every kind, by extension (two BMPs: 24 and 32 bits).
  std::vector<std::pair<std::string, Bytes>> validFiles() const {
    const Bytes rgb = randomBytes(6 * 5 * 4, 5);
    EXPECT_EQ(writePng(path("v.png"), 6, 5, rgb.data(), 18, nullptr), std::nullopt);
    EXPECT_TRUE(stbi_write_bmp(path("v.bmp").c_str(), 6, 5, 3, rgb.data()));
    EXPECT_TRUE(stbi_write_bmp(path("v32.bmp").c_str(), 6, 5, 4, rgb.data()));
    return {{"png", readBytes(path("v.png"))},
            {"jpg", jpegFile(6, 5, rgb)},
            {"bmp", readBytes(path("v.bmp"))},
            {"bmp", readBytes(path("v32.bmp"))}};
  }

 private:
  test::TempDir dir_;
};

TEST(ImageNames, TypeFromTheExtensionAndSizeLimits) {
  const std::pair<const char*, ImageType> cases[] = {{"/x/y/A.PNG", ImageType::Png},
                                                     {"photo.JPEG", ImageType::Jpeg},
                                                     {"archive.png.bmp", ImageType::Bmp},
                                                     {"png", ImageType::Unknown},
                                                     {"dir.png/picture", ImageType::Unknown}};
  for (const auto& [name, type] : cases) EXPECT_EQ(imageTypeFromName(name), type) << name;
  // Memory for the pixels is bounded by the side and by the count.
  EXPECT_FALSE(imageSizeProblem(30000, 3333) || imageSizeProblem(10000, 10000));
  for (auto [w, h] : {std::pair<int, int>{30001, 1}, {10000, 10001}, {0, 5}})
    EXPECT_TRUE(imageSizeProblem(w, h)) << w << " x " << h;
}

TEST_F(ImageIo, PngWriteFailuresNameTheFileAndLeaveAnyOldFileWhole) {
  const Bytes rgb(4 * 4 * 3, 9);
  const std::string file = path("bad.png"), missing = path("no_such_folder/p.png");
  EXPECT_NE(writePng(file, 0, 4, rgb.data(), 12, nullptr).value_or("").find('"' + file + '"'), npos);
  EXPECT_NE(writePng(file, 4, 4, rgb.data(), 11, nullptr).value_or("").find('"' + file + '"'), npos);
  EXPECT_NE(writePng(missing, 4, 4, rgb.data(), 12, nullptr).value_or("").find(missing), npos);
  EXPECT_FALSE(std::filesystem::exists(file));

  // libpng refuses a width beyond its limit; the earlier picture stays.
  ASSERT_EQ(writePng(file, 1, 1, rgb.data(), 3, nullptr), std::nullopt);
  const Bytes before = readBytes(file);
  const Bytes row(3 * 2000000, 0);
  EXPECT_NE(writePng(file, 2000000, 1, row.data(), row.size(), nullptr).value_or("").find(file), npos);
  EXPECT_EQ(readBytes(file), before);
}

TEST_F(ImageIo, PngOfEveryColourTypeAndDepthToRgbOverWhite) {
  // Samples scale to 8 bits (16-bit ones rounded, not cut); alpha, from the
  // alpha channel or tRNS, is composited over white:
  // (c * a + 255 * (255 - a) + 127) / 255.
  const std::pair<Png, Bytes> cases[] = {
      {{4, 1, 2, 0, {0, 1, 2, 3}, {}, {0, 1}}, {0, 0, 0, 255, 255, 255, 170, 170, 170, 255, 255, 255}},
      {{2, 1, 16, 0, {1000, 65535}}, {4, 4, 4, 255, 255, 255}},
      {{2, 1, 8, 4, {100, 128, 50, 0}}, {177, 177, 177, 255, 255, 255}},
      {{1, 1, 16, 4, {0, 32896}}, {127, 127, 127}},
      {{3, 1, 1, 3, {1, 0, 1}, {10, 20, 30, 40, 50, 60}}, {40, 50, 60, 10, 20, 30, 40, 50, 60}},
      // tRNS shorter than the palette: the later entries are opaque.
      {{3, 1, 4, 3, {0, 1, 2}, {200, 100, 50, 0, 0, 0, 9, 9, 9}, {128, 0}}, {227, 177, 152, 255, 255, 255, 9, 9, 9}},
      {{3, 1, 8, 2, {1, 2, 3, 1, 2, 4, 200, 100, 50}, {}, {0, 1, 0, 2, 0, 3}}, {255, 255, 255, 1, 2, 4, 200, 100, 50}},
      {{2, 1, 16, 2, {65535, 32896, 1000, 0, 128, 129}}, {255, 128, 4, 0, 0, 1}},
      {{3, 1, 8, 6, {0, 0, 0, 0, 0, 0, 0, 128, 200, 100, 50, 255}}, {255, 255, 255, 127, 127, 127, 200, 100, 50}},
      {{1, 1, 16, 6, {65535, 0, 32896, 32896}}, {255, 127, 191}},
  };
  for (const auto& [png, expected] : cases) {
    SCOPED_TRACE("colour type " + std::to_string(png.colourType) + ", depth " + std::to_string(png.depth));
    writeBytes(path("kind.png"), pngFile(png));
    const RgbImage image = loadOk(path("kind.png"));
    EXPECT_EQ(image.width, png.width);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.rgb, expected);
  }
}

TEST_F(ImageIo, InterlacedPngGivesThePlainPixels) {
  std::mt19937 rng(3);
  for (const auto& [colourType, depth] : {std::pair{0, 1}, {0, 16}, {4, 8}, {3, 2}, {2, 8}, {6, 16}}) {
    SCOPED_TRACE("colour type " + std::to_string(colourType) + ", depth " + std::to_string(depth));
    Png png{13, 7, depth, colourType, {}, colourType == 3 ? randomBytes(3u << depth, rng()) : Bytes{}};
    for (int i = 0; i < 13 * 7 * channelsOf(colourType); ++i) png.samples.push_back(rng() % (1u << depth));
    writeBytes(path("plain.png"), pngFile(png));
    writeBytes(path("adam7.png"), pngFile(png, true));
    const Bytes plain = loadOk(path("plain.png")).rgb;
    ASSERT_EQ(plain.size(), 13u * 7 * 3);
    EXPECT_EQ(loadOk(path("adam7.png")).rgb, plain);
  }
}

TEST_F(ImageIo, JpegGreyColourAndCmykComeBackClose) {
  const Bytes orange = flat(21 * 13, {190, 120, 40});  // not a whole number of MCUs
  // CMYK: RGB is the light let through, light(ink) * light(black) / 255.
  // Adobe files store the light itself (inverted CMYK), others the ink.
  const Bytes light = flat(256, {220, 130, 60, 235}), ink = flat(256, {35, 125, 195, 20});
  const Bytes cmykRgb = flat(256, {203, 120, 55});
  const std::tuple<const char*, int, int, Bytes, Bytes, JpegOptions> cases[] = {
      {"grey.jpg", 16, 16, flat(256, {100}), flat(256, {100, 100, 100}), {.components = 1, .input = JCS_GRAYSCALE}},
      {"subsampled.jpeg", 21, 13, orange, orange, {}},
      {"PROGRESSIVE.JPG", 21, 13, orange, orange, {.progressive = true}},
      {"adobe_cmyk.jpg", 16, 16, light, cmykRgb, {.components = 4, .input = JCS_CMYK}},
      {"adobe_ycck.jpg", 16, 16, light, cmykRgb, {.components = 4, .input = JCS_CMYK, .stored = JCS_YCCK}},
      {"plain_cmyk.jpg", 16, 16, ink, cmykRgb, {.components = 4, .input = JCS_CMYK, .adobeMarker = false}}};
  for (const auto& [name, width, height, samples, expected, options] : cases) {
    SCOPED_TRACE(name);
    writeBytes(path(name), jpegFile(width, height, samples, options));
    const RgbImage image = loadOk(path(name));
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.rgb.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_NEAR(image.rgb[i], expected[i], 4) << "sample " << i;
  }
}

TEST_F(ImageIo, BmpOfTwentyFourBitsEitherWayUpAndThirtyTwoBitsOverWhite) {
  const int width = 5, height = 3;  // 15-byte rows, padded to 16
  const Bytes rgb = randomBytes(width * height * 3, 4);
  ASSERT_TRUE(stbi_write_bmp(path("up.bmp").c_str(), width, height, 3, rgb.data()));
  const RgbImage image = loadOk(path("up.bmp"));
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  EXPECT_EQ(image.rgb, rgb);

  // A negative height stores the rows top-down.
  Bytes topDown = readBytes(path("up.bmp"));
  const std::int32_t negative = -height;
  std::memcpy(&topDown[22], &negative, 4);
  writeBytes(path("down.BMP"), topDown);
  Bytes expected;
  for (int y = height - 1; y >= 0; --y) expected.insert(expected.end(), &rgb[y * width * 3], &rgb[(y + 1) * width * 3]);
  EXPECT_EQ(loadOk(path("down.BMP")).rgb, expected);

  const Bytes rgba = {200, 100, 50, 128, 1, 2, 3, 0};
  ASSERT_TRUE(stbi_write_bmp(path("alpha.bmp").c_str(), 2, 1, 4, rgba.data()));
  EXPECT_EQ(loadOk(path("alpha.bmp")).rgb, Bytes({227, 177, 152, 255, 255, 255}));
}

TEST_F(ImageIo, DamagedFilesFailWithTheirReason) {
  const auto valid = validFiles();
  const Bytes &png = valid[0].second, &jpeg = valid[1].second;
  Bytes badCrc = png, strayBytes = jpeg, hugeJpeg = jpeg, wideBmp = valid[2].second;
  badCrc[8 + 8 + 13] ^= 0x10;                          // the IHDR's CRC
  strayBytes.insert(strayBytes.end() - 2, 100, 0x00);  // libjpeg only warns about these
  std::size_t sof = 0;
  while (sof + 1 < hugeJpeg.size() && !(hugeJpeg[sof] == 0xFF && hugeJpeg[sof + 1] == 0xC0)) ++sof;
  ASSERT_LT(sof + 9, hugeJpeg.size());
  hugeJpeg[sof + 5] = hugeJpeg[sof + 7] = 60000 >> 8;  // height and width
  hugeJpeg[sof + 6] = hugeJpeg[sof + 8] = 60000 & 0xFF;
  const std::int32_t wide = 40000;
  std::memcpy(&wideBmp[18], &wide, 4);
  // Decoding follows the extension: a PNG called .jpg is a broken JPEG.
  const std::tuple<const char*, Bytes, const char*> cases[] = {
      {"crc.png", badCrc, "CRC"},
      {"no_palette.png", kSignature + ihdr(2, 2, 8, 3) + chunk("IDAT", zlib(Bytes(6, 0))) + chunk("IEND", {}), ""},
      {"huge.png", kSignature + ihdr(100000, 100000, 8, 2) + chunk("IDAT", zlib(Bytes(1000, 0))), "100000 x 100000"},
      {"disguised.jpg", png, "Not a JPEG file"},
      {"stray.jpg", strayBytes, "Corrupt JPEG data"},
      {"huge.jpg", hugeJpeg, "60000 x 60000"},
      {"wide.bmp", wideBmp, "40000 x 5"},
      {"no_extension", png, "is not a PNG, JPEG or BMP image"}};
  for (const auto& [name, bytes, reason] : cases) {
    SCOPED_TRACE(name);
    writeBytes(path(name), bytes);
    loadError(path(name), reason);
  }
  loadError(path("missing.png"), "No such file");
  std::filesystem::create_directories(path("folder.png"));
  loadError(path("folder.png"));
}

// Every truncation fails; random damage fails or, where a decoder cannot see
// it (in a BMP's pixels, say), still gives a whole image.
TEST_F(ImageIo, TruncatedOrRandomlyDamagedFilesNeverCrash) {
  std::mt19937 rng(10);
  for (const auto& [type, original] : validFiles()) {
    const std::string file = path("damaged." + type);
    for (std::size_t size = 0; size < original.size(); ++size) {
      SCOPED_TRACE(type + " cut to " + std::to_string(size) + " bytes");
      writeBytes(file, Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(size)));
      loadError(file);
    }
    for (int round = 0; round < 60; ++round) {
      Bytes damaged = original;
      for (int flips = 1 + static_cast<int>(rng() % 8); flips > 0; --flips)
        damaged[rng() % damaged.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
      writeBytes(file, damaged);
      const auto result = loadImage(file);
      const auto* image = std::get_if<RgbImage>(&result);
      EXPECT_TRUE(image != nullptr ? image->rgb.size() == std::size_t{3} * image->width * image->height
                                   : std::get<std::string>(result).starts_with("Cannot read image \"" + file + "\": "));
    }
  }
}

// ---- the PNG writer's files, read back piece by piece ----------------------------------

std::uint32_t readBe32(const std::uint8_t* p) {
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
// most 65535 bytes holding one zlib stream of exactly the picture's rows,
// Sub-filtered.
void checkFile(const Bytes& png, const Picture& p) {
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), kSignature);
  std::string types;
  Bytes ihdr, stream;
  std::size_t pos = 8;
  for (std::size_t length; pos + 12 <= png.size() && pos + 12 + (length = readBe32(&png[pos])) <= png.size();
       pos += 12 + length) {
    const std::uint8_t* body = &png[pos + 4];
    EXPECT_EQ(readBe32(body + 4 + length), crc32(0, body, static_cast<uInt>(4 + length))) << "chunk at " << pos;
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
  EXPECT_EQ(readBe32(&ihdr[0]), static_cast<std::uint32_t>(p.width));
  EXPECT_EQ(readBe32(&ihdr[4]), static_cast<std::uint32_t>(p.height));
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
  // inflate() checks the zlib header (no preset dictionary) and the Adler-32 too.
  EXPECT_TRUE(inflateAll(stream) == filtered) << "the inflated rows differ from the Sub-filtered picture";
}

class PngWriter : public ::testing::Test {
 protected:
  // Writes p with the given thread count and returns the file's bytes.
  Bytes write(const Picture& p, int threads) {
    EXPECT_EQ(writePng(file_, p.width, p.height, p.rgb.data(), p.stride, alphaOf(p), threads), std::nullopt);
    return read();
  }
  Bytes read() const { return readBytes(file_); }
  static const std::uint8_t* alphaOf(const Picture& p) { return p.alpha.empty() ? nullptr : p.alpha.data(); }
  test::TempDir dir_;
  const std::string file_ = dir_.file("p.png");
};

TEST_F(PngWriter, EveryShapeReadsBackThroughZlib) {
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
