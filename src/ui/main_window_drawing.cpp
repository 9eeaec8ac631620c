// Drawing commands: Draw and Stop, zoom.
#include <QAction>

#include "ui/animation_window.h"
#include "ui/main_window.h"

namespace zorva {

void TForm1::drawOrStopClick() {
  // Runs the whole drawing; it processes events once per drawn step, so
  // Stop, the option windows and even closing the window happen inside.
  engine_.DrawOrStop();
  refreshCommandState();
}

void TForm1::refreshCommandState() {
  // While frames are made, neither Draw nor Stop: only the Animation
  // window's "Stop" box ends the series.
  const bool animating = engine_.isAnimating();
  commands_.draw->setEnabled(!animating && (!engine_.isDrawing() || engine_.stopRequested()));
  commands_.stop->setEnabled(!animating && engine_.isDrawing() && !engine_.stopRequested());
  if (auto* animation = optionWindowAs<TformZorvaAnimation>(Window::Animation)) animation->commandStateChanged();
}

void TForm1::toggleZoomClick() {
  zoomToFit_ = !zoomToFit_;
  commands_.toggleZoom->setChecked(zoomToFit_);
  FormResize();
  Spammer(zoomToFit_ ? "Zooming to fit is on" : "Zooming turned off");
}

}  // namespace zorva
