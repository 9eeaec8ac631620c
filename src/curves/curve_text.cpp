// Curve files (one number per line, X then Y, CR LF after each) and curve text
// (numbers separated by any run of control characters or spaces).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "curves/curve.h"
#include "io/atomic_write.h"
#include "settings/number_format.h"

namespace zorva {
namespace {

constexpr const char* kFileProblem = "There is a problem with the .curve file";
constexpr const char* kSavingProblem = "There was a problem saving: ";
constexpr const char* kClipboardProblem = "There is a problem with the clipboard contents - not a valid curve";

// Far more than any real curve; a bigger file is refused before it is read.
constexpr std::uintmax_t kMaxCurveFileBytes = std::uintmax_t{256} << 20;

// The whole file, or nullopt when it cannot be read or is too big.
std::optional<std::string> readWholeFile(const std::string& name) {
  std::error_code ec;
  // Only plain files: reading a FIFO or a device could block or never end.
  if (!std::filesystem::is_regular_file(name, ec)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(name, ec);
  if (ec || size > kMaxCurveFileBytes) return std::nullopt;

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  std::string content;
  content.reserve(static_cast<std::size_t>(size));
  char buffer[1 << 16];
  // The cap holds even if the file grows while it is read.
  while (content.size() <= kMaxCurveFileBytes) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    content.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get()) || content.size() > kMaxCurveFileBytes) return std::nullopt;
  return content;
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
  const std::optional<std::string> content = readWholeFile(name);
  if (!content) return kFileProblem;
  std::string_view rest = *content;
  std::string_view xLine;
  std::string_view yLine;
  while (nextLine(rest, xLine)) {
    const std::optional<double> x = parseFloat(xLine);
    if (!x || !nextLine(rest, yLine)) {
      Empty();
      return kFileProblem;
    }
    const std::optional<double> y = parseFloat(yLine);
    if (!y) {
      Empty();
      return kFileProblem;
    }
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
