// Every share of a move's thinking time, pinned by tables: the limits from what a manager sets,
// and the phases of one search within them.
#include "deep/time_manager.h"

#include <gtest/gtest.h>

#include "deep/pause_watch.h"

#include <cstdint>
#include <optional>

namespace zarvo::deep {
namespace {

constexpr int64_t kHuge = 9'000'000'000'000'000'000;  // near the largest int64_t

TEST(MoveBudgetMs, BudgetFollowsTheTimeFileRule) {
  struct Case {
    const char* What;
    TGameLimits Limits;
    std::optional<int64_t> MaxMoveMs;
    int64_t BudgetMs;
  } const cases[] = {
      {"no INFO: one hour", {}, {}, 3'600'000},
      {"turn limit only", {5000, std::nullopt, std::nullopt}, {}, 5000},
      {"a third of the time left", {10'000, std::nullopt, 900}, {}, 300},
      {"the turn limit when smaller", {5000, std::nullopt, 30'000}, {}, 5000},
      {"time left alone, under the hour", {std::nullopt, std::nullopt, 30'000}, {}, 10'000},
      {"turn limit 0 plays at once", {0, std::nullopt, 100'000}, {}, 0},
      {"unlimited time left", {7000, 180'000, 2'147'483'647}, {}, 7000},
      {"negative time left", {7000, 180'000, -500}, {}, 0},
      {"time left beyond 32 bits is unlimited", {7000, std::nullopt, int64_t{1} << 40}, {}, 7000},
      {"match time before the first time_left", {100'000, 30'000, std::nullopt}, {}, 10'000},
      {"unlimited match ignores time_left", {4000, 0, 3}, {}, 4000},
      {"negative turn limit", {-5, std::nullopt, std::nullopt}, {}, 0},
      {"rounded like the time file", {1000, std::nullopt, 299}, {}, 100},
      {"the program's own cap", {5000, std::nullopt, 900}, 200, 200},
      {"a cap above the budget", {5000, std::nullopt, 900}, 400, 300},
  };
  for (const Case& c : cases) EXPECT_EQ(MoveBudgetMs(c.Limits, c.MaxMoveMs), c.BudgetMs) << c.What;
}

// A whole move as the front ends time it: the budget by the time file's rule (a swap2 stone's
// part of it), then the deep search's soft and hard limits within it.
TEST(PlanThinkingTime, AMoveOfAGameFromWhatTheManagerSets) {
  constexpr int kWhole = -1;  // not a swap2 stone
  struct Case {
    const char* What;
    TGameLimits Limits;
    int Stones;
    int Swap2Stone;
    int64_t Budget, Soft, Hard;
  } const cases[] = {
      {"no INFO: the default turn", {}, 0, kWhole, 3'600'000, 4950, 4950},
      {"turn limit only", {5000, {}, {}}, 0, kWhole, 5000, 4950, 4950},
      // Little time left: the soft target spreads it over 30 moves to come, the hard limit is a
      // quarter of it, below the time file's third.
      {"little time left", {5000, 180'000, 1000}, 0, kWhole, 333, 33, 250},
      {"time left spread over the moves to come",
       {5000, 180'000, 100'000},
       0,
       kWhole,
       5000,
       3333,
       4950},
      {"match time before the first time_left",
       {10'000, 60'000, {}},
       0,
       kWhole,
       10'000,
       2000,
       9950},
      {"unlimited match (timeout_match 0)", {5000, 0, 1000}, 0, kWhole, 5000, 4950, 4950},
      {"timeout_turn 0", {0, 180'000, 100'000}, 0, kWhole, 0, 0, 0},
      {"no time left", {5000, 180'000, -500}, 0, kWhole, 0, 0, 0},
      // Fewer moves to come as the board fills: 30 less a quarter of the stones, at least 10.
      {"the same clock early", {5000, 180'000, 30'000}, 0, kWhole, 5000, 1000, 4950},
      {"a long game", {5000, 180'000, 30'000}, 100, kWhole, 5000, 3000, 4950},
      {"a very long game", {5000, 180'000, 30'000}, 300, kWhole, 5000, 3000, 4950},
      // Swap2's two stones in one move: half the budget for the first, the rest for the second.
      {"swap2 first stone", {5000, {}, {}}, 3, 0, 2500, 2500, 2500},
      {"swap2 second stone", {5000, {}, {}}, 4, 1, 5000, 4950, 4950},
      {"swap2 first stone, little time left", {5000, 180'000, 1000}, 3, 0, 166, 33, 166},
  };
  for (const Case& c : cases) {
    int64_t budget = MoveBudgetMs(c.Limits, std::nullopt);
    if (c.Swap2Stone != kWhole) budget = Swap2StoneBudgetMs(budget, c.Swap2Stone);
    EXPECT_EQ(budget, c.Budget) << c.What;
    const TThinkingTime time = PlanThinkingTime(GameMoveSettings(c.Limits, c.Stones, budget));
    EXPECT_EQ(time.SoftMs, c.Soft) << c.What;
    EXPECT_EQ(time.HardMs, c.Hard) << c.What;
  }
}

// Zarvo2 started for one move: the time file's budget less the busy machine's margin and the
// reserve for starting and ending the process.
TEST(PlanThinkingTime, AProcessPerMoveKeepsItsReserve) {
  struct {
    int64_t TimeFileBudget, Soft, Hard;
  } const cases[] = {
      {1000, 920, 920},  // 50 ms margin, 30 ms reserve
      {50, 24, 24},      // 15 ms margin, 11 ms reserve
      {10, 0, 0},        // nothing left after the reserve
      {0, 0, 0},
      {3'599'999, 3'527'940, 3'527'940},  // under an hour: the file's budget
      {3'600'000, 4840, 4840},            // an hour: no time file, kDefaultTurnMs
  };
  for (const auto& c : cases) {
    const TThinkingTime time = PlanThinkingTime(ProcessMoveSettings(c.TimeFileBudget));
    EXPECT_EQ(time.SoftMs, c.Soft) << c.TimeFileBudget;
    EXPECT_EQ(time.HardMs, c.Hard) << c.TimeFileBudget;
  }
}

TEST(PlanThinkingTime, LimitsFromTheTurnTheGameClockAndThePart) {
  struct Case {
    std::optional<int64_t> Turn, Left;
    int Stones;
    bool ProcessPerMove;
    std::optional<int64_t> Cap;
    int64_t Soft, Hard;
  } const cases[] = {
      // A brain session: 30 % of the turn kept for a busy machine, at most 50 ms.
      {100, {}, 0, false, {}, 70, 70},
      {10, {}, 0, false, {}, 7, 7},
      {0, {}, 0, false, {}, 0, 0},
      {-5, {}, 0, false, {}, 0, 0},
      {1000, {}, 0, false, {}, 950, 950},
      {{}, {}, 0, false, {}, 4950, 4950},  // no limit set: kDefaultTurnMs
      {kHuge, {}, 0, false, {}, kHuge - 50, kHuge - 50},
      // The game's clock: spread over the moves to come, at most a quarter of it.
      {100, 1000, 0, false, {}, 33, 70},
      {5000, 2000, 100, false, {}, 200, 500},
      {5000, -30, 0, false, {}, 0, 0},
      // A part of the move (one of swap2's stones), or the time file's budget.
      {100, {}, 0, false, 50, 50, 50},
      {100, 1000, 0, false, 20, 20, 20},
      // A process per move also keeps 10 ms and 2 % for starting and ending.
      {50, {}, 0, true, {}, 24, 24},
      {10, {}, 0, true, {}, 0, 0},
      {1000, {}, 0, true, {}, 920, 920},
      {{}, {}, 0, true, {}, 4840, 4840},
      {1000, 3030, 0, true, {}, 100, 750},
  };
  for (const Case& c : cases) {
    TTimeSettings settings;
    settings.TurnMs = c.Turn;
    settings.LeftMs = c.Left;
    settings.StonesOnBoard = c.Stones;
    settings.ProcessPerMove = c.ProcessPerMove;
    settings.CapMs = c.Cap;
    const TThinkingTime time = PlanThinkingTime(settings);
    EXPECT_EQ(time.SoftMs, c.Soft) << c.Turn.value_or(-1) << " " << c.Left.value_or(-1);
    EXPECT_EQ(time.HardMs, c.Hard) << c.Turn.value_or(-1) << " " << c.Left.value_or(-1);
  }
}

TEST(SharePhases, EachPhaseGivesWayAtItsShare) {
  struct Case {
    TThinkingTime Time;
    int64_t Vcf, Vct, Defence, NextDepth;
    bool DefendThrees;
  } const cases[] = {
      {{70, 70}, 17, 14, 23, 59, false},
      {{200, 500}, 125, 40, 166, 170, true},
      {{4950, 4950}, 1237, 990, 1650, 4207, true},
      {{0, 0}, 0, 0, 0, 0, false},
      // The untimed searches of the benchmarks and tests.
      {{int64_t{1} << 40, int64_t{1} << 40},
       int64_t{1} << 38,
       (int64_t{1} << 40) / 5,
       (int64_t{1} << 40) / 3,
       (int64_t{1} << 40) * 85 / 100,
       true},
      // No overflow, whatever the limits.
      {{kHuge, kHuge}, kHuge / 4, kHuge / 5, kHuge / 3, 7'650'000'000'000'000'000, true},
  };
  for (const Case& c : cases) {
    const TPhaseTimes phases = SharePhases(c.Time);
    EXPECT_EQ(phases.RootVcfMs, c.Vcf) << c.Time.SoftMs << "/" << c.Time.HardMs;
    EXPECT_EQ(phases.RootVctMs, c.Vct) << c.Time.SoftMs << "/" << c.Time.HardMs;
    EXPECT_EQ(phases.DefenceMs, c.Defence) << c.Time.SoftMs << "/" << c.Time.HardMs;
    EXPECT_EQ(phases.NextDepthMs, c.NextDepth) << c.Time.SoftMs << "/" << c.Time.HardMs;
    EXPECT_EQ(phases.DefendThrees, c.DefendThrees) << c.Time.SoftMs << "/" << c.Time.HardMs;
  }
}

TEST(StopAtMs, TheLongestWaitSeenComesOffTheHardLimit) {
  struct {
    int64_t Hard, LongestPause, StopAt;
  } const cases[] = {
      {70, 0, 70},  {70, 1, 69},
      {70, 30, 40}, {70, 35, 35},
      {70, 60, 35},  // never before half the hard limit
      {0, 5, 0},    {int64_t{1} << 40, 1000, (int64_t{1} << 40) - 1000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StopAtMs(c.Hard, c.LongestPause), c.StopAt) << c.Hard << " " << c.LongestPause;
}

TEST(PauseWatch, KeepsTheLongestWaitBetweenLooksAndHalvesItForANewMove) {
  using namespace std::chrono_literals;
  const TPauseWatch::TClock::time_point t{};
  TPauseWatch watch;
  watch.NewMove(t);
  watch.Look(t + 1ms);
  watch.Look(t + 31ms);  // held for 30 ms
  watch.Look(t + 32ms);
  EXPECT_EQ(watch.Longest(), 30ms);
  watch.NewMove(t + 100ms);
  EXPECT_EQ(watch.Longest(), 15ms);
  // The root's solvers ran until 200 ms without looking: not a wait.
  watch.Resume(t + 200ms);
  watch.Look(t + 210ms);
  EXPECT_EQ(watch.Longest(), 15ms);
  watch.Look(t + 230ms);
  EXPECT_EQ(watch.Longest(), 20ms);
}

}  // namespace
}  // namespace zarvo::deep
