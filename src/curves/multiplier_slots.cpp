#include "curves/multiplier_slots.h"

namespace zorva {

const std::array<const char*, kMultiplierCount> kMultiplierCaptions = {
    "Main - Path curve",     "Main - Start curve",     "Main - End curve",       "Values - Radius",
    "Values - Angle",        "Values - Bumps",         "Values - Smooth",        "Values - Grain",
    "Function - Start x",    "Function - Start y",     "Function - End x",       "Function - End y",
    "Function - Lissa delta", "Function - Rocks",      "Function - Rocks start", "Function - Rocks end",
    "Colors - Start red",    "Colors - Start green",   "Colors - Start blue",    "Colors - End red",
    "Colors - End green",    "Colors - End blue",      "Colors - Theta color",   "Colors - Step color",
    "Colors - Start amount", "Colors - End amount",    "Animation - Start point", "Animation - End point",
    "Plane - Rotate Angle",  "Splodge - Size",         "Splodge - Intensity",    "Splodge - Center",
};

std::string quotedSlotName(int slot) {
  std::string name = "\"";
  name += kMultiplierCaptions[static_cast<std::size_t>(slot)];
  name += '"';
  return name;
}

}  // namespace zorva
