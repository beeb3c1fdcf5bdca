#include "deep/deep_search.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "deep/forbidden.h"

namespace zarvo::deep {
namespace {

// Move ordering weights by the class a move makes for the mover (attack) and the class it takes
// from the opponent (defence), indexed by TPattern4.
constexpr std::array<int, kPattern4Count> kAttackWeight = {0,   8,   12,  24,  60,   80,
                                                           160, 110, 130, 500, 3000, 10000};
constexpr std::array<int, kPattern4Count> kDefendWeight = {0,   6,  10, 20,  50,   70,
                                                           140, 40, 60, 300, 2000, 8000};
// Selectivity. Off the principal variation a node looks at a number of moves that grows with
// the depth left; late moves that make no four are searched shallower first, by a reduction
// that grows with the logarithms of the depth and of the move's rank.
constexpr int MoveCountLimit(int depth, bool pvNode) {
  return pvNode ? 20 + 3 * depth : 3 + depth + depth * depth / 2;
}
// A static evaluation this far above beta at a shallow node off the principal variation, with
// no four and no open three of the opponent's to meet, is taken as a cut.
constexpr int kFutilityDepth = 6;
constexpr int kFutilityMargin = 120;  // per ply of depth left
// A static evaluation this far below alpha at a shallow node is only saved by a win by fours.
constexpr int kRazorDepth = 3;
constexpr int kRazorMargin = 300;  // per ply of depth left
// Search and solver nodes between two looks at the clock: about 0.1 ms of work, so a search
// that gets the processor back after a long wait sees the time at once. A look costs 25 ns.
constexpr int64_t kClockCheckNodes = 128;
constexpr int kAspiration = 60;

bool IsQuiet(const TDeepBoard& board, TSquareIndex square) {
  const int me = board.SideToMove();
  return board.Class(square, me) < P4Flex3 && board.Class(square, Opponent(me)) < P4Flex3;
}

// Late-move reductions by depth left and move rank, in 1/1024 ply: 0.5 + ln d ln i / 1.6.
struct TReductionTable {
  std::array<std::array<int, 64>, kMaxSearchDepth + 1> Plies1024{};
  TReductionTable() {
    for (int d = 1; d <= kMaxSearchDepth; ++d)
      for (int i = 1; i < 64; ++i)
        Plies1024[d][i] = static_cast<int>(1024 * (0.5 + std::log(d) * std::log(i) / 1.6));
  }
};
const TReductionTable kReductions;

}  // namespace

TDeepSearch::TDeepSearch(std::size_t tableBytes) : table_(tableBytes) {}

TDeepSearch::TDeepSearch(TTranspositionTable& shared, int index)
    : table_(0), shared_(&shared), helperIndex_(index) {}

TDeepSearch::~TDeepSearch() {
  StopHelpers();
}

void TDeepSearch::SetThreads(int count) {
  count = std::clamp(count, 1, kMaxThreads);
  while (Threads() > count) helpers_.pop_back();
  while (Threads() < count)
    helpers_.push_back(std::unique_ptr<TDeepSearch>(new TDeepSearch(table_, Threads())));
}

void TDeepSearch::Clear() {
  table_.Clear();
  solver_.Clear();
  for (auto& side : history_) side.fill(0);
  for (auto& pair : killers_) pair.fill(kNoSquare);
  for (auto& helper : helpers_) helper->Clear();
}

void TDeepSearch::StartHelpers(const TDeepBoard& board) {
  stopHelpers_.store(false);
  for (auto& helper : helpers_) {
    // The position, the limits and the root moves as this search has them now; this search's
    // flag ends the helper (it watches the manager's).
    helper->helperBoard_ = board;
    helper->limits_ = limits_;
    helper->limits_.Stop = &stopHelpers_;
    helper->solver_.SetStop(&stopHelpers_);
    helper->phases_ = phases_;
    helper->rootAllowed_ = rootAllowed_;
    helper->rootFiltered_ = rootFiltered_;
    helper->finishedDepth_ = 0;
    TDeepSearch* const search = helper.get();
    try {
      threads_.emplace_back([search] { search->Help(); });
    } catch (const std::system_error&) {
      break;  // no thread to be had: the threads started search without it
    }
  }
}

void TDeepSearch::StopHelpers() {
  stopHelpers_.store(true);
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

int64_t TDeepSearch::HelperSearchNodes() const {
  int64_t nodes = 0;
  for (const auto& helper : helpers_)
    nodes += helper->publishedNodes_.load(std::memory_order_relaxed);
  return nodes;
}

int64_t TDeepSearch::HelperSolverNodes() const {
  int64_t nodes = 0;
  for (const auto& helper : helpers_)
    nodes += helper->publishedSolverNodes_.load(std::memory_order_relaxed);
  return nodes;
}

void TDeepSearch::Help() {
  const auto now = std::chrono::steady_clock::now();
  pauses_.NewMove(now);
  pauses_.Resume(now);
  stopped_ = false;
  nodes_ = 0;
  solverBase_ = lastClockCheck_ = solver_.Nodes();
  for (auto& side : history_)
    for (int& value : side) value /= 4;
  finishedLine_.clear();

  int score = 0;
  // Every other helper starts a ply deeper, so that the threads' iterations interleave.
  for (int depth = 1 + helperIndex_ % 2; depth <= limits_.MaxDepth; ++depth) {
    const int found = Iterate(helperBoard_, depth, score);
    if (stopped_) break;
    score = found;
    finishedDepth_ = depth;
    finishedScore_ = score;
    finishedLine_.assign(pv_[0].begin(), pv_[0].begin() + pvLength_[0]);
    if (score > kWinBound || score < -kWinBound) break;
    if (limits_.MaxNodes > 0 && nodes_ >= limits_.MaxNodes) break;
  }
  publishedNodes_.store(nodes_, std::memory_order_relaxed);
  publishedSolverNodes_.store(solver_.Nodes() - solverBase_, std::memory_order_relaxed);
}

int TDeepSearch::Iterate(TDeepBoard& board, int depth, int lastScore) {
  rootBest_ = {kNoSquare, 0};
  int delta = kAspiration;
  int alpha = depth >= 5 ? lastScore - delta : -kWinScore;
  int beta = depth >= 5 ? lastScore + delta : kWinScore;
  for (;;) {
    const int found = Search(board, depth, alpha, beta, 0, true);
    if (stopped_) return found;
    if (found <= alpha && alpha > -kWinScore) {
      alpha = std::max(-kWinScore, alpha - delta);
      delta *= 3;
    } else if (found >= beta && beta < kWinScore) {
      beta = std::min(kWinScore, beta + delta);
      delta *= 3;
    } else {
      return found;
    }
  }
}

int64_t TDeepSearch::ElapsedMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               limits_.Start)
      .count();
}

bool TDeepSearch::TimeUp() {
  if (stopped_) return true;
  // The leaves' solver works between the search's nodes: both count towards the next look at
  // the clock.
  const int64_t work = nodes_ + solver_.Nodes();
  if (work - lastClockCheck_ >= kClockCheckNodes) {
    lastClockCheck_ = work;
    const auto now = std::chrono::steady_clock::now();
    pauses_.Look(now);
    const auto ms = [](auto duration) {
      return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    };
    if (ms(now - limits_.Start) >= StopAtMs(limits_.HardMs, ms(pauses_.Longest()))) stopped_ = true;
    if (limits_.Stop && limits_.Stop->load(std::memory_order_relaxed)) stopped_ = true;
    publishedNodes_.store(nodes_, std::memory_order_relaxed);
    publishedSolverNodes_.store(solver_.Nodes() - solverBase_, std::memory_order_relaxed);
  }
  if (limits_.MaxNodes > 0 && nodes_ >= limits_.MaxNodes) stopped_ = true;
  return stopped_;
}

bool TDeepSearch::ShortVcfWins(TDeepBoard& board) {
  // A few fours within a few hundred positions: cheap enough for the nodes that ask.
  return board.ClassCountAtLeast(board.SideToMove(), P4Block4) > 0 &&
         solver_.FindVcf(board, 6, 200) != kNoSquare;
}

void TDeepSearch::UpdatePv(int ply, TSquareIndex move) {
  pv_[ply][ply] = move;
  const int length = ply + 1 < kMaxPly ? pvLength_[ply + 1] : ply + 1;
  for (int i = ply + 1; i < length; ++i) pv_[ply][i] = pv_[ply + 1][i];
  pvLength_[ply] = std::max(length, ply + 1);
}

int TDeepSearch::GenerateMoves(const TDeepBoard& board, TScoredMove* moves, int ply,
                               TSquareIndex ttMove, bool& forced) {
  const int me = board.SideToMove(), opp = Opponent(me);
  int count = 0;
  forced = true;
  // 1. A four of the opponent's: the block is the only move, none when it is forbidden.
  if (board.ClassCount(opp, P4Five) > 0) {
    const TSquareIndex block = board.FindClass(opp, P4Five, board.LastMove());
    if (!ForbiddenFor(board, me, block)) moves[count++] = {block, 0};
    return count;
  }
  // 2. An open four the opponent threatens: its defences and fours of one's own.
  // (Black's open four on a forbidden square threatens nothing.)
  const bool defend = board.ClassCountAtLeast(opp, P4Flex4) > 0 &&
                      (opp != 0 || board.Rule() != TRule::Renju ||
                       FindAllowedClass(board, opp, P4Flex4) != kNoSquare);
  forced = defend;
  const TDeepBoard::TArea area = board.StoneArea(defend ? kLineReach - 1 : 2);
  for (int y = area.MinY; y <= area.MaxY; ++y) {
    for (int x = area.MinX; x <= area.MaxX; ++x) {
      const TSquareIndex square = SquareAt(x, y);
      if (!board.IsEmpty(square)) continue;
      const TPattern4 mine = board.Class(square, me), theirs = board.Class(square, opp);
      if (defend ? mine < P4Block4 && theirs < P4Block4 : !board.IsNearStones(square)) continue;
      if (ForbiddenFor(board, me, square)) continue;
      // 3. Quiet moves near the stones, ranked by what they make and what they take.
      int score = kAttackWeight[mine] + kDefendWeight[theirs] +
                  (board.SquareValue(square, me) + board.SquareValue(square, opp)) / 4 +
                  history_[me][square] / 16;
      if (square == ttMove)
        score += 1 << 24;
      else if (square == killers_[ply][0])
        score += 1 << 20;
      else if (square == killers_[ply][1])
        score += 1 << 19;
      if (count < kMaxMoves) moves[count++] = {square, score};
    }
  }
  if (count == 0 && board.StoneCount() == 0) {
    // An empty board: its centre.
    moves[count++] = {SquareAt(board.Width() / 2, board.Height() / 2), 0};
  }
  return count;
}

int TDeepSearch::Search(TDeepBoard& board, int depth, int alpha, int beta, int ply, bool pvNode) {
  pvLength_[ply] = ply;
  if (TimeUp()) return 0;
  ++nodes_;
  const int me = board.SideToMove(), opp = Opponent(me);

  // 1. Decided positions: a five to make, two to stop, an open four against no four.
  if (board.ClassCount(me, P4Five) > 0) return kWinScore - ply - 1;
  const int oppFives = board.ClassCount(opp, P4Five);
  if (oppFives >= 2) return -(kWinScore - ply - 2);
  // Black's classes under renju may hold forbidden squares: its open four is checked, its four
  // and three left to the search.
  const bool renjuBlack = me == 0 && board.Rule() == TRule::Renju;
  if (oppFives == 0 && board.ClassCount(me, P4Flex4) > 0 &&
      (!renjuBlack || FindAllowedClass(board, me, P4Flex4) != kNoSquare))
    return kWinScore - ply - 3;
  // A four with an open three, or two open threes, against an opponent who cannot make a four:
  // its one reply stops one threat and the other becomes an open four. (The root needs a move:
  // its search finds the same win a ply deeper.)
  if (ply > 0 && !renjuBlack && oppFives == 0 && board.ClassCountAtLeast(opp, P4Block4) == 0 &&
      (board.ClassCount(me, P4Block4Flex3) > 0 || board.ClassCount(me, P4Flex3Double) > 0))
    return kWinScore - ply - 5;
  if (board.Full()) return 0;
  if (ply >= kMaxPly - 2) return Evaluate(board);

  // 2. No line can be better than the quickest win still possible.
  alpha = std::max(alpha, -(kWinScore - ply));
  beta = std::min(beta, kWinScore - ply - 1);
  if (alpha >= beta) return alpha;

  // 3. The horizon: the evaluation; on the principal variation a short continuous four decides
  // first. Elsewhere the solver would cost more depth than its wins are worth (measured in
  // matches). A four to block is never left at the horizon.
  if (depth <= 0 && oppFives == 0) {
    if (pvNode && ShortVcfWins(board)) return kWinScore - ply - 11;
    return Evaluate(board);
  }

  // 4. The transposition table: a cut off the principal variation, and the move to try first.
  TSquareIndex ttMove = kNoSquare;
  int staticEval = kNoEval;
  if (const std::optional<TTableEntry> entry = shared_->Probe(board.Hash())) {
    ttMove = entry->Move;
    staticEval = entry->Eval;
    if (!pvNode && entry->Depth >= depth) {
      const int score = ScoreFromTable(entry->Score, ply);
      const TBound bound = entry->Bound();
      if (bound == kBoundExact || (bound == kBoundLower && score >= beta) ||
          (bound == kBoundUpper && score <= alpha))
        return score;
    }
  }

  // 5. Shallow nodes off the principal variation, where the opponent threatens nothing that
  // wins soon: a static evaluation far above beta is a cut, one far below alpha a fail low
  // unless a short win by fours saves it.
  const bool quietNode = oppFives == 0 && board.ClassCount(opp, P4Flex4) == 0 && ply > 0;
  if (!pvNode && quietNode && depth <= kFutilityDepth && std::abs(beta) < kWinBound) {
    if (staticEval == kNoEval) staticEval = Evaluate(board);
    if (staticEval - kFutilityMargin * depth >= beta) return staticEval;
    if (depth <= kRazorDepth && staticEval + kRazorMargin * depth <= alpha) {
      return ShortVcfWins(board) ? kWinScore - ply - 11 : staticEval;
    }
  }
  // Without a table move a deep node is searched a ply shallower: the table will have one for
  // the next iteration.
  if (ttMove == kNoSquare && depth >= 5 && !pvNode) --depth;

  // 6. The moves, best first; off the principal variation only as many as the depth left earns.
  bool forced = false;
  TScoredMove* moves = moveStack_[ply].data();
  int count = GenerateMoves(board, moves, ply, ttMove, forced);
  if (ply == 0 && rootFiltered_) {
    count = static_cast<int>(
        std::remove_if(moves, moves + count,
                       [this](const TScoredMove& m) { return !rootAllowed_[m.Square]; }) -
        moves);
    forced = true;
  }
  // Nothing to play: a four whose block is forbidden (lost), or only forbidden squares nearby.
  if (count == 0) return oppFives == 1 ? -(kWinScore - ply - 2) : Evaluate(board);
  const int width = forced || ply == 0 ? count : std::min(count, MoveCountLimit(depth, pvNode));

  const int alphaIn = alpha;
  int best = -kWinScore;
  TSquareIndex bestMove = kNoSquare;
  int quietTried = 0;
  std::array<TSquareIndex, 64> quietsTried;
  for (int i = 0; i < width; ++i) {
    // Selection: the best of the rest to the front.
    int top = i;
    for (int j = i + 1; j < count; ++j)
      if (moves[j].Score > moves[top].Score) top = j;
    std::swap(moves[i], moves[top]);
    const TSquareIndex move = moves[i].Square;
    const bool makesFour = board.Class(move, me) >= P4Block4;
    const bool quiet = IsQuiet(board, move);

    // 7. A forced block costs no depth; late moves that make no four are searched shallower
    // first: less on the principal variation, for an open three and for a move with a good
    // history.
    const int newDepth = oppFives == 1 ? depth : depth - 1;
    int reduction = 0;
    if (!forced && depth >= 2 && i >= 1 && !makesFour) {
      int r1024 = kReductions.Plies1024[std::min(depth, kMaxSearchDepth)][std::min(i, 63)];
      if (pvNode) r1024 -= 1024;
      if (board.Class(move, me) >= P4Flex3) r1024 -= 2048;
      r1024 -= history_[me][move] * 1024 / 8192;
      reduction = std::clamp(r1024 / 1024, 0, std::max(0, newDepth - 1));
    }

    board.Move(move);
    int score;
    if (i == 0) {
      score = -Search(board, newDepth, -beta, -alpha, ply + 1, pvNode);
    } else {
      score = -Search(board, newDepth - reduction, -alpha - 1, -alpha, ply + 1, false);
      if (score > alpha && reduction > 0)
        score = -Search(board, newDepth, -alpha - 1, -alpha, ply + 1, false);
      if (score > alpha && score < beta && pvNode)
        score = -Search(board, newDepth, -beta, -alpha, ply + 1, true);
    }
    board.Undo();
    if (stopped_) return 0;

    if (score > best) {
      best = score;
      bestMove = move;
      if (score > alpha) {
        alpha = score;
        UpdatePv(ply, move);
        if (ply == 0) rootBest_ = {move, score};
        if (alpha >= beta) {
          if (!forced && killers_[ply][0] != move) {
            killers_[ply][1] = killers_[ply][0];
            killers_[ply][0] = move;
          }
          // The cut move gains, the quiet moves tried before it lose, each pulled back towards
          // zero so that old results fade.
          const int bonus = std::min(depth * depth * 16, 2048);
          const auto update = [&](TSquareIndex square, int change) {
            int& h = history_[me][square];
            h += change - h * std::abs(change) / 16384;
          };
          update(move, bonus);
          for (int q = 0; q < quietTried; ++q) update(quietsTried[q], -bonus);
          break;
        }
      }
    }
    if (quiet && quietTried < static_cast<int>(quietsTried.size()))
      quietsTried[quietTried++] = move;
  }

  const TBound bound = best >= beta ? kBoundLower : best > alphaIn ? kBoundExact : kBoundUpper;
  shared_->Store(board.Hash(), ScoreToTable(best, ply), bound, depth, bestMove, staticEval);
  return best;
}

void TDeepSearch::FilterRootDefences(TDeepBoard& board) {
  const bool withThrees = phases_.DefendThrees;
  rootFiltered_ = false;
  const int me = board.SideToMove(), opp = Opponent(me);
  const auto deadline = limits_.Start + std::chrono::milliseconds(phases_.DefenceMs);
  constexpr int64_t kThreatNodes = 60'000, kReplyNodes = 20'000;
  constexpr int kMaxFours = 30, kMaxThreats = 5;
  // 1. Would the opponent win by fours (or, failing that, by threes and fours) if it were its
  // move?
  board.SetSideToMove(opp);
  bool byThrees = false;
  bool threatened = solver_.FindVcf(board, kMaxFours, kThreatNodes, deadline) != kNoSquare;
  if (!threatened && withThrees) {
    threatened = solver_.FindVct(board, kMaxThreats, kThreatNodes, deadline) != kNoSquare;
    byThrees = threatened;
  }
  board.SetSideToMove(me);
  if (!threatened) return;
  const auto opponentWins = [&] {
    return solver_.FindVcf(board, kMaxFours, kReplyNodes, deadline) != kNoSquare ||
           (byThrees && solver_.FindVct(board, kMaxThreats, kReplyNodes, deadline) != kNoSquare);
  };

  // 2. Each candidate, the opponent to move: no forced win left means it defends.
  bool forced = false;
  TScoredMove* moves = moveStack_[0].data();
  const int count = GenerateMoves(board, moves, 0, kNoSquare, forced);
  rootAllowed_.fill(false);
  int allowed = 0;
  for (int i = 0; i < count; ++i) {
    const TSquareIndex move = moves[i].Square;
    if (std::chrono::steady_clock::now() >= deadline) {
      rootAllowed_[move] = true;  // not checked in time: kept
      ++allowed;
      continue;
    }
    // A four of one's own is always kept: after the block it is this side's move again, and its
    // attack may come first (the search decides).
    board.Move(move);
    const bool stillLost = board.ClassCount(me, P4Five) == 0 && opponentWins();
    board.Undo();
    if (!stillLost) {
      rootAllowed_[move] = true;
      ++allowed;
    }
  }
  // 3. Nothing defends: the search chooses among all moves (the opponent may still go wrong).
  rootFiltered_ = allowed > 0 && allowed < count;
}

TSearchResult TDeepSearch::Think(TDeepBoard& board, const TSearchLimits& limits,
                                 const TIterationCallback& onIteration) {
  limits_ = limits;
  solver_.SetStop(limits.Stop);
  phases_ = SharePhases({limits.SoftMs, limits.HardMs});
  pauses_.NewMove(std::chrono::steady_clock::now());
  stopped_ = false;
  nodes_ = 0;
  solverBase_ = lastClockCheck_ = solver_.Nodes();
  const int64_t solverNodesBefore = solverBase_;
  for (auto& helper : helpers_) {
    helper->publishedNodes_.store(0);
    helper->publishedSolverNodes_.store(0);
  }
  table_.NewSearch();
  for (auto& side : history_)
    for (int& value : side) value /= 4;

  TSearchResult result;
  const auto finish = [&](TSquareIndex move, int score, const char* reason) {
    StopHelpers();
    // Never a forbidden square nor no move while an allowed square is left (black under renju,
    // lost or not: a four whose block is forbidden leaves the search nothing to play).
    if (ForbiddenFor(board, board.SideToMove(), move) || (move == kNoSquare && !board.Full())) {
      bool forced = false;
      TScoredMove* moves = moveStack_[0].data();
      const int count = GenerateMoves(board, moves, 0, kNoSquare, forced);
      move = count > 0 ? std::max_element(moves, moves + count,
                                          [](const TScoredMove& a, const TScoredMove& b) {
                                            return a.Score < b.Score;
                                          })
                             ->Square
                       : AnyAllowedSquare(board, board.SideToMove());
      reason = "allowed move";
    }
    result.Move = move;
    result.Score = score;
    result.Reason = reason;
    result.SearchNodes = nodes_ + HelperSearchNodes();
    result.SolverNodes = solver_.Nodes() - solverNodesBefore + HelperSolverNodes();
    result.ElapsedMs = ElapsedMs();
    return result;
  };
  const int me = board.SideToMove(), opp = Opponent(me);

  // 1. Rules that need no search: the centre of an empty board, a five, the block of a four,
  // an open four.
  if (board.StoneCount() == 0)
    return finish(SquareAt(board.Width() / 2, board.Height() / 2), 0, "centre");
  if (board.ClassCount(me, P4Five) > 0)
    return finish(board.FindClass(me, P4Five), kWinScore - 1, "five");
  // Two fives to stop (an open four) are a loss: one is blocked, the other made; so is a five
  // whose block is forbidden.
  if (const int oppFives = board.ClassCount(opp, P4Five); oppFives > 0) {
    const TSquareIndex block = board.FindClass(opp, P4Five);
    const bool lost = oppFives >= 2 || ForbiddenFor(board, me, block);
    return finish(block, lost ? -(kWinScore - 2) : 0, "block");
  }
  if (const TSquareIndex four = FindAllowedClass(board, me, P4Flex4); four != kNoSquare)
    return finish(four, kWinScore - 3, "open four");

  // The helper threads search from here on, while this thread looks for forced wins and
  // defences: their table entries are there when its own search starts. They search every
  // move; one of theirs answers only if the defences below allow it.
  rootFiltered_ = false;
  StartHelpers(board);

  // 2. A forced win by fours, then by threes, at the root.
  if (limits.RootSolvers) {
    const auto vcfDeadline = limits.Start + std::chrono::milliseconds(phases_.RootVcfMs);
    if (const TSquareIndex move = solver_.FindVcf(board, 40, 200'000, vcfDeadline);
        move != kNoSquare) {
      result.Line = solver_.Line();
      return finish(move, kWinScore - solver_.WinPlies(), "vcf");
    }
    const auto deadline = limits.Start + std::chrono::milliseconds(phases_.RootVctMs);
    for (int threats = 3; threats <= 11; threats += 2) {
      const TSquareIndex move = solver_.FindVct(board, threats, limits.RootVctNodes, deadline);
      if (move != kNoSquare) {
        result.Line = solver_.Line();
        return finish(move, kWinScore - solver_.WinPlies(), "vct");
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
    }
  }

  // 3. Against a continuous-four threat only the moves that stop it are worth a search. The
  // best-ordered of them answers if not even the first iteration finishes.
  FilterRootDefences(board);
  TScoredMove fallback{kNoSquare, 0};
  {
    bool forced = false;
    TScoredMove* moves = moveStack_[0].data();
    const int count = GenerateMoves(board, moves, 0, kNoSquare, forced);
    for (int i = 0; i < count; ++i)
      if ((!rootFiltered_ || rootAllowed_[moves[i].Square]) &&
          (fallback.Square == kNoSquare || moves[i].Score > fallback.Score))
        fallback = moves[i];
  }
  result.Move = fallback.Square;
  result.Reason = "first move";
  // 4. Iterative deepening with aspiration windows around the last score. The waits between
  // looks at the clock are measured from here: the root's solvers look on their own.
  pauses_.Resume(std::chrono::steady_clock::now());
  int score = 0;
  for (int depth = 1; depth <= limits.MaxDepth; ++depth) {
    const int found = Iterate(board, depth, score);
    if (stopped_) {
      // An abandoned iteration counts only when it already found a better move than the last.
      if (rootBest_.Square != kNoSquare && rootBest_.Score > score) {
        result.Move = rootBest_.Square;
        result.Score = rootBest_.Score;
      }
      break;
    }
    score = found;
    result.Move = pvLength_[0] > 0 ? pv_[0][0] : result.Move;
    result.Score = score;
    result.Depth = depth;
    result.Reason = "search";
    result.Line.assign(pv_[0].begin(), pv_[0].begin() + pvLength_[0]);
    if (onIteration) {
      TIterationInfo info;
      info.Depth = depth;
      info.Score = score;
      info.SearchNodes = nodes_ + HelperSearchNodes();
      info.SolverNodes = solver_.Nodes() - solverNodesBefore + HelperSolverNodes();
      info.ElapsedMs = ElapsedMs();
      info.Line = result.Line;
      onIteration(info);
    }
    // 5. A proven result needs no deeper look; nor does an iteration that would not finish.
    // A loss among the defences only: they were chosen without the side's own attacks, which
    // may come first; every move gets its look.
    if (score < -kWinBound && rootFiltered_) {
      rootFiltered_ = false;
    } else if (score > kWinBound || score < -kWinBound) {
      break;
    }
    if (limits.MaxNodes > 0 && nodes_ >= limits.MaxNodes) break;
    if (ElapsedMs() > phases_.NextDepthMs) break;
  }
  StopHelpers();
  // A helper that finished a deeper iteration than this thread saw further, unless a proven
  // result is already in hand.
  if (std::abs(result.Score) < kWinBound || result.Depth == 0) {
    for (const auto& helper : helpers_) {
      if (helper->finishedDepth_ > result.Depth && helper->finishedScore_ > -kWinBound &&
          !helper->finishedLine_.empty() &&
          (!rootFiltered_ || rootAllowed_[helper->finishedLine_.front()])) {
        result.Depth = helper->finishedDepth_;
        result.Score = helper->finishedScore_;
        result.Line = helper->finishedLine_;
        result.Move = result.Line.front();
        result.Reason = "search";
      }
    }
  }
  if (result.Move == kNoSquare || !board.IsEmpty(result.Move)) result.Move = fallback.Square;
  return finish(result.Move, result.Score, result.Reason);
}

}  // namespace zarvo::deep
