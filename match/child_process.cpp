#include "match/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace zarvo::match {

TFd& TFd::operator=(TFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int TFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void TFd::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string TExitStatus::Text() const {
  if (!Signalled) return "exit status " + std::to_string(Code);
  const char* name = ::strsignal(Code);
  return "killed by signal " + std::to_string(Code) + (name ? std::string(" (") + name + ")" : "");
}

namespace {

struct TPipe {
  TFd Read, Write;
};

TPipe MakePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  return {TFd(fds[0]), TFd(fds[1])};
}

TExitStatus StatusOf(int status) {
  if (WIFSIGNALED(status)) return {true, WTERMSIG(status)};
  return {false, WIFEXITED(status) ? WEXITSTATUS(status) : 0};
}

// Between fork and exec only async-signal-safe calls: the child reports a failure as its errno
// through the error pipe, which exec closes on success.
[[noreturn]] void RunChild(const char* program, char* const* argv, const char* workDir, int stdinFd,
                           int stdoutFd, int nullFd, int errorFd) {
  ::setpgid(0, 0);             // its own group, so a kill reaches whatever the engine started
  ::signal(SIGPIPE, SIG_DFL);  // the runner ignores it; an engine must not inherit that
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const auto fail = [errorFd]() {
    const int error = errno;
    [[maybe_unused]] const auto written = ::write(errorFd, &error, sizeof error);
    ::_exit(127);
  };
  if (workDir[0] != '\0' && ::chdir(workDir) != 0) fail();
  if (::dup2(stdinFd, 0) < 0 || ::dup2(stdoutFd, 1) < 0 || ::dup2(nullFd, 2) < 0) fail();
  // Nothing else of the runner's leaks into the engine (the error pipe closes on exec).
  if (errorFd > 3) ::close_range(3, errorFd - 1, 0);
  ::close_range(errorFd + 1, ~0U, 0);
  ::execv(program, argv);
  fail();
  ::_exit(127);  // not reached: fail() does not return
}

}  // namespace

TChildProcess TChildProcess::Spawn(const TSpawnRequest& request) {
  const std::string program = request.Program.string();
  const std::string workDir = request.WorkDir.string();
  // Made before the fork: the child of a threaded runner may not allocate.
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : request.Arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  TFd null(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!null.Valid()) throw std::runtime_error(std::string("/dev/null: ") + std::strerror(errno));
  TPipe toChild, fromChild;
  if (request.Pipes) {
    toChild = MakePipe();
    fromChild = MakePipe();
  }
  TPipe errorPipe = MakePipe();

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    RunChild(program.c_str(), argv.data(), workDir.c_str(),
             request.Pipes ? toChild.Read.Get() : null.Get(),
             request.Pipes ? fromChild.Write.Get() : null.Get(), null.Get(), errorPipe.Write.Get());
  }

  TChildProcess child;
  child.pid_ = pid;
  ::setpgid(pid, pid);  // also here, so a kill right after the fork finds the group
  errorPipe.Write.Close();
  int childError = 0;
  ssize_t got;
  do {
    got = ::read(errorPipe.Read.Get(), &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    child.Kill();
    throw std::runtime_error("cannot start '" + program + "': " + std::strerror(childError));
  }
  child.input_ = std::move(toChild.Write);
  child.output_ = std::move(fromChild.Read);
  return child;
}

TChildProcess::TChildProcess(TChildProcess&& other) noexcept
    : pid_(other.pid_),
      input_(std::move(other.input_)),
      output_(std::move(other.output_)),
      exit_(other.exit_) {
  other.pid_ = -1;
}

TChildProcess& TChildProcess::operator=(TChildProcess&& other) noexcept {
  if (this != &other) {
    Kill();
    pid_ = other.pid_;
    input_ = std::move(other.input_);
    output_ = std::move(other.output_);
    exit_ = other.exit_;
    other.pid_ = -1;
  }
  return *this;
}

std::optional<TExitStatus> TChildProcess::WaitFor(std::chrono::milliseconds timeout) {
  using TClock = std::chrono::steady_clock;
  if (pid_ <= 0) return exit_;
  const auto deadline = TClock::now() + timeout;
  auto pause = std::chrono::microseconds(100);
  for (;;) {
    // Look without reaping: while the child is an unreaped zombie its pid (and group id) cannot
    // be reused, so the group kill below reaches only what the engine left behind.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_) {
      return Kill();
    }
    const auto now = TClock::now();
    if (now >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::min<TClock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::microseconds(1000));
  }
}

std::optional<TExitStatus> TChildProcess::Kill() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);  // in case the group was not made yet
    int status = 0;
    pid_t reaped;
    do {
      reaped = ::waitpid(pid_, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == pid_) exit_ = StatusOf(status);
    pid_ = -1;
  }
  return exit_;
}

}  // namespace zarvo::match
