#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "render/engine.h"
#include "render/reference_inker.h"
#include "base/math_util.h"
#include "support/test_support.h"

namespace zorva {
namespace {

// An engine with a small picture, no settings file and a fixed seed.
struct Drawing : ::testing::Test {
  test::RecordingHost host;
  Engine engine{&host};
  void SetUp() override {
    engine.random().seed(1);
    engine.setThreads(1);
  }
  void size(int w, int h) {
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.SetImageDimensions();
    engine.MakePictureBlack();
  }
  double& cell(int c, int x, int y) { return engine.canvas().ColorArray(c, x, y); }
};

TEST(Interpolate, ThroughTwoPointsWithoutClamping) {
  EXPECT_EQ(Interpolate(10, 0, 0, 5, 1), 1);
  EXPECT_EQ(Interpolate(10, 10, 0, 5, 1), 5);
  EXPECT_EQ(Interpolate(10, 5, 0, 5, 1), 3);
  EXPECT_EQ(Interpolate(0, 3, 0, 5, 1), 3);
  EXPECT_EQ(Interpolate(10, 20, 0, 5, 1), 9);
}

TEST_F(Drawing, PlaneMapping) {
  EXPECT_NEAR(rotatePointByIota('x', 1, 0, 0, 0, kPi / 2), 0, 1e-15);
  EXPECT_EQ(rotatePointByIota('y', 1, 0, 0, 0, kPi / 2), 1);
  EXPECT_EQ(rotatePointByIota('x', 3, 2, 1, 1, 0), 3);
  size(800, 800);  // at the start scale of 200
  EXPECT_EQ(engine.getPixelFromReal('x', 0), 400);
  EXPECT_EQ(engine.getPixelFromReal('x', -2), 0);
  EXPECT_EQ(engine.getPixelFromReal('x', 1.5), 700);
  EXPECT_EQ(engine.getPixelFromReal('x', 2), 800);
  EXPECT_FALSE(engine.pixelOnCanvas(800, 0));
  EXPECT_TRUE(engine.pixelOnCanvas(799, 799));
  EXPECT_EQ(engine.getPixelFromReal('y', -2), 0);
  EXPECT_EQ(engine.getPixelFromReal('y', 1.5), 700);
  EXPECT_EQ(engine.getPixelFromReal('x', -2.5), -1000000);
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

TEST_F(Drawing, ScaleZeroIsReportedOncePerDrawing) {
  engine.settings.ImageWidth = engine.settings.ImageHeight = 40;
  engine.settings.StartScale = engine.settings.EndScale = 0;
  engine.settings.Steps = 5;
  engine.settings.StartGrain = engine.settings.EndGrain = 10;
  engine.ClearPicture();
  host.messages.clear();
  engine.DrawOrStop();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("loating point"), std::string::npos) << host.messages[0];
}

// The first point of a default "Sine Wobble" step 0 lands on column 200, row 400.
TEST_F(Drawing, WorkedSineWobblePoint) {
  engine.settings.Steps = 10;
  engine.setInker(InkerKind::Reference);
  std::vector<std::pair<double, double>> first;
  engine.onPoint = [&](int step, int k, double x, double y) {
    if (step == 0 && k == 1) first.push_back({x, y});
  };
  engine.ClearPicture();
  engine.DrawOrStop();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].first, -1);
  EXPECT_EQ(first[0].second, 0);
  EXPECT_EQ(engine.getPixelFromReal('x', -1), 200);
  EXPECT_EQ(engine.getPixelFromReal('y', 0), 400);
}

TEST_F(Drawing, StepGeometryRunsForEveryStepButTheLast) {
  engine.settings.ImageWidth = engine.settings.ImageHeight = 50;
  engine.settings.StartGrain = engine.settings.EndGrain = 5;
  std::vector<int> steps;
  engine.onStep = [&](int i) { steps.push_back(i); };
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
  EXPECT_EQ(host.statuses.back(), "Drawing in preview mode");
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 21, 41, 61, 81}));

  // A stop asked for while preview skips steps lands on the next drawn step.
  steps.clear();
  host.onProcessEvents = [&] { engine.DrawOrStop(); };
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0}));
  EXPECT_EQ(host.statuses.back(), "Finished");
  host.onProcessEvents = nullptr;
}

TEST_F(Drawing, RefusesStepsBelowOne) {
  engine.settings.Steps = 0;
  std::vector<int> steps;
  engine.onStep = [&](int i) { steps.push_back(i); };
  engine.DrawOrStop();
  EXPECT_TRUE(steps.empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_FALSE(engine.isDrawing());
}

// Step colours with two colour cycles, straight and there-and-back.
TEST_F(Drawing, StepColourCycles) {
  engine.settings.ImageWidth = engine.settings.ImageHeight = 20;
  engine.settings.StartGrain = engine.settings.EndGrain = 1;
  engine.settings.Steps = 100;
  engine.settings.StepColorMultiplier = 2;
  engine.settings.White = false;  // start red is then StartMaxRed times its factor
  std::map<int, std::array<double, 3>> colour;
  engine.onStep = [&](int i) { colour[i] = engine.step().StepColor; };
  engine.DrawOrStop();
  EXPECT_EQ(colour[0][0], 255);
  EXPECT_EQ(colour[0][2], 0);
  EXPECT_EQ(colour[25][0], 127.5);
  EXPECT_EQ(colour[49][2], 255.0 * 98 / 100);
  EXPECT_EQ(colour[50][0], 255);  // the second cycle starts again at the start colour
  EXPECT_EQ(colour[75][2], 127.5);

  engine.settings.ABA = true;
  engine.DrawOrStop();
  EXPECT_EQ(colour[0][0], 255);
  EXPECT_EQ(colour[25][0], 0);    // end colour at Steps/4
  EXPECT_EQ(colour[25][2], 255);
  EXPECT_EQ(colour[50][0], 255);  // back at the start at Steps/2
  EXPECT_EQ(colour[75][2], 255);  // and at the end again at 3 Steps/4
  EXPECT_EQ(colour[60][2], 20.0 * 255 / 50);
}

// The rocker adds sin(2 pi rocks tr) times its amount to the step's angle.
TEST_F(Drawing, RockerTurnsTheStep) {
  Settings& s = engine.settings;
  s.ImageWidth = s.ImageHeight = 100;
  s.Steps = 8;
  s.StartGrain = s.EndGrain = 4;
  s.NumberOfRocks = 2;
  s.StartRockerAmount = s.EndRockerAmount = 10;
  s.ZorvaPointsXStart = s.ZorvaPointsXEnd = 0;
  s.ZorvaPointsRotateXStart = s.ZorvaPointsRotateXEnd = 0;
  engine.setInker(InkerKind::Reference);
  std::map<int, std::pair<double, double>> first;
  engine.onPoint = [&](int step, int k, double x, double y) {
    if (k == 1) first[step] = {x, y};
  };
  engine.DrawOrStop();
  // Step 1: tr = 0.125, the first point (radius 1 at theta 0) turned by 10 degrees.
  EXPECT_NEAR(std::atan2(first[1].second, first[1].first), kPi / 18, 1e-12);
  EXPECT_NEAR(std::atan2(first[2].second, first[2].first), 0, 1e-12);  // tr = 0.25
  EXPECT_NEAR(std::atan2(first[3].second, first[3].first), -kPi / 18, 1e-12);
}

TEST_F(Drawing, EllipseFactors) {
  Settings& s = engine.settings;
  s.ImageWidth = s.ImageHeight = 20;
  s.StartGrain = s.EndGrain = 1;
  s.Steps = 10;
  s.FunctionNumber = 4;
  s.EllipsesTwo = true;
  std::map<int, std::pair<double, double>> rockers;
  engine.onStep = [&](int i) { rockers[i] = {engine.step().RockerA, engine.step().RockerB}; };
  engine.DrawOrStop();
  EXPECT_EQ(rockers[0].first, 1.25);
  EXPECT_EQ(rockers[0].second, 0.25);
  EXPECT_NEAR(rockers[5].first, 0.25, 1e-15);
  EXPECT_EQ(rockers[5].second, 1.25);
  s.EllipsesTwo = false;
  engine.DrawOrStop();
  EXPECT_EQ(rockers[0].first, 0.25);
  EXPECT_EQ(rockers[5].first, 1.25);
}

TEST_F(Drawing, TanThingDrawsLikeSineWobble) {
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
  // And a depth of 0 draws nothing at all.
  s.StartDepth = s.EndDepth = 0;
  engine.ClearPicture();
  engine.DrawOrStop();
  EXPECT_TRUE(std::all_of(engine.canvas().color.begin(), engine.canvas().color.end(), [](double v) { return v == 255; }));
}

TEST_F(Drawing, OddSettingsAreReportedOnce) {
  Settings& s = engine.settings;
  s.ImageWidth = s.ImageHeight = 30;
  s.Steps = 20;
  s.StartGrain = s.EndGrain = 3;
  s.FunctionNumber = 12;
  engine.DrawOrStop();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("Sine Wobble"), std::string::npos);

  host.messages.clear();
  s.FunctionNumber = 5;
  s.LissaDelta = 0;
  std::vector<int> steps;
  engine.onStep = [&](int i) { steps.push_back(i); };
  engine.DrawOrStop();
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(steps.empty());

  host.messages.clear();
  s.FunctionNumber = 0;
  s.GrainMultiplier = 0;
  engine.DrawOrStop();
  EXPECT_EQ(host.messages, (std::vector<std::string>{"huh"}));

  host.messages.clear();
  s.GrainMultiplier = -2;
  engine.DrawOrStop();
  EXPECT_EQ(host.messages.size(), 1u);
}

// ---- inking ------------------------------------------------------------------------

// Inks one point at the centre of pixel (10, 10) of a 21 x 21 picture.
struct Inking : Drawing {
  void SetUp() override {
    Drawing::SetUp();
    engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 0;
    engine.settings.White = false;
    size(21, 21);
    values.CurrentScale = 1;
    values.StepAmount = {1, 1, 1};
    values.StepColor = {255, 255, 255};
  }
  StepValues values;
  // Inks point 1 of 10 of step 3 at (x, y), by default the plane point of
  // pixel (10, 10), the centre of the picture.
  void ink(double size = 2, int step = 3, double x = 0, double y = 0) {
    const InkStep ink = makeInkStep(engine.settings, values, FrameValues{}, engine.sourceImage(), step, 10);
    ConversionFailures failures;
    const PixelMapper pixels{PlaneToPixel(values.CurrentScale, engine.W(), engine.H()), &failures};
    DrawStats stats;
    addColorToPixels(engine.canvas(), ink, pixels, x, y, size, 1, 10, 1, stats);
  }
};

TEST_F(Inking, DefaultSplodge) {
  ink();
  int painted = 0, marked = 0;
  for (int x = 0; x < 21; ++x)
    for (int y = 0; y < 21; ++y) {
      painted += cell(0, x, y) > 0;
      marked += engine.canvas().FirstStepArray(x, y) == 3;
    }
  EXPECT_EQ(marked, 13);
  EXPECT_EQ(painted, 9);  // the four at distance 2 have weight 0
  EXPECT_EQ(cell(0, 10, 10), 1);
  EXPECT_DOUBLE_EQ(cell(0, 11, 11), 1 - std::sqrt(2.0) / 2);
  EXPECT_DOUBLE_EQ(cell(1, 9, 11), 1 - std::sqrt(2.0) / 2);
  EXPECT_EQ(cell(0, 12, 10), 0);
  EXPECT_EQ(engine.canvas().FirstStepArray(12, 10), 3);
  EXPECT_EQ(engine.canvas().FirstStepArray(12, 12), kNeverPainted);  // a corner
}

TEST_F(Inking, SplodgeShapes) {
  values.CurrentSplodgeLimit = 1.5;
  ink(2);
  EXPECT_GT(cell(0, 11, 11), 0);
  EXPECT_EQ(engine.canvas().FirstStepArray(12, 10), kNeverPainted);  // distance 2 > 1.5

  size(21, 21);
  values.CurrentSplodgeLimit = 2;
  values.CurrentSplodgeCenter = 3;
  ink(2);
  for (int x = 8; x <= 12; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_EQ(cell(2, x, y), 1) << x << "," << y;

  size(21, 21);
  values.CurrentSplodgeCenter = 0;
  values.CurrentFuzzy = 2;
  values.CurrentSplodgeLimit = 4;
  ink(4);
  EXPECT_EQ(cell(0, 13, 10), 0.5);  // weight 0.25, intensity 2

  size(21, 21);
  values.CurrentFuzzy = 0;
  ink(4);
  EXPECT_EQ(cell(0, 10, 10), 0);
  EXPECT_EQ(engine.canvas().FirstStepArray(10, 10), 3);
}

TEST_F(Inking, ColourModes) {
  // Add on black: red rises by 1 per point, green and blue stay.
  values.StepColor = {255, 0, 0};
  values.CurrentSplodgeLimit = 0.5;  // the point's own pixel only, weight 1
  ink(0);
  EXPECT_EQ(cell(0, 10, 10), 1);
  EXPECT_EQ(cell(1, 10, 10), 0);
  EXPECT_EQ(engine.canvas().FirstStepArray(11, 10), kNeverPainted);
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 2);

  // Subtract on white: red stays 255, green and blue drop by 1 per point.
  engine.settings.White = true;
  engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 255;
  size(21, 21);
  values.CurrentSplodgeLimit = 0.5;
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 255);
  EXPECT_EQ(cell(1, 10, 10), 254);
  EXPECT_EQ(cell(2, 10, 10), 254);

  // Best Guess subtracts on white and adds on black.
  engine.settings.White = false;
  engine.settings.BestGuess = true;
  size(21, 21);
  ink(1);
  EXPECT_EQ(cell(1, 10, 10), 254);
  engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 0;
  size(21, 21);
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 1);
  EXPECT_EQ(cell(1, 10, 10), 0);
}

TEST_F(Inking, ColoursAsLimits) {
  engine.settings.UseColorsAsLimits = true;
  values.CurrentSplodgeLimit = 0.5;
  // Add mode on a white pixel: pulled down to the step colour at once.
  engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 255;
  size(21, 21);
  values.StepColor = {200, 100, 50};
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 200);
  EXPECT_EQ(cell(1, 10, 10), 100);
  EXPECT_EQ(cell(2, 10, 10), 50);
  // Subtract mode: each channel lowered twice per point, never below its colour.
  engine.settings.White = true;
  size(21, 21);
  values.StepAmount = {10, 10, 10};
  values.StepColor = {250, 100, 0};
  ink(1);
  EXPECT_EQ(cell(0, 10, 10), 255);  // within a_k of its colour: 255 > 10 + 250 fails
  EXPECT_EQ(cell(1, 10, 10), 235);
  EXPECT_EQ(cell(2, 10, 10), 235);
}

TEST_F(Inking, PointPartlyOutsideInksTheInsideOnly) {
  ink(2, 0, -1.0 + 0.5 / 21 * 2, 0);  // the centre of column 0
  int painted = 0;
  for (int x = 0; x < 21; ++x)
    for (int y = 0; y < 21; ++y) painted += engine.canvas().FirstStepArray(x, y) == 0;
  EXPECT_EQ(painted, 9);  // columns 0..2 of the 13-pixel splodge
}

// ---- composition ---------------------------------------------------------------------

TEST_F(Drawing, CompositionRoundsClampsAndFlips) {
  size(3, 2);
  const Bitmap24& pic = engine.picture();
  EXPECT_EQ(pic.row(0)[0], 255);  // white background
  cell(0, 0, 0) = 254.5;
  cell(1, 0, 0) = 255.5;
  cell(2, 0, 0) = 300;
  cell(0, 2, 1) = -3;
  cell(1, 2, 1) = 0.5;
  cell(2, 2, 1) = 1.5;
  engine.drawArrayOnImage();
  // Buffer row 0 is the bottom picture row; bytes are blue, green, red.
  const std::uint8_t* bottom = pic.row(1);
  EXPECT_EQ(bottom[2], 254);
  EXPECT_EQ(bottom[1], 255);
  EXPECT_EQ(bottom[0], 255);
  const std::uint8_t* top = pic.row(0) + 2 * 3;
  EXPECT_EQ(top[2], 0);
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(top[0], 2);

  engine.settings.BgMaxRed = engine.settings.BgMaxGreen = engine.settings.BgMaxBlue = 0;
  engine.MakePictureBlack();
  EXPECT_EQ(pic.row(0)[0], 0);
  EXPECT_EQ(engine.canvas().FirstStepArray(1, 1), kNeverPainted);
}

TEST_F(Drawing, NormalisationStretchesPaintedColours) {
  engine.settings.InterpolateColors = true;
  size(4, 4);
  engine.setNormalisationDivisor(1);
  // One painted colour on white paper shows white.
  for (int x = 0; x < 2; ++x) {
    for (int c = 0; c < 3; ++c) cell(c, x, 0) = 100;
    engine.canvas().FirstStepArray(x, 0) = 0;
  }
  engine.drawArrayOnImage();
  EXPECT_EQ(engine.picture().row(3)[0], 255);
  // Two colours: the lighter lands on the background's brightest value.
  for (int c = 0; c < 3; ++c) cell(c, 1, 0) = 200;
  engine.drawArrayOnImage();
  const std::uint8_t* row = engine.picture().row(3);
  EXPECT_EQ(row[3], 255);
  EXPECT_LT(row[0], 255);
  // Unpainted pixels keep their colour; the buffer itself is untouched.
  EXPECT_EQ(engine.picture().row(0)[0], 255);
  EXPECT_EQ(cell(0, 0, 0), 100);
  // With the divisor 0 (before any settings read) nothing is stretched.
  engine.setNormalisationDivisor(0);
  engine.drawArrayOnImage();
  EXPECT_EQ(engine.picture().row(3)[0], 100);
}

TEST(TransparencyMask, Examples) {
  EXPECT_EQ(Engine::transparencyAlpha(255, 255, 255, true, 27), 0);
  EXPECT_EQ(Engine::transparencyAlpha(0, 128, 255, true, 10), 255);
  EXPECT_EQ(Engine::transparencyAlpha(160, 200, 255, true, 27), 255);  // a = 95
  EXPECT_EQ(Engine::transparencyAlpha(170, 200, 255, true, 27), 230);  // a = 85: 229.5 to even
  EXPECT_EQ(Engine::transparencyAlpha(0, 0, 0, false, 27), 0);
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, 10), 20);
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, -5), 0);
}

}  // namespace
}  // namespace zorva

namespace zorva {
namespace {

// Multiplier factors: the curve's y plus 1 (or atan2 of it), 1 when a slot
// has no usable curve.
TEST_F(Drawing, MultiplierFactorsFromSlotCurves) {
  auto line = [&](int slot, double y0, double y1, int points) {
    qCurve curve;
    for (int i = 0; i < points; ++i) curve.AddPoint(-1 + 2.0 * i / (points - 1), y0 + (y1 - y0) * i / (points - 1));
    engine.setSlotCurve(slot, curve);
  };
  line(3, 0, 0, 5);   // on the x axis: 1
  line(4, 1, 1, 5);   // y = 1: 2
  line(5, 1, 1, 3);   // too few points for a Bezier: 1
  line(6, 0.5, 0.5, 7);
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
  EXPECT_EQ(seen[2][1], 1.0);                            // t = 0.5: the point (0, 1)
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

}  // namespace
}  // namespace zorva

#include <sys/resource.h>

namespace zorva {
namespace {

TEST_F(Drawing, MenuTogglesAndTheirStatusTexts) {
  EXPECT_TRUE(engine.toggleDrawEachStep());
  EXPECT_EQ(host.statuses.back(), "Displaying each step as it is calculated");
  EXPECT_FALSE(engine.toggleDrawEachStep());
  EXPECT_EQ(host.statuses.back(), "Not displaying each step as it is calculated");
  EXPECT_TRUE(engine.toggleSaveEachStep());
  EXPECT_EQ(host.statuses.back(), "Saving each step as it is calculated");
  EXPECT_TRUE(engine.toggleClearEachStep());
  EXPECT_EQ(host.statuses.back(), "Clearing each step as it is calculated");
  EXPECT_FALSE(engine.toggleClearEachStep());
  EXPECT_EQ(host.statuses.back(), "Not clearing each step as it is calculated");
  // Below normal priority reaches the drawing threads too.
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
