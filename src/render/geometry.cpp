// The drawing plane and the step geometry: one step's ring of points.
#include <cmath>

#include "render/engine.h"
#include "settings/canvas_size.h"
#include "base/math_util.h"
#include "render/point_geometry.h"
#include "render/step_frame.h"

namespace zorva {

// ---- the plane ---------------------------------------------------------------

double Engine::rotatePointByIota(char axis, double px, double py, double cx, double cy, double angle) {
  const double c = cosZ(angle), s = sinZ(angle);
  if (axis == 'x') return c * (px - cx) - s * (py - cy) + cx;
  return s * (px - cx) + c * (py - cy) + cy;
}

int Engine::getPixelFromReal(char axis, double v) {
  const PlaneToPixel map(CurrentScale, canvas_.W, canvas_.H);
  const double p = axis == 'x' ? map.numeratorX(v) : map.numeratorY(v);
  int index;
  if (!map.index(p, index)) pixelConversionFailure(p, map.twoS);
  return index;
}

// Division by zero (a scale of 0), an invalid operation or an overflow: the
// point is left out and the drawing says so once.
void Engine::pixelConversionFailure(double p, double twoS) {
  if (pixelConversionFailed_.exchange(true)) return;
  if (twoS == 0 && !std::isnan(p))
    pixelConversionError_ = p == 0 ? "Invalid floating point operation" : "Floating point division by zero";
  else if (std::isnan(p / twoS))
    pixelConversionError_ = "Invalid floating point operation";
  else
    pixelConversionError_ = "Floating point overflow";
}

double Engine::getDistanceOfPoint(double x, double y) { return std::sqrt(x * x + y * y); }

double Engine::ConvertXtoXCoord(double column) const {
  const double s0 = settings.StartScale / 100.0;
  const double W = canvas_.W, H = canvas_.H;
  return s0 * (W / H) * (2 * column / W - 1);
}

double Engine::ConvertYtoYCoord(double row) const {
  const double s0 = settings.StartScale / 100.0;
  const double H = canvas_.H;
  return s0 * (1 - 2 * row / H);
}

qCoord Engine::ConvertMouseToCoord(double column, double row) const {
  return qCoord(ConvertXtoXCoord(column), ConvertYtoYCoord(row));
}

// Without a pointer (the command line) the mouse rests at the picture centre.
int Engine::getXMouse() {
  if (auto p = host_->mousePixel()) return p->first;
  return canvas_.W / 2;
}

int Engine::getYMouse() {
  if (auto p = host_->mousePixel()) return p->second;
  return canvas_.H / 2;
}

bool Engine::SetImageDimensions() {
  int width = settings.ImageWidth, height = settings.ImageHeight;
  const bool valid = canvasSizeFits(width, height);
  if (!valid) {
    const int oldW = canvas_.W > 0 ? canvas_.W : 800, oldH = canvas_.H > 0 ? canvas_.H : 800;
    reportOnce(kBadSize, canvasSizeMessage());
    settings.ImageWidth = width = oldW;
    settings.ImageHeight = height = oldH;
  }
  try {
    canvas_.resize(width, height);
    canvas_.pointMap.clear();  // every pixel "no point" again
  } catch (const std::bad_alloc&) {
    host_->message("There is not enough memory for a picture of " + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels.", MessageKind::Error);
    settings.ImageWidth = canvas_.W;
    settings.ImageHeight = canvas_.H;
    return false;
  }
  MakeBitmap();
  return valid;
}

// ---- one step ---------------------------------------------------------------------

bool Engine::prepareStep(StepFrame& f) {
  const Settings& s = settings;
  const auto& m = MultiplierValues;
  const double inputs[] = {f.r, f.size, f.g, f.b, f.cx, f.cy, f.d, f.a, f.J, f.x0, f.x1, f.y0, f.y1};
  for (double v : inputs)
    if (!std::isfinite(v)) return false;

  // 1. Dimmer and grain by depth.
  if (s.AdjustGrain || s.UseDimmer) {
    DimmerFactor = std::fabs(m[kRadius]) * (f.fn == 5 ? (step.RockerA + step.RockerB) / 2 : std::fabs(f.r));
    if (s.AdjustGrain && s.GrainByDepth && std::fabs(m[kSmooth]) > 0)
      f.g = f.g * DimmerFactor / std::max(std::fabs(m[kSmooth]), 0.01);
  }
  // 2.
  f.g = std::max(f.g, 1.0);
  // Outside an animation its per-frame values are all 0 (the main path runs
  // from 0 to 100 percent); only AnimationPhaseSine keeps its last value.
  const AnimationFrame still;
  const AnimationFrame& anim = IsAnimating ? animation : still;
  // 3. Step and rock fractions.
  const double plain = static_cast<double>(f.i) / f.n;
  f.t = plain - anim.AnimationOffsetFraction;
  if (f.t < 0) f.t = f.t + 1;
  f.tr = s.RockOffsetInAnimation ? plain : f.t;
  // 4. Path point.
  const auto& path = multiplierSlots[kPathCurve];
  f.hasPath = path.curve.GetLength() >= 1;
  if (f.hasPath) {
    const double p0 = anim.mainPathStart, p1 = anim.mainPathEnd;
    double tp = p0 / 100 + (p1 / 100 - p0 / 100) * f.t;
    if (anim.useOffset) {
      tp = tp - anim.AnimationOffsetFraction;
      if (tp < 0) tp = tp + 1;
    }
    f.pathX = path.bezier.GetXAt(tp);
    f.pathY = path.bezier.GetYAt(tp);
  }
  f.w = step.functionX;
  f.h = step.functionY;
  // 5. Base position.
  if (f.fn == 7) {
    const double lx = f.x0 + (f.x1 - f.x0) * f.t, ly = f.y0 + (f.y1 - f.y0) * f.t;
    if (f.h + 1 == 0) return false;
    const double gamma = cosZ(kTwoPi * f.t * f.h) / (f.h + 1);
    f.posX = rotatePointByIota('x', lx, ly, f.x1, f.y1, gamma);
    f.posY = rotatePointByIota('y', lx, ly, f.x1, f.y1, gamma);
  } else if (f.fn == 8) {
    if (f.w + 1 == 0) return false;
    const double delta = kTwoPi * f.t * f.w;
    f.posX = rotatePointByIota('x', f.x1, f.y1, f.x0, f.y0, delta) + cosZ(delta) / (f.w + 1);
    f.posY = rotatePointByIota('y', f.x1, f.y1, f.x0, f.y0, delta) + sinZ(delta) / (f.w + 1);
  } else {
    f.posX = f.x0 + (f.x1 - f.x0) * f.t;
    f.posY = f.y0 + (f.y1 - f.y0) * f.t;
  }
  // 6. Rocker.
  const double A = s.StartRockerAmount * m[kRocksStart] + anim.startRockAngle;
  const double B = s.EndRockerAmount * m[kRocksEnd] + anim.endRockAngle;
  const double rho = (A + (B - A) * f.tr) * kPi / 180;
  f.a = f.a + sinZ((s.NumberOfRocks * m[kRocks] + anim.rockAmount) * f.tr * kTwoPi) * rho;
  // 7. Position overrides.
  if (s.ZorvaPointsFollow) {
    f.posX = ConvertXtoXCoord(getXMouse());
    f.posY = ConvertYtoYCoord(getYMouse());
  } else if (s.ZorvaPointsUseBezier && f.hasPath) {
    f.posX = f.pathX;
    f.posY = f.pathY;
  }
  f.ox = step.displacementX;
  f.oy = step.displacementY;
  f.posX = f.posX + f.ox;
  f.posY = f.posY + f.oy;
  // 8. Increment.
  f.G = s.GrainMultiplier * f.g;
  if (f.G == 0) {
    reportOnce(kHuh, "huh");
    return false;
  }
  if (f.G < 0) {
    reportOnce(kNegativeGrain, "GrainMultiplier is " + std::to_string(s.GrainMultiplier) +
                                   ": a step needs a positive number of points, so nothing was drawn.");
    return false;
  }
  f.dtheta = kTwoPi / f.G;
  // The point count must be a 32-bit integer; a larger one fails the step.
  if (!(f.G < 2147483648.0)) return false;
  f.N = static_cast<std::int32_t>(std::floor(f.G));

  // Shared values of the points.
  f.rockerA = step.RockerA;
  f.rockerB = step.RockerB;
  f.tx = step.translationX;
  f.ty = step.translationY;
  f.atx = step.animatedOffsets[4];
  f.aty = step.animatedOffsets[5];
  f.ux = step.rotationCentreX + step.animatedOffsets[6];
  f.uy = step.rotationCentreY + step.animatedOffsets[7];
  f.phi = step.rotationAngle + step.animatedOffsets[8];
  f.phaseSine = animation.AnimationPhaseSine;
  f.lissaDelta = s.LissaDelta;
  f.hasEndCurve = multiplierSlots[kEndCurve].curve.GetLength() >= 1;
  f.useCurves = s.ZorvaPointsUseStartAndEndBezier && multiplierSlots[kStartCurve].curve.GetLength() >= 1 &&
                (f.hasEndCurve || s.ZorvaPointsUseStartAsEnd);
  f.startAsEnd = s.ZorvaPointsUseStartAsEnd;
  f.scatter = s.UseIotaExtra;
  f.followRotate = s.ZorvaPointsFollowRotate;
  f.pathRotate = !f.followRotate && s.ZorvaPointsUseBezierRotate && f.hasPath;
  f.wobble = s.Wobble;
  f.use31 = s.Use31;
  f.tanBumps = s.TanBumps;
  f.zFactor = s.UseZFactor;
  for (double v : {f.g, f.t, f.tr, f.posX, f.posY, f.a, f.dtheta, f.pathX, f.pathY})
    if (!std::isfinite(v)) return false;
  return true;
}

void Engine::DrawByParameters(int fn, int i, double r, double size, double g, double b, double cx, double cy, double d,
                              double a, int n, double J, double x0, double x1, double y0, double y1) {
  if (onStep) onStep(i);
  StepFrame f;
  f.fn = fn, f.i = i, f.n = n, f.r = r, f.size = size, f.g = g, f.b = b, f.cx = cx, f.cy = cy, f.d = d, f.a = a;
  f.J = J, f.x0 = x0, f.x1 = x1, f.y0 = y0, f.y1 = y1;
  if (!prepareStep(f)) return;
  if (inker_ == InkerKind::Fast) {
    drawStepFast(f);
    return;
  }

  // The reference: one point at a time, each worked out in full and inked
  // at once.
  double theta = 0;
  std::int32_t k = 1;
  const double a0 = f.a;
  double ang = f.a;
  double ccx = f.cx, ccy = f.cy;
  while (theta <= kTwoPi) {
    // 1-2.
    const double c = cosZ(theta), s = sinZ(theta);
    ZFactor = f.zFactor ? (c + 1) / 2 : 1;
    // 3. Random scatter.
    if (f.scatter) ang = a0 + sinZ(random_.next(1000) * theta);
    // 4. Rotation centre overrides.
    if (f.followRotate) {
      ccx = ConvertXtoXCoord(getXMouse());
      ccy = ConvertYtoYCoord(getYMouse());
    } else if (f.pathRotate) {
      ccx = f.pathX;
      ccy = f.pathY;
    }
    // 5-7. Bump factor, wobble centre, shape point.
    bool ok;
    const double q = bumpFactor(theta, f, ok);
    const double beta = ellipsesBeta(f, ang);
    double px, py, wx, wy;
    if (!shapePoint(f, settings.UseEllipsesTwo, multiplierSlots[kStartCurve].bezier, multiplierSlots[kEndCurve].bezier,
                    {theta, c, s, q, k, ccx, ccy, cosZ(beta), sinZ(beta)}, px, py, wx, wy))
      ok = false;
    // 8-9. Angle rotation, translation and plane rotation.
    double fx, fy;
    finalPoint(f, px, py, wx, wy, cosZ(ang), sinZ(ang), cosZ(f.phi), sinZ(f.phi), fx, fy);
    // An arithmetic failure ends the step before this point is inked.
    if (!ok || !std::isfinite(fx) || !std::isfinite(fy)) return;
    // 10.
    if (onPoint) onPoint(f.i, k, fx, fy);
    ++stats.points;
    inkFailed_ = false;
    addColorToPixels(f.i, f.n, fx, fy, f.size, k, f.N);
    if (inkFailed_) return;
    // 11.
    k = k + 1;
    theta = theta + f.dtheta;
  }
}

}  // namespace zorva
