// Picture sizes out of range, from a settings file or --set: refused before
// drawing, with the message the desktop program gives for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hostile/run_render.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::runRender;
using test::TempDir;

TEST(PictureSize, OutOfRangeSizesAreRefusedBeforeDrawing) {
  TempDir dir;
  test::writeFile(dir.file("zero.ini"), "[start]\nImageWidth=0\n");
  const std::string before = test::readFile(dir.file("zero.ini"));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string size;
  };
  const Case cases[] = {
      {{"--set", "ImageWidth=6001"}, 2, "6001 x 800"},
      {{"--set", "ImageWidth=30000", "--set", "ImageHeight=30000"}, 2, "30000 x 30000"},
      {{dir.file("zero.ini")}, 1, "0 x 800"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--set", "Steps=1", "-q", "--stem", dir.file("out")});
    const test::RenderRun run = runRender(args);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, c.status) << c.size;
    EXPECT_NE(run.err.find(c.size), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
  }
  EXPECT_EQ(test::readFile(dir.file("zero.ini")), before);
  // The largest side is drawn.
  const test::RenderRun run = runRender(
      {"--set", "ImageWidth=6000", "--set", "ImageHeight=2", "--set", "Steps=1", "-q", "--stem", dir.file("wide")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("wide.png")));
}

}  // namespace
}  // namespace zorva
