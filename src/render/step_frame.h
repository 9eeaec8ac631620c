// What the points of one drawing step share: the step's inputs and the
// values worked out once before its first point. Internal to the engine.
#pragma once

#include <cstdint>

namespace zorva {

struct StepFrame {
  // Inputs of the step, in the order of DrawByParameters.
  int fn = 1, i = 0, n = 1;
  double r = 0, size = 0, g = 0, b = 0, cx = 0, cy = 0, d = 0, a = 0, J = 0, x0 = 0, x1 = 0, y0 = 0, y1 = 0;

  // Worked out once per step.
  double t = 0, tr = 0;      // step fraction and rock fraction
  double G = 0, dtheta = 0;  // points per turn and angle increment
  std::int32_t N = 0;        // point count handed to the inking
  bool hasPath = false;      // curve 0 has a point
  double pathX = 0, pathY = 0;
  double posX = 0, posY = 0;  // base position after overrides and displacement
  double ox = 0, oy = 0;      // point displacement
  double w = 1, h = 1;        // the function's x and y factor
  double rockerA = 0.25, rockerB = 0.25;
  double tx = 0, ty = 0;           // plane translation
  double atx = 0, aty = 0;         // animated translation
  double ux = 0, uy = 0, phi = 0;  // plane rotation centre and angle, animation included
  double phaseSine = 0;            // AnimationPhaseSine
  std::int32_t lissaDelta = 1;
  bool useCurves = false, startAsEnd = false;
  bool hasEndCurve = false;
  bool scatter = false, followRotate = false, pathRotate = false;
  bool wobble = false, use31 = false, tanBumps = false, zFactor = false;
};

}  // namespace zorva
