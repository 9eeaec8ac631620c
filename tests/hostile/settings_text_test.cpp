// Settings files as they come: huge, of any content, with odd line ends,
// byte-order marks, other encodings, and strings that would break them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hostile/run_render.h"
#include "settings/ini_file.h"
#include "settings/number_format.h"
#include "settings/settings_file.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::runRender;
using test::TempDir;
using test::writeFile;

// ---- the index keeps the document's rules ------------------------------------------

// The rules written out as plainly as possible: a list of lines searched
// from the top for every question.
class PlainIni {
 public:
  explicit PlainIni(std::string_view text) {
    bool first = true;
    for (std::size_t pos = 0; pos < text.size();) {
      std::size_t end = text.find('\n', pos);
      std::string_view raw = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
      if (!raw.empty() && raw.back() == '\r') {
        raw.remove_suffix(1);
        if (first) eol_ = "\r\n";
      }
      first = false;
      lines_.push_back(std::string(raw));
    }
  }
  std::optional<std::string> get(std::string_view section, std::string_view key) const {
    auto line = find(section, key);
    if (!line) return std::nullopt;
    return lines_[*line].substr(lines_[*line].find('=') + 1);
  }
  bool hasSection(std::string_view section) const { return header(section).has_value(); }
  void set(std::string_view section, std::string_view key, std::string_view value) {
    auto h = header(section);
    if (!h) {
      lines_.push_back("[" + std::string(trimBlanks(section)) + "]");
      h = lines_.size() - 1;
    }
    if (auto line = find(section, key)) {
      lines_[*line] = lines_[*line].substr(0, lines_[*line].find('=') + 1) + std::string(value);
      return;
    }
    std::size_t at = *h + 1;
    for (std::size_t i = *h + 1; i < lines_.size() && !isHeader(lines_[i]); ++i)
      if (!trimBlanks(lines_[i]).empty()) at = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::string(trimBlanks(key)) + "=" + std::string(value));
  }
  std::string text() const {
    std::string out;
    for (const std::string& line : lines_) out += line + eol_;
    return out;
  }

 private:
  static bool isHeader(std::string_view line) {
    line = trimBlanks(line);
    return !line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos;
  }
  static std::string_view headerName(std::string_view line) {
    line = trimBlanks(line);
    return trimBlanks(line.substr(1, line.find(']') - 1));
  }
  static bool isKey(std::string_view line) {
    const std::string_view body = trimBlanks(line);
    return !body.empty() && body.front() != '[' && body.front() != ';' && line.find('=') != std::string_view::npos;
  }
  std::optional<std::size_t> header(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
      if (isHeader(lines_[i]) && equalsIgnoreCase(headerName(lines_[i]), trimBlanks(section))) return i;
    return std::nullopt;
  }
  std::optional<std::size_t> find(std::string_view section, std::string_view key) const {
    auto h = header(section);
    if (!h) return std::nullopt;
    for (std::size_t i = *h + 1; i < lines_.size() && !isHeader(lines_[i]); ++i)
      if (isKey(lines_[i]) && equalsIgnoreCase(trimBlanks(lines_[i].substr(0, lines_[i].find('='))), trimBlanks(key)))
        return i;
    return std::nullopt;
  }
  std::vector<std::string> lines_;
  std::string eol_ = "\n";
};

TEST(SettingsText, TheIndexAnswersAsASearchOfEveryLineWould) {
  std::mt19937 random(20240131);
  auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  const std::vector<std::string> names = {"a", "A", " a", "b\t", "B", "sine", "SINE ", "x y", "", "new", "New"};
  const std::vector<std::string> values = {"1", "", " 2 ", "v=w", "[z]", ";c"};
  for (int round = 0; round < 400; ++round) {
    const std::string eol = random() % 2 ? "\n" : "\r\n";
    std::string text;
    const int lines = static_cast<int>(random() % 30);
    for (int i = 0; i < lines; ++i) {
      switch (random() % 7) {
        case 0:
          text += "[" + pick(names) + "]";
          break;
        case 1:
          text += " [" + pick(names) + "] junk";
          break;
        case 2:
          text += ";" + pick(names) + "=" + pick(values);
          break;
        case 3:
          text += random() % 2 ? "" : " \t";
          break;
        case 4:
          text += "[broken=" + pick(values);
          break;
        default:
          text += pick(names) + "=" + pick(values);
          break;
      }
      if (i + 1 < lines || random() % 4) text += eol;
    }
    IniFile ini;
    ini.parse(text);
    PlainIni plain(text);
    for (int op = 0; op < 40; ++op) {
      const std::string section = pick(names), key = pick(names);
      if (random() % 3 == 0) {
        const std::string value = pick(values);
        ini.set(section, key, value);
        plain.set(section, key, value);
      }
      ASSERT_EQ(ini.get(section, key), plain.get(section, key)) << text;
      ASSERT_EQ(ini.hasSection(section), plain.hasSection(section)) << text;
    }
    ASSERT_EQ(ini.text(), plain.text()) << text;
    // What was written reads back the same.
    IniFile again;
    again.parse(ini.text());
    for (const std::string& section : names)
      for (const std::string& key : names) ASSERT_EQ(again.get(section, key), ini.get(section, key));
  }
}

// ---- line ends, byte-order marks and encodings ----------------------------------------

TEST(SettingsText, AByteOrderMarkAndEveryKindOfLineEndRead) {
  TempDir dir;
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string eol = end;
    const std::string content = "\xEF\xBB\xBF[start]" + eol + "style=lissajous" + eol + "ImageWidth=64" + eol +
                                "[lissajous]" + eol + "Steps=9" + eol;
    writeFile(dir.file("f.ini"), content);
    const test::RenderRun run = runRender({dir.file("f.ini"), "--summary"});
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "style: lissajous\nkeys read: 2\ncurves: none\n") << content;
    EXPECT_EQ(readFile(dir.file("f.ini")), content);
  }
  // Writing keeps the mark and the line ends; added lines take the first one.
  IniFile ini;
  ini.parse("\xEF\xBB\xBF[a]\rx=1\r\r[b]\ry=2\r");
  ini.set("a", "x", "3");
  ini.set("a", "new", "4");
  ini.set("c", "z", "5");
  EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[a]\rx=3\rnew=4\r\r[b]\ry=2\r[c]\rz=5\r");
  ini.parse("[a]\r\nx=1\ny=2\rz=3");
  ini.set("a", "w", "0");
  EXPECT_EQ(ini.text(), "[a]\r\nx=1\ny=2\rz=3\r\nw=0\r\n");
}

TEST(SettingsText, UTF16IsReportedAsUnreadable) {
  TempDir dir;
  for (const bool bigEndian : {false, true})
    for (const bool mark : {false, true}) {
      std::string content = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
      for (char c : std::string("[start]\r\nstyle=tan\r\n[tan]\r\nSteps=9\r\n"))
        content += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
      writeFile(dir.file("wide.ini"), content);
      IniFile ini;
      const auto error = ini.load(dir.file("wide.ini"));
      ASSERT_TRUE(error.has_value());
      EXPECT_NE(error->find(dir.file("wide.ini")), std::string::npos) << *error;
      const test::RenderRun run = runRender({dir.file("wide.ini"), "--summary"});
      ASSERT_FALSE(run.hung);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(readFile(dir.file("wide.ini")), content);
    }
}

// ---- strings that would break the file -----------------------------------------------

TEST(SettingsText, ValuesWithLineBreaksAreRefusedOnTheCommandLine) {
  TempDir dir;
  writeFile(dir.file("a\nb.png"), "not even read");
  const std::vector<std::vector<std::string>> refused = {{"--set", "SourceImageFileName=a\n[start]\nImageWidth=7"},
                                                         {"--style", "a]b"},
                                                         {"--style", "a\nb"},
                                                         {"--style", "  "},
                                                         {"--source-image", "a\nb.png"},
                                                         {"--out", "o\np"}};
  for (std::vector<std::string> args : refused) {
    args.insert(args.end(), {"--set", "Steps=2", "-q", "--stem", "pic"});
    const test::RenderRun run = runRender(args, dir.path());
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 2) << args[0] << " " << args[1];
    EXPECT_TRUE(run.err.starts_with("zorva-render: " + args[0])) << run.err;
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"a\nb.png"});
}

TEST(SettingsText, TheWriterRefusesWhatWouldBreakTheFile) {
  TempDir dir;
  const std::string path = dir.file("keep.ini");
  writeFile(path, "[sine]\nSteps=77\n");
  for (const auto& [section, key, value] :
       std::vector<std::array<std::string, 3>>{{"sine", "SourceImageFileName", "a\n[start]\nImageWidth=7"},
                                               {"sine", "k", "a\rb"},
                                               {"a]b", "Steps", "1"},
                                               {"a\nb", "Steps", "1"},
                                               {"sine", "a=b", "1"},
                                               {"sine", " ;k", "1"}}) {
    IniFile ini;
    ASSERT_EQ(ini.load(path), std::nullopt);
    ini.set(section, key, value);
    ini.set("sine", "Steps", "5");  // what follows is still kept out of the file
    const auto error = ini.save(path);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find(path), std::string::npos) << *error;
    EXPECT_EQ(readFile(path), "[sine]\nSteps=77\n");
  }
  // Through the settings writer, and from text.
  Settings s;
  s.SourceImageFileName = "a\n[start]\nImageWidth=7";
  EXPECT_TRUE(writeSettingsFile(s, path, "sine", {}).has_value());
  EXPECT_EQ(readFile(path), "[sine]\nSteps=77\n");
  EXPECT_FALSE(setFromText(s, *findKey("SaveDir"), "x\ny"));
}

// ---- huge files -----------------------------------------------------------------------

// Any content up to the size limit is read in one go, within the memory
// limit and without a hang, and the file is left as it was.
TEST(SettingsText, SixtyFourMiBOfAnythingIsReadWhole) {
  const std::string tail = "\n[start]\nImageWidth=64\n[sine]\nSteps=9\n";
  const std::size_t size = IniFile::kMaxFileSize - tail.size();
  std::string newlines(size, '\n'), keys = "[sine]\n", sections, noise(size, ' ');
  for (unsigned i = 0; keys.size() < size; ++i) keys.append("k").append(std::to_string(i)).append("=\n");
  for (unsigned i = 0; sections.size() < size; ++i) sections.append("[s").append(std::to_string(i)).append("]\n");
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(1 + random() % 255);  // no NUL: text of any sort
  // In the many keys, the second [sine] is not read: ImageWidth only.
  for (auto [content, expectedKeys] : {std::pair{&newlines, "2"}, {&keys, "1"}, {&sections, "2"}, {&noise, "2"}}) {
    content->resize(size);
    *content += tail;
    TempDir dir;
    const std::string file = dir.file("big.ini");
    writeFile(file, *content);
    const test::RenderRun run = runRender({file, "--summary"});
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("keys read: ") + expectedKeys + "\n"), std::string::npos) << run.out;
    if (!test::kSanitized) {
      EXPECT_LT(run.maxRssKb, test::kMemoryLimitKb);
    }
    EXPECT_TRUE(readFile(file) == *content);
  }
}

}  // namespace
}  // namespace zorva
