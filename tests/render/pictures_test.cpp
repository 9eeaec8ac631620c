// Source and background images, and saved picture sets.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>

#include "render/engine.h"
#include "support/curves.h"
#include "support/images.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::writeImage;
using Rgb = std::array<int, 3>;

struct Pictures : ::testing::Test {
  test::TempDir dir;
  test::RecordingHost host;
  Engine engine{&host};
  void SetUp() override {
    engine.setProgramPath(dir.file("zorva"));
    engine.random().seed(5);
  }
};

// ---- source image ----------------------------------------------------------------

// The animation's offset and repeat additions join the settings' when the
// source image is sampled; a 4 x 2 image, red by column, green 10 on the top
// row and 20 on the bottom.
TEST_F(Pictures, SourceSamplesTakeTheAnimationAdditions) {
  ASSERT_TRUE(engine.LoadSourceImage(writeImage(dir, "src.png", 4, 2, [](int x, int y) {
    return Rgb{x * 60, y == 0 ? 10 : 20, 7};
  })));
  test::setKeys(engine.settings,
                "White=0 SourceImageStartOffsetPerStep=0 SourceImageEndOffsetPerStep=0 "
                "SourceImageStartOffsetOverall=0 SourceImageEndOffsetOverall=0");
  StepValues values;  // repeats 1
  // Channel ch of the sample of point k of 8 at step 0 of 100.
  auto at = [&](int k, int ch) {
    const InkStep ink = makeInkStep(engine.settings, values, FrameValues{}, engine.sourceImage(), 0, 100);
    return colourTerm(ink, k, 8, 0, 0)[static_cast<std::size_t>(ch)];
  };
  // u = ((0 + 0.125) - 1/8) * 4 * (1 + 1) = 0: column 0, red 0; without the
  // offset addition u = -1, the last column (180).
  values.animatedOffsets[kOffsetPerStep] = 0.125;
  values.animatedOffsets[kRepeatPerStep] = 1;
  EXPECT_EQ(at(1, 0), 0);
  values.animatedOffsets[kOffsetPerStep] = 0;
  EXPECT_EQ(at(1, 0), 180);
  // v = ((0 + 0) + 0.5) * 2 * (1 + 0) = 1: the top row (green 10); with a
  // repeat addition of -0.5, v = 0.5: half-way to the bottom row's 20.
  values.animatedOffsets[kOffsetOverall] = 0.5;
  EXPECT_EQ(at(2, 1), 10);
  values.animatedOffsets[kRepeatOverall] = -0.5;
  EXPECT_EQ(at(2, 1), 15);
}

// "Repeat by integers" takes the whole part of the settings' repeats per step, never of the
// animation's additions.
TEST_F(Pictures, IntegerSourceRepeats) {
  ASSERT_TRUE(engine.LoadSourceImage(writeImage(dir, "one.png", 1, 1, [](int, int) { return Rgb{}; })));
  Settings& s = engine.settings;
  test::setKeys(s,
                "SourceImageStartThetaColorMultiplier=1 SourceImageEndThetaColorMultiplier=3 "
                "SourceImageStartStepColorMultiplier=2 SourceImageEndStepColorMultiplier=2 "
                "SourceImageRepeatByIntegers=1 Steps=10 ImageWidth=16 ImageHeight=16 StartGrain=1 EndGrain=1");
  FrameValues frame = stillFrame(s, 0);
  frame.offsetStart[kRepeatPerStep] = frame.offsetEnd[kRepeatPerStep] = 0.25;
  std::vector<std::array<double, 3>> seen;
  engine.onStep = [&](int) {
    const StepValues& v = engine.step();
    seen.push_back({v.CurrentSourceThetaRepeat, v.CurrentSourceStepRepeat, v.animatedOffsets[kRepeatPerStep]});
  };
  engine.beginAnimation();
  engine.setAnimationFrame(frame);
  engine.RunDrawing();
  engine.endAnimation();
  ASSERT_EQ(seen.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(seen[i], (std::array<double, 3>{i < 5 ? 1.0 : 2.0, 2, 0.25})) << i;
}

TEST_F(Pictures, BrokenImagesChangeNothing) {
  const std::string good = writeImage(dir, "good.png", 3, 3, [](int, int) { return Rgb{1, 2, 3}; });
  ASSERT_TRUE(engine.LoadSourceImage(good));
  // Every kind of damage is the image reader's own test; here one damaged file, one of no known type, one missing.
  test::writeFile(dir.file("cut.png"), test::readFile(good).substr(0, 50));
  test::writeFile(dir.file("picture.gif"), "GIF89a");
  for (const char* name : {"cut.png", "picture.gif", "missing.png"}) {
    host.messages.clear();
    EXPECT_FALSE(engine.LoadSourceImage(dir.file(name)));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(dir.file(name)), std::string::npos) << host.messages[0];
    EXPECT_FALSE(engine.loadBackgroundImage(dir.file(name)));
  }
  EXPECT_EQ(engine.sourceImage().w, 3);
  EXPECT_EQ(engine.settings.SourceImageFileName, good);
  EXPECT_FALSE(engine.backgroundImage().present());
}

// ---- background image ------------------------------------------------------------

struct Background : Pictures {
  // The buffer's red channel after a reset, row y counted from the bottom.
  int red(int x, int y) { return static_cast<int>(engine.canvas().ColorArray(0, x, y)); }
  void reset(int w, int h, bool centred, bool stretched, bool tiled) {
    engine.settings.BackgroundImagePositionCentered = centred;
    engine.settings.BackgroundImagePositionStretched = stretched;
    engine.settings.BackgroundImagePositionTiled = tiled;
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.settings.UseBackgroundImage = true;
    engine.ClearPicture();
  }
};

TEST_F(Background, CentredStretchedTiledAndNone) {
  engine.settings.BgMaxRed = 1;
  // 400 x 200, red = 100 + column / 4 (never 1), centred on 800 x 800.
  ASSERT_TRUE(engine.loadBackgroundImage(writeImage(dir, "bg.png", 400, 200, [](int x, int) {
    return Rgb{100 + x / 4, 0, 0};
  })));
  reset(800, 800, true, false, false);
  for (int x = 0; x < 800; x += 7)
    for (int y = 0; y < 800; y += 7)
      EXPECT_EQ(red(x, y) != 1, x >= 200 && x < 600 && y >= 300 && y < 500) << x << "," << y;
  EXPECT_EQ(red(200, 300), 100);
  EXPECT_EQ(red(599, 499), 199);

  // A 2 x 2 image stretched on 4 x 4: 2 x 2 blocks; image row 0 is its top.
  ASSERT_TRUE(engine.loadBackgroundImage(writeImage(dir, "two.png", 2, 2, [](int x, int y) {
    return Rgb{10 * x + 100 * y + 5, 0, 0};
  })));
  reset(4, 4, false, true, false);
  EXPECT_EQ((std::array<int, 4>{red(1, 1), red(3, 0), red(2, 3), red(0, 3)}), (std::array<int, 4>{105, 115, 15, 5}));

  // A 3 x 3 image tiled on 10 x 10 repeats from the bottom left.
  ASSERT_TRUE(engine.loadBackgroundImage(writeImage(dir, "three.png", 3, 3, [](int x, int y) {
    return Rgb{10 * x + (2 - y) + 50, 0, 0};
  })));
  reset(10, 10, false, false, true);
  for (int x = 0; x < 10; ++x)
    for (int y = 0; y < 10; ++y) EXPECT_EQ(red(x, y), 50 + 10 * (x % 3) + y % 3) << x << "," << y;

  // Tiled wins over the others; with none on, every pixel takes the bottom-left one.
  reset(10, 10, true, true, true);
  EXPECT_EQ(red(4, 4), 50 + 10 + 1);
  reset(10, 10, false, false, false);
  EXPECT_EQ(red(9, 9), 50);
}

TEST_F(Background, CanvasAsBackgroundAndResize) {
  test::setKeys(engine.settings, "ImageWidth=30 ImageHeight=30 Steps=20 StartGrain=40 EndGrain=40");
  engine.ClearPicture();
  engine.DrawOrStop();
  const std::vector<double> drawn = engine.canvas().color.vector();
  engine.useCanvasAsBackground();
  engine.settings.UseBackgroundImage = true;
  engine.ClearPicture();
  for (std::size_t i = 0; i < drawn.size(); ++i) ASSERT_EQ(engine.canvas().color[i], std::nearbyint(drawn[i])) << i;
  EXPECT_EQ(engine.canvas().FirstStepArray(15, 15), kNeverPainted);  // painted pixels count as new paper

  // "Resize canvas?" takes the image's size only within 1 .. 6000.
  engine.settings.BackgroundImageResizeCanvas = true;
  ASSERT_TRUE(engine.loadBackgroundImage(writeImage(dir, "wide.png", 7000, 5, [](int, int) { return Rgb{}; })));
  EXPECT_EQ(engine.W(), 30);
}

// ---- picture output ---------------------------------------------------------------

std::set<std::string> filesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// A saved set holds the picture, the settings copy, every curve of two
// points or more and, when asked for, the source image.
TEST_F(Pictures, SavedSetsHoldTheCurvesAndTheSourceImage) {
  const std::filesystem::path out = dir.path() / "out";
  std::filesystem::create_directory(out);
  engine.setSlotCurve(0, test::curveOf({{0, 0}, {1, 1}}));
  engine.setSlotCurve(29, test::curveOf({{0, 0}, {1, 1}}));
  engine.setSlotCurve(5, test::curveOf({{3, 3}}));  // one point: no file
  ASSERT_TRUE(engine.LoadSourceImage(writeImage(dir, "s.png", 5, 3, [](int x, int y) { return Rgb{x, y, 9}; })));
  test::setKeys(engine.settings, "SaveSourceImageFile=1 ImageWidth=40");
  engine.ClearPicture();
  ASSERT_TRUE(engine.buttonSaveImageClick(dir.file("out/set")));
  EXPECT_EQ(filesIn(out), (std::set<std::string>{"set.png", "set.ini", "set_source.png", "set_Main_-_Path_curve.curve",
                                                 "set_Splodge_-_Size.curve"}));
  EXPECT_NE(test::readFile(dir.file("out/set.ini")).find("style=sine"), std::string::npos);
  EXPECT_EQ(test::decodePng(test::readFile(dir.file("out/set.png"))).width, 40);
  const test::DecodedPng source = test::decodePng(test::readFile(dir.file("out/set_source.png")));
  EXPECT_EQ(source.height, 3);
  EXPECT_TRUE(source.pixels[(1 * 5 + 4) * 3] == 4 && source.pixels[(1 * 5 + 4) * 3 + 1] == 1);  // pixel (4, 1)
}

TEST_F(Pictures, TransparentSaveCarriesTheMask) {
  test::setKeys(engine.settings, "ImageWidth=8 ImageHeight=6 Opacity=10");
  engine.ClearPicture();
  engine.canvas().ColorArray(0, 1, 1) = 0;
  engine.canvas().ColorArray(1, 1, 1) = 128;
  engine.drawArrayOnImage();
  engine.toggleTransparency();
  auto png = engine.buttonSaveImageClick(dir.file("clear"));
  ASSERT_TRUE(png);
  const test::DecodedPng info = test::decodePng(test::readFile(*png));
  ASSERT_TRUE(info.alpha);
  // Buffer row 1 is picture row 4: the inked pixel is opaque, white paper clear.
  EXPECT_EQ(info.pixels[(4 * 8 + 1) * 4 + 3], 255);
  EXPECT_EQ(info.pixels[3], 0);
}

TEST_F(Pictures, DefaultSaveFallsBackToTheProgramsFolderUnderATimeStamp) {
  engine.settings.SaveDir = dir.file("gone");
  engine.settings.ImageWidth = engine.settings.ImageHeight = 5;
  engine.ClearPicture();
  auto png = engine.buttonSaveImageClick();
  ASSERT_TRUE(png);
  EXPECT_EQ(engine.settings.SaveDir, dir.path().string() + "/");
  EXPECT_EQ(std::filesystem::path(*png).parent_path(), dir.path());
  const std::string stem = std::filesystem::path(*png).stem().string();  // base name + time stamp
  EXPECT_TRUE(std::regex_match(stem, std::regex(R"(zorva\d{8}_\d{2}_\d{2}_\d{2}__\d{3})"))) << stem;
}

}  // namespace
}  // namespace zorva
