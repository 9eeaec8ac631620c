// The option windows: the pattern they share (show, fold, close, hide,
// placement), and the Image dimensions, Opacity, Function, Colors, Source
// image and Background Image windows.
#include <QPainter>
#include <set>

#include "ui/image_preview.h"
#include "ui/opacity_window.h"
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
  auto shown = [&] {
    std::vector<Window> open;
    for (const auto& [action, window] : windows)
      if (form_->optionWindow(window)->isVisible()) open.push_back(window);
    return open;
  };
  // Hide option windows, twice, shows again exactly the windows it hid.
  c.values->trigger();
  c.setOpacity->trigger();
  c.hideOptionWindows->trigger();
  EXPECT_TRUE(shown().empty());
  c.hideOptionWindows->trigger();
  EXPECT_EQ(shown(), (std::vector<Window>{Window::Values, Window::Opacity}));

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

TEST_F(OptionWindowTest, ImageDimensionsApplyAndOpacityOK) {
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
  form_->commands().setOpacity->trigger();
  opacity->tbOpacity->setValue(80);
  EXPECT_EQ(settings().Opacity, 80);
  click(opacity->buttonOK);
  EXPECT_FALSE(opacity->isVisible());
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
  auto disabled = [&] {
    std::set<QWidget*> off;
    for (QWidget* c : w->findChildren<QWidget*>())
      if (!c->isEnabled()) off.insert(c);
    return off;
  };
  ASSERT_TRUE(disabled().empty());
  clickBox(w->cb246splodge);  // the old inking has no intensity and centre
  EXPECT_EQ(disabled(), (std::set<QWidget*>{w->editFuzzyStart, w->editFuzzyEnd, w->editSplodgeStartCenter,
                                            w->editSplodgeEndCenter, w->labelIntensity, w->labelCenter}));
  clickBox(w->cb246splodge);
  EXPECT_TRUE(disabled().empty());
  s.BoolInk246 = true;  // as a settings file may have it
  form_->settingsLoaded();
  EXPECT_FALSE(w->editFuzzyEnd->isEnabled());
  s.BoolInk246 = false;
  form_->settingsLoaded();

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
    SCOPED_TRACE(box->text().toStdString());
    EXPECT_FALSE(*setting);
    clickBox(box);
    EXPECT_TRUE(*setting);
  }
  EXPECT_EQ(engine().picture().bgr, plain);  // nothing until Redraw
  click(w->Button2);
  EXPECT_NE(engine().picture().bgr, plain);
  clickBox(w->cbUseArctan2);
  EXPECT_TRUE(engine().toggles().useArctan2);
  form_->close();
  EXPECT_FALSE(storedValue("sine", "UseArctan2").has_value());
  EXPECT_FALSE(storedValue("start", "UseArctan2").has_value());
}

QColor swatch(QLabel* s) { return s->palette().color(QPalette::Window); }

TEST_F(OptionWindowTest, ColorsBarsModesAmountsAndSet) {
  auto* w =
      openWindow<TformZorvaColors>(Window::Colors, std::string(kSmallSettings) + "StartMaxRed=10\nStartMaxBlue=30\n");
  w->tbStartGreen->setFocus();
  QTest::keyClick(w->tbStartGreen, Qt::Key_End);
  EXPECT_EQ(settings().StartMaxGreen, 255);
  EXPECT_EQ(w->trackLabels[1]->text(), "255");
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 255, 30));
  w->tbEndRed->setValue(40);
  EXPECT_EQ(swatch(w->swatchEnd), QColor(40, 0, 255));
  EXPECT_EQ(swatch(w->swatchStart), QColor(10, 255, 30));  // the others stay
  typeInto(w->editStartAmount, "1.5");
  EXPECT_EQ(settings().StartAmount, 150);

  clickBox(w->rbBestGuess);
  EXPECT_TRUE(!settings().White && settings().BestGuess);
  clickBox(w->rbAdd);
  EXPECT_FALSE(settings().White || settings().BestGuess);
  settings().White = settings().BestGuess = true;  // Init shows the record as it is; Best Guess wins
  w->Init();
  EXPECT_TRUE(w->rbBestGuess->isChecked() && settings().White);
  // "063 method?" only goes with the alternative colouring.
  EXPECT_FALSE(w->cbOneOrTwo->isEnabled());
  clickBox(w->cbNewColor);
  EXPECT_TRUE(settings().NewColor && w->cbOneOrTwo->isEnabled());

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
  expectBands(source->imagePreview, 3.0);
  writeBands(path("tall.bmp"), 10, 20);
  ASSERT_TRUE(background->loadBackgroundImage(path("tall.bmp")));
  expectBands(background->imagePreview, 0.5);
  EXPECT_EQ(engine().W(), 60);  // the background is not in use: nothing applied

  background->cbUseBackgroundImage->setChecked(true);  // a load would apply at once
  background->cbResizeCanvas->setChecked(true);
  const QString missing = path("elsewhere/missing.png");
  EXPECT_FALSE(source->loadSourceImage(missing));
  EXPECT_FALSE(background->loadBackgroundImage(missing));
  ASSERT_EQ(messages_.size(), 2u);
  for (const Message& m : messages_) EXPECT_EQ(m.kind, MessageKind::WarningOkCancel);
  EXPECT_EQ(settings().LoadSourceImageDir, pathString("images") + "/");
  expectBands(background->imagePreview, 0.5);
  EXPECT_EQ(engine().W(), 60);
  // A background in use applies at once, and the new size shows.
  writeBands(path("small.png"), 40, 30);
  ASSERT_TRUE(background->loadBackgroundImage(path("small.png")));
  EXPECT_EQ(engine().H(), 30);
  EXPECT_EQ(window<TformZorvaImageDimensions>(Window::Dimensions)->editImageDimensionsWidth->text(), "40");
}

TEST_F(OptionWindowTest, SourceTrackBarsStoreTheirValuesInTheirUnitsAndTheThresholdShowsWhileOpaque) {
  auto* w = openWindow<TformZorvaSourceImage>(Window::SourceImage);
  Settings& s = settings();
  w->tbStartRepeatPerStep->setValue(-20);  // whole numbers
  EXPECT_EQ(s.SourceImageStartThetaColorMultiplier, -20);
  w->tbEndOffsetPerStep->setValue(25);  // hundredths
  EXPECT_EQ(s.SourceImageEndOffsetPerStep, 0.25);
  s.SourceImageStartOffsetOverall = 3.0;  // beyond its bar: cut at the end
  form_->settingsLoaded();
  EXPECT_EQ(s.SourceImageStartOffsetOverall, 2.0);
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
  clickBox(w->cbOpaque);
  EXPECT_TRUE(s.UseOpaquePixels && w->tbOpacityThreshold->isVisibleTo(w));
  s.UseOpaquePixels = false;
  w->Init();
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
}

}  // namespace
}  // namespace zorva::test
