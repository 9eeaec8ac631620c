// The frame maker ("Make Frames"): for every frame its values, then one
// complete drawing, the picture set saved and the picture cleared. The
// Animation window and zorva-render both drive it; it reaches them through
// the engine's host (status, title, rotation-point fields) and two callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "animation/frame_maker.h"
#include "render/engine.h"

namespace zorva {

// What the window's controls say; read once per frame, so a change takes
// effect from the next frame.
struct FrameControls {
  std::int32_t startFrame = 1;  // "Start": frames before it are computed but not drawn
  bool offsetChecked = false;   // "Offset?"
  bool useOffset = false;       // "Use offset?" of Main Path Usage
  bool stop = false;            // "Stop": while set, the remaining frames pass without drawing
};

// One series of frames.
struct FrameRun {
  std::int32_t frames = 1;     // F, kept within 1 .. 2000
  std::int32_t lastFrame = 0;  // frames after it are not computed; 0 for F
  // Frame f is saved under stem + "_" + f in four digits; when empty, under
  // the time-stamped stem of the moment it is saved.
  std::string stem;
  // When set, the generator's state at the start of frame f's drawing is
  // seed + f - 1 (mod 2^32), so any range of frames draws the same frames.
  std::optional<std::uint32_t> seed;
  // A failed save ends the series (zorva-render); otherwise the save reports
  // it and the frames go on.
  bool endOnSaveFailure = false;
};

struct FramesMade {
  std::int32_t drawn = 0;             // frames drawn
  std::vector<std::string> pictures;  // the PNG of every frame saved, in order
  // Why the series ended before its last frame (already shown as a message).
  std::optional<std::string> error;
};

class Animation {
 public:
  explicit Animation(Engine& engine) : engine_(engine) {}

  FrameControls controls;
  // Frame f is being computed: the window shows it in its frame label and
  // progress bar, zorva-render in its progress line.
  std::function<void(std::int32_t f)> onFrame;
  // Frame f's picture set was saved; png is the picture's path.
  std::function<void(std::int32_t f, const std::string& png)> onSaved;

  // Makes the frames 1 .. lastFrame of the run, drawing those from the start
  // frame on. Refused (with an error, nothing changed) while a drawing runs
  // or frames are being made.
  FramesMade makeFrames(const FrameRun& run);
  bool running() const { return running_; }

  // stem + "_" + frame in four digits ("x_0003").
  static std::string frameStem(const std::string& stem, std::int32_t frame);

 private:
  // Rotation points A and B for this frame: the Points window's fields when
  // the host has them, else the settings; a message naming a field that
  // holds no number.
  std::variant<RotationPoints, std::string> rotationPoints(std::int32_t frame);
  // The values of frame f, or the message that ends the series.
  std::variant<FrameValues, std::string> frameValues(std::int32_t f, std::int32_t frames, const FrameValues* previous);
  // Draws, saves and clears one frame; false when its save failed.
  bool drawFrame(std::int32_t f, const FrameRun& run, FramesMade& made);
  // A time-stamped stem not used by the frame before.
  std::string freshStem();

  Engine& engine_;
  bool running_ = false;
  std::string lastStem_;
};

}  // namespace zorva
