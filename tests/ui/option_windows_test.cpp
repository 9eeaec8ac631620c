// The option-window pattern and the Values - Plane, Image dimensions and
// Opacity windows.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include "ui/background_image_window.h"
#include "ui/colors_window.h"
#include "ui/function_window.h"
#include "ui/image_dimensions_window.h"
#include "ui/opacity_window.h"
#include "ui/source_image_window.h"
#include "ui/values_plane_window.h"
#include "ui/values_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

using OptionWindowTest = UiTest;

TEST_F(OptionWindowTest, FoldButtonFoldsToFiftyAndUnfoldsToEachWindowsHeight) {
  start();
  auto* values = window<OptionWindow>(Window::Values);
  EXPECT_EQ(values->height(), 431);
  values->Button1Click();
  EXPECT_EQ(values->height(), 50);
  QTest::mouseClick(values->foldButton(), Qt::LeftButton);
  EXPECT_EQ(values->height(), 431);

  // Values - Plane starts one pixel taller than it unfolds.
  auto* plane = window<OptionWindow>(Window::ValuesPlane);
  EXPECT_EQ(plane->height(), 292);
  plane->Button1Click();
  EXPECT_EQ(plane->height(), 50);
  plane->Button1Click();
  EXPECT_EQ(plane->height(), 291);

  for (auto [id, unfolded] :
       {std::pair{Window::Dimensions, 150}, std::pair{Window::Opacity, 110}, std::pair{Window::Function, 475},
        std::pair{Window::Colors, 443}, std::pair{Window::SourceImage, 460}, std::pair{Window::BackgroundImage, 357}}) {
    auto* w = window<OptionWindow>(id);
    SCOPED_TRACE(w->windowTitle().toStdString());
    EXPECT_EQ(w->height(), unfolded);
    w->Button1Click();
    EXPECT_EQ(w->height(), 50);
    w->Button1Click();
    EXPECT_EQ(w->height(), unfolded);
  }
  // Folding changes the height only.
  EXPECT_EQ(values->width(), values->minimumWidth());
  EXPECT_EQ(values->width(), values->maximumWidth());
}

TEST_F(OptionWindowTest, WindowsStayAboveTheMainWindow) {
  start();
  for (Window w : {Window::Values, Window::ValuesPlane, Window::Dimensions, Window::Opacity, Window::Function,
                   Window::Colors, Window::SourceImage, Window::BackgroundImage}) {
    OptionWindow* window = form_->optionWindow(w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->id(), w);
    EXPECT_EQ(window->parentWidget(), form_.get());
    EXPECT_EQ(window->windowType(), Qt::Tool);
  }
}

TEST_F(OptionWindowTest, ShowingFromTheMenuSetsTheKeyAndTheStatus) {
  start();
  const auto& c = form_->commands();
  struct Case {
    QAction* action;
    Window window;
    const char* caption;
    const char* status;
  };
  for (const Case& k :
       {Case{c.values, Window::Values, "Values", "Showing Values form"},
        Case{c.valuesPlane, Window::ValuesPlane, "Values - Plane", "Showing Values - Plane form"},
        Case{c.imageDimensions, Window::Dimensions, "Image dimensions", "Showing the image dimension form"},
        Case{c.setOpacity, Window::Opacity, "Opacity", "Showing the image opacity form"},
        Case{c.function, Window::Function, "Function", "Showing Function form"},
        Case{c.color, Window::Colors, "Colors", "Showing Colors form"},
        Case{c.sourceImage, Window::SourceImage, "Source image", "Showing Source Image form"},
        Case{c.backgroundImage, Window::BackgroundImage, "Background Image", "Showing Background Image form"}}) {
    SCOPED_TRACE(k.caption);
    OptionWindow* w = form_->optionWindow(k.window);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(k.action->isEnabled());
    k.action->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), k.caption);
    EXPECT_TRUE(settings().window(k.window).Visible);
    EXPECT_EQ(form_->statusText(), k.status);
  }
}

TEST_F(OptionWindowTest, WindowsThatDoNotExistYetAreGreyedOut) {
  start();
  const auto& c = form_->commands();
  for (QAction* a : {c.points, c.path, c.animation, c.branching})
    EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
  for (Window w : {Window::Points, Window::Path, Window::Animation, Window::Branches, Window::Atc})
    EXPECT_EQ(form_->optionWindow(w), nullptr);
}

TEST_F(OptionWindowTest, ClosingHidesAndClearsTheKeyExceptForValuesPlane) {
  start();
  form_->commands().values->trigger();
  form_->commands().valuesPlane->trigger();
  auto* values = form_->optionWindow(Window::Values);
  auto* plane = form_->optionWindow(Window::ValuesPlane);
  values->close();
  plane->close();
  EXPECT_FALSE(values->isVisible());
  EXPECT_FALSE(plane->isVisible());
  EXPECT_FALSE(settings().window(Window::Values).Visible);
  EXPECT_TRUE(settings().window(Window::ValuesPlane).Visible);
  // Closed is only hidden: the window shows again with its fields.
  form_->commands().values->trigger();
  EXPECT_TRUE(values->isVisible());
}

TEST_F(OptionWindowTest, HideOptionWindowsTwiceRestoresExactlyTheOpenWindows) {
  start();
  const auto& c = form_->commands();
  c.values->trigger();
  c.setOpacity->trigger();
  c.imageDimensions->trigger();
  form_->optionWindow(Window::Dimensions)->close();

  c.hideOptionWindows->trigger();
  EXPECT_TRUE(c.hideOptionWindows->isChecked());
  for (Window w : {Window::Values, Window::ValuesPlane, Window::Dimensions, Window::Opacity})
    EXPECT_FALSE(form_->optionWindow(w)->isVisible());
  // The keys keep what the user had open.
  EXPECT_TRUE(settings().window(Window::Values).Visible);
  EXPECT_TRUE(settings().window(Window::Opacity).Visible);
  EXPECT_FALSE(settings().window(Window::Dimensions).Visible);

  c.hideOptionWindows->trigger();
  EXPECT_FALSE(c.hideOptionWindows->isChecked());
  EXPECT_TRUE(form_->optionWindow(Window::Values)->isVisible());
  EXPECT_TRUE(form_->optionWindow(Window::Opacity)->isVisible());
  EXPECT_FALSE(form_->optionWindow(Window::Dimensions)->isVisible());
  EXPECT_FALSE(form_->optionWindow(Window::ValuesPlane)->isVisible());
}

TEST_F(OptionWindowTest, PlacementIsClampedOnStartAndWrittenOnExit) {
  start(std::string(kSmallSettings) +
        "[forms]\nValuesLeft=5000\nValuesTop=-20\nValuesHeight=50\nValuesVisible=1\n"
        "OpacityLeft=10\nOpacityTop=5000\n");
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  auto* values = form_->optionWindow(Window::Values);
  EXPECT_TRUE(values->isVisible());
  EXPECT_EQ(values->pos(), QPoint(screen.width() - 50, 0));
  EXPECT_EQ(values->height(), 50);
  EXPECT_EQ(form_->optionWindow(Window::Opacity)->pos(), QPoint(10, screen.height() - 50));
  EXPECT_FALSE(form_->optionWindow(Window::Opacity)->isVisible());

  // The file gets where the windows really are.
  values->move(120, 80);
  values->Button1Click();
  form_->commands().setOpacity->trigger();
  form_->optionWindow(Window::Opacity)->move(30, 40);
  form_->close();
  EXPECT_EQ(storedValue("forms", "ValuesLeft"), "120");
  EXPECT_EQ(storedValue("forms", "ValuesTop"), "80");
  EXPECT_EQ(storedValue("forms", "ValuesHeight"), "431");
  EXPECT_EQ(storedValue("forms", "ValuesVisible"), "1");
  EXPECT_EQ(storedValue("forms", "OpacityLeft"), "30");
  EXPECT_EQ(storedValue("forms", "OpacityTop"), "40");
  EXPECT_EQ(storedValue("forms", "OpacityVisible"), "1");
  EXPECT_EQ(storedValue("forms", "DimensionsVisible"), "0");
  EXPECT_EQ(storedValue("forms", "ValuesPlaneHeight"), "292");
}

TEST_F(OptionWindowTest, FunctionKeysShowFunctionColorSourceAndBackgroundWindows) {
  start();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  struct Case {
    Qt::Key key;
    Window window;
    const char* status;
  };
  for (const Case& k : {Case{Qt::Key_F1, Window::Function, "Showing Function form"},
                        Case{Qt::Key_F3, Window::Colors, "Showing Colors form"},
                        Case{Qt::Key_F6, Window::SourceImage, "Showing Source Image form"},
                        Case{Qt::Key_F8, Window::BackgroundImage, "Showing Background Image form"}}) {
    SCOPED_TRACE(k.status);
    OptionWindow* w = form_->optionWindow(k.window);
    ASSERT_FALSE(w->isVisible());
    QTest::keyClick(form_.get(), k.key);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(settings().window(k.window).Visible);
    EXPECT_EQ(form_->statusText(), k.status);
    // Closing only hides and clears the key.
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(settings().window(k.window).Visible);
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
}

TEST_F(OptionWindowTest, NewWindowsArePlacedFromTheirKeysAndWrittenBack) {
  start(std::string(kSmallSettings) +
        "[forms]\nFunctionLeft=100\nFunctionTop=120\nFunctionVisible=1\nColorsHeight=50\n"
        "SourceImageLeft=300\nSourceImageTop=20\nBackgroundImageVisible=1\n");
  auto* function = form_->optionWindow(Window::Function);
  EXPECT_TRUE(function->isVisible());
  EXPECT_EQ(function->pos(), QPoint(100, 120));
  EXPECT_EQ(function->height(), 475);
  auto* colors = form_->optionWindow(Window::Colors);
  EXPECT_FALSE(colors->isVisible());
  EXPECT_EQ(colors->height(), 50);
  EXPECT_EQ(colors->pos(), QPoint(5, 490));  // the default place
  EXPECT_EQ(form_->optionWindow(Window::SourceImage)->pos(), QPoint(300, 20));
  EXPECT_TRUE(form_->optionWindow(Window::BackgroundImage)->isVisible());

  colors->Button1Click();
  form_->optionWindow(Window::BackgroundImage)->close();
  form_->commands().sourceImage->trigger();
  form_->optionWindow(Window::SourceImage)->move(310, 30);
  form_->close();
  EXPECT_EQ(storedValue("forms", "FunctionLeft"), "100");
  EXPECT_EQ(storedValue("forms", "FunctionVisible"), "1");
  EXPECT_EQ(storedValue("forms", "ColorsHeight"), "443");
  EXPECT_EQ(storedValue("forms", "ColorsVisible"), "0");
  EXPECT_EQ(storedValue("forms", "SourceImageLeft"), "310");
  EXPECT_EQ(storedValue("forms", "SourceImageTop"), "30");
  EXPECT_EQ(storedValue("forms", "SourceImageVisible"), "1");
  EXPECT_EQ(storedValue("forms", "BackgroundImageVisible"), "0");
}

TEST_F(OptionWindowTest, ImageDimensionsApplyResizesThePictureAndCloses) {
  start();
  form_->commands().imageDimensions->trigger();
  auto* dims = window<TformZorvaImageDimensions>(Window::Dimensions);
  EXPECT_EQ(dims->editImageDimensionsWidth->text(), "60");
  EXPECT_EQ(dims->editImageDimensionsHeight->text(), "60");

  typeInto(dims->editImageDimensionsWidth, "80");
  typeInto(dims->editImageDimensionsHeight, "9999");
  EXPECT_EQ(dims->editImageDimensionsHeight->text(), "6000");
  typeInto(dims->editImageDimensionsHeight, "45");
  // Pending only: the record changes on Apply.
  EXPECT_EQ(dims->pendingWidth(), 80);
  EXPECT_EQ(settings().ImageWidth, 60);

  QTest::mouseClick(dims->buttonApply, Qt::LeftButton);
  EXPECT_EQ(settings().ImageWidth, 80);
  EXPECT_EQ(settings().ImageHeight, 45);
  EXPECT_EQ(engine().W(), 80);
  EXPECT_EQ(engine().H(), 45);
  EXPECT_EQ(engine().picture().width, 80);
  EXPECT_FALSE(dims->isVisible());
  EXPECT_FALSE(settings().window(Window::Dimensions).Visible);
  EXPECT_EQ(form_->statusText(), "Cleared");
  EXPECT_EQ(storedValue("start", "ImageWidth"), "80");
}

TEST_F(OptionWindowTest, ImageDimensionsResetShowsThePictureInUse) {
  start();
  auto* dims = window<TformZorvaImageDimensions>(Window::Dimensions);
  typeInto(dims->editImageDimensionsWidth, "123");
  typeInto(dims->editImageDimensionsHeight, "321");
  settings().ImageWidth = 500;  // not yet applied to the picture
  QTest::mouseClick(dims->buttonReset, Qt::LeftButton);
  EXPECT_EQ(dims->editImageDimensionsWidth->text(), "60");
  EXPECT_EQ(dims->editImageDimensionsHeight->text(), "60");
  EXPECT_EQ(dims->pendingWidth(), 60);
  EXPECT_EQ(dims->pendingHeight(), 60);
}

TEST_F(OptionWindowTest, OpacitySliderStartsAtFiftyWhateverTheSetting) {
  start(std::string(kSmallSettings) + "Opacity=27\n");
  ASSERT_EQ(settings().Opacity, 27);
  auto* opacity = window<TformZorvaOpacity>(Window::Opacity);
  EXPECT_EQ(opacity->tbOpacity->value(), 50);
  EXPECT_EQ(opacity->tbOpacity->minimum(), 1);
  EXPECT_EQ(opacity->tbOpacity->maximum(), 100);
  EXPECT_EQ(opacity->labelOpacity->text(), "50%");
  // A settings load leaves it alone too.
  form_->settingsLoaded();
  EXPECT_EQ(opacity->tbOpacity->value(), 50);
  EXPECT_EQ(settings().Opacity, 27);

  form_->commands().setOpacity->trigger();
  opacity->tbOpacity->setValue(80);
  EXPECT_EQ(settings().Opacity, 80);
  EXPECT_EQ(opacity->labelOpacity->text(), "80%");
  QTest::mouseClick(opacity->buttonOK, Qt::LeftButton);
  EXPECT_FALSE(opacity->isVisible());
  EXPECT_FALSE(settings().window(Window::Opacity).Visible);
}

}  // namespace
}  // namespace zorva::test
