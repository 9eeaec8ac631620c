#include "cli/curve_commands.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <variant>

#include "animation/branching.h"
#include "io/image_io.h"
#include "render/engine.h"

namespace zorva {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::string pixelText(TracePixel p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

}  // namespace

std::optional<TracePixel> parseCanvasPixel(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::optional<int> x = wholeNumber(std::string_view(text).substr(0, comma));
  const std::optional<int> y = wholeNumber(std::string_view(text).substr(comma + 1));
  if (!x || !y || *x < 0 || *y < 0 || *x >= kAtcCanvasWidth || *y >= kAtcCanvasHeight) return std::nullopt;
  return TracePixel{*x, *y};
}

bool branchSlot(Engine& engine, int slot, std::optional<std::uint32_t> seed, bool quiet) {
  MultiplierSlot& target = engine.multiplierSlot(slot);
  const std::int32_t before = target.curve.GetLength();
  const BranchCommandResult result = branchCommand(target, engine.settings, engine.random(), BranchSeeds{seed});
  // A skipped branch reports itself each time; one line with the count will do.
  for (std::size_t i = 0; i < result.messages.size();) {
    std::size_t same = i + 1;
    while (same < result.messages.size() && result.messages[same].text == result.messages[i].text) ++same;
    std::cerr << "zorva-render: " << target.name << ": " << result.messages[i].text;
    if (same - i > 1) std::cerr << " (" << same - i << " times)";
    std::cerr << "\n";
    i = same;
  }
  if (!result.showCurve) return false;
  if (result.curveChanged) {
    engine.useStoredSlot(slot);
    engine.SetUpBezier(999);
    engine.useStoredSlot(std::nullopt);
  }
  if (!quiet)
    std::cerr << "zorva-render: branched " << target.name << ": " << before << " points became "
              << target.curve.GetLength() << "\n";
  return true;
}

int runOutline(const OutlineRequest& request, const Settings& settings) {
  std::variant<RgbImage, std::string> loaded = loadImage(request.image);
  if (const auto* error = std::get_if<std::string>(&loaded)) {
    std::cerr << "zorva-render: " << *error << "\n";
    return 1;
  }
  const RgbImage canvas = placeImageOnCanvas(std::get<RgbImage>(loaded));
  const OutlineOptions options{settings.AtcTolerance, std::clamp(settings.AtcSampling, 1, kAtcMaxSampling)};

  // The presses in order; each found nothing is named when others found something.
  std::vector<std::pair<std::string, bool>> presses;
  std::string text;
  if (request.lasso)
    presses.emplace_back("the lasso at " + pixelText(*request.lasso),
                         lassoOutline(canvas, request.lasso->x, request.lasso->y, false, options, text).found());
  else
    presses.emplace_back("Get Outline", getOutlineCommand(canvas, options, text).found());
  for (const TracePixel& at : request.appendLassos)
    presses.emplace_back("the lasso at " + pixelText(at),
                         lassoOutline(canvas, at.x, at.y, true, options, text).found());
  if (!text.empty())
    for (const auto& [press, found] : presses)
      if (!found) std::cerr << "zorva-render: " << press << " found no boundary\n";

  if (std::optional<std::string> error = WriteCurveToFile(request.curveFile, text)) {
    std::cerr << "zorva-render: " << *error << "\n";
    return 1;
  }
  if (text.empty())
    std::cerr << "zorva-render: no boundary found in \"" << request.image << "\" (tolerance " << options.tolerance
              << "): the curve file is empty\n";
  std::cout << request.curveFile << std::endl;
  return 0;
}

}  // namespace zorva
