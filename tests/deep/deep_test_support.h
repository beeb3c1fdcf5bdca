// Positions for the deep search's tests, drawn as rows of text: "x" first player, "o" second,
// anything else empty; the top-left character is square 0,0.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "deep/deep_board.h"
#include "deep/deep_search.h"

namespace zarvo::deep::testing {

// The board with those stones and `toMove` ('x' or 'o') to move.
inline TDeepBoard BoardOf(std::initializer_list<std::string_view> rows, char toMove,
                          int size = kMaxBoardSize, TRule rule = TRule::Freestyle) {
  TDeepBoard board(size, size, rule);
  int y = 0;
  for (std::string_view row : rows) {
    for (int x = 0; x < static_cast<int>(row.size()); ++x)
      if (row[x] == 'x' || row[x] == 'o') board.Place(SquareAt(x, y), row[x] == 'x' ? 0 : 1);
    ++y;
  }
  board.SetSideToMove(toMove == 'x' ? 0 : 1);
  return board;
}

// Limits without a clock: node limits and a depth bound the work, so a slow build or a busy
// machine gets the same answers.
inline TSearchLimits Unhurried(int maxDepth) {
  TSearchLimits limits;
  limits.SoftMs = limits.HardMs = int64_t{1} << 40;
  limits.MaxDepth = maxDepth;
  limits.RootVctNodes = 50'000;
  return limits;
}

// One case of tests/deep/puzzles.txt.
struct TPuzzle {
  std::string Kind;  // vcf, vct or save
  int Number = 0;
  char Side = 'x';
  int MoveX = -1, MoveY = -1;
  std::vector<std::string> Rows;

  TDeepBoard Board() const {
    TDeepBoard board(kMaxBoardSize, kMaxBoardSize, TRule::Freestyle);
    for (int y = 0; y < static_cast<int>(Rows.size()); ++y)
      for (int x = 0; x < static_cast<int>(Rows[y].size()); ++x)
        if (Rows[y][x] == 'x' || Rows[y][x] == 'o')
          board.Place(SquareAt(x, y), Rows[y][x] == 'x' ? 0 : 1);
    board.SetSideToMove(Side == 'x' ? 0 : 1);
    return board;
  }
  std::string Name() const {
    return Kind + " " + std::to_string(Number) + " " + Side + " " + std::to_string(MoveX) + "," +
           std::to_string(MoveY);
  }
};

inline std::vector<TPuzzle> Puzzles(std::string_view kind) {
  std::ifstream in(ZARVO_SOURCE_DIR "/tests/deep/puzzles.txt");
  std::vector<TPuzzle> puzzles;
  bool inCase = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#")) continue;
    if (line.empty()) {
      inCase = false;
    } else if (!inCase) {
      TPuzzle puzzle;
      std::istringstream header(line);
      char comma = 0;
      header >> puzzle.Kind >> puzzle.Number >> puzzle.Side >> puzzle.MoveX >> comma >>
          puzzle.MoveY;
      puzzles.push_back(puzzle);
      inCase = true;
    } else {
      puzzles.back().Rows.push_back(line);
    }
  }
  std::erase_if(puzzles, [kind](const TPuzzle& p) { return p.Kind != kind; });
  return puzzles;
}

}  // namespace zarvo::deep::testing
