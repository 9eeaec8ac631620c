#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/atomic_write.h"
#include "settings/number_format.h"

namespace zorva {

namespace {

// One line of text: its content is [start, end), its line end [end, next).
// A line ends at LF, CR LF or a lone CR (files from old Macs).
struct Span {
  std::size_t start, end, next;
};

Span lineAt(std::string_view text, std::size_t start) {
  const char* p = text.data();
  const std::size_t size = text.size();
  std::size_t end = start;
  while (end < size && p[end] != '\n' && p[end] != '\r') ++end;
  std::size_t next = end;
  if (next < size) next += p[next] == '\r' && next + 1 < size && p[next + 1] == '\n' ? 2 : 1;
  return {start, end, next};
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// UTF-16 by its byte-order mark, or, without one, by the NUL that ASCII
// text has in every other byte.
bool isUtf16(std::string_view text) {
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) return true;
  const std::size_t n = std::min<std::size_t>(text.size(), 4096) & ~std::size_t{1};
  std::size_t nulls[2] = {0, 0};
  for (std::size_t i = 0; i < n; ++i) nulls[i & 1] += text[i] == '\0';
  const std::size_t half = n / 2;
  return half > 0 && std::max(nulls[0], nulls[1]) * 2 >= half && std::min(nulls[0], nulls[1]) * 8 < half;
}

enum class Kind { Other, Header, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string_view name;
  std::size_t valueStart = 0;  // within the line
};

// A header is "[name]" with blanks anywhere around; a key line has an "="
// and does not start with ";" (a comment) or "[".
Parsed parseLine(std::string_view line) {
  Parsed p;
  const std::string_view body = trimBlanks(line);
  if (body.empty()) return p;
  if (body.front() == '[') {
    const auto close = body.find(']');
    if (close != std::string_view::npos) {
      p.kind = Kind::Header;
      p.name = trimBlanks(body.substr(1, close - 1));
    }
  } else if (body.front() != ';') {
    const auto eq = line.find('=');
    if (eq != std::string_view::npos) {
      p.kind = Kind::Key;
      p.name = trimBlanks(line.substr(0, eq));
      p.valueStart = eq + 1;
    }
  }
  return p;
}

}  // namespace

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

void IniFile::clear() {
  refused_.reset();
  text_.clear();
  eol_.assign(1, '\n');
  sections_.clear();
  keys_.clear();
  keyLines_ = 0;
  newValues_.clear();
  added_.clear();
  insertions_.clear();
  insertionPoints_.clear();
  tail_.clear();
}

std::optional<std::string> IniFile::load(const std::string& path) {
  clear();
  // Non-blocking, so a FIFO given as a settings file cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    return "Cannot read \"" + path + "\": " + std::strerror(errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return "Cannot read \"" + path + "\": " + std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "\"" + path + "\" is a folder, not a settings file";
  if (!S_ISREG(st.st_mode)) return "\"" + path + "\" is not a plain file, so it is not read as a settings file";
  if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize)
    return "\"" + path + "\" is too large to be a settings file; its values were not read";
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return "Cannot read \"" + path + "\": " + std::strerror(errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  text.resize(got);  // a file that shrank meanwhile
  if (isUtf16(text))
    return "Cannot read \"" + path + "\": it is UTF-16 text; settings files are UTF-8 (save it as UTF-8)";
  text_ = std::move(text);
  index();
  return std::nullopt;
}

bool IniFile::parse(std::string_view text) {
  clear();
  if (text.size() > kMaxFileSize || isUtf16(text)) return false;
  text_ = std::string(text);
  index();
  return true;
}

void IniFile::index() {
  const std::string_view text = text_;
  bool eolFound = false;
  std::optional<LineId> section;  // the header of the lines being read, when it is the first of its name
  // A UTF-8 byte-order mark stays in the text, before the first line.
  for (std::size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0; pos < text.size();) {
    const Span s = lineAt(text, pos);
    pos = s.next;
    if (!eolFound && s.next > s.end) {
      eol_ = std::string(text.substr(s.end, s.next - s.end));
      eolFound = true;
    }
    if (s.end == s.start) continue;
    const Parsed p = parseLine(text.substr(s.start, s.end - s.start));
    const auto line = static_cast<LineId>(s.start);
    if (p.kind == Kind::Header) {
      const bool first = sections_.insert(NameIndex::hashName(p.name), 0, line,
                                          [&](LineId other) { return equalsIgnoreCase(nameOf(other), p.name); });
      section = first ? std::optional<LineId>(line) : std::nullopt;
    } else if (p.kind == Kind::Key) {
      ++keyLines_;
      if (section)
        keys_.insert(keyHash(*section, p.name), *section, line,
                     [&](LineId other) { return equalsIgnoreCase(nameOf(other), p.name); });
    }
  }
}

std::string_view IniFile::nameOf(LineId line) const {
  if (line & kAdded) return added_[line & ~kAdded].name;
  const Span s = lineAt(text_, line);
  return parseLine(std::string_view(text_).substr(s.start, s.end - s.start)).name;
}

std::uint32_t IniFile::keyHash(LineId section, std::string_view key) {
  return NameIndex::hashName(key, 2166136261u ^ (section * 2654435761u));
}

std::optional<IniFile::LineId> IniFile::findSection(std::string_view section) const {
  section = trimBlanks(section);
  return sections_.find(NameIndex::hashName(section), 0,
                        [&](LineId line) { return equalsIgnoreCase(nameOf(line), section); });
}

std::optional<IniFile::LineId> IniFile::findKey(LineId section, std::string_view key) const {
  key = trimBlanks(key);
  return keys_.find(keyHash(section, key), section, [&](LineId line) { return equalsIgnoreCase(nameOf(line), key); });
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section).has_value(); }

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  const auto header = findSection(section);
  if (!header) return std::nullopt;
  const auto line = findKey(*header, key);
  if (!line) return std::nullopt;
  if (*line & kAdded) {
    const AddedLine& a = added_[*line & ~kAdded];
    return a.raw.substr(a.valueStart);
  }
  if (auto changed = newValues_.find(*line); changed != newValues_.end()) return changed->second;
  const Span s = lineAt(text_, *line);
  const std::string_view content = std::string_view(text_).substr(s.start, s.end - s.start);
  return std::string(content.substr(parseLine(content).valueStart));
}

IniFile::LineId IniFile::addLine(AddedLine line) {
  added_.push_back(std::move(line));
  return kAdded | static_cast<LineId>(added_.size() - 1);
}

std::size_t IniFile::insertionPoint(LineId header) {
  if (auto known = insertionPoints_.find(header); known != insertionPoints_.end()) return known->second;
  const std::string_view text = text_;
  std::size_t point = lineAt(text, header).next;
  for (std::size_t pos = point; pos < text.size();) {
    const Span s = lineAt(text, pos);
    const std::string_view content = text.substr(s.start, s.end - s.start);
    if (parseLine(content).kind == Kind::Header) break;
    if (!trimBlanks(content).empty()) point = s.next;
    pos = s.next;
  }
  insertionPoints_.emplace(header, point);
  return point;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  // Whatever would read back as something else is not written at all.
  const std::string_view name = trimBlanks(key);
  std::optional<std::string> problem;
  if (hasLineBreak(section) || trimBlanks(section).find(']') != std::string_view::npos)
    problem = "the section name \"" + std::string(section) + "\" cannot be written as a header";
  else if (hasLineBreak(key) || key.find('=') != std::string_view::npos || name.starts_with('[') ||
           name.starts_with(';'))
    problem = "the key name \"" + std::string(key) + "\" cannot be written in a settings file";
  else if (hasLineBreak(value))
    problem = "the value of " + std::string(name) + " in [" + std::string(trimBlanks(section)) +
              "] holds a line break, which a settings file cannot store";
  if (problem) {
    if (!refused_) refused_ = std::move(problem);
    return;
  }
  auto header = findSection(section);
  if (!header) {
    AddedLine h;
    h.header = true;
    h.name = std::string(trimBlanks(section));
    h.raw = "[" + h.name + "]";
    const LineId id = addLine(std::move(h));
    sections_.insert(NameIndex::hashName(nameOf(id)), 0, id, [](LineId) { return false; });
    tail_.push_back(id);
    header = id;
  }
  if (const auto existing = findKey(*header, key)) {
    if (*existing & kAdded) {
      AddedLine& a = added_[*existing & ~kAdded];
      a.raw = a.raw.substr(0, a.valueStart) + std::string(value);
    } else {
      newValues_[*existing] = std::string(value);
    }
    return;
  }
  AddedLine k;
  k.name = std::string(trimBlanks(key));
  k.raw = k.name + "=";
  k.valueStart = k.raw.size();
  k.raw += value;
  k.section = *header;
  const LineId id = addLine(std::move(k));
  keys_.insert(keyHash(*header, nameOf(id)), *header, id, [](LineId) { return false; });
  ++keyLines_;
  if (*header & kAdded) {
    // Before the next section added after this one, if any.
    auto at = std::find(tail_.begin(), tail_.end(), *header) + 1;
    while (at != tail_.end() && !added_[*at & ~kAdded].header) ++at;
    tail_.insert(at, id);
  } else {
    insertions_[insertionPoint(*header)].push_back(id);
  }
}

std::string IniFile::text() const {
  // The text as read, with each changed value put in its place and the added
  // lines inserted where they go.
  struct Edit {
    std::size_t at, resume;
    const std::vector<LineId>* lines;  // an insertion, or
    const std::string* value;          // a new value
  };
  std::vector<Edit> edits;
  edits.reserve(newValues_.size() + insertions_.size());
  for (const auto& [line, value] : newValues_) {
    const Span s = lineAt(text_, line);
    const Parsed p = parseLine(std::string_view(text_).substr(s.start, s.end - s.start));
    edits.push_back({s.start + p.valueStart, s.end, nullptr, &value});
  }
  for (const auto& [at, lines] : insertions_) edits.push_back({at, at, &lines, nullptr});
  // A value ending the text comes before lines inserted at its end.
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
    return a.at != b.at ? a.at < b.at : (a.value != nullptr) > (b.value != nullptr);
  });

  std::string out;
  out.reserve(text_.size() + 64 * added_.size() + 16);
  auto addLines = [&](const std::vector<LineId>& lines) {
    for (LineId id : lines) {
      out += added_[id & ~kAdded].raw;
      out += eol_;
    }
  };
  // Every line ends with a line end, the last one too.
  auto endLastLine = [&] {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol_;
  };
  std::size_t pos = 0;
  for (const Edit& e : edits) {
    out.append(text_, pos, e.at - pos);
    pos = e.resume;
    if (e.value) {
      out += *e.value;
      continue;
    }
    if (e.at == text_.size()) endLastLine();
    addLines(*e.lines);
  }
  out.append(text_, pos, std::string::npos);
  endLastLine();
  addLines(tail_);
  return out;
}

std::optional<std::string> IniFile::save(const std::string& path) const {
  if (refused_) return "Cannot write \"" + path + "\": " + *refused_ + "; the file was left as it was";
  return writeFileAtomically(path, text());
}

}  // namespace zorva
