// One brain-protocol conversation with a manager: text lines in, answer lines out. The session
// keeps the game (board, INFO settings, whether a game was started) and asks the engine for a
// move with a fresh engine state each time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/engine.h"
#include "pbrain/brain_board.h"
#include "pbrain/brain_limits.h"

namespace zarvo {

// Longer input lines are refused whole; no command of the protocol comes near this.
inline constexpr std::size_t kMaxBrainLineLength = 4096;

struct TBrainOptions {
  std::string ProgramPath;       // argument 0: gives the opening-book base name, as for Zarvo2
  std::optional<uint32_t> Seed;  // none: from the clock on every move
  // Where the engine keeps its loss-marker files; empty: the working directory, as for Zarvo2.
  std::filesystem::path WorkDir;
};

class TBrainSession {
 public:
  // The engine call; tests put a recorder in its place.
  using TPlayFunction =
      std::function<TSquare(TEngineState&, int, const TBoardText&, const TEngineOptions&)>;

  explicit TBrainSession(TBrainOptions options, TPlayFunction play = PlayPosition);

  // Handles one input line (its line end may be there or not) and returns the answer lines,
  // none for INFO and END. Any bytes are safe; it never throws.
  std::vector<std::string> HandleLine(std::string_view line) noexcept;

  // True after END: the caller ends the process.
  bool Ended() const { return ended_; }

  const TBrainBoard& Board() const { return board_; }
  const TBrainLimits& Limits() const { return limits_; }

 private:
  void Dispatch(std::string_view line, std::vector<std::string>& out);
  void BoardLine(std::string_view line, std::vector<std::string>& out);
  void NewGame();
  void Info(std::string_view args, std::vector<std::string>& out);
  void Turn(std::string_view args, std::vector<std::string>& out);
  void Begin(std::string_view args, std::vector<std::string>& out);
  void Done(std::vector<std::string>& out);
  void TakeBack(std::string_view args, std::vector<std::string>& out);
  // The engine's move on the current board, placed as its own stone.
  void AnswerMove(std::vector<std::string>& out);

  TBrainOptions options_;
  TPlayFunction play_;
  TMonotonicClock::time_point received_;  // when the line being handled came in
  bool started_ = false;
  bool ended_ = false;
  bool ruleMessageGiven_ = false;
  std::optional<TBrainBoard> pendingBoard_;  // between BOARD and DONE
  TBrainBoard board_;
  TBrainLimits limits_;
};

}  // namespace zarvo
