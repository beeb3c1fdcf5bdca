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
