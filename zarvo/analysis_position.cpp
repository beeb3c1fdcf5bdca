#include "zarvo/analysis_position.h"

#include "board/stones.h"
#include "driver/deep_engine.h"
#include "match/game_rules.h"

namespace zarvo::tool {
namespace {

// A position in which a side already has its five is over: there is nothing to think about.
std::optional<std::string> Won(const match::TGameBoard& board, bool exactlyFive) {
  for (int y = 0; y < board.Size(); ++y)
    for (int x = 0; x < board.Size(); ++x)
      if (!board.IsEmpty({x, y}) && !match::FiveThrough(board, {x, y}, exactlyFive).empty())
        return std::string(1, board.At({x, y})) + " already has five in a row at " +
               SquareText({x, y});
  return std::nullopt;
}

TAnalysisPosition PositionOfBoard(const match::TGameBoard& board, bool exactlyFive, char toMove) {
  TAnalysisPosition position;
  position.BoardSize = board.Size();
  position.ExactlyFive = exactlyFive;
  position.Board.Rows = board.Rows();
  position.Board.RowCount = kBoardSize;
  position.ToMove = toMove;
  return position;
}

}  // namespace

std::optional<TAnalysisPosition> PositionOfMoves(const std::vector<TSquare>& stones, int boardSize,
                                                 bool exactlyFive, std::string& error) {
  match::TGameBoard board(boardSize);
  for (std::size_t i = 0; i < stones.size(); ++i) {
    const TSquare square = stones[i];
    const std::string where = "stone " + std::to_string(i + 1) + " (" + SquareText(square) + ")";
    if (!board.OnBoard(square)) {
      error = where + " is off the " + std::to_string(boardSize) + " x " +
              std::to_string(boardSize) + " board";
      return std::nullopt;
    }
    if (!board.IsEmpty(square)) {
      error = where + " is on a taken square";
      return std::nullopt;
    }
    board.Place(square, match::ColourOfStone(i));
  }
  if (auto won = Won(board, exactlyFive)) {
    error = *won;
    return std::nullopt;
  }
  TAnalysisPosition position =
      PositionOfBoard(board, exactlyFive, match::ColourOfStone(stones.size()));
  position.Source = stones.empty() ? "the empty board" : "after the moves given";
  return position;
}

std::optional<TAnalysisPosition> PositionOfRecord(const match::TGameRecord& record,
                                                  std::size_t stone, std::string& error) {
  std::vector<TSquare> stones = record.Stones();
  if (stone < 1 || stone > stones.size() + 1) {
    error = "the record has stones 1 to " + std::to_string(stones.size()) + "; --move takes 1 to " +
            std::to_string(stones.size() + 1) + " (the position before that stone)";
    return std::nullopt;
  }
  stones.resize(stone - 1);
  auto position = PositionOfMoves(stones, record.BoardSize, record.ExactlyFive, error);
  if (!position) return std::nullopt;
  position->Renju = record.Renju;
  position->Source =
      "game " + std::to_string(record.Number) + " before stone " + std::to_string(stone);
  const std::vector<TSquare> all = record.Stones();
  if (stone <= all.size()) position->Source += " (played: " + SquareText(all[stone - 1]) + ")";
  return position;
}

std::optional<TAnalysisPosition> PositionOfBoardText(const TBoardText& text, int side,
                                                     int boardSize, bool exactlyFive,
                                                     std::string& error) {
  match::TGameBoard board(boardSize);
  for (int y = 0; y < text.RowCount; ++y) {
    for (int x = 0; x < static_cast<int>(text.Rows[y].size()); ++x) {
      const char c = text.Rows[y][x];
      if (c != 'x' && c != 'o') continue;
      if (!board.OnBoard({x, y})) {
        error = "a stone at " + SquareText({x, y}) + " is off the " + std::to_string(boardSize) +
                " x " + std::to_string(boardSize) + " board";
        return std::nullopt;
      }
      board.Place({x, y}, c);
    }
  }
  if (auto won = Won(board, exactlyFive)) {
    error = *won;
    return std::nullopt;
  }
  return PositionOfBoard(board, exactlyFive, DeepSideToMove(text, side) == kStoneX ? 'x' : 'o');
}

}  // namespace zarvo::tool
