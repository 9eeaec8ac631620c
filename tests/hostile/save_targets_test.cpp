// Where a save may write: never over a file the run read, never into a
// hidden name because the stem was a folder, and any name that fits the
// file system fits its temporary file too.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";
const std::vector<std::string> kSmall = {"--set", "ImageWidth=40", "--set", "ImageHeight=30", "--set", "Steps=5", "-q"};

std::vector<std::string> with(std::vector<std::string> args) {
  args.insert(args.end(), kSmall.begin(), kSmall.end());
  return args;
}

// Every file in a folder by name, with its content (through any link).
std::map<std::string, std::string> filesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename()] = entry.is_directory() ? "" : readFile(entry.path());
  return files;
}

// A small image to give as source or background image.
void writeImage(const std::string& path) {
  const std::vector<std::uint8_t> rgb(6 * 4 * 3, 200);
  ASSERT_EQ(writePng(path, 6, 4, rgb.data(), 6 * 3, nullptr), std::nullopt);
}

TEST(SaveTargets, ANameOfTheLongestLengthIsWrittenWithItsTemporaryFile) {
  TempDir dir;
  const long nameMax = pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(nameMax, 8);
  const std::string name(static_cast<std::size_t>(nameMax), 'n');
  // Writing it, and replacing it, go through a temporary, and none is left behind.
  for (const char* content : {"new", "newer"}) EXPECT_EQ(writeFileAtomically(dir.file(name), content), std::nullopt);
  EXPECT_EQ(filesIn(dir.path()), (std::map<std::string, std::string>{{name, "newer"}}));
  // A stem whose PNG name just fits is saved.
  const std::string stem = dir.file(std::string(static_cast<std::size_t>(nameMax) - 4, 's'));
  const test::RenderRun run = runRender(with({"--seed", "1", "--stem", stem}));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(stem + ".png"));
}

TEST(SaveTargets, AStemThatNamesAFolderIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "out");
  for (const std::string& stem : {dir.file("out/"), dir.file("out"), dir.file("out/.."), std::string(".")}) {
    const test::RenderRun run = runRender(with({"--stem", stem}), dir.path());
    EXPECT_EQ(run.status, 2) << stem;
  }
  EXPECT_EQ(filesIn(dir.path()), (std::map<std::string, std::string>{{"out", ""}}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out"));
}

// A set that would write over a file the run read, by its own name or a
// second one, is refused by that name before anything is drawn; nothing of
// it is written and every file stays byte for byte as it was.
TEST(SaveTargets, NoFileTheRunReadIsWrittenOver) {
  TempDir dir;
  for (const char* name : {"spiral.ini", "spiral_Main_-_Path_curve.curve", "spiral_Values_-_Radius.curve"})
    std::filesystem::copy_file(kExamples + name, dir.file(name));
  std::filesystem::copy_file(kExamples + std::string("spiral.ini"), dir.file("s.ini"));  // no curves beside it
  writeImage(dir.file("im.png"));
  writeImage(dir.file("im_source.png"));
  std::filesystem::create_hard_link(dir.file("s.ini"), dir.file("linked.ini"));
  std::filesystem::create_symlink("im.png", dir.file("link.png"));
  // The set "b" would write b_Values_-_Radius.curve: a second name of a curve read.
  std::filesystem::create_hard_link(dir.file("spiral_Values_-_Radius.curve"), dir.file("b_Values_-_Radius.curve"));
  const auto before = filesIn(dir.path());
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"s.ini", "--stem", "s"}, "s.ini"},
      {{"s.ini", "--stem", dir.file("s")}, dir.file("s.ini")},
      {{"s.ini", "--stem", "./s"}, "./s.ini"},
      {{"s.ini", "--stem", "linked"}, "linked.ini"},
      {{"spiral.ini", "--stem", "b"}, "b_Values_-_Radius.curve"},
      {{"--source-image", "im.png", "--stem", "im"}, "im.png"},
      {{"--background-image", "im.png", "--stem", "link"}, "link.png"},
      {{"--source-image", "link.png", "--stem", "im"}, "im.png"},
      // The copy of the source image in the set is a target as well.
      {{"--source-image", "im_source.png", "--set", "SaveSourceImageFile=1", "--stem", "im"}, "im_source.png"}};
  for (const auto& [args, named] : cases) {
    // With ZORVA_STATS a drawing reports itself: the refusal must come first.
    const test::RenderRun run = runRender(with(args), dir.path(), {"ZORVA_STATS=1"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.find("pixel updates"), std::string::npos) << "refused only after drawing: " << run.err;
    EXPECT_NE(run.err.find("\"" + named + "\" is one of the files this drawing was made from"), std::string::npos)
        << run.err;
    EXPECT_EQ(filesIn(dir.path()), before) << named;
  }
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
  ASSERT_EQ(run.status, 0) << run.err;
  IniFile copy;
  ASSERT_EQ(copy.load(dir.file("pic.ini")), std::nullopt);
  EXPECT_FALSE(copy.hasSection("foreign"));
  EXPECT_EQ(copy.get("start", "ForeignKey"), std::nullopt);
  EXPECT_EQ(copy.get("sine", "Steps"), "5");
}

}  // namespace
}  // namespace zorva
