// The Source image and Background Image windows: loading PNG, JPEG and BMP
// files made here, previews, track bars, placement and "Apply".
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cstdlib>

#include "ui/background_image_window.h"
#include "ui/image_dimensions_window.h"
#include "ui/image_preview.h"
#include "ui/source_image_window.h"
#include "ui_fixture.h"

namespace zorva::test {
namespace {

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0);

// The upper half one colour, the lower half another, in the format the
// name's extension says (written by Qt, read by the engine's own readers).
void writeBands(const QString& file, int width, int height, QColor top, QColor bottom) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(bottom);
  QPainter(&image).fillRect(0, 0, width, height / 2, top);
  ASSERT_TRUE(image.save(file, nullptr, 95)) << file.toStdString();
}

// The preview shows the image whole and upright, filling its box on one
// side; JPEG (lossy) gives the colours back only roughly.
void expectBands(const ImagePreview* preview, const QString& file, QColor top, QColor bottom, double aspect) {
  ASSERT_TRUE(preview->hasImage());
  const QImage shown = preview->pixmap().toImage();
  EXPECT_TRUE(shown.width() <= preview->width() && shown.height() <= preview->height());
  EXPECT_TRUE(shown.width() >= preview->width() - 8 || shown.height() >= preview->height() - 8);
  EXPECT_NEAR(static_cast<double>(shown.width()) / shown.height(), aspect, 0.05);
  const int tolerance = file.endsWith(".png") || file.endsWith(".bmp") ? 0 : 60;
  for (auto [got, want] : {std::pair{shown.pixelColor(0, 0), top},
                           std::pair{shown.pixelColor(shown.width() - 1, shown.height() - 1), bottom}})
    EXPECT_TRUE(std::abs(got.red() - want.red()) <= tolerance && std::abs(got.green() - want.green()) <= tolerance &&
                std::abs(got.blue() - want.blue()) <= tolerance)
        << got.name().toStdString();
}

using ImageWindowTest = UiTest;

TEST_F(ImageWindowTest, PngJpegAndBmpLoadIntoBothWindowsWithPreview) {
  start();
  auto* source = window<TformZorvaSourceImage>(Window::SourceImage);
  auto* background = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  QDir(dir_.path()).mkdir("images");
  for (const char* ext : {"png", "jpg", "bmp", "jpeg"}) {
    SCOPED_TRACE(ext);
    source->cbUseSourceImage->setChecked(false);  // loading checks it again
    const QString file = path(QString("images/bands.") + ext);
    writeBands(file, 30, 10, kRed, kBlue);
    ASSERT_TRUE(source->loadSourceImage(file));
    EXPECT_EQ(settings().LoadSourceImageDir, pathString("images") + "/");
    EXPECT_TRUE(source->cbUseSourceImage->isChecked());
    expectBands(source->imagePreview, file, kRed, kBlue, 3.0);

    ASSERT_TRUE(background->loadBackgroundImage(file));
    expectBands(background->imagePreview, file, kRed, kBlue, 3.0);
  }
  EXPECT_EQ(engine().W(), 60);  // the background is not in use: nothing applied
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ImageWindowTest, AMissingFileShowsTheWarningAndChangesNothing) {
  auto* source = openWindow<TformZorvaSourceImage>(Window::SourceImage);
  auto* background = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  writeBands(path("good.png"), 6, 6, kGreen, kRed);
  ASSERT_TRUE(source->loadSourceImage(path("good.png")));
  const std::string folder = settings().LoadSourceImageDir;
  background->cbUseBackgroundImage->setChecked(true);  // a load would apply at once
  background->cbResizeCanvas->setChecked(true);
  form_->Spammer("before");

  const QString missing = path("elsewhere/missing.png");
  EXPECT_FALSE(source->loadSourceImage(missing));
  EXPECT_FALSE(background->loadBackgroundImage(missing));
  ASSERT_EQ(messages_.size(), 2u);
  for (const Message& m : messages_) {
    EXPECT_EQ(m.text, "file: \n" + missing.toStdString() + "  does not exist");
    EXPECT_EQ(m.kind, MessageKind::WarningOkCancel);
  }
  EXPECT_EQ(form_->statusText(), "before");
  EXPECT_EQ(settings().LoadSourceImageDir, folder);
  expectBands(source->imagePreview, path("good.png"), kGreen, kRed, 1.0);
  EXPECT_EQ(background->imagePreview->text(), "No image set");
  EXPECT_EQ(engine().W(), 60);
}

TEST_F(ImageWindowTest, SourceTrackBarsStoreTheirValuesInTheirUnits) {
  auto* w = openWindow<TformZorvaSourceImage>(Window::SourceImage);
  Settings& s = settings();
  // Repeats are whole numbers, offsets and the threshold hundredths; the ends of the bars.
  const int positions[9] = {-20, 20, 5, 7, -200, 25, 0, 200, 100};
  const char* labels[9] = {"-20", "20", "5", "7", "-2", "0.25", "0", "2", "1"};
  for (std::size_t i = 0; i < 9; ++i) {
    w->trackBars[i]->setValue(positions[i]);
    EXPECT_EQ(w->trackLabels[i]->text(), labels[i]) << i;
  }
  const std::vector<int> repeats = {s.SourceImageStartThetaColorMultiplier, s.SourceImageEndThetaColorMultiplier,
                                    s.SourceImageStartStepColorMultiplier, s.SourceImageEndStepColorMultiplier};
  EXPECT_EQ(repeats, (std::vector<int>{-20, 20, 5, 7}));
  const std::vector<double> hundredths = {s.SourceImageStartOffsetPerStep, s.SourceImageEndOffsetPerStep,
                                          s.SourceImageStartOffsetOverall, s.SourceImageEndOffsetOverall,
                                          s.SourceImageOpacityThreshold};
  EXPECT_EQ(hundredths, (std::vector<double>{-2, 0.25, 0, 2, 1}));

  // Init: beyond a bar the value stops at its end.
  s.SourceImageEndOffsetPerStep = 0.75;
  s.SourceImageStartOffsetOverall = 3.0;
  s.SourceImageStartThetaColorMultiplier = 40;
  form_->settingsLoaded();
  EXPECT_EQ(w->tbEndOffsetPerStep->value(), 75);
  EXPECT_EQ(w->tbStartOffsetOverall->value(), 200);
  EXPECT_EQ(s.SourceImageStartOffsetOverall, 2.0);
  EXPECT_EQ(w->tbStartRepeatPerStep->value(), 20);
  EXPECT_EQ(s.SourceImageStartThetaColorMultiplier, 20);
}

TEST_F(ImageWindowTest, TheThresholdShowsOnlyWhileOpaque) {
  auto* w = openWindow<TformZorvaSourceImage>(Window::SourceImage);
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
  clickBox(w->cbOpaque);
  EXPECT_TRUE(settings().UseOpaquePixels);
  EXPECT_TRUE(w->tbOpacityThreshold->isVisibleTo(w));
  clickBox(w->cbOpaque);
  EXPECT_FALSE(settings().UseOpaquePixels);
  EXPECT_FALSE(w->tbOpacityThreshold->isVisibleTo(w));
  EXPECT_TRUE(w->tbEndOffsetOverall->isVisibleTo(w));
  settings().UseOpaquePixels = true;
  w->Init();
  EXPECT_TRUE(w->tbOpacityThreshold->isVisibleTo(w));
}

TEST_F(ImageWindowTest, LoadingABackgroundInUseAppliesItAndShowsTheNewSize) {
  auto* w = openWindow<TformZorvaBackgroundImage>(Window::BackgroundImage);
  clickBox(w->cbUseBackgroundImage);
  clickBox(w->cbResizeCanvas);
  writeBands(path("small.png"), 40, 30, kRed, kBlue);
  ASSERT_TRUE(w->loadBackgroundImage(path("small.png")));
  EXPECT_EQ(settings().ImageWidth, 40);
  EXPECT_EQ(engine().W(), 40);
  EXPECT_EQ(engine().H(), 30);
  EXPECT_EQ(window<TformZorvaImageDimensions>(Window::Dimensions)->editImageDimensionsWidth->text(), "40");
  EXPECT_EQ(window<TformZorvaImageDimensions>(Window::Dimensions)->editImageDimensionsHeight->text(), "30");
}

TEST_F(ImageWindowTest, TheCanvasBecomesTheBackgroundFromCtrlBAndFromTheButton) {
  start();
  activate();
  auto* w = window<TformZorvaBackgroundImage>(Window::BackgroundImage);
  QTest::keyClick(form_.get(), Qt::Key_B, Qt::ControlModifier);
  ASSERT_TRUE(w->imagePreview->hasImage());
  const QImage white = w->imagePreview->pixmap().toImage();
  EXPECT_EQ(white.pixelColor(white.width() / 2, white.height() / 2), QColor(Qt::white));

  form_->commands().draw->trigger();
  form_->commands().backgroundImage->trigger();
  click(w->buttonUseCanvas);
  EXPECT_NE(w->imagePreview->pixmap().toImage(), white);  // the drawing now
}

TEST_F(ImageWindowTest, PlacementButtonsAreExclusiveByClickAndInitShowsTheRecordAsItIs) {
  auto* w = openWindow<TformZorvaBackgroundImage>(Window::BackgroundImage);
  Settings& s = settings();
  EXPECT_TRUE(w->rbCentered->isChecked());
  clickBox(w->rbTiled);
  EXPECT_FALSE(w->rbCentered->isChecked());
  clickBox(w->rbTiled);  // clicking the chosen one again keeps it
  EXPECT_TRUE(w->rbTiled->isChecked());
  EXPECT_TRUE(s.BackgroundImagePositionTiled);
  EXPECT_FALSE(s.BackgroundImagePositionCentered || s.BackgroundImagePositionStretched);

  // The record may hold several or none.
  s.BackgroundImagePositionCentered = true;
  w->Init();
  EXPECT_TRUE(w->rbCentered->isChecked() && w->rbTiled->isChecked());
  EXPECT_TRUE(s.BackgroundImagePositionCentered);  // Init leaves the record alone
  s.BackgroundImagePositionCentered = s.BackgroundImagePositionTiled = false;
  w->Init();
  EXPECT_FALSE(w->rbCentered->isChecked() || w->rbStretched->isChecked() || w->rbTiled->isChecked());
}

}  // namespace
}  // namespace zorva::test
