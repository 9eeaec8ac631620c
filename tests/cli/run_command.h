// zorva-render run through the shell, as a user types it.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace zorva::test {

struct Outcome {
  int status = -1;
  std::string out, err;  // standard output and standard error
};

inline Outcome run(const std::string& args, const TempDir& dir) {
  const std::string errFile = dir.file("stderr.txt");
  Outcome r;
  FILE* pipe = popen((std::string(ZORVA_RENDER_EXE) + " " + args + " 2>" + errFile).c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf{};
  for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) r.out.append(buf.data(), n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = readFile(errFile);
  return r;
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Each of these command lines is refused as a usage error (status 2) before
// anything is written.
inline void expectUsageErrors(std::initializer_list<std::string> commandLines, const TempDir& dir) {
  for (const std::string& args : commandLines) {
    const Outcome r = run(args, dir);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.err.starts_with("zorva-render: ")) << args << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << args;
  }
}

}  // namespace zorva::test
