// The move files as a manager may hand them over: the first byte is the first character of
// "Tah.dat", the rest is "Plocha.dat". The board is read as Zarvo2 reads it and a fast engine
// move is played on it; the answer must be an empty square of the board whenever one exists.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "board/position.h"
#include "driver/engine.h"
#include "driver/move_files.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  if (size == 0) return 0;
  const int side = SideOfMoveChar(data[0]);
  std::istringstream boardFile(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  const TBoardText board = ReadBoardText(boardFile);

  // 1. What the reader keeps: at most 20 rows, none empty, none longer than 20.
  FUZZ_CHECK(board.RowCount >= 0 && board.RowCount <= kBoardSize, "%d rows", board.RowCount);
  int stones = 0;
  for (int y = 0; y < board.RowCount; ++y) {
    const std::string& row = board.Rows[y];
    FUZZ_CHECK(!row.empty() && row.size() <= kBoardSize, "row %d of %zu", y, row.size());
    for (char c : row) stones += c == 'x' || c == 'o';
  }

  // 2. The position the engine plays on, placed as Zarvo2 places it.
  TEngineState loaded;
  TPosition position{};
  InitPosition(position);
  LoadBoard(loaded, side, board, position);
  FUZZ_CHECK(loaded.StoneCount == stones, "%d stones placed, %d in the text", loaded.StoneCount,
             stones);
  FUZZ_CHECK(loaded.Sides.OwnStone <= kStoneO, "side %d", loaded.Sides.OwnStone);

  // 3. A fast move: depth 1 and a few milliseconds, a fixed seed, markers in the scratch folder.
  TEngineState state;
  state.WorkDir = fuzzing::ScratchDir();
  TEngineOptions options;
  options.Seed = 1;
  options.BudgetMs = 5;
  options.MaxDepth = 1;
  const TSquare move = PlayPosition(state, side, board, options);
  if (stones < kBoardSize * kBoardSize) {
    FUZZ_CHECK(OnBoard(move.X, move.Y), "answer %d,%d is off the board", move.X, move.Y);
    FUZZ_CHECK(position.Cell(move.X, move.Y).Stone == kEmpty, "answer %d,%d is occupied", move.X,
               move.Y);
  }
  return 0;
}
