// Absurd settings and curves: the fast inker stops exactly where the
// reference stops, steps whose values are not finite numbers are skipped
// with one report, and nothing is undefined behaviour (CI runs this under
// UBSan).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/engine.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

// A curve of five points on the horizontal line at height y.
qCurve flatCurve(double y) {
  qCurve c;
  for (double x : {-1.0, -0.5, 0.0, 0.5, 1.0}) c.AddPoint(x, y);
  return c;
}

struct Outcome {
  std::vector<double> color;
  std::vector<std::int32_t> firstStep;
  std::uint32_t randomState;
  double zFactor;
  std::vector<std::string> messages;
};

Outcome draw(const std::string& keys, int slot, double curveY, InkerKind inker, int threads) {
  test::RecordingHost host;
  Engine engine(&host);
  test::setKeys(engine.settings, "ImageWidth=60 ImageHeight=40 Steps=6 StartGrain=50 EndGrain=50 " + keys);
  if (slot >= 0) engine.setSlotCurve(slot, flatCurve(curveY));
  engine.setInker(inker);
  engine.setThreads(threads);
  // Several threads: every parallel branch, even on this small picture. One:
  // the whole ring in one chunk.
  if (threads > 1) engine.tuning() = {7, 1, 1};
  engine.random().seed(5);
  engine.ClearPicture();
  engine.DrawOrStop();
  return {engine.canvas().color.vector(), engine.canvas().firstStep.vector(), engine.random().state(),
          engine.step().ZFactor, host.messages};
}

struct Absurd {
  const char* what;
  std::string keys;
  int slot = -1;
  double curveY = 0;
};

TEST(AbsurdValues, FastInkerStopsWhereTheReferenceStops) {
  const Absurd cases[] = {
      {"start red curve at 1e308", "White=0", kStartRed, 1e308},
      {"start red curve at 1e308, scattered", "UseIotaExtra=1", kStartRed, 1e308},
      {"splodge centre curve at 1e200", "", kSplodgeCenter, 1e200},
      {"huge colours", "StartMaxRed=2000000000 EndMaxBlue=-2000000000 InterpolateColors=1"},
      {"huge amounts, weights to huge powers",
       "StartAmount=2000000000 EndAmount=2000000000 FuzzyStart=-0.001 "
       "FuzzyEnd=-0.001 InterpolateColors=1 White=0 UseIotaExtra=1"},
      {"old inking, huge amounts", "BoolInk246=1 StartAmount=2000000000 InterpolateColors=1 SplodgeStartLimit=4"},
      {"huge source offsets", "NewColor=1 OneOrTwo=1 ZorvaPointsXStart=1E200"},
      // Point 1 lands on the picture and fails while inking; later points
      // could not be placed, which the reference never gets to report.
      {"failure before unplaceable points",
       "Steps=1 InterpolateColors=1 White=0 StartAmount=2000000000 "
       "EndAmount=2000000000 FuzzyStart=-0.001 FuzzyEnd=-0.001 PlaneStartTranslationX=1E18 "
       "PlaneEndTranslationX=1E18 ImageWidth=800 ImageHeight=800 StartGrain=200 EndGrain=200",
       kRadius, -1e18},
  };
  for (const Absurd& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome reference = draw(c.keys, c.slot, c.curveY, InkerKind::Reference, 1);
    for (int threads : {1, 3}) {
      const Outcome fast = draw(c.keys, c.slot, c.curveY, InkerKind::Fast, threads);
      SCOPED_TRACE(std::to_string(threads) + " threads");
      EXPECT_EQ(fast.firstStep, reference.firstStep);
      EXPECT_EQ(fast.color, reference.color);
      EXPECT_EQ(fast.randomState, reference.randomState);
      EXPECT_EQ(fast.zFactor, reference.zFactor);
      EXPECT_EQ(fast.messages, reference.messages);
    }
  }
}

// A value of the driver that is not a finite number ends its step, as a zero
// divisor does: nothing of the step reaches the buffer, and it is said once,
// by name.
TEST(AbsurdValues, NonFiniteStepValuesSkipTheStepWithOneReport) {
  const Absurd cases[] = {
      {"splodge", "", kSplodgeCenter, 1e200},  // the curve itself is not a number
      {"step colour", "White=0", kStartRed, 1e308},
      {"plane translation", "PlaneStartTranslationX=1E308 PlaneEndTranslationX=1E308"},
      {"grain", "StartGrain=1E308 EndGrain=1E308 Steps=1"},
  };
  for (const Absurd& c : cases) {
    SCOPED_TRACE(c.what);
    for (InkerKind inker : {InkerKind::Reference, InkerKind::Fast}) {
      const Outcome out = draw(c.keys, c.slot, c.curveY, inker, 2);
      ASSERT_EQ(out.messages.size(), 1u);
      EXPECT_NE(out.messages[0].find("not a finite number"), std::string::npos) << out.messages[0];
      EXPECT_NE(out.messages[0].find(c.what), std::string::npos) << out.messages[0];
      EXPECT_TRUE(
          std::all_of(out.firstStep.begin(), out.firstStep.end(), [](std::int32_t f) { return f == kNeverPainted; }));
    }
  }
}

// Too fine a grain, a zero scale and integers whose arithmetic would
// overflow are said once, or drawn, without undefined behaviour.
TEST(AbsurdValues, AbsurdSizesAreSaidOnceOrDrawn) {
  for (const char* keys : {"StartGrain=1.5E9 EndGrain=1.5E9", "StartScale=0 EndScale=0", "FunctionNumber=2147483647"})
    EXPECT_EQ(draw(keys, -1, 0, InkerKind::Fast, 2).messages.size(), 1u) << keys;
  for (const char* limit : {"SplodgeStartLimit=2147483647", "SplodgeStartLimit=1E300"}) {
    SCOPED_TRACE(limit);
    const Outcome out = draw(std::string(limit) + " Steps=2 StartGrain=3 EndGrain=3", -1, 0, InkerKind::Fast, 2);
    // Step 0's splodge covers the picture.
    EXPECT_TRUE(std::all_of(out.firstStep.begin(), out.firstStep.end(), [](std::int32_t f) { return f == 0; }));
  }
}

// A stop asked for inside one enormous step ends it there: the step's
// points come in batches, and the host is asked between them.
TEST(AbsurdValues, AStopEndsAnEnormousStepEarly) {
  for (InkerKind inker : {InkerKind::Fast, InkerKind::Reference}) {
    struct StopHost : test::RecordingHost {
      Engine* engine = nullptr;
      int polls = 0;
      void pollStop() override {
        if (++polls == 3) engine->requestStop();
      }
    } host;
    Engine engine(&host);
    host.engine = &engine;
    test::setKeys(engine.settings, "ImageWidth=100 ImageHeight=100 Steps=2 StartGrain=100000 EndGrain=100000");
    engine.setInker(inker);
    engine.setThreads(2);
    engine.tuning().batchUpdates = 5000;  // a few hundred points a batch
    engine.tuning().stopCheckMs = 0;
    engine.ClearPicture();
    engine.DrawOrStop();
    EXPECT_EQ(host.polls, 3);
    EXPECT_GT(engine.stats().points, 0u);
    EXPECT_LT(engine.stats().points, 20000u);  // of 200001 in the step
    EXPECT_FALSE(engine.isDrawing());
  }
}

// A picture bigger than the memory left is refused before anything is
// allocated, with both figures, and the old size stays.
TEST(AbsurdValues, PicturesBeyondTheAvailableMemoryAreRefused) {
  struct SmallMachine : test::RecordingHost {
    std::optional<std::uint64_t> availableMemory() override { return std::uint64_t{64} << 20; }
  } host;
  Engine engine(&host);
  test::setKeys(engine.settings, "ImageWidth=300 ImageHeight=200");
  ASSERT_TRUE(engine.SetImageDimensions());
  engine.settings.ImageWidth = engine.settings.ImageHeight = 2000;  // 34 bytes a pixel: 130 MiB
  EXPECT_FALSE(engine.SetImageDimensions());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("130 MiB"), std::string::npos) << host.messages[0];
  EXPECT_EQ(engine.picture().width, 300);
  EXPECT_EQ(engine.settings.ImageHeight, 200);
  engine.settings.ImageWidth = engine.settings.ImageHeight = 1000;  // 33 MiB fits
  EXPECT_TRUE(engine.SetImageDimensions());
  EXPECT_EQ(engine.H(), 1000);
}

// The work estimate that lets a drawing of hours say so before it starts.
TEST(WorkEstimate, CountsTheDrawnStepsPointsAndSplodges) {
  Engine engine;
  engine.settings.ImageWidth = engine.settings.ImageHeight = 200;
  WorkEstimate w = engine.estimateWork();  // 1000 drawn steps of 601 points, 13-pixel splodges in 5 x 5 squares
  EXPECT_EQ(w.steps, 1000);
  EXPECT_EQ(w.points, 601000);
  EXPECT_EQ(w.pixelUpdates, 601000 * 25);
  engine.settings.PercentToComplete = 50;  // steps 0 .. 501
  EXPECT_EQ(engine.estimateWork().points, 502 * 601);
  engine.settings.PercentToComplete = 100;
  engine.settings.SplodgeStartLimit = engine.settings.SplodgeEndLimit = 1000;  // no more than the picture
  EXPECT_EQ(engine.estimateWork().pixelUpdates, 601000.0 * 200 * 200);
  // Two billion steps are sampled, not walked, and come to hours.
  engine.settings.SplodgeStartLimit = engine.settings.SplodgeEndLimit = 2;
  engine.settings.Steps = 2147483647;
  w = engine.estimateWork();
  EXPECT_DOUBLE_EQ(w.points, 601.0 * 2147483647);
  EXPECT_GT(w.seconds(2), 3600);
}

}  // namespace
}  // namespace zorva
