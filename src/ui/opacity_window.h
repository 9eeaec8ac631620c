// "Opacity": how opaque a transparent save is.
#pragma once

#include "ui/option_window.h"

class QLabel;
class QSlider;

namespace zorva {

class TformZorvaOpacity : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 110;

  explicit TformZorvaOpacity(TForm1& main);
  // The slider starts at 50 whatever Opacity holds, until it is moved.
  void Init() override {}

  QSlider* tbOpacity;
  QLabel* labelOpacity;
  QPushButton* buttonOK;
};

}  // namespace zorva
