#include "animation/animation.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "settings/number_format.h"

namespace zorva {

std::string Animation::frameStem(const std::string& stem, std::int32_t frame) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(frame));
  return stem + "_" + digits;
}

std::variant<RotationPoints, std::string> Animation::rotationPoints(std::int32_t frame) {
  const Settings& s = engine_.settings;
  const auto texts = engine_.host().rotationPointTexts();
  if (!texts)
    return RotationPoints{s.ZorvaPointsRotateXStart, s.ZorvaPointsRotateYStart, s.ZorvaPointsRotateXEnd,
                          s.ZorvaPointsRotateYEnd};
  static constexpr std::array<const char*, 4> kFields = {"\"Rotate A\" x", "\"Rotate A\" y", "\"Rotate B\" x",
                                                         "\"Rotate B\" y"};
  std::array<double, 4> v{};
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto number = parseFloat((*texts)[i]);
    if (!number)
      return "The animation stopped at frame " + std::to_string(frame) + ": the Points window's field " + kFields[i] +
             " holds \"" + (*texts)[i] + "\", which is not a number.";
    v[i] = *number;
  }
  return RotationPoints{v[0], v[1], v[2], v[3]};
}

std::variant<FrameValues, std::string> Animation::frameValues(std::int32_t f, std::int32_t frames,
                                                              const FrameValues* previous) {
  const auto rotation = rotationPoints(f);
  FrameInputs in;
  in.frame = f;
  in.frames = frames;
  in.previous = previous;
  const MultiplierSlot& startPoint = engine_.multiplierSlot(kAnimStartPoint);
  const MultiplierSlot& endPoint = engine_.multiplierSlot(kAnimEndPoint);
  in.startPointBezier = &startPoint.bezier;
  in.startPointHasPoints = startPoint.curve.GetLength() >= 1;
  in.endPointBezier = &endPoint.bezier;
  in.endPointHasPoints = endPoint.curve.GetLength() >= 1;
  if (const auto* points = std::get_if<RotationPoints>(&rotation)) in.rotation = *points;
  in.offsetChecked = controls.offsetChecked;
  in.useOffset = controls.useOffset;
  auto values = makeFrameValues(engine_.settings, in);
  // A value that is no number comes before the rotation points in the order of working.
  if (std::holds_alternative<std::string>(values)) return values;
  if (const auto* message = std::get_if<std::string>(&rotation)) return *message;
  return values;
}

std::string Animation::freshStem() {
  // Two frames saved within one millisecond would share a name and the second
  // would overwrite the first.
  std::string stem = engine_.timeStampedStem();
  while (stem == lastStem_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stem = engine_.timeStampedStem();
  }
  lastStem_ = stem;
  return stem;
}

bool Animation::drawFrame(std::int32_t f, const FrameRun& run, FramesMade& made) {
  Host& host = engine_.host();
  host.status("Making Frame " + std::to_string(f));
  if (run.seed) engine_.random().seed(*run.seed + static_cast<std::uint32_t>(f) - 1u);
  engine_.RunDrawing();
  ++made.drawn;
  // A frame cut short while the series is being stopped (the program closing)
  // is not saved as if it were whole.
  if (engine_.stopRequested() && controls.stop) {
    engine_.ClearPicture();
    return true;
  }
  const auto png = engine_.buttonSaveImageClick(run.stem.empty() ? freshStem() : frameStem(run.stem, f));
  if (png) {
    made.pictures.push_back(*png);
    if (onSaved) onSaved(f, *png);
  }
  engine_.ClearPicture();
  // The drawing's end enabled "Make Frames" again.
  engine_.DisableThings();
  host.pictureChanged();
  return png.has_value();
}

FramesMade Animation::makeFrames(const FrameRun& run) {
  FramesMade made;
  if (running_ || engine_.isDrawing() || engine_.isAnimating()) {
    made.error = "Frames cannot be made while a drawing runs or other frames are being made.";
    return made;
  }
  Host& host = engine_.host();
  const std::int32_t frames = frameCount(run.frames);
  const std::int32_t last = run.lastFrame <= 0 ? frames : std::min(run.lastFrame, frames);

  const std::string title = host.currentWindowTitle();
  running_ = true;
  engine_.beginAnimation();
  engine_.DisableThings();
  for (std::int32_t f = 1; f <= last; ++f) {
    host.windowTitle(title + " - Frame " + std::to_string(f));
    if (onFrame) onFrame(f);
    // A value with no wave form keeps what the last frame made, also one of
    // an earlier series.
    auto values = frameValues(f, frames, engine_.animationFrame());
    if (auto* message = std::get_if<std::string>(&values)) {
      made.error = *message;
      host.message(*message, MessageKind::Warning);
      break;
    }
    engine_.setAnimationFrame(std::get<FrameValues>(values));
    if (!controls.stop && f >= controls.startFrame) {
      if (!drawFrame(f, run, made) && run.endOnSaveFailure) {
        made.error = "The animation stopped at frame " + std::to_string(f) + ": its pictures could not be saved.";
        break;
      }
    } else {
      host.status("");
    }
  }

  // Back to idle, also after a frame that could not be made.
  running_ = false;
  engine_.endAnimation();
  engine_.EnableThings();
  host.windowTitle(title);
  return made;
}

}  // namespace zorva
