// Settings files as they come: huge, of any content, with odd line ends,
// byte-order marks, other encodings, strings that would break them, and
// numbers with either decimal separator.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
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

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";

// ---- the index keeps the document's rules ------------------------------------------

// The rules written out as plainly as possible: a list of lines searched
// from the top for every question.
class PlainIni {
 public:
  explicit PlainIni(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
      const std::size_t end = std::min(text.find('\n', pos), text.size());
      std::string line(text.substr(pos, end - pos));
      if (line.ends_with('\r')) {
        line.pop_back();
        if (lines_.empty()) eol_ = "\r\n";
      }
      lines_.push_back(line);
      pos = end + 1;
    }
  }
  std::optional<std::string> get(std::string_view section, std::string_view key) const {
    const auto line = find(section, key);
    if (!line) return std::nullopt;
    return lines_[*line].substr(lines_[*line].find('=') + 1);
  }
  bool hasSection(std::string_view section) const { return header(section).has_value(); }
  void set(std::string_view section, std::string_view key, std::string_view value) {
    if (const auto line = find(section, key)) {
      lines_[*line].resize(lines_[*line].find('=') + 1);
      lines_[*line] += value;
      return;
    }
    auto h = header(section);
    if (!h) {
      lines_.push_back("[" + std::string(trimBlanks(section)) + "]");
      h = lines_.size() - 1;
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
    return line.starts_with('[') && line.find(']') != std::string_view::npos;
  }
  std::optional<std::size_t> header(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::string_view line = trimBlanks(lines_[i]);
      if (isHeader(line) && equalsIgnoreCase(trimBlanks(line.substr(1, line.find(']') - 1)), trimBlanks(section)))
        return i;
    }
    return std::nullopt;
  }
  std::optional<std::size_t> find(std::string_view section, std::string_view key) const {
    const auto h = header(section);
    if (!h) return std::nullopt;
    for (std::size_t i = *h + 1; i < lines_.size() && !isHeader(lines_[i]); ++i) {
      const std::string_view line = lines_[i], body = trimBlanks(line);
      if (body.empty() || body.front() == '[' || body.front() == ';' || line.find('=') == std::string_view::npos)
        continue;
      if (equalsIgnoreCase(trimBlanks(line.substr(0, line.find('='))), trimBlanks(key))) return i;
    }
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
  // Headers, headers with junk after them, comments, blank lines, broken
  // headers and keys (twice as likely).
  const std::function<std::string()> lineKinds[] = {[&] { return "[" + pick(names) + "]"; },
                                                    [&] { return " [" + pick(names) + "] junk"; },
                                                    [&] { return ";" + pick(names) + "=" + pick(values); },
                                                    [&] { return std::string(random() % 2 ? "" : " \t"); },
                                                    [&] { return "[broken=" + pick(values); },
                                                    [&] { return pick(names) + "=" + pick(values); },
                                                    [&] { return pick(names) + "=" + pick(values); }};
  for (int round = 0; round < 400; ++round) {
    const std::string eol = random() % 2 ? "\n" : "\r\n";
    std::string text;
    const int lines = static_cast<int>(random() % 30);
    for (int i = 0; i < lines; ++i) {
      text += lineKinds[random() % 7]();
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
    EXPECT_EQ(run.out, "style: lissajous\nkeys read: 2\ncurves: none\n") << content << run.err;
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
      const test::RenderRun run = runRender({dir.file("wide.ini"), "--summary"});
      EXPECT_EQ(run.status, 1) << bigEndian << mark;
      EXPECT_NE(run.err.find("UTF-16"), std::string::npos) << run.err;
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
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("keys read: ") + expectedKeys + "\n"), std::string::npos) << run.out;
    if (!test::kSanitized) {
      EXPECT_LT(run.maxRssKb, test::kMemoryLimitKb);
    }
    EXPECT_TRUE(readFile(file) == *content);
  }
}

// ---- numbers written under one locale, read under another -------------------------------

// zorva-render under a German locale, made with localedef in a folder of the
// test's own (LOCPATH), so nothing needs installing system-wide but the
// locale sources of Debian's "locales" package.
class CommaLocale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDir>();
    const std::string command = "localedef -i de_DE -f UTF-8 '" + folder_->file("de_DE.UTF-8") + "' >/dev/null 2>&1";
    made_ = std::system(command.c_str()) == 0 && std::filesystem::exists(folder_->file("de_DE.UTF-8/LC_NUMERIC"));
    // glibc keeps the LOCPATH it parsed for the life of the process, which
    // LeakSanitizer would report at exit.
    test::writeFile(folder_->file("lsan.supp"), "leak:__argz_add_sep\n");
  }
  static void TearDownTestSuite() { folder_.reset(); }
  void SetUp() override {
    if (!made_)
      GTEST_SKIP() << "cannot make the de_DE.UTF-8 locale: localedef or the locale sources in /usr/share/i18n "
                      "(Debian package locales, installed by scripts/setup.sh) are missing";
  }
  std::vector<std::string> env() const {
    const char* lsan = std::getenv("LSAN_OPTIONS");
    return {"LOCPATH=" + folder_->path().string(), "LC_ALL=de_DE.UTF-8",
            std::string("LSAN_OPTIONS=") + (lsan ? std::string(lsan) + ":" : "") +
                "print_suppressions=0:suppressions=" + folder_->file("lsan.supp")};
  }
  test::RenderRun render(const std::vector<std::string>& args, const std::string& cwd = "") const {
    return runRender(args, cwd, env());
  }

  static std::unique_ptr<TempDir> folder_;
  static bool made_;
};
std::unique_ptr<TempDir> CommaLocale::folder_;
bool CommaLocale::made_ = false;

TEST_F(CommaLocale, ExampleSettingsAndCurvesReadWhole) {
  TempDir dir;
  std::filesystem::copy(kExamples, dir.path() / "ex");
  const std::string spiral = (dir.path() / "ex" / "spiral.ini").string();
  const std::string spiralText = readFile(spiral);
  // The same summary as under a locale with a decimal point.
  const test::RenderRun comma = render({spiral, "--summary"});
  EXPECT_EQ(comma.status, 0) << comma.err;
  EXPECT_EQ(comma.out, runRender({spiral, "--summary"}, "", {"LC_ALL=C"}).out);

  // A drawing made under the comma locale (--set takes either separator),
  // redrawn under the point locale from its saved set: the same picture.
  const test::RenderRun drawn =
      render({spiral, "--stem", dir.file("comma"), "--set", "ImageWidth=120", "--set", "ImageHeight=90", "--set",
              "Steps=40", "--set", "SplodgeStartLimit=1.5", "--set", "EndGrain=250,5", "-q", "--seed", "4"});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_NE(readFile(dir.file("comma.ini")).find("SplodgeStartLimit=1,5"), std::string::npos);
  const test::RenderRun again =
      runRender({dir.file("comma.ini"), "-q", "--seed", "4", "--stem", dir.file("point")}, "", {"LC_ALL=C"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(readFile(dir.file("point.png")), readFile(dir.file("comma.png")));
  EXPECT_EQ(readFile(spiral), spiralText);
}

}  // namespace
}  // namespace zorva
