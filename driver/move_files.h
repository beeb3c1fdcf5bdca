// The move-file protocol: the side to play from "Tah.dat", the board from "Plocha.dat", and the
// answer written back into "Tah.dat".
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>

#include "board/position.h"
#include "select/engine_state.h"

namespace zarvo {

// The rows of a board text as the reader keeps them: rows before the first empty or missing
// line, each cut to 20 characters.
struct TBoardText {
  std::array<std::string, kBoardSize> Rows;
  int RowCount = 0;
};

TBoardText ReadBoardText(std::istream& in);

// Stone code of the side named by the first character of the move file: "-" 0, "x" 1, "o" 2;
// -1 for anything else.
int SideOfMoveChar(int c);

// Side chosen when the move file names none: the side whose turn the stone counts show ("x" when
// the counts are equal, "o" when "x" has one stone more, otherwise "x").
uint8_t SideFromCounts(const TBoardText& board);

// Sets the side maps from the side to play and places the stones of the board in reading order
// (line by line, within a line by increasing X), recording StoneCount, FirstStone and
// EarlyOppStone. side is -1 when the move file named no side.
void LoadBoard(TEngineState& state, int side, const TBoardText& board, TPosition& position);

// The side to move ("Tah.dat", a stone code or -1) and the board ("Plocha.dat") as read.
struct TFolderPosition {
  int Side = 0;
  TBoardText Board;
};

// Reads both exchange files into the position and the state. False, with nothing read, when
// either is not a regular file that can be opened; unreadable, when given, then names it. `read`,
// when given, keeps what the files said, for a second engine to start from without reading them
// again.
bool ReadMoveFiles(TEngineState& state, TPosition& position,
                   std::filesystem::path* unreadable = nullptr, TFolderPosition* read = nullptr);

// Replaces the move file with the line "X,Y" CR LF. When the move file has disappeared it is
// re-created empty and no answer is written; anything but a regular file of that name (a folder,
// a pipe, a device) is left alone. True when the answer was written.
bool WriteMoveFile(const TEngineState& state, int8_t moveX, int8_t moveY);

}  // namespace zarvo
