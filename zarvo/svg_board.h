// Pictures of the board as SVG: a game with numbered stones and its winning line, and the
// evaluation as a heat map.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/position.h"
#include "match/game_record.h"

namespace zarvo::tool {

// Grid, coordinates, every stone with its number in play order (opening stones included, drawn
// with a dashed ring), the winning five crossed by a red line, and a caption with the engines
// and the result.
std::string GameSvg(const match::TGameRecord& record);

// A position as it stands and a line of play from it.
struct TPositionPicture {
  int BoardSize = kBoardSize;
  std::array<std::string, kBoardSize> Rows;  // line Y, character X: 'x', 'o' or '.'
  char ToMove = 'x';                         // plays the line's first stone
  std::vector<TSquare> Line;
  std::vector<std::string> Caption;  // one line each
};

// The stones in their colours, unnumbered; the line's stones numbered from 1 in play order,
// colours alternating from ToMove, the first one ringed in blue; the caption below.
std::string PositionSvg(const TPositionPicture& picture);

struct THeatMap {
  std::array<std::string, kBoardSize> Rows;  // line Y, character X: 'x', 'o' or '.'
  std::array<std::array<int32_t, kBoardSize>, kBoardSize> Values{};  // [X][Y], empty squares
  std::string Title;
};

// Each empty square shaded from white (0) to red (the largest value) with its value written on
// it; the best squares outlined in blue; the stones drawn as in a game.
std::string HeatMapSvg(const THeatMap& map);

}  // namespace zarvo::tool
