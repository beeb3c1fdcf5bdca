#include "board/line_eval.h"

#include "board/pattern_tables.h"
#include "board/state_check.h"

namespace zarvo {
namespace {

struct TLineRef {
  uint32_t Slot0, Slot1, Wall;
  int Pos;  // position of the square along the line
};

TLineRef LineThrough(const TPosition& p, int d, int x, int y) {
  switch (d) {
    case 0:
      return {p.StraightBits[0].ColumnBits[x], p.StraightBits[1].ColumnBits[x],
              p.WallBits.ColumnBits[x], y};
    case 1:
      return {p.StraightBits[0].RowBits[y], p.StraightBits[1].RowBits[y], p.WallBits.RowBits[y], x};
    case 2: {
      const int line = x - y + kBoardSize - 1;
      return {p.DiagonalBits[0].DiagBits[line], p.DiagonalBits[1].DiagBits[line],
              p.WallBits.DiagBits[line], y};
    }
    default: {
      const int line = x + y;
      return {p.DiagonalBits[0].AntiDiagBits[line], p.DiagonalBits[1].AntiDiagBits[line],
              p.WallBits.AntiDiagBits[line], y};
    }
  }
}

// Byte of DirClass for one direction: class of slot 0 in the low nibble, slot 1 in the high.
uint8_t DirectionClasses(const TPosition& position, int d, int x, int y) {
  const TLineRef line = LineThrough(position, d, x, y);
  // Bit 4 of each nine-bit mask is the square itself, bits 0..8 offsets -4..+4.
  const unsigned shift = static_cast<unsigned>(line.Pos + 1);
  const unsigned m0 = (line.Slot0 >> shift) & 0x1FF;
  const unsigned m1 = (line.Slot1 >> shift) & 0x1FF;
  const unsigned w = (line.Wall >> shift) & 0x1FF;
  // Setting bit 4 judges the square as if that slot had played there.
  const uint8_t c0 = PairClass[m0 | 0x10][m1 | w];
  const uint8_t c1 = PairClass[m1 | 0x10][m0 | w];
  return static_cast<uint8_t>(c0 + 16 * c1);
}

// TopClass, LineSum and Value of an empty square from its four direction classes.
void SumClasses(TCell& cell) {
  cell.TopClass = {0, 0};
  cell.LineSum = {0, 0};
  for (int slot = 0; slot < 2; ++slot) {
    for (int dir = 0; dir < 4; ++dir) {
      const uint8_t k = slot == 0 ? cell.DirClass[dir] & 0x0F : cell.DirClass[dir] >> 4;
      if (k > cell.TopClass[slot]) cell.TopClass[slot] = k;
      cell.LineSum[slot] += ClassWeight[k];
    }
  }
  for (int slot = 0; slot < 2; ++slot)
    cell.Value[slot] = 3 * cell.LineSum[slot] + 2 * cell.LineSum[OtherSide[slot]];
}

}  // namespace

void RescanSquare(int d, int x, int y, TThreatLists* lists, TPosition& position) {
  if (!OnBoard(x, y)) return;
  TCell& cell = position.Cell(x, y);
  const TClassPair oldPair = cell.TopClass;

  if (cell.Stone == kStoneX || cell.Stone == kStoneO) {
    cell.Value = {kOccupiedMark, kOccupiedMark};
  } else {
    if (d >= 0 && d < 4) {
      cell.DirClass[d] = DirectionClasses(position, d, x, y);
    } else {
      for (int dir = 0; dir < 4; ++dir) cell.DirClass[dir] = DirectionClasses(position, dir, x, y);
    }
    SumClasses(cell);
  }

  if (lists != nullptr) UpdateThreatLists(*lists, x, y, oldPair, cell.TopClass);
}

TCell RescannedCell(const TPosition& position, int x, int y) {
  TCell cell = position.Cell(x, y);
  if (cell.Stone == kStoneX || cell.Stone == kStoneO) {
    cell.Value = {-10000, -10000};
  } else {
    for (int dir = 0; dir < 4; ++dir) cell.DirClass[dir] = DirectionClasses(position, dir, x, y);
    SumClasses(cell);
  }
  return cell;
}

void RescanAll(TPosition& position, TThreatLists* lists) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) RescanSquare(kAllDirections, x, y, lists, position);
  if constexpr (kCheckState)
    if (lists != nullptr) CheckThreatLists(*lists, position);
}

void MakeMove(const TSideMaps& sides, uint8_t stone, int x, int y, TThreatLists* lists,
              TPosition& position) {
  if (!OnBoard(x, y)) return;
  const TClassPair remembered = position.Cell(x, y).TopClass;
  PlaceStone(sides, stone, x, y, position);
  if (lists != nullptr) UpdateThreatLists(*lists, x, y, remembered, {0, 0});
  for (int k = 1; k <= 4; ++k) {
    for (int d = 0; d < 4; ++d) {
      RescanSquare(d, x + k * DirDX[d], y + k * DirDY[d], lists, position);
      RescanSquare(d, x - k * DirDX[d], y - k * DirDY[d], lists, position);
    }
  }
  if constexpr (kCheckState) {
    CheckEvaluationAround(position, x, y);
    if (lists != nullptr) CheckThreatLists(*lists, position);
  }
}

}  // namespace zarvo
