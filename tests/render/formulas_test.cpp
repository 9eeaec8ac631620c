// The drawing formulas that the fast and the reference inker share, and what a
// drawing reads from an animation frame, checked against values worked out by
// hand. The reference inker reports every point.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "base/math_util.h"
#include "render/engine.h"
#include "support/images.h"
#include "support/settings_text.h"
#include "support/test_support.h"

namespace zorva {
namespace {

struct Formulas : ::testing::Test {
  Engine engine;
  Settings& s = engine.settings;
  std::map<std::pair<int, int>, qCoord> points;  // (step, k) -> the point handed to the inking

  void SetUp() override {
    engine.setInker(InkerKind::Reference);
    engine.setThreads(1);
    engine.random().seed(1);
    engine.onPoint = [this](int i, int k, double x, double y) { points[{i, k}] = {x, y}; };
    reset();
  }
  void reset() {
    s = Settings();
    s.ImageWidth = s.ImageHeight = 32;
    s.Steps = 4;
    s.StartGrain = s.EndGrain = 6;  // GrainMultiplier 2: G = 12, so point k = 2 has theta = pi/6
    s.StartBumps = s.EndBumps = 3;  // with depth 2: q = sin(3 pi/6)/2 = 1/2 at theta = pi/6
  }
  void draw() {
    points.clear();
    engine.ClearPicture();
    // While frames are made Draw does nothing: the frame maker runs the driver itself.
    if (engine.isAnimating())
      engine.RunDrawing();
    else
      engine.DrawOrStop();
  }
  // The frame values of a drawing outside an animation, with the rotation
  // points at the origin.
  FrameValues still() const {
    FrameValues v = stillFrame(s, 0);
    v.rotateAX = v.rotateAY = v.rotateBX = v.rotateBY = 0;
    return v;
  }
  // One drawing with the frame's values.
  void drawFrame(const FrameValues& frame) {
    engine.beginAnimation();
    engine.setAnimationFrame(frame);
    draw();
    engine.endAnimation();
  }
  // Point k of a step against a hand value; the first point has theta 0, so q = 0.
  void expectAt(qCoord hand, int step, int k) {
    ASSERT_TRUE(points.count({step, k})) << step << ", " << k;
    const qCoord p = points[{step, k}];
    EXPECT_NEAR(p.X, hand.X, 1e-12);
    EXPECT_NEAR(p.Y, hand.Y, 1e-12);
  }
  void expectFirst(qCoord hand, int step = 0) { expectAt(hand, step, 1); }
  // A path-like curve of six points from (-1, y0) to (1, y1).
  void line(int slot, double y0, double y1) {
    qCurve curve;
    for (int i = 0; i < 6; ++i) curve.AddPoint(-1 + 0.4 * i, y0 + (y1 - y0) * i / 5.0);
    engine.setSlotCurve(slot, curve);
  }

  // Every step on a pixel of its own: radius 0, two points a step (theta 0
  // and 2 pi), a path that moves two columns a step (one plane unit is one
  // pixel), and splodges of the point's own pixel with weight 1.
  void stepPerPixel(int steps) {
    s.Steps = steps;
    s.ImageWidth = 2 * steps;
    s.ImageHeight = 4;
    s.StartRadius = s.EndRadius = 0;
    s.StartGrain = s.EndGrain = 1;
    s.GrainMultiplier = 1;
    s.ZorvaPointsXStart = 0.5 - steps;
    s.ZorvaPointsXEnd = 0.5 + steps;
    s.SplodgeStartLimit = s.SplodgeEndLimit = 0.5;
  }
  double& probe(int c, int i) { return engine.canvas().ColorArray(c, 2 * i, 2); }
  // Add mode on black paper with white ink: a channel gains amount x weight.
  void addOnBlack() {
    test::setKeys(s,
                  "White=0 BgMaxRed=0 BgMaxGreen=0 BgMaxBlue=0 StartMaxRed=255 StartMaxGreen=255 StartMaxBlue=255 "
                  "EndMaxRed=255 EndMaxGreen=255 EndMaxBlue=255");
  }
};

// ---- worked points ---------------------------------------------------------------

// Step 1 of 4 (t = 1/4), point k = 2 (theta = pi/6, c = cos theta, s = sin theta),
// r = 1, q = 1/2, base position (-1, 0) and rotation centre (-1, 0) unless a
// case says otherwise. Hand values to 1e-12.
struct WorkedPoint {
  const char* name;
  int k;
  double x, y;
  const char* settings;
};

const WorkedPoint kWorked[] = {
    // (0.75 c - 1, 0.75 s) = (0.75 * 0.8660254 - 1, 0.375)
    {"Sine Wobble", 2, -0.350480947161671, 0.375, ""},
    // b = 1, d = 1: q = tan(-pi/6) = -0.5773503; (c (2 - q)/2 - 1, s (2 - q)/2)
    {"Tan Thing", 2, 0.1160254037844388, 0.6443375672974063,
     "FunctionNumber=1 TanBumps=1 StartBumps=1 EndBumps=1 StartDepth=1 EndDepth=1"},
    // (posX + 1, posY + c/q) = (0, 2c); turned 90 degrees about (0, 0): (-2c, 0); moved by (0.25, 0.5)
    {"Line", 2, -1.4820508075688774, 0.5,
     "FunctionNumber=2 StartIota=90 EndIota=90 ZorvaPointsRotateXStart=0 ZorvaPointsRotateXEnd=0 "
     "PlaneStartTranslationX=0.25 PlaneEndTranslationX=0.25 PlaneStartTranslationY=0.5 PlaneEndTranslationY=0.5"},
    // ((1 + q) c^5 - 1, (1 - q) s^5) = (1.5 * 9 sqrt(3)/32 - 1, 0.5/32)
    {"Circles", 2, -0.26929106555687965, 0.015625, "FunctionNumber=3"},
    // w = 1, h = 2: RockerB = sin^2(pi/4) + 1/4 = 3/4, RockerA = sin^2(pi/2) + 1/4 = 5/4: (3/4 c 3/4 - 1, 5/4 s 3/4)
    {"Ellipses", 2, -0.5128607103712534, 0.46875, "FunctionNumber=4 StartEllipseHeight=2 EndEllipseHeight=2"},
    // RockerA = cos^2(pi/2) + 1/4 = 1/4; X = 1.5 (3/4 c - 1), Y = 0.5 (s/4); J = 37, so
    // beta = (37/37 + 1)(0 - 37/37) = -2; px turns (X, Y) about (-1, 0), py turns (px, Y)
    {"Ellipses, UseEllipsesTwo", 2, -1.1405384412234738, 0.10178206569040064,
     "FunctionNumber=4 StartEllipseHeight=2 EndEllipseHeight=2 UseEllipsesTwo=1 EllipsesTwo=1 LissaDelta=37"},
    // w = 2, h = 3, J = pi/2: (sin(2 pi/6 + pi/2) 0.75 0.75 - 1, sin(3 pi/6) 0.75 0.75) = (0.5 * 0.5625 - 1, 0.5625)
    {"Lissajous", 2, -0.71875, 0.5625,
     "FunctionNumber=5 StartEllipseWidth=2 EndEllipseWidth=2 StartEllipseHeight=3 EndEllipseHeight=3 LissaDelta=2"},
    // h = 2: gamma = cos(2 pi 1/4 2)/3 = -1/3; base = (-1, 0) turned about (2, 0): (2 - 3 cos(1/3), 3 sin(1/3));
    // D = 2: shape = (1.5 (c + cos(pi/12))/2, 1.5 (s + sin(pi/12))/2) + base
    {"Test", 2, 0.539092583610917, 1.5506983742153473, "FunctionNumber=6 StartEllipseHeight=2 EndEllipseHeight=2"},
    // Path (0, 0) to (1, 0), w = 1, h = 2, angle 90 degrees about (0, 0). delta = pi/2: base = (1, 0)
    // turned about (0, 0) + (cos delta, sin delta)/2 = (0, 1.5); E = 2: shape = ((c/2 + 1.5) c,
    // (s/2 + 1.5) s + 1.5); the wobble centre moves by sin(2 theta) on both axes
    {"plovk2716", 2, -0.6429491924311228, 1.6740381056766584,
     "FunctionNumber=7 StartEllipseHeight=2 EndEllipseHeight=2 ZorvaPointsXStart=0 ZorvaPointsXEnd=1 StartIota=90 "
     "EndIota=90 ZorvaPointsRotateXStart=0 ZorvaPointsRotateXEnd=0"},
    // Rotation centre (0.5, 0.25), angle 90 degrees: wobble centre (c/2 + 0.5, s/2 + 0.25) ...
    {"Wobble", 2, 1.0580127018922194, -0.7834936490538904,
     "Wobble=1 StartIota=90 EndIota=90 ZorvaPointsRotateXStart=0.5 ZorvaPointsRotateXEnd=0.5 "
     "ZorvaPointsRotateYStart=0.25 ZorvaPointsRotateYEnd=0.25"},
    // ... and with "31" (c/2 + 0.5, c/2 + 0.25)
    {"Wobble, 31", 2, 1.2410254037844388, -0.600480947161671,
     "Wobble=1 31=1 StartIota=90 EndIota=90 ZorvaPointsRotateXStart=0.5 ZorvaPointsRotateXEnd=0.5 "
     "ZorvaPointsRotateYStart=0.25 ZorvaPointsRotateYEnd=0.25"},
    // k = 1 (theta = 0, q = 0): the point (0, 0). One rock from 10 to 30 degrees at tr = 1/4:
    // rho = (10 + 20/4) = 15 degrees, a = sin(2 pi/4) rho = pi/12: (-1 + cos 15, sin 15)
    {"Rocker", 1, -0.03407417371093169, 0.25881904510252074, "NumberOfRocks=1 StartRockerAmount=10 EndRockerAmount=30"},
    // The Sine Wobble point moved by (0.25, 0), turned 90 degrees about (0.5, 0): (0.5 - 0.375, -0.35048 + 0.25 - 0.5)
    {"Plane", 2, 0.125, -0.600480947161671,
     "PlaneStartRotationAngle=90 PlaneEndRotationAngle=90 PlaneStartRotationX=0.5 PlaneEndRotationX=0.5 "
     "PlaneStartTranslationX=0.25 PlaneEndTranslationX=0.25"},
};

TEST_F(Formulas, WorkedPoints) {
  for (const WorkedPoint& w : kWorked) {
    SCOPED_TRACE(w.name);
    reset();
    test::setKeys(s, w.settings);
    draw();
    expectAt({w.x, w.y}, 1, w.k);
  }
}

// g := max(g, 1): a grain of 1 or less still draws G = GrainMultiplier points a turn.
TEST_F(Formulas, GrainBelowOneCountsAsOne) {
  auto pointsOfATurn = [](double G) {
    int n = 0;
    for (double theta = 0; theta <= kTwoPi; theta = theta + kTwoPi / G) ++n;
    return n;
  };
  test::setKeys(s, "Steps=1 GrainMultiplier=3");
  for (double grain : {1.0, 0.5, 0.0, -7.0, 1.5}) {
    s.StartGrain = s.EndGrain = grain;
    draw();
    const std::size_t expected = static_cast<std::size_t>(pointsOfATurn(3 * std::max(grain, 1.0)));
    EXPECT_EQ(points.size(), expected) << grain;
    EXPECT_EQ(points.rbegin()->first.second, static_cast<int>(expected)) << grain;
  }
}

// ---- step values: amount and preview ----------------------------------------------

// Preview draws step 0 and the steps 1, 21, 41, ... with ten times the amount;
// the amount runs from StartAmount to EndAmount (hundredths).
TEST_F(Formulas, PreviewAndAmount) {
  stepPerPixel(45);
  addOnBlack();
  test::setKeys(s, "StartAmount=100 EndAmount=300");
  for (bool preview : {false, true}) {
    if (preview) engine.togglePreview();
    draw();
    for (int i = 0; i < 45; ++i) {
      double a = ((i - 0) * 300.0 + (45 - i) * 100.0) / (45 - 0) / 100;  // from 1 to 3
      if (preview) a = a * 10;
      double v = 0;
      for (int point = 0; point < 2; ++point) v = std::clamp(v + a * 1 * 255 / 255, 0.0, 255.0);
      const bool drawn = !preview || i == 0 || i % 20 == 1;
      EXPECT_EQ(probe(0, i), drawn ? v : 0) << i << (preview ? " preview" : "");
      EXPECT_EQ(engine.canvas().FirstStepArray(2 * i, 2), drawn ? i : kNeverPainted) << i;
    }
  }
  EXPECT_DOUBLE_EQ(probe(1, 21), 2 * (100 + 200 * 21 / 45.0) / 100 * 10);  // two points of 19.33
  EXPECT_DOUBLE_EQ(probe(2, 1), 2 * 10 * (100 + 200 / 45.0) / 100);
}

// ---- the point's colour vector ------------------------------------------------------

// Rings of 12 points at three places, Add mode on black with white ink: a
// pixel that exactly one point reached holds amount x the point's vector.
TEST_F(Formulas, AlternativeColouring) {
  addOnBlack();
  test::setKeys(s,
                "ImageWidth=64 ImageHeight=64 Steps=3 StartRadius=50 EndRadius=50 ZorvaPointsXStart=-1 "
                "ZorvaPointsXEnd=1 SplodgeStartLimit=0.5 SplodgeEndLimit=0.5 StartAmount=5000 EndAmount=5000 "
                "NewColor=1 StepColorMultiplier=1 ThetaColorMultiplier=2");
  // The pixel of a plane point at scale 2 on 64 x 64.
  auto pixel = [](qCoord p) {
    return std::pair<int, int>(static_cast<int>((p.X + 2) * 16), static_cast<int>((p.Y + 2) * 16));
  };
  // The animation's phase turns the first method's colours.
  for (const auto& [method063, phi] : {std::pair{false, 0.0}, {true, 0.0}, {false, 0.7}}) {
    SCOPED_TRACE(method063 ? "063 method" : "first method, phase " + std::to_string(phi));
    s.OneOrTwo = method063;
    FrameValues frame = stillFrame(s, 0);
    frame.AnimationPhase = phi;
    drawFrame(frame);
    std::map<std::pair<int, int>, int> hits;
    for (const auto& [key, p] : points) ++hits[pixel(p)];
    int checked = 0;
    for (const auto& [key, p] : points) {
      const auto [px, py] = pixel(p);
      if (hits[{px, py}] != 1) continue;
      const int step = key.first, k = key.second;
      const double a = 2.0 * step * kPi / 3 + 2 * phi, b = 4.0 * k * kPi / 12 + phi, x = p.X, y = p.Y;
      const std::array<double, 3> col =
          method063
              ? std::array<double, 3>{std::fabs(std::max(std::sin(x * y), std::cos(y * y))) / 2,
                                      std::fabs(std::max(std::sin(y * x), std::cos(x * x))) / 2,
                                      std::fabs(std::max(std::cos(x + y), std::sin(x * y)))}
              : std::array<double, 3>{1 - std::cos(phi - a + b), 1 - std::sin(phi + a - b), 1 - std::cos(phi + a + b)};
      for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(engine.canvas().ColorArray(ch, px, py),
                  std::clamp(0 + 50 * col[static_cast<std::size_t>(ch)] * 255 / 255, 0.0, 255.0))
            << "step " << step << ", k " << k << ", channel " << ch;
      ++checked;
    }
    EXPECT_GE(checked, 24);
  }
}

// Opaque source-image inking: a pixel that is not untouched paper keeps its
// colour when its first step is at or before step - Steps x threshold (or it
// was never inked), and takes the image's colour otherwise.
TEST_F(Formulas, OpaqueThreshold) {
  test::TempDir dir;
  // One column, eight rows; row-table entry e (bottom-up) is (20 + 10e, 60 + 5e, 100).
  const std::string rows = test::writeImage(dir, "rows.png", 1, 8, [](int, int y) {
    return std::array{90 - 10 * y, 95 - 5 * y, 100};
  });
  auto setUp = [&](bool white, int bg, int steps, double threshold) {
    reset();
    stepPerPixel(steps);
    s.ZorvaPointsXEnd = s.ZorvaPointsXStart;  // every step on the pixel of step 0
    s.White = white;
    s.BgMaxRed = s.BgMaxGreen = s.BgMaxBlue = bg;
    ASSERT_TRUE(engine.LoadSourceImage(rows));
    s.SourceImageOpacityThreshold = threshold;
    // Column 0, and step s samples entry s.
    test::setKeys(s,
                  "UseOpaquePixels=1 SourceImageStartThetaColorMultiplier=0 SourceImageEndThetaColorMultiplier=0 "
                  "SourceImageStartOffsetOverall=0 SourceImageEndOffsetOverall=0");
    draw();
  };
  // Threshold step = step - 8 x 0.25. Step 0 paints untouched paper (first step 0); step 1:
  // 0 > 1 - 2, painted over with entry 1; step 2: 0 <= 2 - 2, kept; and so on.
  for (bool white : {true, false}) {
    setUp(white, white ? 255 : 0, 8, 0.25);
    EXPECT_EQ(probe(0, 0), 30);
    EXPECT_EQ(probe(1, 0), 65);
    EXPECT_EQ(probe(2, 0), 100);
  }
  // Grey paper is not untouched: its first point finds a pixel never inked and keeps it, the
  // second one (theta = 2 pi) a pixel first inked at step 0 <= 0 - 1 x 0; marked all the same.
  setUp(true, 200, 1, 0);
  EXPECT_EQ(probe(0, 0), 200);
  EXPECT_EQ(engine.canvas().FirstStepArray(0, 2), 0);
}

// ---- composition ---------------------------------------------------------------------

// Three painted pixels whose ink differs from the paper by 100, 50 and 0 in
// every channel, and one unpainted pixel.
TEST_F(Formulas, Normalisation) {
  // The drawing inks nothing (a depth of 0); it only composes.
  test::setKeys(s, "ImageWidth=4 ImageHeight=1 Steps=1 StartDepth=0 EndDepth=0 InterpolateColors=1");
  struct Case {
    bool white;
    double D;
    std::array<int, 3> bytes;
  } cases[] = {
      // N = 255 - atan(d/100): 255 - pi/4, 255 - atan(1/2), 255; hi = 255, lo = 255 - pi/4, top = 255;
      // k = sqrt(3 255^2) / sqrt(3 (pi/4)^2) = 1020/pi; out = 255 - (255 - N) k = 0, 104.46, 255.
      {true, 1, {0, 104, 255}},
      // N = atan(d/100); hi = pi/4, lo = 0, top = 0; out = N k = 255, 150.54, 0.
      {false, 1, {255, 151, 0}},
      // D = 0.4: q = (255 - N)(-1.5) + N and N/0.4 spread 2.5 times as far, so k = 408/pi:
      // 255 - (pi/4) 408/pi = 153, 255 - atan(1/2) 408/pi = 194.79; and 102, 60.21.
      {true, 0.4, {153, 195, 255}},
      {false, 0.4, {102, 60, 0}},
  };
  for (const Case& n : cases) {
    SCOPED_TRACE(testing::Message() << "White " << n.white << ", D " << n.D);
    s.White = n.white;
    s.BgMaxRed = s.BgMaxGreen = s.BgMaxBlue = n.white ? 255 : 0;
    engine.ClearPicture();
    for (int x = 0; x < 3; ++x) {
      for (int ch = 0; ch < 3; ++ch) engine.canvas().ColorArray(ch, x, 0) = n.white ? 155 + 50 * x : 100 - 50 * x;
      engine.canvas().FirstStepArray(x, 0) = 0;
    }
    engine.setNormalisationDivisor(n.D);
    engine.DrawOrStop();
    for (int x = 0; x < 4; ++x)
      for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(engine.picture().row(0)[x * 3 + ch],
                  x < 3 ? n.bytes[static_cast<std::size_t>(x)] : (n.white ? 255 : 0))
            << "pixel " << x;
  }
}

// ---- animation frames ------------------------------------------------------------

TEST_F(Formulas, DisplacementJoinsTheWobbleCentreNotTheRotationCentre) {
  // Path and rotation centre at the origin, the angle a quarter turn: the
  // first point (radius 1 at theta 0) is (2, 0.5) with the displacement,
  // turned about the displaced wobble centre (1, 0.5) to (1, 1.5).
  s.ZorvaPointsXStart = s.ZorvaPointsXEnd = 0;
  FrameValues frame = still();
  frame.startAngle = frame.endAngle = 90;
  frame.startDisplacementX = frame.endDisplacementX = 1;
  frame.startDisplacementY = 0.5;
  frame.endDisplacementY = -0.5;  // over the steps: half way it is 0, and step 2 turns (2, 0) to (1, 1)
  drawFrame(frame);
  expectFirst({1, 1.5});
  expectFirst({1, 1}, 2);
  // With the wobble the centre is (r c / 2, r s / 2) + the displacement.
  s.Wobble = true;
  drawFrame(frame);
  expectFirst({1.5, 1});
}

TEST_F(Formulas, OffsetFractionShiftsTheStepAndTheRocksUnlessOffsetInAnimation) {
  // Path from (-2, 0) to (2, 0); at step 0 an offset of 0.25 gives t = 0.75:
  // the first point (radius 1) at (2, 0). A rock of 90 degrees turns it by
  // sin(0.75 * 2 pi) * 90 = -90 degrees about the origin. Each row adds to the last.
  const double r = std::sqrt(2.0);
  const std::tuple<const char*, double, double, qCoord> rows[] = {
      {"", 0, 0, {2, 0}},
      {"NumberOfRocks=1 StartRockerAmount=90 EndRockerAmount=90", 0, 0, {0, -2}},
      // The animation's rock amount and rock angles add to the settings'.
      {"NumberOfRocks=0 StartRockerAmount=0 EndRockerAmount=0", 1, 90, {0, -2}},
      {"StartRockerAmount=-45 EndRockerAmount=-45", 1, 90, {r, -r}},  // 45 degrees in all
      // "Offset the rocks in animations?": the rocks use i/n = 0, so no turn.
      {"RockOffsetInAnimation=1", 1, 90, {2, 0}}};
  for (const auto& [keys, rockAmount, rockAngle, hand] : rows) {
    SCOPED_TRACE(keys);
    test::setKeys(s, keys);
    FrameValues frame = still();
    frame.AnimationOffsetFraction = 0.25;
    frame.rockAmount = rockAmount;
    frame.startRockAngle = frame.endRockAngle = rockAngle;
    drawFrame(frame);
    expectFirst(hand);
  }
}

TEST_F(Formulas, MainPathRangeAndUseOffsetPlaceThePathPoint) {
  line(kPathCurve, 0.5, -0.5);
  s.ZorvaPointsUseBezier = true;
  const qBezier& path = engine.multiplierSlot(kPathCurve).bezier;
  // The path fraction of step i: start + (end - start) t, less the offset
  // once more with "Use offset?", and wrapped round below 0.
  const std::tuple<double, double, double, bool, int, double> rows[] = {
      {20, 60, 0, false, 0, 0.2},
      {20, 60, 0, false, 2, 0.2 + (0.6 - 0.2) * 0.5},
      {20, 60, 0.25, false, 0, 0.5},  // step 0 at t = 0.75
      {20, 60, 0.25, true, 0, 0.25},  // 0.5 - 0.25
      {0, 20, 0.25, true, 0, 0.9}};   // 0 + (0.2 - 0) * 0.75 - 0.25 + 1
  for (const auto& [start, end, offset, useOffset, step, tp] : rows) {
    FrameValues frame = still();
    frame.mainPathStart = start;
    frame.mainPathEnd = end;
    frame.AnimationOffsetFraction = offset;
    frame.useOffset = useOffset;
    drawFrame(frame);
    expectFirst({path.GetXAt(tp) + 1, path.GetYAt(tp)}, step);
  }
}

TEST_F(Formulas, AnimatedOffsetsRunOverTheStepsAndLineTakesOnlyThePlaneTranslation) {
  line(kPlaneAngle, 1, 1);  // m[28] = 2: it doubles the plane angle, not the animated one
  test::setKeys(
      s, "PlaneStartRotationAngle=0 PlaneEndRotationAngle=0 PlaneStartTranslationX=0.125 PlaneEndTranslationX=0.125");
  FrameValues frame = still();
  frame.offsetStart[kTranslationX] = frame.offsetEnd[kTranslationX] = 0.5;
  frame.offsetStart[kTranslationY] = 0.25;
  frame.offsetEnd[kTranslationY] = 2.25;
  frame.offsetStart[kRotationCentreX] = frame.offsetEnd[kRotationCentreX] = 1;
  frame.offsetStart[kRotationAngle] = 90;
  frame.offsetEnd[kRotationAngle] = 270;
  std::map<int, std::array<double, kAnimatedOffsetCount>> seen;
  engine.onStep = [&](int i) { seen[i] = engine.step().animatedOffsets; };
  // "Sine Wobble" at step 0: point (-1, 0), translated by (0.125 + 0.5, 0.25)
  // and turned a quarter about (1, 0).
  drawFrame(frame);
  expectFirst({1 - 0.25, -0.375 - 1});
  EXPECT_EQ(seen[2][kTranslationY], 1.25);         // half way
  EXPECT_DOUBLE_EQ(seen[2][kRotationAngle], kPi);  // degrees to radians
  // "Line": point (-2, 1) (q = 0: the base position plus cos 0), translated
  // by 0.125 only, then turned about (1, 0) the same way.
  s.FunctionNumber = 2;
  drawFrame(frame);
  expectFirst({1 - 1, -1.875 - 1});
  // Outside an animation they are 0 whatever the last frame held.
  engine.DrawOrStop();
  EXPECT_TRUE(seen[2][kTranslationY] == 0 && seen[2][kRotationAngle] == 0);
}

}  // namespace
}  // namespace zorva
