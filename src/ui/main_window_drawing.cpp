// Drawing commands: Draw and Stop, zoom.
#include <QAction>

#include "ui/main_window.h"

namespace zorva {

void TForm1::drawOrStopClick() {
  // Runs the whole drawing; it processes events once per drawn step, so
  // Stop, the option windows and even closing the window happen inside.
  engine_.DrawOrStop();
  refreshCommandState();
}

void TForm1::refreshCommandState() {
  commands_.draw->setEnabled(!engine_.isDrawing() || engine_.stopRequested());
  commands_.stop->setEnabled(engine_.isDrawing() && !engine_.stopRequested());
}

void TForm1::toggleZoomClick() {
  zoomToFit_ = !zoomToFit_;
  commands_.toggleZoom->setChecked(zoomToFit_);
  FormResize();
  Spammer(zoomToFit_ ? "Zooming to fit is on" : "Zooming turned off");
}

}  // namespace zorva
