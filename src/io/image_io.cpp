#include "io/image_io.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

// jpeglib.h needs FILE and size_t declared first (cstdio above).
#include <jpeglib.h>
// jerror.h after it: the message codes.
#include <jerror.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
// A private, static copy of the BMP decoder: no clash with any other user of
// stb_image in the program, and no global state shared with it.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_FAILURE_USERMSG
#include "stb_image.h"
#pragma GCC diagnostic pop

#include "io/png_errors.h"

namespace zorva {
namespace {

// Whole files are read into memory; the largest image we accept stays well
// below this, and stb_image takes the length as an int.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
// A normal progressive JPEG has about ten scans; thousands only waste time.
constexpr int kMaxJpegScans = 1000;
using png_errors::kReasonSize;
using png_errors::storeReason;

std::string readFailure(const std::string& fileName, std::string_view reason) {
  return "Cannot read image \"" + fileName + "\": " + std::string(reason);
}

std::uint8_t overWhite(unsigned colour, unsigned alpha) {
  return static_cast<std::uint8_t>((colour * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// Interleaved RGBA becomes RGB composited over white, in place.
void flattenOverWhite(std::vector<std::uint8_t>& pixels) {
  const std::size_t count = pixels.size() / 4;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t r = pixels[i * 4], g = pixels[i * 4 + 1], b = pixels[i * 4 + 2], a = pixels[i * 4 + 3];
    pixels[i * 3] = overWhite(r, a);
    pixels[i * 3 + 1] = overWhite(g, a);
    pixels[i * 3 + 2] = overWhite(b, a);
  }
  pixels.resize(count * 3);
  pixels.shrink_to_fit();
}

std::uint32_t be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
std::uint32_t le16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// --- how much of a file to read --------------------------------------------------
// An image file needs little more than its pixel data: the header says how
// many pixels there are, and no file of that many pixels needs more bytes
// than the bounds below (raw pixels, the encoder's worst overhead and room
// for metadata). A larger file is refused before it is read, so a file of
// zeros, a device or a huge file named .png costs neither time nor memory.

// Room for metadata (colour profiles, text, thumbnails) in any image.
constexpr std::uint64_t kMetadataBytes = std::uint64_t{32} << 20;

// The header of a file: its first bytes, as many as the headers need.
using Head = std::vector<std::uint8_t>;

struct Need {
  std::uint64_t bytes;
  std::int64_t width = 0, height = 0;  // 0 when the header is not understood
};

// PNG: the IHDR chunk right after the signature. Each row is a filter byte
// and its samples; deflate stores incompressible data with 5 bytes every
// 64 KiB, and interlacing adds a filter byte per row of each of 7 passes.
Need pngNeed(const Head& h) {
  static constexpr std::uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (h.size() < 33 || std::memcmp(h.data(), kSig, 8) != 0 || std::memcmp(&h[12], "IHDR", 4) != 0) return {h.size()};
  const std::uint64_t w = be32(&h[16]), rows = be32(&h[20]);
  const unsigned depth = h[24], colour = h[25], interlaced = h[28];
  const unsigned channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
  const std::uint64_t rowBytes = (w * depth * channels + 7) / 8;
  const std::uint64_t raw = rows * (1 + rowBytes) + (interlaced ? 15 * rows + 64 : 0);
  return {raw + raw / 8 + kMetadataBytes, static_cast<std::int64_t>(w), static_cast<std::int64_t>(rows)};
}

// JPEG: the frame header (SOFn) gives the size; the segments before it are
// walked by their lengths. No entropy-coded block needs more than 8 bytes a
// sample even at the highest quality.
Need jpegNeed(int fd, const Head& h) {
  if (h.size() < 4 || h[0] != 0xFF || h[1] != 0xD8) return {h.size()};
  std::uint64_t at = 2;
  std::uint8_t m[10];
  while (at < kMetadataBytes && ::pread(fd, m, sizeof m, static_cast<off_t>(at)) == static_cast<ssize_t>(sizeof m)) {
    if (m[0] != 0xFF) break;
    if (m[1] == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const bool frame = m[1] >= 0xC0 && m[1] <= 0xCF && m[1] != 0xC4 && m[1] != 0xC8 && m[1] != 0xCC;
    if (frame) {
      const std::uint64_t rows = (m[5] << 8) | m[6], w = (m[7] << 8) | m[8], components = m[9];
      return {(w + 16) * (rows + 16) * std::max<std::uint64_t>(components, 1) * 8 + kMetadataBytes,
              static_cast<std::int64_t>(w), static_cast<std::int64_t>(rows)};
    }
    if (m[1] == 0xD8 || m[1] == 0xD9 || m[1] == 0xDA) break;  // no frame where one must be
    at += 2 + ((m[2] << 8) | m[3]);
  }
  return {kMetadataBytes};  // let the decoder say what is wrong
}

// BMP: the pixels end where the header says; run-length data takes at most
// two bytes a pixel and two at the end of each row.
Need bmpNeed(const Head& h) {
  if (h.size() < 26 || h[0] != 'B' || h[1] != 'M') return {h.size()};
  const std::uint64_t offset = le32(&h[10]);
  const std::uint32_t headerSize = le32(&h[14]);
  std::int64_t w = 0, rows = 0;
  std::uint64_t bits = 32;
  if (headerSize == 12) {
    w = le16(&h[18]);
    rows = le16(&h[20]);
  } else if (h.size() >= 30) {
    w = static_cast<std::int32_t>(le32(&h[18]));
    rows = static_cast<std::int32_t>(le32(&h[22]));
    bits = std::max<std::uint64_t>(le16(&h[28]), 1);
  }
  w = std::abs(w);
  rows = std::abs(rows);
  const auto uw = static_cast<std::uint64_t>(w), urows = static_cast<std::uint64_t>(rows);
  const std::uint64_t plain = (uw * std::min<std::uint64_t>(bits, 64) + 31) / 32 * 4 * urows;
  return {offset + std::max(plain, (uw * 2 + 2) * urows + 2) + kMetadataBytes, w, rows};
}

struct FdCloser {
  int fd;
  ~FdCloser() { ::close(fd); }
};

// Reads the file, refusing what is no plain file (a FIFO would block, a
// device might never end) and what is larger than an image of its header's
// size can need.
std::optional<std::string> readImageFile(const std::string& fileName, ImageType type,
                                         std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::generic_category().message(errno);
  FdCloser closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::generic_category().message(errno);
  if (S_ISDIR(st.st_mode)) return std::string("it is a folder");
  if (!S_ISREG(st.st_mode)) return std::string("it is not a plain file (a pipe, a device or a socket)");
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size == 0) return std::string("the file is empty");

  Head head(static_cast<std::size_t>(std::min<std::uint64_t>(size, 64)));
  if (::pread(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
    return std::generic_category().message(errno);
  const Need need = type == ImageType::Png    ? pngNeed(head)
                    : type == ImageType::Jpeg ? jpegNeed(fd, head)
                                              : bmpNeed(head);
  const std::uint64_t limit = std::min<std::uint64_t>(std::max<std::uint64_t>(need.bytes, head.size()), kMaxFileBytes);
  if (size > limit) {
    if (need.width > 0 && need.height > 0)
      return "the file has " + std::to_string(size) + " bytes, more than an image of " + std::to_string(need.width) +
             " x " + std::to_string(need.height) + " pixels can need (" + std::to_string(limit) + ")";
    if (size > kMaxFileBytes) return std::string("the file is larger than 1 GiB");
  }
  // Within the limit, or a header the decoder will refuse: read no more than it.
  bytes.resize(static_cast<std::size_t>(std::min(size, limit)));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::generic_category().message(errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  if (bytes.empty()) return std::string("the file is empty");
  return std::nullopt;
}

// --- PNG ----------------------------------------------------------------------
// The setjmp rule of io/png_errors.h holds for the functions below.

struct PngSource {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  char reason[kReasonSize] = {};
};

struct PngReadGuard {
  PngSource& src;
  ~PngReadGuard() { png_destroy_read_struct(&src.png, &src.info, nullptr); }
};

void pngReadBytes(png_structp png, png_bytep out, std::size_t count) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->size - src->pos) png_error(png, "the file is truncated");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

bool pngReadHeader(PngSource& src) {
  if (setjmp(png_jmpbuf(src.png))) return false;
  png_set_read_fn(src.png, &src, pngReadBytes);
  // Our own size limit is applied after the header, with a clearer message
  // than libpng's "Invalid IHDR data".
  png_set_user_limits(src.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(src.png, src.info);
  return true;
}

// Asks libpng for 8-bit RGB, or RGBA when the image has any transparency.
bool pngRequestRgb(PngSource& src) {
  if (setjmp(png_jmpbuf(src.png))) return false;
  const int bitDepth = png_get_bit_depth(src.png, src.info);
  const int colorType = png_get_color_type(src.png, src.info);
  if (bitDepth == 16) png_set_scale_16(src.png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(src.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(src.png);
  if (png_get_valid(src.png, src.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(src.png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(src.png);
  png_set_interlace_handling(src.png);
  png_read_update_info(src.png, src.info);
  return true;
}

bool pngReadRows(PngSource& src, png_bytepp rows) {
  if (setjmp(png_jmpbuf(src.png))) return false;
  png_read_image(src.png, rows);
  // Reads up to IEND, so a file cut after its pixel data still fails.
  png_read_end(src.png, nullptr);
  return true;
}

std::variant<RgbImage, std::string> decodePng(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  PngSource src;
  src.data = bytes.data();
  src.size = bytes.size();
  PngReadGuard guard{src};
  src.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, src.reason, png_errors::fail, png_errors::ignoreWarning);
  if (src.png == nullptr) return readFailure(fileName, "libpng could not start");
  src.info = png_create_info_struct(src.png);
  if (src.info == nullptr) return readFailure(fileName, "libpng could not start");

  if (!pngReadHeader(src)) return readFailure(fileName, src.reason);
  const png_uint_32 width = png_get_image_width(src.png, src.info);
  const png_uint_32 height = png_get_image_height(src.png, src.info);
  if (auto problem = imageSizeProblem(width, height)) return readFailure(fileName, *problem);

  if (!pngRequestRgb(src)) return readFailure(fileName, src.reason);
  const std::size_t channels = png_get_channels(src.png, src.info);
  const std::size_t rowBytes = png_get_rowbytes(src.png, src.info);
  if ((channels != 3 && channels != 4) || png_get_bit_depth(src.png, src.info) != 8 || rowBytes != width * channels)
    return readFailure(fileName, "libpng did not deliver 8-bit RGB pixels");

  std::vector<std::uint8_t> pixels(rowBytes * height);
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) rows[y] = pixels.data() + y * rowBytes;
  if (!pngReadRows(src, rows.data())) return readFailure(fileName, src.reason);

  if (channels == 4) flattenOverWhite(pixels);
  RgbImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgb = std::move(pixels);
  return image;
}

// --- JPEG -----------------------------------------------------------------------
// libjpeg's errors longjmp back too; the same rule holds for the setjmp
// functions here.

struct JpegErrors {
  jpeg_error_mgr mgr;  // first, so libjpeg's pointer to it points to the whole
  std::jmp_buf jump;
  char reason[kReasonSize];
};

struct JpegSource {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  jpeg_progress_mgr progress;
};

struct JpegGuard {
  JpegSource& src;
  // Harmless on a struct that was never created: it checks cinfo.mem.
  ~JpegGuard() { jpeg_destroy_decompress(&src.cinfo); }
};

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  storeReason(errors->reason, message);
  std::longjmp(errors->jump, 1);
}

// Warnings mean damaged data (a truncated file, corrupt entropy data) that
// libjpeg would paper over with grey; we refuse the image instead. Only an
// unknown JFIF version is harmless.
void jpegMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace output
  if (cinfo->err->msg_code == JWRN_JFIF_MAJOR) return;
  jpegFail(cinfo);
}

void jpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxJpegScans) return;
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  std::snprintf(errors->reason, kReasonSize, "the file has more than %d scans", kMaxJpegScans);
  std::longjmp(errors->jump, 1);
}

bool jpegReadHeader(JpegSource& src, const std::uint8_t* data, std::size_t size) {
  if (setjmp(src.errors.jump)) return false;
  jpeg_create_decompress(&src.cinfo);
  src.cinfo.progress = &src.progress;
  jpeg_mem_src(&src.cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&src.cinfo, TRUE);
  return true;
}

bool jpegStart(JpegSource& src) {
  if (setjmp(src.errors.jump)) return false;
  jpeg_start_decompress(&src.cinfo);
  return true;
}

// CMYK to RGB with the light that each ink lets through. Adobe writes CMYK
// inverted (255 = no ink), and its marker is how such files are recognised.
void cmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, std::size_t width, bool inverted) {
  for (std::size_t x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
    unsigned light[4];
    for (int i = 0; i < 4; ++i) light[i] = inverted ? cmyk[i] : 255u - cmyk[i];
    for (int i = 0; i < 3; ++i) rgb[i] = static_cast<std::uint8_t>((light[i] * light[3] + 127u) / 255u);
  }
}

// cmykRow is null for RGB output, else one row of CMYK samples.
bool jpegReadRows(JpegSource& src, std::uint8_t* rgb, std::uint8_t* cmykRow, bool invertedCmyk) {
  if (setjmp(src.errors.jump)) return false;
  const std::size_t width = src.cinfo.output_width;
  while (src.cinfo.output_scanline < src.cinfo.output_height) {
    std::uint8_t* out = rgb + static_cast<std::size_t>(src.cinfo.output_scanline) * width * 3;
    JSAMPROW row = cmykRow != nullptr ? cmykRow : out;
    if (jpeg_read_scanlines(&src.cinfo, &row, 1) != 1) {
      storeReason(src.errors.reason, "libjpeg returned no scanline");
      return false;
    }
    if (cmykRow != nullptr) cmykRowToRgb(cmykRow, out, width, invertedCmyk);
  }
  jpeg_finish_decompress(&src.cinfo);
  return true;
}

std::variant<RgbImage, std::string> decodeJpeg(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  JpegSource src{};  // all zero, so the guard can destroy it whatever happens
  JpegGuard guard{src};
  src.cinfo.err = jpeg_std_error(&src.errors.mgr);
  src.errors.mgr.error_exit = jpegFail;
  src.errors.mgr.emit_message = jpegMessage;
  src.progress.progress_monitor = jpegProgress;

  if (!jpegReadHeader(src, bytes.data(), bytes.size())) return readFailure(fileName, src.errors.reason);
  jpeg_decompress_struct& cinfo = src.cinfo;
  if (auto problem = imageSizeProblem(cinfo.image_width, cinfo.image_height)) return readFailure(fileName, *problem);

  bool cmyk = false;
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
      cinfo.out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;  // libjpeg turns YCCK into CMYK
      cmyk = true;
      break;
    default:
      return readFailure(fileName, "the JPEG colour space is not greyscale, RGB, YCbCr, CMYK or YCCK");
  }
  const bool invertedCmyk = cinfo.saw_Adobe_marker != 0;

  if (!jpegStart(src)) return readFailure(fileName, src.errors.reason);
  if (cinfo.output_width != cinfo.image_width || cinfo.output_height != cinfo.image_height ||
      cinfo.output_components != (cmyk ? 4 : 3))
    return readFailure(fileName, "libjpeg did not deliver the expected pixels");

  RgbImage image;
  image.width = static_cast<int>(cinfo.output_width);
  image.height = static_cast<int>(cinfo.output_height);
  image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
  std::vector<std::uint8_t> cmykRow(cmyk ? static_cast<std::size_t>(image.width) * 4 : 0);
  if (!jpegReadRows(src, image.rgb.data(), cmyk ? cmykRow.data() : nullptr, invertedCmyk))
    return readFailure(fileName, src.errors.reason);
  return image;
}

// --- BMP ------------------------------------------------------------------------

// stb_image reads zeros past the end of its buffer, so a truncated bitmap
// would load as if it were whole. Check the header's size and the extent of
// the pixel data first; everything else is left to stb_image.
std::optional<std::string> bmpLayoutProblem(const std::vector<std::uint8_t>& b) {
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') return std::nullopt;  // stb_image names what is wrong
  if (b.size() < 18) return std::string("the file ends inside its header");
  const std::uint32_t offset = le32(&b[10]);
  const std::uint32_t headerSize = le32(&b[14]);
  std::int64_t width = 0, height = 0;
  std::uint32_t bitsPerPixel = 0, compression = 0;
  if (headerSize == 12) {
    if (b.size() < 26) return std::string("the file ends inside its header");
    width = le16(&b[18]);
    height = le16(&b[20]);
    bitsPerPixel = le16(&b[24]);
  } else if (headerSize == 40 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    if (b.size() < 14 + headerSize) return std::string("the file ends inside its header");
    width = static_cast<std::int32_t>(le32(&b[18]));
    height = static_cast<std::int32_t>(le32(&b[22]));
    bitsPerPixel = le16(&b[28]);
    compression = le32(&b[30]);
  } else {
    return std::nullopt;
  }
  if (height < 0) height = -height;  // stored top-down
  if (auto problem = imageSizeProblem(width, height)) return problem;
  const bool plain = compression == 0 || compression == 3;
  const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
                          bitsPerPixel == 24 || bitsPerPixel == 32;
  if (plain && knownDepth) {
    const std::int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    const std::int64_t end = static_cast<std::int64_t>(offset) + rowBytes * height;
    if (end > static_cast<std::int64_t>(b.size()))
      return "the file is truncated: its pixels end at byte " + std::to_string(end) + " but the file has " +
             std::to_string(b.size()) + " bytes";
  }
  return std::nullopt;
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::variant<RgbImage, std::string> decodeBmp(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  if (auto problem = bmpLayoutProblem(bytes)) return readFailure(fileName, *problem);
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, StbFree> pixels(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 0));
  if (!pixels) {
    const char* reason = stbi_failure_reason();
    return readFailure(fileName, reason != nullptr ? reason : "stb_image could not decode it");
  }
  if (auto problem = imageSizeProblem(width, height)) return readFailure(fileName, *problem);
  if (channels != 3 && channels != 4) return readFailure(fileName, "stb_image did not deliver RGB pixels");

  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> rgb(pixels.get(), pixels.get() + count * static_cast<std::size_t>(channels));
  pixels.reset();
  if (channels == 4) flattenOverWhite(rgb);
  RgbImage image;
  image.width = width;
  image.height = height;
  image.rgb = std::move(rgb);
  return image;
}

}  // namespace

ImageType imageTypeFromName(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return ImageType::Unknown;
  std::string ext = fileName.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ext == "png") return ImageType::Png;
  if (ext == "jpg" || ext == "jpeg") return ImageType::Jpeg;
  if (ext == "bmp") return ImageType::Bmp;
  return ImageType::Unknown;
}

std::optional<std::string> imageSizeProblem(std::int64_t width, std::int64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width < 1 || height < 1) return "the image size " + size + " is not valid";
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
    return "the image is " + size + ", more than the " + std::to_string(kMaxImageSide) +
           " pixels a side or 100 million pixels in all that can be loaded";
  return std::nullopt;
}

std::variant<RgbImage, std::string> loadImage(const std::string& fileName) {
  const ImageType type = imageTypeFromName(fileName);
  if (type == ImageType::Unknown) return readFailure(fileName, "it is not a PNG, JPEG or BMP image (by its extension)");
  try {
    std::vector<std::uint8_t> bytes;
    if (auto problem = readImageFile(fileName, type, bytes)) return readFailure(fileName, *problem);
    switch (type) {
      case ImageType::Png:
        return decodePng(fileName, bytes);
      case ImageType::Jpeg:
        return decodeJpeg(fileName, bytes);
      case ImageType::Bmp:
        return decodeBmp(fileName, bytes);
      case ImageType::Unknown:
        break;
    }
  } catch (const std::bad_alloc&) {
    return readFailure(fileName, "not enough memory");
  }
  return readFailure(fileName, "it is not a PNG, JPEG or BMP image");
}

}  // namespace zorva
