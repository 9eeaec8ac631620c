#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <set>
#include <sys/resource.h>
#include <tuple>
#include <variant>

#include "render/engine.h"
#include "settings/ini_file.h"
#include "settings/number_format.h"
#include "settings/settings_file.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// ---- numbers ------------------------------------------------------------------

TEST(NumberFormat, ShortestFormWithFifteenDigits) {
  const std::pair<double, const char*> cases[] = {{M_PI / 2, "1.5707963267949"},
                                                  {0, "0"},
                                                  {300, "300"},
                                                  {1e-6, "1E-6"},
                                                  {-0.000012345, "-0.000012345"},
                                                  {123456789012345.0, "123456789012345"},
                                                  {1234567890123456.0, "1.23456789012346E15"},
                                                  {0.1 + 0.2, "0.3"}};
  for (auto [value, text] : cases) EXPECT_EQ(formatFloat(value, "."), text);
  EXPECT_EQ(formatFloat(0.1, ","), "0,1");
}

TEST(NumberFormat, ParsesNumbersWithAPointACommaOrTheGivenSeparator) {
  const std::tuple<const char*, const char*, double> read[] = {
      {" -2.25 ", ".", -2.25},   {"+3", ".", 3.0},           {"1E-6", ".", 1e-6},
      {"0,1", ",", 0.1},         {"0.1", ",", 0.1},          {"0,1", ".", 0.1},
      {"-2,5E-3", ".", -2.5e-3}, {"1\u066B5", "\u066B", 1.5}};  // a separator of more than one byte
  for (auto [text, separator, value] : read) EXPECT_EQ(parseFloat(text, separator), value) << text;
  for (const char* bad : {"1,5.5", "1,,5", ",", "", "-", "abc", "inf", "nan", "1e999", "0x10", "1 2"})
    EXPECT_FALSE(parseFloat(bad, bad == std::string("1,,5") || bad == std::string(",") ? "," : ".")) << bad;
}

TEST(NumberFormat, FormattedValuesReadBackToFifteenDigits) {
  for (double v : {1.0 / 3, -2.0 / 7, 123.456, 1e-7, 6.02214076e23, 0.00001}) {
    auto back = parseFloat(formatFloat(v, "."), ".");
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14);
  }
}

TEST(NumberFormat, IntegersDecimalAndHexadecimal) {
  const std::pair<const char*, std::int32_t> read[] = {
      {"-7", -7}, {" 5 ", 5}, {"0XfF", 255}, {"0xFFFFFFFF", -1}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
  for (auto [text, value] : read) EXPECT_EQ(parseInt(text), value) << text;
  for (const char* bad : {"2147483648", "99999999999", "0x123456789", "1.5", "", "-", "12abc"})
    EXPECT_FALSE(parseInt(bad)) << bad;
}

TEST(NumberFormat, RoundTo15DigitsIsWhatAFieldShowsAndReadsBack) {
  EXPECT_EQ(roundTo15Digits(0.1 + 0.2), 0.3);
  EXPECT_EQ(roundTo15Digits(1234567890123456.0), 1234567890123460.0);
  EXPECT_EQ(roundTo15Digits(1e-7 / 3), 3.33333333333333e-8);
  // Texts that cannot be read back: NaN, infinities, and the largest double,
  // which rounds up past the range.
  for (double v : {std::nan(""), -HUGE_VAL, 1.7976931348623157e308}) EXPECT_FALSE(roundTo15Digits(v)) << v;
  EXPECT_EQ(roundTo15Digits(1.79769313486231e308), 1.79769313486231e308);
}

// ---- settings files -----------------------------------------------------------

TEST(SettingsFile, FileWithoutKeysGivesExactlyTheDefaults) {
  TempDir dir;
  writeFile(dir.file("empty.ini"), "[start]\n[sine]\n[forms]\n");
  Settings s;
  // Scribble over some fields first: a read must set every field.
  s.White = false;
  s.Waves[3].RepeatEnd = 9;
  ReadReport report = readSettingsFile(s, dir.file("empty.ini"), "sine", "/prog/");
  EXPECT_EQ(report.keysRead, 0);
  const Settings defaults;
  for (const KeyInfo& k : settingsKeys()) {
    if (k.key == "SaveDir" || k.key == "LoadDir" || k.key == "LoadSourceImageDir") {
      EXPECT_EQ(textOf(s, k), "/prog/") << k.key;
      continue;
    }
    EXPECT_EQ(valueOf(s, k), valueOf(defaults, k)) << k.key;
  }
}

// Gives every key (of one section, when asked) a value unlike its default.
void setEveryKey(Settings& s, std::optional<Section> only = std::nullopt) {
  int n = 0;
  for (const KeyInfo& k : settingsKeys()) {
    if (only && k.section != *only) continue;
    FieldRef ref = fieldOf(s, k);
    ++n;
    if (auto* i = std::get_if<std::int32_t*>(&ref)) **i = -1000 - n;
    if (auto* d = std::get_if<double*>(&ref)) **d = n + 0.25;
    if (auto* b = std::get_if<bool*>(&ref)) **b = !**b;
    if (auto* str = std::get_if<std::string*>(&ref)) **str = "/some folder/" + k.key;
  }
}

TEST(SettingsFile, EveryKeySurvivesWriteAndRead) {
  TempDir dir;
  Settings written;
  // Two keys on one field would survive the round trip together; each must have its own.
  std::set<const void*> fields;
  for (const KeyInfo& k : settingsKeys())
    EXPECT_TRUE(fields.insert(std::visit([](auto* p) -> const void* { return p; }, fieldOf(written, k))).second)
        << k.key << " reaches a field another key reaches";
  setEveryKey(written);
  WriteExtras extras;
  extras.currentStyle = "tan";
  extras.maximized = written.ZorvaMaximized;
  ASSERT_FALSE(writeSettingsFile(written, dir.file("all.ini"), "tan", extras));
  EXPECT_EQ(ReadIniCurrentStyle(dir.file("all.ini")), "tan");
  Settings read;
  ReadReport report = readSettingsFile(read, dir.file("all.ini"), "tan", "/x/");
  EXPECT_EQ(report.keysRead, static_cast<int>(settingsKeys().size()));
  for (const KeyInfo& k : settingsKeys()) EXPECT_EQ(valueOf(written, k), valueOf(read, k)) << k.key;
}

TEST(SettingsFile, FormatRules) {
  TempDir dir;
  writeFile(dir.file("f.ini"),
            "; a comment\n"
            "[ START ]\n"
            "  style = lissajous\n"
            "ImageWidth=0x20\n"
            "imageheight = 99999999999\n"
            "UseSourceImage=7\n"
            "GrainByDepth=yes\n"
            "SaveDir=/a b/c \n"
            "[lissajous]\n"
            "Steps=50\n"
            "steps=60\n"
            "StartGrain=2.5\n"
            "EndGrain=abc\n"
            "31=1\n"
            "[Lissajous]\n"
            "StartRadius=5\n");
  Settings s;
  const std::string style = ReadIniCurrentStyle(dir.file("f.ini"));
  EXPECT_EQ(style, "lissajous");
  readSettingsFile(s, dir.file("f.ini"), style, "/p/");
  EXPECT_EQ(s.ImageWidth, 32);
  EXPECT_EQ(s.ImageHeight, 800);    // not a 32-bit integer: the default
  EXPECT_TRUE(s.UseSourceImage);    // any non-zero integer
  EXPECT_FALSE(s.GrainByDepth);     // not an integer: the default
  EXPECT_EQ(s.SaveDir, "/a b/c ");  // strings to the end of the line
  EXPECT_EQ(s.Steps, 50);           // the first of duplicated keys
  EXPECT_EQ(s.StartGrain, 2.5);
  EXPECT_EQ(s.EndGrain, 300.0);
  EXPECT_TRUE(s.Use31);
  EXPECT_EQ(s.StartRadius, 100);  // the first of duplicated sections
  EXPECT_EQ(findKey(" startradius "), findKey("StartRadius"));
}

// An existing file keeps its order, its comments and what we do not know.
TEST(SettingsFile, UnknownEntriesAndOrderKept) {
  TempDir dir;
  Settings s;
  WriteExtras extras;
  writeFile(dir.file("old.ini"), "[mine]\r\nColour=teal\r\n[sine]\r\n; note\r\nFancy=1\r\nstartradius = 7\r\n");
  s.StartRadius = 250;
  ASSERT_FALSE(writeSettingsFile(s, dir.file("old.ini"), "sine", extras));
  const std::string text = readFile(dir.file("old.ini"));
  EXPECT_EQ(text.rfind("[mine]\r\nColour=teal\r\n[sine]\r\n; note\r\nFancy=1\r\nstartradius =250\r\n", 0), 0u);
  EXPECT_LT(text.find("[sine]"), text.find("[start]"));
  EXPECT_EQ(text.find("\n\n"), std::string::npos);  // line endings stay CR LF
}

TEST(SettingsFile, PlacementIsClampedToTheScreen) {
  Settings s;
  s.window(Window::Values).Left = 5000;
  s.window(Window::Values).Top = -20;
  s.window(Window::BackgroundImage).Left = 5000;
  s.window(Window::Atc).Height = 900;
  clampPlacements(s, 1280 - 50, 1024 - 50);
  EXPECT_EQ(s.window(Window::Values).Left, 1230);
  EXPECT_EQ(s.window(Window::Values).Top, 0);
  EXPECT_EQ(s.window(Window::BackgroundImage).Left, 5000);  // taken as it stands
  EXPECT_EQ(s.window(Window::Atc).Height, 600);
  s.window(Window::Atc).Height = 3;
  clampPlacements(s, std::nullopt, std::nullopt);
  EXPECT_EQ(s.window(Window::Atc).Height, 50);
}

TEST(SettingsFile, BadFilesFallBackToDefaults) {
  TempDir dir;
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const std::string nulls = std::string("[sine]\nSteps=4\n\0\0=5\n", 20) + std::string(3, '\0') + "\nEndRadius=9\n";
  const std::string longLine = "[sine]\nStartRadius=" + std::string(5 << 20, '7') + "\nEndRadius=42\n";
  // Each with the Steps and EndRadius read from it, or the defaults.
  const std::tuple<std::string, int, int> cases[] = {{garbage, 1000, 100},
                                                     {"", 1000, 100},
                                                     {nulls, 4, 9},
                                                     {longLine, 1000, 42},
                                                     {"Steps=7\nEndRadius=9\n", 1000, 100}};
  for (const auto& [content, steps, endRadius] : cases) {
    writeFile(dir.file("bad.ini"), content);
    Settings s;
    s.Steps = 123;
    readSettingsFile(s, dir.file("bad.ini"), ReadIniCurrentStyle(dir.file("bad.ini")), "/");
    EXPECT_EQ(s.StartRadius, 100);
    EXPECT_EQ(s.Steps, steps);
    EXPECT_EQ(s.EndRadius, endRadius);
  }
  // A file far too large to be settings is not read at all.
  writeFile(dir.file("huge.ini"), "[sine]\nSteps=5\n");
  std::filesystem::resize_file(dir.file("huge.ini"), IniFile::kMaxFileSize + 10);
  Settings s;
  ReadReport report = readSettingsFile(s, dir.file("huge.ini"), "sine", "/");
  EXPECT_TRUE(report.error.has_value());
  EXPECT_EQ(s.Steps, 1000);
  // A folder where the file should be.
  std::filesystem::create_directory(dir.file("folder.ini"));
  report = readSettingsFile(s, dir.file("folder.ini"), "sine", "/");
  EXPECT_TRUE(report.error.has_value());
}

// A write that cannot finish (here: the file size limit, which holds even
// for root) leaves the old file whole and says so.
TEST(SettingsFile, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("keep.ini");
  writeFile(path, "[sine]\nSteps=77\n");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Settings s;
  auto error = writeSettingsFile(s, path, "sine", {});
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(path), std::string::npos);
  EXPECT_EQ(readFile(path), "[sine]\nSteps=77\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left behind
}

// ---- the engine's settings operations --------------------------------------------

struct EngineFiles : ::testing::Test {
  TempDir dir;
  test::RecordingHost host;
  Engine engine{&host};
  void SetUp() override {
    engine.setProgramPath(dir.file("zorva"));
    engine.setProgramSettingsFile(dir.file("zorva.ini"));
  }
};

// A program file that cannot be read (here UTF-16) is still the user's: the
// first write keeps it aside, a second write replaces only the new file, and
// a file that reads again is simply written over.
TEST_F(EngineFiles, AnUnreadableProgramFileIsKeptAsideBeforeTheFirstWrite) {
  std::string wide;
  for (char c : std::string("[start]\r\nstyle=tan\r\n")) wide += std::string{c, '\0'};
  wide = "\xff\xfe" + wide;
  writeFile(dir.file("zorva.ini"), wide);
  engine.ReadIniFile("sine");
  ASSERT_EQ(host.messages.size(), 1u);
  engine.WriteIniCurrentStyle();
  EXPECT_EQ(readFile(dir.file("zorva.ini.unreadable")), wide);
  EXPECT_NE(host.messages.back().find("zorva.ini.unreadable"), std::string::npos) << host.messages.back();
  EXPECT_EQ(engine.ReadIniCurrentStyle(), "sine");
  engine.WriteIniFile("sine");
  EXPECT_FALSE(std::filesystem::exists(dir.file("zorva.ini.unreadable.1")));
  EXPECT_EQ(host.messages.size(), 2u);
  // A second unreadable file does not replace the first one kept.
  writeFile(dir.file("zorva.ini"), wide);
  engine.ReadIniFile("sine");
  engine.WriteIniFile("sine");
  EXPECT_EQ(readFile(dir.file("zorva.ini.unreadable.1")), wide);
  EXPECT_GT(engine.ReadIniFile("sine"), 1);
  EXPECT_EQ(host.messages.size(), 4u);
}

TEST_F(EngineFiles, SwitchingStylesRestoresEveryStyleValue) {
  engine.setCurrentStyle("sine");
  engine.ReadIniFile("sine");
  setEveryKey(engine.settings, Section::Style);
  engine.settings.ImageWidth = 640;  // shared by the styles
  const Settings sine = engine.settings;
  engine.StyleChanger("tan");
  EXPECT_EQ(engine.ReadIniCurrentStyle(), "tan");
  EXPECT_EQ(engine.settings.StartRadius, 100);  // tan starts from the defaults
  EXPECT_EQ(engine.settings.ImageWidth, 640);   // shared
  engine.settings.StartRadius = 9;
  engine.settings.ImageWidth = 320;
  engine.StyleChanger("sine");
  for (const KeyInfo& k : settingsKeys())
    EXPECT_TRUE(k.section != Section::Style || valueOf(engine.settings, k) == valueOf(sine, k)) << k.key;
  EXPECT_EQ(engine.settings.ImageWidth, 320);
  engine.StyleChanger("tan");
  EXPECT_EQ(engine.settings.StartRadius, 9);
}

TEST_F(EngineFiles, CompanionCurveNames) {
  EXPECT_EQ(Engine::companionCurveName("/pics/name20240131_14_05_09__123.ini", 0),
            "name20240131_14_05_09__123_Main_-_Path_curve.curve");
  EXPECT_EQ(Engine::companionCurveName("/pics/my pic.ini", 0), "my_pic_Main_-_Path_curve.curve");
  EXPECT_EQ(Engine::companionCurveName("/pics/NAME.INI", 0), "NAME.INI_Main_-_Path_curve.curve");
  EXPECT_EQ(Engine::companionCurveName("a.ini.ini", 3), "a_Values_-_Radius.curve");
}

TEST_F(EngineFiles, OpenIniFileLoadsStyleValuesAndCurves) {
  writeFile(dir.file("my pic.ini"), "[start]\nstyle=circles\n[circles]\nStartBumps=6\n");
  writeFile(dir.file("my_pic_Values_-_Radius.curve"), "0\r\n0\r\n1\r\n1\r\n2\r\n0\r\n3\r\n1\r\n4\r\n0\r\n");
  writeFile(dir.file("my_pic_Main_-_Start_curve.curve"), "1\r\nbad\r\n");
  qCurve dot;
  dot.AddPoint(1, 1);
  engine.setSlotCurve(5, dot);  // reset by the load
  engine.openIniFile(dir.file("my pic.ini"));
  EXPECT_EQ(engine.currentStyle(), "circles");
  EXPECT_EQ(engine.settings.StartBumps, 6);
  EXPECT_EQ(engine.settings.LoadDir, dir.path().string() + "/");
  EXPECT_EQ(engine.multiplierSlot(3).curve.GetLength(), 5);
  EXPECT_TRUE(engine.multiplierSlot(3).bezier.Valid());
  EXPECT_EQ(engine.multiplierSlot(1).curve.GetLength(), 0);  // a bad file leaves the slot empty
  EXPECT_EQ(engine.multiplierSlot(5).curve.GetLength(), 0);
  EXPECT_EQ(engine.multiplierSlot(5).undo.GetLength(), 1);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_NE(host.messages.back().find(dir.file("my_pic_Main_-_Start_curve.curve")), std::string::npos);
  // A program settings file is never created by reading one.
  EXPECT_FALSE(std::filesystem::exists(dir.file("zorva.ini")));
}

}  // namespace
}  // namespace zorva
