// Start-up, layout, the option-window registry and shut-down.
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>

#include "ui/about_window.h"
#include "ui/animation_window.h"
#include "ui/background_image_window.h"
#include "ui/branching_window.h"
#include "ui/colors_window.h"
#include "ui/cursors.h"
#include "ui/function_window.h"
#include "ui/image_dimensions_window.h"
#include "ui/opacity_window.h"
#include "ui/path_window.h"
#include "ui/picture_view.h"
#include "ui/points_window.h"
#include "ui/source_image_window.h"
#include "ui/text_curve_editor.h"
#include "ui/values_plane_window.h"
#include "ui/values_window.h"

namespace zorva {

namespace {
// The order in which the windows show new values after a settings load.
// The Background Image and Branching windows are refreshed too, last, so
// they never show the settings of a file loaded before.
constexpr std::array<Window, 13> kInitOrder = {
    Window::Opacity, Window::Dimensions,      Window::Values,  Window::Colors,    Window::Function,
    Window::Points,  Window::SourceImage,     Window::Path,    Window::Animation, Window::ValuesPlane,
    Window::Atc,     Window::BackgroundImage, Window::Branches};
}  // namespace

TForm1::TForm1(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent),
      host_(*this),
      engine_(&host_),
      fields_(engine_.settings, host_),
      quitOnExit_(options.quitOnExit) {
  setWindowTitle("Zorva259");
  registerZorvaCursors();
  createWidgets();
  createMenus();

  resize(633, 550);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  engine_.setProgramPath(options.programPath.toStdString());
  engine_.setDefaultFolder(options.defaultFolder.toStdString());
  engine_.setProgramSettingsFile(options.settingsFile.toStdString());
  engine_.setThreads(options.threads);
  // Settings, buffers, background, "Hello": all before any window shows.
  engine_.startUp();

  createOptionWindows();
  // Sees every key first, for Esc (escapeStopsDrawing).
  qApp->installEventFilter(this);
  started_ = true;
  FormResize();
  refreshCommandState();
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  // The windows go first, while the engine they point into still exists.
  engine_.setHost(nullptr);
  delete about_;
  delete atc_;
  for (OptionWindow*& window : optionWindows_) {
    delete window;
    window = nullptr;
  }
  // The picture control shows the engine's bitmap: it goes before the engine.
  delete takeCentralWidget();
}

void TForm1::createWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  scrollBox_ = new QScrollArea(central);
  scrollBox_->setObjectName("ScrollBox1");
  scrollBox_->setFrameShape(QFrame::NoFrame);
  scrollBox_->setWidgetResizable(true);
  view_ = new PictureView(engine_.picture(), nullptr);
  view_->setObjectName("Image1");
  pictureBox_ = new PictureBox(view_, nullptr);
  scrollBox_->setWidget(pictureBox_);
  scrollBox_->installEventFilter(this);
  layout->addWidget(scrollBox_, 1);

  // The panel is as high as its bars need: the status bar takes the height
  // of its font, so underscores and descenders are never cut off.
  auto* panel = new QWidget(central);
  panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->setSpacing(0);
  progress_ = new QProgressBar(panel);
  progress_->setFixedHeight(19);
  progress_->setTextVisible(false);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  statusBar_ = new QStatusBar(panel);
  statusBar_->setSizeGripEnabled(false);
  statusBar_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  statusLabel_ = new QLabel(statusBar_);
  statusLabel_->setObjectName("StatusBar1");
  statusBar_->addWidget(statusLabel_, 1);
  panelLayout->addWidget(progress_);
  panelLayout->addWidget(statusBar_);
  layout->addWidget(panel);

  setCentralWidget(central);
}

void TForm1::createOptionWindows() {
  registerOptionWindow(new TformZorvaOpacity(*this));
  registerOptionWindow(new TformZorvaImageDimensions(*this));
  registerOptionWindow(new TformZorvaValues(*this));
  registerOptionWindow(new TformZorvaColors(*this));
  registerOptionWindow(new TformZorvaFunction(*this));
  registerOptionWindow(new TformZorvaPoints(*this));
  registerOptionWindow(new TformZorvaSourceImage(*this));
  registerOptionWindow(new TformZorvaPath(*this));
  registerOptionWindow(new TformZorvaAnimation(*this));
  about_ = new TformZorvaAbout(this);
  registerOptionWindow(new TformZorvaBackgroundImage(*this));
  registerOptionWindow(new TformZorvaBranching(*this));
  registerOptionWindow(new TformZorvaValuesPlane(*this));
  atc_ = new TatcForm(*this);
}

void TForm1::registerOptionWindow(OptionWindow* window) {
  const auto at = static_cast<std::size_t>(window->id());
  optionWindows_[at] = window;
  if (QAction* show = showWindowActions_[at]) show->setEnabled(true);
}

// ---- status and layout ----------------------------------------------------------

void TForm1::Spammer(const QString& text) {
  // Once the program ends, "Exiting" stays the last word.
  if (exiting_) return;
  statusLabel_->setText(text);
  statusBar_->repaint();
}

QString TForm1::statusText() const { return statusLabel_->text(); }

void TForm1::FormResize() {
  const Bitmap24& picture = engine_.picture();
  const QSize box = scrollBox_->maximumViewportSize();
  const PictureLayout l = layoutPicture(picture.width, picture.height, box.width(), box.height(), zoomToFit_);
  zoomFactor_ = l.factor;
  laidOutWidth_ = picture.width;
  laidOutHeight_ = picture.height;
  view_->setFixedSize(l.width, l.height);
  pictureBox_->setMinimumSize(l.width, l.height);
  // The scroll area would do this on its next layout pass; do it now so the
  // picture sits right before anything repaints.
  const QSize viewport = scrollBox_->viewport()->size();
  pictureBox_->resize(std::max(viewport.width(), l.width), std::max(viewport.height(), l.height));
  pictureBox_->placeView();
  view_->update();
}

void TForm1::pictureChanged() {
  const Bitmap24& picture = engine_.picture();
  if (picture.width != laidOutWidth_ || picture.height != laidOutHeight_) FormResize();
  view_->update();
}

std::pair<int, int> TForm1::mousePixel() const {
  const QPointF at = view_->toPicture(view_->mapFromGlobal(QCursor::pos()).toPointF());
  return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scrollBox_ && event->type() == QEvent::Resize) FormResize();
  if (event->type() == QEvent::KeyPress && escapeStopsDrawing(watched, static_cast<QKeyEvent*>(event))) return true;
  return QMainWindow::eventFilter(watched, event);
}

// The Stop command's own key reaches it only from the main window: an option
// window keeps keys typed without a modifier (OptionWindow::event), and a
// menu bar left in keyboard mode by a menu closed with Esc takes the next Esc
// for itself. So Esc on its way to any widget of a Zorva window stops the
// drawing, unless an open menu or a message box is there to take it.
bool TForm1::escapeStopsDrawing(QObject* watched, const QKeyEvent* key) {
  if (key->key() != Qt::Key_Escape || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  if (!commands_.stop->isEnabled() || QApplication::activePopupWidget() || QApplication::activeModalWidget())
    return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  for (const QWidget* w = widget->window(); w; w = w->parentWidget())
    if (w == this) {
      commands_.stop->trigger();
      return true;
    }
  return false;
}

// ---- option windows ---------------------------------------------------------------

void TForm1::showOptionWindow(Window w, const QString& statusText) {
  OptionWindow* window = optionWindow(w);
  if (!window) return;
  engine_.settings.window(w).Visible = true;
  window->show();
  window->raise();
  Spammer(statusText);
}

void TForm1::hideOrRestoreOptionWindows(bool hide) {
  for (int i = 0; i < kWindowCount; ++i) {
    const auto w = static_cast<Window>(i);
    OptionWindow* window = optionWindow(w);
    if (w == Window::Atc || !window) continue;
    if (hide)
      window->hide();
    else
      window->setVisible(engine_.settings.window(w).Visible);
  }
}

void TForm1::restoreOptionWindows() {
  for (int i = 0; i < kWindowCount; ++i) {
    const auto w = static_cast<Window>(i);
    if (OptionWindow* window = optionWindow(w); window && engine_.settings.window(w).Visible) window->show();
  }
}

void TForm1::settingsLoaded() {
  const Settings& s = engine_.settings;
  // Maximised when the file says so; never un-maximised.
  if (s.ZorvaMaximized && !isMaximized()) {
    if (isVisible())
      showMaximized();
    else
      setWindowState(windowState() | Qt::WindowMaximized);
  }
  commands_.useWobble->setChecked(s.Wobble);
  commands_.useMouseToChangeValues->setChecked(s.UseMouseToChangeValues);
  commands_.snapValuesBack->setChecked(s.SnapValuesBack);
  commands_.snapValuesBack->setEnabled(s.UseMouseToChangeValues);
  // At start-up the windows do not exist yet; they read the record when made.
  if (!started_) return;
  for (Window w : kInitOrder) {
    if (OptionWindow* window = optionWindow(w)) window->Init();
    if (w == Window::Atc && atc_) atc_->Init();
  }
  // The function list follows the style that is now current.
  if (auto* function = dynamic_cast<TformZorvaFunction*>(optionWindow(Window::Function))) function->SetFunctionRadio();
}

// ---- showing and closing ------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_ && !event->spontaneous()) {
    shownOnce_ = true;
    restoreOptionWindows();
  }
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) EnableZorvaMenus();
}

void TForm1::closeEvent(QCloseEvent* event) {
  event->accept();
  if (exiting_) return;
  // The close may arrive while a drawing processes events: ask it to stop; it
  // unwinds once this handler returns, and the window object outlives it.
  if (engine_.isDrawing() && !engine_.stopRequested()) engine_.requestStop();
  // Frames being made: the running one finishes, the rest pass undrawn.
  if (auto* animation = optionWindowAs<TformZorvaAnimation>(Window::Animation)) animation->stopFrames();
  refreshCommandState();
  engine_.WriteIniFile(engine_.currentStyle());
  Spammer("Exiting");
  exiting_ = true;
  for (OptionWindow* window : optionWindows_)
    if (window) window->hide();
  if (about_) about_->hide();
  if (atc_) atc_->hide();
  if (quitOnExit_) QCoreApplication::quit();
}

}  // namespace zorva
