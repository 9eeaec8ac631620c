// zorva-render as a user runs it through the shell: the real executable,
// its output, exit status and files, drawing, animating, branching curves
// and tracing images.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "animation/branching.h"
#include "io/image_io.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out, err;  // standard output and standard error
};

Outcome run(const std::string& args, const TempDir& dir) {
  const std::string errFile = dir.file("stderr.txt");
  Outcome r;
  FILE* pipe = popen((std::string(ZORVA_RENDER_EXE) + " " + args + " 2>" + errFile).c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf{};
  for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) r.out.append(buf.data(), n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = readFile(errFile);
  return r;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Each of these command lines is refused as a usage error (status 2) before
// anything is written.
void expectUsageErrors(std::initializer_list<std::string> commandLines, const TempDir& dir) {
  for (const std::string& args : commandLines) {
    const Outcome r = run(args, dir);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.err.starts_with("zorva-render: ")) << args << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << args;
  }
}

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";
const std::string kSpiralPath = kExamples + "spiral_Main_-_Path_curve.curve";
const std::string kSmall = " --set ImageWidth=160 --set ImageHeight=120 --set Steps=60 -q";

TEST(RenderCommand, UsageErrorsAndUnreadableFiles) {
  TempDir dir;
  const std::string out = " --out " + dir.file("o");
  expectUsageErrors(
      {"--bogus", "--seed abc", "--set Nope=1", "--set Steps=abc", "--threads 0", "--inker slow", "--stem",
       "a.ini b.ini", "--make-path square", "--make-path circle --slot 32", "--slot 3",
       // Frames: the range is checked before anything is made.
       "--frames 1-2" + out, "--animation-offset" + out, " --animate --set NumberOfFrames=4 --frames 0-2" + out,
       " --animate --set NumberOfFrames=4 --frames 3-2" + out, " --animate --set NumberOfFrames=4 --frames 2-5" + out,
       " --animate --frames 3" + out, " --animate --frames 1-2x" + out,
       // Curves.
       "--lasso 1,2", "--outline", "--outline a.png --lasso 699,0", "--outline a.png --lasso -1,5",
       "--outline a.png --lasso 1,2,3", "--outline a.png --branch", "--outline a.png --make-path circle",
       "--outline a.png --summary", "--branch --slot 32", "--branch=1"},
      dir);
  EXPECT_FALSE(std::filesystem::exists(dir.file("o")));
  for (const std::string& args : {dir.file("missing.ini"), " --source-image " + dir.file("missing.png"),
                                  " --stem " + dir.file("no/folder/x") + kSmall}) {
    const Outcome r = run(args, dir);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_FALSE(r.err.empty());
  }
  test::writeFile(dir.file("broken.png"), "\x89PNG\r\n\x1a\n rubbish");
  const Outcome r = run("--source-image " + dir.file("broken.png") + kSmall + " --out " + dir.file("o"), dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "broken.png"));
}

TEST(RenderCommand, SummaryOfASettingsFile) {
  TempDir dir;
  EXPECT_TRUE(contains(run(kExamples + "spiral.ini --summary", dir).out,
                       "style: circles\nkeys read: 29\ncurve 0 \"Main - Path curve\": 16 points\n"));
  EXPECT_EQ(run("--summary --style tan", dir).out, "style: tan\nkeys read: 0\ncurves: none\n");
}

// A saved set draws again into the same PNG byte for byte, at any thread
// count and with either inker; the settings file given is never changed and
// the program writes no settings file of its own.
TEST(RenderCommand, SavedSetDrawsTheSamePictureAgain) {
  TempDir dir;
  std::filesystem::copy(kExamples, dir.path() / "ex");
  const std::string ini = (dir.path() / "ex" / "spiral.ini").string();
  const std::string before = readFile(ini);
  const Outcome first = run(ini + kSmall + " --seed 9 --stem " + dir.file("first"), dir);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, dir.file("first") + ".png\n");
  EXPECT_EQ(readFile(ini), before);

  ASSERT_EQ(run(dir.file("first.ini") + " -q --seed 9 --stem " + dir.file("again"), dir).status, 0);
  EXPECT_EQ(readFile(dir.file("again.png")), readFile(dir.file("first.png")));
  ASSERT_EQ(
      run(dir.file("first.ini") + " -q --seed 9 --threads 1 --inker reference --stem " + dir.file("ref"), dir).status,
      0);
  EXPECT_EQ(readFile(dir.file("ref.png")), readFile(dir.file("first.png")));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(ZORVA_RENDER_EXE).parent_path() / "zorva-render.ini"));
}

TEST(RenderCommand, MakePathFillsTheNamedCurve) {
  TempDir dir;
  Outcome r = run("--make-path circle --slot 'values - radius' --set NumberOfPathSteps=4 --summary", dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "curve 3 \"Values - Radius\": 5 points\n")) << r.out;
  // Main - Path curve by default, saved with the set: the counter-clockwise
  // circle of four steps.
  r = run(kSmall +
              " --make-path circle --set NumberOfPathSteps=4 --set PathCircleClockwise=0 --set PathCircleRadius=0.5"
              " --seed 1 --stem " +
              dir.file("c"),
          dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string curve = readFile(dir.file("c_Main_-_Path_curve.curve"));
  EXPECT_EQ(curve.substr(0, 8), "0.5\r\n0\r\n");
  EXPECT_EQ(std::count(curve.begin(), curve.end(), '\n'), 10);
  // A trochoid without a rolling circle leaves the curve empty: no file.
  r = run(kSmall + " --make-path hypotrochoid --set PathHypotrochoidB=0 --seed 1 --stem " + dir.file("h"), dir);
  EXPECT_TRUE(std::filesystem::exists(dir.file("h.png")) &&
              !std::filesystem::exists(dir.file("h_Main_-_Path_curve.curve")));

  // A path that is not finite is refused, and nothing is drawn.
  r = run(kSmall + " --make-path circle --set PathCircleRadius=1E308 --set PathCircleAmplitude=1E308" +
              " --set PathCircleBumps=1 --stem " + dir.file("inf"),
          dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("inf.png")));
}

TEST(RenderCommand, SaveFolderAndTimeStampedNames) {
  TempDir dir;
  const Outcome r = run(kSmall + " --seed 1 --transparent --out " + dir.file("pictures/new"), dir);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_FALSE(r.out.empty());
  const std::filesystem::path png = r.out.substr(0, r.out.size() - 1);
  EXPECT_EQ(png.parent_path(), dir.path() / "pictures" / "new");
  EXPECT_TRUE(png.filename().string().starts_with("zorva-render20")) << png;
  EXPECT_TRUE(std::filesystem::exists(png.parent_path() / (png.stem().string() + ".ini")));
  EXPECT_EQ(static_cast<unsigned char>(readFile(png.string())[25]), 6);  // RGBA
}

// ---- --animate ---------------------------------------------------------------------

const std::string kMoving = kSmall +
                            " --set NumberOfFrames=5 --set AnimationChangeStartRadius=0.4 --set UseIotaExtra=1"
                            " --set NewColor=1 --set AnimationOffset=3";

TEST(RenderAnimate, FramesAreNumberedSetsAndAnyRangeDrawsTheSameFrames) {
  TempDir dir;
  const Outcome full = run(kMoving + " --animate --animation-offset --seed 41 --stem " + dir.file("full"), dir);
  ASSERT_EQ(full.status, 0) << full.err;
  std::string lines;
  for (int f = 1; f <= 5; ++f) lines += dir.file("full_000" + std::to_string(f)) + ".png\n";
  EXPECT_EQ(full.out, lines);
  for (const char* threads : {"1", "2"}) {
    const std::string stem = dir.file(std::string("part") + threads);
    const Outcome part = run(
        kMoving + " --animate --animation-offset --seed 41 --frames 3-5 --threads " + threads + " --stem " + stem, dir);
    ASSERT_EQ(part.status, 0) << part.err;
    EXPECT_EQ(part.out, stem + "_0003.png\n" + stem + "_0004.png\n" + stem + "_0005.png\n");
    for (const char* f : {"3", "4", "5"})
      EXPECT_EQ(readFile(stem + "_000" + f + ".png"), readFile(dir.file(std::string("full_000") + f + ".png")))
          << threads << " threads, frame " << f;
  }
  EXPECT_NE(readFile(dir.file("full_0003.png")), readFile(dir.file("full_0004.png")));
  // "Offset?" moves the frames along the drawing.
  ASSERT_EQ(run(kMoving + " --animate --seed 41 --frames 4-4 --stem " + dir.file("plain"), dir).status, 0);
  EXPECT_NE(readFile(dir.file("plain_0004.png")), readFile(dir.file("full_0004.png")));

  // Without NumberOfFrames: one frame, under a time-stamped stem.
  const Outcome one = run(kSmall + " --animate --seed 1 --out " + dir.file("o"), dir);
  EXPECT_TRUE(one.out.starts_with(dir.file("o/zorva-render20")) && one.out.ends_with("_0001.png\n")) << one.out;
  EXPECT_EQ(one.out.find('\n'), one.out.size() - 1) << one.out;
}

TEST(RenderAnimate, ANonFiniteValueExitsWithOneAndKeepsTheFramesWritten) {
  TempDir dir;
  // r * theta is infinite from frame 2 on.
  const Outcome r =
      run(kSmall + " --set NumberOfFrames=4 --set AnimationRepeatStartBumps=1.7E308 --animate --seed 1 --stem " +
              dir.file("x"),
          dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, dir.file("x_0001") + ".png\n");
  EXPECT_TRUE(contains(r.err, "frame 2")) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("x_0001.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("x_0002.png")));
}

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
  // The first copy grows the curve past the limit; the nine others are
  // skipped, and said once with their count.
  EXPECT_FALSE(contains(r.out, "\"Main - Path curve\": 5999 points")) << r.out;
  EXPECT_TRUE(contains(r.err, "(9 times)")) << r.err;
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

TEST_F(OutlineOption, GetOutlineStartsAtTheDiscsTopAndCloses) {
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
}

// Sampling beyond its track bar is kept within it, 1..100.
TEST_F(OutlineOption, SamplingToleranceAndLassoPresses) {
  for (const auto& [given, kept] : {std::pair{"0", "1"}, {"1000", "100"}}) {
    ASSERT_EQ(outline(std::string("--set AtcSampling=") + given, "given").status, 0);
    ASSERT_EQ(outline(std::string("--set AtcSampling=") + kept, "kept").status, 0);
    EXPECT_EQ(curve("given"), curve("kept")) << given;
  }
  // No boundary: an empty file, said. At 255, white (luma a hair below 255)
  // is as close to black as black is.
  test::writeFile(dir.file("empty.curve"), "old");
  const Outcome none = outline("--set AtcTolerance=255", "empty");
  EXPECT_EQ(none.status, 0);
  EXPECT_TRUE(contains(none.err, "no boundary found")) << none.err;
  EXPECT_EQ(curve("empty"), "");
  // Lasso presses append in order; one that finds nothing adds nothing, and is named.
  ASSERT_EQ(outline("--lasso 349,269", "inside").status, 0);
  const Outcome outside = outline("--lasso 10,10 --append-lasso 690,530", "outside");
  EXPECT_TRUE(contains(outside.err, "690,530")) << outside.err;
  ASSERT_EQ(outline("--lasso 349,269 --append-lasso 10,10", "both").status, 0);
  EXPECT_FALSE(curve("inside").empty() || curve("outside").empty());
  EXPECT_EQ(curve("both"), curve("inside") + curve("outside"));
}

TEST_F(OutlineOption, ImagesThatCannotBeReadWriteNothing) {
  const std::string png = readFile(dir.file("disc.png"));
  test::writeFile(dir.file("truncated.png"), png.substr(0, png.size() / 2));
  for (const char* image : {"missing.png", "truncated.png", "disc.gif"}) {
    test::writeFile(dir.file("kept.curve"), "kept\r\n");
    const Outcome r = run(std::string("--outline ") + dir.file(image) + " --stem " + dir.file("kept"), dir);
    EXPECT_EQ(r.status, 1) << image;
    EXPECT_TRUE(contains(r.err, image)) << image << ": " << r.err;
    EXPECT_EQ(curve("kept"), "kept\r\n") << image;
  }
}

}  // namespace
}  // namespace zorva
