// One brain-protocol conversation with a manager: text lines in, answer lines out. The session
// keeps the game (board, INFO settings, whether a game was started) and asks the engine for a
// move with a fresh engine state each time.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deep/time_manager.h"
#include "driver/deep_engine.h"
#include "driver/engine.h"
#include "pbrain/brain_board.h"

namespace zarvo {

// Longer input lines, their line end not counted, are refused whole; no command of the protocol
// comes near this.
inline constexpr std::size_t kMaxBrainLineLength = 4096;

struct TBrainOptions {
  std::string ProgramPath;       // argument 0: gives the opening-book base name, as for Zarvo2
  std::optional<uint32_t> Seed;  // none: from the clock on every move
  // Where the engine keeps its loss-marker files; empty: the working directory, as for Zarvo2.
  std::filesystem::path WorkDir;
  bool Classic = false;  // the move choice of Zarvo2 instead of the deep search
  bool Messages = true;  // a MESSAGE line for every finished iteration of the deep search
  // Caps that hold whatever INFO says, for many quick sessions (fuzzing): a move's thinking time,
  // the search depth, and the deep search's table.
  std::optional<int64_t> MaxMoveMs{};
  std::optional<int32_t> MaxDepth{};
  std::size_t MaxTableBytes = TDeepEngine::kDefaultTableBytes * 16;
  // The deep search's threads until INFO thread_num says otherwise (--threads).
  int Threads = 1;
  // Where the MESSAGE lines go the moment each is made (the caller writes and flushes them);
  // without it they come among the answers, before the move.
  std::function<void(const std::string&)> Emit{};
  // Set by the caller's reader when END comes in while the engine thinks: the deep search stops
  // at once (its answer is then not wanted).
  const std::atomic<bool>* Stop = nullptr;
};

class TBrainSession {
 public:
  // The classic engine call; tests put a recorder in its place, and a session given one plays
  // through it alone.
  using TPlayFunction =
      std::function<TSquare(TEngineState&, int, const TBoardText&, const TEngineOptions&)>;

  explicit TBrainSession(TBrainOptions options, TPlayFunction play = {});

  // Handles one input line (its line end may be there or not) and returns the answer lines,
  // none for INFO and END. Any bytes are safe; it never throws.
  std::vector<std::string> HandleLine(std::string_view line) noexcept;

  // True after END: the caller ends the process.
  bool Ended() const { return ended_; }

  const TBrainBoard& Board() const { return board_; }
  const deep::TGameLimits& Limits() const { return limits_; }
  // The deep search's engine once a game was started with it, else nullptr.
  const TDeepEngine* DeepEngine() const { return deepEngine_.get(); }

 private:
  void Dispatch(std::string_view line, std::vector<std::string>& out);
  void BoardLine(std::string_view line, std::vector<std::string>& out);
  void NewGame(int width, int height);
  bool BoardSizeAllowed(int64_t width, int64_t height) const;
  std::string SizeRefusal(std::string_view args) const;
  void Info(std::string_view args, std::vector<std::string>& out);
  void Turn(std::string_view args, std::vector<std::string>& out);
  void Begin(std::string_view args, std::vector<std::string>& out);
  void Done(std::vector<std::string>& out);
  void TakeBack(std::string_view args, std::vector<std::string>& out);
  void Play(std::string_view args, std::vector<std::string>& out);
  void Suggest(std::string_view args, std::vector<std::string>& out);
  void Swap2Line(std::string_view line, std::vector<std::string>& out);
  void Swap2Done(std::vector<std::string>& out);
  // The thinking time for a move from INFO, within the cap of the options.
  int64_t BudgetMs() const;
  // The engine's move for its own side on `board`, never an occupied square; the board must have
  // an empty square. budgetMs: the thinking time from the command's arrival.
  // MESSAGE lines of the deep search go to `messages` when given.
  TSquare EngineMove(const TBrainBoard& board, int64_t budgetMs,
                     std::vector<std::string>* messages = nullptr);
  // The engine's move on the current board, placed as its own stone.
  void AnswerMove(std::vector<std::string>& out);
  // The deep search's move on `board` (engineBoard: its text), or nothing when it found none.
  std::optional<TSquare> DeepMove(const TBrainBoard& board, const TEngineBoard& engineBoard,
                                  int64_t budgetMs, std::vector<std::string>* messages);

  // The stones of a SWAP2BOARD block, black first, until DONE.
  struct TSwap2Block {
    std::vector<TSquare> Stones;
    bool Refused = false;  // a stone line was refused: DONE plays nothing
  };

  TBrainOptions options_;
  TPlayFunction play_;
  deep::TRule rule_ = deep::TRule::Freestyle;  // what the deep search counts as five
  bool deep_ = false;                          // the deep search chooses the moves
  std::size_t tableBytes_ = TDeepEngine::kDefaultTableBytes;
  std::optional<int64_t> maxMemory_;  // INFO max_memory: bytes for the whole brain, 0 no limit
  int threads_ = 1;
  // The table's size and the thread count as the INFO values last given make them, for the
  // engine's next move.
  void ApplyMemoryAndThreads();
  std::unique_ptr<TDeepEngine> deepEngine_;  // made for the first move, kept for the game
  TMonotonicClock::time_point received_;     // when the line being handled came in
  bool started_ = false;
  bool ended_ = false;
  bool ruleMessageGiven_ = false;
  std::optional<TBrainBoard> pendingBoard_;  // between BOARD and DONE
  std::optional<TSwap2Block> pendingSwap2_;  // between SWAP2BOARD and DONE
  std::filesystem::path folder_;             // INFO folder: where the loss markers go
  // Before START no command plays on it; START and RECTSTART give it the game's size.
  TBrainBoard board_{kBoardSize, kBoardSize};
  deep::TGameLimits limits_;
};

}  // namespace zarvo
