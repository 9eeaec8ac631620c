// A small INI document that keeps everything it does not understand.
// Section and key names match without regard to ASCII letter case and
// without the blanks around them; the first of duplicated sections or keys
// wins. Lines, order and unknown entries survive a load/save round trip,
// and saving goes through a temporary file and a rename.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {

class IniFile {
 public:
  // Larger files are not settings files; loading one keeps the document empty.
  static constexpr std::size_t kMaxFileSize = 64u << 20;

  // Reads a file. A missing file is not an error (the document stays empty);
  // an unreadable or oversized one returns a message and leaves it empty.
  std::optional<std::string> load(const std::string& path);
  void parse(std::string_view text);

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  bool hasSection(std::string_view section) const;
  // Replaces the value of an existing key (keeping its spelling and place)
  // or appends the key at the end of its section, creating the section at
  // the end of the document when needed.
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes the document atomically; returns a message on failure, when the
  // previous file is left as it was.
  std::optional<std::string> save(const std::string& path) const;

  // Number of key lines in the document (for summaries).
  std::size_t keyCount() const;

 private:
  struct Line {
    std::string raw;      // the line as read (without its line ending)
    std::string section;  // for a header line: the section name (trimmed)
    std::string key;      // for a key line: the key (trimmed)
    std::size_t valueStart = 0;
    enum Kind { Other, Header, Key } kind = Other;
  };
  std::optional<std::size_t> findSection(std::string_view section) const;
  std::optional<std::size_t> findKey(std::size_t headerLine, std::string_view key) const;

  std::vector<Line> lines_;
  bool crlf_ = false;
};

bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace zorva
