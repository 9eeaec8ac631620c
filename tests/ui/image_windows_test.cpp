// The Source image and Background Image windows: loading PNG, JPEG and BMP
// files made here, previews, track bars, placement and "Apply".
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cstdlib>

#include "render/image_io.h"
#include "ui/background_image_window.h"
#include "ui/image_dimensions_window.h"
#include "ui/image_preview.h"
#include "ui/source_image_window.h"
#include "ui_fixture.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#if __has_include(<stb_image_write.h>)
#include <stb_image_write.h>
#else
#include <stb/stb_image_write.h>
#endif
#pragma GCC diagnostic pop

namespace zorva::test {
namespace {

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0);

// Top-down RGB rows: the upper half one colour, the lower half another.
struct Picture {
  int width, height;
  std::vector<std::uint8_t> rgb;
};

Picture twoBands(int width, int height, QColor top, QColor bottom) {
  Picture p{width, height, {}};
  p.rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const QColor& c = y < height / 2 ? top : bottom;
      p.rgb.insert(p.rgb.end(), {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                 static_cast<std::uint8_t>(c.blue())});
    }
  return p;
}

// By the name's extension: our own PNG writer, stb for JPEG and BMP.
void writeImage(const std::string& file, const Picture& p) {
  bool ok = false;
  if (file.ends_with(".png"))
    ok = !writePng(file, p.width, p.height, p.rgb.data(), static_cast<std::size_t>(p.width) * 3, nullptr);
  else if (file.ends_with(".jpg") || file.ends_with(".jpeg"))
    ok = stbi_write_jpg(file.c_str(), p.width, p.height, 3, p.rgb.data(), 95) != 0;
  else if (file.ends_with(".bmp"))
    ok = stbi_write_bmp(file.c_str(), p.width, p.height, 3, p.rgb.data()) != 0;
  ASSERT_TRUE(ok) << file;
}

bool near(const QColor& a, const QColor& b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// The preview shows the image upright, scaled proportionally into its box.
void expectUprightBands(const ImagePreview* preview, QColor top, QColor bottom, double aspect, int tolerance) {
  ASSERT_TRUE(preview->hasImage());
  EXPECT_TRUE(preview->text().isEmpty());
  const QImage shown = preview->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(shown.isNull());
  EXPECT_LE(shown.width(), preview->width());
  EXPECT_LE(shown.height(), preview->height());
  // One side fills the box (within its frame).
  EXPECT_TRUE(shown.width() >= preview->width() - 8 || shown.height() >= preview->height() - 8);
  EXPECT_NEAR(static_cast<double>(shown.width()) / shown.height(), aspect, 0.05);
  EXPECT_TRUE(near(shown.pixelColor(0, 0), top, tolerance)) << shown.pixelColor(0, 0).name().toStdString();
  EXPECT_TRUE(near(shown.pixelColor(shown.width() - 1, shown.height() - 1), bottom, tolerance))
      << shown.pixelColor(shown.width() - 1, shown.height() - 1).name().toStdString();
}

// JPEG is lossy; the others give back the exact bytes.
int toleranceFor(const std::string& ext) { return ext == "png" || ext == "bmp" ? 0 : 60; }

// ---- Source image -------------------------------------------------------------------------

class SourceImageWindowTest : public UiTest {
 protected:
  TformZorvaSourceImage* open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().sourceImage->trigger();
    return window<TformZorvaSourceImage>(Window::SourceImage);
  }
};

TEST_F(SourceImageWindowTest, LoadingPngJpegAndBmpShowsThePreviewAndTheStatus) {
  auto* w = open();
  EXPECT_EQ(w->windowTitle(), "Source image");
  EXPECT_EQ(w->buttonLoad->text(), "Load source image from file");
  EXPECT_EQ(w->imagePreview->text(), "No image set");
  EXPECT_FALSE(w->imagePreview->hasImage());
  QDir(dir_.path()).mkdir("images");
  for (std::string ext : {"png", "jpg", "bmp", "jpeg"}) {
    SCOPED_TRACE(ext);
    // Loading checks "Draw with the image?" again.
    if (w->cbUseSourceImage->isChecked()) clickBox(w->cbUseSourceImage);
    ASSERT_FALSE(settings().UseSourceImage);

    const QString file = path(QString::fromStdString("images/bands." + ext));
    writeImage(file.toStdString(), twoBands(8, 4, kRed, kBlue));
    ASSERT_TRUE(w->loadSourceImage(file));
    EXPECT_EQ(form_->statusText(), "Loaded source image " + file);
    EXPECT_EQ(settings().SourceImageFileName, file.toStdString());
    EXPECT_EQ(settings().LoadSourceImageDir, pathString("images") + "/");
    EXPECT_TRUE(settings().UseSourceImage);
    EXPECT_TRUE(w->cbUseSourceImage->isChecked());
    EXPECT_EQ(engine().sourceImage().w, 8);
    EXPECT_EQ(engine().sourceImage().h, 4);
    expectUprightBands(w->imagePreview, kRed, kBlue, 2.0, toleranceFor(ext));
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SourceImageWindowTest, AMissingOrDamagedFileChangesNothing) {
  auto* w = open();
  const QString good = path("good.png");
  writeImage(good.toStdString(), twoBands(6, 6, kGreen, kRed));
  ASSERT_TRUE(w->loadSourceImage(good));
  const std::string folder = settings().LoadSourceImageDir;
  form_->Spammer("before");

  const QString missing = path("missing.png");
  EXPECT_FALSE(w->loadSourceImage(missing));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "file: \n" + missing.toStdString() + "  does not exist");
  EXPECT_EQ(messages_[0].kind, MessageKind::WarningOkCancel);

  writeFile("damaged.png", "not a picture at all");
  EXPECT_FALSE(w->loadSourceImage(path("damaged.png")));
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_NE(messages_[1].text.find("damaged.png"), std::string::npos);

  EXPECT_EQ(form_->statusText(), "before");
  EXPECT_EQ(settings().SourceImageFileName, good.toStdString());
  EXPECT_EQ(settings().LoadSourceImageDir, folder);
  EXPECT_EQ(engine().sourceImage().w, 6);
  expectUprightBands(w->imagePreview, kGreen, kRed, 1.0, 0);
}

TEST_F(SourceImageWindowTest, TrackBarsStoreTheirValuesAndShowThem) {
  auto* w = open();
  const char* captions[] = {"Start repeat per step", "End repeat per step",   "Start repeat overall",
                            "End repeat overall",    "Start offset per step", "End offset per step",
                            "Start offset overall",  "End offset overall",    "Opacity threshold"};
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(w->trackCaptions[i]->text(), captions[i]);
    const int range = i < 4 ? 20 : i < 8 ? 200 : 100;
    EXPECT_EQ(w->trackBars[i]->maximum(), range);
    EXPECT_EQ(w->trackBars[i]->minimum(), i < 8 ? -range : 0);
  }
  // Defaults: repeats 1, offsets 1.0, threshold 0.6.
  EXPECT_EQ(w->tbStartRepeatPerStep->value(), 1);
  EXPECT_EQ(w->tbEndOffsetOverall->value(), 100);
  EXPECT_EQ(w->tbOpacityThreshold->value(), 60);
  EXPECT_EQ(w->trackLabels[8]->text(), "0.6");

  Settings& s = settings();
  w->tbStartRepeatPerStep->setValue(-3);
  EXPECT_EQ(s.SourceImageStartThetaColorMultiplier, -3);
  EXPECT_EQ(w->trackLabels[0]->text(), "-3");
  w->tbEndRepeatPerStep->setValue(4);
  EXPECT_EQ(s.SourceImageEndThetaColorMultiplier, 4);
  w->tbStartRepeatOverall->setValue(5);
  EXPECT_EQ(s.SourceImageStartStepColorMultiplier, 5);
  w->tbEndRepeatOverall->setValue(7);
  EXPECT_EQ(s.SourceImageEndStepColorMultiplier, 7);
  w->tbStartOffsetPerStep->setValue(-150);
  EXPECT_EQ(s.SourceImageStartOffsetPerStep, -1.5);
  EXPECT_EQ(w->trackLabels[4]->text(), "-1.5");
  w->tbEndOffsetPerStep->setValue(25);
  EXPECT_EQ(s.SourceImageEndOffsetPerStep, 0.25);
  w->tbStartOffsetOverall->setValue(0);
  EXPECT_EQ(s.SourceImageStartOffsetOverall, 0);
  EXPECT_EQ(w->trackLabels[6]->text(), "0");
  w->tbEndOffsetOverall->setFocus();
  QTest::keyClick(w->tbEndOffsetOverall, Qt::Key_Home);
  EXPECT_EQ(s.SourceImageEndOffsetOverall, -2);
  EXPECT_EQ(w->trackLabels[7]->text(), "-2");
  w->tbOpacityThreshold->setValue(35);
  EXPECT_EQ(s.SourceImageOpacityThreshold, 0.35);

  // Init: positions in hundredths; beyond the bar the value stops at its end.
  s.SourceImageEndOffsetPerStep = 0.75;
  s.SourceImageStartOffsetOverall = 3.0;
  s.SourceImageStartThetaColorMultiplier = 40;
  s.SourceImageOpacityThreshold = 0.6;
  form_->settingsLoaded();
  EXPECT_EQ(w->tbEndOffsetPerStep->value(), 75);
  EXPECT_EQ(w->trackLabels[5]->text(), "0.75");
  EXPECT_EQ(w->tbStartOffsetOverall->value(), 200);
  EXPECT_EQ(s.SourceImageStartOffsetOverall, 2.0);
  EXPECT_EQ(w->tbStartRepeatPerStep->value(), 20);
  EXPECT_EQ(s.SourceImageStartThetaColorMultiplier, 20);
  EXPECT_EQ(w->trackLabels[8]->text(), "0.6");
  EXPECT_EQ(s.SourceImageOpacityThreshold, 0.6);
}

TEST_F(SourceImageWindowTest, TheThresholdShowsOnlyWhileOpaqueAndSwitchesStore) {
  auto* w = open();
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
  clickBox(w->cbOpaque);
  EXPECT_TRUE(settings().UseOpaquePixels);
  EXPECT_TRUE(w->tbOpacityThreshold->isVisibleTo(w));
  EXPECT_TRUE(w->trackCaptions[8]->isVisibleTo(w));
  clickBox(w->cbOpaque);
  EXPECT_FALSE(settings().UseOpaquePixels);
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
  // The other bars stay.
  EXPECT_TRUE(w->tbEndOffsetOverall->isVisibleTo(w));

  settings().UseOpaquePixels = true;
  w->Init();
  EXPECT_TRUE(w->cbOpaque->isChecked());
  EXPECT_TRUE(w->tbOpacityThreshold->isVisibleTo(w));

  clickBox(w->cbRepeatByIntegers);
  EXPECT_TRUE(settings().SourceImageRepeatByIntegers);
  clickBox(w->cbSaveSourceImage);
  EXPECT_TRUE(settings().SaveSourceImageFile);
  EXPECT_EQ(w->cbSaveSourceImage->text(), "Save copy of source image?");
  EXPECT_EQ(w->cbUseSourceImage->text(), "Draw with the image?");
  EXPECT_EQ(w->cbRepeatByIntegers->text(), "Only use integer repeats?");
}

TEST_F(SourceImageWindowTest, AnOpaqueDrawingTakesTheImagesColours) {
  auto* w = open();
  clickBox(w->cbOpaque);
  writeImage(pathString("green.png"), twoBands(16, 16, kGreen, kGreen));
  ASSERT_TRUE(w->loadSourceImage(path("green.png")));
  form_->commands().draw->trigger();
  const Bitmap24& picture = engine().picture();
  int green = 0, other = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.row(y) + static_cast<std::size_t>(x) * 3;  // blue, green, red
      if (p[0] == 0 && p[1] == 255 && p[2] == 0)
        ++green;
      else if (!(p[0] == 255 && p[1] == 255 && p[2] == 255))
        ++other;
    }
  EXPECT_GT(green, 0);
  EXPECT_EQ(other, 0);
}

// ---- Background Image ---------------------------------------------------------------------

class BackgroundImageWindowTest : public UiTest {
 protected:
  TformZorvaBackgroundImage* open(const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->commands().backgroundImage->trigger();
    return window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  }
  TformZorvaImageDimensions* dimensions() { return window<TformZorvaImageDimensions>(Window::Dimensions); }
};

TEST_F(BackgroundImageWindowTest, LoadingPngJpegAndBmpShowsThePreviewAndTheStatus) {
  auto* w = open();
  EXPECT_EQ(w->windowTitle(), "Background Image");
  EXPECT_EQ(w->foldButton()->objectName(), "Button2");
  EXPECT_EQ(w->imagePreview->text(), "No image set");
  for (std::string ext : {"png", "jpg", "bmp"}) {
    SCOPED_TRACE(ext);
    const QString file = path(QString::fromStdString("wide." + ext));
    writeImage(file.toStdString(), twoBands(30, 10, kBlue, kGreen));
    ASSERT_TRUE(w->loadBackgroundImage(file));
    EXPECT_EQ(form_->statusText(), "Loaded Background image " + file);
    EXPECT_EQ(settings().BackgroundImageFileName, file.toStdString());
    EXPECT_EQ(engine().backgroundImage().w, 30);
    EXPECT_EQ(engine().backgroundImage().h, 10);
    expectUprightBands(w->imagePreview, kBlue, kGreen, 3.0, toleranceFor(ext));
  }
  // Not in use: nothing applied, the picture keeps its size.
  EXPECT_EQ(engine().W(), 60);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(BackgroundImageWindowTest, AMissingFileChangesNothingNotEvenApply) {
  auto* w = open();
  clickBox(w->cbUseBackgroundImage);
  clickBox(w->cbResizeCanvas);
  form_->Spammer("before");
  const QString missing = path("gone.bmp");
  EXPECT_FALSE(w->loadBackgroundImage(missing));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "file: \n" + missing.toStdString() + "  does not exist");
  EXPECT_EQ(messages_[0].kind, MessageKind::WarningOkCancel);
  EXPECT_EQ(form_->statusText(), "before");
  EXPECT_TRUE(settings().BackgroundImageFileName.empty());
  EXPECT_FALSE(engine().backgroundImage().present());
  EXPECT_EQ(w->imagePreview->text(), "No image set");
}

TEST_F(BackgroundImageWindowTest, LoadingWhileInUseAppliesAndShowsTheNewSize) {
  auto* w = open();
  form_->commands().imageDimensions->trigger();
  clickBox(w->cbUseBackgroundImage);
  clickBox(w->cbResizeCanvas);
  EXPECT_TRUE(settings().UseBackgroundImage);
  EXPECT_TRUE(settings().BackgroundImageResizeCanvas);
  writeImage(pathString("small.png"), twoBands(40, 30, kRed, kBlue));
  ASSERT_TRUE(w->loadBackgroundImage(path("small.png")));
  EXPECT_EQ(settings().ImageWidth, 40);
  EXPECT_EQ(settings().ImageHeight, 30);
  EXPECT_EQ(engine().W(), 40);
  EXPECT_EQ(engine().H(), 30);
  EXPECT_EQ(form_->statusText(), "Applied background image settings");
  EXPECT_EQ(dimensions()->editImageDimensionsWidth->text(), "40");
  EXPECT_EQ(dimensions()->editImageDimensionsHeight->text(), "30");
  EXPECT_EQ(dimensions()->pendingWidth(), 40);
  // The reset started from the image: red on top, blue below (bytes blue, green, red).
  const Bitmap24& picture = engine().picture();
  EXPECT_EQ(picture.row(0)[2], 255);
  EXPECT_EQ(picture.row(0)[0], 0);
  EXPECT_EQ(picture.row(29)[0], 255);
  EXPECT_EQ(picture.row(29)[2], 0);
}

TEST_F(BackgroundImageWindowTest, ApplyRefusesACanvasWiderThan6000) {
  auto* w = open();
  clickBox(w->cbResizeCanvas);
  writeImage(pathString("huge.png"), twoBands(7000, 2, kRed, kRed));
  ASSERT_TRUE(w->loadBackgroundImage(path("huge.png")));
  EXPECT_EQ(engine().W(), 60);  // not in use: not applied yet
  QTest::mouseClick(w->buttonApply, Qt::LeftButton);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Sorry, the canvas must be between 1 and 6000 pixels on all sides.");
  EXPECT_EQ(settings().ImageWidth, 60);
  EXPECT_EQ(settings().ImageHeight, 60);
  EXPECT_EQ(engine().W(), 60);
  EXPECT_EQ(form_->statusText(), "Applied background image settings");
  EXPECT_EQ(dimensions()->editImageDimensionsWidth->text(), "60");

  // A size that fits is taken, and the fields show it.
  writeImage(pathString("fits.bmp"), twoBands(50, 20, kRed, kRed));
  ASSERT_TRUE(w->loadBackgroundImage(path("fits.bmp")));
  QTest::mouseClick(w->buttonApply, Qt::LeftButton);
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(engine().W(), 50);
  EXPECT_EQ(engine().H(), 20);
  EXPECT_EQ(dimensions()->editImageDimensionsWidth->text(), "50");
  EXPECT_EQ(dimensions()->editImageDimensionsHeight->text(), "20");
  EXPECT_EQ(storedValue("start", "ImageWidth"), "50");
}

TEST_F(BackgroundImageWindowTest, TheCanvasBecomesTheBackgroundFromTheButtonAndTheMenu) {
  auto* w = open();
  form_->commands().draw->trigger();
  QTest::mouseClick(w->buttonUseCanvas, Qt::LeftButton);
  EXPECT_EQ(form_->statusText(), "Set canvas as working background.");
  EXPECT_TRUE(w->imagePreview->hasImage());
  EXPECT_EQ(engine().backgroundImage().w, 60);
  EXPECT_EQ(w->buttonUseCanvas->text(), "Use current canvas as background");
  form_.reset();

  // Ctrl+B runs the same command: the preview follows.
  start();
  auto* again = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  ASSERT_FALSE(again->imagePreview->hasImage());
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(form_->statusText(), "Set canvas as working background.");
  EXPECT_TRUE(again->imagePreview->hasImage());
  // The white canvas shows white.
  const QImage shown = again->imagePreview->pixmap().toImage();
  EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::white));
}

TEST_F(BackgroundImageWindowTest, PlacementButtonsSetAllThreeSettingsTogether) {
  auto* w = open();
  Settings& s = settings();
  EXPECT_TRUE(w->rbCentered->isChecked());
  clickBox(w->rbTiled);
  EXPECT_TRUE(s.BackgroundImagePositionTiled);
  EXPECT_FALSE(s.BackgroundImagePositionCentered);
  EXPECT_FALSE(s.BackgroundImagePositionStretched);
  EXPECT_FALSE(w->rbCentered->isChecked());
  clickBox(w->rbStretched);
  EXPECT_TRUE(s.BackgroundImagePositionStretched);
  EXPECT_FALSE(s.BackgroundImagePositionTiled);
  // Clicking the chosen one again keeps it.
  clickBox(w->rbStretched);
  EXPECT_TRUE(w->rbStretched->isChecked());
  EXPECT_TRUE(s.BackgroundImagePositionStretched);

  // Init shows the record as it is, without the handler acting.
  s.BackgroundImagePositionCentered = true;
  s.BackgroundImagePositionStretched = false;
  s.BackgroundImagePositionTiled = true;
  w->Init();
  EXPECT_TRUE(w->rbCentered->isChecked());
  EXPECT_FALSE(w->rbStretched->isChecked());
  EXPECT_TRUE(w->rbTiled->isChecked());
  EXPECT_TRUE(s.BackgroundImagePositionCentered && s.BackgroundImagePositionTiled);
  s.BackgroundImagePositionCentered = s.BackgroundImagePositionTiled = false;
  w->Init();
  EXPECT_FALSE(w->rbCentered->isChecked() || w->rbStretched->isChecked() || w->rbTiled->isChecked());

  // The switches store and show.
  clickBox(w->cbUseBackgroundImage);
  EXPECT_TRUE(s.UseBackgroundImage);
  s.BackgroundImageResizeCanvas = true;
  w->Init();
  EXPECT_TRUE(w->cbResizeCanvas->isChecked());
  EXPECT_EQ(w->cbUseBackgroundImage->text(), "Use background image?");
  EXPECT_EQ(w->cbResizeCanvas->text(), "Resize canvas?");
}

}  // namespace
}  // namespace zorva::test
