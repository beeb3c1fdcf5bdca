#include "pbrain/brain_board.h"

#include <algorithm>

namespace zarvo {

TOwner TBrainBoard::At(int x, int y) const {
  return Contains(x, y) ? cells_[x][y] : TOwner::None;
}

bool TBrainBoard::Place(int x, int y, TOwner owner) {
  if (!IsEmptySquare(x, y) || owner == TOwner::None) return false;
  cells_[x][y] = owner;
  order_.push_back({x, y});
  return true;
}

bool TBrainBoard::Remove(int x, int y) {
  if (!Contains(x, y) || At(x, y) == TOwner::None) return false;
  cells_[x][y] = TOwner::None;
  std::erase(order_, TSquare{x, y});
  return true;
}

int TBrainBoard::CountOf(TOwner owner) const {
  int count = 0;
  for (const auto& column : cells_) count += static_cast<int>(std::ranges::count(column, owner));
  return count;
}

std::optional<TSquare> TBrainBoard::FirstEmpty() const {
  for (int x = 0; x < width_; ++x)
    for (int y = 0; y < height_; ++y)
      if (cells_[x][y] == TOwner::None) return TSquare{x, y};
  return std::nullopt;
}

TEngineBoard TBrainBoard::ForEngine() const {
  const bool engineMovesSecond = CountOf(TOwner::Opponent) == CountOf(TOwner::Own) + 1;
  const char own = engineMovesSecond ? 'o' : 'x';
  const char opponent = engineMovesSecond ? 'x' : 'o';

  TEngineBoard board;
  board.Side = engineMovesSecond ? kStoneO : kStoneX;
  board.Text.RowCount = kBoardSize;
  for (int y = 0; y < kBoardSize; ++y) {
    std::string& row = board.Text.Rows[y];
    row.assign(kBoardSize, '.');
    for (int x = 0; x < kBoardSize; ++x) {
      if (cells_[x][y] == TOwner::Own) row[x] = own;
      if (cells_[x][y] == TOwner::Opponent) row[x] = opponent;
    }
  }
  return board;
}

}  // namespace zarvo
