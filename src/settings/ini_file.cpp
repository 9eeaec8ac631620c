#include "settings/ini_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "io/atomic_write.h"
#include "settings/number_format.h"

namespace zorva {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<std::string> IniFile::load(const std::string& path) {
  lines_.clear();
  crlf_ = false;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  if (std::filesystem::is_directory(path, ec)) return "\"" + path + "\" is a folder, not a settings file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "Cannot read \"" + path + "\": " + std::strerror(errno);
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size < 0) return "Cannot read \"" + path + "\"";
  if (static_cast<std::size_t>(size) > kMaxFileSize)
    return "\"" + path + "\" is too large to be a settings file; its values were not read";
  in.seekg(0);
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), size);
  if (!in) return "Cannot read \"" + path + "\"";
  parse(text);
  return std::nullopt;
}

void IniFile::parse(std::string_view text) {
  lines_.clear();
  crlf_ = false;
  std::size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    std::string_view raw = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!raw.empty() && raw.back() == '\r') {
      raw.remove_suffix(1);
      if (first) crlf_ = true;
    }
    first = false;
    Line line;
    line.raw = std::string(raw);
    std::string_view body = trimBlanks(raw);
    if (!body.empty() && body.front() == '[') {
      auto close = body.find(']');
      if (close != std::string_view::npos) {
        line.kind = Line::Header;
        line.section = std::string(trimBlanks(body.substr(1, close - 1)));
      }
    } else if (!body.empty() && body.front() != ';') {
      auto eq = raw.find('=');
      if (eq != std::string_view::npos) {
        line.kind = Line::Key;
        line.key = std::string(trimBlanks(raw.substr(0, eq)));
        line.valueStart = eq + 1;
      }
    }
    lines_.push_back(std::move(line));
  }
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
  section = trimBlanks(section);
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Header && equalsIgnoreCase(lines_[i].section, section)) return i;
  return std::nullopt;
}

std::optional<std::size_t> IniFile::findKey(std::size_t headerLine, std::string_view key) const {
  key = trimBlanks(key);
  for (std::size_t i = headerLine + 1; i < lines_.size() && lines_[i].kind != Line::Header; ++i)
    if (lines_[i].kind == Line::Key && equalsIgnoreCase(lines_[i].key, key)) return i;
  return std::nullopt;
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section).has_value(); }

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  auto header = findSection(section);
  if (!header) return std::nullopt;
  auto line = findKey(*header, key);
  if (!line) return std::nullopt;
  return lines_[*line].raw.substr(lines_[*line].valueStart);
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  auto header = findSection(section);
  if (!header) {
    Line h;
    h.kind = Line::Header;
    h.section = std::string(trimBlanks(section));
    h.raw = "[" + h.section + "]";
    lines_.push_back(std::move(h));
    header = lines_.size() - 1;
  }
  if (auto existing = findKey(*header, key)) {
    Line& line = lines_[*existing];
    line.raw = line.raw.substr(0, line.valueStart) + std::string(value);
    return;
  }
  // After the last non-blank line of the section.
  std::size_t insertAt = *header + 1;
  for (std::size_t i = *header + 1; i < lines_.size() && lines_[i].kind != Line::Header; ++i)
    if (!trimBlanks(lines_[i].raw).empty()) insertAt = i + 1;
  Line line;
  line.kind = Line::Key;
  line.key = std::string(trimBlanks(key));
  line.raw = line.key + "=";
  line.valueStart = line.raw.size();
  line.raw += value;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

std::string IniFile::text() const {
  std::string out;
  const char* eol = crlf_ ? "\r\n" : "\n";
  for (const Line& line : lines_) {
    out += line.raw;
    out += eol;
  }
  return out;
}

std::size_t IniFile::keyCount() const {
  std::size_t n = 0;
  for (const Line& line : lines_) n += line.kind == Line::Key;
  return n;
}

std::optional<std::string> IniFile::save(const std::string& path) const { return writeFileAtomically(path, text()); }

}  // namespace zorva
