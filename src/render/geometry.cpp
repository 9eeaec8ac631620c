// The drawing plane and the step geometry: one step's ring of points.
#include <chrono>
#include <cmath>
#include <tuple>

#include "base/math_util.h"
#include "render/engine.h"
#include "render/point_geometry.h"
#include "render/reference_inker.h"
#include "render/step_frame.h"
#include "settings/canvas_size.h"
#include "settings/number_format.h"

namespace zorva {

// ---- the plane ---------------------------------------------------------------

int Engine::getPixelFromReal(char axis, double v) {
  const PixelMapper pixels{PlaneToPixel(step_.CurrentScale, canvas_.W, canvas_.H), &conversionFailures_};
  return axis == 'x' ? pixels.column(v) : pixels.row(v);
}

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
  auto refuse = [&](const std::string& why) {
    host_->message("There is not enough memory for a picture of " + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels" + why + "; keeping " + std::to_string(canvas_.W) + " x " +
                       std::to_string(canvas_.H) + ".",
                   MessageKind::Error);
    settings.ImageWidth = canvas_.W;
    settings.ImageHeight = canvas_.H;
    return false;
  };
  if (width != canvas_.W || height != canvas_.H) {
    // The buffers and the picture, counted before anything is allocated.
    const std::uint64_t perPixel = sizeof(double) * 3 + (canvas_.wideBase ? 12 : 3) + sizeof(std::int32_t) + 3;
    const std::uint64_t needed = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * perPixel;
    const auto available = host_->availableMemory();
    constexpr std::uint64_t kMiB = 1 << 20;
    if (available && needed > *available)
      return refuse(" (it needs " + std::to_string((needed + kMiB - 1) / kMiB) + " MiB, " +
                    std::to_string(*available / kMiB) + " MiB are available)");
  }
  // Everything is allocated before anything changes, so a failure keeps the
  // old picture whole.
  Bitmap24 picture;
  try {
    if (picture_.width != width || picture_.height != height) picture.create(width, height);
    canvas_.resize(width, height);
  } catch (const std::bad_alloc&) {
    return refuse("");
  }
  canvas_.pointMap.clear();  // every pixel "no point" again
  if (!picture.empty()) picture_ = std::move(picture);
  MakeBitmap();
  return valid;
}

// ---- one step ---------------------------------------------------------------------

bool Engine::prepareStep(StepFrame& f) {
  const Settings& s = settings;
  const auto& m = step_.MultiplierValues;
  const FrameValues& anim = frame_;
  const double inputs[] = {f.r, f.size, f.g, f.b, f.cx, f.cy, f.d, f.a, f.J, f.x0, f.x1, f.y0, f.y1};
  for (double v : inputs)
    if (!std::isfinite(v)) {
      reportNotFinite("path, radius or another input", f.i);
      return false;
    }

  // 1. Dimmer and grain by depth.
  if (s.AdjustGrain || s.UseDimmer) {
    step_.DimmerFactor = std::fabs(m[kRadius]) * (f.fn == 5 ? (step_.RockerA + step_.RockerB) / 2 : std::fabs(f.r));
    if (s.AdjustGrain && s.GrainByDepth && std::fabs(m[kSmooth]) > 0)
      f.g = f.g * step_.DimmerFactor / std::max(std::fabs(m[kSmooth]), 0.01);
  }
  // 2.
  f.g = std::max(f.g, 1.0);
  // 3. Step and rock fractions.
  const double plain = static_cast<double>(f.i) / f.n;
  f.t = plain - anim.AnimationOffsetFraction;
  if (f.t < 0) f.t = f.t + 1;
  f.tr = s.RockOffsetInAnimation ? plain : f.t;
  // 4. Path point.
  const auto& path = multiplierSlots_[kPathCurve];
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
  f.w = step_.functionX;
  f.h = step_.functionY;
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
    std::tie(f.posX, f.posY) = mouseInPlane();
  } else if (s.ZorvaPointsUseBezier && f.hasPath) {
    f.posX = f.pathX;
    f.posY = f.pathY;
  }
  f.ox = step_.displacementX;
  f.oy = step_.displacementY;
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
  if (!(f.G < 2147483648.0)) {
    if (std::isfinite(f.G))
      reportOnce(kTooFine, "The grain asks for " + formatFloat(std::floor(f.G)) +
                               " points in a step, more than a step can have (2147483647); such steps were skipped.");
    else
      reportNotFinite("number of points (grain times multiplier)", f.i);
    return false;
  }
  f.N = static_cast<std::int32_t>(std::floor(f.G));

  sharePointValues(f);
  for (double v : {f.g, f.t, f.tr, f.posX, f.posY, f.a, f.dtheta, f.pathX, f.pathY})
    if (!std::isfinite(v)) {
      reportNotFinite("position, path point or rocked angle", f.i);
      return false;
    }
  return true;
}

// What every point of the step reads besides its own angle.
void Engine::sharePointValues(StepFrame& f) const {
  const Settings& s = settings;
  f.rockerA = step_.RockerA;
  f.rockerB = step_.RockerB;
  f.tx = step_.translationX;
  f.ty = step_.translationY;
  f.atx = step_.animatedOffsets[kTranslationX];
  f.aty = step_.animatedOffsets[kTranslationY];
  f.ux = step_.rotationCentreX + step_.animatedOffsets[kRotationCentreX];
  f.uy = step_.rotationCentreY + step_.animatedOffsets[kRotationCentreY];
  f.phi = step_.rotationAngle + step_.animatedOffsets[kRotationAngle];
  f.phaseSine = frame_.AnimationPhaseSine;
  f.lissaDelta = s.LissaDelta;
  f.hasEndCurve = multiplierSlots_[kEndCurve].curve.GetLength() >= 1;
  f.useCurves = s.ZorvaPointsUseStartAndEndBezier && multiplierSlots_[kStartCurve].curve.GetLength() >= 1 &&
                (f.hasEndCurve || s.ZorvaPointsUseStartAsEnd);
  f.startAsEnd = s.ZorvaPointsUseStartAsEnd;
  f.scatter = s.UseIotaExtra;
  f.followRotate = s.ZorvaPointsFollowRotate;
  f.pathRotate = !f.followRotate && s.ZorvaPointsUseBezierRotate && f.hasPath;
  f.wobble = s.Wobble;
  f.use31 = s.Use31;
  f.tanBumps = s.TanBumps;
  f.zFactor = s.UseZFactor;
}

PointShapes Engine::pointShapes() const {
  return {&multiplierSlots_[kStartCurve].bezier, &multiplierSlots_[kEndCurve].bezier, settings.UseEllipsesTwo};
}

bool Engine::stopPending() {
  host_->pollStop();
  return StopRequested;
}

std::pair<double, double> Engine::mouseInPlane() {
  const double x = ConvertXtoXCoord(getXMouse());
  return {x, ConvertYtoYCoord(getYMouse())};
}

void Engine::DrawByParameters(int fn, int i, double r, double size, double g, double b, double cx, double cy, double d,
                              double a, int n, double J, double x0, double x1, double y0, double y1) {
  if (onStep) onStep(i);
  StepFrame f;
  f.fn = fn, f.i = i, f.n = n, f.r = r, f.size = size, f.g = g, f.b = b, f.cx = cx, f.cy = cy, f.d = d, f.a = a;
  f.J = J, f.x0 = x0, f.x1 = x1, f.y0 = y0, f.y1 = y1;
  if (!prepareStep(f)) return;
  const InkStep ink = makeInkStep(settings, step_, frame_, source_, f.i, f.n);
  const PixelMapper pixels{PlaneToPixel(step_.CurrentScale, canvas_.W, canvas_.H), &conversionFailures_};
  if (inker_ == InkerKind::Fast) {
    const StepSources sources{pointShapes(), [this] { return mouseInPlane(); }, [this] { return stopPending(); }};
    fast_.drawStep(f, sources, ink, pixels, canvas_, random_, step_.ZFactor);
  } else {
    drawStepReference(f, ink, pixels);
  }
}

// The reference: one point at a time, each worked out in full and inked at
// once.
void Engine::drawStepReference(const StepFrame& f, const InkStep& ink, const PixelMapper& pixels) {
  const PointShapes shapes = pointShapes();
  const double cosPhi = cosZ(f.phi), sinPhi = sinZ(f.phi);
  double theta = 0;
  std::int32_t k = 1;
  double ang = f.a;
  double ccx = f.cx, ccy = f.cy;
  auto lastLook = std::chrono::steady_clock::now();
  while (theta <= kTwoPi) {
    // A long step looks for a stop request every few tenths of a second.
    if (k % 1024 == 0 &&
        std::chrono::steady_clock::now() - lastLook >= std::chrono::milliseconds(fast_.tuning.stopCheckMs)) {
      lastLook = std::chrono::steady_clock::now();
      if (stopPending()) return;
    }
    // 1-2.
    const double c = cosZ(theta), s = sinZ(theta);
    step_.ZFactor = f.zFactor ? (c + 1) / 2 : 1;
    // 3. Random scatter.
    if (f.scatter) ang = f.a + sinZ(random_.next(1000) * theta);
    // 4. Rotation centre overrides.
    if (f.followRotate)
      std::tie(ccx, ccy) = mouseInPlane();
    else if (f.pathRotate)
      ccx = f.pathX, ccy = f.pathY;
    // 5-9. Bump factor, wobble centre, shape point, rotations.
    bool qOk;
    const double q = bumpFactor(theta, f, qOk);
    const PlacedPoint p = placePoint(f, shapes, theta, c, s, q, qOk, k, angleTrig(f, ang), ccx, ccy, cosPhi, sinPhi);
    // An arithmetic failure ends the step before this point is inked.
    if (!p.ok) return;
    // 10.
    if (onPoint) onPoint(f.i, k, p.x, p.y);
    ++referenceStats_.points;
    if (!addColorToPixels(canvas_, ink, pixels, p.x, p.y, f.size, k, f.N, step_.ZFactor, referenceStats_)) return;
    // 11.
    k = k + 1;
    theta = theta + f.dtheta;
  }
}

}  // namespace zorva
