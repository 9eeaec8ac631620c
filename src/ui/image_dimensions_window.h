// "Image dimensions": a new picture size, applied with a Clear.
#pragma once

#include "ui/option_window.h"

class QPushButton;

namespace zorva {

class TformZorvaImageDimensions : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kUnfoldedHeight = 150;

  explicit TformZorvaImageDimensions(TForm1& main);
  // Pending values := the record's picture size.
  void Init() override;
  // ImageWidth and ImageHeight := the pending values, Clear, close.
  void buttonApplyClick();
  // The fields show the size of the picture in use.
  void buttonResetClick();

  std::int32_t pendingWidth() const { return pendingWidth_; }
  std::int32_t pendingHeight() const { return pendingHeight_; }

  ValueField* editImageDimensionsWidth;
  ValueField* editImageDimensionsHeight;
  QPushButton* buttonApply;
  QPushButton* buttonReset;

 private:
  std::int32_t pendingWidth_ = 0, pendingHeight_ = 0;
};

}  // namespace zorva
