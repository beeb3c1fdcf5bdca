// Child processes for the match runner: a file descriptor that closes itself, and a started
// program that is killed and reaped when its owner lets go of it, so no engine outlives a match
// as a zombie or keeps a pipe open.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarvo::match {

class TFd {
 public:
  TFd() = default;
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() { Close(); }
  TFd(TFd&& other) noexcept : fd_(other.Release()) {}
  TFd& operator=(TFd&& other) noexcept;
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release();
  void Close();

 private:
  int fd_ = -1;
};

// How a child process ended.
struct TExitStatus {
  bool Signalled = false;
  int Code = 0;              // the exit status, or the signal number when Signalled
  std::string Text() const;  // "exit status 3", "killed by signal 6 (Aborted)"
};

struct TSpawnRequest {
  std::filesystem::path Program;       // argument 0 is the program itself
  std::vector<std::string> Arguments;  // the arguments after it
  std::filesystem::path WorkDir;       // empty: the runner's own
  bool Pipes = false;                  // stdin and stdout on pipes; otherwise both on /dev/null
};

class TChildProcess {
 public:
  // Starts the program. Throws std::runtime_error when it cannot be started (fork or exec
  // failed), with the system's reason.
  static TChildProcess Spawn(const TSpawnRequest& request);

  TChildProcess() = default;
  ~TChildProcess() { Kill(); }
  TChildProcess(TChildProcess&& other) noexcept;
  TChildProcess& operator=(TChildProcess&& other) noexcept;
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Running() const { return pid_ > 0; }
  // The write end of the child's stdin and the read end of its stdout (with Pipes).
  int Input() const { return input_.Get(); }
  int Output() const { return output_.Get(); }
  void CloseInput() { input_.Close(); }

  // Waits until the child ends or the time is up; the status once it has ended (the child is
  // reaped then), nothing while it still runs.
  std::optional<TExitStatus> WaitFor(std::chrono::milliseconds timeout);
  // Kills the child's whole process group and reaps the child; the status it ended with.
  std::optional<TExitStatus> Kill();

 private:
  pid_t pid_ = -1;
  TFd input_;
  TFd output_;
  std::optional<TExitStatus> exit_;
};

}  // namespace zarvo::match
