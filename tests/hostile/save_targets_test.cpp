// Where a save may write: never over a file the run read, never into a
// hidden name because the stem was a folder, and any name that fits the
// file system fits its temporary file too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostile/run_render.h"
#include "io/atomic_write.h"
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
  // A short name keeps working.
  EXPECT_EQ(writeFileAtomically(dir.file("a"), "x"), std::nullopt);
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"a", name}));
}

TEST(SaveTargets, AStemWhosePngNameJustFitsIsSaved) {
  TempDir dir;
  const long nameMax = pathconf(dir.path().c_str(), _PC_NAME_MAX);
  const std::string stem = dir.file(std::string(static_cast<std::size_t>(nameMax) - 4, 's'));
  const test::RenderRun run = runRender(with({"--seed", "1", "--stem", stem}));
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, stem + ".png\n");
  EXPECT_TRUE(std::filesystem::exists(stem + ".png"));
  EXPECT_TRUE(std::filesystem::exists(stem + ".ini"));
}

TEST(SaveTargets, AStemThatNamesAFolderIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "out");
  for (const std::string& stem : {dir.file("out/"), dir.file("out"), dir.file("out/."), dir.file("out/.."),
                                  std::string("./"), std::string(".")}) {
    const test::RenderRun run = runRender(with({"--stem", stem}), dir.path());
    ASSERT_FALSE(run.hung) << stem;
    EXPECT_EQ(run.status, 2) << stem;
    EXPECT_NE(run.err.find("names a folder"), std::string::npos) << stem << ": " << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out"));
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out"});
}

}  // namespace
}  // namespace zorva
