// What one run of a match leaves for merging: the match it belongs to, the part of it played and
// each finished game's result. 'zarvo match --records DIR' writes it as DIR/match.result (the
// whole match is shard 0/1), 'zarvo match --merge DIR...' reads and merges such files.
//
// The text, one item a line:
//   Engine A: pipe:/opt/engines/pbrain-zarvo2 --seed 1
//   Engine B: file:/opt/engines/Zarvo2
//   Games: 16                  the games of the whole match, whatever part this run plays
//   Openings: seed 1           random from seed 1; "file 12 9f3a..." 12 openings from a file,
//                              with a fingerprint of the openings (not of the file's path)
//   Move time: 1000            ms
//   Game time: 0               ms for each engine and game, 0 unlimited
//   Tolerance: 500             ms
//   Board: 20
//   Rule: freestyle            ("freestyle", "exactly five" or "renju")
//   SPRT: 0 5 0.05 0.05        ELO0 ELO1 ALPHA BETA; only in a match with the sequential test
//   Shard: 3/8                 this run plays the pairs k with k % 8 == 3
//   Game 7: x wins | five | A 12 3400 410 0 0 | B 11 3300 390 1 20
//   End: finished              ("finished" or "stopped"; missing while the run plays or after it
//                               was killed)
// A game line is added as each game ends, in the order they end: the game's number, its result
// and reason, then for each engine the answers it gave, their summed and longest thinking times
// in ms, how many came late (after its time, within the tolerance) and the most one was late by.
// A last line without its line end (a run killed while writing it) is left out when read.
#pragma once

#include <array>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "match/game_record.h"
#include "match/match_folder.h"
#include "match/match_runner.h"
#include "match/sprt.h"

namespace zarvo::match {

// The most games a match has ('zarvo match --games' and a result file alike).
inline constexpr int kMaxMatchGames = 1000000;

// All that makes two runs parts of one match: the same engines, the same games.
struct TMatchIdentity {
  std::array<std::string, 2> Engines;  // as named: A, then B
  int Games = 0;
  std::string Openings;  // as on the Openings line
  int64_t MoveTimeMs = 0;
  int64_t GameTimeMs = 0;  // 0: unlimited
  int64_t ToleranceMs = 0;
  int BoardSize = kBoardSize;
  bool ExactlyFive = false;
  bool Renju = false;
  std::optional<TSprtSettings> Sprt;

  bool operator==(const TMatchIdentity&) const = default;
};

// The identity of a match of these engines played with these options (their shard aside).
TMatchIdentity IdentityOf(const std::array<std::string, 2>& engines, const TMatchOptions& options,
                          const std::optional<TSprtSettings>& sprt);

struct TGameResult {
  int Number = 1;
  TOutcome Outcome = TOutcome::Draw;
  TEndReason Reason = TEndReason::FullBoard;
  // A and B in this game alone; read back, their wins, losses, draws and loss reasons are those
  // the result gives by colour.
  std::array<TEngineStats, 2> Engines;
};

struct TRunResult {
  TMatchIdentity Match;
  int ShardIndex = 0, ShardCount = 1;
  std::vector<TGameResult> Games;     // as they ended
  std::optional<TMatchProgress> End;  // unset: the run plays on or was killed
};

// The lines up to Shard, each with its line end.
std::string RunHeaderText(const TMatchIdentity& match, int shardIndex, int shardCount);
// One game line with its line end; stats are A's and B's in that game.
std::string GameResultLine(const TGameRecord& game, const std::array<TEngineStats, 2>& stats);
std::string RunEndLine(TMatchProgress progress);

// Nothing, with the reason in error, for text that is not a run's result: a line out of place, a
// field that does not read (Games and the shard count at most kMaxMatchGames), a game that is not
// of the run's shard or is there twice.
std::optional<TRunResult> ParseRunResult(std::istream& in, std::string& error);

}  // namespace zarvo::match
