// The main window: the picture in a scroll box, the menu with every command,
// a progress bar and a status bar. It owns the engine for the life of the
// program and the option windows that edit the engine's settings record.
// The code is split by concern: main_window.cpp (start-up, layout, close),
// main_window_menus.cpp, main_window_files.cpp, main_window_drawing.cpp,
// main_window_curves.cpp.
#pragma once

#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "render/canvas_editing.h"
#include "render/engine.h"
#include "ui/qt_host.h"
#include "ui/value_field.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QProgressBar;
class QScrollArea;
class QStatusBar;

namespace zorva {

class OptionWindow;
class PictureBox;
class TatcForm;
class PictureView;
class TformZorvaAbout;

// Where the program finds its files; main() works them out (program_files.h).
struct StartOptions {
  QString programPath;      // the running program: its folder and base name
  QString settingsFile;     // the program's own settings file
  QString defaultFolder;    // folders of the record default to this one
  int threads = 0;          // drawing workers, 0 for one per core
  bool quitOnExit = false;  // closing the window ends the application
};

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(const StartOptions& options, QWidget* parent = nullptr);
  ~TForm1() override;

  Engine& engine() { return engine_; }
  QtHost& host() { return host_; }
  FieldOps& fieldOps() { return fields_; }
  bool started() const { return started_; }

  // ---- status, progress, picture ---------------------------------------------
  // Shows a status text at once (also in the middle of a drawing).
  void Spammer(const QString& text);
  QString statusText() const;
  QProgressBar* progressBar() const { return progress_; }
  QScrollArea* scrollBox() const { return scrollBox_; }
  PictureView* pictureView() const { return view_; }
  // Lays the picture out 1:1 or zoomed to fit, centred in the scroll box.
  void FormResize();
  bool zoomToFit() const { return zoomToFit_; }
  double zoomFactor() const { return zoomFactor_; }
  // The engine's picture changed: repaint it (re-lay out when its size changed).
  void pictureChanged();
  // The picture pixel under the mouse cursor.
  std::pair<int, int> mousePixel() const;

  // ---- commands ----------------------------------------------------------------
  struct Commands {
    QAction *openIniFile, *openCurve, *savePicture, *saveCurve, *changeSaveLocation, *exit;
    QAction *undoCurveEdit, *cutCurve, *copyCurve, *pasteCurve, *pasteFromClipboard, *textCurveEditor, *resetAllCurves,
        *showCurve;
    QAction *draw, *stop, *clear, *drawEachStep, *saveEachStep, *clearEachStep, *preview, *useTransparency, *setOpacity,
        *toggleZoom, *setCanvasAsBackground;
    QAction *function, *values, *color, *points, *path, *sourceImage, *animation, *backgroundImage, *imageDimensions,
        *branching, *valuesPlane, *hideOptionWindows, *setRotationPoints, *setPathPoints, *drawMultiplierBezier,
        *drawWithStartAndEndBeziers, *useStartBezierAsEndBezier, *moveRotationCenter, *useWobble,
        *useMouseToChangeValues, *snapValuesBack, *belowNormalPriority;
    QAction* aboutZorva;
  };
  const Commands& commands() const { return commands_; }
  // File, Edit, Zorva, Options, Help.
  const std::array<QMenu*, 5>& menus() const { return menus_; }

  // "Open .ini file" once a file is chosen: its style, values and curves.
  void openIniFile(const QString& file);
  // A file or folder name chosen in a dialog that the settings file would
  // store: one it cannot hold (a line break) is refused with a message.
  // True when refused.
  bool refuseUnstorableName(const QString& name);
  // "Change default save location" once the chooser closed (nothing: cancelled).
  void changeSaveFolder(const std::optional<QString>& folder);
  // Draw and Stop follow the drawing state.
  void refreshCommandState();
  // Grey out the menus and drop the single-key shortcuts while a window that
  // takes typing needs the letters, and back.
  void DisableZorvaMenus();
  void EnableZorvaMenus();

  // ---- option windows --------------------------------------------------------
  OptionWindow* optionWindow(Window w) const { return optionWindows_[static_cast<std::size_t>(w)]; }
  template <class T>
  T* optionWindowAs(Window w) const {
    return static_cast<T*>(optionWindow(w));
  }
  TformZorvaAbout* aboutWindow() const { return about_; }
  // The text curve editor (not an option window: it follows its own rules).
  TatcForm* textCurveEditor() const { return atc_; }
  // "Text Curve Editor": the editor refreshed and shown.
  void showTextCurveEditor();
  // Visibility key true, shown, raised, status text.
  void showOptionWindow(Window w, const QString& statusText);
  // "Hide option windows": hide all (keys unchanged) or show those whose key is true.
  void hideOrRestoreOptionWindows(bool hide);
  // Shows the windows whose visibility key is true (start-up).
  void restoreOptionWindows();
  // After a settings load: menu check marks, maximised state, every window's Init.
  void settingsLoaded();

  // ---- curves and the mouse on the picture (main_window_curves.cpp) ---------
  CanvasEditor& canvasEditor() { return editor_; }
  // The Options menu's radio items and the Points window's mode buttons.
  void setMouseMode(MouseMode mode);
  // "Open curve", "Save curve" and "Paste from Clipboard" (also the Points
  // window's buttons), with their file dialogs and the system clipboard.
  void openCurveClick();
  void saveCurveClick();
  void pasteFromClipboardClick();
  // Answers a curve file dialog instead of showing it (tests): the chosen
  // file, empty for cancel.
  std::function<QString(bool save, const QString& title)> curveFileDialogHook;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Esc stops a drawing from whichever Zorva window has the focus.
  bool escapeStopsDrawing(QObject* watched, const QKeyEvent* key);
  void createWidgets();
  void createMenus();
  void createOptionWindows();
  void registerOptionWindow(OptionWindow* window);
  void connectCurveCommands();
  void pictureMousePressed(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void pictureMouseMoved(QPointF at, Qt::MouseButtons buttons);
  void pictureMouseReleased(QPointF at, Qt::MouseButton button);
  // The editor's cursor and preview on the picture.
  void showEditing();

  // Menu handlers.
  void openIniFileClick();
  void changeSaveLocationClick();
  void drawOrStopClick();
  void toggleZoomClick();
  void moveRotationCenterClick(bool checked);
  void useMouseToChangeValuesClick(bool checked);
  void aboutZorvaClick();

  QtHost host_;
  Engine engine_;
  FieldOps fields_;
  CanvasEditor editor_{engine_};
  bool started_ = false;
  bool exiting_ = false;
  bool quitOnExit_ = false;
  bool shownOnce_ = false;

  bool zoomToFit_ = false;
  double zoomFactor_ = 1.0;
  int laidOutWidth_ = -1, laidOutHeight_ = -1;

  QScrollArea* scrollBox_ = nullptr;
  PictureBox* pictureBox_ = nullptr;
  PictureView* view_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  QLabel* statusLabel_ = nullptr;

  Commands commands_{};
  std::array<QMenu*, 5> menus_{};
  std::array<OptionWindow*, kWindowCount> optionWindows_{};
  std::array<QAction*, kWindowCount> showWindowActions_{};  // enabled once the window exists
  TformZorvaAbout* about_ = nullptr;
  TatcForm* atc_ = nullptr;
};

}  // namespace zorva
