#include "board/state_check.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "board/line_eval.h"
#include "board/pattern_tables.h"

namespace zarvo {
namespace {

// What of the cell disagrees with its rescan; null when nothing does. Occupied cells carry no
// line classes worth comparing: only their markers.
const char* CellDifference(const TCell& held, const TCell& fresh) {
  if (held.X != fresh.X || held.Y != fresh.Y || held.Stone != fresh.Stone) return "square";
  if (held.Stone == kEmpty && held.DirClass != fresh.DirClass) return "line classes";
  if (held.TopClass != fresh.TopClass) return "top classes";
  if (held.LineSum != fresh.LineSum) return "line sums";
  if (held.Value != fresh.Value) return "values";
  return nullptr;
}

void CheckCell(const TPosition& position, int x, int y) {
  if (!OnBoard(x, y)) return;
  if (const char* what = CellDifference(position.Cell(x, y), RescannedCell(position, x, y)))
    StateCheckFailed(what, x, y);
}

}  // namespace

void StateCheckFailed(const char* what, int x, int y) {
  std::fprintf(stderr, "zarvo: incremental state check failed: %s at %d,%d\n", what, x, y);
  std::abort();
}

void CheckEvaluationAround(const TPosition& position, int x, int y) {
  CheckCell(position, x, y);
  for (int k = 1; k <= 4; ++k) {
    for (int d = 0; d < 4; ++d) {
      CheckCell(position, x + k * DirDX[d], y + k * DirDY[d]);
      CheckCell(position, x - k * DirDX[d], y - k * DirDY[d]);
    }
  }
}

void CheckThreatLists(const TThreatLists& lists, const TPosition& position) {
  // held[slot][class - kClassFour][square]: how often the list of that class holds the square.
  std::array<std::array<std::array<uint8_t, kBoardSize * kBoardSize>, 3>, 2> held{};
  for (int slot = 0; slot < 2; ++slot) {
    const std::array<const TXYList*, 3> byClass{
        &lists.FourSquares[slot], &lists.OpenFourSquares[slot], &lists.FiveSquares[slot]};
    for (int c = 0; c < 3; ++c) {
      for (const TSquare* square : *byClass[c]) {
        if (square == nullptr || !OnBoard(square->X, square->Y))
          StateCheckFailed("threat list entry off the board", -1, -1);
        uint8_t& count = held[slot][c][square->X * kBoardSize + square->Y];
        if (++count > 1) StateCheckFailed("threat list holds a square twice", square->X, square->Y);
      }
    }
  }
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const TCell& cell = position.Cell(x, y);
      for (int slot = 0; slot < 2; ++slot) {
        for (int c = 0; c < 3; ++c) {
          const bool belongs = cell.TopClass[slot] == kClassFour + c;
          if (belongs != (held[slot][c][x * kBoardSize + y] == 1))
            StateCheckFailed(belongs ? "threat list misses a square" : "threat list keeps a square",
                             x, y);
        }
      }
    }
  }
}

}  // namespace zarvo
