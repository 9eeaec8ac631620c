#include "settings/settings_file.h"

#include <algorithm>
#include <filesystem>

#include "settings/number_format.h"

namespace zorva {
namespace {

const char* sectionName(Section sec, const std::string& style) {
  switch (sec) {
    case Section::Start:
      return "start";
    case Section::Forms:
      return "forms";
    case Section::Style:
      return style.c_str();
  }
  return "start";
}

bool isFolderKey(const KeyInfo& k) { return k.key == "SaveDir" || k.key == "LoadDir" || k.key == "LoadSourceImageDir"; }

}  // namespace

std::string ReadIniCurrentStyle(const std::string& file) {
  IniFile ini;
  if (ini.load(file)) return kDefaultStyle;
  auto style = ini.get("start", "style");
  if (!style) return kDefaultStyle;
  std::string_view name = trimBlanks(*style);
  // A name that could not be written back as a section header is no style.
  if (styleNameProblem(name)) return kDefaultStyle;
  return std::string(name);
}

std::optional<std::string> styleNameProblem(std::string_view name) {
  if (trimBlanks(name).empty()) return "a style name cannot be empty";
  if (name.find_first_of("[]\r\n") != std::string_view::npos)
    return "a style name cannot hold \"[\", \"]\" or a line break: it names a section of the settings file";
  return std::nullopt;
}

std::optional<std::string> settingTextProblem(std::string_view text) {
  if (hasLineBreak(text)) return "it holds a line break, which a settings file cannot store";
  return std::nullopt;
}

int applySettings(Settings& s, const IniFile& ini, const std::string& style, const std::string& folderDefault) {
  int read = 0;
  for (const KeyInfo& k : settingsKeys()) {
    auto text = ini.get(sectionName(k.section, style), k.key);
    if (text && setFromText(s, k, *text)) {
      ++read;
      continue;
    }
    FieldRef ref = fieldOf(s, k);
    std::visit([&](auto* p) { *p = std::get<std::remove_reference_t<decltype(*p)>>(k.defaultValue); }, ref);
    if (isFolderKey(k)) *std::get<std::string*>(ref) = folderDefault;
  }
  return read;
}

ReadReport readSettingsFile(Settings& s, const std::string& file, const std::string& style,
                            const std::string& folderDefault) {
  ReadReport report;
  IniFile ini;
  std::error_code ec;
  report.fileFound = !file.empty() && std::filesystem::exists(file, ec);
  report.error = ini.load(file);
  report.keysRead = applySettings(s, ini, style, folderDefault);
  return report;
}

std::int32_t CorrectLeft(std::int32_t value, std::int32_t screenMaxLeft) {
  return std::clamp(value, std::int32_t{0}, std::max(std::int32_t{0}, screenMaxLeft));
}

std::int32_t CorrectTop(std::int32_t value, std::int32_t screenMaxTop) {
  return std::clamp(value, std::int32_t{0}, std::max(std::int32_t{0}, screenMaxTop));
}

void clampPlacements(Settings& s, std::optional<std::int32_t> screenMaxLeft, std::optional<std::int32_t> screenMaxTop) {
  for (int w = 0; w < kWindowCount; ++w) {
    const WindowInfo& info = kWindows[static_cast<std::size_t>(w)];
    WindowPlacement& p = s.Windows[static_cast<std::size_t>(w)];
    if (!info.clampPosition) continue;
    if (screenMaxLeft) p.Left = CorrectLeft(p.Left, *screenMaxLeft);
    if (screenMaxTop) p.Top = CorrectTop(p.Top, *screenMaxTop);
  }
  auto& atc = s.window(Window::Atc);
  atc.Height = std::clamp(atc.Height, std::int32_t{50}, std::int32_t{600});
}

void storeSettings(const Settings& s, IniFile& ini, const std::string& style, const WriteExtras& extras) {
  ini.set("start", "style", extras.currentStyle);
  auto write = [&](Section sec) {
    for (const KeyInfo& k : settingsKeys()) {
      if (k.section != sec || k.key == "ZorvaMaximized") continue;
      ini.set(sectionName(sec, style), k.key, textOf(s, k));
      // AdjustGrain goes to the file twice; the second write lands on the same line.
      if (k.key == "AdjustGrain") ini.set(style, k.key, textOf(s, k));
    }
  };
  write(Section::Style);
  ini.set(style, "NormalisationDivisor", formatFloat(extras.normalisationDivisor));
  for (std::size_t i = 0; i < kUnreadAnimationKeys.size(); ++i)
    ini.set(style, kUnreadAnimationKeys[i], std::to_string(extras.unreadAnimationValues[i]));
  write(Section::Start);
  write(Section::Forms);
  if (extras.maximized) ini.set("forms", "ZorvaMaximized", "1");
}

std::optional<std::string> writeSettingsFile(const Settings& s, const std::string& file, const std::string& style,
                                             const WriteExtras& extras, bool keepOthers) {
  IniFile ini;
  // An unreadable old file is replaced rather than merged.
  if (keepOthers) (void)ini.load(file);
  storeSettings(s, ini, style, extras);
  return ini.save(file);
}

std::optional<std::string> writeCurrentStyle(const std::string& file, const std::string& style) {
  IniFile ini;
  (void)ini.load(file);
  ini.set("start", "style", style);
  return ini.save(file);
}

}  // namespace zorva
