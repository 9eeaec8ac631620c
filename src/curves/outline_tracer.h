// The outline tracer of the text curve editor: a marching-squares walk
// around the boundary of a region of similar brightness on an RGB canvas,
// keeping every few boundary pixels as curve text (one number per line, X
// then Y, in units of the canvas width; the curve reader doubles them).
// Nothing here knows a window: the editor hands over its committed drawing
// as an RgbImage, keeps OutlineCurveText, and paints the marked pixels red.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "curves/curve.h"
#include "io/picture.h"

namespace zorva {

// The editor's canvas size.
inline constexpr int kAtcCanvasWidth = 699;
inline constexpr int kAtcCanvasHeight = 539;
// The editor's controls: tolerance 0..255, sampling 1..100, pen and text
// sizes 1..200.
inline constexpr std::int32_t kAtcMaxTolerance = 255;
inline constexpr std::int32_t kAtcMaxSampling = 100;
inline constexpr std::int32_t kAtcMaxSize = 200;
// Longest walk; a longer boundary is cut off there and closed.
inline constexpr std::int32_t kOutlineStepLimit = 100000;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A pixel position, x to the right and y down from the top-left pixel. Walk
// positions may lie one pixel left of or above the canvas.
struct TracePixel {
  int x = 0;
  int y = 0;
  friend bool operator==(const TracePixel&, const TracePixel&) = default;
};

struct OutlineOptions {
  std::int32_t tolerance = 40;  // AtcTolerance: brightness difference that still counts as close
  std::int32_t sampling = 3;    // AtcSampling: keep every n-th walk position (below 1 counts as 1)
};

enum class OutlineEnd {
  NoBoundary,     // no square of the scan touches both a close and a far pixel
  Closed,         // the walk came back to its start
  Stuck,          // the walk stopped moving
  StepLimit,      // kOutlineStepLimit steps were walked
  OutsideCanvas,  // a lasso press that is not on the canvas: nothing traced
  BadCanvas,      // the pixel bytes do not match the canvas size: nothing traced
};

struct OutlineTrace {
  OutlineEnd end = OutlineEnd::NoBoundary;
  // The kept points in order: the start, every sampled walk position, the
  // final position and the start again. Empty when nothing was traced.
  std::vector<TracePixel> points;
  // The canvas pixels the walk marks (painted red by the editor), in order.
  std::vector<TracePixel> marked;
  std::int32_t steps = 0;  // walk positions visited
  bool found() const { return !points.empty(); }
};

// A canvas of the given size filled with white; empty for a size the image
// loaders would refuse (not positive, or too large).
RgbImage whiteCanvas(int width, int height);

// "Open Image": the image on a white canvas. One that fits is centred at its
// own size, at left floor((width - w) / 2) and top floor((height - h) / 2);
// one larger in either direction is scaled to fit, keeping its proportions
// (the binding side fills the canvas, the other is rounded to the nearest
// pixel), and centred the same way. An empty or malformed image gives the
// white canvas; a canvas size whiteCanvas refuses gives an empty image.
RgbImage placeImageOnCanvas(const RgbImage& image, int width = kAtcCanvasWidth, int height = kAtcCanvasHeight);

// The colour of a pixel on the canvas.
Rgb pixelAt(const RgbImage& canvas, int x, int y);
bool onCanvas(const RgbImage& canvas, int x, int y);

// BT.709 luma of 8-bit channels: 0.2126 r + 0.7152 g + 0.0722 b.
double luma(Rgb c);
// |L(c) - L(reference)| < tolerance; with tolerance 0 nothing is close.
bool AreColorsClose(Rgb c, Rgb reference, std::int32_t tolerance);
// The 2 x 2 square with top-left pixel (x, y): 1 top-left, 2 top-right,
// 4 bottom-left, 8 bottom-right for each close corner; corners off the
// canvas are not close.
int getSquareValue(const RgbImage& canvas, int x, int y, Rgb reference, std::int32_t tolerance);

enum class TraceDirection { None, Up, Right, Down, Left };
// The walk's next step from a square of this value; the saddles 6 and 9
// turn by the previous direction.
TraceDirection nextDirection(int squareValue, TraceDirection previous);

// The walk itself, with an explicit reference colour: the first boundary
// square scanning rows from y0 and, in every row, columns from x0; then
// around the boundary until it returns, stops moving or reaches the step
// limit.
OutlineTrace traceOutline(const RgbImage& canvas, int x0, int y0, Rgb reference, const OutlineOptions& options);

// A pixel as a curve point: ((x - width/2) / width, -(y - height/2) / width).
qCoord outlineCurvePoint(TracePixel p, int width, int height);
// Appends one point to curve text: X and Y, each on a line ended by CR LF.
void AddToCurveString(std::string& text, TracePixel p, int width, int height);
// The curve text of a trace's kept points.
std::string outlineText(const OutlineTrace& trace, int width, int height);

// GetOutline(X0, Y0, ClearText): the reference is the canvas colour at
// (x0, y0) for a lasso press with x0 >= 2 and y0 >= 2, else black. ClearText
// empties OutlineCurveText first; the kept points are appended to it. A
// malformed canvas changes nothing.
OutlineTrace GetOutline(const RgbImage& canvas, int x0, int y0, bool clearText, bool lasso,
                        const OutlineOptions& options, std::string& OutlineCurveText);
// "Get Outline": from (1, 1) with the black reference, replacing the text.
OutlineTrace getOutlineCommand(const RgbImage& canvas, const OutlineOptions& options, std::string& OutlineCurveText);
// A press in lasso mode at pixel (x, y): traces with the pressed colour,
// appending to the text with Shift, replacing it otherwise. A press off the
// canvas traces nothing and leaves the text alone.
OutlineTrace lassoOutline(const RgbImage& canvas, int x, int y, bool shift, const OutlineOptions& options,
                          std::string& OutlineCurveText);

// "Save Curve": the curve text exactly as it stands, creating or replacing
// the file (an empty text gives an empty file). The old file stays whole when
// the write fails; returns the message then.
std::optional<std::string> WriteCurveToFile(const std::string& file, const std::string& OutlineCurveText);

}  // namespace zorva
