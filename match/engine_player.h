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

namespace zarvo::match {

struct TMoveRequest {
  std::vector<TSquare> Stones;              // the board in play order, x first
  char Colour = 'x';                        // the side to move
  int64_t MoveTimeMs = 1000;                // per move
  std::optional<int64_t> GameTimeMs;        // per game and engine; unset: unlimited
  std::optional<int64_t> TimeLeftMs;        // of this engine's game time; unset: unlimited
  int64_t ToleranceMs = 500;                // how long past its time the engine is waited for
  const std::atomic<bool>* Stop = nullptr;  // set: give up waiting and answer Cancelled
};

// The most an engine is waited for: its time for this move plus the tolerance.
int64_t WaitLimitMs(const TMoveRequest& request);

enum class TAnswerKind { Move, BadAnswer, Crash, NoAnswer, Timeout, Cancelled };

struct TAnswer {
  TAnswerKind Kind = TAnswerKind::Move;
  TSquare Square;         // with Move: as answered, not yet checked against the board
  int64_t ElapsedMs = 0;  // from the request to the answer
  std::string Detail;     // what went wrong, for the record
};

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

// The player an engine entry names: "file:PATH" runs PATH per move in fresh folders under
// scratch, "pipe:PATH" keeps PATH running. Nothing, with the reason in error, when the entry has
// neither prefix or PATH is no executable file.
std::unique_ptr<TPlayer> MakePlayer(std::string_view entry, const std::filesystem::path& scratch,
                                    std::string& error);

// Printable form of an engine's answer for a record: control characters shown as '?', cut to
// a length that fits a line.
std::string QuotedAnswer(std::string_view text);

}  // namespace zarvo::match
