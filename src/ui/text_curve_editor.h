// The text curve editor: black shapes painted with a round pen, text stamped
// in any installed font, or an opened image, traced into a curve ("Get
// Outline", or a press in lasso mode) that can be pasted into the selected
// multiplier slot or saved as a curve file. The tracing itself is the
// engine's (curves/outline_tracer.h); this window holds the canvas, the
// pending curve text and the controls.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <string>

#include "curves/outline_tracer.h"
#include "settings/settings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace zorva {

class TForm1;

// The picture control of the editor: shows the visible canvas 1:1 and
// passes the mouse on in canvas pixels.
class AtcCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit AtcCanvas(QWidget* parent);
  // What is shown: the committed drawing with the latest preview or red
  // outline marks on it.
  QImage& image() { return image_; }

 signals:
  void mousePressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void mouseMoved(QPoint at, Qt::MouseButtons buttons);
  void mouseLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage image_;
};

class TatcForm : public QWidget {
  Q_OBJECT

 public:
  // Height when unfolded and folded by ":)".
  static constexpr int kUnfoldedHeight = 600;
  static constexpr int kFoldedHeight = 50;

  explicit TatcForm(TForm1& main);

  // The track bars and the tolerance from the record.
  void Init();
  // Where the window is, for the settings file (it has no visibility key).
  WindowPlacement placement() const;

  // The curve text of the last tracing: "Paste from Clipboard" takes it
  // instead of the system clipboard while it is not empty.
  const std::string& outlineCurveText() const { return OutlineCurveText_; }
  const QString& stampText() const { return stampText_; }
  const QImage& committedImage() const { return committed_; }
  const QImage& canvasImage() const { return atcImage->image(); }

  // The visible canvas becomes the committed drawing again (previews and
  // outline marks go).
  void refreshCanvas();
  // One paint at a canvas pixel: left button black and right button white,
  // both committed; no button a blue preview.
  void paintAt(QPoint at, Qt::MouseButtons buttons);
  // GetOutline(X0, Y0, ClearText): the committed drawing traced from
  // (x0, y0), its walk marked red, the paste and save controls enabled when
  // a boundary was found; status "Outline done".
  void GetOutline(int x0, int y0, bool clearText, bool lasso);

  // Commands.
  void getOutlineClick();
  void pasteToZorvaClick();
  void saveCurveClick();
  void openImageClick();
  // "Open Image" once a file is chosen.
  void LoadImage(const QString& file);
  void saveImageClick();
  void clearImageClick();
  void shrinkClick();

  // Answers the file dialogs instead of showing them (tests): the chosen
  // file, empty for cancel.
  std::function<QString(const QString& title)> fileDialogHook;

  // Controls.
  AtcCanvas* atcImage;
  QRadioButton* atcRbDraw;
  QRadioButton* atcRbText;
  QCheckBox* atcCbLasso;
  QComboBox* atcCbFonts;
  QSlider* atcTbDrawSize;
  QSlider* atcTbTextSize;
  QSlider* atcTbSample;
  QSpinBox* atcEditTolerance;  // with its up-down arrows
  QPushButton* atcBtnGetOutline;
  QPushButton* atcBtnPasteToZorva;
  QPushButton* atcBtnSaveCurve;
  QPushButton* atcBtnOpenImage;
  QPushButton* atcBtnSaveImage;
  QPushButton* Button1;  // "Clear Image"
  QMenuBar* menuBar;
  QAction* atcNew;
  QAction* atcOpenImage;
  QAction* atcSaveImage;
  QAction* atcSaveCurve;
  QAction* atcExit;
  QAction* Shrink;  // ":)"

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* buildSidePanel(QWidget* parent);
  QWidget* buildLowerPanel(QWidget* parent);
  void buildMenu();
  void watchChildren();
  void canvasPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void canvasMoved(QPoint at, Qt::MouseButtons buttons);
  // A key typed anywhere in the window: onto the stamp text, preview redrawn.
  void keyTyped(const QString& text);
  // One wheel notch (+1 or -1) by the editor's rules.
  void wheelNotch(int sign);
  void setOutlineFound(bool found);

  TForm1& main_;
  QWidget* body_;
  QImage committed_;
  std::string OutlineCurveText_;
  QString stampText_ = "a";
  QPoint lastMouse_{-1, -1};  // canvas pixel under the mouse, (-1, -1) when it is off the canvas
  QLabel* drawSizeLabel_;
  QLabel* textSizeLabel_;
  QLabel* sampleLabel_;
};

}  // namespace zorva
