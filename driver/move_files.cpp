#include "driver/move_files.h"

#include <filesystem>
#include <string>

#include "base/regular_file.h"
#include "driver/text_lines.h"
#include "driver/zarvo_const.h"

namespace zarvo {
namespace {

uint8_t StoneOfChar(char c) {
  if (c == 'x') return kStoneX;
  if (c == 'o') return kStoneO;
  return kEmpty;
}

}  // namespace

TBoardText ReadBoardText(std::istream& in) {
  TBoardText board;
  while (board.RowCount < kBoardSize) {
    auto line = ReadTextLine(in, kBoardSize);
    if (!line || line->Text.empty()) break;  // an empty or missing line ends the board
    board.Rows[board.RowCount++] = std::move(line->Text);
  }
  return board;
}

int SideOfMoveChar(int c) {
  if (c == '-') return kEmpty;
  if (c == 'x') return kStoneX;
  if (c == 'o') return kStoneO;
  return -1;
}

uint8_t SideFromCounts(const TBoardText& board) {
  int xs = 0;
  int os = 0;
  for (int y = 0; y < board.RowCount; ++y) {
    for (char c : board.Rows[y]) {
      xs += c == 'x';
      os += c == 'o';
    }
  }
  return xs == os + 1 ? kStoneO : kStoneX;
}

void LoadBoard(TEngineState& state, int side, const TBoardText& board, TPosition& position) {
  state.Sides = TSideMaps{};
  state.Sides.OwnStone = side >= 0 ? static_cast<uint8_t>(side) : SideFromCounts(board);
  SetSideMaps(state.Sides);

  for (int y = 0; y < board.RowCount; ++y) {
    const std::string& row = board.Rows[y];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      const uint8_t stone = StoneOfChar(row[x]);
      if (stone == kEmpty) continue;
      ++state.StoneCount;
      if (state.StoneCount < 3 && stone != state.Sides.OwnStone) state.EarlyOppStone = {x, y};
      PlaceStone(state.Sides, stone, x, y, position);
      if (state.StoneCount == 1) state.FirstStone = {x, y};
    }
  }
}

bool ReadMoveFiles(TEngineState& state, TPosition& position, std::filesystem::path* unreadable,
                   TFolderPosition* read) {
  InitPosition(position);

  // Only regular files count: a directory cannot be read, a pipe would block the move until
  // someone writes to it, and a device like /dev/zero never ends.
  int side = -1;
  {
    TRegularFileStream moveFile(state.FilePath(kMoveFileName));
    if (!moveFile.IsOpen()) {
      if (unreadable) *unreadable = state.FilePath(kMoveFileName);
      return false;
    }
    side = SideOfMoveChar(moveFile.get());
  }

  TRegularFileStream boardFile(state.FilePath(kBoardFileName));
  if (!boardFile.IsOpen()) {
    if (unreadable) *unreadable = state.FilePath(kBoardFileName);
    return false;
  }
  const TBoardText board = ReadBoardText(boardFile);
  LoadBoard(state, side, board, position);
  if (read) *read = {side, board};
  return true;
}

bool WriteMoveFile(const TEngineState& state, int8_t moveX, int8_t moveY) {
  const std::filesystem::path path = state.FilePath(kMoveFileName);
  const std::string answer = std::to_string(moveX) + ',' + std::to_string(moveY) + "\r\n";
  const TFileStatus written = WriteRegularFile(path, answer, TCreate::Never);
  // The manager reads the file it made; a vanished one is put back empty, so it finds no answer.
  if (written == TFileStatus::Missing) WriteRegularFile(path, "", TCreate::IfMissing);
  return written == TFileStatus::Done;
}

}  // namespace zarvo
