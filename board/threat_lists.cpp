#include "board/threat_lists.h"

#include "board/pattern_tables.h"

namespace zarvo {
namespace {

TXYList* ListFor(TThreatLists& lists, int slot, uint8_t topClass) {
  switch (topClass) {
    case kClassFour:
      return &lists.FourSquares[slot];
    case kClassOpenFour:
      return &lists.OpenFourSquares[slot];
    case kClassFive:
      return &lists.FiveSquares[slot];
    default:
      return nullptr;
  }
}

}  // namespace

void UpdateThreatLists(TThreatLists& lists, int x, int y, TClassPair oldPair, TClassPair newPair) {
  if (!OnBoard(x, y)) return;
  for (int slot = 0; slot < 2; ++slot) {
    if (oldPair[slot] == newPair[slot]) continue;
    const TSquare* square = lists.Lookup(x, y);
    if (TXYList* list = ListFor(lists, slot, oldPair[slot])) list->Remove(square);
    if (TXYList* list = ListFor(lists, slot, newPair[slot])) list->Add(square);
  }
}

void SyncThreatLists(TThreatLists& lists, int x, int y, const TPosition& from,
                     const TPosition& to) {
  const auto sync = [&](int sx, int sy) {
    // The border holds only five cells, so an off-board move square must not reach past it.
    if (!OnBoard(sx, sy)) return;
    UpdateThreatLists(lists, sx, sy, from.Cell(sx, sy).TopClass, to.Cell(sx, sy).TopClass);
  };
  sync(x, y);
  for (int k = 1; k <= 4; ++k) {
    for (int d = 0; d < 4; ++d) {
      sync(x + k * DirDX[d], y + k * DirDY[d]);
      sync(x - k * DirDX[d], y - k * DirDY[d]);
    }
  }
}

}  // namespace zarvo
