// zorva-render as a user runs it: the real executable, its output and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/run_command.h"

namespace zorva {
namespace {

using test::contains;
using test::readFile;
using test::run;
using test::TempDir;

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";
const std::string kSmall = " --set ImageWidth=160 --set ImageHeight=120 --set Steps=60 -q";

TEST(RenderCommand, UsageErrorsAndUnreadableFiles) {
  TempDir dir;
  test::expectUsageErrors({"--bogus", "--seed abc", "--set Nope=1", "--set Steps=abc", "--threads 0", "--inker slow",
                           "--stem", "a.ini b.ini", "--make-path square", "--make-path circle --slot 32", "--slot 3"},
                          dir);
  for (const std::string& args : {dir.file("missing.ini"), " --source-image " + dir.file("missing.png"),
                                  " --stem " + dir.file("no/folder/x") + kSmall}) {
    const test::Outcome r = run(args, dir);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_FALSE(r.err.empty());
  }
  test::writeFile(dir.file("broken.png"), "\x89PNG\r\n\x1a\n rubbish");
  const test::Outcome r = run("--source-image " + dir.file("broken.png") + kSmall + " --out " + dir.file("o"), dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "broken.png"));
}

TEST(RenderCommand, SummaryOfASettingsFile) {
  TempDir dir;
  test::Outcome r = run(kExamples + "spiral.ini --summary", dir);
  EXPECT_EQ(r.status, 0);
  for (const char* line : {"style: circles", "keys read: 29", "curve 0 \"Main - Path curve\": 16 points",
                           "curve 3 \"Values - Radius\": 11 points"})
    EXPECT_TRUE(contains(r.out, line)) << r.out;
  r = run("--summary --style tan", dir);
  EXPECT_TRUE(contains(r.out, "style: tan\nkeys read: 0\ncurves: none")) << r.out;
}

// A saved set draws again into the same PNG byte for byte, at any thread
// count and with either inker; the settings file given is never changed and
// the program writes no settings file of its own.
TEST(RenderCommand, SavedSetDrawsTheSamePictureAgain) {
  TempDir dir;
  std::filesystem::copy(kExamples, dir.path() / "ex");
  const std::string ini = (dir.path() / "ex" / "spiral.ini").string();
  const std::string before = readFile(ini);
  const test::Outcome first = run(ini + kSmall + " --seed 9 --stem " + dir.file("first"), dir);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, dir.file("first") + ".png\n");
  EXPECT_TRUE(std::filesystem::exists(dir.file("first_Main_-_Path_curve.curve")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("first_Values_-_Radius.curve")));
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
  test::Outcome r = run("--make-path circle --slot 'values - radius' --set NumberOfPathSteps=4 --summary", dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "curve 3 \"Values - Radius\": 5 points\n")) << r.out;
  // Main - Path curve by default; steps kept within 1..3000.
  r = run("--make-path epitrochoid --set NumberOfPathSteps=9000 --summary", dir);
  EXPECT_TRUE(contains(r.out, "curve 0 \"Main - Path curve\": 3001 points\n")) << r.out;

  // The generated curve is saved with the set: the counter-clockwise circle of four steps.
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
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("h.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("h_Main_-_Path_curve.curve")));
  // A path that is not finite is refused, and nothing is drawn.
  r = run(kSmall + " --make-path circle --set PathCircleRadius=1E308 --set PathCircleAmplitude=1E308" +
              " --set PathCircleBumps=1 --stem " + dir.file("inf"),
          dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("inf.png")));
}

// The orbit example drawn from its companion curve file or with the path
// made afresh is the same picture; made as a circle, it is the picture of
// that circle's curve file.
TEST(RenderCommand, GeneratedPathsDrawLikeTheirCurveFiles) {
  TempDir dir;
  const std::string small = " --set ImageWidth=200 --set ImageHeight=200 --set Steps=300 -q --seed 3 --stem ";
  ASSERT_EQ(run(kExamples + "orbit.ini" + small + dir.file("file"), dir).status, 0);
  ASSERT_EQ(run(kExamples + "orbit.ini --make-path epitrochoid" + small + dir.file("made"), dir).status, 0);
  EXPECT_EQ(readFile(dir.file("made.png")), readFile(dir.file("file.png")));

  ASSERT_EQ(run(kExamples + "orbit.ini --make-path circle" + small + dir.file("circle"), dir).status, 0);
  EXPECT_NE(readFile(dir.file("circle.png")), readFile(dir.file("file.png")));
  std::filesystem::copy_file(kExamples + "orbit.ini", dir.file("o.ini"));
  std::filesystem::copy_file(dir.file("circle_Main_-_Path_curve.curve"), dir.file("o_Main_-_Path_curve.curve"));
  ASSERT_EQ(run(dir.file("o.ini") + small + dir.file("again"), dir).status, 0);
  EXPECT_EQ(readFile(dir.file("again.png")), readFile(dir.file("circle.png")));
}

TEST(RenderCommand, SaveFolderAndTimeStampedNames) {
  TempDir dir;
  const test::Outcome r = run(kSmall + " --seed 1 --transparent --out " + dir.file("pictures/new"), dir);
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
  const test::Outcome full = run(kMoving + " --animate --animation-offset --seed 41 --stem " + dir.file("full"), dir);
  ASSERT_EQ(full.status, 0) << full.err;
  std::string lines;
  for (int f = 1; f <= 5; ++f) lines += dir.file("full_000" + std::to_string(f)) + ".png\n";
  EXPECT_EQ(full.out, lines);
  EXPECT_TRUE(std::filesystem::exists(dir.file("full_0005.ini")));
  for (const char* threads : {"1", "2"}) {
    const std::string stem = dir.file(std::string("part") + threads);
    const test::Outcome part = run(
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
  const test::Outcome one = run(kSmall + " --animate --seed 1 --out " + dir.file("o"), dir);
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out.find('\n'), one.out.size() - 1) << one.out;
  EXPECT_TRUE(one.out.starts_with(dir.file("o/zorva-render20"))) << one.out;
  EXPECT_TRUE(one.out.ends_with("_0001.png\n")) << one.out;
}

TEST(RenderAnimate, UsageErrors) {
  TempDir dir;
  const std::string out = " --out " + dir.file("o");
  test::expectUsageErrors(
      {"--frames 1-2" + out, "--animation-offset" + out, " --animate --set NumberOfFrames=4 --frames 0-2" + out,
       " --animate --set NumberOfFrames=4 --frames 3-2" + out, " --animate --set NumberOfFrames=4 --frames 2-5" + out,
       " --animate --frames 3" + out, " --animate --frames 1-2x" + out},
      dir);
  EXPECT_FALSE(std::filesystem::exists(dir.file("o")));  // nothing made before the range was checked
}

TEST(RenderAnimate, ANonFiniteValueExitsWithOneAndKeepsTheFramesWritten) {
  TempDir dir;
  // r * theta is infinite from frame 2 on.
  const test::Outcome r =
      run(kSmall + " --set NumberOfFrames=4 --set AnimationRepeatStartBumps=1.7E308 --animate --seed 1 --stem " +
              dir.file("x"),
          dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, dir.file("x_0001") + ".png\n");
  EXPECT_TRUE(contains(r.err, "frame 2")) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("x_0001.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("x_0002.png")));
}

}  // namespace
}  // namespace zorva
