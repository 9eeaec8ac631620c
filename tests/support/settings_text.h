// Settings written as the settings file writes them: "Key=value Key=value".
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "settings/settings.h"

namespace zorva::test {

inline void setKeys(Settings& s, const std::string& pairs) {
  std::istringstream in(pairs);
  for (std::string pair; in >> pair;) {
    const std::size_t at = pair.find('=');
    const KeyInfo* key = at == std::string::npos ? nullptr : findKey(pair.substr(0, at));
    ASSERT_TRUE(key && setFromText(s, *key, pair.substr(at + 1))) << pair;
  }
}

// Default settings with the given keys set.
inline Settings settingsOf(const std::string& pairs) {
  Settings s;
  setKeys(s, pairs);
  return s;
}

}  // namespace zorva::test
