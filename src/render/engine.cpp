#include "render/engine.h"

#include <filesystem>
#include <sys/resource.h>
#include <thread>

#include "io/paths.h"
#include "settings/settings_file.h"

namespace zorva {

Engine::Engine(Host* host) : host_(host ? host : &nullHost_), fast_(0), random_(Random::clockSeed()) {
  for (int i = 0; i < kMultiplierCount; ++i) multiplierSlots_[static_cast<std::size_t>(i)].name = quotedSlotName(i);
  errno = 0;
  startNice_ = getpriority(PRIO_PROCESS, 0);
  step_.CurrentScale = settings.StartScale / 100.0;
}

Engine::~Engine() = default;

void Engine::setHost(Host* host) { host_ = host ? host : &nullHost_; }

void Engine::setProgramPath(const std::string& path) {
  std::filesystem::path p(path);
  std::error_code ec;
  auto absolute = std::filesystem::absolute(p, ec);
  if (!ec) p = absolute;
  programBaseName_ = p.stem().string();
  std::string folder = p.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  programFolder_ = folder;
  defaultFolder_ = folder;
}

void Engine::setDefaultFolder(const std::string& folder) {
  defaultFolder_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

DrawStats Engine::stats() const {
  DrawStats total = fast_.stats();
  total.points += referenceStats_.points;
  total.pixelUpdates += referenceStats_.pixelUpdates;
  return total;
}

void Engine::startUp() {
  random_.seed(Random::clockSeed());
  CurrentStyle = ReadIniCurrentStyle();
  ReadIniFile(CurrentStyle);
  step_.MultiplierValues.fill(1.0);
  step_.CurrentScale = settings.StartScale / 100.0;
  IsDrawing = false;
  StopRequested = false;
  SetImageDimensions();
  MakePictureBlack();
  host_->status("Hello");
}

void Engine::reportOnce(Report what, const std::string& text) {
  const std::uint32_t bit = 1u << what;
  if (reported_ & bit) return;
  reported_ |= bit;
  host_->message(text, MessageKind::Warning);
}

void Engine::reportConversionFailures() {
  std::string error;
  if (conversionFailures_.take(error))
    reportOnce(kPixelConversion, error + " (a point could not be placed on the picture; such points were left out)");
}

// An arithmetic failure of a step's values: the step is skipped.
void Engine::reportNotFinite(const char* what, int step) {
  reportOnce(kNotFinite, std::string("The ") + what + " of step " + std::to_string(step) +
                             " is not a finite number (a setting or a multiplier curve is too large for it); such "
                             "steps were skipped.");
}

// ---- animation ------------------------------------------------------------------

void Engine::beginAnimation() {
  IsAnimating = true;
  StopRequested = false;
}

void Engine::setAnimationFrame(const FrameValues& frame) {
  animationFrame_ = frame;
  animationFrameSet_ = true;
  AnimationPhaseSine = frame.AnimationPhaseSine;
}

void Engine::endAnimation() {
  IsAnimating = false;
  animationFrame_.AnimationPhase = 0;
  animationFrame_.AnimationOffsetFraction = 0;
}

// ---- multiplier slots ---------------------------------------------------------

void Engine::SetUpBezier(int target) {
  if (target != 999 && target != 666) {
    host_->message("There is a problem with the bezier being set up. (" + std::to_string(target) + ")",
                   MessageKind::Error);
    return;
  }
  const int slot = UseStoredSlot ? StoredSlot : selectedSlot_;
  const bool aroundCentre = slot == kStartCurve || slot == kEndCurve;
  FreehandDrawn = false;
  if (target == 666) {
    buildBezier(ScratchBezier, ScratchCurve, aroundCentre);
    return;
  }
  if (slot < 0 || slot >= kMultiplierCount) return;
  auto& s = multiplierSlots_[static_cast<std::size_t>(slot)];
  buildBezier(s.bezier, s.curve, aroundCentre);
}

void Engine::useStoredSlot(std::optional<int> slot) {
  UseStoredSlot = slot.has_value();
  if (slot) StoredSlot = *slot;
}

void Engine::setSlotCurve(int slot, const qCurve& curve) {
  if (slot < 0 || slot >= kMultiplierCount) return;
  qCurve::CopyCurve(curve, multiplierSlots_[static_cast<std::size_t>(slot)].curve);
  const bool stored = UseStoredSlot;
  const int storedSlot = StoredSlot;
  useStoredSlot(slot);
  SetUpBezier(999);
  UseStoredSlot = stored;
  StoredSlot = storedSlot;
  host_->curveSlotChanged(slot);
}

void Engine::resetAllCurves() {
  for (int i = 0; i < kMultiplierCount; ++i) {
    auto& s = multiplierSlots_[static_cast<std::size_t>(i)];
    qCurve::CopyCurve(s.curve, s.undo);
    s.curve.Empty();
    markSlot(i, false);
  }
  MakePictureBlack();
  host_->status("All curves (excluding clipboard) reset.");
}

std::optional<std::string> Engine::loadSlotCurve(int slot, const std::string& file) {
  if (slot < 0 || slot >= kMultiplierCount || !isFile(file)) return std::nullopt;
  filesRead_.add(file);
  // Read aside: a file that is no curve leaves the slot as it was.
  qCurve curve;
  if (auto message = curve.Load(file)) {
    host_->message(*message, MessageKind::Error);
    return message;
  }
  setSlotCurve(slot, curve);
  if (curve.GetLength() > 0) markSlot(slot, true);
  return std::nullopt;
}

// ---- settings file ----------------------------------------------------------------

std::string Engine::ReadIniCurrentStyle(const std::string& file) const {
  return zorva::ReadIniCurrentStyle(file.empty() ? programSettingsFile_ : file);
}

int Engine::ReadIniFile(const std::string& style, const std::string& file) {
  const std::string& path = file.empty() ? programSettingsFile_ : file;
  if (auto screen = host_->screenSize()) {
    ScreenMaxLeft = screen->first - 50;
    ScreenMaxTop = screen->second - 50;
  }
  filesRead_.add(path);
  ReadReport report = readSettingsFile(settings, path, style, defaultFolder_);
  if (report.error) host_->message(*report.error, MessageKind::Warning);
  if (path == programSettingsFile_) programFileUnreadable_ = report.error.has_value();
  clampPlacements(settings, ScreenMaxLeft, ScreenMaxTop);
  NormalisationDivisor = 1.0;
  host_->settingsLoaded();
  return report.keysRead;
}

std::optional<std::string> Engine::writeSettingsCopy(const std::string& path) const {
  return writeSettingsTo(path, CurrentStyle);
}

std::optional<std::string> Engine::writeSettingsTo(const std::string& path, const std::string& style) const {
  // The option windows' live placement wins over the record's copy.
  Settings copy = settings;
  for (int w = 0; w < kWindowCount; ++w)
    if (auto placement = host_->windowPlacement(static_cast<Window>(w)))
      copy.Windows[static_cast<std::size_t>(w)] = *placement;
  WriteExtras extras;
  extras.currentStyle = CurrentStyle;
  extras.normalisationDivisor = NormalisationDivisor;
  extras.unreadAnimationValues = unreadAnimationValues;
  extras.maximized = host_->isMaximized();
  // Only the program's own file keeps what it held; a copy is written afresh.
  return writeSettingsFile(copy, path, style, extras, path == programSettingsFile_);
}

// A program settings file that exists but could not be read is the user's
// all the same: before the first write it is kept under another name.
bool Engine::keepUnreadableProgramFile() {
  if (!programFileUnreadable_) return true;
  std::string aside = programSettingsFile_ + ".unreadable";
  std::error_code ec;
  for (int n = 1; std::filesystem::exists(aside, ec); ++n)
    aside = programSettingsFile_ + ".unreadable." + std::to_string(n);
  std::filesystem::rename(programSettingsFile_, aside, ec);
  if (ec) {
    host_->message("The settings file \"" + programSettingsFile_ +
                       "\" could not be read, and it could not be kept aside (" + ec.message() +
                       "); it was not written over.",
                   MessageKind::Warning);
    return false;
  }
  programFileUnreadable_ = false;
  host_->message("The settings file \"" + programSettingsFile_ + "\" could not be read; it was kept as \"" + aside +
                     "\" and a new one was written.",
                 MessageKind::Information);
  return true;
}

void Engine::WriteIniFile(const std::string& style, const std::string& suffix) {
  std::string path;
  if (suffix.empty()) {
    if (programSettingsFile_.empty() || !keepUnreadableProgramFile()) return;
    path = programSettingsFile_;
  } else {
    if (!isFolder(settings.SaveDir)) settings.SaveDir = defaultFolder_;
    path = joinPath(settings.SaveDir, programBaseName_ + suffix + ".ini");
  }
  if (auto error = writeSettingsTo(path, style)) host_->message(*error, MessageKind::Warning);
}

void Engine::WriteIniCurrentStyle() {
  if (programSettingsFile_.empty() || !keepUnreadableProgramFile()) return;
  if (auto error = writeCurrentStyle(programSettingsFile_, CurrentStyle)) host_->message(*error, MessageKind::Warning);
}

void Engine::StyleChanger(const std::string& name) {
  WriteIniFile(CurrentStyle);
  CurrentStyle = name;
  ReadIniFile(name);
  WriteIniCurrentStyle();
}

std::string Engine::companionCurveName(const std::string& iniFileName, int slot) {
  std::string name = std::filesystem::path(iniFileName).filename().string();
  for (std::size_t at; (at = name.find(".ini")) != std::string::npos;) name.erase(at, 4);
  name += "_";
  name += quotedSlotName(slot);
  return curveFileName(name + ".curve");
}

bool Engine::loadCompanionCurves(const std::string& iniFile) {
  std::filesystem::path folder = std::filesystem::path(iniFile).parent_path();
  if (folder.empty()) folder = ".";
  bool allRead = true;
  for (int i = 0; i < kMultiplierCount; ++i) {
    const std::string curveFile = joinPath(folder.string(), companionCurveName(iniFile, i));
    if (isFile(curveFile) && loadSlotCurve(i, curveFile)) allRead = false;
  }
  return allRead;
}

int Engine::openIniFile(const std::string& file) {
  CurrentStyle = ReadIniCurrentStyle(file);
  const int keys = ReadIniFile(CurrentStyle, file);
  host_->status("Loaded " + file);
  std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (folder.empty()) folder = ".";
  settings.LoadDir = folder.string() + "/";
  resetAllCurves();
  loadCompanionCurves(file);
  // Resetting the curves put its own text in the status bar; say what was loaded.
  host_->status("Loaded " + file);
  return keys;
}

// ---- toggles ------------------------------------------------------------------------

bool Engine::toggle(bool& flag, const char* on, const char* off) {
  flag = !flag;
  host_->status(flag ? on : off);
  return flag;
}

bool Engine::toggleDrawEachStep() {
  return toggle(toggles_.drawEachStep, "Displaying each step as it is calculated",
                "Not displaying each step as it is calculated");
}

bool Engine::toggleSaveEachStep() {
  return toggle(toggles_.saveEachStep, "Saving each step as it is calculated",
                "Not saving each step as it is calculated");
}

bool Engine::toggleClearEachStep() {
  return toggle(toggles_.clearEachStep, "Clearing each step as it is calculated",
                "Not clearing each step as it is calculated");
}

bool Engine::togglePreview() {
  return toggle(toggles_.preview, "Drawing in preview mode", "Not drawing in preview mode");
}

bool Engine::toggleBelowNormalPriority() {
  bool& below = toggles_.belowNormalPriority;
  below = !below;
  // "Normal" is the niceness the program started with. Going back up may need
  // privileges an ordinary user lacks; the request is then simply refused.
  // On Linux niceness belongs to each thread, so every thread is told.
  const int nice = below ? std::max(startNice_, 10) : startNice_;
  std::error_code ec;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    const std::string tid = task.path().filename().string();
    setpriority(PRIO_PROCESS, static_cast<id_t>(std::stoul(tid)), nice);
    any = true;
  }
  if (!any) setpriority(PRIO_PROCESS, 0, nice);
  return below;
}

bool Engine::toggleTransparency() { return toggle(toggles_.useTransparency, "", ""); }

}  // namespace zorva
