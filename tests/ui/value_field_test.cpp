// Value fields in the Values window: parsing, messages, limits and dragging.
#include <QCheckBox>
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
    start();
    values_ = window<TformZorvaValues>(Window::Values);
    ASSERT_NE(values_, nullptr);
    form_->commands().values->trigger();
  }
  TformZorvaValues* values_ = nullptr;
};

// ---- typing -------------------------------------------------------------------------

TEST_F(ValueFieldTest, IntegerFieldsClampAndRewriteAtOnce) {
  typeInto(values_->editPercentToComplete, "150");
  EXPECT_EQ(values_->editPercentToComplete->text(), "100");
  EXPECT_EQ(settings().PercentToComplete, 100);
  EXPECT_EQ(values_->editPercentToComplete->cursorPosition(), 3);

  typeInto(values_->editSteps, "0");
  EXPECT_EQ(values_->editSteps->text(), "1");
  EXPECT_EQ(settings().Steps, 1);

  typeInto(values_->editStartIota, "-4000");
  EXPECT_EQ(values_->editStartIota->text(), "-3600");
  EXPECT_EQ(settings().StartIota, -3600);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ValueFieldTest, LoneMinusIsIgnoredUntilDigitsFollow) {
  typeInto(values_->editStartIota, "7");
  ASSERT_EQ(settings().StartIota, 7);
  typeInto(values_->editStartIota, "-");
  EXPECT_EQ(values_->editStartIota->text(), "-");
  EXPECT_EQ(settings().StartIota, 7);
  QTest::keyClicks(values_->editStartIota, "5");
  EXPECT_EQ(settings().StartIota, -5);
  EXPECT_EQ(values_->editStartIota->text(), "-5");
  // Empty text is ignored too.
  values_->editStartIota->clear();
  EXPECT_EQ(settings().StartIota, -5);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ValueFieldTest, TextThatIsNoNumberShowsTheMessageAndRestoresTheValue) {
  ValueField* grain = values_->editGrainStart;
  ASSERT_EQ(grain->text(), "30");
  QColor duringMessage;
  onMessage_ = [&] { duringMessage = grain->palette().color(QPalette::Base); };
  // Each letter is refused in turn and the grain comes back each time.
  typeInto(grain, "abc");
  ASSERT_EQ(messages_.size(), 3u);
  for (const Message& m : messages_) {
    EXPECT_EQ(m.text, "This field must be a non-negative number. e.g 0, 1, 0.5");
    EXPECT_EQ(m.kind, MessageKind::Information);
  }
  EXPECT_EQ(duringMessage, QColor(Qt::yellow));
  EXPECT_NE(grain->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(grain->text(), "30");
  EXPECT_EQ(grain->cursorPosition(), 2);
  EXPECT_EQ(settings().StartGrain, 30.0);

  // Each kind has its own message.
  messages_.clear();
  typeInto(values_->editSteps, "x");
  typeInto(values_->editStartRadius, "x");
  values_->editStartScale->setText("-");
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[0].text, "This field must be an integer.");
  EXPECT_EQ(messages_[1].text, "This field must be a number. e.g 1, 0.5, -0.3");
  EXPECT_EQ(messages_[2].text, "This field must be a non-negative number. e.g 0, 1, 0.5");
  EXPECT_EQ(values_->editSteps->text(), "40");
  EXPECT_EQ(values_->editStartRadius->text(), "1");
  EXPECT_EQ(values_->editStartScale->text(), "2");

  // A number beyond 32 bits is no integer.
  messages_.clear();
  values_->editSteps->setText("99999999999");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This field must be an integer.");
  EXPECT_EQ(settings().Steps, 40);
}

TEST_F(ValueFieldTest, PositiveKindsStoreZeroForNegativesAndKeepTheText) {
  ValueField* scale = values_->editStartScale;
  typeInto(scale, "3");
  QTest::keyClick(scale, Qt::Key_Home);
  QTest::keyClick(scale, Qt::Key_Minus);
  EXPECT_EQ(scale->text(), "-3");
  EXPECT_EQ(settings().StartScale, 0);

  values_->editGrainEnd->setText("-2.5");
  EXPECT_EQ(settings().EndGrain, 0.0);
  EXPECT_EQ(values_->editGrainEnd->text(), "-2.5");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ValueFieldTest, HundredthsAreFloored) {
  typeInto(values_->editStartRadius, "2.5");
  EXPECT_EQ(settings().StartRadius, 250);
  EXPECT_EQ(values_->editStartRadius->text(), "2.5");  // not rewritten
  typeInto(values_->editStartRadius, "0.005");
  EXPECT_EQ(settings().StartRadius, 0);
  // 0.29 * 100 falls just below 29 in binary.
  values_->editEndRadius->setText("0.29");
  EXPECT_EQ(settings().EndRadius, 28);
  values_->editEndRadius->setText("-0.3");
  EXPECT_EQ(settings().EndRadius, -30);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ValueFieldTest, HundredfoldBeyondThirtyTwoBitsKeepsTheSetting) {
  typeInto(values_->editStartRadius, "3");
  ASSERT_EQ(settings().StartRadius, 300);
  values_->editStartRadius->setText("1E9");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].kind, MessageKind::Error);
  EXPECT_NE(messages_[0].text.find("too large"), std::string::npos);
  EXPECT_EQ(settings().StartRadius, 300);
  values_->editStartScale->setText("-1E9");
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(settings().StartScale, 200);
}

TEST_F(ValueFieldTest, TypingStopsAtFiveCharactersButLongerValuesShowWhole) {
  typeInto(values_->editSteps, "123456");
  EXPECT_EQ(values_->editSteps->text(), "12345");
  EXPECT_EQ(settings().Steps, 12345);

  // A value from the settings file is shown whole, never cut to five characters.
  settings().Steps = 100000;
  values_->Init();
  EXPECT_EQ(values_->editSteps->text(), "100000");
  EXPECT_EQ(settings().Steps, 100000);
  // ... and can still be shortened.
  values_->editSteps->setCursorPosition(6);
  QTest::keyClick(values_->editSteps, Qt::Key_Backspace);
  EXPECT_EQ(settings().Steps, 10000);
}

TEST_F(ValueFieldTest, InitShowsTheRecordAndParsesItAgain) {
  settings().StartRadius = 29;
  settings().StartIota = 9000;  // beyond the field's limits
  settings().TanBumps = true;
  values_->Init();
  EXPECT_EQ(values_->editStartRadius->text(), "0.29");
  EXPECT_EQ(settings().StartRadius, 28);
  EXPECT_EQ(values_->editStartIota->text(), "3600");
  EXPECT_EQ(settings().StartIota, 3600);
  EXPECT_TRUE(values_->cbTanBumps->isChecked());
  values_->cbTanBumps->click();
  EXPECT_FALSE(settings().TanBumps);
}

// ---- dragging -------------------------------------------------------------------------

TEST_F(ValueFieldTest, DraggingAboveTheFieldRaisesTheValueAndSnapsBack) {
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = true;
  ValueField* steps = values_->editSteps;
  pressLeft(steps, {5, 10});
  for (int y : {-40, -41, -42}) dragTo(steps, {5, y});
  EXPECT_EQ(settings().Steps, 43);
  EXPECT_EQ(steps->text(), "43");
  // Moves inside the band round the field change nothing.
  for (int y : {-5, 0, 12, 25}) dragTo(steps, {5, y});
  EXPECT_EQ(settings().Steps, 43);
  EXPECT_FALSE(steps->hasSelectedText());
  releaseLeft(steps, {5, -42});
  EXPECT_EQ(settings().Steps, 40);
  EXPECT_EQ(steps->text(), "40");

  // Below the field the value goes down.
  pressLeft(steps, {5, 10});
  for (int y : {40, 41}) dragTo(steps, {5, y});
  EXPECT_EQ(settings().Steps, 38);
  releaseLeft(steps, {5, 41});
  EXPECT_EQ(settings().Steps, 40);
}

TEST_F(ValueFieldTest, NothingMovesWithTheMouseSwitchOff) {
  settings().UseMouseToChangeValues = false;
  settings().SnapValuesBack = true;
  ValueField* steps = values_->editSteps;
  pressLeft(steps, {5, 10});
  for (int y : {-40, -41, -42}) dragTo(steps, {5, y});
  EXPECT_EQ(settings().Steps, 40);
  typeInto(steps, "77");
  releaseLeft(steps, {5, -42});
  EXPECT_EQ(settings().Steps, 77);  // no snap-back either
}

TEST_F(ValueFieldTest, OnlyTheLeftButtonDrags) {
  settings().UseMouseToChangeValues = true;
  ValueField* steps = values_->editSteps;
  sendMouse(steps, QEvent::MouseButtonPress, {5, 10}, Qt::RightButton, Qt::RightButton);
  dragTo(steps, {5, -40}, Qt::RightButton);
  EXPECT_EQ(settings().Steps, 40);
}

TEST_F(ValueFieldTest, SnapBackNeedsTheSwitchAndNoSelection) {
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = false;
  ValueField* steps = values_->editSteps;
  pressLeft(steps, {5, 10});
  dragTo(steps, {5, -40});
  releaseLeft(steps, {5, -40});
  EXPECT_EQ(settings().Steps, 41);

  // A release with text selected keeps the dragged value.
  settings().SnapValuesBack = true;
  pressLeft(steps, {5, 10});
  dragTo(steps, {5, -40});
  dragTo(steps, {5, -41});
  steps->selectAll();
  releaseLeft(steps, {5, -41});
  EXPECT_EQ(settings().Steps, 43);
}

TEST_F(ValueFieldTest, IntegerDragsStayWithinTheDragLimits) {
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = false;
  typeInto(values_->editSteps, "50000");
  ASSERT_EQ(settings().Steps, 50000);
  pressLeft(values_->editSteps, {5, 10});
  dragTo(values_->editSteps, {5, -40});
  EXPECT_EQ(settings().Steps, 25000);

  typeInto(values_->editPercentToComplete, "100");
  pressLeft(values_->editPercentToComplete, {5, 10});
  dragTo(values_->editPercentToComplete, {5, -40});
  EXPECT_EQ(settings().PercentToComplete, 100);
}

TEST_F(ValueFieldTest, FloatingKindsDragByTheirSteps) {
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = false;
  // Hundredths: 0.02 a move.
  pressLeft(values_->editStartRadius, {5, 10});
  dragTo(values_->editStartRadius, {5, -40});
  dragTo(values_->editStartRadius, {5, -41});
  EXPECT_EQ(settings().StartRadius, 104);
  EXPECT_EQ(values_->editStartRadius->text(), "1.04");
  // Positive hundredths stop at 0.
  typeInto(values_->editEndScale, "0.02");
  pressLeft(values_->editEndScale, {5, 10});
  for (int y : {40, 41, 42}) dragTo(values_->editEndScale, {5, y});
  EXPECT_EQ(settings().EndScale, 0);
  // Positive real: 0.1 a move, never below 0.
  typeInto(values_->editGrainEnd, "0.05");
  ASSERT_EQ(settings().EndGrain, 0.05);
  pressLeft(values_->editGrainEnd, {5, 10});
  dragTo(values_->editGrainEnd, {5, 40});
  EXPECT_EQ(settings().EndGrain, 0.0);
  EXPECT_EQ(values_->editGrainEnd->text(), "0");
  dragTo(values_->editGrainEnd, {5, 41});
  EXPECT_EQ(settings().EndGrain, 0.0);
  dragTo(values_->editGrainEnd, {5, -40});
  EXPECT_EQ(values_->editGrainEnd->text(), "0.1");
}

TEST_F(ValueFieldTest, RealFieldsDragAndSnapBackEvenWithTextSelected) {
  settings().UseMouseToChangeValues = true;
  settings().SnapValuesBack = true;
  double value = 1.5;
  ValueField field(form_->fieldOps(), ValueKind::Real, &value);
  field.resize(60, 22);
  field.showValue();
  ASSERT_EQ(field.text(), "1.5");
  pressLeft(&field, {5, 10});
  dragTo(&field, {5, -40});
  EXPECT_DOUBLE_EQ(value, 1.7);
  dragTo(&field, {5, 40});
  dragTo(&field, {5, 41});
  EXPECT_DOUBLE_EQ(value, 1.3);
  EXPECT_EQ(field.text(), "1.3");
  field.selectAll();
  releaseLeft(&field, {5, 41});
  EXPECT_EQ(value, 1.5);
  EXPECT_EQ(field.text(), "1.5");
}

TEST_F(ValueFieldTest, PlaneFieldsTakeAnyNumberAndDoNotDrag) {
  form_->commands().valuesPlane->trigger();
  auto* plane = window<TformZorvaValuesPlane>(Window::ValuesPlane);
  typeInto(plane->editPlaneStartTranslationX, "-1.25");
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
  typeInto(plane->editPlaneEndRotationAngle, "720");
  EXPECT_EQ(settings().PlaneEndRotationAngle, 720.0);
  typeInto(plane->editPlaneEndRotationY, "z");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This field must be a number. e.g 0, 1, -0.5");

  settings().UseMouseToChangeValues = true;
  pressLeft(plane->editPlaneStartTranslationX, {5, 10});
  dragTo(plane->editPlaneStartTranslationX, {5, -40});
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
}

}  // namespace
}  // namespace zorva::test
