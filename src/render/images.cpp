// Loading the source and background images, and the background commands.
#include <algorithm>
#include <filesystem>
#include <new>
#include <variant>

#include "io/image_io.h"
#include "render/engine.h"
#include "settings/canvas_size.h"

namespace zorva {

namespace {

// Decodes a file for one of the image commands; a missing, unknown or
// damaged file is reported and gives nothing.
std::optional<RgbImage> decodeForCommand(Host& host, const std::string& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    host.message("file: \n" + file + "  does not exist", MessageKind::WarningOkCancel);
    return std::nullopt;
  }
  auto decoded = loadImage(file);
  if (auto* error = std::get_if<std::string>(&decoded)) {
    host.message(*error, MessageKind::Warning);
    return std::nullopt;
  }
  return std::get<RgbImage>(std::move(decoded));
}

}  // namespace

// Room for an image's bytes; false, said, when there is not enough memory.
bool Engine::allocate(std::vector<std::uint8_t>& bytes, std::size_t size, const std::string& what) {
  try {
    bytes.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    host_->message("There is not enough memory to keep " + what + " as an image.", MessageKind::Error);
    return false;
  }
}

bool Engine::LoadSourceImage(const std::string& file) {
  filesRead_.add(file);
  auto image = decodeForCommand(*host_, file);
  if (!image) return false;
  const int w = image->width, h = image->height;
  // Bottom-up rows with a wrap-around column and a repeated first row, so
  // the sampling may read one pixel beyond the right and top edges.
  SourceImage loaded;
  loaded.w = w;
  loaded.h = h;
  if (!allocate(loaded.rgb, static_cast<std::size_t>(h + 1) * static_cast<std::size_t>(w + 1) * 3, file)) return false;
  for (int i = 0; i <= h; ++i) {
    const int imageRow = i < h ? h - 1 - i : h - 1;
    const std::uint8_t* from = image->rgb.data() + static_cast<std::size_t>(imageRow) * static_cast<std::size_t>(w) * 3;
    std::uint8_t* to = loaded.rgb.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(w + 1) * 3;
    std::copy_n(from, static_cast<std::size_t>(w) * 3, to);
    std::copy_n(from, 3, to + static_cast<std::size_t>(w) * 3);
  }
  source_ = std::move(loaded);
  settings.UseSourceImage = true;
  host_->sourceImageChanged();
  host_->status("Loaded source image " + file);
  settings.SourceImageFileName = file;
  return true;
}

bool Engine::loadBackgroundImage(const std::string& file) {
  filesRead_.add(file);
  auto image = decodeForCommand(*host_, file);
  if (!image) return false;
  BackgroundImage loaded;
  loaded.w = image->width;
  loaded.h = image->height;
  if (!allocate(loaded.rgb, image->rgb.size(), file)) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(loaded.w) * 3;
  for (int i = 0; i < loaded.h; ++i)
    std::copy_n(image->rgb.data() + static_cast<std::size_t>(loaded.h - 1 - i) * rowBytes, rowBytes,
                loaded.rgb.data() + static_cast<std::size_t>(i) * rowBytes);
  background_ = std::move(loaded);
  host_->backgroundImageChanged();
  host_->status("Loaded Background image " + file);
  settings.BackgroundImageFileName = file;
  if (settings.UseBackgroundImage) applyBackgroundImage();
  return true;
}

void Engine::useCanvasAsBackground() {
  BackgroundImage copy;
  copy.w = picture_.width;
  copy.h = picture_.height;
  if (!allocate(copy.rgb, static_cast<std::size_t>(copy.w) * static_cast<std::size_t>(copy.h) * 3, "the picture"))
    return;
  for (int i = 0; i < copy.h; ++i) {
    const std::uint8_t* from = picture_.row(copy.h - 1 - i);
    std::uint8_t* to = copy.rgb.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(copy.w) * 3;
    for (int x = 0; x < copy.w; ++x) {
      to[x * 3 + 0] = from[x * 3 + 2];
      to[x * 3 + 1] = from[x * 3 + 1];
      to[x * 3 + 2] = from[x * 3 + 0];
    }
  }
  background_ = std::move(copy);
  host_->backgroundImageChanged();
  host_->status("Set canvas as working background.");
}

void Engine::applyBackgroundImage() {
  if (settings.BackgroundImageResizeCanvas && background_.w > 0) {
    const int w = background_.w, h = background_.h;
    if (canvasSizeFits(w, h)) {
      settings.ImageWidth = w;
      settings.ImageHeight = h;
    } else {
      host_->message(canvasSizeMessage(), MessageKind::Information);
    }
  }
  ClearPicture();
  host_->status("Applied background image settings");
}

}  // namespace zorva
