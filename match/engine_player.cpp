#include "match/engine_player.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "driver/zarvo_const.h"
#include "match/game_rules.h"

namespace zarvo::match {
namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Unlimited time in the brain protocol's time_left.
constexpr int64_t kUnlimitedMs = 2147483647;
// How long a brain gets to answer START or RESTART.
constexpr int64_t kStartTimeoutMs = 5000;
// How long a brain gets to leave after END before it is killed.
constexpr int64_t kEndGraceMs = 500;
// Longest answer line read; a brain that writes more without a line end gave no move.
constexpr std::size_t kMaxLineBytes = 64 * 1024;
// Slice of every wait, so a stop request is seen soon.
constexpr int64_t kWaitSliceMs = 50;

int64_t MsSince(TClock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(TClock::now() - start).count();
}

bool Stopped(const std::atomic<bool>* stop) {
  return stop != nullptr && stop->load();
}

TAnswer Failure(TAnswerKind kind, std::string detail, TClock::time_point start) {
  TAnswer answer;
  answer.Kind = kind;
  answer.ElapsedMs = MsSince(start);
  answer.Detail = std::move(detail);
  return answer;
}

// ---------------------------------------------------------------------------------------------
// Move-file engine

class TFilePlayer final : public TPlayer {
 public:
  TFilePlayer(std::string label, TEngineEntry entry, const std::filesystem::path& scratch)
      : TPlayer(std::move(label)), entry_(std::move(entry)) {
    // A folder per player, so two players of one match never share a working directory.
    static std::atomic<int> players{0};
    scratch_ = scratch / ("engine-" + std::to_string(++players));
  }

  void NewGame() override {}

  TAnswer Play(const TMoveRequest& request) override {
    // 1. A fresh working directory with the three exchange files (or the engine's own folder,
    // whose other files stay).
    const bool ownDir = !entry_.WorkDir.empty();
    const std::filesystem::path dir =
        ownDir ? entry_.WorkDir : scratch_ / ("move-" + std::to_string(++moves_));
    std::filesystem::create_directories(dir);
    const std::string side = std::string(1, request.Colour) + "\r\n";
    WriteFile(dir / kMoveFileName, side);
    std::string board;
    for (const std::string& row : BoardOf(request.Stones, kBoardSize).Rows()) board += row + "\r\n";
    WriteFile(dir / kBoardFileName, board);
    WriteFile(dir / kTimeOutsFileName, TimeOutsText(request));

    // 2. Run the engine there and wait for it to end, at most its time and the tolerance.
    const TClock::time_point start = TClock::now();
    TAnswer answer = RunIn(dir, request, start);
    answer.ElapsedMs = MsSince(start);

    // 3. The answer is whatever replaced the side letter in the move file.
    if (answer.Kind == TAnswerKind::Move) answer = ReadAnswer(dir / kMoveFileName, side, answer);
    std::error_code error;
    if (!ownDir) std::filesystem::remove_all(dir, error);
    return answer;
  }

 private:
  // Line 1 counts whole seconds only; when the move time is no whole number of seconds, line 2
  // (of which the engine takes a third) carries it instead, so the budget is still
  // min(time left / 3, move time).
  static std::string TimeOutsText(const TMoveRequest& request) {
    const int64_t seconds = std::max<int64_t>(1, (request.MoveTimeMs + 999) / 1000);
    int64_t amount = request.TimeLeftMs.value_or(kUnlimitedMs);
    if (request.MoveTimeMs % 1000 != 0) amount = std::min(amount, 3 * request.MoveTimeMs);
    amount = std::clamp<int64_t>(amount, 0, kUnlimitedMs);
    return std::to_string(seconds) + "\r\n" + std::to_string(amount) + "\r\n";
  }

  static void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write '" + path.string() + "'");
  }

  TAnswer RunIn(const std::filesystem::path& dir, const TMoveRequest& request,
                TClock::time_point start) {
    TChildProcess child;
    try {
      child = TChildProcess::Spawn({entry_.Program, entry_.Arguments, dir, false});
    } catch (const std::exception& error) {
      return Failure(TAnswerKind::Crash, error.what(), start);
    }
    const int64_t limit = WaitLimitMs(request);
    for (;;) {
      const int64_t left = limit - MsSince(start);
      if (const auto status =
              child.WaitFor(milliseconds(std::clamp<int64_t>(left, 0, kWaitSliceMs)))) {
        if (status->Signalled) return Failure(TAnswerKind::Crash, status->Text(), start);
        TAnswer answer;
        answer.Detail = status->Text();
        return answer;
      }
      if (Stopped(request.Stop)) return Failure(TAnswerKind::Cancelled, "stopped", start);
      if (MsSince(start) >= limit) {
        child.Kill();
        return Failure(TAnswerKind::Timeout,
                       "no move within " + std::to_string(limit) + " ms; killed", start);
      }
    }
  }

  static TAnswer ReadAnswer(const std::filesystem::path& path, const std::string& side,
                            TAnswer answer) {
    const std::string exitText = answer.Detail;
    // Only the start of the file: an answer is one short line, whatever else the engine wrote.
    constexpr std::size_t kAnswerBytes = 4096;
    std::ifstream in(path, std::ios::binary);
    std::string content(kAnswerBytes, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    const std::string line = content.substr(0, content.find_first_of("\r\n"));
    if (content.empty() || content == side || line.empty()) {
      answer.Kind = TAnswerKind::NoAnswer;
      answer.Detail = "ended (" + exitText + ") without writing a move";
      return answer;
    }
    if (const auto square = ParseCoordinates(line)) {
      answer.Square = *square;
      answer.Detail.clear();
      return answer;
    }
    answer.Kind = TAnswerKind::BadAnswer;
    answer.Detail = "answered " + QuotedAnswer(line);
    return answer;
  }

  TEngineEntry entry_;
  std::filesystem::path scratch_;
  int64_t moves_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Brain-protocol engine

class TPipePlayer final : public TPlayer {
 public:
  // The engine runs in a folder of its own under scratch, as a manager gives each engine one, so
  // the files it leaves (a loss marker, say) land there and not where the runner was started.
  TPipePlayer(std::string label, TEngineEntry entry, const std::filesystem::path& scratch)
      : TPlayer(std::move(label)), entry_(std::move(entry)) {
    static std::atomic<int> players{0};
    workDir_ =
        entry_.WorkDir.empty() ? scratch / ("pipe-" + std::to_string(++players)) : entry_.WorkDir;
    std::error_code error;
    std::filesystem::create_directories(workDir_, error);
  }

  ~TPipePlayer() override {
    if (!child_.Running()) return;
    // A polite end first; whatever is still there after the grace time is killed.
    Send("END\n", TClock::now() + milliseconds(kEndGraceMs));
    child_.CloseInput();
    child_.WaitFor(milliseconds(kEndGraceMs));
    child_.Kill();
  }

  void NewGame() override { newGame_ = true; }

  TAnswer Play(const TMoveRequest& request) override {
    messages_.clear();
    TAnswer answer = PlayMove(request);
    answer.Messages = std::move(messages_);
    messages_.clear();
    return answer;
  }

 private:
  TAnswer PlayMove(const TMoveRequest& request) {
    // 1. A running engine on an empty board: started, or told of the new game.
    if (child_.Running() && newGame_) {
      std::string detail;
      if (Command("RESTART", request.Stop, detail) != TAnswerKind::Move) Stop();
    }
    if (!child_.Running()) {
      const TClock::time_point start = TClock::now();
      try {
        child_ = TChildProcess::Spawn({entry_.Program, entry_.Arguments, workDir_, true});
      } catch (const std::exception& error) {
        return Failure(TAnswerKind::Crash, error.what(), start);
      }
      buffer_.clear();
      std::string detail;
      const TAnswerKind kind =
          Command("START " + std::to_string(request.BoardSize), request.Stop, detail);
      if (kind != TAnswerKind::Move) {
        Stop();
        return Failure(kind, detail, start);
      }
    }
    if (newGame_) {
      told_.clear();
      newGame_ = false;
      // The limits of the game, then time_left before each move.
      std::string info = "INFO timeout_turn " + std::to_string(request.MoveTimeMs) + "\n";
      info += "INFO timeout_match " + std::to_string(request.GameTimeMs.value_or(0)) + "\n";
      info += request.Renju         ? "INFO rule 4\n"
              : request.ExactlyFive ? "INFO rule 1\n"
                                    : "INFO rule 0\n";
      if (!Send(info, TClock::now() + milliseconds(kStartTimeoutMs)))
        return Lost(TAnswerKind::Crash, "stopped reading its input", TClock::now());
    }

    // 2. The move: BEGIN on an empty board, TURN when the engine knows all but the opponent's
    // last stone, the whole board otherwise.
    std::string command =
        "INFO time_left " + std::to_string(request.TimeLeftMs.value_or(kUnlimitedMs)) + "\n";
    const std::vector<TSquare>& stones = request.Stones;
    std::string asked;  // the command the answer is to, as a record names it
    if (stones.empty()) {
      asked = "BEGIN";
      command += "BEGIN\n";
    } else if (stones.size() == told_.size() + 1 &&
               std::equal(told_.begin(), told_.end(), stones.begin())) {
      asked = "TURN " + SquareText(stones.back());
      command += asked + "\n";
    } else {
      asked = "BOARD";
      command += "BOARD\n";
      for (std::size_t i = 0; i < stones.size(); ++i)
        command += SquareText(stones[i]) + (ColourOfStone(i) == request.Colour ? ",1\n" : ",2\n");
      command += "DONE\n";
    }

    // 3. Its answer, at most its time and the tolerance later.
    const TClock::time_point start = TClock::now();
    const TClock::time_point deadline = start + milliseconds(WaitLimitMs(request));
    if (!Send(command, deadline))
      return Lost(TAnswerKind::Crash, "stopped reading its input", start);
    // ERROR and UNKNOWN are the engine's own verdicts, not garbled moves. One may answer an INFO
    // line it does not know, so a move may still follow: the verdict decides only when none
    // comes in time.
    std::string line, refusal;
    TAnswerKind kind = ReadReply(deadline, request.Stop, line);
    while (kind == TAnswerKind::Move && RefusalKind(line)) {
      if (refusal.empty()) refusal = line;
      kind = ReadReply(deadline, request.Stop, line);
    }
    if (kind == TAnswerKind::Timeout && !refusal.empty())
      return Lost(*RefusalKind(refusal), "answered " + QuotedAnswer(refusal) + " to " + asked,
                  start);
    if (kind == TAnswerKind::Timeout)
      line = "no move within " + std::to_string(WaitLimitMs(request)) + " ms; killed";
    if (kind != TAnswerKind::Move) return Lost(kind, line, start);
    const auto square = ParseCoordinates(line);
    if (!square) return Lost(TAnswerKind::BadAnswer, "answered " + QuotedAnswer(line), start);
    told_ = stones;
    told_.push_back(*square);
    TAnswer answer;
    answer.Square = *square;
    answer.ElapsedMs = MsSince(start);
    return answer;
  }

  static std::optional<TAnswerKind> RefusalKind(std::string_view line) {
    const std::string_view word = line.substr(0, line.find(' '));
    if (word == "ERROR") return TAnswerKind::EngineError;
    if (word == "UNKNOWN") return TAnswerKind::Unknown;
    return std::nullopt;
  }

  // A lost game ends the engine's part in it; the next game starts a new process, so whatever
  // state the failure left behind does not carry over.
  TAnswer Lost(TAnswerKind kind, std::string detail, TClock::time_point start) {
    TAnswer answer = Failure(kind, std::move(detail), start);
    Stop();
    newGame_ = true;
    return answer;
  }

  void Stop() {
    child_.Kill();
    buffer_.clear();
  }

  // Sends a command that is answered "OK". Move when it was; otherwise the kind of failure.
  TAnswerKind Command(const std::string& command, const std::atomic<bool>* stop,
                      std::string& detail) {
    const TClock::time_point deadline = TClock::now() + milliseconds(kStartTimeoutMs);
    if (!Send(command + "\n", deadline)) {
      detail = "stopped reading its input";
      return TAnswerKind::Crash;
    }
    std::string line;
    const TAnswerKind kind = ReadReply(deadline, stop, line);
    if (kind != TAnswerKind::Move) {
      detail = line + " (at " + command + ")";
      return kind;
    }
    if (line != "OK") {
      detail = "answered " + QuotedAnswer(line) + " to " + command;
      return RefusalKind(line).value_or(TAnswerKind::BadAnswer);
    }
    return TAnswerKind::Move;
  }

  // Writes all of text, waiting at most until the deadline for room in the pipe.
  bool Send(const std::string& text, TClock::time_point deadline) {
    if (!child_.Running() || child_.Input() < 0) return false;
    const int fd = child_.Input();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // A write to an engine that has gone raises SIGPIPE, which would end the runner: blocked
    // for the write, and a pending one taken back before the mask is restored.
    sigset_t pipeSignal, oldMask;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &oldMask);
    bool ok = true;
    std::size_t sent = 0;
    while (ok && sent < text.size()) {
      const ssize_t wrote = ::write(fd, text.data() + sent, text.size() - sent);
      if (wrote > 0) {
        sent += static_cast<std::size_t>(wrote);
        continue;
      }
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0 && errno != EAGAIN) {
        ok = false;  // EPIPE: the engine is gone
        break;
      }
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - TClock::now()).count();
      if (left <= 0) {
        ok = false;
        break;
      }
      pollfd wait{fd, POLLOUT, 0};
      ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left, kWaitSliceMs)));
    }
    const timespec noWait{0, 0};
    while (::sigtimedwait(&pipeSignal, nullptr, &noWait) == SIGPIPE) {
    }
    ::pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    return ok;
  }

  // The next line that is an answer (MESSAGE and DEBUG lines and empty lines are the engine
  // talking to people, not answering). Move with the line, or the failure with its detail.
  TAnswerKind ReadReply(TClock::time_point deadline, const std::atomic<bool>* stop,
                        std::string& line) {
    for (;;) {
      const auto end = buffer_.find('\n');
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.starts_with("MESSAGE")) {
          if (messages_.size() < kMaxMessages) messages_.push_back(MessageText(line.substr(7)));
          continue;
        }
        if (line.empty() || line.starts_with("DEBUG")) continue;
        return TAnswerKind::Move;
      }
      if (buffer_.size() > kMaxLineBytes) {
        line = "wrote " + std::to_string(buffer_.size()) + " bytes without a line end";
        return TAnswerKind::BadAnswer;
      }
      if (Stopped(stop)) {
        line = "stopped";
        return TAnswerKind::Cancelled;
      }
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - TClock::now()).count();
      if (left <= 0) {
        line = "no answer in time; killed";
        return TAnswerKind::Timeout;
      }
      pollfd wait{child_.Output(), POLLIN, 0};
      const int ready = ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left, kWaitSliceMs)));
      if (ready <= 0) continue;
      char chunk[4096];
      const ssize_t got = ::read(child_.Output(), chunk, sizeof chunk);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got <= 0) {
        // Output closed: the engine ended or is about to.
        const auto status = child_.WaitFor(milliseconds(200));
        line =
            "closed its output (" + (status ? status->Text() : std::string("still running")) + ")";
        return TAnswerKind::Crash;
      }
      buffer_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  // A MESSAGE line's text for a record: one printable line of bounded length.
  static std::string MessageText(std::string_view text) {
    constexpr std::size_t kShown = 200;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    std::string shown;
    for (const char c : text.substr(0, kShown))
      shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    if (text.size() > kShown) shown += "...";
    return shown;
  }

  TEngineEntry entry_;
  std::filesystem::path workDir_;
  TChildProcess child_;
  std::vector<std::string> messages_;  // MESSAGE lines read during the current request
  std::string buffer_;                 // bytes read but not yet taken as lines
  std::vector<TSquare> told_;          // the stones the engine knows, in play order
  bool newGame_ = true;
};

}  // namespace

std::optional<TEndReason> LossOfAnswer(TAnswerKind kind) {
  switch (kind) {
    case TAnswerKind::Move:
      return std::nullopt;
    case TAnswerKind::BadAnswer:
      return TEndReason::BadAnswer;
    case TAnswerKind::Crash:
    case TAnswerKind::Cancelled:
      return TEndReason::Crash;
    case TAnswerKind::NoAnswer:
      return TEndReason::NoAnswer;
    case TAnswerKind::Timeout:
      return TEndReason::Timeout;
    case TAnswerKind::EngineError:
      return TEndReason::EngineError;
    case TAnswerKind::Unknown:
      return TEndReason::Unknown;
  }
  return TEndReason::Unknown;
}

int64_t WaitLimitMs(const TMoveRequest& request) {
  int64_t time = request.MoveTimeMs;
  if (request.TimeLeftMs) time = std::min(time, std::max<int64_t>(0, *request.TimeLeftMs));
  return time + request.ToleranceMs;
}

TScratchDir::TScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zarvo-match-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error(std::string("cannot make a scratch folder: ") + std::strerror(errno));
  path_ = pattern;
}

TScratchDir::~TScratchDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

namespace {

// The words of an engine's command line: blanks separate, '...' and "..." keep blanks inside.
std::optional<std::vector<std::string>> SplitWords(std::string_view text, std::string& error) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (const char c : text) {
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else
        word += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quote != 0) {
    error = "engine '" + std::string(text) + "' has a quote " + quote + " that is not closed";
    return std::nullopt;
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace

std::optional<TEngineEntry> ParseEngineEntry(std::string_view entry, std::string& error) {
  const bool file = entry.starts_with("file:");
  if (!file && !entry.starts_with("pipe:")) {
    error = "engine '" + std::string(entry) + "' must start with file: or pipe:";
    return std::nullopt;
  }
  auto words = SplitWords(entry.substr(5), error);
  if (!words) return std::nullopt;
  if (words->empty()) {
    error = "engine '" + std::string(entry) + "' names no program";
    return std::nullopt;
  }
  TEngineEntry parsed;
  parsed.Pipe = !file;
  std::error_code fsError;
  // Absolute, because a move-file engine is started from inside its working directory.
  parsed.Program = std::filesystem::absolute(words->front(), fsError);
  if (fsError || std::filesystem::is_directory(parsed.Program, fsError) ||
      ::access(parsed.Program.c_str(), X_OK) != 0) {
    error = "engine '" + words->front() + "' is no executable file";
    return std::nullopt;
  }
  parsed.Arguments.assign(words->begin() + 1, words->end());
  return parsed;
}

std::unique_ptr<TPlayer> MakePlayer(const TEngineEntry& entry, std::string label,
                                    const std::filesystem::path& scratch) {
  if (entry.Pipe) return std::make_unique<TPipePlayer>(std::move(label), entry, scratch);
  return std::make_unique<TFilePlayer>(std::move(label), entry, scratch);
}

std::unique_ptr<TPlayer> MakePlayer(std::string_view entry, const std::filesystem::path& scratch,
                                    std::string& error) {
  const auto parsed = ParseEngineEntry(entry, error);
  if (!parsed) return nullptr;
  return MakePlayer(*parsed, std::string(entry), scratch);
}

std::string QuotedAnswer(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string quoted = "'";
  for (const char c : text.substr(0, kShown))
    quoted += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
  if (text.size() > kShown) quoted += "...";
  return quoted + "'";
}

}  // namespace zarvo::match
