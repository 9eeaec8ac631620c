#include "curves/outline_tracer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zorva {
namespace {

using Pixels = std::vector<TracePixel>;
constexpr int kMinInt = std::numeric_limits<int>::min();
constexpr int kMaxInt = std::numeric_limits<int>::max();
constexpr Rgb kBlack{0, 0, 0};

void paint(RgbImage& canvas, int x, int y, Rgb c) {
  std::uint8_t* p = canvas.rgb.data() + (static_cast<std::size_t>(y) * canvas.width + x) * 3;
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

RgbImage canvasWith(int w, int h, const Pixels& black) {
  RgbImage canvas = whiteCanvas(w, h);
  for (const TracePixel& p : black) paint(canvas, p.x, p.y, kBlack);
  return canvas;
}

// A black disc of radius 50 about (300, 200) on the editor's white canvas.
constexpr int kCx = 300, kCy = 200, kR = 50;
bool inDisc(int x, int y) { return (x - kCx) * (x - kCx) + (y - kCy) * (y - kCy) <= kR * kR; }

RgbImage discCanvas() {
  RgbImage canvas = whiteCanvas(kAtcCanvasWidth, kAtcCanvasHeight);
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x)
      if (inDisc(x, y)) paint(canvas, x, y, kBlack);
  return canvas;
}

// Every 2 x 2 square whose corners are partly in the disc and partly not.
std::set<std::pair<int, int>> discBoundarySquares() {
  std::set<std::pair<int, int>> squares;
  for (int y = kCy - kR - 2; y <= kCy + kR + 1; ++y)
    for (int x = kCx - kR - 2; x <= kCx + kR + 1; ++x) {
      const int in = inDisc(x, y) + inDisc(x + 1, y) + inDisc(x, y + 1) + inDisc(x + 1, y + 1);
      if (in > 0 && in < 4) squares.insert({x, y});
    }
  return squares;
}

// Margins around a placed image stay white (nothing to check off the canvas).
void expectWhiteIfOnCanvas(const RgbImage& canvas, int x, int y) {
  if (onCanvas(canvas, x, y)) {
    EXPECT_EQ(pixelAt(canvas, x, y), (Rgb{255, 255, 255})) << x << ", " << y;
  }
}

// The walk positions of a trace: its points without the leading start and
// the closing final position and start.
Pixels walkOf(const OutlineTrace& trace) { return Pixels(trace.points.begin() + 1, trace.points.end() - 2); }

TEST(OutlineTracerColour, LumaAddsTheWeightedChannelsLeftToRight) {
  EXPECT_DOUBLE_EQ(luma({255, 0, 0}), 54.213);
  EXPECT_DOUBLE_EQ(luma({0, 255, 0}), 182.376);
  EXPECT_DOUBLE_EQ(luma({0, 0, 255}), 18.411);
  // The last bits show the order of the additions: from the right it is 117.65.
  EXPECT_EQ(luma({200, 100, 50}), 117.64999999999999);
  EXPECT_EQ(luma({255, 255, 255}), 254.99999999999997);
}

TEST(OutlineTracerColour, CloseMeansStrictlyWithinTheTolerance) {
  const Rgb grey{128, 128, 128};  // luma exactly 128
  EXPECT_FALSE(AreColorsClose(grey, kBlack, 128));
  EXPECT_TRUE(AreColorsClose(grey, kBlack, 129));
  EXPECT_TRUE(AreColorsClose(kBlack, grey, 129));  // a distance, either way round
  EXPECT_FALSE(AreColorsClose(kBlack, kBlack, 0));
  EXPECT_TRUE(AreColorsClose(kBlack, kBlack, 1));
  EXPECT_FALSE(AreColorsClose(kBlack, kBlack, -5));
  EXPECT_TRUE(AreColorsClose({255, 255, 255}, kBlack, 255));  // white's luma is just below 255
}

TEST(OutlineTracerSquares, EachCloseCornerAddsItsBit) {
  for (int v = 0; v < 16; ++v) {
    Pixels black;
    if (v & 1) black.push_back({0, 0});
    if (v & 2) black.push_back({1, 0});
    if (v & 4) black.push_back({0, 1});
    if (v & 8) black.push_back({1, 1});
    EXPECT_EQ(getSquareValue(canvasWith(2, 2, black), 0, 0, kBlack, 40), v) << v;
  }
  // Corners off the canvas are not close.
  const RgbImage allBlack = canvasWith(2, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}});
  EXPECT_EQ(getSquareValue(allBlack, 1, 1, kBlack, 40), 1);
  EXPECT_EQ(getSquareValue(allBlack, -1, -1, kBlack, 40), 8);
  EXPECT_EQ(getSquareValue(allBlack, -1, 0, kBlack, 40), 2 + 8);
  EXPECT_EQ(getSquareValue(allBlack, kMaxInt, kMaxInt, kBlack, 40), 0);
  EXPECT_EQ(getSquareValue(allBlack, kMinInt, kMinInt, kBlack, 40), 0);
}

TEST(OutlineTracerSquares, DirectionTable) {
  using D = TraceDirection;
  const std::vector<std::pair<std::vector<int>, D>> fixed = {
      {{1, 5, 13}, D::Up}, {{2, 3, 7}, D::Right}, {{4, 12, 14}, D::Left}, {{8, 10, 11}, D::Down}, {{0, 15}, D::Right}};
  for (const auto& [values, direction] : fixed)
    for (int v : values)
      for (D previous : {D::None, D::Up, D::Right, D::Down, D::Left})
        EXPECT_EQ(nextDirection(v, previous), direction) << v;
  // The saddles turn by where the walk came from.
  EXPECT_EQ(nextDirection(6, D::Up), D::Left);
  for (D previous : {D::None, D::Right, D::Down, D::Left}) EXPECT_EQ(nextDirection(6, previous), D::Right);
  EXPECT_EQ(nextDirection(9, D::Right), D::Up);
  for (D previous : {D::None, D::Up, D::Down, D::Left}) EXPECT_EQ(nextDirection(9, previous), D::Down);
}

// Walks traced by hand on small canvases, every position kept (sampling 1).
struct HandWalk {
  const char* name;
  int w, h;
  Pixels black;
  Pixels walk;
};

TEST(OutlineTracerWalk, SmallShapesFollowTheTableStepByStep) {
  const std::vector<HandWalk> cases = {
      {"one pixel", 5, 5, {{2, 2}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}},
      // A 9 (top-left and bottom-right) entered moving right turns up: the
      // diagonal neighbour is not part of the outline.
      {"9 after right", 6, 6, {{2, 2}, {3, 3}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}},
      // A 6 (top-right and bottom-left) entered moving down goes right.
      {"6 after down", 6, 6, {{3, 2}, {2, 3}}, {{2, 1}, {2, 2}, {3, 2}, {3, 1}}},
      // A U whose right arm has a diagonal neighbour (5, 3): the walk comes up
      // the arm, meets the 6 at (4, 3) moving up and turns left into the U.
      {"6 after up",
       8,
       8,
       {{2, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 5}, {4, 5}, {4, 4}, {5, 3}},
       {{1, 1},
        {1, 2},
        {1, 3},
        {1, 4},
        {1, 5},
        {2, 5},
        {3, 5},
        {4, 5},
        {4, 4},
        {4, 3},
        {3, 3},
        {3, 4},
        {2, 4},
        {2, 3},
        {2, 2},
        {2, 1}}},
  };
  for (const HandWalk& c : cases) {
    SCOPED_TRACE(c.name);
    const OutlineTrace trace = traceOutline(canvasWith(c.w, c.h, c.black), 1, 1, kBlack, {40, 1});
    EXPECT_EQ(trace.end, OutlineEnd::Closed);
    Pixels expected = {c.walk.front()};
    expected.insert(expected.end(), c.walk.begin(), c.walk.end());
    expected.push_back(c.walk.front());
    expected.push_back(c.walk.front());
    EXPECT_EQ(trace.points, expected);
    EXPECT_EQ(trace.marked, c.walk);
    EXPECT_EQ(trace.steps, static_cast<std::int32_t>(c.walk.size()));
  }
}

TEST(OutlineTracerDisc, GetOutlineClosesAroundTheDiscFromItsFirstSquare) {
  const RgbImage canvas = discCanvas();
  std::string text = "old text";
  const OutlineTrace trace = getOutlineCommand(canvas, {40, 3}, text);
  ASSERT_EQ(trace.end, OutlineEnd::Closed);
  // The disc's top row is y = 150 with the one pixel x = 300, so the first
  // square of the scan that touches it is the one whose bottom-right it is.
  const TracePixel start{kCx - 1, kCy - kR - 1};
  EXPECT_EQ(trace.points.front(), start);
  EXPECT_EQ(trace.points.back(), start);
  EXPECT_EQ(trace.points[trace.points.size() - 2], start);  // the final position: back at the start
  // Every third walk position is kept.
  EXPECT_EQ(trace.points.size(), static_cast<std::size_t>(1 + (trace.steps + 2) / 3 + 2));
  EXPECT_EQ(text, outlineText(trace, canvas.width, canvas.height));
}

TEST(OutlineTracerDisc, SamplingOneKeepsEveryBoundarySquareOnce) {
  const RgbImage canvas = discCanvas();
  const OutlineTrace every = traceOutline(canvas, 1, 1, kBlack, {40, 1});
  ASSERT_EQ(every.end, OutlineEnd::Closed);
  const Pixels walk = walkOf(every);
  std::set<std::pair<int, int>> visited;
  for (const TracePixel& p : walk) visited.insert({p.x, p.y});
  EXPECT_EQ(visited, discBoundarySquares());
  EXPECT_EQ(walk.size(), visited.size());
  EXPECT_EQ(every.marked, walk);

  // Sampling n keeps the walk positions 0, n, 2n, ... of the same walk.
  for (std::int32_t n : {3, 7, 100}) {
    const OutlineTrace sampled = traceOutline(canvas, 1, 1, kBlack, {40, n});
    Pixels expected;
    for (std::size_t i = 0; i < walk.size(); i += static_cast<std::size_t>(n)) expected.push_back(walk[i]);
    EXPECT_EQ(walkOf(sampled), expected) << n;
    EXPECT_EQ(sampled.marked, walk) << n;
  }
  // A sampling below 1 keeps everything.
  EXPECT_EQ(traceOutline(canvas, 1, 1, kBlack, {40, 0}).points, every.points);
  EXPECT_EQ(traceOutline(canvas, 1, 1, kBlack, {40, -3}).points, every.points);
}

TEST(OutlineTracerDisc, ToleranceZeroOr255FindsNoBoundary) {
  const RgbImage canvas = discCanvas();
  for (std::int32_t tolerance : {0, 255, -1}) {
    std::string text = "old text";
    const OutlineTrace trace = getOutlineCommand(canvas, {tolerance, 3}, text);
    EXPECT_EQ(trace.end, OutlineEnd::NoBoundary) << tolerance;
    EXPECT_FALSE(trace.found());
    EXPECT_TRUE(trace.marked.empty());
    EXPECT_EQ(text, "") << tolerance;  // Get Outline starts a new text even when it finds nothing
  }
}

TEST(OutlineTracerDisc, ScanStartsFarOutsideTheCanvasWithoutChangingTheResult) {
  const RgbImage canvas = discCanvas();
  std::string a, b;
  const OutlineTrace fromOne = GetOutline(canvas, 1, 1, true, false, {40, 3}, a);
  const OutlineTrace fromFar = GetOutline(canvas, kMinInt, kMinInt, true, false, {40, 3}, b);
  EXPECT_EQ(fromFar.points, fromOne.points);
  EXPECT_EQ(b, a);
  EXPECT_FALSE(GetOutline(canvas, kMaxInt, 1, true, false, {40, 3}, b).found());
  EXPECT_FALSE(GetOutline(canvas, 1, kMaxInt, true, false, {40, 3}, b).found());
  // The scan takes every row from x0 on: column 320 first meets the disc in
  // row 155 (20 * 20 + 45 * 45 <= 50 * 50), so the first square is (320, 154).
  EXPECT_EQ(traceOutline(canvas, kCx + 20, 1, kBlack, {40, 3}).points.front(), (TracePixel{kCx + 20, kCy - 46}));
}

TEST(OutlineTracerText, PixelsBecomePointsInUnitsOfTheWidth) {
  const int w = kAtcCanvasWidth, h = kAtcCanvasHeight;
  EXPECT_EQ(outlineCurvePoint({0, 0}, w, h), qCoord(-0.5, 0.5 * h / w));
  EXPECT_EQ(outlineCurvePoint({w, h}, w, h), qCoord(0.5, -0.5 * h / w));
  EXPECT_EQ(outlineCurvePoint({349, 269}, w, h), qCoord(-0.5 / w, 0.5 / w));  // half-pixel centre on odd sizes
  EXPECT_EQ(outlineCurvePoint({50, 40}, 100, 80), qCoord(0, 0));
  EXPECT_EQ(outlineCurvePoint({25, 60}, 100, 80), qCoord(-0.25, -0.2));

  std::string text = "x";
  AddToCurveString(text, {2, 1}, 8, 4);
  EXPECT_EQ(text, "x-0.25\r\n0.125\r\n");
}

TEST(OutlineTracerText, TheCurveReaderDoublesTheTracedPoints) {
  const RgbImage canvas = discCanvas();
  std::string text;
  const OutlineTrace trace = getOutlineCommand(canvas, {40, 5}, text);
  qCurve curve;
  ASSERT_EQ(curve.LoadFromClipBoard(text), std::nullopt);
  ASSERT_EQ(curve.GetLength(), static_cast<std::int32_t>(trace.points.size()));
  for (std::size_t i = 0; i < trace.points.size(); ++i) {
    const qCoord p = outlineCurvePoint(trace.points[i], canvas.width, canvas.height);
    EXPECT_NEAR(curve.Points()[i].X, 2 * p.X, 1e-14);
    EXPECT_NEAR(curve.Points()[i].Y, 2 * p.Y, 1e-14);
  }
}

TEST(OutlineTracerLasso, ThePressedColourIsTheReference) {
  const RgbImage canvas = discCanvas();
  std::string text;
  // Inside the disc: black reference, scan from the press; in row 200 the
  // first square from x = 300 that leaves the disc is at its right edge.
  const OutlineTrace inside = lassoOutline(canvas, kCx, kCy, false, {40, 1}, text);
  ASSERT_EQ(inside.end, OutlineEnd::Closed);
  EXPECT_EQ(inside.points.front(), (TracePixel{kCx + kR - 1, kCy}));
  std::set<std::pair<int, int>> visited;
  for (const TracePixel& p : walkOf(inside)) visited.insert({p.x, p.y});
  EXPECT_EQ(visited, discBoundarySquares());

  // On the white: the same first square, whose white corners now count as
  // close (value 7, right) instead of its black one (value 8, down).
  const OutlineTrace white = lassoOutline(canvas, 10, 100, false, {40, 1}, text);
  ASSERT_EQ(white.end, OutlineEnd::Closed);
  EXPECT_EQ(white.points[1], (TracePixel{kCx - 1, kCy - kR - 1}));
  EXPECT_EQ(white.points[2], (TracePixel{kCx, kCy - kR - 1}));
  // A press at x < 2 or y < 2 uses the black reference.
  const OutlineTrace nearEdge = lassoOutline(canvas, 1, 100, false, {40, 1}, text);
  EXPECT_EQ(nearEdge.points[1], (TracePixel{kCx - 1, kCy - kR - 1}));
  EXPECT_EQ(nearEdge.points[2], (TracePixel{kCx - 1, kCy - kR}));
  EXPECT_EQ(lassoOutline(canvas, 100, 1, false, {40, 1}, text).points, nearEdge.points);
}

TEST(OutlineTracerLasso, ShiftAppendsAndAPlainPressStartsAfresh) {
  const RgbImage canvas = canvasWith(40, 30, {{10, 10}, {11, 10}, {30, 20}});
  std::string text;
  const OutlineTrace first = lassoOutline(canvas, 10, 10, false, {40, 1}, text);
  const std::string firstText = outlineText(first, canvas.width, canvas.height);
  EXPECT_EQ(text, firstText);
  const OutlineTrace second = lassoOutline(canvas, 30, 20, true, {40, 1}, text);
  ASSERT_TRUE(second.found());
  EXPECT_NE(second.points, first.points);
  EXPECT_EQ(text, firstText + outlineText(second, canvas.width, canvas.height));
  // Shift with nothing to find leaves the text; a plain press empties it.
  EXPECT_FALSE(lassoOutline(canvas, 5, 25, true, {40, 1}, text).found());
  EXPECT_EQ(text, firstText + outlineText(second, canvas.width, canvas.height));
  lassoOutline(canvas, 30, 20, false, {40, 1}, text);
  EXPECT_EQ(text, outlineText(second, canvas.width, canvas.height));
  lassoOutline(canvas, 5, 25, false, {40, 1}, text);
  EXPECT_EQ(text, "");
}

TEST(OutlineTracerBadInput, NothingToTraceNeverFailsOrHangs) {
  const RgbImage disc = discCanvas();
  // Presses off the canvas trace nothing and keep the text.
  for (auto [x, y] : std::vector<std::pair<int, int>>{
           {-1, 5}, {kAtcCanvasWidth, 5}, {5, kAtcCanvasHeight}, {kMinInt, kMaxInt}, {kMaxInt, kMinInt}}) {
    std::string text = "kept";
    const OutlineTrace trace = lassoOutline(disc, x, y, false, {40, 3}, text);
    EXPECT_EQ(trace.end, OutlineEnd::OutsideCanvas);
    EXPECT_FALSE(trace.found());
    EXPECT_EQ(text, "kept");
  }
  // An empty canvas and a white one have no boundary.
  for (const RgbImage& canvas : {RgbImage{}, whiteCanvas(1, 1), whiteCanvas(2, 1), whiteCanvas(50, 40)}) {
    std::string text = "old";
    EXPECT_EQ(getOutlineCommand(canvas, {40, 3}, text).end, OutlineEnd::NoBoundary);
    EXPECT_EQ(text, "");
    text = "old";
    EXPECT_EQ(lassoOutline(canvas, 0, 0, true, {40, 3}, text).end,
              canvas.width > 0 ? OutlineEnd::NoBoundary : OutlineEnd::OutsideCanvas);
    EXPECT_EQ(text, "old");
  }
  // Pixel bytes that do not match the size are refused untouched.
  RgbImage broken = whiteCanvas(10, 10);
  broken.rgb.resize(100);
  std::string text = "kept";
  EXPECT_EQ(getOutlineCommand(broken, {40, 3}, text).end, OutlineEnd::BadCanvas);
  EXPECT_EQ(lassoOutline(broken, 3, 3, false, {40, 3}, text).end, OutlineEnd::BadCanvas);
  EXPECT_EQ(text, "kept");
  broken.width = -10;
  EXPECT_EQ(getOutlineCommand(broken, {40, 3}, text).end, OutlineEnd::BadCanvas);
}

TEST(OutlineTracerBadInput, AWalkLongerThanTheLimitIsCutOffAndClosed) {
  // A comb: a bar along row 1 with one-pixel teeth down every other column,
  // a boundary of several hundred thousand steps.
  RgbImage canvas = whiteCanvas(kAtcCanvasWidth, kAtcCanvasHeight);
  for (int x = 1; x < canvas.width - 1; ++x) paint(canvas, x, 1, kBlack);
  for (int x = 1; x < canvas.width - 1; x += 2)
    for (int y = 2; y < canvas.height - 1; ++y) paint(canvas, x, y, kBlack);
  const OutlineTrace trace = traceOutline(canvas, 1, 1, kBlack, {40, 3});
  EXPECT_EQ(trace.end, OutlineEnd::StepLimit);
  EXPECT_EQ(trace.steps, kOutlineStepLimit);
  EXPECT_EQ(trace.points.size(), static_cast<std::size_t>(1 + (kOutlineStepLimit + 2) / 3 + 2));
  EXPECT_EQ(trace.points.front(), (TracePixel{1, 1}));
  EXPECT_EQ(trace.points.back(), trace.points.front());
  EXPECT_NE(trace.points[trace.points.size() - 2], trace.points.front());  // where the walk was cut off
}

TEST(OutlineTracerImage, ASmallImageIsCentredAtItsOwnSize) {
  struct Case {
    int w, h, left, top;
  };
  for (const Case& c : std::vector<Case>{{10, 6, 344, 266}, {9, 7, 345, 266}, {699, 539, 0, 0}, {1, 539, 349, 0}}) {
    RgbImage image;
    image.width = c.w;
    image.height = c.h;
    image.rgb.assign(static_cast<std::size_t>(c.w) * c.h * 3, 7);
    paint(image, 0, 0, {1, 2, 3});
    const RgbImage canvas = placeImageOnCanvas(image);
    ASSERT_EQ(canvas.width, kAtcCanvasWidth);
    ASSERT_EQ(canvas.height, kAtcCanvasHeight);
    EXPECT_EQ(pixelAt(canvas, c.left, c.top), (Rgb{1, 2, 3})) << c.w;
    EXPECT_EQ(pixelAt(canvas, c.left + c.w - 1, c.top + c.h - 1), (Rgb{7, 7, 7})) << c.w;
    expectWhiteIfOnCanvas(canvas, c.left - 1, c.top);
    expectWhiteIfOnCanvas(canvas, c.left + c.w, c.top);
    expectWhiteIfOnCanvas(canvas, c.left, c.top - 1);
    expectWhiteIfOnCanvas(canvas, c.left, c.top + c.h);
  }
}

TEST(OutlineTracerImage, ALargerImageIsScaledToFitAndCentred) {
  struct Case {
    int w, h;
    int left, top, right, bottom;  // the placed image's first and last column and row
  };
  const std::vector<Case> cases = {
      {1398, 200, 0, 219, 698, 318},  // twice as wide: 699 x 100
      {100, 1078, 324, 0, 373, 538},  // twice as tall: 50 x 539
      {1400, 1400, 80, 0, 618, 538},  // the height binds: 539 x 539
      {2000, 539, 0, 175, 698, 362},  // 699 x 188.38 rounds to 188
      {700, 10, 0, 264, 698, 273},    // 699 x 9.99 rounds to 10
      {100000, 1, 0, 269, 698, 269},  // a sliver keeps one row
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    RgbImage image;
    image.width = c.w;
    image.height = c.h;
    image.rgb.assign(static_cast<std::size_t>(c.w) * c.h * 3, 40);
    const RgbImage canvas = placeImageOnCanvas(image);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{c.left, c.top}, {c.right, c.bottom}})
      EXPECT_EQ(pixelAt(canvas, x, y), (Rgb{40, 40, 40}));
    expectWhiteIfOnCanvas(canvas, c.left - 1, c.top);
    expectWhiteIfOnCanvas(canvas, c.right + 1, c.top);
    expectWhiteIfOnCanvas(canvas, c.left, c.top - 1);
    expectWhiteIfOnCanvas(canvas, c.left, c.bottom + 1);
  }
  // Halving averages: a black left half and a white right half stay so.
  RgbImage halves = whiteCanvas(1398, 1078);
  for (int y = 0; y < halves.height; ++y)
    for (int x = 0; x < 699; ++x) paint(halves, x, y, kBlack);
  const RgbImage canvas = placeImageOnCanvas(halves);
  EXPECT_EQ(pixelAt(canvas, 0, 0), kBlack);
  EXPECT_EQ(pixelAt(canvas, 348, 538), kBlack);
  EXPECT_EQ(pixelAt(canvas, 350, 0), (Rgb{255, 255, 255}));
}

TEST(OutlineTracerImage, NoImageGivesTheWhiteCanvas) {
  RgbImage broken;
  broken.width = 5;
  broken.height = 5;  // and no pixels
  for (const RgbImage& image : {RgbImage{}, broken}) {
    const RgbImage canvas = placeImageOnCanvas(image);
    EXPECT_EQ(canvas.width, kAtcCanvasWidth);
    EXPECT_EQ(canvas.height, kAtcCanvasHeight);
    EXPECT_EQ(canvas.rgb, whiteCanvas(kAtcCanvasWidth, kAtcCanvasHeight).rgb);
  }
  EXPECT_TRUE(placeImageOnCanvas(whiteCanvas(3, 3), 0, 539).rgb.empty());
  EXPECT_TRUE(placeImageOnCanvas(whiteCanvas(3, 3), 699, -1).rgb.empty());
  EXPECT_TRUE(placeImageOnCanvas(whiteCanvas(3, 3), 100000, 100000).rgb.empty());
}

}  // namespace
}  // namespace zorva
