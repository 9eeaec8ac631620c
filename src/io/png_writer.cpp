// The PNG writer. libpng writes the signature, IHDR, the IDAT chunks and
// IEND; the image data inside the IDATs is filtered and deflated here, in
// blocks of rows on every thread, the way parallel gzip tools do it: each
// block is a raw deflate stream primed with the 32 KiB of filtered data before
// it and ended on a byte boundary by a sync flush (the last one by finishing
// the stream), so the blocks simply follow each other after one zlib header,
// and the Adler-32 of all the data is combined from theirs.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "base/thread_pool.h"
#include "io/atomic_write.h"
#include "io/image_io.h"
#include "io/png_errors.h"

namespace zorva {
namespace {

using png_errors::kReasonSize;

constexpr int kLevel = 7;
constexpr int kMemLevel = 8;  // zlib's default, and libpng's
constexpr int kWindowBits = 15;
constexpr std::size_t kWindow = std::size_t{1} << kWindowBits;
constexpr std::size_t kMaxIdatBytes = 65535;
constexpr int kMaxThreads = 256;
// The zlib header zlib itself writes for a 32 KiB window at level 7
// (compression level field 3, no preset dictionary).
constexpr png_byte kZlibHeader[2] = {0x78, 0xDA};
constexpr png_byte kIdat[5] = "IDAT";
constexpr png_byte kIend[5] = "IEND";

std::string writeFailure(const std::string& fileName, std::string_view reason) {
  return "Cannot write image \"" + fileName + "\": " + std::string(reason);
}

// The picture as the writer sees it.
struct Rows {
  std::size_t width = 0;
  std::size_t height = 0;
  const std::uint8_t* rgb = nullptr;
  std::size_t rgbStride = 0;
  const std::uint8_t* alpha = nullptr;  // null for RGB
  bool bgr = false;                     // the pixels' bytes are blue, green, red
  std::size_t rowBytes = 0;             // one filtered row: the filter byte and the samples
  std::size_t rowsPerBlock = 0;
  std::size_t blocks = 0;
};

// Row y with the Sub filter: filter type 1, then each sample minus the same
// sample of the pixel to its left (0 left of the first pixel), mod 256.
void subFilterRow(const Rows& rows, std::size_t y, std::uint8_t* out) {
  const std::uint8_t* rgb = rows.rgb + y * rows.rgbStride;
  *out++ = 1;
  if (rows.bgr) {
    // The picture keeps blue first; the file wants red first.
    const std::size_t channels = rows.alpha != nullptr ? 4 : 3;
    const std::uint8_t* alpha = rows.alpha != nullptr ? rows.alpha + y * rows.width : nullptr;
    for (std::size_t x = 0; x < rows.width; ++x) {
      std::uint8_t* o = out + x * channels;
      const std::uint8_t* c = rgb + x * 3;
      const std::uint8_t left[4] = {x ? c[-1] : std::uint8_t{0}, x ? c[-2] : std::uint8_t{0},
                                    x ? c[-3] : std::uint8_t{0}, alpha && x ? alpha[x - 1] : std::uint8_t{0}};
      o[0] = static_cast<std::uint8_t>(c[2] - left[0]);
      o[1] = static_cast<std::uint8_t>(c[1] - left[1]);
      o[2] = static_cast<std::uint8_t>(c[0] - left[2]);
      if (alpha) o[3] = static_cast<std::uint8_t>(alpha[x] - left[3]);
    }
    return;
  }
  if (rows.alpha == nullptr) {
    const std::size_t samples = rows.width * 3;
    std::memcpy(out, rgb, 3);
    for (std::size_t i = 3; i < samples; ++i) out[i] = static_cast<std::uint8_t>(rgb[i] - rgb[i - 3]);
    return;
  }
  const std::uint8_t* alpha = rows.alpha + y * rows.width;
  std::memcpy(out, rgb, 3);
  out[3] = alpha[0];
  for (std::size_t x = 1; x < rows.width; ++x) {
    std::uint8_t* o = out + x * 4;
    const std::uint8_t* c = rgb + x * 3;
    o[0] = static_cast<std::uint8_t>(c[0] - c[-3]);
    o[1] = static_cast<std::uint8_t>(c[1] - c[-2]);
    o[2] = static_cast<std::uint8_t>(c[2] - c[-1]);
    o[3] = static_cast<std::uint8_t>(alpha[x] - alpha[x - 1]);
  }
}

struct Block {
  std::vector<std::uint8_t> deflated;  // raw deflate, ending on a byte boundary
  uLong adler = 0;                     // Adler-32 of the block's filtered rows
  std::size_t filteredBytes = 0;
};

// One per thread: the compressor and the buffers it reuses from block to block.
class BlockDeflater {
 public:
  BlockDeflater() = default;
  BlockDeflater(const BlockDeflater&) = delete;
  BlockDeflater& operator=(const BlockDeflater&) = delete;
  ~BlockDeflater() {
    if (started_) deflateEnd(&zs_);
  }

  // Fills block b; returns the reason on failure.
  std::optional<std::string> deflateBlock(const Rows& rows, std::size_t b, Block& block);

 private:
  std::optional<std::string> zlibFailure(const char* what) const {
    return std::string("zlib could not ") + what + (zs_.msg != nullptr ? std::string(": ") + zs_.msg : "");
  }

  z_stream zs_{};
  bool started_ = false;
  std::vector<std::uint8_t> filtered_, out_;
};

std::optional<std::string> BlockDeflater::deflateBlock(const Rows& rows, std::size_t b, Block& block) {
  const std::size_t first = b * rows.rowsPerBlock;
  const std::size_t last = std::min(rows.height, first + rows.rowsPerBlock);
  // The rows before the block that reach back one window prime the compressor.
  const std::size_t before = std::min(first, (kWindow + rows.rowBytes - 1) / rows.rowBytes);
  filtered_.resize((before + last - first) * rows.rowBytes);
  for (std::size_t y = first - before; y < last; ++y)
    subFilterRow(rows, y, filtered_.data() + (y + before - first) * rows.rowBytes);
  std::uint8_t* data = filtered_.data() + before * rows.rowBytes;
  const std::size_t size = (last - first) * rows.rowBytes;
  const std::size_t dictionary = std::min(kWindow, before * rows.rowBytes);
  block.filteredBytes = size;
  block.adler = adler32_z(adler32_z(0, nullptr, 0), data, size);

  if (!started_) {
    if (deflateInit2(&zs_, kLevel, Z_DEFLATED, -kWindowBits, kMemLevel, Z_FILTERED) != Z_OK)
      return zlibFailure("start");
    started_ = true;
  } else if (deflateReset(&zs_) != Z_OK) {
    return zlibFailure("start");
  }
  if (dictionary > 0 && deflateSetDictionary(&zs_, data - dictionary, static_cast<uInt>(dictionary)) != Z_OK)
    return zlibFailure("start");

  // deflateBound covers a finished stream; a sync flush adds a few bytes.
  out_.resize(std::max(out_.size(), static_cast<std::size_t>(deflateBound(&zs_, size)) + 64));
  zs_.next_in = data;
  zs_.avail_in = static_cast<uInt>(size);
  zs_.next_out = out_.data();
  zs_.avail_out = static_cast<uInt>(out_.size());
  const int flush = last == rows.height ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    const int status = deflate(&zs_, flush);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return zlibFailure("compress");
    if (flush == Z_FINISH ? status == Z_STREAM_END : zs_.avail_in == 0 && zs_.avail_out > 0) break;
    if (zs_.avail_out > 0) return zlibFailure("compress");
    const std::size_t used = zs_.total_out;
    out_.resize(out_.size() * 2);
    zs_.next_out = out_.data() + used;
    zs_.avail_out = static_cast<uInt>(out_.size() - used);
  }
  block.deflated.assign(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(zs_.total_out));
  return std::nullopt;
}

// Deflates every block, on the pool's threads when there is one. Returns
// the reason of a failure.
std::optional<std::string> deflateBlocks(const Rows& rows, std::vector<Block>& blocks, ThreadPool* pool) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::optional<std::string> failure;
  auto record = [&](std::string reason) {
    std::lock_guard lock(mutex);
    if (!failure) failure = std::move(reason);
    failed = true;
  };
  // Runs on a pool thread: nothing may escape.
  auto job = [&](int) {
    try {
      BlockDeflater deflater;
      for (std::size_t b; !failed && (b = next++) < rows.blocks;)
        if (auto reason = deflater.deflateBlock(rows, b, blocks[b])) record(std::move(*reason));
    } catch (const std::bad_alloc&) {
      record("not enough memory");
    } catch (const std::exception& e) {
      record(e.what());
    }
  };
  const int jobs = pool != nullptr ? static_cast<int>(std::min<std::size_t>(pool->size(), rows.blocks)) : 1;
  if (jobs > 1)
    pool->run(jobs, job);
  else
    job(0);
  return failure;
}

// One stretch of the zlib stream, and the block that owns it.
struct Piece {
  const png_byte* data = nullptr;
  std::size_t size = 0;
  Block* owner = nullptr;  // freed once written
};

struct PngSink {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string* bytes = nullptr;
  char reason[kReasonSize] = {};
};

struct PngWriteGuard {
  PngSink& sink;
  ~PngWriteGuard() { png_destroy_write_struct(&sink.png, &sink.info); }
};

void pngWriteBytes(png_structp png, png_bytep data, std::size_t count) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    sink->bytes->append(reinterpret_cast<const char*>(data), count);
  } catch (const std::exception&) {
    stored = false;
  }
  // Outside the handler: png_error longjmps and must not leave a catch block.
  if (!stored) png_error(png, "not enough memory");
}

void pngFlush(png_structp) {}

// Signature and IHDR; libpng checks the size here.
bool pngWriteHeader(PngSink& sink, const Rows& rows) {
  if (setjmp(png_jmpbuf(sink.png))) return false;
  png_set_write_fn(sink.png, &sink, pngWriteBytes, pngFlush);
  png_set_IHDR(sink.png, sink.info, static_cast<png_uint_32>(rows.width), static_cast<png_uint_32>(rows.height), 8,
               rows.alpha != nullptr ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(sink.png, sink.info);
  return true;
}

// The stream cut into IDATs of kMaxIdatBytes (the last one shorter), then
// IEND. Each block's memory goes as soon as it is written.
bool pngWriteImageData(PngSink& sink, std::vector<Piece>& pieces, std::size_t streamBytes) {
  if (setjmp(png_jmpbuf(sink.png))) return false;
  std::size_t piece = 0, offset = 0;
  for (std::size_t left = streamBytes; left > 0;) {
    const std::size_t length = std::min(left, kMaxIdatBytes);
    png_write_chunk_start(sink.png, kIdat, static_cast<png_uint_32>(length));
    for (std::size_t need = length; need > 0;) {
      Piece& p = pieces[piece];
      const std::size_t take = std::min(need, p.size - offset);
      png_write_chunk_data(sink.png, p.data + offset, take);
      need -= take;
      offset += take;
      if (offset == p.size) {
        if (p.owner != nullptr) p.owner->deflated = std::vector<std::uint8_t>();
        ++piece;
        offset = 0;
      }
    }
    png_write_chunk_end(sink.png);
    left -= length;
  }
  png_write_chunk(sink.png, kIend, nullptr, 0);
  return true;
}

std::optional<std::string> writeRows(const std::string& fileName, const Rows& rows, ThreadPool* pool) {
  std::string encoded;
  PngSink sink;
  sink.bytes = &encoded;
  PngWriteGuard guard{sink};
  sink.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink.reason, png_errors::fail, png_errors::ignoreWarning);
  if (sink.png == nullptr) return writeFailure(fileName, "libpng could not start");
  sink.info = png_create_info_struct(sink.png);
  if (sink.info == nullptr) return writeFailure(fileName, "libpng could not start");
  if (!pngWriteHeader(sink, rows)) return writeFailure(fileName, sink.reason);

  std::vector<Block> blocks(rows.blocks);
  if (auto reason = deflateBlocks(rows, blocks, pool)) return writeFailure(fileName, *reason);

  uLong adler = blocks[0].adler;
  std::size_t streamBytes = sizeof kZlibHeader + 4;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (b > 0) adler = adler32_combine(adler, blocks[b].adler, static_cast<z_off_t>(blocks[b].filteredBytes));
    streamBytes += blocks[b].deflated.size();
  }
  const png_byte trailer[4] = {static_cast<png_byte>(adler >> 24), static_cast<png_byte>(adler >> 16),
                               static_cast<png_byte>(adler >> 8), static_cast<png_byte>(adler)};
  std::vector<Piece> pieces;
  pieces.reserve(blocks.size() + 2);
  pieces.push_back({kZlibHeader, sizeof kZlibHeader, nullptr});
  for (Block& block : blocks) pieces.push_back({block.deflated.data(), block.deflated.size(), &block});
  pieces.push_back({trailer, sizeof trailer, nullptr});

  const std::size_t idats = (streamBytes + kMaxIdatBytes - 1) / kMaxIdatBytes;
  encoded.reserve(encoded.size() + streamBytes + idats * 12 + 12);
  if (!pngWriteImageData(sink, pieces, streamBytes)) return writeFailure(fileName, sink.reason);
  blocks = std::vector<Block>();
  return writeFileAtomically(fileName, encoded);
}

std::optional<std::string> writePngWith(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                        std::size_t rgbStride, const std::uint8_t* alpha, bool bgr, ThreadPool* pool,
                                        int threads) {
  if (width < 1 || height < 1)
    return writeFailure(fileName,
                        "the picture size " + std::to_string(width) + " x " + std::to_string(height) + " is not valid");
  if (rgb == nullptr) return writeFailure(fileName, "there are no pixels");
  if (rgbStride < static_cast<std::size_t>(width) * 3) return writeFailure(fileName, "the row stride is too small");

  Rows rows;
  rows.width = static_cast<std::size_t>(width);
  rows.height = static_cast<std::size_t>(height);
  rows.rgb = rgb;
  rows.rgbStride = rgbStride;
  rows.alpha = alpha;
  rows.bgr = bgr;
  const int channels = alpha != nullptr ? 4 : 3;
  rows.rowBytes = 1 + rows.width * static_cast<std::size_t>(channels);
  rows.rowsPerBlock = static_cast<std::size_t>(pngRowsPerBlock(width, channels));
  rows.blocks = (rows.height + rows.rowsPerBlock - 1) / rows.rowsPerBlock;
  try {
    std::optional<ThreadPool> ownPool;
    if (pool == nullptr && rows.blocks > 1) {
      if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
      threads = static_cast<int>(std::min<std::size_t>({static_cast<std::size_t>(threads), rows.blocks, kMaxThreads}));
      if (threads > 1) pool = &ownPool.emplace(threads);
    }
    return writeRows(fileName, rows, pool);
  } catch (const std::bad_alloc&) {
    return writeFailure(fileName, "not enough memory");
  }
}

}  // namespace

int pngRowsPerBlock(int width, int channels) {
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  return static_cast<int>(std::max<std::size_t>(1, kPngBlockBytes / rowBytes));
}

std::optional<std::string> writePng(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                    std::size_t rgbStride, const std::uint8_t* alpha, int threads) {
  return writePngWith(fileName, width, height, rgb, rgbStride, alpha, false, nullptr, threads);
}

std::optional<std::string> writePng(const std::string& fileName, int width, int height, const std::uint8_t* rgb,
                                    std::size_t rgbStride, const std::uint8_t* alpha, ThreadPool& pool) {
  return writePngWith(fileName, width, height, rgb, rgbStride, alpha, false, &pool, 1);
}

std::optional<std::string> writePngFromBgr(const std::string& fileName, int width, int height, const std::uint8_t* bgr,
                                           std::size_t bgrStride, const std::uint8_t* alpha, int threads) {
  return writePngWith(fileName, width, height, bgr, bgrStride, alpha, true, nullptr, threads);
}

}  // namespace zorva
