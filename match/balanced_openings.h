// Openings the deep search itself judges close to even: random central openings kept only when
// a fixed-depth search scores them within a band and quick self-play games from them are won
// by both colours. Everything runs at fixed depths and node limits, so a seed gives one suite.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "match/openings.h"

namespace zarvo::match {

struct TBalancedSettings {
  uint32_t Seed = 1;
  int Candidates = 600;  // random openings judged
  int MinStones = 3;
  int MaxStones = 5;
  // Stones lie within Radius squares (and a half) of the board's centre point on both axes: on
  // 20 x 20 and radius 3, X and Y in 6 .. 13, an area the board's symmetries map onto itself.
  int Radius = 3;
  int JudgeDepth = 8;
  int64_t JudgeNodes = 2'000'000;     // the judging search's cap, so a slow position stays bounded
  int64_t JudgeVctNodes = 100'000;    // per root threat-sequence search: forced wins are caught
  int Band = 300;                     // the most |score| from x's point of view that is kept
  std::vector<int> PlayDepths{5, 7};  // every ordered pair of different depths plays a game
  int64_t PlayNodes = 1'000'000;      // a self-play move's cap
  int MaxGameStones = 160;            // a game still open after this many stones is a draw
  // The root's threat solvers in every search; off only where speed matters more than
  // catching forced wins (their fixed budgets dwarf a tiny search).
  bool RootSolvers = true;
};

struct TBalancedOpening {
  TOpening Stones;
  int Score = 0;  // the judging search's, from x's point of view
  int XWins = 0, OWins = 0, Draws = 0;
};

// What became of one candidate, for a progress line.
struct TCandidateReport {
  int Index = 0;  // 1-based
  const TOpening* Stones = nullptr;
  enum TVerdict { Duplicate, Forced, OutOfBand, OneSided, Kept } Verdict = Duplicate;
  int Score = 0;
  int XWins = 0, OWins = 0, Draws = 0;
};
using TCandidateCallback = std::function<void(const TCandidateReport&)>;

// The openings kept, in the order drawn; a position (up to the board's eight symmetries) is
// judged once.
std::vector<TBalancedOpening> GenerateBalancedOpenings(const TBalancedSettings& settings,
                                                       const TCandidateCallback& onCandidate = {});

// A random opening of MinStones to MaxStones distinct stones, colours alternating from x, in the
// central area the settings give.
TOpening RandomCentralOpening(TRandom& random, const TBalancedSettings& settings);

}  // namespace zarvo::match
