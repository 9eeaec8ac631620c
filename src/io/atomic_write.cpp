#include "io/atomic_write.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zorva {

namespace {

// A hidden name beside the target, no longer than the target's own name (at
// least the seven characters mkstemp needs), so every name the file system
// takes also takes its temporary.
std::string temporaryNameFor(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t nameLength = path.size() - nameStart;
  constexpr std::size_t kMarks = 7;  // "." and mkstemp's "XXXXXX"
  const std::size_t kept = nameLength > kMarks ? nameLength - kMarks : 0;
  return path.substr(0, nameStart) + "." + path.substr(nameStart, kept) + "XXXXXX";
}

}  // namespace

// Writes beside the target and renames over it, so the old file survives any
// failure on the way.
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view content) {
  std::string tmp = temporaryNameFor(path);
  int fd = mkstemp(tmp.data());
  if (fd < 0) return "Cannot write \"" + path + "\": " + std::strerror(errno);
  auto fail = [&](int err) -> std::optional<std::string> {
    ::close(fd);
    ::unlink(tmp.c_str());
    return "Cannot write \"" + path + "\": " + std::strerror(err);
  };
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  // Keep the permissions of the file being replaced; new files get the
  // usual 0666 less the umask rather than mkstemp's 0600.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return "Cannot write \"" + path + "\": " + std::strerror(err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return "Cannot write \"" + path + "\": " + std::strerror(err);
  }
  return std::nullopt;
}

}  // namespace zorva
