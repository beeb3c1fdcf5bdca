// The two kinds of engine a match runs: a move-file engine, started once per move in a fresh
// working directory, and a brain-protocol engine, one process for many games that talks on its
// standard input and output.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/square.h"
#include "match/child_process.h"
#include "match/game_record.h"

namespace zarvo::match {

struct TMoveRequest {
  std::vector<TSquare> Stones;              // the board in play order, x first
  char Colour = 'x';                        // the side to move
  int64_t MoveTimeMs = 1000;                // per move
  std::optional<int64_t> GameTimeMs;        // per game and engine; unset: unlimited
  std::optional<int64_t> TimeLeftMs;        // of this engine's game time; unset: unlimited
  int64_t ToleranceMs = 500;                // how long past its time the engine is waited for
  const std::atomic<bool>* Stop = nullptr;  // set: give up waiting and answer Cancelled
  int BoardSize = kBoardSize;               // told to a brain with START
  bool ExactlyFive = false;                 // told to a brain with INFO rule 1
  bool Renju = false;                       // told to a brain with INFO rule 4
};

// The most an engine is waited for: its time for this move plus the tolerance.
int64_t WaitLimitMs(const TMoveRequest& request);

// EngineError and Unknown: a brain answered ERROR or UNKNOWN instead of a move.
enum class TAnswerKind {
  Move,
  BadAnswer,
  Crash,
  NoAnswer,
  Timeout,
  Cancelled,
  EngineError,
  Unknown
};

// How a game is lost by an answer that is no move: a stop asked for counts as a crash; nothing
// for a move.
std::optional<TEndReason> LossOfAnswer(TAnswerKind kind);

struct TAnswer {
  TAnswerKind Kind = TAnswerKind::Move;
  TSquare Square;         // with Move: as answered, not yet checked against the board
  int64_t ElapsedMs = 0;  // from the request to the answer
  std::string Detail;     // what went wrong, for the record
  // The MESSAGE lines a brain sent with this answer, without the word MESSAGE, made printable
  // and cut; at most kMaxMessages of them.
  std::vector<std::string> Messages;
};

inline constexpr std::size_t kMaxMessages = 20;

class TPlayer {
 public:
  virtual ~TPlayer() = default;
  // The engine as the user named it: "file:PATH" or "pipe:PATH".
  const std::string& Label() const { return label_; }
  // A new game starts with the next request.
  virtual void NewGame() = 0;
  virtual TAnswer Play(const TMoveRequest& request) = 0;

 protected:
  explicit TPlayer(std::string label) : label_(std::move(label)) {}

 private:
  std::string label_;
};

// A folder of its own under the system temp folder, removed with everything in it.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// An engine as the user names it: "file:PATH ARG..." or "pipe:PATH ARG...". The words after
// PATH are its arguments; blanks inside '...' or "..." belong to the word.
struct TEngineEntry {
  bool Pipe = false;
  std::filesystem::path Program;  // absolute
  std::vector<std::string> Arguments;
  // The engine's working folder; empty: a fresh one of its own under the scratch folder. A
  // move-file engine gets its exchange files written there, beside whatever else it keeps.
  std::filesystem::path WorkDir;
};

// Nothing, with the reason in error, when the entry has neither prefix, a quote is not closed or
// PATH is no executable file.
std::optional<TEngineEntry> ParseEngineEntry(std::string_view entry, std::string& error);

// The player an engine entry names: "file:..." runs the program per move in fresh folders under
// scratch (or in its WorkDir), "pipe:..." keeps it running. Label: the entry as the user wrote it.
std::unique_ptr<TPlayer> MakePlayer(const TEngineEntry& entry, std::string label,
                                    const std::filesystem::path& scratch);
// The same from the text; nothing, with the reason in error, when the text names no engine.
std::unique_ptr<TPlayer> MakePlayer(std::string_view entry, const std::filesystem::path& scratch,
                                    std::string& error);

// Printable form of an engine's answer for a record: control characters shown as '?', cut to
// a length that fits a line.
std::string QuotedAnswer(std::string_view text);

}  // namespace zarvo::match
