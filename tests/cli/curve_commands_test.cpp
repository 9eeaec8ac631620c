// zorva-render --branch and --outline, run as a user runs them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "animation/branching.h"
#include "cli/run_command.h"
#include "io/image_io.h"

namespace zorva {
namespace {

using test::contains;
using test::Outcome;
using test::readFile;
using test::run;
using test::TempDir;

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";
const std::string kSpiralPath = kExamples + "spiral_Main_-_Path_curve.curve";

// ---- --branch ------------------------------------------------------------------

qCurve loadCurve(const std::string& file) {
  qCurve curve;
  EXPECT_FALSE(curve.Load(file).has_value()) << file;
  return curve;
}

TEST(BranchOption, EachPassIsSeededFromTheSeedAndTheBranchedCurveIsSaved) {
  TempDir dir;
  const Outcome r = run(kExamples +
                            "spiral.ini --branch --set BranchBranches=3 --set BranchCopies=2 --seed 7 -q"
                            " --set ImageWidth=80 --set ImageHeight=80 --set Steps=20 --stem " +
                            dir.file("b"),
                        dir);
  ASSERT_EQ(r.status, 0) << r.err;
  // Pass 1 starts from state 7, pass 2 from state 8, the second on the
  // result of the first; the spiral file sets no branching keys.
  Settings s;
  s.BranchBranches = 3;
  Random random;
  const qCurve once = Branch(loadCurve(kSpiralPath), s, random, 7).curve;
  const qCurve twice = Branch(once, s, random, 8).curve;
  ASSERT_GT(twice.GetLength(), once.GetLength());
  ASSERT_FALSE(twice.Spam(dir.file("expected.curve")).has_value());
  EXPECT_EQ(readFile(dir.file("b_Main_-_Path_curve.curve")), readFile(dir.file("expected.curve")));
  // The other curve is saved as it was.
  EXPECT_EQ(loadCurve(dir.file("b_Values_-_Radius.curve")).Points(),
            loadCurve(kExamples + "spiral_Values_-_Radius.curve").Points());

  // --slot chooses the curve.
  const Outcome slot =
      run(kExamples + "spiral.ini --branch --slot 'Values - Radius' --set BranchBranches=2 --seed 1 --summary", dir);
  ASSERT_EQ(slot.status, 0) << slot.err;
  s.BranchBranches = 2;
  const qCurve radius = Branch(loadCurve(kExamples + "spiral_Values_-_Radius.curve"), s, random, 1).curve;
  EXPECT_TRUE(contains(slot.out, "curve 0 \"Main - Path curve\": 16 points\n")) << slot.out;
  EXPECT_TRUE(contains(slot.out, "curve 3 \"Values - Radius\": " + std::to_string(radius.GetLength()) + " points\n"))
      << slot.out;
}

// The branching draws its own numbers; the drawing starts from the seed all
// the same. Branching a curve the drawing does not use leaves the picture of
// a drawing with random scatter exactly as it was.
TEST(BranchOption, TheDrawingStartsFromTheSeedAfterBranching) {
  TempDir dir;
  test::writeFile(dir.file("t.ini"), "[start]\nImageWidth=90\nImageHeight=90\n[sine]\nSteps=30\nUseIotaExtra=1\n");
  std::filesystem::copy_file(kSpiralPath, dir.file("t_Main_-_Start_curve.curve"));
  const std::string common = dir.file("t.ini") + " -q --stem ";
  ASSERT_EQ(run(common + dir.file("plain") + " --seed 5", dir).status, 0);
  const Outcome branched =
      run(common + dir.file("branched") + " --seed 5 --branch --slot 1 --set BranchBranches=5", dir);
  ASSERT_EQ(branched.status, 0) << branched.err;
  ASSERT_EQ(run(common + dir.file("other") + " --seed 6", dir).status, 0);
  EXPECT_EQ(readFile(dir.file("branched.png")), readFile(dir.file("plain.png")));
  EXPECT_NE(readFile(dir.file("other.png")), readFile(dir.file("plain.png")));  // the seed matters here
  EXPECT_NE(readFile(dir.file("branched_Main_-_Start_curve.curve")), readFile(kSpiralPath));
}

TEST(BranchOption, RefusalsDrawNothing) {
  TempDir dir;
  test::writeFile(dir.file("nan.ini"), "[start]\nImageWidth=40\nImageHeight=40\n");
  test::writeFile(dir.file("nan_Main_-_Path_curve.curve"), "nan\r\nnan\r\n1\r\n2\r\n");
  for (const std::string& args : {std::string("--branch"), kExamples + "spiral.ini --branch --set BranchCopies=11",
                                  dir.file("nan.ini") + " --branch"}) {
    const Outcome r = run(args + " -q --stem " + dir.file("x"), dir);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_TRUE(r.out.empty()) << args;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.png"))) << args;
  }
}

TEST(BranchOption, CopiesStopAtSixThousandPoints) {
  TempDir dir;
  std::ostringstream points;
  for (int i = 0; i < 5999; ++i) points << i << "\r\n0\r\n";
  test::writeFile(dir.file("long.ini"), "[start]\nBranchCopies=10\n");
  test::writeFile(dir.file("long_Main_-_Path_curve.curve"), points.str());
  const Outcome r = run(dir.file("long.ini") + " --branch --seed 3 --summary", dir);
  ASSERT_EQ(r.status, 0) << r.err;
  // The first copy grows the curve past the limit; the nine others are skipped.
  Settings s;
  Random random;
  const std::int32_t grown =
      Branch(loadCurve(dir.file("long_Main_-_Path_curve.curve")), s, random, 3).curve.GetLength();
  ASSERT_GE(grown, 6000);
  EXPECT_TRUE(contains(r.err, "(9 times)")) << r.err;
  EXPECT_TRUE(contains(r.out, "\"Main - Path curve\": " + std::to_string(grown) + " points")) << r.out;
}

// ---- --outline -----------------------------------------------------------------

// A 200 x 100 white image with a black disc of radius 30 around (100, 50).
// On the canvas it lies at left floor((699 - 200) / 2) = 249 and top
// floor((539 - 100) / 2) = 219, so the disc's centre is pixel (349, 269).
constexpr int kDiscX = 349, kDiscY = 269, kDiscR = 30;

bool inDisc(int x, int y) { return (x - kDiscX) * (x - kDiscX) + (y - kDiscY) * (y - kDiscY) <= kDiscR * kDiscR; }

// The numbers of a curve file, in pairs; every line ends with CR LF.
std::vector<std::pair<double, double>> curvePoints(const std::string& text) {
  std::vector<double> numbers;
  for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a line without CR LF";
      break;
    }
    numbers.push_back(std::strtod(text.substr(at, end - at).c_str(), nullptr));
  }
  EXPECT_EQ(numbers.size() % 2, 0u);
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) points.emplace_back(numbers[i], numbers[i + 1]);
  return points;
}

struct OutlineOption : ::testing::Test {
  void SetUp() override {
    std::vector<std::uint8_t> rgb(200 * 100 * 3, 255);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x)
        if (inDisc(x + 249, y + 219)) std::fill_n(&rgb[static_cast<std::size_t>((y * 200 + x) * 3)], 3, 0);
    ASSERT_FALSE(writePng(dir.file("disc.png"), 200, 100, rgb.data(), 200 * 3, nullptr).has_value());
  }
  Outcome outline(const std::string& args, const std::string& stem) {
    return run("--outline " + dir.file("disc.png") + " " + args + " --stem " + dir.file(stem), dir);
  }
  std::string curve(const std::string& stem) { return readFile(dir.file(stem + ".curve")); }
  TempDir dir;
};

TEST_F(OutlineOption, GetOutlineWalksAroundTheDiscAndCloses) {
  const Outcome r = outline("", "disc");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("disc") + ".curve\n");
  const auto points = curvePoints(curve("disc"));
  ASSERT_GT(points.size(), 20u);
  // The scan from (1, 1) first meets the disc's top pixel (349, 239) as the
  // bottom-right corner of the square at (348, 238).
  EXPECT_NEAR(points.front().first, -1.5 / 699, 1e-15);
  EXPECT_NEAR(points.front().second, 31.5 / 699, 1e-15);
  EXPECT_EQ(points.front(), points.back());
  // Every kept square, back from curve units to the canvas, has a corner in
  // the disc and one outside it.
  for (const auto& [px, py] : points) {
    const double fx = px * 699 + 349.5, fy = 269.5 - py * 699;
    const int x = static_cast<int>(std::nearbyint(fx)), y = static_cast<int>(std::nearbyint(fy));
    EXPECT_NEAR(fx, x, 1e-9);
    EXPECT_NEAR(fy, y, 1e-9);
    const int inside = inDisc(x, y) + inDisc(x + 1, y) + inDisc(x, y + 1) + inDisc(x + 1, y + 1);
    EXPECT_TRUE(inside >= 1 && inside <= 3) << x << "," << y;
  }
}

TEST_F(OutlineOption, SamplingKeepsEveryNthWalkPosition) {
  ASSERT_EQ(outline("--set AtcSampling=1", "one").status, 0);
  ASSERT_EQ(outline("--set AtcSampling=3", "three").status, 0);
  // Start, the kept positions, the final position, the start again.
  const std::size_t steps = curvePoints(curve("one")).size() - 3;
  EXPECT_EQ(curvePoints(curve("three")).size(), 3 + (steps + 2) / 3);
  // Beyond the track bar, as the window would keep it: 1..100.
  ASSERT_EQ(outline("--set AtcSampling=0", "zero").status, 0);
  EXPECT_EQ(curve("zero"), curve("one"));
  ASSERT_EQ(outline("--set AtcSampling=1000", "thousand").status, 0);
  EXPECT_EQ(curvePoints(curve("thousand")).size(), 3 + (steps + 99) / 100);
}

TEST_F(OutlineOption, LassoPressesAppendInOrder) {
  ASSERT_EQ(outline("--lasso 349,269", "inside").status, 0);
  ASSERT_EQ(outline("--lasso 10,10", "outside").status, 0);
  ASSERT_EQ(outline("--lasso 349,269 --append-lasso 10,10", "both").status, 0);
  EXPECT_FALSE(curve("inside").empty());
  EXPECT_FALSE(curve("outside").empty());
  EXPECT_EQ(curve("both"), curve("inside") + curve("outside"));
  ASSERT_EQ(outline("--append-lasso 10,10", "get").status, 0);
  ASSERT_EQ(outline("", "plain").status, 0);
  EXPECT_EQ(curve("get"), curve("plain") + curve("outside"));
  // A press that finds nothing adds nothing, and is named.
  const Outcome r = outline("--append-lasso 690,530", "some");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.err, "690,530")) << r.err;
  EXPECT_EQ(curve("some"), curve("plain"));
}

TEST_F(OutlineOption, NoBoundaryWritesAnEmptyFile) {
  // At 255 and beyond, white (luma a hair below 255) is as close to black as
  // black is: no boundary either.
  for (const char* tolerance : {"0", "-5", "255", "100000"}) {
    test::writeFile(dir.file("empty.curve"), "old");
    const Outcome r = outline(std::string("--set AtcTolerance=") + tolerance, "empty");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, dir.file("empty") + ".curve\n");
    EXPECT_TRUE(contains(r.err, "no boundary found")) << r.err;
    EXPECT_EQ(curve("empty"), "") << tolerance;
  }
  ASSERT_EQ(outline("--set AtcTolerance=254", "254").status, 0);
  EXPECT_FALSE(curve("254").empty());
}

TEST_F(OutlineOption, ImagesThatCannotBeReadWriteNothing) {
  const std::string png = readFile(dir.file("disc.png"));
  test::writeFile(dir.file("truncated.png"), png.substr(0, png.size() / 2));
  // A valid header of a 30000 x 30000 image, far too large to trace.
  std::string body = std::string("IHDR\0\0\x75\x30\0\0\x75\x30\x08\x02\0\0\0", 17);
  const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), 17));
  for (int shift = 24; shift >= 0; shift -= 8) body += static_cast<char>((crc >> shift) & 0xFF);
  test::writeFile(dir.file("huge.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) + body);
  for (const char* image : {"missing.png", "truncated.png", "huge.png", "disc.gif"}) {
    test::writeFile(dir.file("kept.curve"), "kept\r\n");
    const Outcome r = run(std::string("--outline ") + dir.file(image) + " --stem " + dir.file("kept"), dir);
    EXPECT_EQ(r.status, 1) << image;
    EXPECT_TRUE(contains(r.err, image)) << image << ": " << r.err;
    EXPECT_EQ(curve("kept"), "kept\r\n") << image;
  }
}

TEST(CurveOptions, UsageErrors) {
  TempDir dir;
  test::expectUsageErrors(
      {"--lasso 1,2", "--outline", "--outline a.png --lasso 699,0", "--outline a.png --lasso -1,5",
       "--outline a.png --lasso 1,2,3", "--outline a.png --branch", "--outline a.png --make-path circle",
       "--outline a.png --summary", "--branch --slot 32", "--branch=1"},
      dir);
}

}  // namespace
}  // namespace zorva
