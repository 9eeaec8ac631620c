#include "hostile/run_render.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace zorva::test {

RenderRun runRender(const std::vector<std::string>& args, const std::string& cwd, const std::vector<std::string>& env,
                    int guardSeconds) {
  TempDir scratch;
  const std::string outFile = scratch.file("stdout"), errFile = scratch.file("stderr");
  // env(1) sets the folder and the variables, then becomes zorva-render in
  // the same process, so the process's figures are the run's.
  std::vector<std::string> words = {"/usr/bin/env"};
  if (!cwd.empty()) words.insert(words.end(), {"-C", cwd});
  words.insert(words.end(), env.begin(), env.end());
  words.push_back(ZORVA_RENDER_EXE);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  RenderRun run;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return run;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(guardSeconds);
  int raw = 0;
  rusage usage{};
  while (wait4(pid, &raw, WNOHANG, &usage) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      wait4(pid, &raw, 0, &usage);
      run.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.status = !run.hung && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.maxRssKb = usage.ru_maxrss;
  run.out = readFile(outFile);
  run.err = readFile(errFile);
  return run;
}

}  // namespace zorva::test
