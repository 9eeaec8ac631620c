// The start and end values one drawing reads: outside an animation the
// settings themselves, while frames are made the frame's working copies.
// The driver resolves them once, before its step loop, and every step reads
// them from here; the frame maker only has to fill this record.
#pragma once

#include <array>

#include "settings/settings.h"

namespace zorva {

// The nine animated offsets, in the driver's order.
enum AnimatedOffset : int {
  kRepeatPerStep,
  kRepeatOverall,
  kOffsetPerStep,
  kOffsetOverall,
  kTranslationX,
  kTranslationY,
  kRotationCentreX,
  kRotationCentreY,
  kRotationAngle,
};
inline constexpr int kAnimatedOffsetCount = 9;

struct FrameValues {
  // Start and end of radius (x100), angle (degrees), bumps, depth and the
  // function's x and y factors.
  double startRadius = 100, endRadius = 100, startAngle = 0, endAngle = 0;
  double startBumps = 0, endBumps = 0, startDepth = 2, endDepth = 2;
  double startX = 1, endX = 1, startY = 1, endY = 1;
  // Added to the rock amount and to the start and end rock angle (degrees).
  double rockAmount = 0, startRockAngle = 0, endRockAngle = 0;
  // Start and end of each animated offset (the rotation angle in degrees).
  std::array<double, kAnimatedOffsetCount> offsetStart{}, offsetEnd{};
  // Rotation points A and B.
  double rotateAX = -2, rotateAY = 0, rotateBX = 2, rotateBY = 0;
  // Point displacement at the first and the last step.
  double startDisplacementX = 0, startDisplacementY = 0, endDisplacementX = 0, endDisplacementY = 0;
  // The part of the path curve in use, in percent, and "Use offset?".
  double mainPathStart = 0, mainPathEnd = 100;
  bool useOffset = false;
  double AnimationPhase = 0;           // the frame's phase; 0 outside an animation
  double AnimationOffsetFraction = 0;  // 0 outside an animation
  double AnimationPhaseSine = 0;       // kept from the last frame made, also after it
};

// The values of a drawing made outside an animation; phaseSine is the value
// the last animation left.
inline FrameValues stillFrame(const Settings& s, double phaseSine) {
  FrameValues v;
  v.startRadius = s.StartRadius;
  v.endRadius = s.EndRadius;
  v.startAngle = s.StartIota;
  v.endAngle = s.EndIota;
  v.startBumps = s.StartBumps;
  v.endBumps = s.EndBumps;
  v.startDepth = s.StartDepth;
  v.endDepth = s.EndDepth;
  v.startX = s.StartEllipseWidth;
  v.endX = s.EndEllipseWidth;
  v.startY = s.StartEllipseHeight;
  v.endY = s.EndEllipseHeight;
  v.rotateAX = s.ZorvaPointsRotateXStart;
  v.rotateAY = s.ZorvaPointsRotateYStart;
  v.rotateBX = s.ZorvaPointsRotateXEnd;
  v.rotateBY = s.ZorvaPointsRotateYEnd;
  v.AnimationPhaseSine = phaseSine;
  return v;
}

}  // namespace zorva
