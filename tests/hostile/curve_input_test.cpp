// Curve files of every size: one limit on points per curve, checked before
// any point is read, and a message that names the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "curves/curve.h"
#include "hostile/run_render.h"
#include "render/engine.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::runRender;
using test::TempDir;
using test::writeFile;

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";
const std::string kProblem = "There is a problem with the .curve file";
constexpr std::int32_t kMostPoints = 1 << 20;  // the one limit on points per curve

std::string points(std::size_t count, const std::string& point = "0.5\r\n-1\r\n") {
  std::string text;
  text.reserve(count * point.size());
  for (std::size_t i = 0; i < count; ++i) text += point;
  return text;
}

// spiral.ini with the given text in both of its companion curve files.
struct SpiralWithCurves {
  TempDir dir;
  std::string ini = dir.file("spiral.ini");
  std::string path = dir.file("spiral_Main_-_Path_curve.curve");
  std::string radius = dir.file("spiral_Values_-_Radius.curve");
  explicit SpiralWithCurves(const std::string& curve) {
    std::filesystem::copy_file(kExamples + "spiral.ini", ini);
    writeFile(path, curve);
    writeFile(radius, curve);
  }
};

TEST(CurveInput, TwoHugeCompanionCurvesAreRefusedByName) {
  // 200 MB each, as "1 1" points: far more points than a curve may have,
  // and more bytes than such a curve can take.
  SpiralWithCurves set(points(std::size_t{200'000'000} / 6, "1\r\n1\r\n"));
  const std::uintmax_t size = std::filesystem::file_size(set.path);
  const test::RenderRun run = runRender({set.ini, "--summary"});
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 1);
  for (const std::string& file : {set.path, set.radius}) {
    EXPECT_NE(run.err.find(kProblem + " \"" + file + "\": it has "), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::file_size(file), size);
  }
  if (!test::kSanitized) {
    EXPECT_LT(run.maxRssKb, test::kMemoryLimitKb);
  }
}

TEST(CurveInput, ACurveOfTheMostPointsLoadsAndIsUsedOneMoreIsRefused) {
  TempDir dir;
  const std::string most = points(kMostPoints);
  writeFile(dir.file("most.curve"), most);
  writeFile(dir.file("more.curve"), most + "2\r\n3\r\n");
  Engine engine;
  EXPECT_EQ(engine.loadSlotCurve(3, dir.file("most.curve")), std::nullopt);
  EXPECT_EQ(engine.multiplierSlot(3).curve.GetLength(), kMostPoints);
  EXPECT_TRUE(engine.multiplierSlot(3).bezier.Valid());  // a curve that loads is never silently neutral

  const auto refused = engine.loadSlotCurve(3, dir.file("more.curve"));
  EXPECT_TRUE(refused.value_or("").starts_with(kProblem + " \"" + dir.file("more.curve") + "\""))
      << refused.value_or("loaded");
  EXPECT_EQ(engine.multiplierSlot(3).curve.GetLength(), kMostPoints);  // the slot keeps what it had

  // Curve text has the same limit.
  qCurve curve;
  EXPECT_EQ(curve.LoadFromClipBoard(points(kMostPoints, "0 0 ")), std::nullopt);
  EXPECT_EQ(curve.GetLength(), kMostPoints);
  EXPECT_TRUE(curve.LoadFromClipBoard(points(kMostPoints + 1, "0 0 ")).has_value());
  EXPECT_EQ(curve.GetLength(), 0);
}

TEST(CurveInput, EveryFailureNamesItsFileAndLine) {
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> cases = {{"1\r\n2\r\n3\r\n", "line 3 is an X without its Y"},
                                                                  {"1\r\nx\r\n", "line 2 is not a number"},
                                                                  {"1\r\n2\r\n\r\n4\r\n", "line 3 is not a number"}};
  for (const auto& [content, reason] : cases) {
    writeFile(dir.file("c.curve"), content);
    qCurve curve;
    EXPECT_EQ(curve.Load(dir.file("c.curve")), kProblem + " \"" + dir.file("c.curve") + "\": " + reason);
  }
  ASSERT_EQ(mkfifo(dir.file("pipe.curve").c_str(), 0600), 0);
  qCurve curve;
  EXPECT_EQ(curve.Load(dir.file("pipe.curve")),
            kProblem + " \"" + dir.file("pipe.curve") + "\": it is not a plain file");
}

}  // namespace
}  // namespace zorva
