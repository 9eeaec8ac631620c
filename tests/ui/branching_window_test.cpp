// The Branching window (F10), driven as a user drives it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "animation/branching.h"
#include "ui/branching_window.h"
#include "ui/points_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

// A straight path of 101 points, (i / 100, 0) for i = 0 .. 100, beside the
// settings; one branch at its middle, turned by 0 degrees.
struct BranchingWindow : UiTest {
  TformZorvaBranching* branching() { return window<TformZorvaBranching>(Window::Branches); }
  TformZorvaPoints* points() { return window<TformZorvaPoints>(Window::Points); }
  const MultiplierSlot& pathSlot() { return engine().multiplierSlot(kPathCurve); }

  void open(const std::string& extra = "") {
    std::string curve;
    for (int i = 0; i <= 100; ++i) curve += formatFloat(i / 100.0) + "\r\n0\r\n";
    writeFile("zorva_Main_-_Path_curve.curve", curve);
    start(
        "[start]\nImageWidth=60\nImageHeight=60\nBranchBranchPointMin=50\nBranchBranchPointMax=50\n"
        "BranchBranchAngleMin=0\nBranchBranchAngleMax=0\n" +
        extra + "[sine]\nSteps=40\n");
    ASSERT_EQ(engine().loadCompanionCurves(pathString("zorva.ini")), true);
    ASSERT_EQ(pathSlot().curve.GetLength(), 101);
    form_->showOptionWindow(Window::Points, "");
    form_->showOptionWindow(Window::Branches, "");
  }
  void chooseCurveMode() { clickBox(points()->rbDrawMultiplierBezier); }
};

TEST_F(BranchingWindow, FieldsAndBoxesShowTheSettingsWithTheirLimits) {
  open("BranchCopies=3\nBranchScaleFactorMin=7\nRestrictBranching=0\nBranchAngleFlipFlop=0\n");
  TformZorvaBranching* b = branching();
  EXPECT_TRUE(b->isVisible());
  EXPECT_EQ(b->windowTitle(), "Branching");
  EXPECT_EQ(b->height(), TformZorvaBranching::kUnfoldedHeight);
  EXPECT_EQ(b->eCopies->text(), "3");
  EXPECT_EQ(b->eBranches->text(), "1");
  EXPECT_EQ(b->eMinBranchPoint->text(), "50");
  EXPECT_EQ(b->eMinScaleFactor->text(), "7");
  EXPECT_EQ(b->eMaxScaleFactor->text(), "85");
  EXPECT_EQ(b->eMaxBranchAngle->text(), "0");
  EXPECT_FALSE(b->cbRestrictBranching->isChecked());
  EXPECT_FALSE(b->cbAngleFlipFlop->isChecked());
  EXPECT_TRUE(b->cbScaleControlPoints->isChecked());
  EXPECT_TRUE(b->cbScaleAsBranchPoint->isChecked());
  EXPECT_FALSE(b->cbScaleAsBranchPoint->toolTip().isEmpty());
  EXPECT_FALSE(b->cbHorizontalFlip->isVisible() || b->cbHorizontalFlip->isEnabled());
  EXPECT_FALSE(b->cbCurlBranches->isVisible() || b->cbCurlBranches->isEnabled());

  // Typed values are kept within each field's limits.
  struct Typed {
    ValueField* field;
    const char* text;
    const char* shown;
    std::int32_t* setting;
    std::int32_t stored;
  } typed[] = {
      {b->eCopies, "11", "10", &settings().BranchCopies, 10},
      {b->eCopies, "0", "1", &settings().BranchCopies, 1},
      {b->eBranches, "99", "40", &settings().BranchBranches, 40},
      {b->eMinBranchPoint, "0", "1", &settings().BranchBranchPointMin, 1},
      {b->eMaxBranchPoint, "250", "100", &settings().BranchBranchPointMax, 100},
      {b->eMinScaleFactor, "-4", "0", &settings().BranchScaleFactorMin, 0},
      {b->eMaxScaleFactor, "101", "100", &settings().BranchScaleFactorMax, 100},
      {b->eMinBranchAngle, "-200", "-180", &settings().BranchBranchAngleMin, -180},
      {b->eMaxBranchAngle, "181", "180", &settings().BranchBranchAngleMax, 180},
  };
  for (const Typed& t : typed) {
    typeInto(t.field, t.text);
    EXPECT_EQ(t.field->text(), t.shown) << t.field->objectName().toStdString();
    EXPECT_EQ(*t.setting, t.stored) << t.field->objectName().toStdString();
  }
  // Min and max are not checked against each other.
  typeInto(b->eMinBranchPoint, "90");
  typeInto(b->eMaxBranchPoint, "10");
  EXPECT_EQ(settings().BranchBranchPointMin, 90);
  EXPECT_EQ(settings().BranchBranchPointMax, 10);

  clickBox(b->cbRestrictBranching);
  EXPECT_TRUE(settings().RestrictBranching);
  clickBox(b->cbScaleControlPoints);
  EXPECT_FALSE(settings().BranchScaleControlPoints);

  // Folding and closing as every option window does.
  click(b->foldButton());
  EXPECT_EQ(b->height(), OptionWindow::kFoldedHeight);
  click(b->foldButton());
  EXPECT_EQ(b->height(), TformZorvaBranching::kUnfoldedHeight);
  b->close();
  EXPECT_FALSE(settings().window(Window::Branches).Visible);
}

TEST_F(BranchingWindow, AFileLoadedLaterIsShownToo) {
  open();
  writeFile("other.ini", "[start]\nBranchBranches=6\nBranchScaleAsBranchPoint=0\nBranchCopies=25\n");
  form_->openIniFile(path("other.ini"));
  EXPECT_EQ(branching()->eBranches->text(), "6");
  EXPECT_FALSE(branching()->cbScaleAsBranchPoint->isChecked());
  // The window keeps the file's values within its limits.
  EXPECT_EQ(branching()->eCopies->text(), "10");
  EXPECT_EQ(settings().BranchCopies, 10);
}

TEST_F(BranchingWindow, ButtonsFollowTheSetCurveMode) {
  open();
  TformZorvaBranching* b = branching();
  EXPECT_FALSE(b->btnBranch->isEnabled());
  EXPECT_FALSE(b->btnUndoAndBranchAgain->isEnabled());
  clickBox(points()->rbSetPathPoints);
  EXPECT_FALSE(b->btnBranch->isEnabled());
  chooseCurveMode();
  EXPECT_TRUE(b->btnBranch->isEnabled());
  EXPECT_TRUE(b->btnUndoAndBranchAgain->isEnabled());
  clickBox(points()->rbSetRotatePoints);
  EXPECT_TRUE(b->btnBranch->isEnabled());
  EXPECT_FALSE(b->btnUndoAndBranchAgain->isEnabled());
  // The Options menu's hidden item sets the same mode.
  form_->commands().drawMultiplierBezier->trigger();
  EXPECT_TRUE(b->btnUndoAndBranchAgain->isEnabled());
}

TEST_F(BranchingWindow, BranchGrowsTheChosenCurveAndShowsIt) {
  open();
  chooseCurveMode();
  const qCurve before = pathSlot().curve;
  click(branching()->btnBranch);
  // Point 50 of 101, scale (1 - 0.5) * 0.666, so floor(100 * 0.333) = 33
  // points spliced in after point 50; turned by 0 degrees either way.
  const qCurve& after = pathSlot().curve;
  ASSERT_EQ(after.GetLength(), 134);
  for (int i = 0; i <= 50; ++i) EXPECT_EQ(after.Points()[static_cast<std::size_t>(i)], before.Points()[i]);
  EXPECT_NEAR(after.Points()[51].X, 0.5 + 0.333 * 0.99, 1e-12);
  EXPECT_EQ(after.Points()[51].Y, 0);
  for (int i = 51; i <= 100; ++i) EXPECT_EQ(after.Points()[static_cast<std::size_t>(i + 33)], before.Points()[i]);
  EXPECT_EQ(pathSlot().undo.Points(), before.Points());
  // The Bezier follows the new curve, which is shown.
  EXPECT_EQ(pathSlot().bezier.Count(), 134);
  EXPECT_TRUE(engine().curveShown());
  EXPECT_EQ(form_->statusText(), "Finished drawing \"Main - Path curve\" bezier");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(messages_.empty());

  // "Undo and branch again" starts again from the curve before the branch;
  // one undo then goes back to it.
  click(branching()->btnUndoAndBranchAgain);
  EXPECT_EQ(pathSlot().curve.GetLength(), 134);
  EXPECT_EQ(pathSlot().undo.Points(), before.Points());
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(pathSlot().curve.Points(), before.Points());
  EXPECT_EQ(pathSlot().bezier.Count(), 101);
}

TEST_F(BranchingWindow, CopiesBranchTheBranchesAndOneUndoGoesBack) {
  open("BranchCopies=3\n");
  chooseCurveMode();
  const qCurve before = pathSlot().curve;
  click(branching()->btnBranch);
  // 101 -> 134 -> 134 + floor(133 * 0.333) = 178 -> 178 + floor(177 * 0.333) = 236.
  EXPECT_EQ(pathSlot().curve.GetLength(), 236);
  EXPECT_EQ(pathSlot().undo.Points(), before.Points());
  form_->commands().undoCurveEdit->trigger();
  EXPECT_EQ(pathSlot().curve.Points(), before.Points());
}

TEST_F(BranchingWindow, RefusalsLeaveTheCurveAlone) {
  open();
  chooseCurveMode();
  // "Undo and branch again" does nothing while no curve is shown.
  ASSERT_FALSE(engine().curveShown());
  click(branching()->btnUndoAndBranchAgain);
  EXPECT_EQ(pathSlot().curve.GetLength(), 101);
  EXPECT_FALSE(engine().curveShown());

  // An empty slot: the status says so, nothing is shown or copied to undo.
  engine().selectSlot(kRadius);
  points()->cbMultiplierBeziers->setCurrentIndex(kRadius);
  engine().multiplierSlot(kRadius).undo.AddPoint(1, 1);
  form_->Spammer("");
  click(branching()->btnBranch);
  EXPECT_EQ(form_->statusText(), "curve not set");
  EXPECT_EQ(engine().multiplierSlot(kRadius).undo.GetLength(), 1);

  // A curve of 6000 points or more: one message box per copy, with the count.
  qCurve big;
  for (int i = 0; i < 6000; ++i) big.AddPoint(i, 0);
  engine().setSlotCurve(kRadius, big);
  settings().BranchCopies = 2;
  click(branching()->btnBranch);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0].text, "curve has too many points to branch. (6000)");
  EXPECT_EQ(engine().multiplierSlot(kRadius).curve.GetLength(), 6000);
  EXPECT_EQ(engine().multiplierSlot(kRadius).undo.GetLength(), 6000);  // the command's one undo copy
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace zorva::test
