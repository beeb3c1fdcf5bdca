// One game of a match as it is kept, written and read back: who played which colour, the
// opening, the moves with their thinking times, and how the game ended.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/square.h"
#include "match/game_rules.h"

namespace zarvo::match {

enum class TOutcome { XWins, OWins, Draw };

// Why a game ended. Every reason but the first two is a loss of the side that was to move.
enum class TEndReason {
  Five,         // the side that moved made five or more in a row
  FullBoard,    // no empty square left: a draw
  IllegalMove,  // an occupied or off-board square
  BadAnswer,    // text that is no move
  Crash,        // the engine died or closed its output
  NoAnswer,     // a move-file engine ended without writing a move
  Timeout,      // over its time by more than the tolerance; the engine was killed
  EngineError,  // a brain answered ERROR
  Unknown,      // a brain answered UNKNOWN: it does not know the command
  Resigned,     // the side to move gave up (a person, in 'zarvo play')
};

std::string_view ReasonName(TEndReason reason);  // "five", "full board", ...
std::optional<TEndReason> ReasonOfName(std::string_view name);
std::string_view OutcomeName(TOutcome outcome);  // "x wins", "o wins", "draw"

struct TPlayedMove {
  TSquare Square;
  int64_t ThinkMs = 0;  // from the request to the answer, as the runner saw it
};

// A MESSAGE line a brain sent with the answer for stone number Stone (counted as the moves are;
// the side is the one that plays that stone).
struct TEngineMessage {
  int Stone = 1;
  std::string Text;
};

struct TGameRecord {
  int Number = 1;
  std::string XEngine, OEngine;  // x plays the first stone of the opening
  // The game: a BoardSize x BoardSize board, and whether only exactly five wins, or renju is
  // played (x by exactly five and without its forbidden moves; ExactlyFive is false then). A
  // record written before records said so was a 20 x 20 freestyle game.
  int BoardSize = kBoardSize;
  bool ExactlyFive = false;
  bool Renju = false;
  std::vector<TSquare> Opening;
  std::vector<TPlayedMove> Moves;
  TOutcome Outcome = TOutcome::Draw;
  TEndReason Reason = TEndReason::FullBoard;
  std::string Detail;                    // one line; for a loss, what the engine did
  std::vector<TEngineMessage> Messages;  // kept when the match was asked to

  // The opening stones and then the moves, in play order.
  std::vector<TSquare> Stones() const;
  // The board after every stone.
  TGameBoard FinalBoard() const;
  // The five (or more) the last stone made when the game ended on one, by the game's rule;
  // empty otherwise.
  std::vector<TSquare> WinningLine() const;
};

// "freestyle", "exactly five" or "renju", as a record and the tools' captions say it.
std::string_view RuleName(bool exactlyFive, bool renju);

// The text form, one item per line:
//   Game: 3
//   x: file:/opt/engines/Zarvo2
//   o: pipe:/opt/engines/pbrain-zarvo2
//   Board: 15                      (15 to 20; without it 20)
//   Rule: exactly five             ("freestyle", "exactly five" or "renju"; without it
//                                  freestyle)
//   Opening: 9,9 10,10 9,10        ("none" for an empty board)
//   Message 4: o depth 7 eval 30   (optional: what the brain said with its answer for stone 4)
//   Move 4: o 10,9 123 ms          (stone number counted from the opening's first stone)
//   Result: x wins                 (or "o wins", "draw")
//   Reason: five
//   Detail: 5,5 6,6 7,7 8,8 9,9
std::string RecordText(const TGameRecord& record);

// Reads the text form back; blank lines and lines starting with '#' are skipped. Nothing, with
// the reason in error, when the text is no consistent record (a stone on an occupied or
// off-board square, a move out of turn or out of order, the board or rule after the stones, a
// missing result).
std::optional<TGameRecord> ParseRecord(std::istream& in, std::string& error);

// A game still being played, in the same form without the Result, Reason and Detail lines: what
// 'zarvo match --records' keeps of each game in progress, for a watcher to follow.
std::string GameSoFarText(const TGameRecord& game);

// Reads a record or a game so far; finished says which it was. The same checks as ParseRecord,
// the result alone may be missing; and the text must end at a line's end, so a file read while
// it is written gives an earlier position of the game or an error, never a square cut short.
std::optional<TGameRecord> ParseGameSoFar(std::istream& in, std::string& error, bool& finished);

}  // namespace zarvo::match
