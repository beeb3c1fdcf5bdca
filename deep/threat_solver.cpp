#include "deep/threat_solver.h"

#include <algorithm>

#include "deep/forbidden.h"

namespace zarvo::deep {
namespace {

constexpr std::size_t kFailureEntries = std::size_t{1} << 16;
constexpr uint64_t kThreeSalt = 0x7C1D5E29A3B4F601ull;  // VCT results apart from VCF ones

struct TCandidate {
  TSquareIndex Square;
  int Order;
};

// Squares of the side's class in [low, high] (low at least P4Flex3), strongest first, into
// `out`.
int CollectClass(const TDeepBoard& board, int side, TPattern4 low, TPattern4 high, TCandidate* out,
                 int capacity) {
  int count = 0;
  ForEachSquare(board.ThreatSquares(side), [&](TSquareIndex square) {
    const TPattern4 cls = board.Class(square, side);
    if (cls < low || cls > high || count == capacity) return;
    out[count++] = {square, cls * 4096 + board.SquareValue(square, side) +
                                board.SquareValue(square, Opponent(side))};
  });
  std::sort(out, out + count,
            [](const TCandidate& a, const TCandidate& b) { return a.Order > b.Order; });
  return count;
}

// Drops the squares `mover` may not play from `moves` (black's forbidden squares under renju);
// the count left.
int DropForbidden(const TDeepBoard& board, int mover, TCandidate* moves, int count) {
  if (mover != 0 || board.Rule() != TRule::Renju) return count;
  return static_cast<int>(
      std::remove_if(moves, moves + count,
                     [&](const TCandidate& m) { return IsForbidden(board, m.Square); }) -
      moves);
}

}  // namespace

TThreatSolver::TThreatSolver() : failures_(kFailureEntries) {}

void TThreatSolver::Clear() {
  std::fill(failures_.begin(), failures_.end(), TFailure{});
}

bool TThreatSolver::OutOfBudget() {
  if (aborted_) return true;
  // The clock every 128 nodes (about 0.1 ms): a look costs 25 ns.
  if (++nodes_ > nodeLimit_) aborted_ = true;
  if ((nodes_ & 127) == 0 &&
      ((deadline_ != TClock::time_point::max() && TClock::now() >= deadline_) ||
       (stop_ != nullptr && stop_->load(std::memory_order_relaxed))))
    aborted_ = true;
  return aborted_;
}

bool TThreatSolver::KnownFailure(uint64_t key, int threats) const {
  const TFailure& entry = failures_[key & (kFailureEntries - 1)];
  return entry.Key == key && entry.Threats >= threats;
}

void TThreatSolver::RememberFailure(uint64_t key, int threats) {
  if (aborted_) return;  // an unfinished search proves nothing
  failures_[key & (kFailureEntries - 1)] = {key, threats};
}

TSquareIndex TThreatSolver::FindVcf(TDeepBoard& board, int maxFours, int64_t nodeLimit,
                                    TClock::time_point deadline) {
  return Solve(board, false, maxFours, nodeLimit, deadline);
}

TSquareIndex TThreatSolver::FindVct(TDeepBoard& board, int maxThreats, int64_t nodeLimit,
                                    TClock::time_point deadline) {
  return Solve(board, true, maxThreats, nodeLimit, deadline);
}

void TThreatSolver::Begin(bool threes, int64_t nodeLimit, TClock::time_point deadline) {
  threes_ = threes;
  aborted_ = false;
  nodes_ = 0;
  nodeLimit_ = nodeLimit;
  deadline_ = deadline;
  lineLength_ = 0;
  winPlies_ = 0;
}

TSquareIndex TThreatSolver::Solve(TDeepBoard& board, bool threes, int maxThreats, int64_t nodeLimit,
                                  TClock::time_point deadline) {
  Begin(threes, nodeLimit, deadline);
  const bool won = Attack(board, maxThreats, 0);
  totalNodes_ += nodes_;
  return won && lineLength_ > 0 ? line_[0] : kNoSquare;
}

bool TThreatSolver::DefenderLoses(TDeepBoard& board, int maxThreats, int64_t nodeLimit,
                                  TClock::time_point deadline) {
  // Fours alone first, then threes with a growing count: one deep look at threes can spend
  // millions of positions on the first four's lines before it tries the second four.
  int64_t left = nodeLimit;
  for (int threats = 1;; threats = std::min(threats + 2, maxThreats)) {
    const bool threes = threats > 1;
    Begin(threes, left, deadline);
    const bool lost = Defend(board, threes ? threats : maxThreats, 0);
    totalNodes_ += nodes_;
    left -= nodes_;
    if (lost && !aborted_) return true;
    if (threats >= maxThreats || left <= 0 || TClock::now() >= deadline) break;
  }
  return false;
}

bool TThreatSolver::Attack(TDeepBoard& board, int threats, int ply) {
  if (OutOfBudget() || ply >= kMaxLine - 2) return false;
  const int me = board.SideToMove(), opp = Opponent(me);

  // 1. A five to make ends it.
  if (board.ClassCount(me, P4Five) > 0) {
    line_[ply] = board.FindClass(me, P4Five, board.LastMove());
    lineLength_ = ply + 1;
    winPlies_ = ply + 1;
    return true;
  }
  // 2. The defender's four must be blocked first; the attack goes on only if a threat remains.
  const int oppFives = board.ClassCount(opp, P4Five);
  if (oppFives >= 2) return false;
  if (oppFives == 1) {
    const TSquareIndex block = board.FindClass(opp, P4Five, board.LastMove());
    if (ForbiddenFor(board, me, block)) return false;
    board.Move(block);
    const bool won = Defend(board, threats, ply + 1);
    board.Undo();
    if (won) line_[ply] = block;
    return won;
  }
  // 3. An open four (or two fours) wins when the defender has no four to answer with.
  if (board.ClassCount(me, P4Flex4) > 0 && board.ClassCountAtLeast(opp, P4Block4) == 0) {
    if (const TSquareIndex four = FindAllowedClass(board, me, P4Flex4); four != kNoSquare) {
      line_[ply] = four;
      lineLength_ = ply + 1;
      winPlies_ = ply + 3;
      return true;
    }
  }
  if (threats <= 0) return false;
  const uint64_t key = board.Hash() ^ (threes_ ? kThreeSalt : 0);
  if (KnownFailure(key, threats)) return false;

  // 4. Every four; open threes too (for VCT) unless the defender already threatens an open four.
  std::array<TCandidate, kMaxMoves> moves;
  int count = CollectClass(board, me, P4Block4, P4Flex4, moves.data(), kMaxMoves);
  if (threes_ && board.ClassCountAtLeast(opp, P4Flex4) == 0)
    count +=
        CollectClass(board, me, P4Flex3, P4Flex3Double, moves.data() + count, kMaxMoves - count);
  count = DropForbidden(board, me, moves.data(), count);
  for (int i = 0; i < count; ++i) {
    board.Move(moves[i].Square);
    const bool won = Defend(board, threats - 1, ply + 1);
    board.Undo();
    if (won) {
      line_[ply] = moves[i].Square;
      return true;
    }
    if (aborted_) return false;
  }
  RememberFailure(key, threats);
  return false;
}

bool TThreatSolver::Defend(TDeepBoard& board, int threats, int ply) {
  if (OutOfBudget() || ply >= kMaxLine - 2) return false;
  const int me = board.SideToMove(), attacker = Opponent(me);

  // 1. A five of the defender's own refutes the attack.
  if (board.ClassCount(me, P4Five) > 0) return false;

  // 2. The replies worth trying: the block of a four (or, against two, only fours of its own);
  // against an open-four threat, the attacker's four squares and the defender's own fours.
  std::array<TCandidate, kMaxMoves> moves;
  int count = 0;
  const int attackerFives = board.ClassCount(attacker, P4Five);
  if (attackerFives > 0) {
    if (attackerFives == 1)
      moves[count++] = {board.FindClass(attacker, P4Five, board.LastMove()), 0};
    else
      count = CollectClass(board, me, P4Block4, P4Flex4, moves.data(), kMaxMoves);
    // No reply left (black's block may be forbidden): the five comes next.
    count = DropForbidden(board, me, moves.data(), count);
    if (count == 0) {
      lineLength_ = ply;
      winPlies_ = ply + 2;
      return true;
    }
  } else if (threes_ && board.ClassCount(attacker, P4Flex4) > 0 &&
             (attacker != 0 || board.Rule() != TRule::Renju ||
              FindAllowedClass(board, attacker, P4Flex4) != kNoSquare)) {
    count = CollectClass(board, me, P4Block4, P4Flex4, moves.data(), kMaxMoves);
    count +=
        CollectClass(board, attacker, P4Block4, P4Flex4, moves.data() + count, kMaxMoves - count);
    if (count == kMaxMoves) return false;  // too many to be sure of all
    count = DropForbidden(board, me, moves.data(), count);
  } else {
    return false;  // the last attacking move threatened nothing
  }

  // 3. The attack wins only if it wins against every reply.
  int lastLength = ply, slowest = 0;
  for (int i = 0; i < count; ++i) {
    // A square may be both a four of the defender's and one of the attacker's: tried once.
    if (std::any_of(moves.begin(), moves.begin() + i,
                    [&](const TCandidate& m) { return m.Square == moves[i].Square; }))
      continue;
    board.Move(moves[i].Square);
    const bool won = Attack(board, threats, ply + 1);
    board.Undo();
    if (!won) return false;
    line_[ply] = moves[i].Square;
    lastLength = lineLength_;
    slowest = std::max(slowest, winPlies_);
  }
  lineLength_ = lastLength;
  winPlies_ = slowest;
  return true;
}

}  // namespace zarvo::deep
