// The deep search behind the front ends: a board as "Plocha.dat" holds it and the side to play
// in, a move out. It keeps its transposition table from one move to the next.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/square_text.h"
#include "deep/deep_search.h"
#include "deep/time_manager.h"
#include "driver/move_files.h"
#include "select/move_selection.h"

namespace zarvo {

struct TDeepPlayOptions {
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  deep::TThinkingTime Time{1000, 1000};
  std::optional<int> MaxDepth;
  std::function<void(const deep::TIterationInfo&)> OnIteration;
  int Width = kBoardSize, Height = kBoardSize;  // the board's squares beyond these are walls
  deep::TRule Rule = deep::TRule::Freestyle;
  const std::atomic<bool>* Stop = nullptr;  // set by another thread: answer at once
};

// The deep search's board for a board text: "x" stones are the first player's, "o" the
// second's; the side to move is `side` (kStoneX or kStoneO), else the one the counts give.
deep::TDeepBoard DeepBoardOf(const TBoardText& board, int side, int width, int height,
                             deep::TRule rule);

// The side the deep search takes as to move: `side` when it is kStoneX or kStoneO, else o when
// x has more stones and x otherwise.
int DeepSideToMove(const TBoardText& board, int side);

// "x,y" of a deep-board square, as the protocols write moves.
std::string SquareText(deep::TSquareIndex square);

// A score as the lines below give it: "112", or with a proven result the plies to the five,
// "19993 (win in 7 plies)", "-19994 (loss in 6 plies)".
std::string ScoreText(int score);

// One line for a finished iteration: depth, score, nodes, speed, time and principal variation,
// as "depth 9 score 112 nodes 801234 (solver 203410) nps 1480000 time 541 pv 9,10 10,11". The
// nodes are all of the move's so far, the threat solvers' among them in brackets; the speed
// is theirs.
std::string IterationText(const deep::TIterationInfo& info);

// One line for the move a search chose, with the whole move's nodes (abandoned iterations and
// root solvers included): "move 9,10 by search depth 9 score 112 nodes 1270000 (solver 300000)
// nps 1330000 time 955".
std::string MoveText(const deep::TSearchResult& result);

// The threads the deep search is given for `wanted`: at least one, at most the machine's cores
// (more only take time from each other).
int UsableThreads(int64_t wanted);

class TDeepEngine {
 public:
  explicit TDeepEngine(std::size_t tableBytes = kDefaultTableBytes)
      : search_(std::make_unique<deep::TDeepSearch>(tableBytes)), tableBytes_(tableBytes) {}

  static constexpr std::size_t kDefaultTableBytes = std::size_t{64} << 20;

  // The table's size from the next game or move on. Only recorded here: a manager may set it
  // between two commands that are timed, and the table is made anew only when its size changes.
  void SetTableBytes(std::size_t bytes) { tableBytes_ = bytes; }
  // The table in use.
  std::size_t TableBytes() const { return search_->TableBytes(); }
  // The threads that search a move, from the next move on (1 to TDeepSearch::kMaxThreads).
  void SetThreads(int count) { threads_ = count; }
  int Threads() const { return search_->Threads(); }
  int TableAllocations() const { return search_->TableAllocations(); }
  // A new game: an empty table of the size last set, and the line tables of every rule built
  // (once per process; the rule may come after the game starts), so no move pays for them.
  void NewGame();

  // The move, or nothing when the board has no empty square.
  std::optional<TSquare> Play(const TBoardText& board, int side, const TDeepPlayOptions& options,
                              deep::TSearchResult* details = nullptr);

 private:
  std::unique_ptr<deep::TDeepSearch> search_;  // large: move lists and tables for every ply
  std::size_t tableBytes_;                     // for the table from the next game or move on
  int threads_ = 1;                            // for the next move on
};

// A working folder's position, read as Zarvo2 reads it; when a file cannot be opened, nothing,
// and `unreadable` (if given) names that file.
std::optional<TFolderPosition> ReadFolderPosition(const std::filesystem::path& folder,
                                                  std::filesystem::path* unreadable = nullptr);

// Zarvo2 with the deep search: the move for the position its exchange files gave, within the
// state's time budget (the time manager's rule for a process per move) from `start` (the
// process's start: the manager's clock runs from there), or nothing when no move was found.
std::optional<TSquare> DeepMoveForFiles(const TEngineState& state, const TFolderPosition& position,
                                        TMonotonicClock::time_point start);

// Whether ZARVO_SEARCH asks Zarvo2 for the deep search ("deep"); anything else keeps the classic.
bool DeepSearchRequested(const char* environmentValue);

}  // namespace zarvo
