// Small helpers shared by the engine tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "render/host.h"

namespace zorva::test {

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A host that records what the engine says.
class RecordingHost : public Host {
 public:
  std::vector<std::string> statuses;
  std::vector<std::string> messages;
  int processed = 0;
  std::function<void()> onProcessEvents;
  std::optional<std::pair<int, int>> mouse;
  std::optional<std::pair<int, int>> screen;

  void status(const std::string& text) override { statuses.push_back(text); }
  MessageAnswer message(const std::string& text, MessageKind kind) override {
    messages.push_back(text);
    return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
  }
  void processEvents() override {
    ++processed;
    if (onProcessEvents) onProcessEvents();
  }
  std::optional<std::pair<int, int>> mousePixel() override { return mouse; }
  std::optional<std::pair<int, int>> screenSize() override { return screen; }
};

}  // namespace zorva::test
