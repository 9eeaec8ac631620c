// Value fields: parsing, messages, limits and dragging.
#include <QPalette>

#include "ui/values_plane_window.h"
#include "ui/values_window.h"
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

TEST_F(ValueFieldTest, TypedNumbersAreClampedFlooredOrKeptByKind) {
  // Integers clamp and show the clamped value at once.
  typeInto(v_->editPercentToComplete, "150");
  EXPECT_EQ(v_->editPercentToComplete->text(), "100");
  EXPECT_EQ(v_->editPercentToComplete->cursorPosition(), 3);
  EXPECT_EQ(settings().PercentToComplete, 100);
  typeInto(v_->editSteps, "0");
  EXPECT_EQ(settings().Steps, 1);
  // A lone minus waits for its digits.
  typeInto(v_->editStartIota, "7");
  typeInto(v_->editStartIota, "-");
  EXPECT_EQ(v_->editStartIota->text(), "-");
  EXPECT_EQ(settings().StartIota, 7);
  QTest::keyClicks(v_->editStartIota, "5");
  EXPECT_EQ(settings().StartIota, -5);
  // Non-negative kinds store 0 for a negative number and keep its text.
  typeInto(v_->editStartScale, "3");
  QTest::keyClick(v_->editStartScale, Qt::Key_Home);
  QTest::keyClick(v_->editStartScale, Qt::Key_Minus);
  EXPECT_EQ(v_->editStartScale->text(), "-3");
  EXPECT_EQ(settings().StartScale, 0);
  v_->editGrainEnd->setText("-2.5");
  EXPECT_EQ(settings().EndGrain, 0.0);
  // Hundredths are floored; the text stays as typed.
  typeInto(v_->editStartRadius, "2.5");
  EXPECT_EQ(settings().StartRadius, 250);
  EXPECT_EQ(v_->editStartRadius->text(), "2.5");
  typeInto(v_->editStartRadius, "0.005");
  EXPECT_EQ(settings().StartRadius, 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ValueFieldTest, TextThatIsNoNumberShowsTheKindsMessageAndRestoresTheValue) {
  ValueField* grain = v_->editGrainStart;
  QColor duringMessage;
  onMessage_ = [&] { duringMessage = grain->palette().color(QPalette::Base); };
  typeInto(grain, "abc");  // each letter is refused in turn
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[2].text, "This field must be a non-negative number. e.g 0, 1, 0.5");
  EXPECT_EQ(messages_[2].kind, MessageKind::Information);
  EXPECT_EQ(duringMessage, QColor(Qt::yellow));
  EXPECT_NE(grain->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(grain->text(), "30");
  EXPECT_EQ(grain->cursorPosition(), 2);
  EXPECT_EQ(settings().StartGrain, 30.0);

  messages_.clear();
  typeInto(v_->editSteps, "x");
  typeInto(v_->editStartRadius, "x");
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0].text, "This field must be an integer.");
  EXPECT_EQ(messages_[1].text, "This field must be a number. e.g 1, 0.5, -0.3");
  EXPECT_EQ(v_->editSteps->text(), "40");
  EXPECT_EQ(v_->editStartRadius->text(), "1");  // 100 hundredths

  // A hundredfold value beyond 32 bits cannot be stored.
  v_->editStartRadius->setText("1E9");
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[2].kind, MessageKind::Error);
  EXPECT_EQ(settings().StartRadius, 100);
}

TEST_F(ValueFieldTest, TypingStopsAtFiveCharactersButLongerValuesShowWhole) {
  typeInto(v_->editSteps, "123456");
  EXPECT_EQ(settings().Steps, 12345);
  settings().Steps = 100000;
  v_->Init();
  EXPECT_EQ(v_->editSteps->text(), "100000");
  EXPECT_EQ(settings().Steps, 100000);
  v_->editSteps->setCursorPosition(6);  // and can still be shortened
  QTest::keyClick(v_->editSteps, Qt::Key_Backspace);
  EXPECT_EQ(settings().Steps, 10000);
}

TEST_F(ValueFieldTest, DraggingOutsideTheBandStepsTheValueAndSnapsBack) {
  useMouse(true, true);
  ValueField* steps = v_->editSteps;
  dragField(steps, {-40, -41, -42});
  EXPECT_EQ(settings().Steps, 43);
  EXPECT_EQ(steps->text(), "43");
  for (int y : {-5, 0, 12, 25}) moveTo(steps, y);  // inside the band
  EXPECT_EQ(settings().Steps, 43);
  EXPECT_FALSE(steps->hasSelectedText());
  release(steps, 25);
  EXPECT_EQ(settings().Steps, 40);
  EXPECT_EQ(steps->text(), "40");

  // Below the field it goes down; a release with text selected keeps the value.
  dragField(steps, {40, 41});
  EXPECT_EQ(settings().Steps, 38);
  steps->selectAll();
  release(steps, 41);
  EXPECT_EQ(settings().Steps, 38);
  useMouse(true, false);
  dragField(steps, {-40}, true);
  EXPECT_EQ(settings().Steps, 39);
  // Only the left button drags.
  sendMouse(steps, QEvent::MouseButtonPress, 10, Qt::RightButton, Qt::RightButton);
  sendMouse(steps, QEvent::MouseMove, -40, Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(settings().Steps, 39);
}

TEST_F(ValueFieldTest, NothingMovesWithTheMouseSwitchOff) {
  useMouse(false, true);
  dragField(v_->editSteps, {-40, -41, -42});
  EXPECT_EQ(settings().Steps, 40);
  typeInto(v_->editSteps, "77");
  release(v_->editSteps, -42);
  EXPECT_EQ(settings().Steps, 77);  // no snap-back either
}

TEST_F(ValueFieldTest, EachKindDragsByItsStepWithinItsLimits) {
  useMouse(true, false);
  // Integers stop at their drag limits, which may lie inside the typing limits.
  typeInto(v_->editSteps, "50000");
  dragField(v_->editSteps, {-40});
  EXPECT_EQ(settings().Steps, 25000);
  typeInto(v_->editPercentToComplete, "100");
  dragField(v_->editPercentToComplete, {-40});
  EXPECT_EQ(settings().PercentToComplete, 100);
  // Hundredths: 0.02 a move; the non-negative ones stop at 0.
  dragField(v_->editStartRadius, {-40, -41});
  EXPECT_EQ(settings().StartRadius, 104);
  EXPECT_EQ(v_->editStartRadius->text(), "1.04");
  typeInto(v_->editEndScale, "0.02");
  dragField(v_->editEndScale, {40, 41, 42});
  EXPECT_EQ(settings().EndScale, 0);
  // Non-negative reals: 0.1 a move, never below 0.
  typeInto(v_->editGrainEnd, "0.05");
  dragField(v_->editGrainEnd, {40, 41});
  EXPECT_EQ(settings().EndGrain, 0.0);
  EXPECT_EQ(v_->editGrainEnd->text(), "0");
  moveTo(v_->editGrainEnd, -40);
  EXPECT_EQ(v_->editGrainEnd->text(), "0.1");
}

TEST_F(ValueFieldTest, RealFieldsDragByTwoTenthsAndSnapBackEvenWithTextSelected) {
  useMouse(true, true);
  double value = 1.5;
  ValueField field(form_->fieldOps(), ValueKind::Real, &value);
  field.resize(60, 22);
  field.showValue();
  dragField(&field, {-40});
  EXPECT_DOUBLE_EQ(value, 1.7);
  moveTo(&field, 40);
  moveTo(&field, 41);
  EXPECT_DOUBLE_EQ(value, 1.3);
  field.selectAll();
  release(&field, 41);
  EXPECT_EQ(value, 1.5);
  EXPECT_EQ(field.text(), "1.5");
}

TEST_F(ValueFieldTest, PlaneFieldsTakeAnyNumberAndDoNotDrag) {
  form_->commands().valuesPlane->trigger();
  auto* plane = window<TformZorvaValuesPlane>(Window::ValuesPlane);
  typeInto(plane->editPlaneStartTranslationX, "-1.25");
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
  useMouse(true, false);
  dragField(plane->editPlaneStartTranslationX, {-40});
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
}

}  // namespace
}  // namespace zorva::test
