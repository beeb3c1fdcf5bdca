#include "deep/time_manager.h"

#include <algorithm>
#include <cmath>

namespace zarvo::deep {
namespace {

// The margin kept inside the turn limit: 30 % of it, never more than 50 ms. On two cores with
// two busy programs and more beside the engine (load 8), answers at timeout_turn 100 came up to
// 104 ms after the command with 30 %, 114 ms with 20 %. A longer move needs no more: the delays
// come at its end only. The search also stops earlier by the longest wait it has seen.
int64_t BusyMachineMarginMs(int64_t turnMs) {
  return std::min<int64_t>(turnMs / 10 * 3, 50);
}

// A process per move: 10 ms and 2 % of the turn for starting, writing the answer and ending.
int64_t ProcessReserveMs(int64_t turnMs) {
  return 10 + turnMs / 50;
}

// The share of the soft limit after which no new iteration starts: the next one takes about
// three times as long, and one cut short still offers its best move so far.
constexpr int64_t kNextDepthPercent = 85;
// Below this hard limit the defence check leaves out the opponent's wins by threes.
constexpr int64_t kDefendThreesMinMs = 250;

}  // namespace

std::optional<int64_t> GameTimeLeftMs(const TGameLimits& limits) {
  const bool matchUnlimited = limits.TimeoutMatchMs && *limits.TimeoutMatchMs == 0;
  if (matchUnlimited) return std::nullopt;
  return limits.TimeLeftMs ? limits.TimeLeftMs : limits.TimeoutMatchMs;
}

int64_t TimeFileBudgetMs(int32_t amountMs, int64_t limitMs) {
  const double third = static_cast<double>(amountMs) / 3.0;
  const double budget = std::max(0.0, std::min(third, static_cast<double>(limitMs)));
  return std::llround(budget);
}

int64_t MoveBudgetMs(const TGameLimits& limits, std::optional<int64_t> maxMoveMs) {
  const int64_t leftMs = GameTimeLeftMs(limits).value_or(kUnlimitedMs);
  // The time file's amount is 32 bits; 2147483647 already stands for "unlimited", and a third
  // of it is far above any turn limit that matters.
  const auto amountMs = static_cast<int32_t>(std::clamp<int64_t>(leftMs, INT32_MIN, kUnlimitedMs));
  const int64_t budget =
      TimeFileBudgetMs(amountMs, limits.TimeoutTurnMs.value_or(kDefaultTurnLimitMs));
  return maxMoveMs ? std::min(budget, *maxMoveMs) : budget;
}

int64_t Swap2StoneBudgetMs(int64_t moveBudgetMs, int stone) {
  return stone == 0 ? moveBudgetMs / 2 : moveBudgetMs;
}

TThinkingTime PlanThinkingTime(const TTimeSettings& settings) {
  const int64_t turn = std::max<int64_t>(0, settings.TurnMs.value_or(kDefaultTurnMs));
  const int64_t reserve = settings.ProcessPerMove ? ProcessReserveMs(turn) : 0;
  int64_t hard = turn - BusyMachineMarginMs(turn) - reserve;
  int64_t soft = hard;
  if (settings.LeftMs) {
    const int64_t left = std::max<int64_t>(0, *settings.LeftMs - reserve);
    const int64_t movesToCome = std::max(10, 30 - settings.StonesOnBoard / 4);
    soft = std::min(soft, left / movesToCome);
    hard = std::min(hard, left / 4);
  }
  if (settings.CapMs) hard = std::min(hard, *settings.CapMs);
  hard = std::max<int64_t>(0, hard);
  soft = std::clamp<int64_t>(soft, 0, hard);
  return {soft, hard};
}

TTimeSettings GameMoveSettings(const TGameLimits& limits, int stonesOnBoard, int64_t budgetMs) {
  TTimeSettings settings;
  settings.TurnMs = limits.TimeoutTurnMs;
  settings.LeftMs = GameTimeLeftMs(limits);
  settings.StonesOnBoard = stonesOnBoard;
  settings.CapMs = budgetMs;
  return settings;
}

TTimeSettings ProcessMoveSettings(int64_t timeFileBudgetMs) {
  TTimeSettings settings;
  settings.TurnMs = timeFileBudgetMs >= kDefaultTurnLimitMs
                        ? kDefaultTurnMs
                        : std::max<int64_t>(0, timeFileBudgetMs);
  settings.ProcessPerMove = true;
  return settings;
}

TPhaseTimes SharePhases(const TThinkingTime& time) {
  TPhaseTimes phases;
  phases.RootVcfMs = time.HardMs / 4;
  phases.RootVctMs = time.SoftMs / 5;
  phases.DefenceMs = time.HardMs / 3;
  // kNextDepthPercent of the soft limit, in two parts so that no limit overflows.
  phases.NextDepthMs =
      time.SoftMs / 100 * kNextDepthPercent + time.SoftMs % 100 * kNextDepthPercent / 100;
  phases.DefendThrees = time.HardMs >= kDefendThreesMinMs;
  return phases;
}

int64_t StopAtMs(int64_t hardMs, int64_t longestPauseMs) {
  return hardMs - std::clamp<int64_t>(longestPauseMs, 0, hardMs / 2);
}

}  // namespace zarvo::deep
