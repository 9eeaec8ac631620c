// The driver's step loop and its reports, the plane mapping, the splodge shapes and the slot factors.
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
  double& cell(int c, int x, int y) { return engine.canvas().ColorArray(c, x, y); }
  std::int32_t first(int x, int y) { return engine.canvas().FirstStepArray(x, y); }
};

// The plane to pixel mapping neither truncates nor wraps far-off points onto the canvas.
TEST_F(Drawing, PlaneMapping) {
  size(800, 800);  // at the start scale of 200
  EXPECT_EQ(engine.getPixelFromReal('x', 1.5), 700);
  EXPECT_EQ(engine.getPixelFromReal('x', -2.0000001), -1000000);
  EXPECT_FALSE(engine.pixelOnCanvas(engine.getPixelFromReal('x', 1e300), 0));
}

TEST_F(Drawing, StepGeometryRunsForEveryStepButTheLast) {
  test::setKeys(engine.settings, "ImageWidth=50 ImageHeight=50 StartGrain=5 EndGrain=5 Steps=1000");
  engine.DrawOrStop();
  ASSERT_EQ(steps.size(), 1000u);
  EXPECT_TRUE(host.processed == 1001 && !engine.isDrawing());
  // Half way: steps 0 .. 501, the first past ceil(1000 / 100 * 50).
  steps.clear();
  engine.settings.PercentToComplete = 50;
  engine.DrawOrStop();
  EXPECT_EQ(steps.size(), 502u);
  // Preview: step 0 and every twentieth from 1.
  steps.clear();
  test::setKeys(engine.settings, "PercentToComplete=100 Steps=100");
  engine.togglePreview();
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 21, 41, 61, 81}));

  // A stop asked for while preview skips steps lands on the next drawn step.
  steps.clear();
  host.onProcessEvents = [&] { engine.DrawOrStop(); };
  engine.DrawOrStop();
  EXPECT_EQ(steps, (std::vector<int>{0}));
}

// Each odd setting is said once per drawing; those that make every step
// undrawable draw no step.
TEST_F(Drawing, OddSettingsAreReportedOnce) {
  test::setKeys(engine.settings, "ImageWidth=30 ImageHeight=30 Steps=20 StartGrain=3 EndGrain=3");
  const std::pair<const char*, std::size_t> cases[] = {{"Steps=0", 0},
                                                       {"FunctionNumber=12", 20},
                                                       {"FunctionNumber=5 LissaDelta=0", 0},
                                                       {"GrainMultiplier=0", 20},
                                                       {"GrainMultiplier=-2", 20}};
  for (const auto& [keys, drawn] : cases) {
    SCOPED_TRACE(keys);
    const Settings saved = engine.settings;
    test::setKeys(engine.settings, keys);
    host.messages.clear();
    steps.clear();
    engine.DrawOrStop();
    EXPECT_TRUE(host.messages.size() == 1 && steps.size() == drawn && !engine.isDrawing());
    engine.settings = saved;
  }
}

// One point inked at the centre of pixel (10, 10) of a 21 x 21 black picture.
TEST_F(Drawing, SplodgeShapes) {
  StepValues values;
  values.CurrentScale = 1;
  values.StepAmount = {1, 1, 1};
  values.StepColor = {255, 255, 255};
  test::setKeys(engine.settings, "BgMaxRed=0 BgMaxGreen=0 BgMaxBlue=0 White=0");
  auto ink = [&](double radius, int step = 3, double x = 0) {
    size(21, 21);
    const InkStep inkStep = makeInkStep(engine.settings, values, FrameValues{}, engine.sourceImage(), step, 10);
    ConversionFailures failures;
    const PixelMapper pixels{PlaneToPixel(values.CurrentScale, engine.W(), engine.H()), &failures};
    DrawStats stats;
    addColorToPixels(engine.canvas(), inkStep, pixels, x, 0, radius, 1, 10, 1, stats);
  };
  auto count = [&](auto pred) {
    int n = 0;
    for (int x = 0; x < 21; ++x)
      for (int y = 0; y < 21; ++y) n += pred(x, y);
    return n;
  };
  ink(2);
  EXPECT_EQ(count([&](int x, int y) { return first(x, y) == 3; }), 13);
  EXPECT_EQ(count([&](int x, int y) { return cell(0, x, y) > 0; }), 9);  // the four at distance 2 weigh 0
  EXPECT_DOUBLE_EQ(cell(1, 9, 11), 1 - std::sqrt(2.0) / 2);

  values.CurrentSplodgeLimit = 1.5;
  ink(2);
  EXPECT_GT(cell(0, 11, 11), 0);
  EXPECT_EQ(first(12, 10), kNeverPainted);  // distance 2 > 1.5

  values.CurrentSplodgeLimit = 2;
  values.CurrentSplodgeCenter = 3;
  ink(2);
  for (int x = 8; x <= 12; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_EQ(cell(2, x, y), 1) << x << "," << y;

  values.CurrentSplodgeCenter = 0;
  values.CurrentFuzzy = 2;
  values.CurrentSplodgeLimit = 4;
  ink(4);
  EXPECT_EQ(cell(0, 13, 10), 0.5);  // weight 0.25, intensity 2

  values.CurrentFuzzy = 0;
  ink(4);
  EXPECT_EQ(cell(0, 10, 10), 0);
  EXPECT_EQ(first(10, 10), 3);

  values.CurrentFuzzy = 1;
  values.CurrentSplodgeLimit = 2;
  ink(2, 0, -1.0 + 0.5 / 21 * 2);  // the centre of column 0: columns 0..2 of the 13 pixels
  EXPECT_EQ(count([&](int x, int y) { return first(x, y) == 0; }), 9);
}

TEST(TransparencyMask, Examples) {
  EXPECT_EQ(Engine::transparencyAlpha(255, 255, 255, true, 27), 0);
  EXPECT_EQ(Engine::transparencyAlpha(160, 200, 255, true, 27), 255);  // a = 95
  EXPECT_EQ(Engine::transparencyAlpha(170, 200, 255, true, 27), 230);  // a = 85: 229.5 to even
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, 10), 20);
  EXPECT_EQ(Engine::transparencyAlpha(10, 20, 5, false, -5), 0);
}

// Multiplier factors: the curve's y plus 1 (or atan2 of it), 1 when a slot
// has no usable curve.
TEST_F(Drawing, MultiplierFactorsFromSlotCurves) {
  auto line = [&](int slot, double y, int points) {
    qCurve curve;
    for (int i = 0; i < points; ++i) curve.AddPoint(-1 + 2.0 * i / (points - 1), y);
    engine.setSlotCurve(slot, curve);
  };
  line(3, 0, 5);
  line(4, 1, 5);
  line(5, 1, 3);  // too few points for a Bezier
  test::setKeys(engine.settings, "ImageWidth=16 ImageHeight=16 Steps=4 StartGrain=1 EndGrain=1");
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
    EXPECT_TRUE(m[2] == 1 && m[3] == 1);  // too few points, an empty slot
  }
  // With "Use arctan2?": atan2(y, x), or 1 where x is 0.
  engine.setUseArctan2(true);
  seen.clear();
  engine.DrawOrStop();
  EXPECT_NEAR(seen[0][1], std::atan2(1.0, -1.0), 1e-12);  // t = 0: the point (-1, 1)
  EXPECT_EQ(seen[2][1], 1.0);                             // t = 0.5: the point (0, 1)
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
