// The deep search: iterative deepening principal-variation alpha-beta over TDeepBoard, with a
// transposition table, killer and history ordering, late-move reductions and the threat
// solvers at the root and at the leaves. It plays to win within a soft and a hard time limit.
// More threads search the same position beside it, sharing the table ("lazy SMP"): each has
// its own board, move lists, history and threat solver, and starts its iterations a ply apart.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "deep/deep_board.h"
#include "deep/evaluation.h"
#include "deep/pause_watch.h"
#include "deep/score.h"
#include "deep/threat_solver.h"
#include "deep/time_manager.h"
#include "deep/transposition.h"

namespace zarvo::deep {

inline constexpr int kMaxSearchDepth = 40;

struct TSearchLimits {
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  int64_t SoftMs = 1000;  // no new iteration once it is unlikely to finish before this
  int64_t HardMs = 2000;  // the running iteration is abandoned here
  int MaxDepth = kMaxSearchDepth;
  int64_t MaxNodes = 0;  // 0: no limit (a fixed node count makes runs repeatable)
  bool RootSolvers = true;
  int64_t RootVctNodes = 3'000'000;  // per threat-sequence search at the root
  // Set from another thread to end the search at once (the manager ended the game); the move
  // found so far is returned.
  const std::atomic<bool>* Stop = nullptr;
};

// What one finished iteration found. The nodes count from the start of the move: the
// alpha-beta search's and, apart, the threat solvers' (at the root and at the leaves).
struct TIterationInfo {
  int Depth = 0;
  int Score = 0;
  int64_t SearchNodes = 0;
  int64_t SolverNodes = 0;
  int64_t ElapsedMs = 0;
  std::vector<TSquareIndex> Line;  // the principal variation
};

struct TSearchResult {
  TSquareIndex Move = kNoSquare;
  int Score = 0;
  int Depth = 0;  // of the last finished iteration; 0 when a rule or a solver decided
  // The whole move's nodes, abandoned iterations included: as in TIterationInfo.
  int64_t SearchNodes = 0;
  int64_t SolverNodes = 0;
  int64_t ElapsedMs = 0;
  const char* Reason = "";  // how the move was chosen, for logs
  std::vector<TSquareIndex> Line;

  int64_t Nodes() const { return SearchNodes + SolverNodes; }
};

class TDeepSearch {
 public:
  using TIterationCallback = std::function<void(const TIterationInfo&)>;

  explicit TDeepSearch(std::size_t tableBytes = std::size_t{64} << 20);
  ~TDeepSearch();
  TDeepSearch(const TDeepSearch&) = delete;
  TDeepSearch& operator=(const TDeepSearch&) = delete;

  // The threads that search a move together (1 to kMaxThreads). One, the default, keeps a search
  // with a node limit repeatable; more share the work and the table, so runs differ.
  static constexpr int kMaxThreads = 64;
  void SetThreads(int count);
  int Threads() const { return 1 + static_cast<int>(helpers_.size()); }

  void SetTableBytes(std::size_t bytes) { table_.Resize(bytes); }
  std::size_t TableBytes() const { return table_.Bytes(); }
  int TableAllocations() const { return table_.Allocations(); }
  // Forgets everything learnt (a new game; repeatable runs).
  void Clear();

  // The move for the side to move. The board is returned as it came.
  TSearchResult Think(TDeepBoard& board, const TSearchLimits& limits,
                      const TIterationCallback& onIteration = {});

 private:
  static constexpr int kMaxPly = 64;
  static constexpr int kMaxMoves = 256;

  struct TScoredMove {
    TSquareIndex Square;
    int Score;
  };

  // A helper thread's search: its iterations on its own copy of the position, storing into the
  // main search's table, until `main` tells it to stop.
  TDeepSearch(TTranspositionTable& shared, int index);
  void Help();
  void StartHelpers(const TDeepBoard& board);
  void StopHelpers();
  // The nodes of the helpers so far (search, solvers), as they last published them.
  int64_t HelperSearchNodes() const;
  int64_t HelperSolverNodes() const;

  // One iteration at the root with an aspiration window around the last score.
  int Iterate(TDeepBoard& board, int depth, int lastScore);
  int Search(TDeepBoard& board, int depth, int alpha, int beta, int ply, bool pvNode);
  int GenerateMoves(const TDeepBoard& board, TScoredMove* moves, int ply, TSquareIndex ttMove,
                    bool& forced);
  bool TimeUp();
  // Whether the side to move wins by a short continuous four (the horizon's and razoring's probe).
  bool ShortVcfWins(TDeepBoard& board);
  int64_t ElapsedMs() const;
  void UpdatePv(int ply, TSquareIndex move);

  TTranspositionTable table_;  // a helper's own is empty: it searches its main search's
  TTranspositionTable* shared_ = &table_;
  TThreatSolver solver_;
  // Helper threads: their searches, the threads while a move is searched and the flag that
  // ends them. A helper keeps its position, its last finished iteration and its published node
  // counts here.
  std::vector<std::unique_ptr<TDeepSearch>> helpers_;
  std::vector<std::thread> threads_;
  std::atomic<bool> stopHelpers_ = false;
  int helperIndex_ = 0;
  TDeepBoard helperBoard_{kMaxBoardSize, kMaxBoardSize, TRule::Freestyle};  // set per move
  int finishedDepth_ = 0;
  int finishedScore_ = 0;
  std::vector<TSquareIndex> finishedLine_;
  std::atomic<int64_t> publishedNodes_ = 0, publishedSolverNodes_ = 0;
  int64_t solverBase_ = 0;  // the solver's nodes when the move began

  TSearchLimits limits_;
  TPhaseTimes phases_;  // the limits' shares for the phases of this search
  TPauseWatch pauses_;  // kept from move to move: how busy the machine has been
  bool stopped_ = false;
  int64_t nodes_ = 0;
  int64_t lastClockCheck_ = 0;  // search and solver nodes at the last look at the clock
  std::array<std::array<TSquareIndex, 2>, kMaxPly> killers_{};
  std::array<std::array<int, kSquareCount>, 2> history_{};
  std::array<std::array<TScoredMove, kMaxMoves>, kMaxPly> moveStack_{};
  std::array<std::array<TSquareIndex, kMaxPly>, kMaxPly> pv_{};
  std::array<int, kMaxPly> pvLength_{};
  TScoredMove rootBest_{kNoSquare, 0};  // the best root move of the running iteration
  // Root moves after which the opponent has no continuous-four win, when it has one now.
  std::array<bool, kSquareCount> rootAllowed_{};
  bool rootFiltered_ = false;

  // Limits the root to the moves that stop the opponent's continuous fours, if it has any.
  void FilterRootDefences(TDeepBoard& board);
};

}  // namespace zarvo::deep
