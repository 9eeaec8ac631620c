// zorva-render run as a separate process on hostile input: arguments passed
// as they are (no shell), extra environment, a working folder, and a guard
// that kills a run that hangs instead of letting it block the suite.
#pragma once

#include <string>
#include <vector>

namespace zorva::test {

struct RenderRun {
  int status = -1;       // exit status; -1 when killed or not started
  bool hung = false;     // killed by the guard
  std::string out, err;  // standard output and standard error
  long maxRssKb = 0;     // peak resident memory of the run
};

// Built with a sanitizer (address or thread): memory figures mean nothing
// then, and everything runs several times slower.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

// The limits every hostile input must stay within.
constexpr long kMemoryLimitKb = 1L << 20;  // 1 GiB
// Far beyond what any of these runs needs: only a hang reaches it. Below the
// suite's time limit per case, so a hang fails the case with a message.
constexpr int kHangSeconds = kSanitized ? 240 : 60;

// Runs zorva-render with args in folder cwd (empty: the current one), with
// env entries ("NAME=value") added to the environment. A run still going
// after guardSeconds is killed and reported as hung.
RenderRun runRender(const std::vector<std::string>& args, const std::string& cwd = "",
                    const std::vector<std::string>& env = {}, int guardSeconds = kHangSeconds);

}  // namespace zorva::test
