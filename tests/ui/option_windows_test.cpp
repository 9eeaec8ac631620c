// The option-window pattern (show, fold, close, hide, placement) and the
// Image dimensions and Opacity windows.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include "ui/image_dimensions_window.h"
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
                                                 {c.backgroundImage, Window::BackgroundImage}};
  for (const auto& [action, window] : windows) {
    SCOPED_TRACE(static_cast<int>(window));
    OptionWindow* w = form_->optionWindow(window);
    action->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(settings().window(window).Visible);
    click(w->foldButton());
    EXPECT_EQ(w->height(), 50);
    click(w->foldButton());
    const int unfolded = w->height();
    EXPECT_GT(unfolded, 50);
    click(w->foldButton());
    click(w->foldButton());
    EXPECT_EQ(w->height(), unfolded);
    // Closing only hides; Values - Plane keeps its key.
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(settings().window(window).Visible, window == Window::ValuesPlane);
  }
}

TEST_F(OptionWindowTest, HideOptionWindowsTwiceRestoresExactlyTheOpenWindows) {
  start();
  const auto& c = form_->commands();
  c.values->trigger();
  c.setOpacity->trigger();
  c.imageDimensions->trigger();
  form_->optionWindow(Window::Dimensions)->close();

  auto shown = [&] {
    std::vector<Window> open;
    for (Window w : {Window::Values, Window::ValuesPlane, Window::Dimensions, Window::Opacity, Window::Function})
      if (form_->optionWindow(w)->isVisible()) open.push_back(w);
    return open;
  };
  c.hideOptionWindows->trigger();
  EXPECT_TRUE(c.hideOptionWindows->isChecked());
  EXPECT_TRUE(shown().empty());
  c.hideOptionWindows->trigger();
  EXPECT_FALSE(c.hideOptionWindows->isChecked());
  EXPECT_EQ(shown(), (std::vector<Window>{Window::Values, Window::Opacity}));
}

TEST_F(OptionWindowTest, PlacementIsClampedOnStartAndWrittenOnExit) {
  start(std::string(kSmallSettings) +
        "[forms]\nValuesLeft=5000\nValuesTop=-20\nValuesHeight=50\nValuesVisible=1\nOpacityLeft=10\n"
        "OpacityTop=5000\nFunctionLeft=100\nFunctionTop=120\nFunctionVisible=1\n");
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  OptionWindow* values = form_->optionWindow(Window::Values);
  OptionWindow* opacity = form_->optionWindow(Window::Opacity);
  OptionWindow* function = form_->optionWindow(Window::Function);
  EXPECT_TRUE(values->isVisible());
  EXPECT_EQ(values->pos(), QPoint(screen.width() - 50, 0));
  EXPECT_EQ(values->height(), 50);
  EXPECT_FALSE(opacity->isVisible());
  EXPECT_EQ(opacity->pos(), QPoint(10, screen.height() - 50));
  EXPECT_TRUE(function->isVisible());
  EXPECT_EQ(function->pos(), QPoint(100, 120));

  // The file gets where the windows really are.
  values->move(120, 80);
  values->Button1Click();
  form_->commands().setOpacity->trigger();
  opacity->move(30, 40);
  function->close();
  form_->close();
  const std::pair<const char*, const char*> stored[] = {
      {"ValuesLeft", "120"},    {"ValuesTop", "80"},        {"ValuesHeight", "431"},     {"ValuesVisible", "1"},
      {"OpacityLeft", "30"},    {"OpacityTop", "40"},       {"OpacityVisible", "1"},     {"FunctionLeft", "100"},
      {"FunctionVisible", "0"}, {"DimensionsVisible", "0"}, {"ValuesPlaneHeight", "292"}};
  for (auto [key, value] : stored) EXPECT_EQ(storedValue("forms", key), value) << key;
}

TEST_F(OptionWindowTest, ImageDimensionsApplyResizesThePictureAndCloses) {
  auto* dims = openWindow<TformZorvaImageDimensions>(Window::Dimensions);
  EXPECT_EQ(dims->editImageDimensionsWidth->text(), "60");
  typeInto(dims->editImageDimensionsWidth, "80");
  typeInto(dims->editImageDimensionsHeight, "45");
  EXPECT_EQ(settings().ImageWidth, 60);  // pending until Apply
  click(dims->buttonApply);
  EXPECT_EQ(engine().picture().width, 80);
  EXPECT_EQ(engine().picture().height, 45);
  EXPECT_FALSE(dims->isVisible());
}

TEST_F(OptionWindowTest, OpacitySliderStartsAtFiftyWhateverTheSetting) {
  start(std::string(kSmallSettings) + "Opacity=27\n");
  auto* opacity = window<TformZorvaOpacity>(Window::Opacity);
  form_->settingsLoaded();  // neither the start nor a load moves it
  EXPECT_EQ(opacity->tbOpacity->value(), 50);
  EXPECT_EQ(settings().Opacity, 27);
  form_->commands().setOpacity->trigger();
  opacity->tbOpacity->setValue(80);
  EXPECT_EQ(settings().Opacity, 80);
  EXPECT_EQ(opacity->labelOpacity->text(), "80%");
  click(opacity->buttonOK);
  EXPECT_FALSE(opacity->isVisible());
}

}  // namespace
}  // namespace zorva::test
