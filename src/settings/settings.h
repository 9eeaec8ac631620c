// The settings record: every drawing parameter of the program, named by its
// key in the settings file. The rows of settings_keys.def give each key its
// type, default and section; defaults, reading, writing and tests all come
// from that one table (plus the generated animation-wave and window-placement
// keys below).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zorva {

enum class Section { Start, Style, Forms };

// The sixteen animated values; each has a start and an end wave.
// clang-format off
enum class Wave {
  Radius, Angle, Bumps, Smooth, X, Y, RockAngle, SIRPS, SIRO, SIOPS, SIOO, PTX, PTY, PCRX, PCRY, PAR,
};
// clang-format on
inline constexpr int kWaveCount = 16;
inline constexpr std::array<const char*, kWaveCount> kWaveNames = {
    "Radius", "Angle", "Bumps", "Smooth", "X",   "Y",    "RockAngle", "SIRPS",
    "SIRO",   "SIOPS", "SIOO",  "PTX",    "PTY", "PCRX", "PCRY",      "PAR"};

struct AnimationWave {
  double ChangeStart = 0.0, ChangeEnd = 0.0;  // AnimationChangeStartV / AnimationChangeEndV
  double RepeatStart = 1.0, RepeatEnd = 1.0;  // AnimationRepeatStartV / AnimationRepeatEndV
  bool StartSine = true, StartLinear = false, StartLinearReturn = false;
  bool EndSine = true, EndLinear = false, EndLinearReturn = false;
};

// Option windows whose placement the forms section keeps.
// clang-format off
enum class Window {
  Function, Values, ValuesPlane, Colors, Points, Path, SourceImage, BackgroundImage,
  Dimensions, Opacity, Branches, Animation, Atc,
};
// clang-format on
inline constexpr int kWindowCount = 13;

struct WindowPlacement {
  std::int32_t Height = 0, Left = 0, Top = 0;
  bool Visible = false;
};

struct WindowInfo {
  const char* prefix;  // key prefix: prefix + Height, Left, Top, Visible
  WindowPlacement defaults;
  bool hasVisibleKey;
  bool clampPosition;  // left and top are kept on the screen when read
};
inline constexpr std::array<WindowInfo, kWindowCount> kWindows = {{
    {"Function", {475, 2, 41, false}, true, true},
    {"Values", {431, 1047, 18, false}, true, true},
    {"ValuesPlane", {292, 1215, 109, false}, true, true},
    {"Colors", {443, 5, 490, false}, true, true},
    {"Points", {478, 1048, 449, false}, true, true},
    {"Path", {400, 250, 18, false}, true, true},
    {"SourceImage", {460, 477, 18, false}, true, true},
    {"BackgroundImage", {357, 200, 544, false}, true, false},
    {"Dimensions", {150, 533, 438, false}, true, true},
    {"Opacity", {110, 546, 488, false}, true, true},
    {"Branches", {367, 842, 25, false}, true, true},
    {"Animation", {755, 793, 29, false}, true, true},
    {"Atc", {600, 541, 166, false}, false, true},
}};

namespace detail {
using I = std::int32_t;
using D = double;
using B = bool;
using S = std::string;
}  // namespace detail

struct Settings {
#define ZK(T, name, key, def, sec) detail::T name = def;
#include "settings/settings_keys.def"
#undef ZK
  std::array<AnimationWave, kWaveCount> Waves{};
  std::array<WindowPlacement, kWindowCount> Windows = [] {
    std::array<WindowPlacement, kWindowCount> w{};
    for (int i = 0; i < kWindowCount; ++i)
      w[static_cast<std::size_t>(i)] = kWindows[static_cast<std::size_t>(i)].defaults;
    return w;
  }();

  AnimationWave& wave(Wave v) { return Waves[static_cast<std::size_t>(v)]; }
  const AnimationWave& wave(Wave v) const { return Waves[static_cast<std::size_t>(v)]; }
  WindowPlacement& window(Window w) { return Windows[static_cast<std::size_t>(w)]; }
  const WindowPlacement& window(Window w) const { return Windows[static_cast<std::size_t>(w)]; }
};

// One stored key of the record.
using FieldRef = std::variant<std::int32_t*, double*, bool*, std::string*>;
using FieldValue = std::variant<std::int32_t, double, bool, std::string>;

struct KeyInfo {
  std::string key;
  Section section;
  FieldRef (*field)(Settings&, int index);
  int index;  // wave or window number for generated keys
  FieldValue defaultValue;
};

// Every key that is read from and written to the settings file, in the
// order a new file lists them.
const std::vector<KeyInfo>& settingsKeys();
const KeyInfo* findKey(std::string_view key);

inline FieldRef fieldOf(Settings& s, const KeyInfo& k) { return k.field(s, k.index); }
FieldValue valueOf(const Settings& s, const KeyInfo& k);

// Sets one key from its text as the settings file would; false when the key
// is unknown or the text is not a value of the key's type (for a string: it
// holds a line break).
bool setFromText(Settings& s, const KeyInfo& k, std::string_view text);
// The text the settings file holds for the key's current value.
std::string textOf(const Settings& s, const KeyInfo& k);

// The eight style section names, in the order of FunctionNumber.
inline constexpr std::array<const char*, 8> kStyleNames = {"sine",     "tan",       "line", "circles",
                                                           "ellipses", "lissajous", "test", "plovk2716"};

}  // namespace zorva
