// The one way the tests start a program: fork and exec, no shell, with a working directory,
// standard input, extra environment, a time limit, and the output kept.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvo::testing {

struct TProcess {
  std::string Program{};  // as argument 0; a relative path is found from WorkDir
  std::vector<std::string> Args{};
  std::filesystem::path WorkDir{};     // empty: the test's own
  std::optional<std::string> Input{};  // standard input; none: /dev/null
  std::vector<std::pair<std::string, std::string>> Environment{};  // set on top of the test's
  std::chrono::seconds TimeLimit{60};                              // then the process is killed
  bool AsOtherUser = false;  // run as root, the program runs as "nobody" (permission bits count)
};

struct TRun {
  bool TimedOut = false;
  bool Exited = false;  // ended by itself, not by a signal
  int Status = -1;      // exit status when it exited
  int Signal = 0;       // the signal that ended it otherwise
  std::string Out;
  std::string Err;
};

// Exit statuses of a child that could not become the program.
inline constexpr int kCannotDropRoot = 121;
inline constexpr int kCannotExec = 122;

// Program arguments written as one line: the words between spaces (no quoting).
std::vector<std::string> ArgumentWords(std::string_view line);

// Starts the program, waits for it (at most TimeLimit) and returns what it printed. Output goes
// through files outside WorkDir, so the directory under test holds only what the program made.
TRun RunProcess(const TProcess& process);

}  // namespace zarvo::testing
