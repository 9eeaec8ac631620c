#include "curves/multiplier_slots.h"

#include <algorithm>
#include <cctype>

namespace zorva {

const std::array<const char*, kMultiplierCount> kMultiplierCaptions = {
    "Main - Path curve",      "Main - Start curve",   "Main - End curve",        "Values - Radius",
    "Values - Angle",         "Values - Bumps",       "Values - Smooth",         "Values - Grain",
    "Function - Start x",     "Function - Start y",   "Function - End x",        "Function - End y",
    "Function - Lissa delta", "Function - Rocks",     "Function - Rocks start",  "Function - Rocks end",
    "Colors - Start red",     "Colors - Start green", "Colors - Start blue",     "Colors - End red",
    "Colors - End green",     "Colors - End blue",    "Colors - Theta color",    "Colors - Step color",
    "Colors - Start amount",  "Colors - End amount",  "Animation - Start point", "Animation - End point",
    "Plane - Rotate Angle",   "Splodge - Size",       "Splodge - Intensity",     "Splodge - Center",
};

std::string quotedSlotName(int slot) {
  std::string name = "\"";
  name += kMultiplierCaptions[static_cast<std::size_t>(slot)];
  name += '"';
  return name;
}

std::optional<int> slotByName(std::string_view name) {
  if (!name.empty() && name.size() <= 2 &&
      std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const int index = std::stoi(std::string(name));
    if (index < kMultiplierCount) return index;
    return std::nullopt;
  }
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  for (int i = 0; i < kMultiplierCount; ++i) {
    const std::string_view caption = kMultiplierCaptions[static_cast<std::size_t>(i)];
    if (caption.size() == name.size() &&
        std::equal(caption.begin(), caption.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); }))
      return i;
  }
  return std::nullopt;
}

}  // namespace zorva
