// The main menu: every command with its caption, key, check mark and state.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "ui/about_window.h"
#include "ui/background_image_window.h"
#include "ui/main_window.h"
#include "ui/text_curve_editor.h"

namespace zorva {

namespace {

QAction* addCommand(QMenu* menu, const char* caption, const QKeySequence& key = {}) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  // The window context also covers the option windows (Qt keeps a parent's
  // shortcuts alive while its tool window is active); those keep the keys
  // typed without a modifier to themselves (OptionWindow::event).
  if (!key.isEmpty()) action->setShortcut(key);
  return action;
}

QAction* addToggle(QMenu* menu, const char* caption, const QKeySequence& key = {}) {
  QAction* action = addCommand(menu, caption, key);
  action->setCheckable(true);
  return action;
}

}  // namespace

void TForm1::createMenus() {
  Commands& c = commands_;
  QMenuBar* bar = menuBar();

  QMenu* file = bar->addMenu("File");
  c.openIniFile = addCommand(file, "Open .ini file", Qt::CTRL | Qt::Key_O);
  c.openCurve = addCommand(file, "Open curve", Qt::CTRL | Qt::Key_Q);
  file->addSeparator();
  c.savePicture = addCommand(file, "Save zorva picture", Qt::CTRL | Qt::Key_S);
  c.saveCurve = addCommand(file, "Save curve", Qt::CTRL | Qt::Key_W);
  file->addSeparator();
  c.changeSaveLocation = addCommand(file, "Change default save location");
  file->addSeparator();
  c.exit = addCommand(file, "Exit", Qt::ALT | Qt::Key_F4);

  QMenu* edit = bar->addMenu("Edit");
  c.undoCurveEdit = addCommand(edit, "Undo curve edit", Qt::CTRL | Qt::Key_Z);
  edit->addSeparator();
  c.cutCurve = addCommand(edit, "Cut Curve", Qt::CTRL | Qt::Key_X);
  c.copyCurve = addCommand(edit, "Copy Curve", Qt::CTRL | Qt::Key_C);
  c.pasteCurve = addCommand(edit, "Paste Curve", Qt::CTRL | Qt::Key_V);
  edit->addSeparator();
  c.pasteFromClipboard = addCommand(edit, "Paste from Clipboard", Qt::SHIFT | Qt::CTRL | Qt::Key_V);
  c.textCurveEditor = addCommand(edit, "Text Curve Editor", Qt::Key_QuoteLeft);
  edit->addSeparator();
  c.resetAllCurves = addCommand(edit, "Reset all curves", Qt::CTRL | Qt::Key_K);
  c.showCurve = addCommand(edit, "Show Curve", Qt::Key_S);

  QMenu* zorva = bar->addMenu("Zorva");
  c.draw = addCommand(zorva, "Draw", Qt::Key_D);
  c.stop = addCommand(zorva, "Stop", Qt::Key_Escape);
  c.clear = addCommand(zorva, "Clear", Qt::Key_C);
  zorva->addSeparator();
  c.drawEachStep = addToggle(zorva, "Draw each step?", Qt::Key_E);
  c.saveEachStep = addToggle(zorva, "Save each step?", Qt::CTRL | Qt::Key_E);
  c.clearEachStep = addToggle(zorva, "Clear each step?", Qt::SHIFT | Qt::CTRL | Qt::Key_E);
  c.preview = addToggle(zorva, "Preview", Qt::Key_P);
  zorva->addSeparator();
  c.useTransparency = addToggle(zorva, "Use transparency?");
  c.setOpacity = addCommand(zorva, "Set opacity");
  zorva->addSeparator();
  c.toggleZoom = addToggle(zorva, "Toggle zoom", Qt::CTRL | Qt::Key_F);
  c.setCanvasAsBackground = addCommand(zorva, "Set canvas as background", Qt::CTRL | Qt::Key_B);

  QMenu* options = bar->addMenu("Options");
  c.function = addCommand(options, "Function", Qt::Key_F1);
  c.values = addCommand(options, "Values", Qt::Key_F2);
  c.color = addCommand(options, "Color", Qt::Key_F3);
  c.points = addCommand(options, "Points", Qt::Key_F4);
  c.path = addCommand(options, "Path", Qt::Key_F5);
  c.sourceImage = addCommand(options, "Source Image", Qt::Key_F6);
  c.animation = addCommand(options, "Animation", Qt::Key_F7);
  c.backgroundImage = addCommand(options, "Background Image", Qt::Key_F8);
  c.imageDimensions = addCommand(options, "Set image dimensions", Qt::Key_F9);
  c.branching = addCommand(options, "Branching", Qt::Key_F10);
  c.valuesPlane = addCommand(options, "Values - Plane", Qt::Key_F11);
  options->addSeparator();
  c.hideOptionWindows = addToggle(options, "Hide option windows", Qt::Key_H);
  options->addSeparator();
  c.setRotationPoints = addToggle(options, "Set rotation points");
  c.setPathPoints = addToggle(options, "Set path points");
  c.drawMultiplierBezier = addToggle(options, "Draw Multiplier Bezier", Qt::CTRL | Qt::Key_4);
  QAction* hiddenSeparator1 = options->addSeparator();
  c.drawWithStartAndEndBeziers = addCommand(options, "Draw with Start and End Beziers?");
  c.useStartBezierAsEndBezier = addCommand(options, "Use Start Bezier as End Bezier?", Qt::Key_Equal);
  QAction* hiddenSeparator2 = options->addSeparator();
  c.moveRotationCenter = addToggle(options, "Move rotation center between points?");
  c.useWobble = addToggle(options, "Use \"wobble\"?");
  options->addSeparator();
  c.useMouseToChangeValues = addToggle(options, "Use mouse to change values?");
  c.snapValuesBack = addToggle(options, "Snap values back?");
  c.belowNormalPriority = addToggle(options, "Below Normal Priority?");

  // The mouse mode and the Points window's switches live here unseen.
  auto* mouseMode = new QActionGroup(this);
  for (QAction* a : {c.setRotationPoints, c.setPathPoints, c.drawMultiplierBezier}) mouseMode->addAction(a);
  c.setRotationPoints->setChecked(true);
  for (QAction* a : {c.setRotationPoints, c.setPathPoints, c.drawMultiplierBezier, hiddenSeparator1,
                     c.drawWithStartAndEndBeziers, c.useStartBezierAsEndBezier, hiddenSeparator2, c.moveRotationCenter})
    a->setVisible(false);
  c.snapValuesBack->setEnabled(false);

  QMenu* help = bar->addMenu("Help");
  c.aboutZorva = addCommand(help, "About Zorva");

  menus_ = {file, edit, zorva, options, help};

  // ---- handlers ----
  connect(c.openIniFile, &QAction::triggered, this, &TForm1::openIniFileClick);
  connect(c.savePicture, &QAction::triggered, this, [this] { engine_.buttonSaveImageClick(); });
  connect(c.changeSaveLocation, &QAction::triggered, this, &TForm1::changeSaveLocationClick);
  connect(c.exit, &QAction::triggered, this, &QWidget::close);

  connect(c.draw, &QAction::triggered, this, &TForm1::drawOrStopClick);
  connect(c.stop, &QAction::triggered, this, &TForm1::drawOrStopClick);
  connect(c.clear, &QAction::triggered, this, [this] { engine_.ClearPicture(); });
  connect(c.drawEachStep, &QAction::triggered, this,
          [this] { commands_.drawEachStep->setChecked(engine_.toggleDrawEachStep()); });
  connect(c.saveEachStep, &QAction::triggered, this,
          [this] { commands_.saveEachStep->setChecked(engine_.toggleSaveEachStep()); });
  connect(c.clearEachStep, &QAction::triggered, this,
          [this] { commands_.clearEachStep->setChecked(engine_.toggleClearEachStep()); });
  connect(c.preview, &QAction::triggered, this, [this] { commands_.preview->setChecked(engine_.togglePreview()); });
  connect(c.useTransparency, &QAction::triggered, this,
          [this] { commands_.useTransparency->setChecked(engine_.toggleTransparency()); });
  connect(c.toggleZoom, &QAction::triggered, this, &TForm1::toggleZoomClick);
  // The same command as the Background Image window's button, so its preview follows.
  connect(c.setCanvasAsBackground, &QAction::triggered, this, [this] {
    if (auto* background = optionWindowAs<TformZorvaBackgroundImage>(Window::BackgroundImage))
      background->buttonUseCanvasClick();
    else
      engine_.useCanvasAsBackground();
  });

  // Window commands: enabled once their window exists (registerOptionWindow).
  struct ShowCommand {
    QAction* action;
    Window window;
    const char* status;
  };
  const ShowCommand shows[] = {
      {c.setOpacity, Window::Opacity, "Showing the image opacity form"},
      {c.imageDimensions, Window::Dimensions, "Showing the image dimension form"},
      {c.values, Window::Values, "Showing Values form"},
      {c.valuesPlane, Window::ValuesPlane, "Showing Values - Plane form"},
      {c.color, Window::Colors, "Showing Colors form"},
      {c.function, Window::Function, "Showing Function form"},
      {c.points, Window::Points, "Showing Points form"},
      {c.path, Window::Path, "Showing Path form"},
      {c.sourceImage, Window::SourceImage, "Showing Source Image form"},
      {c.animation, Window::Animation, "Showing Animation form"},
      {c.backgroundImage, Window::BackgroundImage, "Showing Background Image form"},
      {c.branching, Window::Branches, "Showing Branching form"},
  };
  for (const ShowCommand& show : shows) {
    show.action->setEnabled(false);
    showWindowActions_[static_cast<std::size_t>(show.window)] = show.action;
    const Window window = show.window;
    const QString status = QString::fromUtf8(show.status);
    connect(show.action, &QAction::triggered, this, [this, window, status] { showOptionWindow(window, status); });
  }
  connect(c.hideOptionWindows, &QAction::triggered, this, &TForm1::hideOrRestoreOptionWindows);

  connect(c.drawWithStartAndEndBeziers, &QAction::triggered, this, [this] {
    Spammer(engine_.settings.ZorvaPointsUseStartAndEndBezier ? "Drawing will use the start and end curves"
                                                             : "Drawing will not use the start and end curves");
  });
  connect(c.useStartBezierAsEndBezier, &QAction::triggered, this, [this] {
    Spammer(engine_.settings.ZorvaPointsUseStartAsEnd ? "Drawing will use the start curve for the end curve also"
                                                      : "Drawing will not use the start curve for the end curve");
  });
  connect(c.moveRotationCenter, &QAction::triggered, this, &TForm1::moveRotationCenterClick);
  connect(c.useWobble, &QAction::triggered, this, [this](bool checked) { engine_.settings.Wobble = checked; });
  connect(c.useMouseToChangeValues, &QAction::triggered, this, &TForm1::useMouseToChangeValuesClick);
  connect(c.snapValuesBack, &QAction::triggered, this,
          [this](bool checked) { engine_.settings.SnapValuesBack = checked; });
  connect(c.belowNormalPriority, &QAction::triggered, this,
          [this] { commands_.belowNormalPriority->setChecked(engine_.toggleBelowNormalPriority()); });

  connect(c.aboutZorva, &QAction::triggered, this, &TForm1::aboutZorvaClick);
  connect(c.textCurveEditor, &QAction::triggered, this, &TForm1::showTextCurveEditor);
  connectCurveCommands();
}

void TForm1::moveRotationCenterClick(bool checked) {
  engine_.settings.MoveRotation = checked;
  Spammer(checked ? "Moving center of rotation between Rotate A and Rotate B"
                  : "Point A will be the only center of rotation");
}

void TForm1::useMouseToChangeValuesClick(bool checked) {
  engine_.settings.UseMouseToChangeValues = checked;
  commands_.snapValuesBack->setEnabled(checked);
}

void TForm1::aboutZorvaClick() {
  about_->show();
  about_->raise();
  Spammer("Showing about form");
}

void TForm1::showTextCurveEditor() {
  if (!atc_) return;
  atc_->refreshCanvas();
  atc_->show();
  atc_->raise();
  atc_->activateWindow();
}

void TForm1::DisableZorvaMenus() {
  for (QMenu* menu : menus_) menu->menuAction()->setEnabled(false);
  for (QAction* a : {commands_.showCurve, commands_.draw, commands_.clear, commands_.drawEachStep, commands_.preview,
                     commands_.hideOptionWindows})
    a->setShortcut(QKeySequence());
}

void TForm1::EnableZorvaMenus() {
  for (QMenu* menu : menus_) menu->menuAction()->setEnabled(true);
  commands_.showCurve->setShortcut(Qt::Key_S);
  commands_.draw->setShortcut(Qt::Key_D);
  commands_.clear->setShortcut(Qt::Key_C);
  commands_.drawEachStep->setShortcut(Qt::Key_E);
  commands_.preview->setShortcut(Qt::Key_P);
  commands_.hideOptionWindows->setShortcut(Qt::Key_H);
}

}  // namespace zorva
