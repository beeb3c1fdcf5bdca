// Helpers for tests of the evaluation: a picture of a position for failure messages, the members
// of a threat list, and field-by-field comparison of cells (TCell has padding, so no memcmp).
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/position.h"
#include "board/threat_lists.h"

namespace zarvo::testing {

// 20 x 20 picture, Y down and X across, "x", "o" and "." as in a board file.
inline std::string BoardPicture(const TPosition& position) {
  std::ostringstream out;
  out << "    ";
  for (int x = 0; x < kBoardSize; ++x) out << x % 10;
  out << '\n';
  for (int y = 0; y < kBoardSize; ++y) {
    out << (y < 10 ? "  " : " ") << y << ' ';
    for (int x = 0; x < kBoardSize; ++x) out << ".xo#"[position.Cell(x, y).Stone & 3];
    out << '\n';
  }
  return out.str();
}

using TSquareList = std::vector<std::pair<int, int>>;

// The squares of a list, in list order.
inline TSquareList Squares(const TXYList& list) {
  TSquareList squares;
  for (const TSquare* item : list) squares.emplace_back(item->X, item->Y);
  return squares;
}

inline TSquareList Sorted(TSquareList squares) {
  std::sort(squares.begin(), squares.end());
  return squares;
}

// The six lists in a fixed order: five, open four, four; slot 0 before slot 1 in each.
inline std::vector<const TXYList*> AllLists(const TThreatLists& lists) {
  return {&lists.FiveSquares[0],     &lists.FiveSquares[1], &lists.OpenFourSquares[0],
          &lists.OpenFourSquares[1], &lists.FourSquares[0], &lists.FourSquares[1]};
}

inline constexpr const char* kListNames[6] = {"five[0]",     "five[1]", "openfour[0]",
                                              "openfour[1]", "four[0]", "four[1]"};

// Empty squares must agree in every field; occupied ones only in what the evaluation keeps
// current there (Stone and Value).
inline bool SameEvaluation(const TCell& a, const TCell& b) {
  if (a.Stone != b.Stone || a.Value != b.Value) return false;
  if (a.Stone != kEmpty) return true;
  return a.X == b.X && a.Y == b.Y && a.LineSum == b.LineSum && a.TopClass == b.TopClass &&
         a.DirClass == b.DirClass;
}

inline std::string DescribeCell(const TCell& c) {
  std::ostringstream out;
  out << "stone " << int{c.Stone} << " value " << c.Value[0] << "," << c.Value[1] << " linesum "
      << c.LineSum[0] << "," << c.LineSum[1] << " top " << int{c.TopClass[0]} << ","
      << int{c.TopClass[1]} << " dir " << std::hex;
  for (uint8_t d : c.DirClass) out << int{d} << " ";
  return out.str();
}

}  // namespace zarvo::testing
