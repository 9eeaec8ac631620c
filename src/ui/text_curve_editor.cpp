// The text curve editor's window: canvas, controls, menu, placement, and the
// keyboard, wheel and activation rules. The commands are in
// text_curve_editor_commands.cpp.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "ui/main_window.h"
#include "ui/option_window.h"
#include "ui/text_curve_editor.h"

namespace zorva {

// ---- the canvas control ----------------------------------------------------------

AtcCanvas::AtcCanvas(QWidget* parent) : QWidget(parent) {
  setFixedSize(kAtcCanvasWidth, kAtcCanvasHeight);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::CrossCursor);
}

void AtcCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void AtcCanvas::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->position().toPoint(), event->button(), event->modifiers());
}

void AtcCanvas::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event->position().toPoint(), event->buttons()); }

void AtcCanvas::leaveEvent(QEvent*) { emit mouseLeft(); }

// ---- the window --------------------------------------------------------------------

namespace {

QSlider* trackBar(const char* name, int lo, int hi, QWidget* parent) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setRange(lo, hi);
  return bar;
}

}  // namespace

TatcForm::TatcForm(TForm1& main) : QWidget(&main, Qt::Window), main_(main) {
  setWindowTitle("Text Curve Editor");
  setObjectName("atcForm");
  // The controls live on a body of the unfolded size, so folding only clips them.
  body_ = new QWidget(this);
  auto* layout = new QVBoxLayout(body_);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  buildMenu();
  layout->setMenuBar(menuBar);
  auto* middle = new QHBoxLayout;
  middle->setSpacing(4);
  atcImage = new AtcCanvas(body_);
  atcImage->setObjectName("atcImage");
  middle->addWidget(atcImage, 0, Qt::AlignTop);
  middle->addWidget(buildSidePanel(body_));
  layout->addLayout(middle);
  layout->addWidget(buildLowerPanel(body_));
  body_->setFixedSize(body_->sizeHint().width(), std::max(body_->sizeHint().height(), kUnfoldedHeight));
  setFixedWidth(body_->width());

  // The committed drawing and the canvas: white, at 96 dots an inch so that
  // text sizes are points as on the usual screen.
  committed_ = QImage(kAtcCanvasWidth, kAtcCanvasHeight, QImage::Format_RGB888);
  committed_.setDotsPerMeterX(3780);
  committed_.setDotsPerMeterY(3780);
  committed_.fill(Qt::white);
  refreshCanvas();

  connect(atcImage, &AtcCanvas::mousePressed, this, &TatcForm::canvasPressed);
  connect(atcImage, &AtcCanvas::mouseMoved, this, &TatcForm::canvasMoved);
  // Off the canvas the preview goes, and typed keys preview nothing.
  connect(atcImage, &AtcCanvas::mouseLeft, this, [this] {
    lastMouse_ = {-1, -1};
    refreshCanvas();
  });
  watchChildren();

  // Place from the record (the reader has kept the height within 50..600).
  const WindowPlacement& p = main_.engine().settings.window(Window::Atc);
  setFixedHeight(std::clamp(p.Height, kFoldedHeight, kUnfoldedHeight));
  move(p.Left, p.Top);
  Init();
}

void TatcForm::buildMenu() {
  menuBar = new QMenuBar(body_);
  QMenu* file = menuBar->addMenu("File");
  atcNew = file->addAction("New");
  atcOpenImage = file->addAction("Open Image");
  atcSaveImage = file->addAction("Save Image");
  atcSaveCurve = file->addAction("Save Curve");
  file->addSeparator();
  atcExit = file->addAction("Close");
  // ":)" at the right end of the menu bar.
  Shrink = new QAction(":)", this);
  auto* shrinkButton = new QToolButton(menuBar);
  shrinkButton->setObjectName("Shrink");
  shrinkButton->setDefaultAction(Shrink);
  shrinkButton->setAutoRaise(true);
  menuBar->setCornerWidget(shrinkButton, Qt::TopRightCorner);
  atcSaveCurve->setEnabled(false);

  connect(atcNew, &QAction::triggered, this, &TatcForm::clearImageClick);
  connect(atcOpenImage, &QAction::triggered, this, &TatcForm::openImageClick);
  connect(atcSaveImage, &QAction::triggered, this, &TatcForm::saveImageClick);
  connect(atcSaveCurve, &QAction::triggered, this, &TatcForm::saveCurveClick);
  connect(atcExit, &QAction::triggered, this, &QWidget::close);
  connect(Shrink, &QAction::triggered, this, &TatcForm::shrinkClick);
}

QWidget* TatcForm::buildSidePanel(QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName("atcSidePanel");
  panel->setFixedWidth(200);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(2, 4, 2, 2);

  auto* mode = new QGroupBox("Mode", panel);
  auto* modeLayout = new QVBoxLayout(mode);
  atcRbDraw = new QRadioButton("Drawing", mode);
  atcRbDraw->setObjectName("atcRbDraw");
  atcRbText = new QRadioButton("Text", mode);
  atcRbText->setObjectName("atcRbText");
  atcRbDraw->setChecked(true);
  modeLayout->addWidget(atcRbDraw);
  modeLayout->addWidget(atcRbText);
  layout->addWidget(mode);
  atcCbLasso = new QCheckBox("lasso", panel);
  atcCbLasso->setObjectName("atcCbLasso");
  layout->addWidget(atcCbLasso);

  layout->addWidget(new QLabel("Font", panel));
  atcCbFonts = new QComboBox(panel);
  atcCbFonts->setObjectName("atcCbFonts");
  atcCbFonts->addItems(QFontDatabase::families());
  atcCbFonts->setCurrentIndex(0);
  layout->addWidget(atcCbFonts);

  // A track bar under its caption, its value beside it, bound to its setting.
  Settings& s = main_.engine().settings;
  auto bar = [&](const char* caption, QSlider* slider, QLabel*& value, std::int32_t* setting) {
    layout->addWidget(new QLabel(caption, panel));
    auto* row = new QHBoxLayout;
    value = new QLabel(panel);
    value->setMinimumWidth(28);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(slider, 1);
    row->addWidget(value);
    layout->addLayout(row);
    QLabel* label = value;
    connect(slider, &QSlider::valueChanged, this, [setting, label](int v) {
      *setting = v;
      label->setNum(v);
    });
  };
  atcTbDrawSize = trackBar("atcTbDrawSize", 1, kAtcMaxSize, panel);
  atcTbTextSize = trackBar("atcTbTextSize", 1, kAtcMaxSize, panel);
  atcTbSample = trackBar("atcTbSample", 1, kAtcMaxSampling, panel);
  bar("Pen size", atcTbDrawSize, drawSizeLabel_, &s.AtcPenSize);
  bar("Text size", atcTbTextSize, textSizeLabel_, &s.AtcTextSize);
  bar("Curve Sampling", atcTbSample, sampleLabel_, &s.AtcSampling);

  layout->addWidget(new QLabel("Tolerance", panel));
  atcEditTolerance = new QSpinBox(panel);
  atcEditTolerance->setObjectName("atcEditTolerance");
  atcEditTolerance->setRange(0, kAtcMaxTolerance);
  layout->addWidget(atcEditTolerance);
  connect(atcEditTolerance, &QSpinBox::valueChanged, this, [&s](int value) { s.AtcTolerance = value; });
  layout->addStretch(1);
  return panel;
}

QWidget* TatcForm::buildLowerPanel(QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName("atcLowerPanel");
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 2, 0, 0);
  auto button = [&](const char* name, const char* caption, void (TatcForm::*handler)()) {
    auto* b = new QPushButton(caption, panel);
    b->setObjectName(name);
    layout->addWidget(b);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
  };
  Button1 = button("Button1", "Clear Image", &TatcForm::clearImageClick);
  atcBtnGetOutline = button("atcBtnGetOutline", "Get Outline", &TatcForm::getOutlineClick);
  atcBtnPasteToZorva = button("atcBtnPasteToZorva", "Paste to Zorva", &TatcForm::pasteToZorvaClick);
  atcBtnSaveCurve = button("atcBtnSaveCurve", "Save Curve", &TatcForm::saveCurveClick);
  atcBtnOpenImage = button("atcBtnOpenImage", "Open Image", &TatcForm::openImageClick);
  atcBtnSaveImage = button("atcBtnSaveImage", "Save Image", &TatcForm::saveImageClick);
  layout->addStretch(1);
  // Nothing traced yet: nothing to paste or save.
  atcBtnPasteToZorva->setEnabled(false);
  atcBtnSaveCurve->setEnabled(false);
  return panel;
}

// Every control passes its keys and wheel turns by the window first.
void TatcForm::watchChildren() {
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TatcForm::Init() {
  Settings& s = main_.engine().settings;
  // Each control shows its setting, and the setting takes what the control
  // could show (a value beyond its range, from the file, is kept within it).
  const std::pair<QSlider*, std::int32_t*> bars[] = {
      {atcTbDrawSize, &s.AtcPenSize}, {atcTbTextSize, &s.AtcTextSize}, {atcTbSample, &s.AtcSampling}};
  for (const auto& [bar, setting] : bars) {
    const std::int32_t value = *setting;
    bar->setValue(value);
    *setting = bar->value();
  }
  drawSizeLabel_->setNum(s.AtcPenSize);
  textSizeLabel_->setNum(s.AtcTextSize);
  sampleLabel_->setNum(s.AtcSampling);
  atcEditTolerance->setValue(s.AtcTolerance);
  s.AtcTolerance = atcEditTolerance->value();
}

WindowPlacement TatcForm::placement() const { return placementOf(*this); }

void TatcForm::shrinkClick() { setFixedHeight(height() < kFoldedHeight + 1 ? kUnfoldedHeight : kFoldedHeight); }

// ---- keys, wheel, activation ---------------------------------------------------------

bool TatcForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      // The focused control gets the key too; it reaches the filter once
      // there, and again at each parent it is passed on to.
      if (watched == QApplication::focusWidget()) keyTyped(static_cast<QKeyEvent*>(event)->text());
      break;
    case QEvent::Wheel: {
      // While the font list has the focus the wheel is the list's.
      if (atcCbFonts->hasFocus() || atcCbFonts->isAncestorOf(QApplication::focusWidget())) break;
      const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (delta != 0) wheelNotch(delta > 0 ? 1 : -1);
      return true;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void TatcForm::keyPressEvent(QKeyEvent* event) {
  // Keys with no focused control come straight to the window.
  const QWidget* focus = QApplication::focusWidget();
  if (!focus || focus == this) keyTyped(event->text());
  QWidget::keyPressEvent(event);
}

void TatcForm::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta != 0 && !atcCbFonts->hasFocus()) wheelNotch(delta > 0 ? 1 : -1);
  event->accept();
}

void TatcForm::keyTyped(const QString& text) {
  if (text.isEmpty()) return;
  stampText_ += text;
  if (lastMouse_.x() >= 0 && !atcCbLasso->isChecked()) paintAt(lastMouse_, Qt::NoButton);
}

void TatcForm::wheelNotch(int sign) {
  const bool toleranceFocused =
      atcEditTolerance->hasFocus() || atcEditTolerance->isAncestorOf(QApplication::focusWidget());
  if (toleranceFocused || atcCbLasso->isChecked())
    atcEditTolerance->setValue(std::clamp(main_.engine().settings.AtcTolerance + sign, 0, kAtcMaxTolerance));
  else if (atcRbDraw->isChecked())
    atcTbDrawSize->setValue(main_.engine().settings.AtcPenSize + sign);
  else
    atcTbTextSize->setValue(main_.engine().settings.AtcTextSize + sign);
}

void TatcForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Letters typed here must not run the main window's single-key commands.
  main_.DisableZorvaMenus();
}

void TatcForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  main_.EnableZorvaMenus();
}

void TatcForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow())
    main_.DisableZorvaMenus();
  else
    main_.EnableZorvaMenus();
}

}  // namespace zorva
