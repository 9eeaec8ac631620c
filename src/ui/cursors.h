// The program's own mouse cursors, registered at start-up under numbers:
// 1 "CURVEROTATE" (rotating a curve), 2 "CURVEEXPAND" (scaling a curve).
#pragma once

#include <QCursor>

namespace zorva {

inline constexpr int kCurveRotateCursor = 1;
inline constexpr int kCurveExpandCursor = 2;

// Loads the cursor images from the program's resources (once).
void registerZorvaCursors();
// A registered cursor; the arrow for a number that names none.
QCursor zorvaCursor(int number);

}  // namespace zorva
