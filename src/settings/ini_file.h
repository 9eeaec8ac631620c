// A small INI document that keeps everything it does not understand.
// Section and key names match without regard to ASCII letter case and
// without the blanks around them; the first of duplicated sections or keys
// wins. Lines, order, line endings and unknown entries survive a load/save
// round trip, and saving goes through a temporary file and a rename.
//
// The text is kept as read and indexed once: a hash index of the first
// header of each section name and of the first key of each name in that
// section's lines. Changes are kept beside the text (new values of existing
// lines, lines added after a section's last line, sections added at the
// end) and merged into it only when the document is written, so any file up
// to kMaxFileSize loads in about a second and within a few hundred MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/name_index.h"

namespace zorva {

class IniFile {
 public:
  // Larger files are not settings files; loading one keeps the document empty.
  static constexpr std::size_t kMaxFileSize = 64u << 20;

  // Reads a file. A missing file is not an error (the document stays empty);
  // an unreadable or oversized one returns a message and leaves it empty.
  std::optional<std::string> load(const std::string& path);
  // Takes text as a file holds it: UTF-8 (a byte-order mark is kept) with
  // LF, CR LF or CR line ends. Text longer than kMaxFileSize and UTF-16 text
  // are refused (false, the document empty).
  bool parse(std::string_view text);

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  bool hasSection(std::string_view section) const;
  // Replaces the value of an existing key (keeping its spelling and place)
  // or appends the key after the last non-blank line of its section,
  // creating the section at the end of the document when needed. A name or
  // value that would break the file (a line break anywhere, "]" in a
  // section name, "=" in a key name, a key starting with "[" or ";") is not
  // stored: the document remembers it and refuses to be saved.
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes the document atomically; returns a message on failure, when the
  // previous file is left as it was.
  std::optional<std::string> save(const std::string& path) const;
  // Why the document may not be saved, if set() refused something.
  const std::optional<std::string>& refused() const { return refused_; }

  // Number of key lines in the document (for summaries).
  std::size_t keyCount() const { return keyLines_; }

 private:
  // A line is named by the offset of its first character in text_, or, for
  // a line added by set(), by kAdded + its index in added_.
  using LineId = std::uint32_t;
  static constexpr LineId kAdded = 0x80000000u;
  struct AddedLine {
    std::string raw;             // without its line end
    std::string name;            // section or key name, trimmed
    std::size_t valueStart = 0;  // for a key
    bool header = false;
    LineId section = 0;  // for a key: its section's header
  };

  void clear();
  void index();
  std::string_view nameOf(LineId line) const;
  std::optional<LineId> findSection(std::string_view section) const;
  std::optional<LineId> findKey(LineId section, std::string_view key) const;
  static std::uint32_t keyHash(LineId section, std::string_view key);
  LineId addLine(AddedLine line);
  // Where keys added to an existing section go: the start of the line after
  // its last non-blank line.
  std::size_t insertionPoint(LineId header);

  std::string text_;
  std::string eol_ = "\n";  // the line end of added lines: the document's first one
  NameIndex sections_, keys_;
  std::size_t keyLines_ = 0;
  std::unordered_map<LineId, std::string> newValues_;  // of existing key lines
  std::vector<AddedLine> added_;
  std::map<std::size_t, std::vector<LineId>> insertions_;  // added key lines, by where they go
  std::unordered_map<LineId, std::size_t> insertionPoints_;
  std::vector<LineId> tail_;  // added sections with their keys, after everything
  std::optional<std::string> refused_;
};

bool equalsIgnoreCase(std::string_view a, std::string_view b);
// CR or LF: what no name or value of a settings file can hold.
inline bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace zorva
