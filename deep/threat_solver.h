// Forced wins by threats: a continuous-four (VCF) solver, where every attacking move makes a
// four, and a threat-space (VCT) solver that also plays open threes. A "win" is only claimed
// when every defence was tried: the defender's blocks and its own fours.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "deep/deep_board.h"

namespace zarvo::deep {

class TThreatSolver {
 public:
  using TClock = std::chrono::steady_clock;

  TThreatSolver();

  // The first move of a continuous-four win of the side to move within `maxFours` fours, or
  // kNoSquare. At most `nodeLimit` positions are visited.
  TSquareIndex FindVcf(TDeepBoard& board, int maxFours, int64_t nodeLimit,
                       TClock::time_point deadline = TClock::time_point::max());
  // The same with open threes among the attacking moves; stops at the deadline too.
  TSquareIndex FindVct(TDeepBoard& board, int maxThreats, int64_t nodeLimit,
                       TClock::time_point deadline = TClock::time_point::max());

  // Whether the side to move, the defender, loses to the attack under way (its opponent's last
  // move made a four or an open three): every reply, its own fours among them, leaves a win for
  // the attacker within `maxThreats` more threats. The proof that a move kept a win.
  bool DefenderLoses(TDeepBoard& board, int maxThreats, int64_t nodeLimit,
                     TClock::time_point deadline = TClock::time_point::max());

  // A flag another thread sets to end every search at its next look at the clock (nullptr:
  // none).
  void SetStop(const std::atomic<bool>* stop) { stop_ = stop; }

  // Forgets the positions known not to win.
  void Clear();

  // Positions visited since construction.
  int64_t Nodes() const { return totalNodes_; }
  // The attacker's and defender's moves of the last win found, from its first move.
  std::vector<TSquareIndex> Line() const { return {line_.begin(), line_.begin() + lineLength_}; }
  // The plies to the five of the last win found, from its first move, against the slowest
  // defence the solver tried: at least Line().size().
  int WinPlies() const { return winPlies_; }

 private:
  static constexpr int kMaxLine = 64;
  static constexpr int kMaxMoves = 96;

  void Begin(bool threes, int64_t nodeLimit, TClock::time_point deadline);
  TSquareIndex Solve(TDeepBoard& board, bool threes, int maxThreats, int64_t nodeLimit,
                     TClock::time_point deadline);
  bool Attack(TDeepBoard& board, int threats, int ply);
  bool Defend(TDeepBoard& board, int threats, int ply);
  bool OutOfBudget();
  bool KnownFailure(uint64_t key, int threats) const;
  void RememberFailure(uint64_t key, int threats);

  struct TFailure {
    uint64_t Key = 0;
    int Threats = -1;
  };
  std::vector<TFailure> failures_;  // sized once: positions known not to win within N threats
  std::array<TSquareIndex, kMaxLine> line_{};
  int lineLength_ = 0;
  int winPlies_ = 0;
  bool threes_ = false;  // VCT rather than VCF
  bool aborted_ = false;
  int64_t nodes_ = 0, nodeLimit_ = 0, totalNodes_ = 0;
  TClock::time_point deadline_;
  const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace zarvo::deep
