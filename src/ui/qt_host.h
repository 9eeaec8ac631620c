// The engine's host in the desktop program: status and progress bars,
// message boxes, event processing between drawn steps, the picture and the
// menu states, all through the main window.
#pragma once

#include <functional>

#include "render/host.h"

namespace zorva {

class TForm1;

class QtHost : public Host {
 public:
  explicit QtHost(TForm1& form) : form_(form) {}

  void status(const std::string& text) override;
  void progressRange(int max) override;
  void progressPosition(int position) override;
  void processEvents() override;
  void pollStop() override;
  MessageAnswer message(const std::string& text, MessageKind kind) override;
  std::optional<std::pair<int, int>> mousePixel() override;
  void pictureChanged() override;
  void commandStateChanged() override;
  void pictureCleared() override;
  void windowTitle(const std::string& title) override;
  std::string currentWindowTitle() override;
  std::optional<std::array<std::string, 4>> rotationPointTexts() override;
  void settingsLoaded() override;
  std::optional<std::pair<int, int>> screenSize() override;
  std::optional<WindowPlacement> windowPlacement(Window w) override;
  bool isMaximized() override;
  void curveSlotChanged(int slot) override;
  void sourceImageChanged() override;
  void backgroundImageChanged() override;

  // Test hooks. A message hook answers instead of a modal box; the
  // processEvents hook runs before each event processing of a drawing.
  std::function<MessageAnswer(const std::string&, MessageKind)> messageHook;
  std::function<void()> processEventsHook;

 private:
  TForm1& form_;
};

}  // namespace zorva
