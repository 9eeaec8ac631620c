// The files a run has read, known by device and inode, so that a save can
// refuse to write over any of them whatever name leads there: the same
// name, another spelling of it, a hard link or a symbolic link.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zorva {

class ReadFiles {
 public:
  // Remembers a file that is about to be read (by name too: it is looked up
  // again at the save, in case it was replaced meanwhile).
  void add(const std::string& path);
  // The first target that would replace, or write through, a file read;
  // nothing when every target is free.
  std::optional<std::string> firstClash(const std::vector<std::string>& targets) const;
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
  };
  static void identify(const std::string& path, std::vector<Identity>& into);
  std::vector<std::string> paths_;
  std::vector<Identity> identities_;  // as they were when read
};

// The message of a refused save target.
std::string readFileClashMessage(const std::string& target);

}  // namespace zorva
