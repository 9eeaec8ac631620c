// The render driver: one drawing, step by step.
#include <cmath>
#include <initializer_list>

#include "base/math_util.h"
#include "render/engine.h"

namespace zorva {

namespace {

bool finite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// The first value of the step that is not a finite number, by name; null
// when all are.
const char* nonFiniteStepValue(const StepValues& v, bool source) {
  if (!finite({v.StepAmount[0], v.StepAmount[1], v.StepAmount[2]})) return "colour amount";
  if (!finite({v.StepColor[0], v.StepColor[1], v.StepColor[2]})) return "step colour";
  if (!finite({v.functionX, v.functionY, v.functionValueX, v.functionValueY, v.lissa})) return "function factor";
  if (!finite({v.displacementX, v.displacementY})) return "point displacement";
  if (source && !finite({v.CurrentSourceThetaRepeat, v.CurrentSourceStepRepeat})) return "source image repeat";
  if (!finite({v.translationX, v.translationY})) return "plane translation";
  if (!finite({v.rotationCentreX, v.rotationCentreY, v.rotationAngle})) return "plane rotation";
  if (!finite({v.CurrentSplodgeLimit, v.CurrentFuzzy, v.CurrentSplodgeCenter})) return "splodge";
  if (!finite({v.CurrentScale})) return "scale";
  if (!finite({v.RockerA, v.RockerB})) return "ellipse factor";
  for (double o : v.animatedOffsets)
    if (!std::isfinite(o)) return "animated offset";
  return nullptr;
}

}  // namespace

void Engine::SetupProgressBar(int max) {
  host_->progressRange(max);
  host_->progressPosition(0);
}

void Engine::DisableThings() { host_->commandStateChanged(); }
void Engine::EnableThings() { host_->commandStateChanged(); }

void Engine::requestStop() {
  StopRequested = true;
  host_->commandStateChanged();
  host_->status("Stopping drawing...");
}

void Engine::DrawOrStop() {
  // The frame maker runs its own drawings; neither Draw nor Stop touches them.
  if (IsAnimating) return;
  CurveShown = false;
  if (!IsDrawing) {
    StopRequested = false;
    IsDrawing = true;
    host_->commandStateChanged();
    host_->status("Drawing...");
    RunDrawing();
  } else {
    requestStop();
  }
}

void Engine::ClearPicture() {
  CurveDrawing = false;
  // Cleared before the reset, not after it: with a curve shown the reset
  // would bring back the snapshot instead of the background.
  CurveShown = false;
  if (!IsAnimating) host_->status("Clearing...");
  SetImageDimensions();
  MakePictureBlack();
  WriteIniFile(CurrentStyle);
  host_->pictureCleared();
  if (!IsAnimating) host_->status("Cleared");
}

void Engine::computeMultiplierValues(double t) {
  for (int i = 0; i < kMultiplierCount; ++i)
    step_.MultiplierValues[static_cast<std::size_t>(i)] = multiplierValue(i, t);
}

// Steps 6 to 15 of step i: the points, the function's factors and values,
// the colours, the source repeats, the plane, the splodge, the scale and the
// ellipse factors. False when the step cannot be drawn (a zero divisor).
bool Engine::computeStepValues(int fn, int i, int Steps, const FrameValues& fv) {
  const Settings& s = settings;
  const auto& m = step_.MultiplierValues;
  StepValues& v = step_;
  const double n = Steps, x = i;
  auto interp = [&](double end, double start) { return Interpolate(n, x, 0, end, start); };
  // 6. The animated offsets (all 0 outside an animation).
  for (std::size_t k = 0; k < v.animatedOffsets.size(); ++k)
    v.animatedOffsets[k] = interp(fv.offsetEnd[k], fv.offsetStart[k]);
  v.animatedOffsets[kRotationAngle] = v.animatedOffsets[kRotationAngle] * kPi / 180;
  // 7. Function factors and the point displacement.
  v.functionX = interp(fv.endX * m[kEndX], fv.startX * m[kStartX]);
  v.functionY = interp(fv.endY * m[kEndY], fv.startY * m[kStartY]);
  v.displacementX = interp(fv.endDisplacementX, fv.startDisplacementX);
  v.displacementY = interp(fv.endDisplacementY, fv.startDisplacementY);
  // 8. Per-function values.
  bool drawable = true;
  switch (fn) {
    case 3:
    case 7:
      v.functionValueX = v.functionX;
      v.functionValueY = v.functionY;
      break;
    case 5:
      v.functionValueX = kPi * v.functionX;
      v.functionValueY = kPi * v.functionY;
      v.lissa = s.LissaDelta * m[kLissaDelta];
      break;
    case 6: {
      const double divisor = s.LissaDelta * m[kLissaDelta];
      if (divisor == 0) {
        reportOnce(kLissaZero,
                   "The Lissa delta (times its multiplier curve) is 0, which the \"Lissajous\" function "
                   "cannot divide by; such steps were skipped.");
        drawable = false;
      } else {
        v.lissa = kPi / divisor;
      }
      break;
    }
    default:
      v.lissa = s.LissaDelta * m[kLissaDelta];
      break;
  }
  // 9. Colours.
  const std::array<double, 3> start = {
      s.White ? (m[kStartRed] - 1) * 255 + s.StartMaxRed : s.StartMaxRed * m[kStartRed],
      s.StartMaxGreen * m[kStartGreen], s.StartMaxBlue * m[kStartBlue]};
  const std::array<double, 3> end = {s.EndMaxRed * m[kEndRed], s.EndMaxGreen * m[kEndGreen],
                                     s.EndMaxBlue * m[kEndBlue]};
  for (std::size_t c = 0; c < 3; ++c) {
    const double a = start[c], b = end[c];
    double value;
    if (s.NewColor) {
      value = interp(b, a);
    } else {
      const std::int32_t k = wrapMul(i, s.StepColorMultiplier) % Steps;
      if (!s.ABA)
        value = Interpolate(n, k, 0, b, a);
      else if (k < n / 2)
        value = Interpolate(n / 2, k, 0, b, a);
      else
        value = Interpolate(n, k, n / 2, a, b);
    }
    v.StepColor[c] = value;
  }
  // 10. Source image repeats.
  if (sourceInUse()) {
    v.CurrentSourceThetaRepeat = interp(s.SourceImageEndThetaColorMultiplier, s.SourceImageStartThetaColorMultiplier);
    v.CurrentSourceStepRepeat = interp(s.SourceImageEndStepColorMultiplier, s.SourceImageStartStepColorMultiplier);
    if (s.SourceImageRepeatByIntegers) {
      v.CurrentSourceThetaRepeat = std::floor(v.CurrentSourceThetaRepeat);
      v.CurrentSourceStepRepeat = std::floor(v.CurrentSourceStepRepeat);
    }
  }
  // 11. Plane.
  v.translationX = interp(s.PlaneEndTranslationX, s.PlaneStartTranslationX);
  v.translationY = interp(s.PlaneEndTranslationY, s.PlaneStartTranslationY);
  v.rotationCentreX = interp(s.PlaneEndRotationX, s.PlaneStartRotationX);
  v.rotationCentreY = interp(s.PlaneEndRotationY, s.PlaneStartRotationY);
  v.rotationAngle = interp(s.PlaneEndRotationAngle, s.PlaneStartRotationAngle) * m[kPlaneAngle] * kPi / 180;
  // 12. Splodge.
  v.CurrentSplodgeLimit = std::fabs(interp(s.SplodgeEndLimit, s.SplodgeStartLimit)) * m[kSplodgeSize];
  v.CurrentFuzzy = interp(s.FuzzyEnd, s.FuzzyStart) * m[kSplodgeIntensity];
  v.CurrentSplodgeCenter = std::fabs(interp(s.SplodgeEndCenter, s.SplodgeStartCenter)) * m[kSplodgeCenter];
  // 14. Scale and progress (13, the rotation centre, is the caller's).
  v.CurrentScale = interp(s.EndScale, s.StartScale) / 100;
  host_->progressPosition(i);
  // 15. Ellipse factors.
  const double t = x / n;
  const double sb = sinZ(t * v.functionValueX);
  v.RockerB = sb * sb + 0.25;
  const double c = s.EllipsesTwo ? cosZ(t * v.functionValueY) : sinZ(t * v.functionValueY);
  v.RockerA = c * c + 0.25;
  return drawable;
}

void Engine::RunDrawing() {
  reported_ = 0;
  conversionFailures_.reset();
  fast_.resetStats();
  referenceStats_ = {};
  const Settings& s = settings;
  if (s.Steps <= 0) {
    host_->message("Steps is " + std::to_string(s.Steps) + ": a drawing needs at least one step, so nothing was drawn.",
                   MessageKind::Warning);
    IsDrawing = false;
    host_->commandStateChanged();
    return;
  }
  IsDrawing = true;

  // Preparation.
  SetImageDimensions();
  step_.lissa = step_.functionValueX = step_.functionValueY = 1.0;
  WriteIniFile(CurrentStyle);
  step_.CurrentScale = s.StartScale / 100.0;
  SetupProgressBar(s.Steps);
  int fn = wrapAdd(s.FunctionNumber, 1);
  if (fn < 1 || fn > 8) {
    reportOnce(kBadFunction, "FunctionNumber " + std::to_string(s.FunctionNumber) +
                                 " names no drawing function; drawing with \"Sine Wobble\" instead.");
    fn = 1;
  }
  const auto& m = step_.MultiplierValues;

  // The loop runs to the number of steps it started with; the option windows
  // may change the settings between steps, and every formula reads them afresh.
  const std::int64_t lastStep = s.Steps;
  for (std::int64_t stepNo = 0; stepNo <= lastStep; ++stepNo) {
    const int Steps = settings.Steps;
    if (Steps <= 0) break;
    const int i = static_cast<int>(stepNo);
    const double n = Steps, x = i;
    auto interp = [&](double end, double start) { return Interpolate(n, x, 0, end, start); };
    // The start and end values of this step: the frame's while animating,
    // else the settings as they stand now.
    frame_ = IsAnimating ? animationFrame_ : stillFrame(settings, AnimationPhaseSine);

    // 1. Showing and saving.
    if (toggles_.saveEachStep) {
      drawArrayOnImage();
      buttonSaveImageClick();
    } else if (toggles_.drawEachStep || i == 0) {
      showArrayOnImage();
    }
    // 2. Clearing.
    if (toggles_.clearEachStep) ClearPicture();
    // 3. Multiplier values.
    computeMultiplierValues(x / n);
    // 4. Amount.
    const double amount =
        interp(s.EndAmount * std::fabs(m[kEndAmount]), s.StartAmount * std::fabs(m[kStartAmount])) / 100;
    step_.StepAmount = {amount, amount, amount};
    // 5. Preview: step 0 and every twentieth step from 1, ten times as strong.
    if (toggles_.preview) {
      if (!(i == 0 || i % 20 == 1)) continue;
      for (auto& a : step_.StepAmount) a *= 10;
    }
    // 6 to 15.
    const bool drawable = computeStepValues(fn, i, Steps, frame_);
    // 13. Rotation centre.
    double cx = frame_.rotateAX, cy = frame_.rotateAY;
    if (s.MoveRotation) {
      cx = interp(frame_.rotateBX, frame_.rotateAX);
      cy = interp(frame_.rotateBY, frame_.rotateAY);
    }
    // 16. Drawing the step.
    if (i < Steps && drawable) {
      const double radius = interp(frame_.endRadius, frame_.startRadius) * m[kRadius] / 100;
      const double bumps = interp(frame_.endBumps, frame_.startBumps) * m[kBumps];
      const double depth = interp(frame_.endDepth, frame_.startDepth) * m[kSmooth];
      const double angle = interp(frame_.endAngle, frame_.startAngle) * m[kAngle] * kPi / 180;
      const double grain = std::fabs(m[kGrain]) * interp(s.EndGrain, s.StartGrain);
      const double cells = std::ceil(step_.CurrentSplodgeLimit);
      const char* bad = nonFiniteStepValue(step_, sourceInUse());
      if (!bad && !finite({radius, bumps, depth, angle, grain})) bad = "radius, bumps, depth, angle or grain";
      if (!bad && !finite({cx, cy})) bad = "rotation centre";
      if (bad) {
        reportNotFinite(bad, i);
      } else {
        DrawByParameters(fn, i, radius, cells, grain, bumps, cx, cy, depth, angle, Steps, step_.lissa,
                         s.ZorvaPointsXStart, s.ZorvaPointsXEnd, s.ZorvaPointsYStart, s.ZorvaPointsYEnd);
        reportConversionFailures();
      }
    }
    // 17. Let the windows work; stop when asked or when far enough.
    host_->processEvents();
    if (std::ceil((settings.Steps / 100.0) * settings.PercentToComplete) < x || StopRequested) {
      IsDrawing = false;
      break;
    }
  }

  // Finishing.
  drawArrayOnImage();
  host_->progressPosition(0);
  IsDrawing = false;
  host_->commandStateChanged();
  if (!IsAnimating) host_->status("Finished");
}

}  // namespace zorva
