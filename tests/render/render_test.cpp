// The driver's step loop and its reports, the pixel kernel, the composition
// of the picture and the slot factors.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>

#include "base/math_util.h"
#include "render/engine.h"
#include "render/reference_inker.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

// An engine with a small picture, no settings file and a fixed seed.
struct Drawing : ::testing::Test {
  test::RecordingHost host;
  Engine engine{&host};
  std::vector<int> steps;  // the steps whose geometry ran
  void SetUp() override {
    engine.random().seed(1);
    engine.setThreads(1);
    engine.onStep = [this](int i) { steps.push_back(i); };
  }
  void size(int w, int h) {
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.SetImageDimensions();
    engine.MakePictureBlack();
  }
  void paper(bool white, int grey) {
    engine.settings.White = white;
    engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = grey;
    size(21, 21);
  }
  double& cell(int c, int x, int y) { return engine.canvas().ColorArray(c, x, y); }
  std::int32_t first(int x, int y) { return engine.canvas().FirstStepArray(x, y); }
};

TEST_F(Drawing, InterpolationAndPlaneMapping) {
  EXPECT_EQ(Interpolate(10, 5, 0, 5, 1), 3);
  EXPECT_EQ(Interpolate(10, 20, 0, 5, 1), 9);  // not clamped
  EXPECT_EQ(Interpolate(0, 3, 0, 5, 1), 3);
  EXPECT_NEAR(rotatePointByIota('x', 1, 0, 0, 0, kPi / 2), 0, 1e-15);
  EXPECT_EQ(rotatePointByIota('y', 1, 0, 0, 0, kPi / 2), 1);
  size(800, 800);  // at the start scale of 200
  EXPECT_EQ(engine.getPixelFromReal('x', -2), 0);
  EXPECT_EQ(engine.getPixelFromReal('x', 1.5), 700);
  EXPECT_EQ(engine.getPixelFromReal('y', 1.5), 700);
  EXPECT_FALSE(engine.pixelOnCanvas(800, 0));
  EXPECT_TRUE(engine.pixelOnCanvas(799, 799));
  EXPECT_EQ(engine.getPixelFromReal('x', -2.0000001), -1000000);  // not 0: truncation would say 0
  EXPECT_FALSE(engine.pixelOnCanvas(engine.getPixelFromReal('x', 1e300), 0));
  ConversionFailures failures;
  const PixelMapper wide{PlaneToPixel(1, 1000, 500), &failures};
  EXPECT_EQ(wide.column(0), 500);
  EXPECT_EQ(wide.row(0), 250);
  size(1000, 500);
  engine.settings.StartScale = 100;
  EXPECT_EQ(engine.ConvertXtoXCoord(0), -2);
  EXPECT_EQ(engine.ConvertYtoYCoord(0), 1);
  EXPECT_EQ(engine.ConvertYtoYCoord(500), -1);
}

TEST_F(Drawing, StepGeometryRunsForEveryStepButTheLast) {
  engine.settings.ImageWidth = engine.settings.ImageHeight = 50;
  engine.settings.StartGrain = engine.settings.EndGrain = 5;
  engine.settings.Steps = 1000;
  engine.DrawOrStop();
  ASSERT_EQ(steps.size(), 1000u);
  EXPECT_EQ(steps.back(), 999);
  EXPECT_EQ(host.processed, 1001);
  EXPECT_EQ(host.statuses.back(), "Finished");
  EXPECT_FALSE(engine.isDrawing());

  steps.clear();
  engine.settings.PercentToComplete = 50;
  engine.DrawOrStop();
  EXPECT_EQ(steps.back(), 501);
  EXPECT_EQ(steps.size(), 502u);

  steps.clear();
  engine.settings.PercentToComplete = 100;
  engine.settings.Steps = 100;
  engine.togglePreview();
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 21, 41, 61, 81}));

  // A stop asked for while preview skips steps lands on the next drawn step.
  steps.clear();
  host.onProcessEvents = [&] { engine.DrawOrStop(); };
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0}));
  EXPECT_EQ(host.statuses.back(), "Finished");
}

TEST_F(Drawing, TanThingDrawsLikeSineWobbleAndDepthZeroDrawsNothing) {
  Settings& s = engine.settings;
  s.ImageWidth = 120;
  s.ImageHeight = 90;
  s.Steps = 40;
  s.StartBumps = 3;
  s.EndBumps = 7;
  s.StartIota = 30;
  engine.ClearPicture();
  engine.DrawOrStop();
  const std::vector<double> sine = engine.canvas().color.vector();
  s.FunctionNumber = 1;
  engine.random().seed(1);
  engine.ClearPicture();
  engine.DrawOrStop();
  EXPECT_EQ(engine.canvas().color.vector(), sine);
  s.StartDepth = s.EndDepth = 0;
  engine.ClearPicture();
  engine.DrawOrStop();
  EXPECT_TRUE(
      std::all_of(engine.canvas().color.begin(), engine.canvas().color.end(), [](double v) { return v == 255; }));
}

// Each odd setting is said once per drawing; those that make every step
// undrawable draw no step.
TEST_F(Drawing, OddSettingsAreReportedOnce) {
  Settings& s = engine.settings;
  s.ImageWidth = s.ImageHeight = 30;
  s.Steps = 20;
  s.StartGrain = s.EndGrain = 3;
  const struct {
    const char* keys;
    int drawn;  // steps drawn; -1: not counted
    const char* says;
  } cases[] = {{"Steps=0", 0, "Steps is 0"},
               {"FunctionNumber=12", 20, "Sine Wobble"},
               {"FunctionNumber=5 LissaDelta=0", 0, "Lissa delta"},
               {"GrainMultiplier=0", -1, "huh"},
               {"GrainMultiplier=-2", -1, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    const Settings saved = s;
    test::setKeys(s, c.keys);
    host.messages.clear();
    steps.clear();
    engine.DrawOrStop();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(c.says), std::string::npos) << host.messages[0];
    if (c.drawn >= 0) {
      EXPECT_EQ(steps.size(), static_cast<std::size_t>(c.drawn));
    }
    EXPECT_FALSE(engine.isDrawing());
    s = saved;
  }
}

// ---- inking ------------------------------------------------------------------------

// Inks one point at the centre of pixel (10, 10) of a 21 x 21 picture.
struct Inking : Drawing {
  StepValues values;
  void SetUp() override {
    Drawing::SetUp();
    paper(false, 0);
    values.CurrentScale = 1;
    values.StepAmount = {1, 1, 1};
    values.StepColor = {255, 255, 255};
  }
  // Inks point 1 of 10 of step 3 at (x, y), by default the plane point of
  // pixel (10, 10), the centre of the picture.
  void ink(double size = 2, int step = 3, double x = 0, double y = 0) {
    const InkStep ink = makeInkStep(engine.settings, values, FrameValues{}, engine.sourceImage(), step, 10);
    ConversionFailures failures;
    const PixelMapper pixels{PlaneToPixel(values.CurrentScale, engine.W(), engine.H()), &failures};
    DrawStats stats;
    addColorToPixels(engine.canvas(), ink, pixels, x, y, size, 1, 10, 1, stats);
  }
  int count(auto pred) {
    int n = 0;
    for (int x = 0; x < 21; ++x)
      for (int y = 0; y < 21; ++y) n += pred(x, y);
    return n;
  }
};

TEST_F(Inking, SplodgeShapes) {
  ink();
  EXPECT_EQ(count([&](int x, int y) { return first(x, y) == 3; }), 13);
  EXPECT_EQ(count([&](int x, int y) { return cell(0, x, y) > 0; }), 9);  // the four at distance 2 weigh 0
  EXPECT_EQ(cell(0, 10, 10), 1);
  EXPECT_DOUBLE_EQ(cell(1, 9, 11), 1 - std::sqrt(2.0) / 2);
  EXPECT_EQ(first(12, 12), kNeverPainted);  // a corner

  paper(false, 0);
  values.CurrentSplodgeLimit = 1.5;
  ink(2);
  EXPECT_GT(cell(0, 11, 11), 0);
  EXPECT_EQ(first(12, 10), kNeverPainted);  // distance 2 > 1.5

  paper(false, 0);
  values.CurrentSplodgeLimit = 2;
  values.CurrentSplodgeCenter = 3;
  ink(2);
  for (int x = 8; x <= 12; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_EQ(cell(2, x, y), 1) << x << "," << y;

  paper(false, 0);
  values.CurrentSplodgeCenter = 0;
  values.CurrentFuzzy = 2;
  values.CurrentSplodgeLimit = 4;
  ink(4);
  EXPECT_EQ(cell(0, 13, 10), 0.5);  // weight 0.25, intensity 2

  paper(false, 0);
  values.CurrentFuzzy = 0;
  ink(4);
  EXPECT_EQ(cell(0, 10, 10), 0);
  EXPECT_EQ(first(10, 10), 3);

  paper(false, 0);
  values.CurrentFuzzy = 1;
  values.CurrentSplodgeLimit = 2;
  ink(2, 0, -1.0 + 0.5 / 21 * 2, 0);  // the centre of column 0: columns 0..2 of the 13 pixels
  EXPECT_EQ(count([&](int x, int y) { return first(x, y) == 0; }), 9);
}

TEST_F(Inking, ColourModes) {
  // Add on black: red rises by 1 per point, green and blue stay.
  values.StepColor = {255, 0, 0};
  values.CurrentSplodgeLimit = 0.5;  // the point's own pixel only, weight 1
  ink(0);
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 2);
  EXPECT_EQ(cell(1, 10, 10), 0);
  EXPECT_EQ(first(11, 10), kNeverPainted);
  // Subtract on white: red stays 255, green and blue drop by 1 per point.
  paper(true, 255);
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 255);
  EXPECT_EQ(cell(1, 10, 10), 254);
  // Best Guess subtracts on white and adds on black.
  engine.settings.BestGuess = true;
  paper(false, 255);
  ink(1);
  EXPECT_EQ(cell(1, 10, 10), 254);
  paper(false, 0);
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 1);
  EXPECT_EQ(cell(1, 10, 10), 0);
}

TEST_F(Inking, ColoursAsLimits) {
  engine.settings.UseColorsAsLimits = true;
  values.CurrentSplodgeLimit = 0.5;
  // Add mode on a white pixel: pulled down to the step colour at once.
  paper(false, 255);
  values.StepColor = {200, 100, 50};
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 200);
  EXPECT_EQ(cell(2, 10, 10), 50);
  // Subtract mode: each channel lowered twice per point, never below its colour.
  paper(true, 255);
  values.StepAmount = {10, 10, 10};
  values.StepColor = {250, 100, 0};
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 255);  // within a_k of its colour: 255 > 10 + 250 fails
  EXPECT_EQ(cell(1, 10, 10), 235);
  EXPECT_EQ(cell(2, 10, 10), 235);
}

// ---- composition ---------------------------------------------------------------------

TEST_F(Drawing, CompositionRoundsClampsAndFlips) {
  size(3, 2);
  const Bitmap24& pic = engine.picture();
  EXPECT_EQ(pic.row(0)[0], 255);  // white background
  // Painted, but a divisor of 0 (before any settings were read) stretches nothing.
  engine.settings.InterpolateColors = true;
  engine.setNormalisationDivisor(0);
  engine.canvas().FirstStepArray(0, 0) = engine.canvas().FirstStepArray(2, 1) = 0;
  const double values[] = {254.5, 255.5, 300, -3, 0.5, 1.5};
  for (int c = 0; c < 3; ++c) {
    cell(c, 0, 0) = values[c];
    cell(c, 2, 1) = values[3 + c];
  }
  engine.drawArrayOnImage();
  // Buffer row 0 is the bottom picture row; bytes are blue, green, red.
  const std::uint8_t* bottom = pic.row(1);
  const std::uint8_t* top = pic.row(0) + 2 * 3;
  EXPECT_EQ((std::array<int, 6>{bottom[2], bottom[1], bottom[0], top[2], top[1], top[0]}),
            (std::array<int, 6>{254, 255, 255, 0, 0, 2}));

  engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 0;
  engine.MakePictureBlack();
  EXPECT_EQ(pic.row(0)[0], 0);
  EXPECT_EQ(first(2, 1), kNeverPainted);
}

TEST(TransparencyMask, Examples) {
  EXPECT_EQ(Engine::transparencyAlpha(255, 255, 255, true, 27), 0);
  EXPECT_EQ(Engine::transparencyAlpha(0, 128, 255, true, 10), 255);
  EXPECT_EQ(Engine::transparencyAlpha(160, 200, 255, true, 27), 255);  // a = 95
  EXPECT_EQ(Engine::transparencyAlpha(170, 200, 255, true, 27), 230);  // a = 85: 229.5 to even
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, 10), 20);
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, -5), 0);
}

// ---- slots ---------------------------------------------------------------------------

// Multiplier factors: the curve's y plus 1 (or atan2 of it), 1 when a slot
// has no usable curve.
TEST_F(Drawing, MultiplierFactorsFromSlotCurves) {
  auto line = [&](int slot, double y0, double y1, int points) {
    qCurve curve;
    for (int i = 0; i < points; ++i) curve.AddPoint(-1 + 2.0 * i / (points - 1), y0 + (y1 - y0) * i / (points - 1));
    engine.setSlotCurve(slot, curve);
  };
  line(3, 0, 0, 5);  // on the x axis: 1
  line(4, 1, 1, 5);  // y = 1: 2
  line(5, 1, 1, 3);  // too few points for a Bezier: 1
  engine.settings.ImageWidth = engine.settings.ImageHeight = 16;
  engine.settings.Steps = 4;
  engine.settings.StartGrain = engine.settings.EndGrain = 1;
  std::vector<std::array<double, 4>> seen;
  engine.onStep = [&](int) {
    const auto& m = engine.step().MultiplierValues;
    seen.push_back({m[3], m[4], m[5], m[7]});
  };
  engine.DrawOrStop();
  ASSERT_EQ(seen.size(), 4u);
  for (const auto& m : seen) {
    EXPECT_NEAR(m[0], 1.0, 1e-15);
    EXPECT_NEAR(m[1], 2.0, 1e-15);
    EXPECT_EQ(m[2], 1.0);
    EXPECT_EQ(m[3], 1.0);  // an empty slot
  }
  // With "Use arctan2?": atan2(y, x), or 1 where x is 0.
  engine.setUseArctan2(true);
  seen.clear();
  engine.DrawOrStop();
  EXPECT_NEAR(seen[0][1], std::atan2(1.0, -1.0), 1e-12);  // t = 0: the point (-1, 1)
  EXPECT_EQ(seen[2][1], 1.0);                             // t = 0.5: the point (0, 1)
  EXPECT_EQ(seen[0][2], 1.0);
}

TEST_F(Drawing, BezierSetUpAroundTheCentreForStartAndEndCurves) {
  qCurve curve;
  for (int i = 0; i < 5; ++i) curve.AddPoint(10 + i, 20);
  for (int slot : {1, 3}) engine.setSlotCurve(slot, curve);
  EXPECT_EQ(engine.multiplierSlot(1).bezier.GetXAt(0), -2);  // the centre (12, 20) taken off
  EXPECT_EQ(engine.multiplierSlot(1).bezier.GetYAt(1), 0);
  EXPECT_EQ(engine.multiplierSlot(3).bezier.GetXAt(0), 10);
  engine.scratchCurve() = curve;
  engine.useStoredSlot(2);
  engine.SetUpBezier(666);
  EXPECT_EQ(engine.scratchBezier().GetXAt(1), 2);
  engine.SetUpBezier(5);
  EXPECT_EQ(host.messages.back(), "There is a problem with the bezier being set up. (5)");
}

// Below normal priority reaches the drawing threads too.
TEST_F(Drawing, BelowNormalPriorityLowersEveryThread) {
  engine.setThreads(3);
  const int before = getpriority(PRIO_PROCESS, 0);
  EXPECT_TRUE(engine.toggleBelowNormalPriority());
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), std::max(before, 10));
  int lowered = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
    lowered += getpriority(PRIO_PROCESS, static_cast<id_t>(std::stoul(task.path().filename().string()))) >= 10;
  EXPECT_GE(lowered, 3);
  engine.toggleBelowNormalPriority();
}

}  // namespace
}  // namespace zorva
