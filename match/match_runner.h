// A match between two engines: games from openings played with both colours, judged by the
// rules, with the results and thinking times kept per engine.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "match/engine_player.h"
#include "match/game_record.h"
#include "match/openings.h"

namespace zarvo::match {

struct TMatchOptions {
  int Games = 2;
  int64_t MoveTimeMs = 1000;
  std::optional<int64_t> GameTimeMs;  // per engine and game; unset: unlimited
  int64_t ToleranceMs = 500;
  std::vector<TOpening> Openings;  // used in turn; empty: random openings from Seed
  uint32_t Seed = 1;
  const std::atomic<bool>* Stop = nullptr;  // set: the match ends after the current move
  bool KeepMessages = false;                // brains' MESSAGE lines go into the game records
  int Concurrency = 1;         // games played at the same time, each by its own pair of players
  int BoardSize = kBoardSize;  // the board is BoardSize x BoardSize (brain engines only below 20)
  bool ExactlyFive = false;    // only exactly five wins; six or more in a row do not
  // A shard plays the pairs k with k % ShardCount == ShardIndex (pair k: games 2k + 1 and
  // 2k + 2), each game as the whole match would play it. Whole pairs, so the pair-based test
  // counts every pair of a shard; the shards of one match play each of its games once.
  int ShardIndex = 0, ShardCount = 1;
  // Renju: x wins by exactly five and loses by a forbidden move (three-three, four-four,
  // overline), o wins by five or more; brains are told INFO rule 4.
  bool Renju = false;
};

// Indexed by colour: 0 as x, 1 as o.
struct TEngineStats {
  std::array<int, 2> Wins{}, Losses{}, Draws{};
  std::map<TEndReason, int> LossReasons;  // how its losses came about
  int Moves = 0;                          // answers given (illegal ones included)
  int64_t ThinkSumMs = 0;
  int64_t ThinkMaxMs = 0;
  // Answers that came after the engine's time but within the tolerance, and the most any of
  // them was over.
  int LateMoves = 0;
  int64_t LateMaxMs = 0;

  int TotalWins() const { return Wins[0] + Wins[1]; }
  int TotalLosses() const { return Losses[0] + Losses[1]; }
  int TotalDraws() const { return Draws[0] + Draws[1]; }
};

// Adds a game's or a match's figures to another's.
void AddStats(TEngineStats& into, const TEngineStats& from);

struct TMatchResult {
  std::array<TEngineStats, 2> Engines;  // 0 the first engine named, 1 the second
  std::vector<TGameRecord> Games;
  // By game number: each engine's part in that game alone (what Engines adds up).
  std::map<int, std::array<TEngineStats, 2>> GameStats;
  bool Stopped = false;  // ended early by the stop request; the game then running is not kept
};

class TMatchObserver {
 public:
  virtual ~TMatchObserver() = default;
  virtual void MovePlayed(const TGameRecord& /*game so far*/, const TMatchResult& /*so far*/) {}
  virtual void GameFinished(const TGameRecord& /*game*/, const TMatchResult& /*so far*/) {}
};

// The numbers (from 1) of the games the options' shard plays, in order.
std::vector<int> GamesOfShard(const TMatchOptions& options);

// Game k (from 0) starts from opening k / 2; in even games the first engine plays x, in odd
// games the second. Judging: five or more in a row wins, a full board is a draw, and the side to
// move loses on an off-board or occupied square, an answer that is no move, a crash, no answer,
// or an answer later than its time (the move time, or what is left of the game time when that is
// less) plus the tolerance. The random openings come from one generator seeded with Seed, one
// draw per pair in pair order, so a game's opening depends on the seed and its number alone.
TMatchResult RunMatch(TPlayer& first, TPlayer& second, const TMatchOptions& options,
                      TMatchObserver* observer = nullptr);

// Makes a player of the first (0) or the second (1) engine; each call gives one with folders of
// its own. Called from the threads that play the games.
using TPlayerFactory = std::function<std::unique_ptr<TPlayer>(int engine)>;

// The same match with options.Concurrency games at a time, each thread with its own two
// players. The games, their openings and colours are those of the sequential match; the
// observer is called for one game at a time, and the games come out sorted by number.
TMatchResult RunMatch(const TPlayerFactory& makePlayer, const TMatchOptions& options,
                      TMatchObserver* observer = nullptr);

}  // namespace zarvo::match
