#include "settings/settings.h"

#include <algorithm>

#include "settings/ini_file.h"
#include "settings/number_format.h"

namespace zorva {
namespace {

// The field of wave or window i that a key reaches.
template <auto Member>
FieldRef waveField(Settings& s, int i) {
  return &(s.Waves[static_cast<std::size_t>(i)].*Member);
}
template <auto Member>
FieldRef windowField(Settings& s, int i) {
  return &(s.Windows[static_cast<std::size_t>(i)].*Member);
}

std::vector<KeyInfo> buildKeys() {
  std::vector<KeyInfo> keys;
#define ZK(T, name, key, def, sec) \
  keys.push_back(                  \
      {key, Section::sec, [](Settings& s, int) -> FieldRef { return &s.name; }, 0, FieldValue(detail::T(def))});
#include "settings/settings_keys.def"
#undef ZK

  // Animation waves: AnimationChangeStartV, AnimationRepeatStartV,
  // AnimationStartVSine, ... for each of the sixteen names.
  struct WaveField {
    const char* prefix;
    const char* suffix;
    FieldRef (*field)(Settings&, int);
    FieldValue def;
  };
  const WaveField waveFields[] = {
      {"AnimationChangeStart", "", waveField<&AnimationWave::ChangeStart>, 0.0},
      {"AnimationChangeEnd", "", waveField<&AnimationWave::ChangeEnd>, 0.0},
      {"AnimationRepeatStart", "", waveField<&AnimationWave::RepeatStart>, 1.0},
      {"AnimationRepeatEnd", "", waveField<&AnimationWave::RepeatEnd>, 1.0},
      {"AnimationStart", "Sine", waveField<&AnimationWave::StartSine>, true},
      {"AnimationStart", "Linear", waveField<&AnimationWave::StartLinear>, false},
      {"AnimationStart", "LinearReturn", waveField<&AnimationWave::StartLinearReturn>, false},
      {"AnimationEnd", "Sine", waveField<&AnimationWave::EndSine>, true},
      {"AnimationEnd", "Linear", waveField<&AnimationWave::EndLinear>, false},
      {"AnimationEnd", "LinearReturn", waveField<&AnimationWave::EndLinearReturn>, false},
  };
  for (int v = 0; v < kWaveCount; ++v)
    for (const WaveField& f : waveFields)
      keys.push_back({std::string(f.prefix) + kWaveNames[static_cast<std::size_t>(v)] + f.suffix, Section::Style,
                      f.field, v, f.def});

  // Window placement: prefix + Height, Left, Top, Visible.
  for (int w = 0; w < kWindowCount; ++w) {
    const WindowInfo& info = kWindows[static_cast<std::size_t>(w)];
    const std::string prefix = info.prefix;
    keys.push_back({prefix + "Height", Section::Forms, windowField<&WindowPlacement::Height>, w, info.defaults.Height});
    keys.push_back({prefix + "Left", Section::Forms, windowField<&WindowPlacement::Left>, w, info.defaults.Left});
    keys.push_back({prefix + "Top", Section::Forms, windowField<&WindowPlacement::Top>, w, info.defaults.Top});
    if (info.hasVisibleKey)
      keys.push_back({prefix + "Visible", Section::Forms, windowField<&WindowPlacement::Visible>, w, false});
  }
  return keys;
}

}  // namespace

const std::vector<KeyInfo>& settingsKeys() {
  static const std::vector<KeyInfo> keys = buildKeys();
  return keys;
}

const KeyInfo* findKey(std::string_view key) {
  key = trimBlanks(key);
  for (const KeyInfo& k : settingsKeys())
    if (equalsIgnoreCase(k.key, key)) return &k;
  return nullptr;
}

FieldValue valueOf(const Settings& s, const KeyInfo& k) {
  // The accessor only hands out addresses; nothing is written through it here.
  FieldRef ref = fieldOf(const_cast<Settings&>(s), k);
  return std::visit([](auto* p) -> FieldValue { return *p; }, ref);
}

bool setFromText(Settings& s, const KeyInfo& k, std::string_view text) {
  FieldRef ref = fieldOf(s, k);
  if (auto* p = std::get_if<std::int32_t*>(&ref)) {
    auto v = parseInt(text);
    if (!v) return false;
    **p = *v;
  } else if (auto* d = std::get_if<double*>(&ref)) {
    auto v = parseFloat(text);
    if (!v) return false;
    **d = *v;
  } else if (auto* b = std::get_if<bool*>(&ref)) {
    auto v = parseInt(text);
    if (!v) return false;
    **b = *v != 0;
  } else {
    if (hasLineBreak(text)) return false;  // no file could hold it
    *std::get<std::string*>(ref) = std::string(text);
  }
  return true;
}

std::string textOf(const Settings& s, const KeyInfo& k) {
  FieldValue v = valueOf(s, k);
  if (auto* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
  if (auto* d = std::get_if<double>(&v)) return formatFloat(*d);
  if (auto* b = std::get_if<bool>(&v)) return *b ? "1" : "0";
  return std::get<std::string>(v);
}

}  // namespace zorva
