// The curve work of zorva-render besides drawing: growing a slot's curve into
// a tree before a drawing (--branch) and tracing an image into a curve file
// instead of drawing (--outline).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "curves/outline_tracer.h"
#include "settings/settings.h"

namespace zorva {

class Engine;

// "X,Y": a pixel of the text curve editor's canvas, or nothing when the text
// is not two whole numbers or the pixel lies off the canvas.
std::optional<TracePixel> parseCanvasPixel(const std::string& text);

// "Branch" on a slot, as the Branching window runs it: BranchCopies passes,
// one undo copy, the slot's Bezier rebuilt. With a seed, pass p starts from
// state seed + p - 1; without, from the clock. The command's messages go to
// standard error. False when the command was refused (nothing changed).
bool branchSlot(Engine& engine, int slot, std::optional<std::uint32_t> seed, bool quiet);

struct OutlineRequest {
  std::string image;                     // placed on the canvas as "Open Image" places it
  std::optional<TracePixel> lasso;       // a lasso press here instead of "Get Outline"
  std::vector<TracePixel> appendLassos;  // then lasso presses with Shift, in order
  std::string curveFile;                 // written as "Save Curve" writes it
};

// Traces the image with AtcTolerance and AtcSampling (kept within the
// editor's 1..100, as its track bar keeps it) and writes the curve text;
// prints the file's path. Returns the exit status: 0, or 1 when the image
// cannot be read or the file cannot be written. No boundary at all still
// writes the (empty) file and says so on standard error.
int runOutline(const OutlineRequest& request, const Settings& settings);

}  // namespace zorva
