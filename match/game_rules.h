// The rules a match is judged by: stones alternate from x, five or more in a row wins (exactly
// five by the exactly-five rule, and for x under renju, where x's forbidden moves lose), a full
// board is a draw.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/square.h"
#include "base/square_text.h"
#include "board/position.h"

namespace zarvo::match {

// Colour of the stone with the given index in play order (0 is the first stone, x).
constexpr char ColourOfStone(std::size_t index) {
  return index % 2 == 0 ? 'x' : 'o';
}
constexpr char OtherColour(char colour) {
  return colour == 'x' ? 'o' : 'x';
}

// A Size x Size board (15 to 20) in the top left corner of the largest one: the squares beyond
// Size are off the board, so the move files' 20 rows serve every size.
class TGameBoard {
 public:
  explicit TGameBoard(int size) : size_(size) { cells_.fill('.'); }

  int Size() const { return size_; }
  bool OnBoard(TSquare square) const {
    return square.X >= 0 && square.X < size_ && square.Y >= 0 && square.Y < size_;
  }
  // 'x', 'o', or '.' for an empty square.
  char At(TSquare square) const { return cells_[Index(square)]; }
  bool IsEmpty(TSquare square) const { return At(square) == '.'; }
  void Place(TSquare square, char colour);
  int StoneCount() const { return stones_; }
  bool Full() const { return stones_ == size_ * size_; }
  // The 20 lines of a board file, '.' for empty squares, without line ends.
  std::array<std::string, kBoardSize> Rows() const;

 private:
  static std::size_t Index(TSquare square) {
    return static_cast<std::size_t>(square.Y * kBoardSize + square.X);
  }
  std::array<char, kBoardSize * kBoardSize> cells_;
  int size_;
  int stones_ = 0;
};

// The board of the given size after the stones in play order, x first.
TGameBoard BoardOf(const std::vector<TSquare>& stones, int size);

// The longest line of five or more stones of one colour through the square, in board order;
// empty when there is none. The board's edge ends a line.
// With exactlyFive, only a run of exactly five counts.
std::vector<TSquare> FiveThrough(const TGameBoard& board, TSquare square, bool exactlyFive = false);

// Why x (black, the first player) may not play the empty square under renju: "overline",
// "four-four" or "three-three"; empty when it may.
std::string_view RenjuForbidden(const TGameBoard& board, TSquare square);

// A five's squares as a record's Detail line gives them: "7,8 8,8 9,8 10,8 11,8".
std::string RunText(const std::vector<TSquare>& run);

// Two decimal integers separated by a comma, blanks around either allowed; the square need not
// be on the board (an off-board answer is an illegal move, not text that is no move).
std::optional<TSquare> ParseCoordinates(std::string_view text);

}  // namespace zarvo::match
