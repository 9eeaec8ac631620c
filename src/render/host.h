// What the engine asks of its surroundings. The desktop program, the
// command line and the tests each provide one; every call has a harmless
// default so a host implements only what it has.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "base/zeroed_memory.h"
#include "settings/settings.h"

namespace zorva {

enum class MessageKind {
  Information,      // OK
  Warning,          // OK
  WarningOkCancel,  // OK and Cancel
  Question,         // Yes and No
  Error,            // OK
};
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Host {
 public:
  virtual ~Host() = default;

  // Status bar text; an empty text clears it. Shown at once, also mid-drawing.
  virtual void status(const std::string& /*text*/) {}
  virtual void progressRange(int /*max*/) {}
  virtual void progressPosition(int /*position*/) {}
  // Called once per drawn step: the place where Stop and the option windows
  // get their turn while a drawing runs.
  virtual void processEvents() {}
  // Called every few tenths of a second inside a long step: a chance to
  // notice the Stop command (and to repaint); nothing else may run here,
  // since the step is still writing the buffers.
  virtual void pollStop() {}
  virtual MessageAnswer message(const std::string& /*text*/, MessageKind kind) {
    return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
  }
  // The picture pixel under the mouse cursor (column, row counted from the
  // top), or nothing when there is no pointer.
  virtual std::optional<std::pair<int, int>> mousePixel() { return std::nullopt; }
  // The picture bitmap changed (contents or size): repaint and re-lay out.
  virtual void pictureChanged() {}
  // Whether anybody looks at the picture while it is being drawn. Without a
  // viewer the engine composes the picture only when it is saved.
  virtual bool showsPicture() { return true; }
  // Whether a drawing runs changed: Draw, Stop and Make Frames follow it.
  virtual void commandStateChanged() {}
  // The picture was cleared while zoom-to-fit may be on: fit it again.
  virtual void pictureCleared() {}
  virtual void windowTitle(const std::string& /*title*/) {}
  // The window title as it stands, so that it can be put back.
  virtual std::string currentWindowTitle() { return {}; }
  // The texts of the four rotation-point fields (A x, A y, B x, B y) that
  // the frame maker reads for every frame; nothing where no such fields
  // exist, and the four ZorvaPointsRotate... settings are used instead.
  virtual std::optional<std::array<std::string, 4>> rotationPointTexts() { return std::nullopt; }

  // Settings were read into the record: maximise the main window when asked,
  // refresh menu check marks and every option window's fields.
  virtual void settingsLoaded() {}
  // Screen bounds for window placement (screen width and height), when there is a screen.
  virtual std::optional<std::pair<int, int>> screenSize() { return std::nullopt; }
  // The live placement of an option window, written to the settings file
  // instead of the record's copy when the host has windows.
  virtual std::optional<WindowPlacement> windowPlacement(Window /*w*/) { return std::nullopt; }
  virtual bool isMaximized() { return false; }
  // Memory the engine may still take for buffers, in bytes (nothing: unknown).
  virtual std::optional<std::uint64_t> availableMemory() { return zorva::availableMemory(); }

  // A multiplier slot's curve was loaded, reset or changed.
  virtual void curveSlotChanged(int /*slot*/) {}
  // The source or background image was replaced (previews follow).
  virtual void sourceImageChanged() {}
  virtual void backgroundImageChanged() {}
};

// A host with nothing: tests, benchmarks.
class NullHost : public Host {};

}  // namespace zorva
