#include "curves/outline_tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
constexpr Rgb kWhite{255, 255, 255};

// Pixels from x, y pairs.
Pixels pixels(const std::vector<int>& xy) {
  Pixels out;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) out.push_back({xy[i], xy[i + 1]});
  return out;
}

void paint(RgbImage& canvas, int x, int y, Rgb c) {
  std::uint8_t* p = canvas.rgb.data() + (static_cast<std::size_t>(y) * canvas.width + x) * 3;
  p[0] = c.r, p[1] = c.g, p[2] = c.b;
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

// The walk positions of a trace: its points without the leading start and
// the closing final position and start.
Pixels walkOf(const OutlineTrace& trace) { return Pixels(trace.points.begin() + 1, trace.points.end() - 2); }

std::set<std::pair<int, int>> visited(const Pixels& walk) {
  std::set<std::pair<int, int>> squares;
  for (const TracePixel& p : walk) squares.insert({p.x, p.y});
  return squares;
}

TEST(OutlineTracerColour, LumaAndCloseness) {
  // The last bits show the order of the additions: from the right it is 117.65.
  EXPECT_EQ(luma({200, 100, 50}), 117.64999999999999);
  EXPECT_EQ(luma(kWhite), 254.99999999999997);
  const Rgb grey{128, 128, 128};  // luma exactly 128
  EXPECT_FALSE(AreColorsClose(grey, kBlack, 128));
  EXPECT_TRUE(AreColorsClose(kBlack, grey, 129));  // a distance, either way round
  EXPECT_FALSE(AreColorsClose(kBlack, kBlack, 0));
  EXPECT_TRUE(AreColorsClose(kWhite, kBlack, 255));
}

TEST(OutlineTracerSquares, EachCloseCornerAddsItsBitAndTheTableGivesTheStep) {
  for (int v = 0; v < 16; ++v) {
    Pixels black;
    for (int bit = 0; bit < 4; ++bit)
      if (v & (1 << bit)) black.push_back({bit & 1, bit >> 1});
    EXPECT_EQ(getSquareValue(canvasWith(2, 2, black), 0, 0, kBlack, 40), v) << v;
  }
  // Corners off the canvas are not close.
  const RgbImage allBlack = canvasWith(2, 2, pixels({0, 0, 1, 0, 0, 1, 1, 1}));
  EXPECT_EQ(getSquareValue(allBlack, 1, 1, kBlack, 40), 1);
  EXPECT_EQ(getSquareValue(allBlack, -1, 0, kBlack, 40), 2 + 8);
  EXPECT_EQ(getSquareValue(allBlack, kMaxInt, kMaxInt, kBlack, 40), 0);
  EXPECT_EQ(getSquareValue(allBlack, kMinInt, kMinInt, kBlack, 40), 0);

  using D = TraceDirection;
  const D table[16] = {D::Right, D::Up,   D::Right, D::Right, D::Left, D::Up, D::Right, D::Right,
                       D::Down,  D::Down, D::Down,  D::Down,  D::Left, D::Up, D::Left,  D::Right};
  for (int v = 0; v < 16; ++v)
    for (D previous : {D::None, D::Up, D::Right, D::Down, D::Left}) {
      // The saddles 6 and 9 turn by where the walk came from.
      D expected = table[v];
      if (v == 6 && previous == D::Up) expected = D::Left;
      if (v == 9 && previous == D::Right) expected = D::Up;
      EXPECT_EQ(nextDirection(v, previous), expected) << v << " after " << static_cast<int>(previous);
    }
}

TEST(OutlineTracerWalk, SmallShapesFollowTheTableStepByStep) {
  // Walks traced by hand, every position kept (sampling 1).
  struct HandWalk {
    const char* name;
    std::vector<int> black, walk;
  };
  const HandWalk cases[] = {
      // A 9 (top-left and bottom-right) entered moving right turns up: the
      // diagonal neighbour is not part of the outline, which is that of one pixel.
      {"9 after right", {2, 2, 3, 3}, {1, 1, 1, 2, 2, 2, 2, 1}},
      // A 6 (top-right and bottom-left) entered moving down goes right.
      {"6 after down", {3, 2, 2, 3}, {2, 1, 2, 2, 3, 2, 3, 1}},
      // A U whose right arm has a diagonal neighbour (5, 3): the walk comes up
      // the arm, meets the 6 at (4, 3) moving up and turns left into the U.
      {"6 after up",
       {2, 2, 2, 3, 2, 4, 2, 5, 3, 5, 4, 5, 4, 4, 5, 3},
       {1, 1, 1, 2, 1, 3, 1, 4, 1, 5, 2, 5, 3, 5, 4, 5, 4, 4, 4, 3, 3, 3, 3, 4, 2, 4, 2, 3, 2, 2, 2, 1}},
  };
  for (const HandWalk& c : cases) {
    SCOPED_TRACE(c.name);
    const OutlineTrace trace = traceOutline(canvasWith(8, 8, pixels(c.black)), 1, 1, kBlack, {40, 1});
    const Pixels walk = pixels(c.walk);
    EXPECT_EQ(trace.end, OutlineEnd::Closed);
    Pixels expected = {walk.front()};
    expected.insert(expected.end(), walk.begin(), walk.end());
    expected.insert(expected.end(), 2, walk.front());
    EXPECT_EQ(trace.points, expected);
    EXPECT_EQ(trace.marked, walk);
    EXPECT_EQ(trace.steps, static_cast<std::int32_t>(walk.size()));
  }
}

TEST(OutlineTracerDisc, TheWalkVisitsEveryBoundarySquareOnceAndKeepsEveryNth) {
  const RgbImage canvas = discCanvas();
  const OutlineTrace every = traceOutline(canvas, 1, 1, kBlack, {40, 1});
  ASSERT_EQ(every.end, OutlineEnd::Closed);
  // The disc's top row is y = 150 with the one pixel x = 300, so the first
  // square of the scan that touches it is the one whose bottom-right it is.
  const TracePixel start{kCx - 1, kCy - kR - 1};
  EXPECT_EQ(every.points.front(), start);
  EXPECT_EQ(every.points[every.points.size() - 2], start);  // the final position: back at the start
  const Pixels walk = walkOf(every);
  EXPECT_EQ(visited(walk), discBoundarySquares());
  EXPECT_EQ(walk.size(), discBoundarySquares().size());
  EXPECT_EQ(every.marked, walk);

  // Sampling n keeps the walk positions 0, n, 2n, ... of the same walk; below 1 counts as 1.
  for (std::int32_t n : {3, 100, -3}) {
    const OutlineTrace sampled = traceOutline(canvas, 1, 1, kBlack, {40, n});
    Pixels expected;
    for (std::size_t i = 0; i < walk.size(); i += static_cast<std::size_t>(std::max(n, 1))) expected.push_back(walk[i]);
    EXPECT_EQ(walkOf(sampled), expected) << n;
    EXPECT_EQ(sampled.marked, walk) << n;
  }
  // Get Outline replaces the text with the trace's; a scan from far outside finds the same.
  std::string text = "old text", far;
  const OutlineTrace got = getOutlineCommand(canvas, {40, 3}, text);
  EXPECT_EQ(text, outlineText(got, canvas.width, canvas.height));
  EXPECT_EQ(GetOutline(canvas, kMinInt, kMinInt, true, false, {40, 3}, far).points, got.points);
  EXPECT_FALSE(GetOutline(canvas, kMaxInt, 1, true, false, {40, 3}, far).found());
  // The scan takes every row from x0 on: column 320 first meets the disc in
  // row 155 (20 * 20 + 45 * 45 <= 50 * 50), so the first square is (320, 154).
  EXPECT_EQ(traceOutline(canvas, kCx + 20, 1, kBlack, {40, 3}).points.front(), (TracePixel{kCx + 20, kCy - 46}));
  // Tolerance 0 finds nothing close, 255 everything: no boundary, and an emptied text.
  for (std::int32_t tolerance : {0, 255}) {
    text = "old text";
    EXPECT_EQ(getOutlineCommand(canvas, {tolerance, 3}, text).end, OutlineEnd::NoBoundary) << tolerance;
    EXPECT_EQ(text, "") << tolerance;
  }
}

TEST(OutlineTracerText, PixelsBecomePointsInUnitsOfTheWidth) {
  const int w = kAtcCanvasWidth, h = kAtcCanvasHeight;
  EXPECT_EQ(outlineCurvePoint({0, 0}, w, h), qCoord(-0.5, 0.5 * h / w));
  EXPECT_EQ(outlineCurvePoint({349, 269}, w, h), qCoord(-0.5 / w, 0.5 / w));  // half-pixel centre on odd sizes
  EXPECT_EQ(outlineCurvePoint({25, 60}, 100, 80), qCoord(-0.25, -0.2));
  std::string text = "x";
  AddToCurveString(text, {2, 1}, 8, 4);
  EXPECT_EQ(text, "x-0.25\r\n0.125\r\n");
}

TEST(OutlineTracerLasso, ThePressedColourIsTheReference) {
  const RgbImage canvas = discCanvas();
  std::string text;
  // Inside the disc: black reference, scan from the press; in row 200 the
  // first square from x = 300 that leaves the disc is at its right edge.
  const OutlineTrace inside = lassoOutline(canvas, kCx, kCy, false, {40, 1}, text);
  ASSERT_EQ(inside.end, OutlineEnd::Closed);
  EXPECT_EQ(inside.points.front(), (TracePixel{kCx + kR - 1, kCy}));
  EXPECT_EQ(visited(walkOf(inside)), discBoundarySquares());

  // On the white: the same first square, whose white corners now count as
  // close (value 7, right) instead of its black one (value 8, down).
  const OutlineTrace white = lassoOutline(canvas, 10, 100, false, {40, 1}, text);
  EXPECT_EQ(white.points[1], (TracePixel{kCx - 1, kCy - kR - 1}));
  EXPECT_EQ(white.points[2], (TracePixel{kCx, kCy - kR - 1}));
  // A press at x < 2 or y < 2 uses the black reference.
  const OutlineTrace nearEdge = lassoOutline(canvas, 1, 100, false, {40, 1}, text);
  EXPECT_EQ(nearEdge.points[2], (TracePixel{kCx - 1, kCy - kR}));
  EXPECT_EQ(lassoOutline(canvas, 100, 1, false, {40, 1}, text).points, nearEdge.points);
}

TEST(OutlineTracerBadInput, NothingToTraceNeverFailsOrHangs) {
  // Presses off the canvas trace nothing and keep the text; so does a shift press that finds nothing.
  for (auto [x, y] : {std::pair{-1, 5}, {5, kAtcCanvasHeight}, {kMaxInt, kMinInt}}) {
    std::string text = "kept";
    EXPECT_EQ(lassoOutline(discCanvas(), x, y, false, {40, 3}, text).end, OutlineEnd::OutsideCanvas);
    EXPECT_EQ(text, "kept");
  }
  std::string text = "kept";
  EXPECT_FALSE(lassoOutline(canvasWith(40, 30, pixels({10, 10})), 5, 25, true, {40, 1}, text).found());
  EXPECT_EQ(text, "kept");
  // An empty canvas and a white one have no boundary, and empty the text.
  for (const RgbImage& canvas : {RgbImage{}, whiteCanvas(1, 1), whiteCanvas(50, 40)}) {
    text = "old";
    EXPECT_EQ(getOutlineCommand(canvas, {40, 3}, text).end, OutlineEnd::NoBoundary);
    EXPECT_EQ(text, "");
  }
  // Pixel bytes that do not match the size are refused untouched.
  RgbImage broken = whiteCanvas(10, 10);
  broken.rgb.resize(100);
  text = "kept";
  EXPECT_EQ(getOutlineCommand(broken, {40, 3}, text).end, OutlineEnd::BadCanvas);
  EXPECT_EQ(lassoOutline(broken, 3, 3, false, {40, 3}, text).end, OutlineEnd::BadCanvas);
  EXPECT_EQ(text, "kept");
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
  EXPECT_EQ(trace.points.back(), (TracePixel{1, 1}));
  EXPECT_NE(trace.points[trace.points.size() - 2], trace.points.front());  // where the walk was cut off
}

TEST(OutlineTracerImage, AnImageIsCentredAndScaledDownToFit) {
  // The placed image's first and last column and row.
  const std::array<int, 6> cases[] = {
      {10, 6, 344, 266, 353, 271},   {9, 7, 345, 266, 353, 272},
      {699, 539, 0, 0, 698, 538},    {1398, 200, 0, 219, 698, 318},  // twice as wide: 699 x 100
      {100, 1078, 324, 0, 373, 538},                                 // twice as tall: 50 x 539
      {2000, 539, 0, 175, 698, 362},                                 // 699 x 188.38 rounds to 188
      {700, 10, 0, 264, 698, 273},                                   // 699 x 9.99 rounds to 10
      {100000, 1, 0, 269, 698, 269},                                 // a sliver keeps one row
  };
  for (const auto [w, h, left, top, right, bottom] : cases) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    RgbImage image{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3, 40)};
    paint(image, 0, 0, {1, 2, 3});  // shows which way round an unscaled image went
    const RgbImage canvas = placeImageOnCanvas(image);
    ASSERT_EQ(canvas.rgb.size(), std::size_t{kAtcCanvasWidth} * kAtcCanvasHeight * 3);
    const bool unscaled = w <= kAtcCanvasWidth && h <= kAtcCanvasHeight;
    const Rgb corner = pixelAt(canvas, left, top);
    EXPECT_TRUE(unscaled ? corner == (Rgb{1, 2, 3}) : corner != kWhite);
    EXPECT_EQ(pixelAt(canvas, right, bottom), (Rgb{40, 40, 40}));
    for (auto [x, y] : {std::pair{left - 1, top}, {right + 1, top}, {left, top - 1}, {left, bottom + 1}})
      if (onCanvas(canvas, x, y)) {
        EXPECT_EQ(pixelAt(canvas, x, y), kWhite) << x << ", " << y;
      }
  }
  // No image gives the white canvas, a canvas size that cannot be made nothing.
  EXPECT_EQ(placeImageOnCanvas(RgbImage{5, 5, {}}).rgb, whiteCanvas(kAtcCanvasWidth, kAtcCanvasHeight).rgb);
  EXPECT_TRUE(placeImageOnCanvas(whiteCanvas(3, 3), 0, 539).rgb.empty());
  EXPECT_TRUE(placeImageOnCanvas(whiteCanvas(3, 3), 100000, 100000).rgb.empty());
}

}  // namespace
}  // namespace zorva
