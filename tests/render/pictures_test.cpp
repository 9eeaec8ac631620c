// Source and background images, and saved picture sets.
#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <regex>
#include <set>

#include "io/image_io.h"
#include "render/engine.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::TempDir;

// Writes a PNG whose pixel (x, y from the top) has the colour f(x, y).
template <typename F>
std::string makeImage(const TempDir& dir, const std::string& name, int w, int h, F f) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto c = f(x, y);
      for (int k = 0; k < 3; ++k) rgb[static_cast<std::size_t>((y * w + x) * 3 + k)] = c[static_cast<std::size_t>(k)];
    }
  const std::string path = dir.file(name);
  EXPECT_FALSE(writePng(path, w, h, rgb.data(), static_cast<std::size_t>(w) * 3, nullptr));
  return path;
}

struct Pictures : ::testing::Test {
  TempDir dir;
  test::RecordingHost host;
  Engine engine{&host};
  void SetUp() override {
    engine.setProgramPath(dir.file("zorva"));
    engine.random().seed(5);
  }
};

// ---- source image ----------------------------------------------------------------

struct SourceSample : Pictures {
  void SetUp() override {
    Pictures::SetUp();
    // Four columns, two rows: red by column, green 10 on the top row, 20 on the bottom.
    const std::string file = makeImage(dir, "src.png", 4, 2, [](int x, int y) {
      return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x * 60), static_cast<std::uint8_t>(y == 0 ? 10 : 20),
                                         7};
    });
    ASSERT_TRUE(engine.LoadSourceImage(file));
    Settings& s = engine.settings;
    s.White = false;
    s.SourceImageStartOffsetPerStep = s.SourceImageEndOffsetPerStep = 0;
    s.SourceImageStartOffsetOverall = s.SourceImageEndOffsetOverall = 0;
  }
  StepValues values;  // repeats 1, no animation
  // The sample of point k of N at step s of 100 with weight w and divisor q.
  std::array<double, 3> sample(int s, int k, int N, double w, double q) {
    const InkStep ink = makeInkStep(engine.settings, values, FrameValues{}, engine.sourceImage(), s, 100);
    const auto term = colourTerm(ink, k, N, 0, 0);
    return {term[0] * w / q, term[1] * w / q, term[2] * w / q};
  }
  std::array<double, 3> at(int s, int k, int N) { return sample(s, k, N, 1, 1); }
};

TEST_F(SourceSample, LoadingSetsTheImageUp) {
  EXPECT_TRUE(engine.settings.UseSourceImage);
  EXPECT_EQ(engine.settings.SourceImageFileName, dir.file("src.png"));
  const SourceImage& img = engine.sourceImage();
  EXPECT_EQ(img.entry(0, 1)[1], 20);  // row-table entry 0 is the bottom row
  EXPECT_EQ(img.entry(1, 1)[1], 10);
  EXPECT_EQ(img.entry(2, 1)[1], 20);  // the repeated row
  EXPECT_EQ(img.entry(0, 4)[0], 0);   // the wrap column repeats column 0
}

TEST_F(SourceSample, RepeatOneSweepsFromRightToLeft) {
  // t = 1/8: u = -0.5 lies half-way between the last column and the first.
  EXPECT_EQ(at(0, 1, 8)[0], (180 + 0) / 2.0);
  EXPECT_EQ(at(0, 2, 8)[0], 180);  // u = -1: the last column
  EXPECT_EQ(at(0, 6, 8)[0], 60);   // u = -3
  EXPECT_EQ(at(0, 1, 8)[1], 20);   // v = 0: the bottom row
  // Negative repeats sweep the other way.
  values.CurrentSourceThetaRepeat = -1;
  EXPECT_EQ(at(0, 2, 8)[0], 60);
}

TEST_F(SourceSample, RepeatZeroSamplesColumnZeroAndTheBottomRow) {
  values.CurrentSourceThetaRepeat = 0;
  values.CurrentSourceStepRepeat = 0;
  for (int k : {1, 3, 7}) {
    EXPECT_EQ(at(50, k, 8)[0], 0);
    EXPECT_EQ(at(77, k, 8)[1], 20);
  }
}

TEST_F(SourceSample, SubtractModeInvertsAndWeighs) {
  engine.settings.White = true;
  values.CurrentSourceThetaRepeat = 0;
  // Column 0 is black in red: 255/256 of the weight; a white pixel gives 0.
  EXPECT_EQ(sample(0, 1, 8, 0.5, 256)[0], 255 * 0.5 / 256);
  const std::string white = makeImage(dir, "white.png", 2, 2, [](int, int) {
    return std::array<std::uint8_t, 3>{255, 255, 255};
  });
  ASSERT_TRUE(engine.LoadSourceImage(white));
  EXPECT_EQ(sample(0, 1, 8, 1, 256)[2], 0);
}

TEST_F(SourceSample, AnimationAdditionsJoinTheOffsetsAndRepeats) {
  // u = ((0 + 0.25) - 1/8) * 4 * (1 + 1) = 1: column 1, red 60; without the
  // offset addition u = -1, the last column (180).
  values.animatedOffsets[kOffsetPerStep] = 0.25;
  values.animatedOffsets[kRepeatPerStep] = 1;
  EXPECT_EQ(at(0, 1, 8)[0], 60);
  values.animatedOffsets[kOffsetPerStep] = 0;
  EXPECT_EQ(at(0, 1, 8)[0], 180);
  // v = ((0 + 0) + 0.5) * 2 * (1 + 0) = 1: the top row (green 10); with a
  // repeat addition of -0.5, v = 0.5: half-way to the bottom row's 20.
  values.animatedOffsets[kOffsetOverall] = 0.5;
  EXPECT_EQ(at(0, 2, 8)[1], 10);
  values.animatedOffsets[kRepeatOverall] = -0.5;
  EXPECT_EQ(at(0, 2, 8)[1], 15);
}

TEST_F(SourceSample, OnlyTheDriversRepeatsAreWholeNumbers) {
  Settings& s = engine.settings;
  s.SourceImageStartThetaColorMultiplier = s.SourceImageEndThetaColorMultiplier = 1.5;
  s.SourceImageStartStepColorMultiplier = s.SourceImageEndStepColorMultiplier = 2.75;
  s.SourceImageRepeatByIntegers = true;
  s.Steps = 4;
  s.ImageWidth = s.ImageHeight = 16;
  s.StartGrain = s.EndGrain = 1;
  FrameValues frame = stillFrame(s, 0);
  frame.offsetStart[kRepeatPerStep] = frame.offsetEnd[kRepeatPerStep] = 0.25;
  frame.offsetStart[kRepeatOverall] = frame.offsetEnd[kRepeatOverall] = 0.5;
  std::vector<std::array<double, 4>> seen;
  engine.onStep = [&](int) {
    const StepValues& v = engine.step();
    seen.push_back({v.CurrentSourceThetaRepeat, v.CurrentSourceStepRepeat, v.animatedOffsets[kRepeatPerStep],
                    v.animatedOffsets[kRepeatOverall]});
  };
  engine.beginAnimation();
  engine.setAnimationFrame(frame);
  engine.RunDrawing();
  engine.endAnimation();
  ASSERT_EQ(seen.size(), 4u);
  for (const auto& v : seen) EXPECT_EQ(v, (std::array<double, 4>{1, 2, 0.25, 0.5}));
}

TEST_F(SourceSample, IntegerRepeatsPerStep) {
  Settings& s = engine.settings;
  s.SourceImageStartThetaColorMultiplier = 1;
  s.SourceImageEndThetaColorMultiplier = 3;
  s.SourceImageRepeatByIntegers = true;
  s.Steps = 10;
  s.ImageWidth = s.ImageHeight = 16;
  s.StartGrain = s.EndGrain = 1;
  std::vector<double> repeats;
  engine.onStep = [&](int) { repeats.push_back(engine.step().CurrentSourceThetaRepeat); };
  engine.DrawOrStop();
  EXPECT_EQ(repeats, (std::vector<double>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2}));
  EXPECT_EQ(engine.step().CurrentSourceThetaRepeat, 3);  // the last step (which draws nothing)
}

TEST_F(Pictures, BrokenImagesChangeNothing) {
  const std::string good = makeImage(dir, "good.png", 3, 3, [](int, int) {
    return std::array<std::uint8_t, 3>{1, 2, 3};
  });
  ASSERT_TRUE(engine.LoadSourceImage(good));
  std::string bytes = test::readFile(good);
  test::writeFile(dir.file("cut.png"), bytes.substr(0, bytes.size() / 2));
  test::writeFile(dir.file("cut.jpg"), "\xFF\xD8\xFF\xE0 not really");
  test::writeFile(dir.file("cut.bmp"), "BM\x10");
  test::writeFile(dir.file("picture.gif"), "GIF89a");
  for (const char* name : {"cut.png", "cut.jpg", "cut.bmp", "picture.gif"}) {
    host.messages.clear();
    EXPECT_FALSE(engine.LoadSourceImage(dir.file(name)));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(dir.file(name)), std::string::npos) << host.messages[0];
    EXPECT_FALSE(engine.loadBackgroundImage(dir.file(name)));
  }
  EXPECT_EQ(engine.sourceImage().w, 3);
  EXPECT_EQ(engine.settings.SourceImageFileName, good);
  EXPECT_FALSE(engine.backgroundImage().present());
  host.messages.clear();
  EXPECT_FALSE(engine.LoadSourceImage(dir.file("missing.png")));
  EXPECT_EQ(host.messages, (std::vector<std::string>{"file: \n" + dir.file("missing.png") + "  does not exist"}));
}

// ---- background image ------------------------------------------------------------

struct Background : Pictures {
  // The picture's red channel after a reset, picture row y counted from the bottom.
  int red(int x, int y) { return static_cast<int>(engine.canvas().ColorArray(0, x, y)); }
  void reset(int w, int h) {
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.settings.UseBackgroundImage = true;
    engine.ClearPicture();
  }
  void position(bool centred, bool stretched, bool tiled) {
    engine.settings.BackgroundImagePositionCentered = centred;
    engine.settings.BackgroundImagePositionStretched = stretched;
    engine.settings.BackgroundImagePositionTiled = tiled;
  }
};

TEST_F(Background, CentredStretchedTiledAndNone) {
  engine.settings.BgMaxRed = 1;
  // 400 x 200, red = 100 + column / 4 (never 1).
  ASSERT_TRUE(engine.loadBackgroundImage(makeImage(dir, "bg.png", 400, 200, [](int x, int) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(100 + x / 4), 0, 0};
  })));
  position(true, false, false);
  reset(800, 800);
  int inside = 0;
  for (int x = 0; x < 800; x += 7)
    for (int y = 0; y < 800; y += 7) {
      const bool expected = x >= 200 && x < 600 && y >= 300 && y < 500;
      inside += expected;
      EXPECT_EQ(red(x, y) != 1, expected) << x << "," << y;
    }
  EXPECT_GT(inside, 0);
  EXPECT_EQ(red(200, 300), 100);
  EXPECT_EQ(red(599, 499), 199);

  // A 2 x 2 image stretched on 4 x 4: 2 x 2 blocks; image row 0 is its top.
  ASSERT_TRUE(engine.loadBackgroundImage(makeImage(dir, "two.png", 2, 2, [](int x, int y) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(10 * x + 100 * y + 5), 0, 0};
  })));
  position(false, true, false);
  reset(4, 4);
  EXPECT_EQ(red(0, 0), 105);  // bottom left: image (0, 1)
  EXPECT_EQ(red(1, 1), 105);
  EXPECT_EQ(red(3, 0), 115);
  EXPECT_EQ(red(2, 3), 15);
  EXPECT_EQ(red(0, 3), 5);

  // A 3 x 3 image tiled on 10 x 10 repeats from the bottom left.
  ASSERT_TRUE(engine.loadBackgroundImage(makeImage(dir, "three.png", 3, 3, [](int x, int y) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(10 * x + (2 - y) + 50), 0, 0};
  })));
  position(false, false, true);
  reset(10, 10);
  for (int x = 0; x < 10; ++x)
    for (int y = 0; y < 10; ++y) EXPECT_EQ(red(x, y), 50 + 10 * (x % 3) + y % 3) << x << "," << y;

  // Tiled wins over the others; with none on, every pixel takes the bottom-left one.
  position(true, true, true);
  reset(10, 10);
  EXPECT_EQ(red(4, 4), 50 + 10 + 1);
  position(false, false, false);
  reset(10, 10);
  EXPECT_EQ(red(9, 9), 50);
  EXPECT_EQ(red(0, 0), 50);
}

TEST_F(Background, CanvasAsBackgroundAndResize) {
  engine.settings.ImageWidth = engine.settings.ImageHeight = 30;
  engine.settings.Steps = 20;
  engine.settings.StartGrain = engine.settings.EndGrain = 40;
  engine.ClearPicture();
  engine.DrawOrStop();
  const std::vector<double> drawn = engine.canvas().color.vector();
  engine.useCanvasAsBackground();
  engine.settings.UseBackgroundImage = true;
  engine.ClearPicture();
  for (std::size_t i = 0; i < drawn.size(); ++i) ASSERT_EQ(engine.canvas().color[i], std::nearbyint(drawn[i])) << i;
  EXPECT_EQ(engine.canvas().FirstStepArray(15, 15), kNeverPainted);  // painted pixels count as new paper

  // "Resize canvas?" takes the image's size within 1 .. 6000, else says so.
  engine.settings.BackgroundImageResizeCanvas = true;
  ASSERT_TRUE(engine.loadBackgroundImage(
      makeImage(dir, "wide.png", 7000, 5, [](int, int) { return std::array<std::uint8_t, 3>{}; })));
  EXPECT_EQ(host.messages.back(), "Sorry, the canvas must be between 1 and 6000 pixels on all sides.");
  EXPECT_EQ(engine.W(), 30);
  EXPECT_EQ(host.statuses.back(), "Applied background image settings");
  ASSERT_TRUE(engine.loadBackgroundImage(
      makeImage(dir, "small.png", 17, 9, [](int, int) { return std::array<std::uint8_t, 3>{}; })));
  EXPECT_EQ(engine.W(), 17);
  EXPECT_EQ(engine.H(), 9);
  EXPECT_EQ(engine.settings.ImageWidth, 17);
}

// ---- picture output ---------------------------------------------------------------

struct PngInfo {
  int width = 0, height = 0, colourType = 0;
  std::vector<std::uint8_t> pixels;  // as stored, RGB or RGBA
};

PngInfo readPng(const std::string& path) {
  PngInfo info;
  const std::string bytes = test::readFile(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
  info.width = static_cast<int>(image.width);
  info.height = static_cast<int>(image.height);
  image.format = (image.format & PNG_FORMAT_FLAG_ALPHA) ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  info.colourType = (image.format & PNG_FORMAT_FLAG_ALPHA) ? 6 : 2;
  info.pixels.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, info.pixels.data(), 0, nullptr));
  return info;
}

std::set<std::string> filesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST_F(Pictures, SavedSetsAndTheirNames) {
  const std::filesystem::path out = dir.path() / "out";
  std::filesystem::create_directory(out);
  engine.settings.SaveDir = out.string();
  engine.settings.ImageWidth = 40;
  engine.settings.ImageHeight = 30;
  engine.ClearPicture();
  auto png = engine.buttonSaveImageClick();
  ASSERT_TRUE(png);
  // Exactly the picture and the settings copy, under base name + time stamp.
  auto names = filesIn(out);
  ASSERT_EQ(names.size(), 2u);
  const std::regex stamp(R"(zorva\d{8}_\d{2}_\d{2}_\d{2}__\d{3})");
  const std::string stem = std::filesystem::path(*png).stem().string();
  EXPECT_TRUE(std::regex_match(stem, stamp)) << stem;
  EXPECT_TRUE(names.count(stem + ".png"));
  EXPECT_TRUE(names.count(stem + ".ini"));
  EXPECT_EQ(host.statuses.back(), "Saved " + *png);
  EXPECT_NE(test::readFile((out / (stem + ".ini")).string()).find("style=sine"), std::string::npos);

  PngInfo info = readPng(*png);
  EXPECT_EQ(info.width, 40);
  EXPECT_EQ(info.colourType, 2);

  // With curves (two points or more) and the source image copy.
  std::filesystem::remove_all(out);
  std::filesystem::create_directory(out);
  qCurve line, dot;
  line.AddPoint(0, 0);
  line.AddPoint(1, 1);
  dot.AddPoint(3, 3);
  engine.setSlotCurve(0, line);
  engine.setSlotCurve(29, line);
  engine.setSlotCurve(5, dot);  // one point: no file
  ASSERT_TRUE(engine.LoadSourceImage(makeImage(dir, "s.png", 5, 3, [](int x, int y) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9};
  })));
  engine.settings.SaveSourceImageFile = true;
  png = engine.buttonSaveImageClick(dir.file("out/set"));
  ASSERT_TRUE(png);
  EXPECT_EQ(filesIn(out), (std::set<std::string>{"set.png", "set.ini", "set_source.png", "set_Main_-_Path_curve.curve",
                                                 "set_Splodge_-_Size.curve"}));
  PngInfo source = readPng(dir.file("out/set_source.png"));
  EXPECT_EQ(source.width, 5);
  EXPECT_EQ(source.height, 3);
  EXPECT_EQ(source.pixels[(1 * 5 + 4) * 3], 4);
  EXPECT_EQ(source.pixels[(1 * 5 + 4) * 3 + 1], 1);
}

TEST_F(Pictures, TransparentSaveCarriesTheMask) {
  engine.settings.ImageWidth = 8;
  engine.settings.ImageHeight = 6;
  engine.settings.Opacity = 10;
  engine.ClearPicture();
  engine.canvas().ColorArray(0, 1, 1) = 0;
  engine.canvas().ColorArray(1, 1, 1) = 128;
  engine.drawArrayOnImage();
  engine.toggleTransparency();
  auto png = engine.buttonSaveImageClick(dir.file("clear"));
  ASSERT_TRUE(png);
  PngInfo info = readPng(*png);
  ASSERT_EQ(info.colourType, 6);
  const Bitmap24& pic = engine.picture();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const std::uint8_t* p = pic.row(y) + x * 3;
      const std::uint8_t* q = &info.pixels[static_cast<std::size_t>((y * 8 + x) * 4)];
      EXPECT_EQ(q[0], p[2]);
      EXPECT_EQ(q[3], Engine::transparencyAlpha(p[2], p[1], p[0], true, 10));
    }
  // Buffer row 1 is picture row 4: the inked pixel is opaque, white paper clear.
  EXPECT_EQ(info.pixels[(4 * 8 + 1) * 4 + 3], 255);
  EXPECT_EQ(info.pixels[3], 0);
}

TEST_F(Pictures, SaveFolderFallsBackAndFailuresAreReported) {
  engine.settings.SaveDir = dir.file("gone");
  engine.settings.ImageWidth = engine.settings.ImageHeight = 5;
  engine.ClearPicture();
  auto png = engine.buttonSaveImageClick();
  ASSERT_TRUE(png);
  EXPECT_EQ(engine.settings.SaveDir, dir.path().string() + "/");
  EXPECT_EQ(std::filesystem::path(*png).parent_path(), dir.path());

  host.messages.clear();
  EXPECT_FALSE(engine.buttonSaveImageClick(dir.file("no/such/folder/x")));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].rfind("buttonSaveImageClick: ", 0), 0u);
}

}  // namespace
}  // namespace zorva
