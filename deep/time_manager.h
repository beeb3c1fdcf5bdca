// How long one move may think: the budget of a move by the time file's rule (the classic
// choice's one limit, and a cap on the deep search's), the parts of a move that places several
// stones, a soft limit (no new iteration after it is unlikely to finish) and a hard limit (the
// running iteration is abandoned), from the limits a manager sets; and how the search shares
// that time among its phases. Every share of the thinking time is decided here.
#pragma once

#include <cstdint>
#include <optional>

namespace zarvo::deep {

// The limits a manager sets for a game (the brain protocol's INFO timeout_turn, timeout_match
// and time_left).
struct TGameLimits {
  std::optional<int64_t> TimeoutTurnMs;   // per move; 0 = play at once
  std::optional<int64_t> TimeoutMatchMs;  // per game; 0 = unlimited
  std::optional<int64_t> TimeLeftMs;      // left in this game; may be negative
};

// A per-move limit when the manager names none: the one hour Zarvo2 takes without a time file.
inline constexpr int64_t kDefaultTurnLimitMs = 3'600'000;
// time_left and timeout_match use this value for "no limit".
inline constexpr int64_t kUnlimitedMs = 2'147'483'647;

// What is left of the game's time: time_left, else timeout_match; nothing when neither is known
// or the match is unlimited (timeout_match 0).
std::optional<int64_t> GameTimeLeftMs(const TGameLimits& limits);

// The time file's rule: max(0, min(amountMs / 3, limitMs)), rounded to the nearest integer.
int64_t TimeFileBudgetMs(int32_t amountMs, int64_t limitMs);

// The budget of one move by the time file's rule, where the amount is what is left of the game
// (unlimited when nothing is) and the limit timeout_turn or one hour; no more than `maxMoveMs`
// when given.
int64_t MoveBudgetMs(const TGameLimits& limits, std::optional<int64_t> maxMoveMs);

// The budget of stone `stone` (from 0) of the two a swap2 step places in one move, both timed
// from the move's start: the first may take half, the second the rest.
int64_t Swap2StoneBudgetMs(int64_t moveBudgetMs, int stone);

struct TTimeSettings {
  std::optional<int64_t> TurnMs;  // per move; none: kDefaultTurnMs
  std::optional<int64_t> LeftMs;  // left for the rest of the game; none: unlimited
  int StonesOnBoard = 0;
  // A process started for this one move: its start-up, writing the answer and ending count too.
  bool ProcessPerMove = false;
  // No limit goes beyond this (the move's budget by the time file's rule, or the part of it
  // that one stone of several may take); counted from the move's start like the others.
  std::optional<int64_t> CapMs;
};

struct TThinkingTime {
  int64_t SoftMs = 0;
  int64_t HardMs = 0;
};

// A move's limit when the manager sets none.
inline constexpr int64_t kDefaultTurnMs = 5000;

// The limits are the turn less a margin for a busy machine: once the clock says stop, the
// answer still has to be written and read by the manager, and another program may hold the
// processor for tens of milliseconds in between. A process per move also keeps time back for
// starting and ending. The game's time is spread over the moves still to come: a game of this
// kind rarely lasts more than about 30 moves a side beyond the stones already placed, and no
// move takes more than a quarter of what is left.
TThinkingTime PlanThinkingTime(const TTimeSettings& settings);

// A move of a game the manager times (the brain protocol): its turn limit, what is left of the
// game spread over the moves to come, and the move's budget (or a stone's part of it) as a cap.
TTimeSettings GameMoveSettings(const TGameLimits& limits, int stonesOnBoard, int64_t budgetMs);

// A move of Zarvo2, a process started for it, within the time file's budget; a budget of an hour
// or more (the default without a time file) takes kDefaultTurnMs.
TTimeSettings ProcessMoveSettings(int64_t timeFileBudgetMs);

// When each phase of one search must give way, in milliseconds from the move's start.
struct TPhaseTimes {
  int64_t RootVcfMs = 0;    // the root's search for a win by fours
  int64_t RootVctMs = 0;    // the root's search for a win by threes and fours
  int64_t DefenceMs = 0;    // the root's check of which moves stop the opponent's threats
  int64_t NextDepthMs = 0;  // no new iteration starts after this
  // The defence check also looks for the opponent's wins by threes (it would take most of a
  // short move's time).
  bool DefendThrees = false;
};

TPhaseTimes SharePhases(const TThinkingTime& time);

// When the search stops: at the hard limit less the longest wait it has seen between two looks
// at the clock (one more such wait after the stop would otherwise make the answer late), but
// never before half the hard limit.
int64_t StopAtMs(int64_t hardMs, int64_t longestPauseMs);

}  // namespace zarvo::deep
