// Whole drawings. Small pictures of every drawing function and colour mode
// are pinned by the hash of their decoded pixels and of the PNG file; the
// formulas behind them are checked one by one in formulas_test.cpp, and these
// pins were taken after those passed and after the pictures were looked at. A
// change of the pixel hash is a change of the drawing; a change of the file
// hash alone is a change of the PNG encoding only. On random drawings of every
// kind the fast path must leave exactly the buffers the reference leaves, with
// any number of threads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "render/engine.h"
#include "support/curves.h"
#include "support/fnv_hash.h"
#include "support/images.h"
#include "support/settings_text.h"

namespace zorva {
namespace {

struct Golden {
  const char* name;
  const char* keys;  // the settings on top of the common ones
  bool source;       // with the source image
  std::uint64_t pixels, file;
};

const Golden kGolden[] = {
    {"Sine Wobble", "", false, 0x22d38de285b85405, 0xcc8b669afc0b2c5f},
    {"Tan Thing, tangent bumps", "FunctionNumber=1 TanBumps=1", false, 0x6c1a0abc7e3a352c, 0xaecc889a734b179d},
    {"Line", "FunctionNumber=2", false, 0xb27f96117deb02cc, 0xb1c417306408722d},
    {"Circles", "FunctionNumber=3", false, 0xf54a3536c15e9bac, 0x8e6cfc02f53aeeb5},
    {"Ellipses", "FunctionNumber=4 EndEllipseHeight=2", false, 0xff4125059a9caeaf, 0x4592e9d651a393c},
    {"Ellipses, alternate", "FunctionNumber=4 UseEllipsesTwo=1 EllipsesTwo=1 LissaDelta=5", false, 0x9f7bca4152e6b6bd,
     0x3a8b1f89830efcea},
    {"Lissajous", "FunctionNumber=5 StartEllipseWidth=2 EndEllipseHeight=3 LissaDelta=2", false, 0xf4d58029b8869230,
     0x38d4dd9e705b8388},
    {"Test", "FunctionNumber=6 EndEllipseHeight=2", false, 0xd19ef78725eefd32, 0x942896b708f0a5eb},
    {"plovk2716", "FunctionNumber=7 EndEllipseHeight=2 ZorvaPointsXStart=-0.5 ZorvaPointsXEnd=0.5", false,
     0xf8e8d3d4717d6e6f, 0x3a2a3f2ad986d89e},
    {"Add on black", "White=0 BgMaxRed=0 BgMaxGreen=0 BgMaxBlue=0", false, 0xc09522b25242836b, 0xa4f7e9409ab6cc9b},
    {"Best Guess on grey", "White=0 BestGuess=1 BgMaxRed=60 BgMaxGreen=60 BgMaxBlue=20", false, 0xbd2453bd13858eca,
     0xd26c4f18c7f6c97a},
    {"Colours as limits, Add", "White=0 UseColorsAsLimits=1", false, 0x9d3312df450bb405, 0x638a8af609f95835},
    {"Colours as limits, Subtract", "UseColorsAsLimits=1", false, 0xa4993919d9553ac1, 0xc01d80e07c78cd5d},
    {"Normalise, Subtract", "InterpolateColors=1", false, 0xb347e22cf9f11185, 0x3e69c473b05e218b},
    {"Normalise, Add", "White=0 BgMaxRed=0 BgMaxGreen=0 BgMaxBlue=0 InterpolateColors=1", false, 0x5c51c5c54de0d3c5,
     0xcd52db9d9a7fe3fc},
    {"A -> B -> A", "ABA=1 StepColorMultiplier=2", false, 0xc2be0389dc9ac764, 0xa1c463177078a4eb},
    {"Alternative colouring", "NewColor=1 ThetaColorMultiplier=3", false, 0xa9f74149920b5878, 0x8dad29bd811ad},
    {"Alternative colouring, 063", "NewColor=1 OneOrTwo=1", false, 0xa26b0e221af64b1a, 0x4155c96171b75c70},
    {"Source image", "", true, 0x74e8d2d306651847, 0x47f322c67df0aecb},
    {"Source image, opaque", "UseOpaquePixels=1", true, 0x74d5b0bf42534034, 0xc2e6652b9545ce},
    {"Source image, opaque, Add", "White=0 BgMaxRed=0 BgMaxGreen=0 BgMaxBlue=0 UseOpaquePixels=1", true,
     0x1990603b205052, 0xa78fd7fa36bde1f2},
    {"Old inking", "BoolInk246=1", false, 0x5fecf5c87c5d2976, 0x1801edf77edb9527},
    {"Old inking, source image, opaque", "BoolInk246=1 UseOpaquePixels=1", true, 0x9a281b631ee21782,
     0xdfa0cd4f6787d94e},
    {"Wobble", "Wobble=1", false, 0x3fd3af53730955b8, 0xb2ed27e81f37a04a},
    {"Wobble, 31", "Wobble=1 31=1", false, 0xab24a1b455742313, 0xcdad1071bd83babe},
    {"Random scatter", "UseIotaExtra=1", false, 0x879f85780360901b, 0xaa19d1de71b7d585},
    {"Rocks", "NumberOfRocks=2 StartRockerAmount=20 EndRockerAmount=60", false, 0x2fe4a8a1f4e6bc03, 0x6705b8ce9a410c62},
    {"Plane rotation and translation",
     "PlaneStartRotationAngle=10 PlaneEndRotationAngle=80 PlaneStartRotationX=0.5 PlaneEndTranslationY=0.6", false,
     0x3796f96356fa901c, 0x76076120da03c9b8},
    {"Dimmer, Z factor, grain by depth", "UseDimmer=1 UseZFactor=1 AdjustGrain=1 GrainByDepth=1", false,
     0xc81d3fd569bb1873, 0x2aa2054308c57d31},
};

struct Rendered {
  std::uint64_t pixels = 0, file = 0;
};

Rendered render(const Golden& g, const test::TempDir& dir, const std::string& source, int threads) {
  Engine engine;
  engine.setThreads(threads);
  engine.random().seed(20260101);
  engine.setNormalisationDivisor(1);  // as after reading settings
  test::setKeys(engine.settings,
                "ImageWidth=64 ImageHeight=48 Steps=6 StartGrain=30 EndGrain=50 StartRadius=60 EndRadius=110 "
                "StartBumps=3 EndBumps=6 EndIota=120 StartAmount=2500 EndAmount=2500");
  test::setKeys(engine.settings, g.keys);
  EXPECT_TRUE(!g.source || engine.LoadSourceImage(source));
  engine.ClearPicture();
  engine.DrawOrStop();

  // ZORVA_GOLDEN_DIR keeps the pictures for looking at.
  const char* keep = std::getenv("ZORVA_GOLDEN_DIR");
  const std::string stem = (keep ? std::string(keep) + "/" : dir.file("")) + g.name + " " + std::to_string(threads);
  const auto png = engine.buttonSaveImageClick(stem);
  EXPECT_TRUE(png);
  if (!png) return {};
  const std::string bytes = test::readFile(*png);
  const std::vector<std::uint8_t> rgb = test::decodePng(bytes).pixels;
  EXPECT_EQ(rgb.size(), 64u * 48 * 3);
  return {test::fnv1a64(rgb.data(), rgb.size()), test::fnv1a64(bytes)};
}

TEST(GoldenPictures, EveryFunctionAndColourMode) {
  test::TempDir dir;
  // A 6 x 4 source image with a colour of its own in every pixel.
  const std::string source = test::writeImage(dir, "source.png", 6, 4, [](int x, int y) {
    const int i = 6 * y + x;
    return std::array{i * 10, 240 - i * 7, (i % 3) * 120};
  });

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

// ---- the fast path against the reference ---------------------------------------

struct Case {
  Settings settings;
  std::array<std::vector<qCoord>, kMultiplierCount> curves;
  bool sourceImage = false;
  bool arctan2 = false;
  std::optional<std::pair<int, int>> mouse;
  std::uint32_t seed = 0;
  std::string describe;
};

// Random settings over every function and option; odd sizes and splodges
// that cross the edges.
Case randomCase(std::mt19937& rng) {
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto chance = [&](double p) { return uniform(0, 1) < p; };
  // Drawn in this order, one after the other: the cases depend on it.
  auto ints = [&](int lo, int hi, std::initializer_list<std::int32_t*> to) {
    for (std::int32_t* v : to) *v = integer(lo, hi);
  };
  auto reals = [&](double lo, double hi, std::initializer_list<double*> to) {
    for (double* v : to) *v = uniform(lo, hi);
  };
  auto flags = [&](double p, std::initializer_list<bool*> to) {
    for (bool* v : to) *v = chance(p);
  };
  Case c;
  Settings& s = c.settings;
  ints(11, 70, {&s.ImageWidth, &s.ImageHeight});
  ints(0, 7, {&s.FunctionNumber});
  ints(2, 24, {&s.Steps});
  s.PercentToComplete = chance(0.2) ? integer(10, 100) : 100;
  ints(-150, 250, {&s.StartRadius, &s.EndRadius});
  ints(-9, 9, {&s.StartBumps, &s.EndBumps});
  s.StartDepth = chance(0.05) ? 0 : integer(1, 6);
  ints(1, 6, {&s.EndDepth});
  ints(-720, 720, {&s.StartIota, &s.EndIota});
  ints(60, 300, {&s.StartScale, &s.EndScale});
  reals(0.5, 90, {&s.StartGrain, &s.EndGrain});
  ints(1, 4, {&s.GrainMultiplier});
  flags(0.2, {&s.TanBumps});
  ints(0, 255,
       {&s.StartMaxRed, &s.StartMaxGreen, &s.StartMaxBlue, &s.EndMaxRed, &s.EndMaxGreen, &s.EndMaxBlue, &s.BgMaxRed});
  s.BgMaxGreen = chance(0.5) ? s.BgMaxRed : integer(0, 255);
  ints(0, 255, {&s.BgMaxBlue});
  ints(0, 900, {&s.StartAmount, &s.EndAmount});
  ints(-4, 4, {&s.ThetaColorMultiplier, &s.StepColorMultiplier});
  flags(0.2, {&s.UseColorsAsLimits});
  flags(0.3, {&s.OneOrTwo});
  flags(0.5, {&s.White});
  s.BestGuess = !s.White && chance(0.4);
  flags(0.3, {&s.NewColor, &s.ABA});
  reals(-3, 3, {&s.StartEllipseWidth, &s.StartEllipseHeight, &s.EndEllipseWidth, &s.EndEllipseHeight});
  s.LissaDelta = integer(chance(0.1) ? -1 : 1, 6);
  flags(0.4, {&s.EllipsesTwo, &s.UseEllipsesTwo});
  flags(0.3, {&s.AdjustGrain, &s.Use31, &s.RockOffsetInAnimation});
  reals(-40, 40, {&s.StartRockerAmount, &s.EndRockerAmount});
  reals(0, 4, {&s.NumberOfRocks});
  flags(0.3, {&s.UseZFactor, &s.UseIotaExtra});
  const bool bigSplodge = chance(0.05);
  s.SplodgeStartLimit = bigSplodge ? uniform(200, 230) : uniform(-1, 5.5);
  s.SplodgeEndLimit = bigSplodge ? uniform(200, 230) : uniform(0, 5.5);
  s.FuzzyStart = chance(0.1) ? 0 : uniform(-0.5, 3);
  reals(0.2, 3, {&s.FuzzyEnd});
  reals(0, 3, {&s.SplodgeStartCenter, &s.SplodgeEndCenter});
  flags(0.2, {&s.BoolInk246});
  flags(0.3, {&s.GrainByDepth, &s.InterpolateColors, &s.UseDimmer});
  reals(-0.5, 0.5, {&s.PlaneStartTranslationX, &s.PlaneEndTranslationY});
  reals(-90, 90, {&s.PlaneStartRotationAngle, &s.PlaneEndRotationAngle});
  reals(-1, 1, {&s.PlaneStartRotationX, &s.PlaneEndRotationY});
  reals(-2.5, 2.5, {&s.ZorvaPointsXStart});
  reals(-2, 2, {&s.ZorvaPointsYStart});
  reals(-2.5, 2.5, {&s.ZorvaPointsXEnd});
  reals(-2, 2, {&s.ZorvaPointsYEnd, &s.ZorvaPointsRotateXStart, &s.ZorvaPointsRotateYEnd});
  flags(0.1, {&s.ZorvaPointsFollow});
  flags(0.3, {&s.ZorvaPointsUseBezier});
  flags(0.1, {&s.ZorvaPointsFollowRotate});
  flags(0.3, {&s.ZorvaPointsUseBezierRotate, &s.ZorvaPointsUseStartAndEndBezier, &s.ZorvaPointsUseStartAsEnd});
  flags(0.7, {&s.MoveRotation});
  flags(0.3, {&s.Wobble, &s.UseSourceImage});
  c.sourceImage = s.UseSourceImage;
  flags(0.4, {&s.UseOpaquePixels});
  flags(0.3, {&s.SourceImageRepeatByIntegers});
  ints(-3, 3, {&s.SourceImageStartStepColorMultiplier, &s.SourceImageEndThetaColorMultiplier});
  reals(-2, 2, {&s.SourceImageStartOffsetPerStep, &s.SourceImageEndOffsetOverall});
  reals(0, 1, {&s.SourceImageOpacityThreshold});
  for (int slot = 0; slot < kMultiplierCount; ++slot) {
    if (!chance(0.12)) continue;
    const int points = chance(0.2) ? integer(1, 4) : integer(5, 12);
    for (int p = 0; p < points; ++p)
      c.curves[static_cast<std::size_t>(slot)].push_back({uniform(-1.5, 1.5), uniform(-0.8, 0.8)});
  }
  c.arctan2 = chance(0.15);
  if (chance(0.5)) c.mouse = std::pair<int, int>(integer(-5, s.ImageWidth + 5), integer(-5, s.ImageHeight + 5));
  c.seed = static_cast<std::uint32_t>(rng());
  return c;
}

struct Result {
  std::vector<double> color;
  std::vector<std::int32_t> firstStep;
  std::uint32_t randomState;
  double zFactor;
  DrawStats stats;
};

Result render(const Case& c, const std::string& sourceFile, InkerKind inker, int threads, bool tinyTuning) {
  test::RecordingHost host;
  host.mouse = c.mouse;
  Engine engine(&host);
  engine.settings = c.settings;
  engine.setInker(inker);
  engine.setThreads(threads);
  if (tinyTuning) engine.tuning() = {37, 1, 1, 300, 200};
  engine.setUseArctan2(c.arctan2);
  for (int slot = 0; slot < kMultiplierCount; ++slot)
    engine.setSlotCurve(slot, test::curveOf(c.curves[static_cast<std::size_t>(slot)]));
  if (c.sourceImage) {
    EXPECT_TRUE(engine.LoadSourceImage(sourceFile));
    engine.settings.UseSourceImage = c.settings.UseSourceImage;
  }
  engine.random().seed(c.seed);
  engine.ClearPicture();
  engine.DrawOrStop();
  return {engine.canvas().color.vector(), engine.canvas().firstStep.vector(), engine.random().state(),
          engine.step().ZFactor, engine.stats()};
}

TEST(InkerAgreement, FastPathMatchesReferenceOnRandomDrawings) {
  test::TempDir dir;
  // A small source image with every kind of pixel.
  const std::string source = test::writeImage(dir, "source.png", 7, 5, [](int x, int y) {
    const int i = 3 * (7 * y + x);
    return std::array{(i * 97 + 13) % 256, (i * 97 + 110) % 256, (i * 97 + 207) % 256};
  });

  // Random drawings never keep one grain over the steps; the last case does,
  // so that each step walks the angles of the one before, with another depth.
  std::mt19937 rng(20261206);
  std::vector<Case> cases(161);
  for (int n = 0; n < 160; ++n) cases[static_cast<std::size_t>(n)] = randomCase(rng);
  cases.back().settings = test::settingsOf(
      "ImageWidth=30 ImageHeight=30 Steps=6 StartGrain=40 EndGrain=40 StartBumps=4 EndBumps=4 StartDepth=1 EndDepth=6");
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const Case& c = cases[n];
    const Result reference = render(c, source, InkerKind::Reference, 1, false);
    for (auto [threads, tiny] : {std::pair{1, false}, {2, true}, {3, false}, {3, true}, {7, true}}) {
      const Result fast = render(c, source, InkerKind::Fast, threads, tiny);
      ASSERT_EQ(fast.firstStep, reference.firstStep) << "case " << n << ", " << threads << " threads";
      // Bit for bit; NaN never appears, so == is exact equality.
      ASSERT_TRUE(fast.color == reference.color) << "case " << n << ", " << threads << " threads";
      ASSERT_EQ(fast.randomState, reference.randomState) << "case " << n;
      ASSERT_EQ(fast.zFactor, reference.zFactor) << "case " << n;
      ASSERT_EQ(fast.stats.points, reference.stats.points) << "case " << n;
      ASSERT_EQ(fast.stats.pixelUpdates, reference.stats.pixelUpdates) << "case " << n;
    }
  }
}

}  // namespace
}  // namespace zorva
