#include "curves/outline_tracer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/math_util.h"
#include "io/atomic_write.h"
#include "io/image_io.h"
#include "io/image_resize.h"
#include "settings/number_format.h"

namespace zorva {

namespace {

bool wellFormed(const RgbImage& image) {
  return image.width >= 0 && image.height >= 0 &&
         image.rgb.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3;
}

std::size_t offsetOf(const RgbImage& image, int x, int y) {
  return (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 3;
}

// Which canvas pixels are close to the reference, worked out once per trace.
class Closeness {
 public:
  Closeness(const RgbImage& canvas, Rgb reference, std::int32_t tolerance)
      : width_(canvas.width), height_(canvas.height) {
    close_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        close_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
            AreColorsClose(pixelAt(canvas, x, y), reference, tolerance);
  }

  int squareValue(int x, int y) const {
    return (at(x, y) ? 1 : 0) + (at(x + 1, y) ? 2 : 0) + (at(x, y + 1) ? 4 : 0) + (at(x + 1, y + 1) ? 8 : 0);
  }

 private:
  bool at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return close_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] != 0;
  }

  int width_;
  int height_;
  std::vector<std::uint8_t> close_;
};

TracePixel moved(TracePixel p, TraceDirection d) {
  switch (d) {
    case TraceDirection::Up:
      return {p.x, p.y - 1};
    case TraceDirection::Down:
      return {p.x, p.y + 1};
    case TraceDirection::Left:
      return {p.x - 1, p.y};
    case TraceDirection::Right:
      return {p.x + 1, p.y};
    case TraceDirection::None:
      break;
  }
  return p;
}

}  // namespace

RgbImage whiteCanvas(int width, int height) {
  if (imageSizeProblem(width, height)) return {};
  RgbImage canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 255);
  return canvas;
}

RgbImage placeImageOnCanvas(const RgbImage& image, int width, int height) {
  RgbImage canvas = whiteCanvas(width, height);
  if (canvas.rgb.empty() || !wellFormed(image) || image.width == 0 || image.height == 0) return canvas;
  const RgbImage* placed = &image;
  RgbImage scaled;
  if (image.width > width || image.height > height) {
    // The side that overshoots more fills the canvas; products in 64 bits
    // compare the two ratios exactly.
    int w = width;
    int h = height;
    if (std::int64_t{image.width} * height >= std::int64_t{image.height} * width)
      h = static_cast<int>(roundEven(static_cast<double>(image.height) * width / image.width));
    else
      w = static_cast<int>(roundEven(static_cast<double>(image.width) * height / image.height));
    scaled = resizeRgb(image, std::clamp(w, 1, width), std::clamp(h, 1, height));
    if (scaled.rgb.empty()) return canvas;
    placed = &scaled;
  }
  const int left = (width - placed->width) / 2;
  const int top = (height - placed->height) / 2;
  const std::size_t rowBytes = static_cast<std::size_t>(placed->width) * 3;
  for (int y = 0; y < placed->height; ++y)
    std::copy_n(placed->rgb.data() + offsetOf(*placed, 0, y), rowBytes,
                canvas.rgb.data() + offsetOf(canvas, left, top + y));
  return canvas;
}

bool onCanvas(const RgbImage& canvas, int x, int y) {
  return x >= 0 && y >= 0 && x < canvas.width && y < canvas.height;
}

Rgb pixelAt(const RgbImage& canvas, int x, int y) {
  const std::uint8_t* p = canvas.rgb.data() + offsetOf(canvas, x, y);
  return {p[0], p[1], p[2]};
}

double luma(Rgb c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; }

bool AreColorsClose(Rgb c, Rgb reference, std::int32_t tolerance) {
  return std::fabs(luma(c) - luma(reference)) < tolerance;
}

int getSquareValue(const RgbImage& canvas, int x, int y, Rgb reference, std::int32_t tolerance) {
  auto close = [&](int px, int py) {
    return onCanvas(canvas, px, py) && AreColorsClose(pixelAt(canvas, px, py), reference, tolerance);
  };
  // x + 1 and y + 1 of the largest int are off any canvas.
  const bool right = x < canvas.width - 1;
  const bool below = y < canvas.height - 1;
  return (close(x, y) ? 1 : 0) + (right && close(x + 1, y) ? 2 : 0) + (below && close(x, y + 1) ? 4 : 0) +
         (right && below && close(x + 1, y + 1) ? 8 : 0);
}

TraceDirection nextDirection(int squareValue, TraceDirection previous) {
  switch (squareValue) {
    case 1:
    case 5:
    case 13:
      return TraceDirection::Up;
    case 2:
    case 3:
    case 7:
      return TraceDirection::Right;
    case 4:
    case 12:
    case 14:
      return TraceDirection::Left;
    case 8:
    case 10:
    case 11:
      return TraceDirection::Down;
    case 6:
      return previous == TraceDirection::Up ? TraceDirection::Left : TraceDirection::Right;
    case 9:
      return previous == TraceDirection::Right ? TraceDirection::Up : TraceDirection::Down;
    default:
      return TraceDirection::Right;
  }
}

OutlineTrace traceOutline(const RgbImage& canvas, int x0, int y0, Rgb reference, const OutlineOptions& options) {
  OutlineTrace trace;
  if (!wellFormed(canvas)) {
    trace.end = OutlineEnd::BadCanvas;
    return trace;
  }
  const Closeness grid(canvas, reference, options.tolerance);
  const std::int32_t sampling = std::max<std::int32_t>(options.sampling, 1);

  // Squares further left or up than -1 have no corner on the canvas, so the
  // scan may start there without changing what it finds.
  bool found = false;
  TracePixel start;
  for (int y = std::max(y0, -1); !found && y <= canvas.height - 2; ++y)
    for (int x = std::max(x0, -1); x <= canvas.width - 2; ++x) {
      const int v = grid.squareValue(x, y);
      if (v >= 1 && v <= 14) {
        start = {x, y};
        found = true;
        break;
      }
    }
  if (!found) return trace;

  trace.points.push_back(start);
  TracePixel position = start;
  TraceDirection previous = TraceDirection::None;
  TracePixel lastMarked{-1000, -1000};
  trace.end = OutlineEnd::Closed;
  do {
    if (position == lastMarked) {
      trace.end = OutlineEnd::Stuck;
      break;
    }
    if (trace.steps >= kOutlineStepLimit) {
      trace.end = OutlineEnd::StepLimit;
      break;
    }
    if (trace.steps % sampling == 0) trace.points.push_back(position);
    ++trace.steps;
    const int v = grid.squareValue(position.x, position.y);
    const TraceDirection next = nextDirection(v, previous);
    if (v < 15) {
      lastMarked = position;
      if (onCanvas(canvas, position.x, position.y)) trace.marked.push_back(position);
    }
    position = moved(position, next);
    previous = next;
  } while (position != start);
  trace.points.push_back(position);
  trace.points.push_back(start);
  return trace;
}

qCoord outlineCurvePoint(TracePixel p, int width, int height) {
  const double w = width;
  const double h = height;
  return {(p.x - w / 2) / w, -(p.y - h / 2) / w};
}

void AddToCurveString(std::string& text, TracePixel p, int width, int height) {
  const qCoord c = outlineCurvePoint(p, width, height);
  text += formatFloat(c.X);
  text += "\r\n";
  text += formatFloat(c.Y);
  text += "\r\n";
}

std::string outlineText(const OutlineTrace& trace, int width, int height) {
  std::string text;
  for (const TracePixel& p : trace.points) AddToCurveString(text, p, width, height);
  return text;
}

OutlineTrace GetOutline(const RgbImage& canvas, int x0, int y0, bool clearText, bool lasso,
                        const OutlineOptions& options, std::string& OutlineCurveText) {
  if (!wellFormed(canvas)) {
    OutlineTrace bad;
    bad.end = OutlineEnd::BadCanvas;
    return bad;
  }
  if (clearText) OutlineCurveText.clear();
  const Rgb reference = lasso && x0 >= 2 && y0 >= 2 && onCanvas(canvas, x0, y0) ? pixelAt(canvas, x0, y0) : Rgb{};
  OutlineTrace trace = traceOutline(canvas, x0, y0, reference, options);
  OutlineCurveText += outlineText(trace, canvas.width, canvas.height);
  return trace;
}

OutlineTrace getOutlineCommand(const RgbImage& canvas, const OutlineOptions& options, std::string& OutlineCurveText) {
  return GetOutline(canvas, 1, 1, true, false, options, OutlineCurveText);
}

OutlineTrace lassoOutline(const RgbImage& canvas, int x, int y, bool shift, const OutlineOptions& options,
                          std::string& OutlineCurveText) {
  if (wellFormed(canvas) && !onCanvas(canvas, x, y)) {
    OutlineTrace outside;
    outside.end = OutlineEnd::OutsideCanvas;
    return outside;
  }
  return GetOutline(canvas, x, y, !shift, true, options, OutlineCurveText);
}

std::optional<std::string> WriteCurveToFile(const std::string& file, const std::string& OutlineCurveText) {
  return writeFileAtomically(file, OutlineCurveText);
}

}  // namespace zorva
