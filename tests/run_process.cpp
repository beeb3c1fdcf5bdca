#include "tests/run_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "tests/test_support.h"

namespace zarvo::testing {

std::vector<std::string> ArgumentWords(std::string_view line) {
  std::vector<std::string> words;
  for (std::size_t start = 0; start < line.size();) {
    const std::size_t end = std::min(line.find(' ', start), line.size());
    if (end > start) words.emplace_back(line.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

TRun RunProcess(const TProcess& process) {
  TTempDir capture;
  capture.Write("in", process.Input.value_or(""));
  const std::string in = (capture / "in").string();
  const std::string out = (capture / "out").string();
  const std::string err = (capture / "err").string();
  // Everything the child needs is made before the fork: after it only async-signal-safe calls.
  std::vector<std::string> words{process.Program};
  words.insert(words.end(), process.Args.begin(), process.Args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string workDir = process.WorkDir.string();
  std::vector<std::string> settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string setting = *entry;
    bool replaced = false;
    for (const auto& [name, value] : process.Environment)
      replaced = replaced || setting.starts_with(name + "=");
    if (!replaced) settings.push_back(setting);
  }
  for (const auto& [name, value] : process.Environment) settings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& setting : settings) envp.push_back(setting.data());
  envp.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    const int input = process.Input ? ::open(in.c_str(), O_RDONLY) : ::open("/dev/null", O_RDONLY);
    const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errors = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (input < 0 || output < 0 || errors < 0) ::_exit(kCannotExec);
    ::dup2(input, 0);
    ::dup2(output, 1);
    ::dup2(errors, 2);
    if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(kCannotExec);
    if (process.AsOtherUser && ::geteuid() == 0) {
      const gid_t nogroup = 65534;
      const uid_t nobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0)
        ::_exit(kCannotDropRoot);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(kCannotExec);
  }

  const auto deadline = std::chrono::steady_clock::now() + process.TimeLimit;
  TRun run;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.TimedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.Exited = !run.TimedOut && WIFEXITED(status);
  if (run.Exited) run.Status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.Signal = WTERMSIG(status);
  run.Out = capture.Read("out");
  run.Err = capture.Read("err");
  return run;
}

}  // namespace zarvo::testing
