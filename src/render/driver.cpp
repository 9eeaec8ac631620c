// The render driver: one drawing, step by step.
#include <cmath>

#include "render/engine.h"
#include "base/math_util.h"

namespace zorva {

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
  if (!IsAnimating) host_->status("Clearing...");
  SetImageDimensions();
  MakePictureBlack();
  WriteIniFile(CurrentStyle);
  host_->pictureCleared();
  if (!IsAnimating) host_->status("Cleared");
  CurveShown = false;
}

void Engine::computeMultiplierValues(double t) {
  for (int i = 0; i < kMultiplierCount; ++i) {
    const auto& slot = multiplierSlots[static_cast<std::size_t>(i)];
    double value = 1.0;
    if (slot.curve.GetLength() >= 1) {
      if (!UseArctan2) {
        value = slot.bezier.GetYAt(t) + 1.0;
      } else {
        const double x = slot.bezier.GetXAt(t);
        if (x != 0) value = std::atan2(slot.bezier.GetYAt(t), x);
      }
    }
    MultiplierValues[static_cast<std::size_t>(i)] = value;
  }
}

void Engine::RunDrawing() {
  auto finish = [&] {
    IsDrawing = false;
    host_->commandStateChanged();
  };
  reported_ = 0;
  pixelConversionFailed_ = false;
  stats = {};
  const Settings& s = settings;
  if (s.Steps <= 0) {
    host_->message("Steps is " + std::to_string(s.Steps) + ": a drawing needs at least one step, so nothing was drawn.",
                   MessageKind::Warning);
    finish();
    return;
  }
  IsDrawing = true;

  // Preparation.
  SetImageDimensions();
  step.lissa = step.functionValueX = step.functionValueY = 1.0;
  WriteIniFile(CurrentStyle);
  CurrentScale = s.StartScale / 100.0;
  SetupProgressBar(s.Steps);
  int fn = s.FunctionNumber + 1;
  if (fn < 1 || fn > 8) {
    reportOnce(kBadFunction, "FunctionNumber " + std::to_string(s.FunctionNumber) +
                                 " names no drawing function; drawing with \"Sine Wobble\" instead.");
    fn = 1;
  }
  auto& m = MultiplierValues;

  // The loop runs to the number of steps it started with; the option windows
  // may change the settings between steps, and every formula reads them afresh.
  const std::int64_t lastStep = s.Steps;
  for (std::int64_t stepNo = 0; stepNo <= lastStep; ++stepNo) {
    const int Steps = settings.Steps;
    if (Steps <= 0) break;
    const int i = static_cast<int>(stepNo);
    const double n = Steps, x = i;
    const double t = x / n;
    auto interp = [&](double end, double start) { return Interpolate(n, x, 0, end, start); };

    // 1. Showing and saving.
    if (DrawEachStep || i == 0 || SaveEachStep) {
      drawArrayOnImage();
      if (SaveEachStep) buttonSaveImageClick();
    }
    // 2. Clearing.
    if (ClearEachStep) ClearPicture();
    // 3. Multiplier values.
    computeMultiplierValues(t);
    // 4. Amount.
    const double amount = interp(s.EndAmount * std::fabs(m[kEndAmount]), s.StartAmount * std::fabs(m[kStartAmount])) / 100;
    StepAmount = {amount, amount, amount};
    // 5. Preview: step 0 and every twentieth step from 1, ten times as strong.
    if (Preview) {
      if (!(i == 0 || i % 20 == 1)) continue;
      for (auto& a : StepAmount) a *= 10;
    }
    // 6. Points of the step.
    double rotAX, rotAY, rotBX, rotBY;
    if (!IsAnimating) {
      rotAX = s.ZorvaPointsRotateXStart;
      rotAY = s.ZorvaPointsRotateYStart;
      rotBX = s.ZorvaPointsRotateXEnd;
      rotBY = s.ZorvaPointsRotateYEnd;
      step.animatedOffsets.fill(0.0);
    } else {
      rotAX = animation.rotateAX;
      rotAY = animation.rotateAY;
      rotBX = animation.rotateBX;
      rotBY = animation.rotateBY;
      for (std::size_t k = 0; k < step.animatedOffsets.size(); ++k)
        step.animatedOffsets[k] = interp(animation.offsetEnd[k], animation.offsetStart[k]);
      step.animatedOffsets[8] = step.animatedOffsets[8] * kPi / 180;
    }
    // 7. Function factors.
    if (!IsAnimating) {
      step.functionX = interp(s.EndEllipseWidth * m[kEndX], s.StartEllipseWidth * m[kStartX]);
      step.functionY = interp(s.EndEllipseHeight * m[kEndY], s.StartEllipseHeight * m[kStartY]);
      step.displacementX = step.displacementY = 0;
    } else {
      step.functionX = interp(animation.endX * m[kEndX], animation.startX * m[kStartX]);
      step.functionY = interp(animation.endY * m[kEndY], animation.startY * m[kStartY]);
      step.displacementX = interp(animation.endDisplacementX, animation.startDisplacementX);
      step.displacementY = interp(animation.endDisplacementY, animation.startDisplacementY);
    }
    // 8. Per-function values.
    bool skipStep = false;
    switch (fn) {
      case 3:
      case 7:
        step.functionValueX = step.functionX;
        step.functionValueY = step.functionY;
        break;
      case 5:
        step.functionValueX = kPi * step.functionX;
        step.functionValueY = kPi * step.functionY;
        step.lissa = s.LissaDelta * m[kLissaDelta];
        break;
      case 6: {
        const double divisor = s.LissaDelta * m[kLissaDelta];
        if (divisor == 0) {
          reportOnce(kLissaZero, "The Lissa delta (times its multiplier curve) is 0, which the \"Lissajous\" function "
                                 "cannot divide by; such steps were skipped.");
          skipStep = true;
        } else {
          step.lissa = kPi / divisor;
        }
        break;
      }
      default:
        step.lissa = s.LissaDelta * m[kLissaDelta];
        break;
    }
    // 9. Colours.
    std::array<double, 3> start = {
        s.White ? (m[kStartRed] - 1) * 255 + s.StartMaxRed : s.StartMaxRed * m[kStartRed],
        s.StartMaxGreen * m[kStartGreen], s.StartMaxBlue * m[kStartBlue]};
    std::array<double, 3> end = {s.EndMaxRed * m[kEndRed], s.EndMaxGreen * m[kEndGreen], s.EndMaxBlue * m[kEndBlue]};
    for (int c = 0; c < 3; ++c) {
      const double a = start[static_cast<std::size_t>(c)], b = end[static_cast<std::size_t>(c)];
      double value;
      if (s.NewColor) {
        value = interp(b, a);
      } else {
        const std::int32_t k = wrapMul(i, s.StepColorMultiplier) % Steps;
        if (!s.ABA) {
          value = Interpolate(n, k, 0, b, a);
        } else if (k < n / 2) {
          value = Interpolate(n / 2, k, 0, b, a);
        } else {
          value = Interpolate(n, k, n / 2, a, b);
        }
      }
      StepColor[static_cast<std::size_t>(c)] = value;
    }
    // 10. Source image repeats.
    if (sourceInUse()) {
      step.CurrentSourceThetaRepeat = interp(s.SourceImageEndThetaColorMultiplier, s.SourceImageStartThetaColorMultiplier);
      step.CurrentSourceStepRepeat = interp(s.SourceImageEndStepColorMultiplier, s.SourceImageStartStepColorMultiplier);
      if (s.SourceImageRepeatByIntegers) {
        step.CurrentSourceThetaRepeat = std::floor(step.CurrentSourceThetaRepeat);
        step.CurrentSourceStepRepeat = std::floor(step.CurrentSourceStepRepeat);
      }
    }
    // 11. Plane.
    step.translationX = interp(s.PlaneEndTranslationX, s.PlaneStartTranslationX);
    step.translationY = interp(s.PlaneEndTranslationY, s.PlaneStartTranslationY);
    step.rotationCentreX = interp(s.PlaneEndRotationX, s.PlaneStartRotationX);
    step.rotationCentreY = interp(s.PlaneEndRotationY, s.PlaneStartRotationY);
    step.rotationAngle = interp(s.PlaneEndRotationAngle, s.PlaneStartRotationAngle) * m[kPlaneAngle] * kPi / 180;
    // 12. Splodge.
    step.CurrentSplodgeLimit = std::fabs(interp(s.SplodgeEndLimit, s.SplodgeStartLimit)) * m[kSplodgeSize];
    step.CurrentFuzzy = interp(s.FuzzyEnd, s.FuzzyStart) * m[kSplodgeIntensity];
    step.CurrentSplodgeCenter = std::fabs(interp(s.SplodgeEndCenter, s.SplodgeStartCenter)) * m[kSplodgeCenter];
    // 13. Rotation centre.
    double cx = rotAX, cy = rotAY;
    if (s.MoveRotation) {
      cx = interp(rotBX, rotAX);
      cy = interp(rotBY, rotAY);
    }
    // 14. Scale and progress.
    CurrentScale = interp(s.EndScale, s.StartScale) / 100;
    host_->progressPosition(i);
    // 15. Ellipse factors.
    const double sb = sinZ(t * step.functionValueX);
    step.RockerB = sb * sb + 0.25;
    const double c = s.EllipsesTwo ? cosZ(t * step.functionValueY) : sinZ(t * step.functionValueY);
    step.RockerA = c * c + 0.25;
    // 16. Drawing the step.
    if (i < Steps && !skipStep) {
      double radius, bumps, depth, angle;
      if (!IsAnimating) {
        radius = interp(s.EndRadius, s.StartRadius) * m[kRadius] / 100;
        bumps = interp(s.EndBumps, s.StartBumps) * m[kBumps];
        depth = interp(s.EndDepth, s.StartDepth) * m[kSmooth];
        angle = interp(s.EndIota, s.StartIota) * m[kAngle] * kPi / 180;
      } else {
        radius = interp(animation.endRadius, animation.startRadius) * m[kRadius] / 100;
        bumps = interp(animation.endBumps, animation.startBumps) * m[kBumps];
        depth = interp(animation.endDepth, animation.startDepth) * m[kSmooth];
        angle = interp(animation.endAngle, animation.startAngle) * m[kAngle] * kPi / 180;
      }
      const double grain = std::fabs(m[kGrain]) * interp(s.EndGrain, s.StartGrain);
      const double cells = std::ceil(step.CurrentSplodgeLimit);
      DrawByParameters(fn, i, radius, cells, grain, bumps, cx, cy, depth, angle, Steps, step.lissa,
                       s.ZorvaPointsXStart, s.ZorvaPointsXEnd, s.ZorvaPointsYStart, s.ZorvaPointsYEnd);
      if (pixelConversionFailed_.exchange(false))
        reportOnce(kPixelConversion, pixelConversionError_ + " (a point could not be placed on the picture; such "
                                                             "points were left out)");
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
