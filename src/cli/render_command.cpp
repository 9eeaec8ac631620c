#include "cli/render_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "animation/animation.h"
#include "cli/curve_commands.h"
#include "io/paths.h"
#include "render/engine.h"
#include "settings/canvas_size.h"
#include "settings/number_format.h"
#include "settings/settings_file.h"

namespace zorva {
namespace {

constexpr int kExitOk = 0, kExitFile = 1, kExitUsage = 2;

// One options table drives parsing and --help.
struct OptionInfo {
  const char* name;
  const char* shortName;
  const char* argument;  // nullptr for a flag
  const char* help;
};

constexpr OptionInfo kOptions[] = {
    {"--style", nullptr, "NAME", "style section to draw (default: the file's style key, else sine)"},
    {"--set", nullptr, "KEY=VALUE", "set one key after loading, as the settings file would (repeatable)"},
    {"--seed", nullptr, "N", "start state of the random generator (default: from the clock)"},
    {"--stem", nullptr, "PATH",
     "write PATH.png, PATH.ini and PATH_<curve name>.curve\n"
     "(default: a time-stamped stem in the save folder)"},
    {"--out", nullptr, "DIR", "save folder (default: the current folder)"},
    {"--source-image", nullptr, "FILE", "load FILE as the source image before drawing"},
    {"--background-image", nullptr, "FILE", "load FILE as the background image and reset the canvas from it"},
    {"--make-path", nullptr, "SHAPE",
     "fill a curve with a generated path before drawing, as the Path\n"
     "window's \"Make path\" does: hypotrochoid, circle, lissajous or\n"
     "epitrochoid, from the shape's Path* keys, NumberOfPathSteps and\n"
     "PathYOffset"},
    {"--slot", nullptr, "NAME",
     "the curve --make-path fills and --branch grows: its name as the\n"
     "Points window lists it (\"Values - Radius\") or its index 0..31\n"
     "(default: Main - Path curve)"},
    {"--branch", nullptr, nullptr,
     "grow the curve into a tree before drawing, as the Branching\n"
     "window's \"Branch\" does: BranchCopies passes with the Branch*\n"
     "keys; with --seed N pass p starts from state N + p - 1. The\n"
     "branched curve is saved with the picture"},
    {"--outline", nullptr, "IMAGE",
     "make a curve instead of a picture: IMAGE (PNG, JPEG, BMP) on the\n"
     "text curve editor's white 699 x 539 canvas, traced as \"Get\n"
     "Outline\" does with AtcTolerance and AtcSampling. Writes\n"
     "STEM.curve (--stem, else atc_<time stamp>.curve in --out)"},
    {"--lasso", nullptr, "X,Y",
     "with --outline: a lasso press at canvas pixel X,Y instead of\n"
     "\"Get Outline\" (the region of that pixel's brightness)"},
    {"--append-lasso", nullptr, "X,Y",
     "with --outline: then a lasso press with Shift at X,Y, appending\n"
     "its outline (repeatable, in the order given)"},
    {"--preview", nullptr, nullptr, "preview mode"},
    {"--transparent", nullptr, nullptr, "save with the transparency mask (\"Use transparency?\")"},
    {"--threads", nullptr, "N", "number of drawing workers (default: all cores)"},
    {"--inker", nullptr, "KIND",
     "fast (default) or reference: the literal one-point-at-a-time\n"
     "inker, for comparisons; both draw the same picture"},
    {"--animate", nullptr, nullptr,
     "make the frames of an animation (\"Make Frames\"): frame f is saved as\n"
     "STEM_NNNN (f in four digits), its generator starting at N + f - 1"},
    {"--frames", nullptr, "A-B",
     "with --animate: compute frames 1 .. B, draw and save A .. B\n"
     "(default: every frame, 1 .. NumberOfFrames)"},
    {"--animation-offset", nullptr, nullptr, "with --animate: \"Offset?\" (shift each frame along the drawing)"},
    {"--main-path-offset", nullptr, nullptr, "with --animate: \"Use offset?\" of Main Path Usage"},
    {"--summary", nullptr, nullptr,
     "print the style, the number of keys read and the curves held,\n"
     "instead of drawing"},
    {"-q", nullptr, nullptr, nullptr},
    {"--quiet", "-q", nullptr, "no progress output"},
    {"--help", "-h", nullptr, "show this help"},
};

std::string helpText() {
  std::ostringstream out;
  out << "zorva-render: draws a Zorva picture without a window and saves it as \"Save zorva picture\" does.\n\n"
         "Usage: zorva-render [SETTINGS.ini] [options]\n\n"
         "  SETTINGS.ini              settings to draw from: the program's file or a saved copy; the\n"
         "                            companion curve files beside it are loaded as \"Open .ini file\" does.\n"
         "                            Without it every key takes its default.\n";
  for (const OptionInfo& o : kOptions) {
    if (!o.help) continue;
    std::string left = o.shortName ? std::string(o.shortName) + ", " + o.name : o.name;
    if (o.argument) left += std::string(" ") + o.argument;
    std::string help = o.help;
    std::string pad(28, ' ');
    out << "  " << left << std::string(left.size() < 26 ? 26 - left.size() : 1, ' ');
    for (std::size_t at; (at = help.find('\n')) != std::string::npos;) {
      out << help.substr(0, at) << "\n" << pad;
      help.erase(0, at + 1);
    }
    out << help << "\n";
  }
  out << "\nExample: draw the orbit example around a freshly generated circle instead of its own path\n"
         "  zorva-render examples/orbit.ini --make-path circle --set PathCircleBumps=8 --out pictures\n"
         "and a Lissajous figure as the radius curve:\n"
         "  zorva-render examples/orbit.ini --make-path lissajous --slot \"Values - Radius\"\n";
  out << "\nGrow the spiral example's path into a tree of three branches and draw it:\n"
         "  zorva-render examples/spiral.ini --branch --set BranchBranches=3 --seed 7\n"
         "Trace the shapes of a drawing into a curve file:\n"
         "  zorva-render --outline word.png --stem word\n";
  out << "\nThe PNG's path (with --outline the curve file's; with --animate one line per frame as it\n"
         "is saved) is printed on standard output. Exit status: 0 on success, 2 for a usage error, 1\n"
         "when a file cannot be read or written, an animated value is not a number (frames already\n"
         "saved stay) or --branch is refused. The program's own settings file is never written, and\n"
         "no file read (settings, curves, images) is ever written over.\n";
  return out.str();
}

struct Options {
  std::string settingsFile;
  std::optional<std::string> style, stem, out, sourceImage, backgroundImage, inker;
  std::optional<PathShape> makePath;
  std::optional<int> slot;
  bool branch = false;
  std::optional<std::string> outline;
  std::optional<TracePixel> lasso;
  std::vector<TracePixel> appendLassos;
  std::vector<std::string> sets;
  std::optional<std::uint32_t> seed;
  std::optional<int> threads;
  bool preview = false, transparent = false, summary = false, quiet = false, help = false;
  bool animate = false, animationOffset = false, mainPathOffset = false;
  std::optional<std::pair<std::int32_t, std::int32_t>> frames;  // A-B as given
};

struct UsageError {
  std::string text;
};

std::optional<PathShape> shapeByName(const std::string& name) {
  constexpr std::pair<const char*, PathShape> kShapes[] = {{"hypotrochoid", PathShape::Hypotrochoid},
                                                           {"circle", PathShape::Circle},
                                                           {"lissajous", PathShape::Lissajous},
                                                           {"epitrochoid", PathShape::Epitrochoid}};
  for (const auto& [shapeName, shape] : kShapes)
    if (name == shapeName) return shape;
  return std::nullopt;
}

// A value as it can be shown on one line of a message.
std::string shown(const std::string& value) {
  std::string out;
  for (char c : value) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return out;
}

// Names the settings copy will store: one with a line break would break it.
void checkStoredName(const std::string& option, const std::string& value) {
  if (auto problem = settingTextProblem(value)) throw UsageError{option + " \"" + shown(value) + "\": " + *problem};
}

// A stem must end in a file name: "out/", "out/." or an existing folder would
// give hidden files such as out/.png.
bool namesFolder(const std::string& stem) {
  if (stem.empty()) return false;
  const std::string name = std::filesystem::path(stem).filename().string();
  return name.empty() || name == "." || name == ".." || isFolder(stem);
}

// Options that only make sense with another, or never with one.
void checkCombinations(const Options& o) {
  if (o.slot && !o.makePath && !o.branch)
    throw UsageError{"--slot names the curve --make-path fills or --branch grows; give one of them too"};
  if (!o.animate && (o.frames || o.animationOffset || o.mainPathOffset))
    throw UsageError{"--frames, --animation-offset and --main-path-offset need --animate"};
  if ((o.lasso || !o.appendLassos.empty()) && !o.outline)
    throw UsageError{std::string(o.lasso ? "--lasso" : "--append-lasso") +
                     " is a press on the --outline image; give --outline too"};
  if (o.outline) {
    const std::pair<bool, const char*> drawingOnly[] = {{o.branch, "--branch"},
                                                        {o.makePath.has_value(), "--make-path"},
                                                        {o.slot.has_value(), "--slot"},
                                                        {o.sourceImage.has_value(), "--source-image"},
                                                        {o.backgroundImage.has_value(), "--background-image"},
                                                        {o.preview, "--preview"},
                                                        {o.transparent, "--transparent"},
                                                        {o.summary, "--summary"}};
    for (const auto& [given, option] : drawingOnly)
      if (given) throw UsageError{std::string(option) + " belongs to a drawing; --outline makes a curve instead"};
  }
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      if (auto eq = arg.find('='); eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    const OptionInfo* info = nullptr;
    for (const OptionInfo& opt : kOptions)
      if (arg == opt.name || (opt.shortName && arg == opt.shortName)) info = &opt;
    if (!info) {
      if (!arg.empty() && arg[0] == '-' && arg != "-") throw UsageError{"unknown option " + arg};
      if (!o.settingsFile.empty()) throw UsageError{"only one settings file may be given (" + arg + ")"};
      o.settingsFile = arg;
      continue;
    }
    std::string name = info->name;
    if (name == "-q") name = "--quiet";
    std::string value;
    if (info->argument) {
      if (inlineValue) {
        value = *inlineValue;
      } else {
        if (i + 1 >= argc) throw UsageError{name + " needs " + info->argument};
        value = argv[++i];
      }
    } else if (inlineValue) {
      throw UsageError{name + " takes no value"};
    }
    if (name == "--style") {
      if (auto problem = styleNameProblem(value)) throw UsageError{"--style \"" + shown(value) + "\": " + *problem};
      o.style = value;
    } else if (name == "--set")
      o.sets.push_back(value);
    else if (name == "--seed") {
      auto v = parseInt(value);
      std::uint64_t big = 0;
      bool ok = !value.empty() && value.size() <= 10 && value.find_first_not_of("0123456789") == std::string::npos;
      if (ok) big = std::stoull(value);
      if (ok && big <= 0xFFFFFFFFull)
        o.seed = static_cast<std::uint32_t>(big);
      else if (v)
        o.seed = static_cast<std::uint32_t>(*v);
      else
        throw UsageError{"--seed needs a whole number, not \"" + value + "\""};
    } else if (name == "--stem") {
      if (namesFolder(value))
        throw UsageError{"--stem \"" + value + "\" names a folder; a stem starts file names (for example " +
                         "out/picture gives out/picture.png); --out chooses the folder"};
      o.stem = value;
    } else if (name == "--out" || name == "--source-image" || name == "--background-image") {
      checkStoredName(name, value);
      (name == "--out" ? o.out : name == "--source-image" ? o.sourceImage : o.backgroundImage) = value;
    } else if (name == "--threads") {
      auto v = parseInt(value);
      if (!v || *v < 1 || *v > 256) throw UsageError{"--threads needs a number from 1 to 256, not \"" + value + "\""};
      o.threads = *v;
    } else if (name == "--inker") {
      if (value != "fast" && value != "reference")
        throw UsageError{"--inker is fast or reference, not \"" + value + "\""};
      o.inker = value;
    } else if (name == "--make-path") {
      o.makePath = shapeByName(value);
      if (!o.makePath)
        throw UsageError{"--make-path is hypotrochoid, circle, lissajous or epitrochoid, not \"" + value + "\""};
    } else if (name == "--slot") {
      o.slot = slotByName(value);
      if (!o.slot)
        throw UsageError{"--slot needs a curve name such as \"Values - Radius\" or 0..31, not \"" + value + "\""};
    } else if (name == "--frames") {
      const auto dash = value.find('-', 1);
      std::optional<std::int32_t> a, b;
      if (dash != std::string::npos) {
        a = parseInt(value.substr(0, dash));
        b = parseInt(value.substr(dash + 1));
      }
      if (!a || !b || value.find_first_not_of("0123456789-") != std::string::npos)
        throw UsageError{"--frames needs a range A-B of frame numbers, not \"" + value + "\""};
      o.frames = {*a, *b};
    } else if (name == "--animate")
      o.animate = true;
    else if (name == "--animation-offset")
      o.animationOffset = true;
    else if (name == "--main-path-offset")
      o.mainPathOffset = true;
    else if (name == "--branch")
      o.branch = true;
    else if (name == "--outline")
      o.outline = value;
    else if (name == "--lasso" || name == "--append-lasso") {
      const std::optional<TracePixel> at = parseCanvasPixel(value);
      if (!at)
        throw UsageError{name + " needs X,Y: a pixel of the " + std::to_string(kAtcCanvasWidth) + " x " +
                         std::to_string(kAtcCanvasHeight) + " canvas, not \"" + value + "\""};
      if (name == "--lasso")
        o.lasso = at;
      else
        o.appendLassos.push_back(*at);
    } else if (name == "--preview")
      o.preview = true;
    else if (name == "--transparent")
      o.transparent = true;
    else if (name == "--summary")
      o.summary = true;
    else if (name == "--quiet")
      o.quiet = true;
    else if (name == "--help")
      o.help = true;
  }
  checkCombinations(o);
  return o;
}

// "2h05m", "3m20s", "12s".
std::string formatDuration(double s) {
  if (!(s < 3.6e9)) return "more than a million hours";
  const long long total = static_cast<long long>(std::ceil(std::max(0.0, s)));
  char buf[32];
  if (total >= 3600)
    std::snprintf(buf, sizeof buf, "%lldh%02lldm", total / 3600, (total / 60) % 60);
  else if (total >= 60)
    std::snprintf(buf, sizeof buf, "%lldm%02llds", total / 60, total % 60);
  else
    std::snprintf(buf, sizeof buf, "%llds", total);
  return buf;
}

// Messages go to standard error; progress is a bar on a terminal.
class TerminalHost : public Host {
 public:
  TerminalHost(bool showProgress) : showProgress_(showProgress) {}

  MessageAnswer message(const std::string& text, MessageKind kind) override {
    endProgressLine();
    std::string oneLine = text;
    for (char& c : oneLine)
      if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "zorva-render: " << oneLine << "\n";
    ++messages_;
    return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
  }
  void progressRange(int max) override {
    max_ = max;
    start_ = std::chrono::steady_clock::now();
    lastDraw_ = {};
  }
  void progressPosition(int position) override {
    if (!showProgress_ || max_ <= 0 || position <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (position < max_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? position / seconds : 0;
    const double left = rate > 0 ? (max_ - position) / rate : 0;
    const int width = 30;
    const int filled = static_cast<int>(static_cast<long long>(width) * position / max_);
    char line[240];
    std::snprintf(line, sizeof line, "\r%s[%s%s] %d/%d steps  %.1f steps/s  %s left ", framePrefix_.c_str(),
                  std::string(static_cast<std::size_t>(filled), '#').c_str(),
                  std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), position, max_, rate,
                  formatDuration(left).c_str());
    std::cerr << line << std::flush;
    lineOpen_ = true;
  }
  // While frames are made the progress line names the frame.
  void setFrame(std::int32_t frame, std::int32_t frames) {
    framePrefix_ = "frame " + std::to_string(frame) + "/" + std::to_string(frames) + " ";
  }
  void endProgressLine() {
    if (lineOpen_) std::cerr << "\n";
    lineOpen_ = false;
  }
  int messages() const { return messages_; }
  // Nobody sees the picture before it is saved.
  bool showsPicture() override { return false; }

 private:
  bool showProgress_;
  std::string framePrefix_;
  int max_ = 0;
  std::chrono::steady_clock::time_point start_, lastDraw_;
  bool lineOpen_ = false;
  int messages_ = 0;
};

void printSummary(const Engine& engine, int keysRead) {
  std::cout << "style: " << engine.currentStyle() << "\n";
  std::cout << "keys read: " << keysRead << "\n";
  int held = 0;
  for (int i = 0; i < kMultiplierCount; ++i) {
    const auto& slot = engine.multiplierSlot(i);
    if (slot.curve.GetLength() == 0) continue;
    std::cout << "curve " << i << " " << slot.name << ": " << slot.curve.GetLength() << " points\n";
    ++held;
  }
  if (held == 0) std::cout << "curves: none\n";
}

// The --set assignments in order, as the settings file would take them;
// false after the first that cannot be taken (said on standard error).
bool applySets(Settings& settings, const std::vector<std::string>& sets) {
  for (const std::string& assignment : sets) {
    const auto eq = assignment.find('=');
    const KeyInfo* key = eq == std::string::npos ? nullptr : findKey(assignment.substr(0, eq));
    if (!key) {
      std::cerr << "zorva-render: --set " << shown(assignment) << ": "
                << (eq == std::string::npos ? "needs KEY=VALUE"
                                            : "unknown key \"" + shown(assignment.substr(0, eq)) + "\"")
                << "\n";
      return false;
    }
    const std::string value = assignment.substr(eq + 1);
    if (auto problem = settingTextProblem(value)) {
      std::cerr << "zorva-render: --set " << shown(assignment) << ": " << *problem << "\n";
      return false;
    }
    if (!setFromText(settings, *key, value)) {
      std::cerr << "zorva-render: --set " << shown(assignment) << ": not a valid value for " << key->key << "\n";
      return false;
    }
  }
  return true;
}

// The frames to draw, A .. B: --frames, else every frame; a usage error
// when they are not 1 <= A <= B <= F.
std::optional<std::pair<std::int32_t, std::int32_t>> frameRange(const Engine& engine, const Options& options) {
  const std::int32_t frames = frameCount(engine.settings.NumberOfFrames);
  const auto range = options.frames.value_or(std::pair<std::int32_t, std::int32_t>{1, frames});
  const auto [first, last] = range;
  if (first >= 1 && first <= last && last <= frames) return range;
  std::cerr << "zorva-render: --frames " << first << "-" << last << " is not a range within the " << frames << " frame"
            << (frames == 1 ? "" : "s") << " of these settings (1 <= A <= B <= " << frames
            << ")\nTry 'zorva-render --help'.\n";
  return std::nullopt;
}

// --animate: the frames A .. B of NumberOfFrames, each a full picture set
// STEM_NNNN drawn from a cleared buffer with the generator at N + f - 1.
int animate(Engine& engine, TerminalHost& host, const Options& options, std::uint32_t seed) {
  const std::int32_t frames = frameCount(engine.settings.NumberOfFrames);
  const auto [first, last] = *frameRange(engine, options);
  Animation animation(engine);
  animation.controls.startFrame = first;
  animation.controls.offsetChecked = options.animationOffset;
  animation.controls.useOffset = options.mainPathOffset;
  animation.onFrame = [&](std::int32_t f) { host.setFrame(f, frames); };
  animation.onSaved = [&](std::int32_t, const std::string& png) {
    host.endProgressLine();
    std::cout << png << std::endl;
  };
  FrameRun run;
  run.frames = frames;
  run.lastFrame = last;
  run.stem = options.stem ? *options.stem : engine.timeStampedStem();
  run.seed = seed;
  run.endOnSaveFailure = true;
  const FramesMade made = animation.makeFrames(run);
  host.endProgressLine();
  return made.error ? kExitFile : kExitOk;
}

// Reads the settings file (or the program's defaults) and the companion
// curves beside it; an exit status when that fails, else 0.
int loadSettings(Engine& engine, TerminalHost& host, const Options& options, int& keysRead) {
  if (options.settingsFile.empty()) {
    if (options.style) engine.setCurrentStyle(*options.style);
    keysRead = engine.ReadIniFile(engine.currentStyle(), "");
    return 0;
  }
  const std::string& file = options.settingsFile;
  if (!isFile(file) || access(file.c_str(), R_OK) != 0) {
    std::cerr << "zorva-render: cannot read settings file \"" << file << "\"\n";
    return kExitFile;
  }
  engine.setCurrentStyle(options.style ? *options.style : engine.ReadIniCurrentStyle(file));
  const int before = host.messages();
  keysRead = engine.ReadIniFile(engine.currentStyle(), file);
  if (host.messages() != before) return kExitFile;
  if (!engine.loadCompanionCurves(file)) return kExitFile;
  return 0;
}

// A drawing of more than a minute says so before it starts; frames count as
// one drawing each.
void sayEstimate(const Engine& engine, const Options& options) {
  const WorkEstimate work = engine.estimateWork();
  int drawings = 1;
  if (options.animate) {
    const auto [first, last] = *frameRange(engine, options);
    drawings = last - first + 1;
  }
  const double seconds = work.seconds(engine.threads()) * drawings;
  if (seconds <= 60) return;
  char line[240];
  if (drawings == 1)
    std::snprintf(line, sizeof line, "this drawing inks about %.2g pixels from %.2g points in %.0f steps",
                  work.pixelUpdates, work.points, work.steps);
  else
    std::snprintf(line, sizeof line, "each of these %d frames inks about %.2g pixels from %.2g points in %.0f steps",
                  drawings, work.pixelUpdates, work.points, work.steps);
  std::cerr << "zorva-render: " << line << ": about " << formatDuration(seconds) << " on " << engine.threads()
            << (engine.threads() == 1 ? " thread" : " threads") << "\n";
}

}  // namespace

int runRenderCommand(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "zorva-render: " << e.text << "\nTry 'zorva-render --help'.\n";
    return kExitUsage;
  }
  if (options.help) {
    std::cout << helpText();
    return kExitOk;
  }

  TerminalHost host(!options.quiet && isatty(STDERR_FILENO));
  Engine engine(&host);
  engine.setProgramPath(argc > 0 ? argv[0] : "zorva-render");
  engine.setProgramSettingsFile("");  // never written from here
  if (options.threads) engine.setThreads(*options.threads);
  if (options.inker) engine.setInker(*options.inker == "reference" ? InkerKind::Reference : InkerKind::Fast);

  // Settings and their companion curves.
  int keysRead = 0;
  if (const int failed = loadSettings(engine, host, options, keysRead)) return failed;
  if (!applySets(engine.settings, options.sets)) return kExitUsage;
  if (options.makePath) {
    const PathResult made = engine.makeSlotPath(options.slot.value_or(kPathCurve), *options.makePath);
    if (made.outcome == PathResult::Outcome::Failed) {
      std::cerr << "zorva-render: " << made.message << "\n";
      return kExitUsage;
    }
  }
  if (options.animate && !frameRange(engine, options)) return kExitUsage;
  // The curve grows before anything looks at it; the drawing's generator is
  // seeded afresh afterwards.
  if (options.branch && !branchSlot(engine, options.slot.value_or(kPathCurve), options.seed, options.quiet))
    return kExitFile;
  if (options.summary) {
    printSummary(engine, keysRead);
    return kExitOk;
  }
  if (!canvasSizeFits(engine.settings.ImageWidth, engine.settings.ImageHeight)) {
    std::cerr << "zorva-render: a picture of " << engine.settings.ImageWidth << " x " << engine.settings.ImageHeight
              << " pixels: " << canvasSizeMessage() << "\n";
    bool fromSet = false;
    for (const std::string& assignment : options.sets)
      if (const KeyInfo* key = findKey(assignment.substr(0, assignment.find('='))))
        fromSet = fromSet || key->key == "ImageWidth" || key->key == "ImageHeight";
    return fromSet ? kExitUsage : kExitFile;
  }

  // Where the pictures go.
  std::string out = options.out ? *options.out : ".";
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!isFolder(out)) {
    std::cerr << "zorva-render: cannot use \"" << out << "\" as the save folder\n";
    return kExitFile;
  }
  engine.settings.SaveDir = std::filesystem::absolute(out, ec).string();
  if (options.stem) {
    const auto parent = std::filesystem::path(*options.stem).parent_path();
    if (!parent.empty() && !isFolder(parent.string())) {
      std::cerr << "zorva-render: the folder of --stem \"" << *options.stem << "\" does not exist\n";
      return kExitFile;
    }
  }

  if (options.outline)
    return runOutline({*options.outline, options.lasso, options.appendLassos,
                       options.stem ? *options.stem + ".curve"
                                    : joinPath(engine.settings.SaveDir, "atc_" + Engine::timeStamp() + ".curve")},
                      engine.settings);

  const std::uint32_t seed = options.seed ? *options.seed : Random::clockSeed();
  engine.random().seed(seed);
  if (options.sourceImage && !engine.LoadSourceImage(*options.sourceImage)) return kExitFile;
  if (options.backgroundImage) {
    engine.settings.UseBackgroundImage = true;
    if (!engine.loadBackgroundImage(*options.backgroundImage)) return kExitFile;
  }
  if (options.preview) engine.togglePreview();
  if (options.transparent) engine.toggleTransparency();
  // Known before drawing, so a long drawing is not made only to be refused.
  if (options.stem)
    if (auto clash = engine.filesRead().firstClash(engine.pictureSetFiles(*options.stem))) {
      std::cerr << "zorva-render: " << readFileClashMessage(*clash) << "; choose another --stem\n";
      return kExitFile;
    }

  engine.ClearPicture();
  sayEstimate(engine, options);
  if (options.animate) return animate(engine, host, options, seed);
  const auto started = std::chrono::steady_clock::now();
  engine.DrawOrStop();
  host.endProgressLine();
  // For benchmark scripts: how much work the drawing was.
  if (std::getenv("ZORVA_STATS"))
    std::cerr << "zorva-render: drew " << engine.stats().points << " points, " << engine.stats().pixelUpdates
              << " pixel updates in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() << " s\n";
  auto png = engine.buttonSaveImageClick(options.stem ? *options.stem : "");
  if (!png) return kExitFile;
  std::cout << *png << std::endl;
  return kExitOk;
}

}  // namespace zorva
