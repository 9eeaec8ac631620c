// Value fields: parsing, messages, limits and dragging.
#include <QPalette>

#include "ui/values_plane_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

class ValueFieldTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    v_ = openWindow<TformZorvaValues>(Window::Values);
  }
  void useMouse(bool on, bool snapBack) {
    settings().UseMouseToChangeValues = on;
    settings().SnapValuesBack = snapBack;
  }
  TformZorvaValues* v_ = nullptr;
};

TEST_F(ValueFieldTest, TypedNumbersAreClampedFlooredKeptOrRefusedByKind) {
  // Integers clamp and show the clamped value at once.
  typeInto(v_->editPercentToComplete, "150");
  EXPECT_EQ(v_->editPercentToComplete->text(), "100");
  EXPECT_EQ(settings().PercentToComplete, 100);
  // A lone minus waits for its digits.
  typeInto(v_->editStartIota, "7");
  typeInto(v_->editStartIota, "-");
  EXPECT_EQ(settings().StartIota, 7);
  QTest::keyClicks(v_->editStartIota, "5");
  EXPECT_EQ(settings().StartIota, -5);
  // Non-negative kinds store 0 for a negative number and keep its text.
  v_->editStartScale->setText("-3");
  EXPECT_EQ(settings().StartScale, 0);
  // Hundredths are floored; the text stays as typed.
  typeInto(v_->editStartRadius, "0.005");
  EXPECT_EQ(settings().StartRadius, 0);
  EXPECT_TRUE(messages_.empty());

  // Text that is no number: a message while the field is yellow, then the
  // value as it was.
  ValueField* grain = v_->editGrainStart;
  QColor duringMessage;
  onMessage_ = [&] { duringMessage = grain->palette().color(QPalette::Base); };
  typeInto(grain, "abc");  // each letter is refused in turn
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[2].kind, MessageKind::Information);
  EXPECT_EQ(duringMessage, QColor(Qt::yellow));
  EXPECT_NE(grain->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(grain->text(), "30");
  EXPECT_EQ(grain->cursorPosition(), 2);
  EXPECT_EQ(settings().StartGrain, 30.0);
  // A hundredfold value beyond 32 bits cannot be stored.
  v_->editStartRadius->setText("1E9");
  ASSERT_EQ(messages_.size(), 4u);
  EXPECT_EQ(messages_[3].kind, MessageKind::Error);
  EXPECT_EQ(settings().StartRadius, 0);  // as before
}

TEST_F(ValueFieldTest, DraggingOutsideTheBandStepsEachKindWithinItsLimitsAndSnapsBack) {
  useMouse(true, true);
  ValueField* steps = v_->editSteps;
  dragField(steps, {-40, -41, -42});
  EXPECT_EQ(settings().Steps, 43);
  EXPECT_EQ(steps->text(), "43");
  for (int y : {-5, 25}) moveWith(steps, {5, y}, Qt::LeftButton);  // inside the band
  EXPECT_EQ(settings().Steps, 43);
  releaseAt(steps, {5, 25}, Qt::LeftButton);
  EXPECT_EQ(settings().Steps, 40);
  EXPECT_EQ(steps->text(), "40");

  // Below the field it goes down; a release with text selected keeps the value.
  dragField(steps, {40, 41});
  steps->selectAll();
  releaseAt(steps, {5, 41}, Qt::LeftButton);
  EXPECT_EQ(settings().Steps, 38);
  useMouse(true, false);
  dragField(steps, {-40}, true);
  EXPECT_EQ(settings().Steps, 39);
  press(steps, {5, 10}, Qt::RightButton);  // only the left button drags
  moveWith(steps, {5, -40}, Qt::RightButton);
  EXPECT_EQ(settings().Steps, 39);
  // Nothing moves with the switch off, and nothing snaps back.
  useMouse(false, true);
  dragField(steps, {-40, -41});
  typeInto(steps, "77");
  releaseAt(steps, {5, -41}, Qt::LeftButton);
  EXPECT_EQ(settings().Steps, 77);

  // Each kind drags by its step within its limits.
  useMouse(true, false);
  // Integers stop at their drag limits, which may lie inside the typing limits.
  typeInto(v_->editSteps, "50000");
  dragField(v_->editSteps, {-40});
  EXPECT_EQ(settings().Steps, 25000);
  // Hundredths: 0.02 a move; the non-negative ones stop at 0.
  dragField(v_->editStartRadius, {-40, -41});
  EXPECT_EQ(v_->editStartRadius->text(), "1.04");
  typeInto(v_->editEndScale, "0.02");
  dragField(v_->editEndScale, {40, 41, 42});
  EXPECT_EQ(settings().EndScale, 0);
  // Non-negative reals: 0.1 a move, never below 0; reals 0.2 a move.
  typeInto(v_->editGrainEnd, "0.05");
  dragField(v_->editGrainEnd, {40, 41, -40});
  EXPECT_EQ(v_->editGrainEnd->text(), "0.1");
  double value = 1.5;
  ValueField field(form_->fieldOps(), ValueKind::Real, &value);
  field.resize(60, 22);
  field.showValue();
  dragField(&field, {-40, 40, 41});
  EXPECT_DOUBLE_EQ(value, 1.3);
  // Plane fields take any number and do not drag.
  form_->commands().valuesPlane->trigger();
  auto* plane = window<TformZorvaValuesPlane>(Window::ValuesPlane);
  typeInto(plane->editPlaneStartTranslationX, "-1.25");
  dragField(plane->editPlaneStartTranslationX, {-40});
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
}

}  // namespace
}  // namespace zorva::test
