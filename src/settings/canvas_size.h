// The picture sizes a drawing may have. The Image dimensions window offers
// exactly these, and a size outside them from a settings file, --set or a
// background image is refused with the same message.
#pragma once

#include <cstdint>
#include <string>

namespace zorva {

inline constexpr std::int32_t kMinCanvasSide = 1;
inline constexpr std::int32_t kMaxCanvasSide = 6000;

inline bool canvasSizeFits(std::int64_t width, std::int64_t height) {
  return width >= kMinCanvasSide && width <= kMaxCanvasSide && height >= kMinCanvasSide && height <= kMaxCanvasSide;
}

// "Sorry, the canvas must be between 1 and 6000 pixels on all sides."
inline std::string canvasSizeMessage() {
  return "Sorry, the canvas must be between " + std::to_string(kMinCanvasSide) + " and " +
         std::to_string(kMaxCanvasSide) + " pixels on all sides.";
}

}  // namespace zorva
