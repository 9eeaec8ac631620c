// What the inking of one step reads, and the rules both inkers share: the
// splodge weight, the older inking's weight, the colour vector of a pixel
// and the pixel kernel. The reference and the fast inker call exactly these,
// so they leave identical buffers.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "render/canvas.h"
#include "render/images.h"
#include "render/step_values.h"
#include "settings/settings.h"

namespace zorva {

// The colour rules of one step.
struct InkRules {
  bool white = true, bestGuess = false, limits = false, interpolate = false;
  bool opaque = false;   // source image in use with opaque pixels
  bool old246 = false;   // the older inking's opaque rule
  double base = 255;     // 255 in Subtract mode, else 0
  double threshold = 0;  // step - steps * SourceImageOpacityThreshold
  std::int32_t step = 0;
  double amount[3] = {0, 0, 0};  // StepAmount
  double color[3] = {0, 0, 0};   // StepColor
};

// The splodge of the step: size, centre and intensity.
struct Splodge {
  double limit = 2, centre = 0, fuzzy = 1;
};

enum class Colouring { Plain, Alternative, Source };

// The alternative colouring's inputs for one step.
struct AlternativeColouring {
  bool oneOrTwo = false;  // the "063 method"
  std::int32_t stepMultiplier = 1, thetaMultiplier = 1;
  double mStep = 1, mTheta = 1;  // the step and theta colour curves' values
  double phase = 0;              // AnimationPhase
};

// The source image's sampling for one step.
struct SourceSampling {
  const SourceImage* image = nullptr;
  bool white = true;
  double perStep = 1, overall = 1;         // interpolated offsets per step and overall
  double thetaRepeat = 1, stepRepeat = 1;  // CurrentSourceThetaRepeat, CurrentSourceStepRepeat
  double addRepeatPerStep = 0, addRepeatOverall = 0, addOffsetPerStep = 0, addOffsetOverall = 0;  // animation
  double divisor = 256;  // 1 with opaque pixels
};

struct InkStep {
  std::int32_t step = 0, steps = 1;
  InkRules rules;
  Splodge splodge;
  bool old246 = false;
  double scale = 2;  // CurrentScale
  bool useDimmer = false;
  double dimmer = 1;
  Colouring colouring = Colouring::Plain;
  AlternativeColouring alternative;
  SourceSampling source;
};

// The inking of a step from the settings and the driver's values.
InkStep makeInkStep(const Settings& s, const StepValues& v, const FrameValues& frame, const SourceImage& source,
                    std::int32_t step, std::int32_t steps);

// Work done by a drawing, for benchmarks and the stats line.
struct DrawStats {
  std::uint64_t points = 0;        // points inked
  std::uint64_t pixelUpdates = 0;  // pixels those points inked
};

// The splodge weight of a pixel at distance d from the point's pixel;
// false when the pixel lies beyond the splodge (a distance of exactly the
// limit past the centre is inked).
inline bool splodgeWeight(double d, const Splodge& s, double& w) {
  const double e = std::max(0.0, d - s.centre);
  if (e > s.limit) return false;
  w = s.limit == 0 ? 0 : 1 - e / s.limit;
  return true;
}

// A weight raised to the intensity power (0 for a zero weight or intensity).
inline double intensityWeight(double w, double fuzzy) { return (fuzzy != 0 && w != 0) ? std::pow(w, 1 / fuzzy) : 0; }

// The older inking: sub-point offset of index i and the weight of a
// sub-point at distance d inside the limit L.
inline double subPointOffset(long long index, double Nd, double p) {
  return (static_cast<double>(index) - Nd / 2) * p * 0.35;
}
inline double oldInkWeight(double d, double L) { return (1 - d / L) * (1 - d / L); }

// The point's colour term before any weight: the alternative colouring's
// vector or the source image's sample; unused for plain ink.
std::array<double, 3> colourTerm(const InkStep& ink, std::int32_t k, std::int32_t N, double x, double y);

// The colour vector of one pixel: the source sample times sourceWeight over
// the divisor, the alternative vector times weight, or the plain weight;
// then the dimmer and Z factors.
inline void pixelColour(const InkStep& ink, const double term[3], double sourceWeight, double weight, double z,
                        double out[3]) {
  switch (ink.colouring) {
    case Colouring::Source:
      for (int c = 0; c < 3; ++c) out[c] = term[c] * sourceWeight / ink.source.divisor;
      break;
    case Colouring::Alternative:
      for (int c = 0; c < 3; ++c) out[c] = term[c] * weight;
      break;
    case Colouring::Plain:
    default:
      out[0] = out[1] = out[2] = weight;
      break;
  }
  if (ink.useDimmer)
    for (int c = 0; c < 3; ++c) out[c] = out[c] * ink.dimmer;
  for (int c = 0; c < 3; ++c) out[c] = out[c] * z;
}

// The pixel kernel: inks colour vector col into the pixel's channels v and
// its first-step entry. Returns false, leaving the pixel alone, when a value
// would not be a finite number: that arithmetic failure ends the step.
inline bool inkPixel(double* v, std::int32_t& firstStep, const double col[3], const InkRules& r) {
  if (!std::isfinite(col[0]) || !std::isfinite(col[1]) || !std::isfinite(col[2])) return false;
  const bool untouched = v[0] == r.base && v[1] == r.base && v[2] == r.base;
  const bool subtract = r.white || (r.bestGuess && v[0] > r.amount[0] && v[1] > r.amount[1] && v[2] > r.amount[2]);
  double nv[3] = {v[0], v[1], v[2]};
  if (r.opaque) {
    if (untouched || !(firstStep <= r.threshold || firstStep == kNeverPainted)) {
      for (int c = 0; c < 3; ++c) {
        const double value = r.white ? 255 - col[c] : col[c];
        if (r.old246 && nv[c] == r.base && (r.base + value) / 2 != nv[c])
          nv[c] = (r.base + value) / 2;
        else
          nv[c] = value;
      }
    }
  } else if (!subtract) {
    for (int c = 0; c < 3; ++c) {
      const double a = r.amount[c] * col[c], L = r.color[c];
      if (r.limits)
        nv[c] = std::min(nv[c] + a, L);
      else if (r.interpolate)
        nv[c] = nv[c] + a * L / 255;
      else
        nv[c] = std::clamp(nv[c] + a * L / 255, 0.0, 255.0);
    }
  } else if (r.limits) {
    // Each pass lowers the two other channels towards their step colour.
    for (int c = 0; c < 3; ++c) {
      for (int k : {(c + 1) % 3, (c + 2) % 3}) {
        const double ak = r.amount[k] * col[k];
        if (nv[k] > ak + r.color[k]) nv[k] = std::max(nv[k] - ak, r.color[k]);
      }
    }
  } else {
    for (int c = 0; c < 3; ++c) {
      const double a = r.amount[c] * col[c], L = r.color[c];
      if (r.interpolate)
        nv[c] = nv[c] + a * (L - 255) / 255;
      else
        nv[c] = std::clamp(nv[c] + a * (L - 255) / 255, 0.0, 255.0);
    }
  }
  if (!std::isfinite(nv[0]) || !std::isfinite(nv[1]) || !std::isfinite(nv[2])) return false;
  v[0] = nv[0];
  v[1] = nv[1];
  v[2] = nv[2];
  firstStep = std::min(r.step, firstStep);
  return true;
}

}  // namespace zorva
