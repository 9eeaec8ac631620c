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
  engine.settings.ImageWidth = 60;
  engine.settings.ImageHeight = 40;
  engine.settings.Steps = 6;
  engine.settings.StartGrain = engine.settings.EndGrain = 50;
  test::setKeys(engine.settings, keys);
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
      {"huge colours", "StartMaxRed=2000000000 EndMaxBlue=-2000000000 InterpolateColors=1", -1, 0},
      {"huge amounts, weights to huge powers", "StartAmount=2000000000 EndAmount=2000000000 FuzzyStart=-0.001 "
       "FuzzyEnd=-0.001 InterpolateColors=1 White=0 UseIotaExtra=1", -1, 0},
      {"old inking, huge amounts", "BoolInk246=1 StartAmount=2000000000 InterpolateColors=1 SplodgeStartLimit=4", -1,
       0},
      {"huge source offsets", "NewColor=1 OneOrTwo=1 ZorvaPointsXStart=1E200", -1, 0},
      // Point 1 lands on the picture and fails while inking; later points
      // could not be placed, which the reference never gets to report.
      {"failure before unplaceable points", "Steps=1 InterpolateColors=1 White=0 StartAmount=2000000000 "
       "EndAmount=2000000000 FuzzyStart=-0.001 FuzzyEnd=-0.001 PlaneStartTranslationX=1E18 "
       "PlaneEndTranslationX=1E18 ImageWidth=800 ImageHeight=800 StartGrain=200 EndGrain=200", kRadius, -1e18},
  };
  for (const Absurd& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome reference = draw(c.keys, c.slot, c.curveY, InkerKind::Reference, 1);
    for (int threads : {1, 3}) {
      const Outcome fast = draw(c.keys, c.slot, c.curveY, InkerKind::Fast, threads);
      EXPECT_EQ(fast.firstStep, reference.firstStep) << threads << " threads";
      EXPECT_EQ(fast.color, reference.color) << threads << " threads";
      EXPECT_EQ(fast.randomState, reference.randomState) << threads << " threads";
      EXPECT_EQ(fast.zFactor, reference.zFactor) << threads << " threads";
      EXPECT_EQ(fast.messages, reference.messages) << threads << " threads";
    }
  }
}

// A value of the driver that is not a finite number ends its step, as a zero
// divisor does: nothing of the step reaches the buffer, and it is said once.
TEST(AbsurdValues, NonFiniteStepValuesSkipTheStepWithOneReport) {
  struct Case {
    const char* what;
    std::string keys;
    int slot;
    double curveY;
    std::string named;
  };
  const Case cases[] = {
      {"splodge centre", "", kSplodgeCenter, 1e200, "splodge"},  // the curve itself is not a number
      {"step colour", "White=0", kStartRed, 1e308, "step colour"},
      {"plane translation", "PlaneStartTranslationX=1E308 PlaneEndTranslationX=1E308", -1, 0, "plane translation"},
      {"grain", "StartGrain=1E308 EndGrain=1E308 Steps=1", -1, 0, "grain"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (InkerKind inker : {InkerKind::Reference, InkerKind::Fast}) {
      const Outcome out = draw(c.keys, c.slot, c.curveY, inker, 2);
      ASSERT_EQ(out.messages.size(), 1u);
      EXPECT_NE(out.messages[0].find("not a finite number"), std::string::npos) << out.messages[0];
      EXPECT_NE(out.messages[0].find(c.named), std::string::npos) << out.messages[0];
      EXPECT_TRUE(std::all_of(out.firstStep.begin(), out.firstStep.end(), [](std::int32_t f) { return f == kNeverPainted; }));
    }
  }
}

TEST(AbsurdValues, TooFineAGrainAndAZeroScaleAreSaid) {
  const Outcome fine = draw("StartGrain=1.5E9 EndGrain=1.5E9", -1, 0, InkerKind::Fast, 1);
  ASSERT_EQ(fine.messages.size(), 1u);
  EXPECT_NE(fine.messages[0].find("3000000000 points"), std::string::npos) << fine.messages[0];

  const Outcome flat = draw("StartScale=0 EndScale=0", -1, 0, InkerKind::Fast, 2);
  ASSERT_EQ(flat.messages.size(), 1u);
  EXPECT_EQ(flat.messages[0].rfind("Floating point division by zero", 0), 0u) << flat.messages[0];
}

// Settings whose integer arithmetic would overflow: they must draw (or be
// refused) without undefined behaviour.
TEST(AbsurdValues, LargestIntegersDoNotOverflow) {
  EXPECT_EQ(draw("FunctionNumber=2147483647", -1, 0, InkerKind::Fast, 2).messages.size(), 1u);
  for (const char* limit : {"SplodgeStartLimit=2147483647", "SplodgeStartLimit=1E300"}) {
    SCOPED_TRACE(limit);
    const Outcome out = draw(std::string(limit) + " Steps=2 StartGrain=3 EndGrain=3", -1, 0, InkerKind::Fast, 2);
    // Step 0's splodge covers the picture.
    EXPECT_TRUE(std::all_of(out.firstStep.begin(), out.firstStep.end(), [](std::int32_t f) { return f == 0; }));
  }
}

// A picture bigger than the memory left is refused before anything is
// allocated, with both figures, and the old size stays.
TEST(AbsurdValues, PicturesBeyondTheAvailableMemoryAreRefused) {
  struct SmallMachine : test::RecordingHost {
    std::optional<std::uint64_t> availableMemory() override { return std::uint64_t{64} << 20; }
  } host;
  Engine engine(&host);
  engine.settings.ImageWidth = 300;
  engine.settings.ImageHeight = 200;
  ASSERT_TRUE(engine.SetImageDimensions());
  engine.settings.ImageWidth = engine.settings.ImageHeight = 2000;  // 34 bytes a pixel: 130 MiB
  EXPECT_FALSE(engine.SetImageDimensions());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("needs 130 MiB, 64 MiB are available"), std::string::npos) << host.messages[0];
  EXPECT_EQ(engine.W(), 300);
  EXPECT_EQ(engine.picture().width, 300);
  EXPECT_EQ(engine.settings.ImageWidth, 300);
  EXPECT_EQ(engine.settings.ImageHeight, 200);
  engine.settings.ImageWidth = engine.settings.ImageHeight = 1000;  // 33 MiB fits
  EXPECT_TRUE(engine.SetImageDimensions());
  EXPECT_EQ(engine.H(), 1000);
}

}  // namespace
}  // namespace zorva
