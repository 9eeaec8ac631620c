// The engine: everything a Zorva window or command needs, with no user
// interface of its own. It owns, for its whole life, the settings record and
// working state, the 32 multiplier slots, the accumulation buffer and its
// companion arrays, the picture bitmap, the source and background images and
// the picture snapshot. It talks to its surroundings only through a Host.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "curves/curve.h"
#include "curves/multiplier_slots.h"
#include "render/canvas.h"
#include "render/host.h"
#include "base/random.h"
#include "io/read_files.h"
#include "settings/settings.h"

namespace zorva {

// Per-frame values of the animation; all zero outside an animation run.
struct AnimationFrame {
  double AnimationPhase = 0, AnimationPhaseSine = 0, AnimationOffsetFraction = 0;
  bool useOffset = false;                       // "Use offset?" of the main path usage
  double mainPathStart = 0, mainPathEnd = 100;  // percent
  double startRockAngle = 0, endRockAngle = 0, rockAmount = 0;
  // Current start/end values replacing the settings while animating.
  double startRadius = 0, endRadius = 0, startBumps = 0, endBumps = 0;
  double startDepth = 0, endDepth = 0, startAngle = 0, endAngle = 0;
  double startX = 1, endX = 1, startY = 1, endY = 1;
  double startDisplacementX = 0, startDisplacementY = 0, endDisplacementX = 0, endDisplacementY = 0;
  double rotateAX = 0, rotateAY = 0, rotateBX = 0, rotateBY = 0;
  // The nine animated offsets, start and end: repeat per step, repeat overall,
  // offset per step, offset overall, translation x, y, rotation centre x, y,
  // rotation angle (degrees).
  std::array<double, 9> offsetStart{}, offsetEnd{};
};

// Values the driver works out for every step (read by geometry and inking).
struct StepValues {
  double functionX = 1, functionY = 1;  // x and y factor of the function
  double functionValueX = 1, functionValueY = 1, lissa = 1;
  double displacementX = 0, displacementY = 0;
  double CurrentSourceThetaRepeat = 1, CurrentSourceStepRepeat = 1;
  double translationX = 0, translationY = 0, rotationCentreX = 0, rotationCentreY = 0, rotationAngle = 0;
  double CurrentSplodgeLimit = 2, CurrentFuzzy = 1, CurrentSplodgeCenter = 0;
  double RockerA = 0.25, RockerB = 0.25;
  std::array<double, 9> animatedOffsets{};  // current values of the nine animated offsets
};

// Source image: h rows of w + 1 pixels (the extra column repeats column 0)
// plus a repeated row, addressed bottom-up; RGB bytes.
struct SourceImage {
  int h = -1, w = -2;  // "none" marks until an image is loaded
  std::vector<std::uint8_t> rgb;  // (h + 1) rows of (w + 1) pixels, row 0 = bottom image row
  bool loaded() const { return h > 0; }
  const std::uint8_t* entry(int row, int column) const {
    return rgb.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(w + 1) + static_cast<std::size_t>(column)) * 3;
  }
};

// Background image: h rows of w pixels, RGB, row 0 = bottom image row.
struct BackgroundImage {
  int h = -1, w = -2;
  std::vector<std::uint8_t> rgb;
  bool present() const { return h >= 1; }
  const std::uint8_t* pixel(int row, int column) const {
    return rgb.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + static_cast<std::size_t>(column)) * 3;
  }
};

enum class InkerKind { Fast, Reference };

// When the fast path splits work between threads. Tests shrink these to
// exercise every branch on small pictures.
struct FastTuning {
  int chunk = 8192;                  // points computed and inked together
  int parallelPoints = 1024;         // fewer points are computed on one thread
  long long parallelUpdates = 40000; // fewer pixel updates are inked on one thread
};

class ThreadPool;
struct StepFrame;
struct InkRules;

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
  void setThreads(int threads);
  int threads() const { return threads_; }
  void setInker(InkerKind kind) { inker_ = kind; }
  InkerKind inker() const { return inker_; }
  FastTuning tuning;
  // Work done by the last drawing (for benchmarks and the stats line).
  struct DrawStats {
    std::uint64_t points = 0;        // points inked
    std::uint64_t pixelUpdates = 0;  // pixels those points inked
  } stats;
  Random& random() { return random_; }

  // Start-up: seed from the clock, read the program settings file, size the
  // buffers and fill the picture with the background, status "Hello".
  void startUp();

  // ---- the settings record and working state -------------------------------
  Settings settings;
  std::string CurrentStyle = "sine";
  bool IsDrawing = false;
  bool StopRequested = false;
  bool IsAnimating = false;
  double CurrentScale = 2.0;
  std::array<double, kMultiplierCount> MultiplierValues{};
  std::array<double, 3> StepColor{};
  std::array<double, 3> StepAmount{};
  StepValues step;
  AnimationFrame animation;
  double ZFactor = 1.0;
  double DimmerFactor = 1.0;
  double NormalisationDivisor = 0.0;  // set to 1 by every settings read
  bool CurveShown = false;
  bool CurveDrawing = false;
  std::array<std::int32_t, 8> unreadAnimationValues{};  // written, never read
  std::optional<std::int32_t> ScreenMaxLeft, ScreenMaxTop;

  // Per-step menu toggles (not stored).
  bool DrawEachStep = false, SaveEachStep = false, ClearEachStep = false, Preview = false;
  bool BelowNormalPriority = false;
  bool UseTransparency = false;
  bool UseArctan2 = false;  // the Function window's "Use arctan2?"

  // Observers for tests and tools: called when a step is handed to the step
  // geometry, and for every point the reference path inks.
  std::function<void(int step)> onStep;
  std::function<void(int step, int k, double x, double y)> onPoint;

  // ---- multiplier slots ----------------------------------------------------
  std::array<MultiplierSlot, kMultiplierCount> multiplierSlots;
  int selectedSlot = -1;  // the Points window's chooser; -1 when none
  qCurve ScratchCurve;    // working curve of the curve editing
  qBezier ScratchBezier;
  bool UseStoredSlot = false;
  int StoredSlot = 0;
  // Rebuilds a working Bezier: 999 = the current slot (StoredSlot while
  // UseStoredSlot, else the selected slot), 666 = ScratchBezier from
  // ScratchCurve. Both are built around the curve's centre when the current
  // slot is the start or the end curve.
  void SetUpBezier(int target);
  // Every slot copied to its undo curve and emptied; the picture refreshed.
  void resetAllCurves();
  // Loads slot i from a curve file and sets up its Bezier; returns the
  // message of a failure (also shown through the host).
  std::optional<std::string> loadSlotCurve(int slot, const std::string& file);

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
  void DrawOrStop();
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

  // ---- drawing plane ---------------------------------------------------------
  int W() const { return canvas_.W; }
  int H() const { return canvas_.H; }
  static double rotatePointByIota(char axis, double px, double py, double cx, double cy, double angle);
  int getPixelFromReal(char axis, double v);
  bool pixelOnCanvas(int column, int row) const { return column >= 0 && column < canvas_.W && row >= 0 && row < canvas_.H; }
  static double getDistanceOfPoint(double x, double y);
  double ConvertXtoXCoord(double column) const;
  double ConvertYtoYCoord(double row) const;
  qCoord ConvertMouseToCoord(double column, double row) const;
  int getXMouse();
  int getYMouse();
  bool SetImageDimensions();

  // ---- inking (one point) --------------------------------------------------
  void addColorToPixels(int step, int steps, double x, double y, double size, int pointIndex, int pointCount);
  void addColorToPixels246(int step, int steps, double x, double y, double size, int pointIndex, int pointCount);
  // The alternative colouring's vector for one inked pixel.
  std::array<double, 3> alternativeColor(int step, int steps, int k, int N, double x, double y, double w) const;
  // The source image's colour vector for one inked pixel (divisor q).
  std::array<double, 3> sourceSample(int step, int steps, int k, int N, double w, double q) const;
  bool sourceInUse() const { return source_.loaded() && settings.UseSourceImage; }

  // ---- composition -----------------------------------------------------------
  void MakeBitmap();
  void MakePictureBlack();
  void drawArrayOnImage();
  // Alpha of one picture pixel for transparent saves.
  static std::uint8_t transparencyAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool white, std::int32_t opacity);
  const Bitmap24& picture() const { return picture_; }
  Canvas& canvas() { return canvas_; }
  const Canvas& canvas() const { return canvas_; }

  // ---- source and background images ----------------------------------------
  // Loads a source (background) image; false with a message shown when the
  // file is missing, of an unknown type or damaged (the old image stays).
  bool LoadSourceImage(const std::string& file);
  const SourceImage& sourceImage() const { return source_; }
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
  std::optional<std::string> BitmapFileToPNG(const std::string& stem);
  std::optional<std::string> SaveSourceImageAsPNG(const std::string& stem);
  void CopyOutZorvaPicture();
  const Bitmap24& pictureSnapshot() const { return snapshot_; }
  static std::string timeStamp();  // yyyymmdd_hh_nn_ss__zzz, local time

 private:
  bool toggle(bool& flag, const char* on, const char* off);
  // Failures reported once per drawing.
  enum Report : int { kBadFunction, kLissaZero, kHuh, kNegativeGrain, kPixelConversion, kBadSize };
  void reportOnce(Report what, const std::string& text);
  void pixelConversionFailure(double numerator, double twoS);
  void computeMultiplierValues(double t);
  // Steps 1 to 8 of a step: false when the step draws nothing.
  bool prepareStep(StepFrame& f);
  void drawStepFast(StepFrame& f);
  bool buildRing(const StepFrame& f);
  InkRules inkRules(int stepIndex, int steps, bool old246) const;
  bool inkWithFactors(int px, int py, std::array<double, 3> col, const InkRules& rules);
  std::array<double, 3> sourceTerm(int stepIndex, int steps, int k, int N) const;
  std::optional<std::string> writeSettingsTo(const std::string& path, const std::string& style) const;

  Host* host_;
  NullHost nullHost_;
  std::string programFolder_ = "./";
  std::string defaultFolder_ = "./";
  std::string programBaseName_ = "zorva";
  std::string programSettingsFile_;
  int threads_ = 1;
  InkerKind inker_ = InkerKind::Fast;
  std::unique_ptr<ThreadPool> pool_;
  Random random_;
  Canvas canvas_;
  Bitmap24 picture_;
  Bitmap24 snapshot_;
  SourceImage source_;
  BackgroundImage background_;
  ReadFiles filesRead_;
  std::uint32_t reported_ = 0;  // failures already reported in this drawing
  bool inkFailed_ = false;  // the last inked point hit an arithmetic failure
  std::atomic<bool> pixelConversionFailed_{false};
  std::string pixelConversionError_;
  int startNice_ = 0;

  // Scratch of the fast path, kept between steps so the step loop allocates nothing.
  struct FastScratch;
  std::unique_ptr<FastScratch> scratch_;
};

}  // namespace zorva
