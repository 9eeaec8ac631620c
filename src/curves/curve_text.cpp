// Curve files (one number per line, X then Y, CR LF after each) and curve text
// (numbers separated by any run of control characters or spaces).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <variant>

#include "curves/curve.h"
#include "io/atomic_write.h"
#include "settings/number_format.h"

namespace zorva {
namespace {

constexpr const char* kFileProblem = "There is a problem with the .curve file";
constexpr const char* kSavingProblem = "There was a problem saving: ";
constexpr const char* kClipboardProblem = "There is a problem with the clipboard contents - not a valid curve";

// No number line of a curve file needs more than 64 bytes (ours take at most
// 24), so a file of the most points has at most this many bytes.
constexpr std::uintmax_t kMaxCurveFileBytes = std::uintmax_t{kMaxCurvePoints} * 2 * 64;

// The whole file, or why it cannot be read: only plain files (a FIFO would
// block, a device might never end) of at most kMaxCurveFileBytes.
std::variant<std::string, std::string> readWholeFile(const std::string& name) {
  using Result = std::variant<std::string, std::string>;
  auto problem = [](std::string why) { return Result(std::in_place_index<1>, std::move(why)); };
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return problem(std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return problem(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return problem("it is not a plain file");
  const auto size = static_cast<std::uintmax_t>(st.st_size);
  if (size > kMaxCurveFileBytes)
    return problem("it has " + std::to_string(size) + " bytes, more than a curve of at most " +
                   std::to_string(kMaxCurvePoints) + " points can take");
  std::string content(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  while (got < content.size()) {
    const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return problem(std::strerror(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  content.resize(got);
  return Result(std::in_place_index<0>, std::move(content));
}

// Next line of text without its LF or CR LF; false at the end. A final line
// without a line end still counts.
bool nextLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  const auto end = rest.find('\n');
  if (end == std::string_view::npos) {
    line = rest;
    rest = {};
  } else {
    line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

// Separators of curve text: codes 1 to 32. NUL is not one.
bool isSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

bool nextToken(std::string_view& rest, std::string_view& token) {
  std::size_t start = 0;
  while (start < rest.size() && isSeparator(rest[start])) ++start;
  if (start == rest.size()) return false;
  std::size_t end = start;
  while (end < rest.size() && !isSeparator(rest[end])) ++end;
  token = rest.substr(start, end - start);
  rest.remove_prefix(end);
  return true;
}

}  // namespace

std::string curveFileName(std::string name) {
  if (name.empty()) return "test.txt";
  std::erase(name, '"');
  const auto slash = name.rfind('/');
  for (auto i = slash == std::string::npos ? 0 : slash + 1; i < name.size(); ++i)
    if (name[i] == ' ') name[i] = '_';
  return name;
}

std::optional<std::string> qCurve::Load(const std::string& fileName) {
  const std::string name = fileName.empty() ? "test.txt" : fileName;
  std::error_code ec;
  // A missing file is quietly ignored; anything else that goes wrong is told.
  if (std::filesystem::status(name, ec).type() == std::filesystem::file_type::not_found) return std::nullopt;

  Empty();
  auto problem = [&](const std::string& why) -> std::optional<std::string> {
    Empty();
    return std::string(kFileProblem) + " \"" + name + "\": " + why;
  };
  auto read = readWholeFile(name);
  if (read.index() == 1) return problem(std::get<1>(read));
  const std::string& content = std::get<0>(read);
  if (content.empty()) return std::nullopt;
  // The number of points is known before any is read.
  const std::size_t lines =
      static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + (content.ends_with('\n') ? 0 : 1);
  if (lines > 2 * static_cast<std::size_t>(kMaxCurvePoints))
    return problem("it holds more than " + std::to_string(kMaxCurvePoints) + " points");
  points_.reserve(lines / 2);

  std::string_view rest = content;
  std::string_view xLine;
  std::string_view yLine;
  for (std::size_t line = 1; nextLine(rest, xLine); line += 2) {
    const std::optional<double> x = parseFloat(xLine);
    if (!x) return problem("line " + std::to_string(line) + " is not a number");
    if (!nextLine(rest, yLine)) return problem("line " + std::to_string(line) + " is an X without its Y");
    const std::optional<double> y = parseFloat(yLine);
    if (!y) return problem("line " + std::to_string(line + 1) + " is not a number");
    AddPoint(*x, *y);
  }
  return std::nullopt;
}

std::optional<std::string> qCurve::Spam(const std::string& fileName) const {
  if (GetLength() < 2) return std::nullopt;
  std::string content;
  for (const qCoord& p : points_) {
    content += formatFloat(p.X);
    content += "\r\n";
    content += formatFloat(p.Y);
    content += "\r\n";
  }
  // Written beside the target and renamed over it: a failed save never
  // leaves half a file where a good one was.
  if (std::optional<std::string> error = writeFileAtomically(curveFileName(fileName), content))
    return kSavingProblem + *error;
  return std::nullopt;
}

std::optional<std::string> qCurve::LoadFromClipBoard(std::string_view text) {
  if (text.empty()) return std::nullopt;
  Empty();
  if (text.size() > kMaxCurveFileBytes) return kClipboardProblem;
  std::string_view first;
  std::string_view second;
  // Pairs of tokens; a last token without a partner is ignored unread.
  while (nextToken(text, first) && nextToken(text, second)) {
    if (GetLength() >= kMaxCurvePoints) {
      Empty();
      return std::string(kClipboardProblem) + " (more than " + std::to_string(kMaxCurvePoints) + " points)";
    }
    const std::optional<double> x = parseFloat(first);
    const std::optional<double> y = parseFloat(second);
    // Doubling a value near the largest double would overflow: not a curve either.
    if (!x || !y || !std::isfinite(2 * *x) || !std::isfinite(2 * *y)) {
      Empty();
      return kClipboardProblem;
    }
    AddPoint(2 * *x, 2 * *y);
  }
  return std::nullopt;
}

}  // namespace zorva
