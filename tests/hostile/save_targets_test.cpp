// Where a save may write: never over a file the run read, never into a
// hidden name because the stem was a folder, and any name that fits the
// file system fits its temporary file too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostile/run_render.h"
#include "io/atomic_write.h"
#include "io/image_io.h"
#include "render/engine.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::runRender;
using test::TempDir;
using test::writeFile;

const std::vector<std::string> kSmall = {"--set", "ImageWidth=40", "--set", "ImageHeight=30", "--set", "Steps=5", "-q"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more = kSmall) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::vector<std::string> filesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SaveTargets, ANameOfTheLongestLengthIsWrittenWithItsTemporaryFile) {
  TempDir dir;
  const long nameMax = pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(nameMax, 8);
  const std::string name(static_cast<std::size_t>(nameMax), 'n');
  const std::string path = dir.file(name);
  EXPECT_EQ(writeFileAtomically(path, "new"), std::nullopt);
  EXPECT_EQ(readFile(path), "new");
  // Replacing it goes through a temporary as well, and none is left behind.
  EXPECT_EQ(writeFileAtomically(path, "newer"), std::nullopt);
  EXPECT_EQ(readFile(path), "newer");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{name});
  // A stem whose PNG name just fits is saved.
  const std::string stem = dir.file(std::string(static_cast<std::size_t>(nameMax) - 4, 's'));
  const test::RenderRun run = runRender(with({"--seed", "1", "--stem", stem}));
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(stem + ".png"));
}

TEST(SaveTargets, AStemThatNamesAFolderIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "out");
  for (const std::string& stem : {dir.file("out/"), dir.file("out"), dir.file("out/.."), std::string(".")}) {
    const test::RenderRun run = runRender(with({"--stem", stem}), dir.path());
    ASSERT_FALSE(run.hung) << stem;
    EXPECT_EQ(run.status, 2) << stem;
  }
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out"});
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out"));
}

// A small image to give as source or background image.
void writeImage(const std::string& path) {
  const std::vector<std::uint8_t> rgb(6 * 4 * 3, 200);
  ASSERT_EQ(writePng(path, 6, 4, rgb.data(), 6 * 3, nullptr), std::nullopt);
}

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";

// Every input byte for byte as it was, and the refusal said so.
void expectRefusedAndUntouched(const test::RenderRun& run,
                               const std::vector<std::pair<std::string, std::string>>& inputs,
                               const std::string& named) {
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("\"" + named + "\" is one of the files this drawing was made from"), std::string::npos)
      << run.err;
  for (const auto& [path, content] : inputs) EXPECT_EQ(readFile(path), content) << path;
}

TEST(SaveTargets, TheSettingsFileReadIsNeverWrittenOver) {
  TempDir dir;
  std::filesystem::copy_file(kExamples + "spiral.ini", dir.file("s.ini"));
  const std::string before = readFile(dir.file("s.ini"));
  // By the same name, another spelling of it, and a hard link to it.
  std::filesystem::create_hard_link(dir.file("s.ini"), dir.file("linked.ini"));
  for (const std::string& stem : {std::string("s"), dir.file("s"), std::string("./s"), std::string("linked")}) {
    const test::RenderRun run = runRender(with({"s.ini", "--stem", stem}), dir.path());
    expectRefusedAndUntouched(run, {{dir.file("s.ini"), before}}, stem + ".ini");
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.png"))) << "nothing of the set is written";
    EXPECT_FALSE(std::filesystem::exists(dir.file("linked.png")));
  }
}

TEST(SaveTargets, SourceAndBackgroundImagesAreNeverWrittenOver) {
  TempDir dir;
  writeImage(dir.file("im.png"));
  const std::string image = readFile(dir.file("im.png"));
  std::filesystem::create_symlink("im.png", dir.file("link.png"));
  for (const char* option : {"--source-image", "--background-image"})
    for (const std::string stem : {"im", "link"}) {
      const test::RenderRun run = runRender(with({option, "im.png", "--stem", stem}), dir.path());
      expectRefusedAndUntouched(run, {{dir.file("im.png"), image}}, stem + ".png");
      EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.png")));
    }
  // The copy of the source image in the set is a target as well.
  std::filesystem::rename(dir.file("im.png"), dir.file("im_source.png"));
  const test::RenderRun run = runRender(
      with({"--source-image", "im_source.png", "--set", "SaveSourceImageFile=1", "--stem", "im"}), dir.path());
  expectRefusedAndUntouched(run, {{dir.file("im_source.png"), image}}, "im_source.png");
}

TEST(SaveTargets, CompanionCurvesReadAreNeverWrittenOver) {
  TempDir dir;
  for (const char* name : {"spiral.ini", "spiral_Main_-_Path_curve.curve", "spiral_Values_-_Radius.curve"})
    std::filesystem::copy_file(kExamples + name, dir.file(name));
  const std::string curve = readFile(dir.file("spiral_Values_-_Radius.curve"));
  // The set "b" would write b_Values_-_Radius.curve: here a second name of a curve read.
  std::filesystem::create_hard_link(dir.file("spiral_Values_-_Radius.curve"), dir.file("b_Values_-_Radius.curve"));
  const test::RenderRun run = runRender(with({"spiral.ini", "--stem", "b"}), dir.path());
  expectRefusedAndUntouched(run, {{dir.file("spiral_Values_-_Radius.curve"), curve}}, "b_Values_-_Radius.curve");
}

// The desktop program saves through the same engine call.
TEST(SaveTargets, TheEngineRefusesASaveOverAnImageItRead) {
  TempDir dir;
  writeImage(dir.file("im.png"));
  const std::string image = readFile(dir.file("im.png"));
  test::RecordingHost host;
  Engine engine(&host);
  engine.settings.ImageWidth = 20;
  engine.settings.ImageHeight = 10;
  ASSERT_TRUE(engine.LoadSourceImage(dir.file("im.png")));
  engine.ClearPicture();
  EXPECT_EQ(engine.buttonSaveImageClick(dir.file("im")), std::nullopt);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_NE(host.messages.back().find(dir.file("im.png")), std::string::npos) << host.messages.back();
  EXPECT_EQ(readFile(dir.file("im.png")), image);
  EXPECT_FALSE(std::filesystem::exists(dir.file("im.ini")));
  // Any other name saves.
  EXPECT_EQ(engine.buttonSaveImageClick(dir.file("other")), dir.file("other.png"));
}

// A settings copy holds the drawing's settings and nothing an older file at
// its name held.
TEST(SaveTargets, ASettingsCopyIsWrittenAfreshOverAnUnrelatedFile) {
  TempDir dir;
  writeFile(dir.file("pic.ini"), "[start]\nForeignKey=1\n[foreign]\nx=2\n[sine]\nSteps=77\nAlsoForeign=3\n");
  const test::RenderRun run = runRender(with({"--stem", "pic", "--seed", "3"}), dir.path());
  ASSERT_FALSE(run.hung);
  ASSERT_EQ(run.status, 0) << run.err;
  IniFile copy;
  ASSERT_EQ(copy.load(dir.file("pic.ini")), std::nullopt);
  EXPECT_FALSE(copy.hasSection("foreign"));
  EXPECT_EQ(copy.get("start", "ForeignKey"), std::nullopt);
  EXPECT_EQ(copy.get("sine", "Steps"), "5");
  // And it draws the same picture again.
  const test::RenderRun again = runRender({"pic.ini", "-q", "--seed", "3", "--stem", "again"}, dir.path());
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(readFile(dir.file("again.png")), readFile(dir.file("pic.png")));
}

}  // namespace
}  // namespace zorva
