// Saving a picture set: the PNG, the curve files, the source image copy and
// the settings copy under one time-stamped stem.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <new>

#include "io/image_io.h"
#include "io/paths.h"
#include "render/engine.h"

namespace zorva {

std::string Engine::timeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d_%02d_%02d_%02d__%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
  return buf;
}

std::optional<std::string> Engine::BitmapFileToPNG(const std::string& stem) {
  const int w = picture_.width, h = picture_.height;
  // The picture goes to the file as it is kept; only the alpha of a
  // transparent save is made.
  std::vector<std::uint8_t> alpha;
  if (toggles_.useTransparency) {
    try {
      alpha.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    } catch (const std::bad_alloc&) {
      return "Cannot write \"" + stem + ".png\": there is not enough memory";
    }
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* from = picture_.row(y);
      std::uint8_t* to = alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
      for (int x = 0; x < w; ++x)
        to[x] = transparencyAlpha(from[x * 3 + 2], from[x * 3 + 1], from[x * 3], settings.White, settings.Opacity);
    }
  }
  // Saving uses every core, whatever the number of drawing workers.
  return writePngFromBgr(stem + ".png", w, h, picture_.bgr.data(), static_cast<std::size_t>(w) * 3,
                         toggles_.useTransparency ? alpha.data() : nullptr);
}

std::optional<std::string> Engine::SaveSourceImageAsPNG(const std::string& stem) {
  if (!source_.loaded()) return std::nullopt;
  const int w = source_.w, h = source_.h;
  std::vector<std::uint8_t> rgb;
  try {
    rgb.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  } catch (const std::bad_alloc&) {
    return "Cannot write \"" + stem + ".png\": there is not enough memory";
  }
  for (int y = 0; y < h; ++y)
    std::copy_n(source_.entry(h - 1 - y, 0), static_cast<std::size_t>(w) * 3,
                rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 3);
  return writePng(stem + ".png", w, h, rgb.data(), static_cast<std::size_t>(w) * 3, nullptr);
}

std::string Engine::timeStampedStem() {
  if (!isFolder(settings.SaveDir)) settings.SaveDir = defaultFolder_;
  return joinPath(settings.SaveDir, programBaseName_ + timeStamp());
}

std::optional<std::string> Engine::buttonSaveImageClick(const std::string& stemOverride) {
  if (!isFolder(settings.SaveDir)) settings.SaveDir = defaultFolder_;
  const std::string stem = stemOverride.empty() ? timeStampedStem() : stemOverride;
  auto fail = [&](const std::string& error) -> std::optional<std::string> {
    host_->message("buttonSaveImageClick: " + error, MessageKind::Error);
    return std::nullopt;
  };
  if (auto clash = filesRead_.firstClash(pictureSetFiles(stem))) return fail(readFileClashMessage(*clash));
  if (auto error = BitmapFileToPNG(stem)) return fail(*error);
  for (const auto& slot : multiplierSlots_)
    if (auto error = slot.curve.Spam(stem + "_" + slot.name + ".curve")) return fail(*error);
  if (sourceInUse() && settings.SaveSourceImageFile)
    if (auto error = SaveSourceImageAsPNG(stem + "_source")) return fail(*error);
  if (auto error = writeSettingsCopy(stem + ".ini")) return fail(*error);
  if (!IsAnimating) host_->status("Saved " + stem + ".png");
  return stem + ".png";
}

std::vector<std::string> Engine::pictureSetFiles(const std::string& stem) const {
  std::vector<std::string> files = {stem + ".png"};
  for (const auto& slot : multiplierSlots_)
    if (slot.curve.GetLength() >= 2) files.push_back(curveFileName(stem + "_" + slot.name + ".curve"));
  if (sourceInUse() && settings.SaveSourceImageFile) files.push_back(stem + "_source.png");
  files.push_back(stem + ".ini");
  return files;
}

void Engine::CopyOutZorvaPicture() { snapshot_ = picture_; }

}  // namespace zorva
