// The engine: everything a Zorva window or command needs, with no user
// interface of its own. It owns, for its whole life, the settings record and
// working state, the 32 multiplier slots, the accumulation buffer and its
// companion arrays, the picture bitmap, the source and background images and
// the picture snapshot. It talks to its surroundings only through a Host.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/random.h"
#include "base/thread_pool.h"
#include "curves/curve.h"
#include "curves/multiplier_slots.h"
#include "curves/path_generators.h"
#include "io/read_files.h"
#include "render/canvas.h"
#include "render/fast_inker.h"
#include "render/frame_values.h"
#include "render/host.h"
#include "render/images.h"
#include "render/ink_step.h"
#include "render/plane.h"
#include "render/step_values.h"
#include "settings/settings.h"

namespace zorva {

enum class InkerKind { Fast, Reference };

// The work a drawing will be, roughly: its drawn steps, points and pixel updates.
struct WorkEstimate {
  double steps = 0, points = 0, pixelUpdates = 0;
  double seconds(int threads) const;  // at the speed of an ordinary core
};

// The Zorva menu's per-step toggles and the other switches that are not
// stored with the settings.
struct DrawToggles {
  bool drawEachStep = false, saveEachStep = false, clearEachStep = false, preview = false;
  bool belowNormalPriority = false;
  bool useTransparency = false;   // "Use transparency?" of saved pictures
  bool useArctan2 = false;        // the Function window's "Use arctan2?"
  bool showControlPoints = true;  // the Points window's "Show Control Points?"
};

// What the mouse does on the picture: the Options menu's three radio items
// and the Points window's "Set rotate points", "Set path points", "Set curve".
enum class MouseMode { SetRotationPoints, SetPathPoints, DrawMultiplierBezier };

class Engine {
 public:
  explicit Engine(Host* host = nullptr);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // ---- configuration -------------------------------------------------------
  void setHost(Host* host);
  Host& host() { return *host_; }
  // The running program's full path: its folder is the default for the
  // folders of the record, its base name starts saved file names.
  void setProgramPath(const std::string& path);
  const std::string& programFolder() const { return programFolder_; }  // with trailing '/'
  // The folder the record's folders default to and saves fall back to: the
  // program's folder unless the host chooses another (when that is not writable).
  void setDefaultFolder(const std::string& folder);
  const std::string& defaultFolder() const { return defaultFolder_; }  // with trailing '/'
  const std::string& programBaseName() const { return programBaseName_; }
  // The program's own settings file; empty for none (nothing is written then).
  void setProgramSettingsFile(const std::string& path) { programSettingsFile_ = path; }
  const std::string& programSettingsFile() const { return programSettingsFile_; }
  // Workers for drawing (0: one per core) and the inking path.
  void setThreads(int threads) { fast_.setThreads(threads); }
  int threads() const { return fast_.threads(); }
  void setInker(InkerKind kind) { inker_ = kind; }
  InkerKind inker() const { return inker_; }
  FastTuning& tuning() { return fast_.tuning; }
  // Work done by the last drawing (for benchmarks and the stats line).
  DrawStats stats() const;
  Random& random() { return random_; }

  // Start-up: seed from the clock, read the program settings file, size the
  // buffers and fill the picture with the background, status "Hello".
  void startUp();

  // ---- the settings record and working state -------------------------------
  // Option windows edit the record directly; every step reads it afresh.
  Settings settings;
  const std::string& currentStyle() const { return CurrentStyle; }
  void setCurrentStyle(const std::string& style) { CurrentStyle = style; }
  bool isDrawing() const { return IsDrawing; }
  bool stopRequested() const { return StopRequested; }
  bool isAnimating() const { return IsAnimating; }
  double normalisationDivisor() const { return NormalisationDivisor; }
  // The composition's divisor; every settings read sets it to 1.
  void setNormalisationDivisor(double d) { NormalisationDivisor = d; }
  bool curveShown() const { return CurveShown; }
  // What the driver worked out for the current (or last) step.
  const StepValues& step() const { return step_; }
  // The start and end values of the current drawing.
  const FrameValues& frame() const { return frame_; }
  const DrawToggles& toggles() const { return toggles_; }

  // Observers for tests and tools: called when a step is handed to the step
  // geometry, and for every point the reference inker inks.
  std::function<void(int step)> onStep;
  std::function<void(int step, int k, double x, double y)> onPoint;

  // ---- animation -------------------------------------------------------------
  // While frames are made the driver reads the frame's values instead of the
  // settings, the drawing and saving commands stay quiet and "Draw" does
  // nothing. beginAnimation also withdraws any earlier stop request.
  void beginAnimation();
  void setAnimationFrame(const FrameValues& frame);
  void endAnimation();
  // The values the last frame made (the working copies a wave form with
  // none of its forms checked keeps), and the phase sine that drawings
  // outside an animation keep reading.
  // Nothing until the first frame of the program's life.
  const FrameValues* animationFrame() const { return animationFrameSet_ ? &animationFrame_ : nullptr; }
  double animationPhaseSine() const { return AnimationPhaseSine; }

  // ---- multiplier slots ----------------------------------------------------
  const MultiplierSlot& multiplierSlot(int slot) const { return multiplierSlots_[static_cast<std::size_t>(slot)]; }
  // For the curve editing, which changes a slot's curve in place.
  MultiplierSlot& multiplierSlot(int slot) { return multiplierSlots_[static_cast<std::size_t>(slot)]; }
  // Replaces a slot's curve and sets up its working Bezier.
  void setSlotCurve(int slot, const qCurve& curve);
  int selectedSlot() const { return selectedSlot_; }  // the Points window's chooser: "Main - Path curve" at start
  void selectSlot(int slot) { selectedSlot_ = slot; }
  // Working curve of the curve editing and its Bezier.
  qCurve& scratchCurve() { return ScratchCurve; }
  const qBezier& scratchBezier() const { return ScratchBezier; }
  // Makes SetUpBezier's "current slot" the given one instead of the chooser's
  // (nothing: the chooser's again).
  void useStoredSlot(std::optional<int> slot);
  // Rebuilds a working Bezier: 999 = the current slot (the stored one while
  // one is set, else the selected slot), 666 = the scratch Bezier from the
  // scratch curve. Both are built around the curve's centre when the current
  // slot is the start or the end curve.
  void SetUpBezier(int target);
  // "Reset all curves": every slot copied to its undo curve, emptied and
  // unmarked; the picture refreshed.
  void resetAllCurves();
  // Loads slot i from a curve file, sets up its Bezier and marks it; returns
  // the message of a failure (also shown through the host), which leaves the
  // slot as it was. A missing file changes nothing.
  std::optional<std::string> loadSlotCurve(int slot, const std::string& file);

  // ---- curve commands (slot_commands.cpp) ------------------------------------
  // The commands of the Points window, the Path window and the Edit and File
  // menus on the selected slot. "Selected" means the mouse mode is "Draw
  // Multiplier Bezier" (the Points window's "Set curve"); refusals are
  // messages through the host and change nothing.
  MouseMode mouseMode() const { return mouseMode_; }
  // Sets the mode with its status text.
  void setMouseMode(MouseMode mode);
  bool curveSelected() const { return mouseMode_ == MouseMode::DrawMultiplierBezier; }
  void setShowControlPoints(bool on) { toggles_.showControlPoints = on; }
  bool curveDrawing() const { return CurveDrawing; }
  const qCurve& clipboardCurve() const { return ClipboardCurve; }
  // Before the display changes while no curve is shown: the picture, as the
  // buffer makes it, into the snapshot.
  void keepPicture();
  // "Show curve": the selected slot's curve and its markers over the picture
  // (keeping the picture first when no curve is shown).
  void showSlotCurve();
  void hideCurve();     // "Hide curve"
  void resetCurve();    // "Reset curve"
  void reverseCurve();  // "Reverse"
  void copyCurve();     // Edit menu: "Copy Curve", "Cut Curve", "Paste Curve", "Undo curve edit", "Show Curve"
  void cutCurve();
  void pasteCurve();
  void undoCurveEdit();
  void showCurveCommand();
  void PutCurveToUndo(int slot);
  // Marks every slot whose curve has more than 4 points (Points window Init).
  void markDefinedSlots();
  // "Open curve": whether a slot is selected (else says so), then the load
  // once its dialog closed (nothing: cancelled); a file that is no curve
  // leaves the slot as it was.
  bool curveCanBeOpened();
  void openCurve(const std::optional<std::string>& file);
  // "Save curve": whether a curve can be saved (else says why), then the
  // save once the dialog closed (nothing: cancelled); an existing file is
  // only replaced when the user says yes.
  bool curveCanBeSaved();
  void saveCurve(const std::optional<std::string>& file);
  // "Paste from Clipboard" with the clipboard's text.
  void pasteFromClipboard(const std::string& text);
  // "Make path": the shape into the selected slot, shown afterwards.
  void makePathCommand(PathShape shape);
  // The shape into a slot as "Make path" makes it, without selection checks
  // or display; the result says what happened (zorva-render).
  PathResult makeSlotPath(int slot, PathShape shape);
  // Curve display: one curve point plotted, and a point's marker, which the
  // point map records. Pixels are picture pixels (row 0 at the top).
  void displayPathCreation(double x, double y);
  void displayCurveControls(std::int32_t index, double x, double y);
  // The marking colour (accumulated value rounded, + 127, modulo 256) on one
  // picture pixel, when it lies on the picture.
  void markPixel(int column, int row);
  // The point map at a picture pixel: a marker's point index, or kNoPoint.
  std::int32_t pointMapAt(int column, int row);
  // The picture pixel (column, row from the top) of a plane point, or nothing
  // off the picture.
  std::optional<std::pair<int, int>> pictureCell(double x, double y) const;
  // Samples of a curve display: round(length * 20000), at most this many.
  static constexpr std::int64_t kMaxCurveSamples = 1'000'000;
  static std::int64_t curveSampleCount(double totalLength);
  // A freehand curve was drawn since the last Bezier set-up.
  bool freehandDrawn() const { return FreehandDrawn; }
  void setFreehandDrawn() { FreehandDrawn = true; }

  // ---- settings file -------------------------------------------------------
  std::string ReadIniCurrentStyle(const std::string& file = "") const;
  // Fills the record from the file (the program's file when empty); returns
  // the number of keys read.
  int ReadIniFile(const std::string& style, const std::string& file = "");
  // Empty suffix: the program's settings file; otherwise the picture copy
  // named after SaveDir, the base name and the suffix.
  void WriteIniFile(const std::string& style, const std::string& suffix = "");
  // Writes a settings copy to an explicit path (the picture sets).
  std::optional<std::string> writeSettingsCopy(const std::string& path) const;
  void WriteIniCurrentStyle();
  // Stores the current style, makes name current and reads its values.
  void StyleChanger(const std::string& name);
  // "Open .ini file": the style of the file, its values and its companion
  // curve files; returns the number of keys read.
  int openIniFile(const std::string& file);
  // Loads each companion curve file that lies beside a settings file into
  // its slot; false when one of them could not be read (reported).
  bool loadCompanionCurves(const std::string& iniFile);
  // The companion curve file name of slot i for a settings file name.
  static std::string companionCurveName(const std::string& iniFileName, int slot);

  // ---- drawing -------------------------------------------------------------
  // How much work drawing the current settings will be.
  WorkEstimate estimateWork() const;
  void DrawOrStop();
  // The driver: one drawing, with the frame's values while animating.
  void RunDrawing();
  void ClearPicture();
  void SetupProgressBar(int max);
  void requestStop();  // the Stop half of DrawOrStop
  void DisableThings();
  void EnableThings();
  // One step of the drawing (the ring of points); fn counts from 1.
  void DrawByParameters(int fn, int i, double r, double size, double g, double b, double cx, double cy, double d,
                        double a, int n, double J, double x0, double x1, double y0, double y1);
  // Toggles of the Zorva menu with their status texts; return the new state.
  bool toggleDrawEachStep();
  bool toggleSaveEachStep();
  bool toggleClearEachStep();
  bool togglePreview();
  bool toggleBelowNormalPriority();
  bool toggleTransparency();
  void setUseArctan2(bool on) { toggles_.useArctan2 = on; }

  // ---- drawing plane ---------------------------------------------------------
  int W() const { return canvas_.W; }
  int H() const { return canvas_.H; }
  // Plane coordinate to buffer column ('x') or row ('y') at the current scale.
  int getPixelFromReal(char axis, double v);
  bool pixelOnCanvas(int column, int row) const { return canvas_.onCanvas(column, row); }
  double ConvertXtoXCoord(double column) const;
  double ConvertYtoYCoord(double row) const;
  qCoord ConvertMouseToCoord(double column, double row) const;
  int getXMouse();
  int getYMouse();
  bool SetImageDimensions();

  // ---- composition -----------------------------------------------------------
  void MakeBitmap();
  void MakePictureBlack();
  void drawArrayOnImage();
  // drawArrayOnImage for the viewer: skipped when the host shows no picture
  // (the picture is composed again before anything reads it).
  void showArrayOnImage();
  // Alpha of one picture pixel for transparent saves.
  static std::uint8_t transparencyAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool white,
                                        std::int32_t opacity);
  const Bitmap24& picture() const { return picture_; }
  Canvas& canvas() { return canvas_; }
  const Canvas& canvas() const { return canvas_; }

  // ---- source and background images ----------------------------------------
  // Loads a source (background) image; false with a message shown when the
  // file is missing, of an unknown type or damaged (the old image stays).
  bool LoadSourceImage(const std::string& file);
  const SourceImage& sourceImage() const { return source_; }
  bool sourceInUse() const { return source_.loaded() && settings.UseSourceImage; }
  bool loadBackgroundImage(const std::string& file);
  void useCanvasAsBackground();
  void applyBackgroundImage();
  const BackgroundImage& backgroundImage() const { return background_; }
  // The placement rule: the image pixel (column, bottom-up row) for buffer
  // pixel (x, y), or nothing when it falls outside the image.
  std::optional<std::pair<int, int>> backgroundPixelFor(int x, int y) const;

  // ---- picture output ----------------------------------------------------------
  // "Save zorva picture": returns the PNG's path, or nothing after a failure
  // (reported as a message). stemOverride replaces the time-stamped stem.
  std::optional<std::string> buttonSaveImageClick(const std::string& stemOverride = "");
  // The files a save under stem writes, in the order it writes them.
  std::vector<std::string> pictureSetFiles(const std::string& stem) const;
  // Settings, curve and image files read so far: a save never writes over them.
  const ReadFiles& filesRead() const { return filesRead_; }
  // The stem a save made now would take: the save folder (the default folder
  // when SaveDir is not one), the program's base name and the time stamp.
  std::string timeStampedStem();
  std::optional<std::string> BitmapFileToPNG(const std::string& stem);
  std::optional<std::string> SaveSourceImageAsPNG(const std::string& stem);
  void CopyOutZorvaPicture();
  const Bitmap24& pictureSnapshot() const { return snapshot_; }
  static std::string timeStamp();  // yyyymmdd_hh_nn_ss__zzz, local time

 private:
  bool toggle(bool& flag, const char* on, const char* off);
  // Failures reported once per drawing.
  enum Report : int {
    kBadFunction,
    kLissaZero,
    kHuh,
    kNegativeGrain,
    kPixelConversion,
    kBadSize,
    kNotFinite,
    kTooFine
  };
  void reportOnce(Report what, const std::string& text);
  void reportConversionFailures();
  void reportNotFinite(const char* what, int step);
  // The driver's steps 3 to 15 for one step; false when the step is skipped.
  void computeMultiplierValues(double t);
  double multiplierValue(int slot, double t) const;
  bool computeStepValues(int fn, int i, int Steps, const FrameValues& fv);
  // Steps 1 to 8 of a step: false when the step draws nothing.
  bool prepareStep(StepFrame& f);
  void sharePointValues(StepFrame& f) const;
  void drawStepReference(const StepFrame& f, const InkStep& ink, const PixelMapper& pixels);
  PointShapes pointShapes() const;
  std::pair<double, double> mouseInPlane();
  bool stopPending();
  std::optional<std::string> writeSettingsTo(const std::string& path, const std::string& style) const;
  bool keepUnreadableProgramFile();
  template <typename Base>
  void composePicture(const Base* base);
  bool allocate(std::vector<std::uint8_t>& bytes, std::size_t size, const std::string& what);
  void markSlot(int slot, bool marked);
  void resetPointMap();

  Host* host_;
  NullHost nullHost_;
  std::string programFolder_ = "./";
  std::string defaultFolder_ = "./";
  std::string programBaseName_ = "zorva";
  std::string programSettingsFile_;
  bool programFileUnreadable_ = false;  // it exists but could not be read
  InkerKind inker_ = InkerKind::Fast;
  FastInker fast_;
  // Every core, for the work around a drawing (resetting the buffers) when
  // the drawing workers are fewer; made when first needed.
  std::optional<ThreadPool> everyCore_;
  ThreadPool& everyCorePool();
  DrawStats referenceStats_;
  Random random_;

  std::string CurrentStyle = "sine";
  bool IsDrawing = false;
  bool StopRequested = false;
  bool IsAnimating = false;
  double NormalisationDivisor = 0.0;  // set to 1 by every settings read
  bool CurveShown = false;
  bool CurveDrawing = false;
  std::array<std::int32_t, 8> unreadAnimationValues{};  // written, never read
  std::optional<std::int32_t> ScreenMaxLeft, ScreenMaxTop;
  DrawToggles toggles_;
  StepValues step_;
  FrameValues frame_;           // the values of the drawing in progress (or the last one)
  FrameValues animationFrame_;  // the frame the animation set
  bool animationFrameSet_ = false;
  double AnimationPhaseSine = 0;  // kept from the last frame made

  std::array<MultiplierSlot, kMultiplierCount> multiplierSlots_;
  int selectedSlot_ = kPathCurve;
  MouseMode mouseMode_ = MouseMode::SetRotationPoints;
  qCurve ScratchCurve;
  qBezier ScratchBezier;
  qCurve ClipboardCurve;
  bool FreehandDrawn = false;
  bool UseStoredSlot = false;
  int StoredSlot = 0;

  Canvas canvas_;
  Bitmap24 picture_;
  Bitmap24 snapshot_;
  SourceImage source_;
  BackgroundImage background_;
  ReadFiles filesRead_;
  std::uint32_t reported_ = 0;  // failures already reported in this drawing
  ConversionFailures conversionFailures_;
  int startNice_ = 0;
};

}  // namespace zorva
