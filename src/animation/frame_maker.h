// The arithmetic of the frame maker: the values one animation frame hands
// to the drawing. The loop that draws, saves and clears the frames belongs
// to the engine; everything here is a pure function of its inputs.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "curves/curve.h"
#include "render/frame_values.h"
#include "settings/settings.h"

namespace zorva {

inline constexpr std::int32_t kMinFrames = 1;
inline constexpr std::int32_t kMaxFrames = 2000;

// The number of frames to make from NumberOfFrames, kept within 1 .. 2000
// (a settings file without the key leaves 0, which becomes 1).
std::int32_t frameCount(std::int32_t NumberOfFrames);

// x - floor(x): in [0, 1) also for negative x.
double frac(double x);

// The frame's place in the series, frame f of F (f = 1 .. F):
// u = f / F and theta = ((f - 1) * 2 pi) / F.
double frameFraction(std::int32_t f, std::int32_t frames);
double framePhase(std::int32_t f, std::int32_t frames);

enum class WaveForm { None, Sine, Linear, LinearReturn };
// The checked form; with several checked the first of Sine, Linear,
// LinearReturn.
WaveForm chosenWaveForm(bool sine, bool linear, bool linearReturn);
// Base b moved by amplitude A with repeat r: Sine b + A sin(r theta),
// Linear b + A frac(r u), LinearReturn b + 2A g (g = frac(r u) < 0.5) or
// (b + A) - 2A (g - 0.5). None gives b.
double waveValue(WaveForm form, double b, double A, double r, double u, double theta);

// Rotation points A and B as the Points window's fields hold them; the
// caller reads and converts the fields each frame.
struct RotationPoints {
  double ax = -2, ay = 0, bx = 2, by = 0;
};

struct FrameInputs {
  std::int32_t frame = 1;   // f, 1 .. frames
  std::int32_t frames = 1;  // F, from frameCount
  // The working copies of the previous frame: a value with no wave form
  // checked keeps its value from here. nullptr when they were never set:
  // then such a value is its base (the setting for radius .. y, else 0).
  const FrameValues* previous = nullptr;
  // The working Beziers of "Animation - Start point" (slot 26) and
  // "Animation - End point" (slot 27), and whether the slot's curve has a
  // point; a missing Bezier or curve gives no displacement.
  const qBezier* startPointBezier = nullptr;
  bool startPointHasPoints = false;
  const qBezier* endPointBezier = nullptr;
  bool endPointHasPoints = false;
  RotationPoints rotation;
  bool offsetChecked = false;  // "Offset?"
  bool useOffset = false;      // "Use offset?" of Main Path Usage
};

// The frame's values: main path range, every animated working copy,
// rotation points, curve displacements, AnimationPhase, AnimationPhaseSine
// and AnimationOffsetFraction. A value that is not a finite number ends the
// animation: the result is then a message naming the value and the frame.
std::variant<FrameValues, std::string> makeFrameValues(const Settings& settings, const FrameInputs& inputs);

}  // namespace zorva
