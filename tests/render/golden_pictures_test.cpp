// Small pictures of every drawing function and colour mode, pinned by the
// hash of their decoded pixels and of the PNG file. The formulas behind them
// are checked one by one in formulas_test.cpp; these pins were taken after
// those passed and after the pictures were looked at. A change of the pixel
// hash is a change of the drawing; a change of the file hash alone is a
// change of the PNG encoding only.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>

#include "io/image_io.h"
#include "render/engine.h"
#include "support/fnv_hash.h"
#include "support/test_support.h"

namespace zorva {
namespace {

enum SourceUse { kNoSource, kSource, kOpaqueSource };

struct Golden {
  const char* name;
  void (*set)(Settings&);
  SourceUse source;
  std::uint64_t pixels, file;
};

void addOnBlack(Settings& s) {
  s.White = false;
  s.BgMaxRed = s.BgMaxGreen = s.BgMaxBlue = 0;
}

const Golden kGolden[] = {
    {"Sine Wobble", [](Settings&) {}, kNoSource, 0x22d38de285b85405, 0xcc8b669afc0b2c5f},
    {"Tan Thing, tangent bumps", [](Settings& s) { s.FunctionNumber = 1, s.TanBumps = true; }, kNoSource,
     0x6c1a0abc7e3a352c, 0xaecc889a734b179d},
    {"Line", [](Settings& s) { s.FunctionNumber = 2; }, kNoSource, 0xb27f96117deb02cc, 0xb1c417306408722d},
    {"Circles", [](Settings& s) { s.FunctionNumber = 3; }, kNoSource, 0xf54a3536c15e9bac, 0x8e6cfc02f53aeeb5},
    {"Ellipses", [](Settings& s) { s.FunctionNumber = 4, s.EndEllipseHeight = 2; }, kNoSource, 0xff4125059a9caeaf,
     0x4592e9d651a393c},
    {"Ellipses, alternate",
     [](Settings& s) { s.FunctionNumber = 4, s.UseEllipsesTwo = s.EllipsesTwo = true, s.LissaDelta = 5; }, kNoSource,
     0x9f7bca4152e6b6bd, 0x3a8b1f89830efcea},
    {"Lissajous",
     [](Settings& s) { s.FunctionNumber = 5, s.StartEllipseWidth = 2, s.EndEllipseHeight = 3, s.LissaDelta = 2; },
     kNoSource, 0xf4d58029b8869230, 0x38d4dd9e705b8388},
    {"Test", [](Settings& s) { s.FunctionNumber = 6, s.EndEllipseHeight = 2; }, kNoSource, 0xd19ef78725eefd32,
     0x942896b708f0a5eb},
    {"plovk2716",
     [](Settings& s) {
       s.FunctionNumber = 7, s.EndEllipseHeight = 2, s.ZorvaPointsXStart = -0.5, s.ZorvaPointsXEnd = 0.5;
     },
     kNoSource, 0xf8e8d3d4717d6e6f, 0x3a2a3f2ad986d89e},
    {"Add on black", [](Settings& s) { addOnBlack(s); }, kNoSource, 0xc09522b25242836b, 0xa4f7e9409ab6cc9b},
    {"Best Guess on grey",
     [](Settings& s) { s.White = false, s.BestGuess = true, s.BgMaxRed = s.BgMaxGreen = 60, s.BgMaxBlue = 20; },
     kNoSource, 0xbd2453bd13858eca, 0xd26c4f18c7f6c97a},
    {"Colours as limits, Add", [](Settings& s) { s.White = false, s.UseColorsAsLimits = true; }, kNoSource,
     0x9d3312df450bb405, 0x638a8af609f95835},
    {"Colours as limits, Subtract", [](Settings& s) { s.UseColorsAsLimits = true; }, kNoSource, 0xa4993919d9553ac1,
     0xc01d80e07c78cd5d},
    {"Normalise, Subtract", [](Settings& s) { s.InterpolateColors = true; }, kNoSource, 0xb347e22cf9f11185,
     0x3e69c473b05e218b},
    {"Normalise, Add", [](Settings& s) { addOnBlack(s), s.InterpolateColors = true; }, kNoSource, 0x5c51c5c54de0d3c5,
     0xcd52db9d9a7fe3fc},
    {"A -> B -> A", [](Settings& s) { s.ABA = true, s.StepColorMultiplier = 2; }, kNoSource, 0xc2be0389dc9ac764,
     0xa1c463177078a4eb},
    {"Alternative colouring", [](Settings& s) { s.NewColor = true, s.ThetaColorMultiplier = 3; }, kNoSource,
     0xa9f74149920b5878, 0x8dad29bd811ad},
    {"Alternative colouring, 063", [](Settings& s) { s.NewColor = s.OneOrTwo = true; }, kNoSource, 0xa26b0e221af64b1a,
     0x4155c96171b75c70},
    {"Source image", [](Settings&) {}, kSource, 0x74e8d2d306651847, 0x47f322c67df0aecb},
    {"Source image, opaque", [](Settings&) {}, kOpaqueSource, 0x74d5b0bf42534034, 0xc2e6652b9545ce},
    {"Source image, opaque, Add", [](Settings& s) { addOnBlack(s); }, kOpaqueSource, 0x1990603b205052,
     0xa78fd7fa36bde1f2},
    {"Old inking", [](Settings& s) { s.BoolInk246 = true; }, kNoSource, 0x5fecf5c87c5d2976, 0x1801edf77edb9527},
    {"Old inking, source image, opaque", [](Settings& s) { s.BoolInk246 = true; }, kOpaqueSource, 0x9a281b631ee21782,
     0xdfa0cd4f6787d94e},
    {"Wobble", [](Settings& s) { s.Wobble = true; }, kNoSource, 0x3fd3af53730955b8, 0xb2ed27e81f37a04a},
    {"Wobble, 31", [](Settings& s) { s.Wobble = s.Use31 = true; }, kNoSource, 0xab24a1b455742313, 0xcdad1071bd83babe},
    {"Random scatter", [](Settings& s) { s.UseIotaExtra = true; }, kNoSource, 0x879f85780360901b, 0xaa19d1de71b7d585},
    {"Rocks", [](Settings& s) { s.NumberOfRocks = 2, s.StartRockerAmount = 20, s.EndRockerAmount = 60; }, kNoSource,
     0x2fe4a8a1f4e6bc03, 0x6705b8ce9a410c62},
    {"Plane rotation and translation",
     [](Settings& s) {
       s.PlaneStartRotationAngle = 10, s.PlaneEndRotationAngle = 80, s.PlaneStartRotationX = 0.5,
       s.PlaneEndTranslationY = 0.6;
     },
     kNoSource, 0x3796f96356fa901c, 0x76076120da03c9b8},
    {"Dimmer, Z factor, grain by depth",
     [](Settings& s) { s.UseDimmer = s.UseZFactor = s.AdjustGrain = s.GrainByDepth = true; }, kNoSource,
     0xc81d3fd569bb1873, 0x2aa2054308c57d31},
};

// PNG bytes to 8-bit RGB rows, top first, by libpng itself.
std::vector<std::uint8_t> decodePng(const std::string& bytes, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<std::uint8_t> rgb;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return rgb;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}

struct Rendered {
  std::uint64_t pixels = 0, file = 0;
};

Rendered render(const Golden& g, const test::TempDir& dir, const std::string& source, int threads) {
  Engine engine;
  engine.setThreads(threads);
  engine.random().seed(20260101);
  engine.setNormalisationDivisor(1);  // as after reading settings
  Settings& s = engine.settings;
  s.ImageWidth = 64;
  s.ImageHeight = 48;
  s.Steps = 6;
  s.StartGrain = 30;
  s.EndGrain = 50;
  s.StartRadius = 60;
  s.EndRadius = 110;
  s.StartBumps = 3;
  s.EndBumps = 6;
  s.EndIota = 120;
  s.StartAmount = s.EndAmount = 2500;
  g.set(s);
  if (g.source != kNoSource) {
    EXPECT_TRUE(engine.LoadSourceImage(source));
    s.UseOpaquePixels = g.source == kOpaqueSource;
  }
  engine.ClearPicture();
  engine.DrawOrStop();

  // ZORVA_GOLDEN_DIR keeps the pictures for looking at.
  const char* keep = std::getenv("ZORVA_GOLDEN_DIR");
  const std::string stem = (keep ? std::string(keep) + "/" : dir.file("")) + g.name + " " + std::to_string(threads);
  const auto png = engine.buttonSaveImageClick(stem);
  EXPECT_TRUE(png);
  if (!png) return {};
  const std::string bytes = test::readFile(*png);
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rgb = decodePng(bytes, w, h);
  EXPECT_EQ(rgb.size(), 64u * 48 * 3);

  return {test::fnv1a64(rgb.data(), rgb.size()), test::fnv1a64(bytes)};
}

TEST(GoldenPictures, EveryFunctionAndColourMode) {
  test::TempDir dir;
  // A 6 x 4 source image with a colour of its own in every pixel.
  std::vector<std::uint8_t> rgb;
  for (int i = 0; i < 6 * 4; ++i)
    for (int v : {i * 10, 240 - i * 7, (i % 3) * 120}) rgb.push_back(static_cast<std::uint8_t>(v));
  const std::string source = dir.file("source.png");
  ASSERT_FALSE(writePng(source, 6, 4, rgb.data(), 6 * 3, nullptr));

  for (const Golden& g : kGolden) {
    SCOPED_TRACE(g.name);
    const Rendered one = render(g, dir, source, 1), two = render(g, dir, source, 2);
    EXPECT_EQ(two.pixels, one.pixels) << "the picture depends on the number of threads";
    EXPECT_EQ(two.file, one.file);
    EXPECT_EQ(one.pixels, g.pixels) << "the drawing changed; now {\"" << g.name << "\", ..., 0x" << std::hex
                                    << one.pixels << ", 0x" << one.file << "}";
    if (one.pixels == g.pixels) {
      EXPECT_EQ(one.file, g.file) << "same pixels, other PNG bytes: the encoding changed; now 0x" << std::hex
                                  << one.file;
    }
  }
}

}  // namespace
}  // namespace zorva
