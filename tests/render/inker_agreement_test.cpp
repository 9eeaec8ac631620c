// The fast path must leave exactly the buffers the reference leaves, with
// any number of threads, on every kind of drawing.
#include <gtest/gtest.h>

#include <random>

#include "io/image_io.h"
#include "render/engine.h"
#include "support/test_support.h"

namespace zorva {
namespace {

struct Case {
  Settings settings;
  std::array<std::vector<std::pair<double, double>>, kMultiplierCount> curves;
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
  for (int slot = 0; slot < kMultiplierCount; ++slot) {
    qCurve curve;
    for (auto [x, y] : c.curves[static_cast<std::size_t>(slot)]) curve.AddPoint(x, y);
    engine.setSlotCurve(slot, curve);
  }
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
  const int w = 7, h = 5;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>((i * 97 + 13) % 256);
  const std::string source = dir.file("source.png");
  ASSERT_FALSE(writePng(source, w, h, rgb.data(), w * 3, nullptr));

  std::mt19937 rng(20261206);
  const int cases = 160;
  for (int n = 0; n < cases; ++n) {
    const Case c = randomCase(rng);
    const Result reference = render(c, source, InkerKind::Reference, 1, false);
    for (auto [threads, tiny] : {std::pair{1, false}, {2, true}, {3, false}, {3, true}, {7, true}}) {
      const Result fast = render(c, source, InkerKind::Fast, threads, tiny);
      ASSERT_EQ(fast.firstStep, reference.firstStep) << "case " << n << ", " << threads << " threads";
      ASSERT_EQ(fast.color.size(), reference.color.size());
      for (std::size_t i = 0; i < fast.color.size(); ++i) {
        // Bit for bit; NaN never appears, so == is exact equality.
        ASSERT_EQ(fast.color[i], reference.color[i]) << "case " << n << ", " << threads << " threads, value " << i;
      }
      ASSERT_EQ(fast.randomState, reference.randomState) << "case " << n;
      ASSERT_EQ(fast.zFactor, reference.zFactor) << "case " << n;
      ASSERT_EQ(fast.stats.points, reference.stats.points) << "case " << n;
      ASSERT_EQ(fast.stats.pixelUpdates, reference.stats.pixelUpdates) << "case " << n;
    }
  }
}

}  // namespace
}  // namespace zorva
