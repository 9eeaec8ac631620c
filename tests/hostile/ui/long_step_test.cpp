// Inside one enormous step the window still hears Esc, and only Esc.
#include <QKeyEvent>

#include "ui/ui_fixture.h"

namespace zorva {
namespace {

using test::UiTest;

TEST_F(UiTest, EscStopsAnEnormousStepAndOtherInputWaitsForIt) {
  start("[start]\nImageWidth=80\nImageHeight=80\n[sine]\nSteps=2\nStartGrain=200000\nEndGrain=200000\n");
  engine().tuning().batchUpdates = 5000;
  engine().tuning().stopCheckMs = 0;
  const int steps = settings().Steps;
  // Queued before the drawing: a click on Clear's key and Esc. Only the
  // first look for a stop inside step 0 delivers them.
  QCoreApplication::postEvent(form_.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, "c"));
  QCoreApplication::postEvent(form_.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  form_->commands().draw->trigger();
  EXPECT_FALSE(engine().isDrawing());
  EXPECT_LT(engine().stats().points, 20000u);  // of 400001 in the step
  EXPECT_EQ(steps_, 1);                        // step 0 ended at once, and the drawing with it
  EXPECT_EQ(settings().Steps, steps);
  // The dropped C did not clear the picture: step 0's ink is still there.
  EXPECT_NE(engine().canvas().firstStep.vector(), std::vector<std::int32_t>(80 * 80, kNeverPainted));
}

}  // namespace
}  // namespace zorva
