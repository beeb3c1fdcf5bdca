// The position 'zarvo analyse' thinks about, from whichever source the user gave it: a working
// folder's move files, a list of moves, or a game record before one of its stones.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/square.h"
#include "driver/move_files.h"
#include "match/game_record.h"

namespace zarvo::tool {

struct TAnalysisPosition {
  int BoardSize = kBoardSize;
  bool ExactlyFive = false;
  bool Renju = false;  // a renju record's position
  TBoardText Board;    // 'x', 'o' and '.', twenty rows
  char ToMove = 'x';
  std::string Source;  // what the caption says the position is
};

// The stones in play order, x first, on a BoardSize board. Nothing, with the reason in error,
// for a square off that board or taken, or a position in which a side has already won.
std::optional<TAnalysisPosition> PositionOfMoves(const std::vector<TSquare>& stones, int boardSize,
                                                 bool exactlyFive, std::string& error);

// The record's position before its stone number `stone` (1 is the empty board; one past the last
// stone is the final position), on the record's board and by its rule.
std::optional<TAnalysisPosition> PositionOfRecord(const match::TGameRecord& record,
                                                  std::size_t stone, std::string& error);

// A board text as a move-file engine reads it, with the side Tah.dat names (kStoneX, kStoneO,
// anything else: the side the stone counts give, as the deep search takes it). Nothing, with the
// reason in error, for a stone beyond a BoardSize board.
std::optional<TAnalysisPosition> PositionOfBoardText(const TBoardText& board, int side,
                                                     int boardSize, bool exactlyFive,
                                                     std::string& error);

}  // namespace zarvo::tool
