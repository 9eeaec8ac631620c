// The colour rules applied to one pixel of a point's splodge, shared by the
// reference and the fast inker so that both leave identical buffers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/canvas.h"

namespace zorva {

// What the colour rules read, fixed for one step.
struct InkRules {
  bool white = true, bestGuess = false, limits = false, interpolate = false;
  bool opaque = false;  // source image in use with opaque pixels
  bool old246 = false;  // the older inking's opaque rule
  double base = 255;    // 255 in Subtract mode, else 0
  double threshold = 0; // step - steps * SourceImageOpacityThreshold
  std::int32_t step = 0;
  double amount[3] = {0, 0, 0};  // StepAmount
  double color[3] = {0, 0, 0};   // StepColor
};

// Inks colour vector col into the pixel's channels v and first-step entry.
// Returns false, leaving the pixel alone, when a value would not be a finite
// number: that arithmetic failure ends the step.
inline bool inkPixel(double* v, std::int32_t& firstStep, const double col[3], const InkRules& r) {
  if (!std::isfinite(col[0]) || !std::isfinite(col[1]) || !std::isfinite(col[2])) return false;
  const bool untouched = v[0] == r.base && v[1] == r.base && v[2] == r.base;
  const bool subtract =
      r.white || (r.bestGuess && v[0] > r.amount[0] && v[1] > r.amount[1] && v[2] > r.amount[2]);
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
