// Input files that are no inputs, and sizes out of range: FIFOs, devices,
// huge files behind small headers, curves of too many points, pictures too
// large. Each is refused at once by name with its reason, costing neither
// time nor memory, and left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "curves/curve.h"
#include "hostile/run_render.h"
#include "io/image_io.h"
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

void expectSmall(const test::RenderRun& run) {
  if (!test::kSanitized) {
    EXPECT_LT(run.maxRssKb, test::kMemoryLimitKb);
  }
}

// ---- images ------------------------------------------------------------------------

void expectImageRefused(const std::string& option, const std::string& image, const std::string& reason,
                        const TempDir& dir) {
  const test::RenderRun run = runRender({option, image, "--stem", dir.file("out"), "--set", "ImageWidth=20", "--set",
                                         "ImageHeight=20", "--set", "Steps=2", "-q"},
                                        dir.path().string());
  EXPECT_EQ(run.status, 1) << image;
  EXPECT_NE(run.err.find("Cannot read image \"" + image + "\": "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  expectSmall(run);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

// A FIFO is refused without waiting for a writer, a device without reading it.
TEST(ImageInput, AFifoOrADeviceIsRefusedUnread) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("f.png").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.file("z.jpg"));
  for (const char* option : {"--source-image", "--background-image"})
    for (const char* name : {"f.png", "z.jpg"}) expectImageRefused(option, name, "not a plain file", dir);
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("f.png")));
}

// Files of 1000 MiB (sparse: no disk is used) whose header announces a small
// image, or none: nothing beyond the header is read.
TEST(ImageInput, AHugeFileBehindASmallHeaderIsRefusedUnread) {
  TempDir dir;
  const std::uintmax_t huge = std::uintmax_t{1000} << 20;
  const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x0a\0\0\0\x0a\x08\x02\0\0\0", 29) +
                          std::string("\x02\x50\x58\xea", 4);
  const std::string jpeg =
      std::string("\xff\xd8\xff\xc0\0\x11\x08\0\x10\0\x10\x03\x01\x22\0\x02\x11\x01\x03\x11\x01", 21);
  std::string bmp = std::string("BM") + std::string(8, '\0') + std::string("\x36\0\0\0\x28\0\0\0", 8) +
                    std::string("\x04\0\0\0\x04\0\0\0\x01\0\x18\0", 12) + std::string(24, '\0');
  const std::vector<std::pair<std::string, std::string>> files = {
      {"big.png", png}, {"big.jpg", jpeg}, {"big.bmp", bmp}, {"zeros.png", ""}, {"zeros.jpg", ""}, {"zeros.bmp", ""}};
  for (const auto& [name, header] : files) {
    writeFile(dir.file(name), header);
    std::filesystem::resize_file(dir.file(name), huge);
    expectImageRefused("--background-image", name, header.empty() ? "" : "pixels can need", dir);
    EXPECT_EQ(std::filesystem::file_size(dir.file(name)), huge);
  }
  // A real image with some trailing bytes, as some programs leave, still loads.
  const std::vector<std::uint8_t> rgb(5 * 3 * 3, 90);
  ASSERT_EQ(writePng(dir.file("ok.png"), 5, 3, rgb.data(), 15, nullptr), std::nullopt);
  writeFile(dir.file("tail.png"), readFile(dir.file("ok.png")) + std::string(1 << 20, 'x'));
  const auto result = loadImage(dir.file("tail.png"));
  ASSERT_TRUE(std::holds_alternative<RgbImage>(result)) << std::get<std::string>(result);
  EXPECT_EQ(std::get<RgbImage>(result).rgb, rgb);
}

// ---- curves ------------------------------------------------------------------------

std::string points(std::size_t count, const std::string& point = "0.5\r\n-1\r\n") {
  std::string text;
  text.reserve(count * point.size());
  for (std::size_t i = 0; i < count; ++i) text += point;
  return text;
}

TEST(CurveInput, TwoHugeCompanionCurvesAreRefusedByName) {
  // 200 MB each, as "1 1" points: far more points than a curve may have,
  // and more bytes than such a curve can take.
  TempDir dir;
  std::filesystem::copy_file(kExamples + "spiral.ini", dir.file("spiral.ini"));
  const std::string curve = points(std::size_t{200'000'000} / 6, "1\r\n1\r\n");
  const std::vector<std::string> files = {dir.file("spiral_Main_-_Path_curve.curve"),
                                          dir.file("spiral_Values_-_Radius.curve")};
  for (const std::string& file : files) writeFile(file, curve);
  const test::RenderRun run = runRender({dir.file("spiral.ini"), "--summary"});
  EXPECT_EQ(run.status, 1);
  for (const std::string& file : files) {
    EXPECT_NE(run.err.find(kProblem + " \"" + file + "\": it has "), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::file_size(file), curve.size());
  }
  expectSmall(run);
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
  ASSERT_EQ(mkfifo(dir.file("pipe.curve").c_str(), 0600), 0);
  const std::pair<std::string, std::string> cases[] = {{"1\r\n2\r\n3\r\n", "line 3 is an X without its Y"},
                                                       {"1\r\nx\r\n", "line 2 is not a number"},
                                                       {"1\r\n2\r\n\r\n4\r\n", "line 3 is not a number"},
                                                       {"", "it is not a plain file"}};
  for (const auto& [content, reason] : cases) {
    const std::string file = dir.file(content.empty() ? "pipe.curve" : "c.curve");
    if (!content.empty()) writeFile(file, content);
    qCurve curve;
    EXPECT_EQ(curve.Load(file), kProblem + " \"" + file + "\": " + reason);
  }
}

// ---- picture sizes -------------------------------------------------------------------

// From a settings file or --set: refused before drawing, with the message the
// desktop program gives for them; the largest side is drawn.
TEST(PictureSize, OutOfRangeSizesAreRefusedBeforeDrawing) {
  TempDir dir;
  writeFile(dir.file("zero.ini"), "[start]\nImageWidth=0\n");
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"--set", "ImageWidth=6001"}, 2, "6001 x 800"},
      {{"--set", "ImageWidth=30000", "--set", "ImageHeight=30000"}, 2, "30000 x 30000"},
      {{dir.file("zero.ini")}, 1, "0 x 800"},
      {{"--set", "ImageWidth=6000", "--set", "ImageHeight=2"}, 0, ""}};
  for (auto [args, status, size] : cases) {
    args.insert(args.end(), {"--set", "Steps=1", "-q", "--stem", dir.file("out")});
    const test::RenderRun run = runRender(args);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_NE(run.err.find(size), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::exists(dir.file("out.png")), status == 0);
  }
  EXPECT_EQ(readFile(dir.file("zero.ini")), "[start]\nImageWidth=0\n");
}

}  // namespace
}  // namespace zorva
