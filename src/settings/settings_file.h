// Reading and writing the settings record as an INI file: one style section
// per drawing function plus the shared sections "start" and "forms".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/settings.h"

namespace zorva {

inline constexpr const char* kDefaultStyle = "sine";

// The value of "style" in section "start" of the file, "sine" when the file,
// the key or its value is missing (or is no style name).
std::string ReadIniCurrentStyle(const std::string& file);

// Why a name cannot be a style, whose section header it names: empty, or
// holding "[", "]" or a line break. Nothing when it can.
std::optional<std::string> styleNameProblem(std::string_view name);
// Why a string cannot be stored as a setting (a line break would end the
// value early and turn the rest into lines of their own). Nothing when it can.
std::optional<std::string> settingTextProblem(std::string_view text);

struct ReadReport {
  int keysRead = 0;  // keys taken from the file
  bool fileFound = false;
  std::optional<std::string> error;  // a file that exists but cannot be read
};

// Fills every field of the record from the document: start and forms keys
// from their sections, style keys from the named section; a key that is
// missing or not a value of its type takes its default. The three folders
// default to folderDefault.
int applySettings(Settings& s, const IniFile& ini, const std::string& style, const std::string& folderDefault);
ReadReport readSettingsFile(Settings& s, const std::string& file, const std::string& style,
                            const std::string& folderDefault);

// Window placement read from a file stays reachable on the screen: left and
// top edges are clamped to 0 .. screen size - 50 (the Background Image window
// excepted), the text editor's height to 50 .. 600.
std::int32_t CorrectLeft(std::int32_t value, std::int32_t screenMaxLeft);
std::int32_t CorrectTop(std::int32_t value, std::int32_t screenMaxTop);
void clampPlacements(Settings& s, std::optional<std::int32_t> screenMaxLeft, std::optional<std::int32_t> screenMaxTop);

// What the writer stores besides the record.
struct WriteExtras {
  std::string currentStyle = kDefaultStyle;             // stored as "style" in "start"
  double normalisationDivisor = 1.0;                    // written, never read
  std::array<std::int32_t, 8> unreadAnimationValues{};  // written, never read
  bool maximized = false;                               // ZorvaMaximized is written only when true
};

// Writes style keys into the named section, start and forms keys into theirs.
// With keepOthers everything else the file holds stays (the program's own
// file); without it the file is written afresh (a settings copy). Returns a
// message on failure.
void storeSettings(const Settings& s, IniFile& ini, const std::string& style, const WriteExtras& extras);
std::optional<std::string> writeSettingsFile(const Settings& s, const std::string& file, const std::string& style,
                                             const WriteExtras& extras, bool keepOthers = true);
// Only "style" in "start".
std::optional<std::string> writeCurrentStyle(const std::string& file, const std::string& style);

// The keys written to the style section that no reader loads.
inline constexpr std::array<const char*, 8> kUnreadAnimationKeys = {
    "AnimationRocker",    "AnimationRocks",      "AnimationEllipseHeight", "AnimationEllipseWidth",
    "AnimationFreqRocks", "AnimationFreqRocker", "AnimationFreqW",         "AnimationFreqH"};

}  // namespace zorva
