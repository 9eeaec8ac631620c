// The formulas of one point of a step, shared by the reference and the fast
// path: the bump factor, the wobble centre, the shape point of the drawing
// function (or of the start and end curves) and the two rotations. The
// callers supply the sines and cosines, computed afresh or cached; the
// arithmetic is the same either way. Internal to the engine.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/math_util.h"
#include "curves/curve.h"
#include "render/step_frame.h"

namespace zorva {

// The bump factor q at angle theta; ok is false when working it out fails
// (a depth of 0, a tangent through a zero cosine, an overflow).
inline double bumpFactor(double theta, const StepFrame& f, bool& ok) {
  ok = true;
  double q;
  if (f.d == 0) {
    ok = false;
    q = 0;
  } else if (f.tanBumps) {
    const double cosB = cosZ(-theta * f.b);
    if (cosB == 0) ok = false;
    q = sinZ(-theta * f.b) / cosB / f.d;
  } else {
    q = sinZ(theta * f.b) / f.d;
  }
  if (!std::isfinite(q)) ok = false;
  return q;
}

// The start and end shape curves and the "alternate Ellipses" switch.
struct PointShapes {
  const qBezier* startCurve;
  const qBezier* endCurve;
  bool ellipsesTwo;
};

struct PointInput {
  double theta, c, s, q;    // the angle, its cosine and sine, the bump factor
  std::int32_t k;           // the point's number within the step, from 1
  double ccx, ccy;          // the rotation centre in force
  double cosBeta, sinBeta;  // the "alternate Ellipses" turn of this point
};

// The shape point (px, py) and the wobble centre (wx, wy) of one point;
// false when a division by zero ends the step.
inline bool shapePoint(const StepFrame& f, const PointShapes& shapes, const PointInput& in, double& px, double& py,
                       double& wx, double& wy) {
  const qBezier& startCurve = *shapes.startCurve;
  const qBezier& endCurve = *shapes.endCurve;
  const double c = in.c, s = in.s, q = in.q, theta = in.theta;
  wx = in.ccx;
  wy = in.ccy;
  if (f.wobble) {
    wx = f.r * c / 2 + in.ccx;
    wy = (f.use31 ? f.r * c / 2 : f.r * s / 2) + in.ccy;
  }
  wx = wx + f.ox;
  wy = wy + f.oy;
  const double posX = f.posX, posY = f.posY;
  if (f.useCurves) {
    const double u = in.k / f.G;
    double sx, sy;
    if (f.startAsEnd) {
      sx = startCurve.GetXAt(u);
      sy = startCurve.GetYAt(u);
    } else {
      const double Sx = startCurve.GetXAt(u), Sy = startCurve.GetYAt(u);
      const double Ex = endCurve.GetXAt(u), Ey = endCurve.GetYAt(u);
      sx = Sx + (Ex - Sx) * f.i / f.n;
      sy = Sy + (Ey - Sy) * f.i / f.n;
    }
    if (f.fn == 5) {
      px = f.r * f.rockerB * sx * (2 - q) / 2 + posX;
      py = f.r * f.rockerA * sy * (2 - q) / 2 + posY;
    } else {
      px = f.r * sx * (2 - q) / 2 + posX;
      py = f.r * sy * (2 - q) / 2 + posY;
    }
    return true;
  }
  switch (f.fn) {
    case 3:  // Line
      if (q == 0) {
        px = posX;
        py = posY + c;
      } else {
        px = posX + 1;
        py = posY + c / q;
      }
      return true;
    case 4: {  // Circles
      const double c5 = c * c * c * c * c, s5 = s * s * s * s * s;
      px = (1 + q) * f.r * c5 + posX;
      py = (1 - q) * f.r * s5 + posY;
      return true;
    }
    case 5:  // Ellipses
      if (!shapes.ellipsesTwo) {
        px = f.r * f.rockerB * c * (2 - q) / 2 + posX;
        py = f.r * f.rockerA * s * (2 - q) / 2 + posY;
      } else {
        // Turned about the base position; y is worked out from the turned x.
        const double X = (1 + q) * (f.r * f.rockerB * c + posX);
        const double Y = (1 - q) * (f.r * f.rockerA * s + posY);
        px = in.cosBeta * (X - posX) - in.sinBeta * (Y - posY) + posX;
        py = in.sinBeta * (px - posX) + in.cosBeta * (Y - posY) + posY;
      }
      return true;
    case 6:  // Lissajous
      px = sinZ(f.w * theta + f.J) * f.r * 0.75 * (2 - q) / 2 + posX;
      py = sinZ(f.h * theta) * f.r * 0.75 * (2 - q) / 2 + posY;
      return true;
    case 7: {  // Test
      const double D = static_cast<double>(wrapAdd(f.lissaDelta, 1)) + f.phaseSine;
      if (D == 0) return false;
      const double cA = cosZ(f.w * theta / D), sA = sinZ(theta * f.w / D);
      px = (f.r + q) * (c + cA) / 2 + posX;
      py = (f.r + q) * (s + sA) / 2 + posY;
      return true;
    }
    case 8: {  // plovk2716, which also moves the wobble centre
      const std::int32_t E = wrapAdd(f.lissaDelta, 1);
      if (E == 0) return false;
      const double cB = cosZ(theta * f.w) / E, sB = sinZ(theta * f.w) / E;
      px = (cB + f.r + q) * c + posX;
      py = (sB + f.r + q) * s + posY;
      wx = wx + sinZ(theta * f.h);
      wy = wy + sinZ(theta * f.h);
      return true;
    }
    default:  // Sine Wobble, Tan Thing
      px = f.r * c * (2 - q) / 2 + posX;
      py = f.r * s * (2 - q) / 2 + posY;
      return true;
  }
}

// The "alternate Ellipses" turn for the step's angle a.
inline double ellipsesBeta(const StepFrame& f, double a) { return (f.J / 37 + 1) * (a - f.J / 37); }

// The angle rotation about the wobble centre, the translation ("Line" takes
// the plane translation only) and the plane rotation: the final point.
inline void finalPoint(const StepFrame& f, double px, double py, double wx, double wy, double cosA, double sinA,
                       double cosPhi, double sinPhi, double& fx, double& fy) {
  double rx = cosA * (px - wx) - sinA * (py - wy) + wx;
  double ry = sinA * (px - wx) + cosA * (py - wy) + wy;
  if (f.fn == 3) {
    rx = rx + f.tx;
    ry = ry + f.ty;
  } else {
    rx = rx + f.tx + f.atx;
    ry = ry + f.ty + f.aty;
  }
  fx = cosPhi * (rx - f.ux) - sinPhi * (ry - f.uy) + f.ux;
  fy = sinPhi * (rx - f.ux) + cosPhi * (ry - f.uy) + f.uy;
}

// The trigonometry of the step's angle a: its own rotation and the
// "alternate Ellipses" turn. Points share the step's unless scattered.
struct AngleTrig {
  double cosA, sinA, cosBeta, sinBeta;
};
inline AngleTrig angleTrig(const StepFrame& f, double a) {
  const double beta = ellipsesBeta(f, a);
  return {cosZ(a), sinZ(a), cosZ(beta), sinZ(beta)};
}

// A point placed in the plane; ok is false when an arithmetic failure ends
// the step before it is inked.
struct PlacedPoint {
  double x = 0, y = 0;
  bool ok = true;
};

// Point k at angle theta (cosine c, sine s, bump factor q that was worked
// out without failing when qOk), about the rotation centre (ccx, ccy): the
// shape point, the angle rotation, the translation and the plane rotation.
inline PlacedPoint placePoint(const StepFrame& f, const PointShapes& shapes, double theta, double c, double s, double q,
                              bool qOk, std::int32_t k, const AngleTrig& angle, double ccx, double ccy, double cosPhi,
                              double sinPhi) {
  double px = 0, py = 0, wx = 0, wy = 0;
  PlacedPoint out;
  out.ok = shapePoint(f, shapes, {theta, c, s, q, k, ccx, ccy, angle.cosBeta, angle.sinBeta}, px, py, wx, wy) && qOk;
  finalPoint(f, px, py, wx, wy, angle.cosA, angle.sinA, cosPhi, sinPhi, out.x, out.y);
  if (!std::isfinite(out.x) || !std::isfinite(out.y)) out.ok = false;
  return out;
}

}  // namespace zorva
