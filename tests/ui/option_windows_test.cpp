// The option windows: the pattern they share (show, fold, close, hide,
// placement), their value fields, and the Image dimensions, Function,
// Colors, Source image, Background Image and Animation windows.
#include <QPainter>
#include <QProgressBar>
#include <filesystem>

#include "ui/image_preview.h"
#include "ui/opacity_window.h"
#include "ui/values_plane_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

using OptionWindowTest = UiTest;

TEST_F(OptionWindowTest, EachWindowShowsFromTheMenuFoldsAndClosesToHidden) {
  start();
  const auto& c = form_->commands();
  const std::pair<QAction*, Window> windows[] = {{c.values, Window::Values},
                                                 {c.valuesPlane, Window::ValuesPlane},
                                                 {c.imageDimensions, Window::Dimensions},
                                                 {c.setOpacity, Window::Opacity},
                                                 {c.function, Window::Function},
                                                 {c.color, Window::Colors},
                                                 {c.sourceImage, Window::SourceImage},
                                                 {c.backgroundImage, Window::BackgroundImage},
                                                 {c.points, Window::Points},
                                                 {c.path, Window::Path},
                                                 {c.animation, Window::Animation},
                                                 {c.branching, Window::Branches}};
  // Hide option windows, twice, shows again exactly the windows it hid.
  c.values->trigger();
  c.setOpacity->trigger();
  c.hideOptionWindows->trigger();
  EXPECT_FALSE(form_->optionWindow(Window::Values)->isVisible());
  c.hideOptionWindows->trigger();
  for (const auto& [action, window] : windows)
    EXPECT_EQ(form_->optionWindow(window)->isVisible(), window == Window::Values || window == Window::Opacity);

  for (const auto& [action, window] : windows) {
    SCOPED_TRACE(static_cast<int>(window));
    OptionWindow* w = form_->optionWindow(window);
    action->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(settings().window(window).Visible);
    click(w->foldButton());
    click(w->foldButton());
    const int unfolded = w->height();
    click(w->foldButton());
    EXPECT_LT(w->height(), unfolded);
    click(w->foldButton());
    EXPECT_EQ(w->height(), unfolded);
    // Closing only hides; Values - Plane keeps its key.
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(settings().window(window).Visible, window == Window::ValuesPlane);
  }
}

TEST_F(OptionWindowTest, PlacementAndFoldingAreWrittenOnExit) {
  start(std::string(kSmallSettings) + "[forms]\nValuesHeight=50\nValuesVisible=1\nFunctionLeft=100\nFunctionTop=120\n");
  OptionWindow* values = form_->optionWindow(Window::Values);
  OptionWindow* function = form_->optionWindow(Window::Function);
  form_->commands().function->trigger();
  EXPECT_EQ(function->pos(), QPoint(100, 120));
  values->move(120, 80);
  click(values->foldButton());  // stored folded, it unfolds
  ASSERT_GT(values->height(), 50);
  function->close();
  form_->close();
  const std::pair<const char*, std::string> stored[] = {{"ValuesLeft", "120"},
                                                        {"ValuesTop", "80"},
                                                        {"ValuesHeight", std::to_string(values->height())},
                                                        {"ValuesVisible", "1"},
                                                        {"FunctionVisible", "0"}};
  for (const auto& [key, value] : stored) EXPECT_EQ(storedValue("forms", key), value) << key;
}

TEST_F(OptionWindowTest, ImageDimensionsApplyOnlyWithApplyAndTheOpacitySliderOnlyMovesByHand) {
  auto* dims = openWindow<TformZorvaImageDimensions>(Window::Dimensions, std::string(kSmallSettings) + "Opacity=27\n");
  typeInto(dims->editImageDimensionsWidth, "80");
  typeInto(dims->editImageDimensionsHeight, "45");
  EXPECT_EQ(settings().ImageWidth, 60);  // pending until Apply
  click(dims->buttonApply);
  EXPECT_EQ(engine().picture().width, 80);
  EXPECT_EQ(engine().picture().height, 45);
  EXPECT_FALSE(dims->isVisible());
  auto* opacity = window<TformZorvaOpacity>(Window::Opacity);
  form_->settingsLoaded();  // neither the start nor a load moves the slider
  EXPECT_EQ(opacity->tbOpacity->value(), 50);
}

void choose(TformZorvaFunction* w, int entry) { clickBox(w->functionButtons[static_cast<std::size_t>(entry)]); }

TEST_F(OptionWindowTest, ChoosingAFunctionStopsTheDrawingAndSwitchesTheStylesValues) {
  auto* w = openWindow<TformZorvaFunction>(
      Window::Function,
      std::string(kSmallSettings) +
          "NumberOfRocks=3\n[tan]\nSteps=40\nNumberOfRocks=0.5\nFunctionNumber=7\n[lissajous]\nLissaDelta=0\n");
  bool stoppedBeforeTheSwitch = false;
  atStep(3, [&] {
    choose(w, 1);
    stoppedBeforeTheSwitch = engine().stopRequested();
  });
  form_->commands().draw->trigger();
  EXPECT_EQ(steps_, 3);  // the loop ended at its next check
  EXPECT_TRUE(stoppedBeforeTheSwitch);
  EXPECT_EQ(engine().currentStyle(), "tan");
  EXPECT_EQ(settings().FunctionNumber, 1);  // the choice, not the section's 7
  EXPECT_EQ(w->editNumberOfRocks->text(), "0.5");
  typeInto(w->editNumberOfRocks, "4.25");
  choose(w, 0);
  EXPECT_EQ(w->editNumberOfRocks->text(), "3");
  EXPECT_EQ(storedValue("tan", "NumberOfRocks"), "4.25");  // leaving tan stored what was typed

  // LissaDelta takes 0 only with Ellipses; Lissajous divides by it.
  typeInto(w->editLissaDelta, "0");
  EXPECT_EQ(settings().LissaDelta, 1);
  choose(w, 5);
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  choose(w, 4);
  typeInto(w->editLissaDelta, "0");
  choose(w, 0);
  EXPECT_EQ(w->editLissaDelta->text(), "1");
  choose(w, 4);  // back to Ellipses: its 0 is kept
  EXPECT_EQ(settings().LissaDelta, 0);
}

TEST_F(OptionWindowTest, FunctionBoxesStoreTheirSettingsOldInkingGreysOutRedrawUsesThem) {
  auto* w = openWindow<TformZorvaFunction>(Window::Function);
  Settings& s = settings();
  clickBox(w->cb246splodge);  // the old inking has no intensity and centre
  EXPECT_FALSE(w->editFuzzyStart->isEnabled() || w->editSplodgeEndCenter->isEnabled());
  s.BoolInk246 = false;  // as a settings file may have it
  form_->settingsLoaded();
  EXPECT_TRUE(w->editFuzzyStart->isEnabled() && w->editSplodgeEndCenter->isEnabled());

  form_->commands().draw->trigger();
  const std::vector<std::uint8_t> plain = engine().picture().bgr;
  const std::pair<QCheckBox*, bool*> boxes[] = {{w->cb246splodge, &s.BoolInk246},
                                                {w->cb31, &s.Use31},
                                                {w->cbEllipsesTwo, &s.EllipsesTwo},
                                                {w->cbRockOffsetInAnimation, &s.RockOffsetInAnimation},
                                                {w->cbGrainAdjuster, &s.AdjustGrain},
                                                {w->cbDimmer, &s.UseDimmer},
                                                {w->cbGrainByDepth, &s.GrainByDepth},
                                                {w->cbUseIotaExtra, &s.UseIotaExtra},
                                                {w->cbInterpolateColors, &s.InterpolateColors}};
  for (auto [box, setting] : boxes) {
    clickBox(box);
    EXPECT_TRUE(*setting) << box->text().toStdString();
  }
  EXPECT_EQ(engine().picture().bgr, plain);  // nothing until Redraw
  click(w->Button2);
  EXPECT_NE(engine().picture().bgr, plain);
  clickBox(w->cbUseArctan2);
  EXPECT_TRUE(engine().toggles().useArctan2);
  form_->close();  // a switch of the session, never stored
  EXPECT_FALSE(storedValue("sine", "UseArctan2").has_value() || storedValue("start", "UseArctan2").has_value());
}

QColor swatch(QLabel* s) { return s->palette().color(QPalette::Window); }

TEST_F(OptionWindowTest, ColorsBarsModesAmountsAndSet) {
  auto* w =
      openWindow<TformZorvaColors>(Window::Colors, std::string(kSmallSettings) + "StartMaxRed=10\nStartMaxBlue=30\n");
  w->tbStartGreen->setFocus();
  QTest::keyClick(w->tbStartGreen, Qt::Key_End);
  w->tbEndRed->setValue(40);
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 255, 30));
  EXPECT_EQ(swatch(w->swatchEnd), QColor(40, 0, 255));
  typeInto(w->editStartAmount, "1.5");
  EXPECT_EQ(settings().StartAmount, 150);

  clickBox(w->rbBestGuess);
  EXPECT_TRUE(!settings().White && settings().BestGuess);
  clickBox(w->rbAdd);
  EXPECT_FALSE(settings().White || settings().BestGuess);
  settings().White = settings().BestGuess = true;  // Init shows the record as it is; Best Guess wins
  w->Init();
  EXPECT_TRUE(w->rbBestGuess->isChecked() && settings().White);

  // Set fills the picture with the background at once, and only Set does.
  form_->commands().draw->trigger();
  for (QSlider* bar : {w->tbBgRed, w->tbBgGreen, w->tbBgBlue}) bar->setValue(0);
  ASSERT_FALSE(allBytesAre(engine().picture(), 0));
  click(w->buttonSet);
  EXPECT_TRUE(allBytesAre(engine().picture(), 0));
}

// The upper half red, the lower half blue, in the format the name's
// extension says (written by Qt, read by the engine's own readers).
void writeBands(const QString& file, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QPainter(&image).fillRect(0, 0, width, height / 2, Qt::red);
  ASSERT_TRUE(image.save(file)) << file.toStdString();
}

// The preview shows the image whole and upright.
void expectBands(const ImagePreview* preview, double aspect) {
  ASSERT_TRUE(preview->hasImage());
  const QImage shown = preview->pixmap().toImage();
  EXPECT_NEAR(static_cast<double>(shown.width()) / shown.height(), aspect, 0.05);
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(shown.width() - 1, shown.height() - 1), QColor(Qt::blue));
}

TEST_F(OptionWindowTest, ImagesAndTheCanvasLoadIntoBothWindowsAndAMissingOneChangesNothing) {
  start();
  activate();
  auto* source = window<TformZorvaSourceImage>(Window::SourceImage);
  auto* background = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  // The canvas becomes the background from Ctrl+B and from the button.
  QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
  ASSERT_TRUE(background->imagePreview->hasImage());
  const QImage white = background->imagePreview->pixmap().toImage();
  form_->commands().draw->trigger();
  form_->commands().backgroundImage->trigger();
  click(background->buttonUseCanvas);
  EXPECT_NE(background->imagePreview->pixmap().toImage(), white);  // the drawing now

  QDir(dir_.path()).mkdir("images");
  writeBands(path("images/bands.png"), 30, 10);
  ASSERT_TRUE(source->loadSourceImage(path("images/bands.png")));
  EXPECT_EQ(settings().LoadSourceImageDir, pathString("images") + "/");
  EXPECT_TRUE(source->cbUseSourceImage->isChecked());
  source->tbEndOffsetPerStep->setValue(25);  // a bar in hundredths
  EXPECT_EQ(settings().SourceImageEndOffsetPerStep, 0.25);
  expectBands(source->imagePreview, 3.0);
  writeBands(path("tall.bmp"), 10, 20);
  ASSERT_TRUE(background->loadBackgroundImage(path("tall.bmp")));
  expectBands(background->imagePreview, 0.5);
  EXPECT_EQ(engine().W(), 60);  // the background is not in use: nothing applied

  background->cbUseBackgroundImage->setChecked(true);  // a load would apply at once
  background->cbResizeCanvas->setChecked(true);
  EXPECT_FALSE(source->loadSourceImage(path("elsewhere/missing.png")));
  EXPECT_FALSE(background->loadBackgroundImage(path("elsewhere/missing.png")));
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(settings().LoadSourceImageDir, pathString("images") + "/");
  EXPECT_EQ(engine().W(), 60);
  writeBands(path("small.png"), 40, 30);  // in use, it applies at once
  ASSERT_TRUE(background->loadBackgroundImage(path("small.png")));
  EXPECT_EQ(engine().H(), 30);
}

// ---- value fields ----------------------------------------------------------------

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
  typeInto(v_->editPercentToComplete, "150");  // integers clamp at once
  EXPECT_EQ(v_->editPercentToComplete->text(), "100");
  EXPECT_EQ(settings().PercentToComplete, 100);
  typeInto(v_->editStartIota, "7");
  typeInto(v_->editStartIota, "-");  // a lone minus waits for its digits
  EXPECT_EQ(settings().StartIota, 7);
  QTest::keyClicks(v_->editStartIota, "5");
  EXPECT_EQ(settings().StartIota, -5);
  v_->editStartScale->setText("-3");  // non-negative kinds store 0
  EXPECT_EQ(settings().StartScale, 0);
  typeInto(v_->editStartRadius, "0.005");  // hundredths are floored
  EXPECT_EQ(settings().StartRadius, 0);
  EXPECT_TRUE(messages_.empty());

  // No number: a message while the field is yellow, then the value as it was.
  ValueField* grain = v_->editGrainStart;
  QColor duringMessage;
  onMessage_ = [&] { duringMessage = grain->palette().color(QPalette::Base); };
  typeInto(grain, "abc");  // each letter is refused in turn
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(duringMessage, QColor(Qt::yellow));
  EXPECT_NE(grain->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(grain->text(), "30");
  EXPECT_EQ(settings().StartGrain, 30.0);
  // A hundredfold value beyond 32 bits cannot be stored.
  v_->editStartRadius->setText("1E9");
  ASSERT_EQ(messages_.size(), 4u);
  EXPECT_EQ(messages_[3].kind, MessageKind::Error);
  EXPECT_EQ(settings().StartRadius, 0);
}

TEST_F(ValueFieldTest, DraggingOutsideTheBandStepsEachKindWithinItsLimitsAndSnapsBack) {
  useMouse(true, true);
  ValueField* steps = v_->editSteps;
  dragField(steps, {-40, -41, -42, -5, 25});  // the last two are inside the band
  EXPECT_EQ(settings().Steps, 43);
  releaseAt(steps, {5, 25}, Qt::LeftButton);
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
  dragField(steps, {-40});
  typeInto(steps, "77");
  releaseAt(steps, {5, -40}, Qt::LeftButton);
  EXPECT_EQ(settings().Steps, 77);

  // Each kind drags by its step within its limits.
  useMouse(true, false);
  typeInto(steps, "50000");  // the drag limit lies inside the typing limit
  dragField(steps, {-40});
  EXPECT_EQ(settings().Steps, 25000);
  dragField(v_->editStartRadius, {-40, -41});  // hundredths: 0.02 a move
  EXPECT_EQ(v_->editStartRadius->text(), "1.04");
  typeInto(v_->editEndScale, "0.02");
  dragField(v_->editEndScale, {40, 41, 42});
  EXPECT_EQ(settings().EndScale, 0);
  typeInto(v_->editGrainEnd, "0.05");  // non-negative reals: 0.1 a move
  dragField(v_->editGrainEnd, {40, 41, -40});
  EXPECT_EQ(v_->editGrainEnd->text(), "0.1");
  double value = 1.5;  // reals: 0.2 a move
  ValueField field(form_->fieldOps(), ValueKind::Real, &value);
  field.resize(60, 22);
  field.showValue();
  dragField(&field, {-40, 40, 41});
  EXPECT_DOUBLE_EQ(value, 1.3);
  // Plane fields take any number and do not drag.
  form_->commands().valuesPlane->trigger();
  ValueField* plane = window<TformZorvaValuesPlane>(Window::ValuesPlane)->editPlaneStartTranslationX;
  typeInto(plane, "-1.25");
  dragField(plane, {-40});
  EXPECT_EQ(settings().PlaneStartTranslationX, -1.25);
}

// ---- the Animation window --------------------------------------------------------

class AnimationWindowTest : public UiTest {
 protected:
  TformZorvaAnimation* open() {
    start();
    form_->commands().animation->trigger();
    return window<TformZorvaAnimation>(Window::Animation);
  }
  // The pictures saved in the program's folder.
  std::size_t pictures() const {
    const auto files = std::filesystem::directory_iterator(dir_.path().toStdString());
    return static_cast<std::size_t>(
        std::count_if(begin(files), end(files), [](const auto& entry) { return entry.path().extension() == ".png"; }));
  }
};

TEST_F(AnimationWindowTest, MakeFramesDrawsAndSavesEveryFrameWithTheControlsOff) {
  auto* w = open();
  w->tbFrames->setValue(3);
  EXPECT_EQ(settings().NumberOfFrames, 3);
  EXPECT_EQ(w->tbStartFrame->maximum(), 3);
  typeInto(w->waves[static_cast<std::size_t>(Wave::Radius)].start.change, "0.5");
  EXPECT_EQ(settings().wave(Wave::Radius).ChangeStart, 0.5);

  // At the middle step of each frame: its number shown, every control off.
  std::vector<int> progress;
  form_->host().processEventsHook = [&] {
    if (++steps_ % 41 != 20) return;
    progress.push_back(w->pbFrames->value());
    EXPECT_FALSE(form_->commands().draw->isEnabled() || form_->commands().stop->isEnabled() ||
                 w->btnMakeFrames->isEnabled() || w->tbFrames->isEnabled());
  };
  click(w->btnMakeFrames);
  EXPECT_EQ(steps_, 3 * 41);  // three frames of steps 0 .. 40
  EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(pictures(), 3u);
  EXPECT_TRUE(form_->commands().draw->isEnabled() && w->btnMakeFrames->isEnabled() && w->tbFrames->isEnabled());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AnimationWindowTest, StartFrameAndStopBox) {
  auto* w = open();
  w->tbFrames->setValue(4);
  w->tbStartFrame->setValue(2);
  // Stop checked while frame 3 draws: it finishes, frame 4 passes.
  form_->host().processEventsHook = [&] {
    if (w->pbFrames->value() == 3) w->cbStop->setChecked(true);
    form_->commands().draw->trigger();  // disabled: triggering it changes nothing
  };
  click(w->btnMakeFrames);
  EXPECT_EQ(pictures(), 2u);
  EXPECT_FALSE(engine().stopRequested());
  w->tbFrames->setValue(1);  // lowers the start frame with it
  EXPECT_EQ(w->tbStartFrame->value(), 1);
}

TEST_F(AnimationWindowTest, RadioClicksStoreEveryFormAndFieldsRefuseText) {
  auto* w = open();
  auto& angle = w->waves[static_cast<std::size_t>(Wave::Angle)];
  clickBox(angle.end.forms[2]);
  const auto& wave = settings().wave(Wave::Angle);
  EXPECT_TRUE(!wave.EndSine && !wave.EndLinear && wave.EndLinearReturn);
  EXPECT_TRUE(wave.StartSine);  // the other side keeps its form
  clickBox(w->rockAmount.forms[1]);
  EXPECT_TRUE(settings().AnimationRockAmountLinear && !settings().AnimationRockAmountSine);

  AnimationField* repeat = angle.start.repeat;
  typeInto(repeat, "2.5");
  typeInto(repeat, "-");  // half-typed: ignored
  EXPECT_EQ(wave.RepeatStart, 2.5);
  EXPECT_TRUE(messages_.empty());
  repeat->selectAll();
  QTest::keyClicks(repeat, "-x");
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(repeat->text(), "2.5");

  w->tbOffset->setValue(7);
  EXPECT_EQ(settings().AnimationOffset, 7);
}

// Each frame reads the rotation points from the Points window's fields as
// they stand: one that holds no number ends the series with a message naming it.
TEST_F(AnimationWindowTest, RotationPointsComeFromThePointsWindow) {
  auto* w = open();
  w->tbFrames->setValue(2);
  form_->showOptionWindow(Window::Points, "");
  QLineEdit* rotateY = window<TformZorvaPoints>(Window::Points)->editRotateYStart;
  rotateY->blockSignals(true);  // as if typed and not yet taken
  rotateY->setText("0,5x");
  rotateY->blockSignals(false);
  click(w->btnMakeFrames);
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(messages_.back().text.find("\"0,5x\""), std::string::npos) << messages_.back().text;
  EXPECT_EQ(pictures(), 0u);
  EXPECT_FALSE(engine().isAnimating());
}

}  // namespace
}  // namespace zorva::test
