#include "deep/deep_board.h"

#include <algorithm>
#include <cstdlib>

#include "board/state_check.h"

namespace zarvo::deep {
namespace {

constexpr uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

struct TZobrist {
  std::array<std::array<uint64_t, kSquareCount>, 2> Keys{};
  TZobrist() {
    uint64_t state = 0x5A7A0D2E1F0B0A11ull;
    for (auto& side : Keys)
      for (uint64_t& key : side) key = SplitMix64(state);
  }
};
const TZobrist kZobrist;

// The four patterns of a square packed four bits each, for one side.
uint16_t PackedFor(const TPatternTables& tables, const std::array<uint32_t, 4>& keys, int side) {
  uint16_t packed = 0;
  for (int d = 0; d < 4; ++d) {
    const unsigned both = tables.PackedPatterns(keys[d]);
    const unsigned pattern = side == 0 ? both & 15u : both >> 4;
    packed = static_cast<uint16_t>(packed | pattern << (4 * d));
  }
  return packed;
}

int16_t ValueOf(uint16_t packed) {
  int value = 0;
  for (int d = 0; d < 4; ++d) value += kLineValue[(packed >> (4 * d)) & 15];
  return static_cast<int16_t>(value);
}

// A wrong call would corrupt the board for good: checking builds stop at it, a release build
// compiles the check out.
void Require(bool holds, const char* what, TSquareIndex square) {
  if (!holds) StateCheckFailed(what, SquareX(square), SquareY(square));
}

}  // namespace

uint64_t ZobristKey(int side, TSquareIndex square) {
  return kZobrist.Keys[side][square];
}

TDeepBoard::TDeepBoard(int width, int height, TRule rule)
    : tables_(&TPatternTables::For(rule)),
      width_(std::clamp(width, kMinBoardSize, kMaxBoardSize)),
      height_(std::clamp(height, kMinBoardSize, kMaxBoardSize)) {
  stone_.fill(kWall);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) stone_[SquareAt(x, y)] = kEmpty;
  for (auto& direction : key_) direction.fill(0);
  for (auto& side : packed_) side.fill(0);
  for (auto& side : class_) side.fill(P4None);
  for (auto& side : value_) side.fill(0);
  near_.fill(0);
  for (auto& side : threats_) side.fill(0);
  for (auto& side : classCount_) side.fill(0);
  valueSum_.fill(0);
  history_.fill(TUndo{});
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const TSquareIndex square = SquareAt(x, y);
      for (int d = 0; d < 4; ++d) {
        uint32_t key = 0;
        for (int offset = -kLineReach; offset <= kLineReach; ++offset)
          if (offset != 0)
            key |= uint32_t{stone_[square + offset * kDirection[d]]} << LineKeyShift(offset);
        key_[d][square] = key;
      }
      Recount(square);
    }
  }
}

int TDeepBoard::ClassCountAtLeast(int side, TPattern4 cls) const {
  int count = 0;
  for (int c = cls; c < kPattern4Count; ++c) count += classCount_[side][c];
  return count;
}

TDeepBoard::TArea TDeepBoard::StoneArea(int margin) const {
  if (maxX_ < minX_) {
    const int cx = width_ / 2, cy = height_ / 2;
    return {std::max(0, cx - margin), std::max(0, cy - margin), std::min(width_ - 1, cx + margin),
            std::min(height_ - 1, cy + margin)};
  }
  return {std::max(0, minX_ - margin), std::max(0, minY_ - margin),
          std::min(width_ - 1, maxX_ + margin), std::min(height_ - 1, maxY_ + margin)};
}

void TDeepBoard::Forget(TSquareIndex square) {
  for (int side = 0; side < 2; ++side) {
    --classCount_[side][class_[side][square]];
    valueSum_[side] -= value_[side][square];
    threats_[side][square / 64] &= ~(uint64_t{1} << (square % 64));
  }
}

void TDeepBoard::SetClass(int side, TSquareIndex square, uint8_t cls) {
  class_[side][square] = cls;
  const uint64_t bit = uint64_t{1} << (square % 64);
  if (cls >= P4Flex3)
    threats_[side][square / 64] |= bit;
  else
    threats_[side][square / 64] &= ~bit;
}

void TDeepBoard::Recount(TSquareIndex square) {
  const std::array<uint32_t, 4> keys = {key_[0][square], key_[1][square], key_[2][square],
                                        key_[3][square]};
  for (int side = 0; side < 2; ++side) {
    const uint16_t packed = PackedFor(*tables_, keys, side);
    const TPattern4 cls = tables_->Combine(packed, side);
    const int16_t value = ValueOf(packed);
    packed_[side][square] = packed;
    SetClass(side, square, cls);
    value_[side][square] = value;
    ++classCount_[side][cls];
    valueSum_[side] += value;
  }
}

void TDeepBoard::Refresh(TSquareIndex square, int direction) {
  const uint8_t both = tables_->PackedPatterns(key_[direction][square]);
  const int shift = 4 * direction;
  for (int side = 0; side < 2; ++side) {
    const uint16_t pattern = side == 0 ? both & 15 : both >> 4;
    const uint16_t old = packed_[side][square];
    const uint16_t oldPattern = (old >> shift) & 15;
    if (pattern == oldPattern) continue;
    const uint16_t packed = static_cast<uint16_t>((old & ~(15u << shift)) | pattern << shift);
    packed_[side][square] = packed;
    const int16_t delta = static_cast<int16_t>(kLineValue[pattern] - kLineValue[oldPattern]);
    value_[side][square] = static_cast<int16_t>(value_[side][square] + delta);
    valueSum_[side] += delta;
    const uint8_t cls = tables_->Combine(packed, side);
    if (cls != class_[side][square]) {
      --classCount_[side][class_[side][square]];
      ++classCount_[side][cls];
      SetClass(side, square, cls);
    }
  }
}

void TDeepBoard::SetStone(TSquareIndex square, TStone stone) {
  // The stone's code enters (or leaves) the keys of the squares that see it; XOR does both.
  const uint32_t code = stone == kEmpty ? uint32_t{stone_[square]} : uint32_t{stone};
  stone_[square] = stone;
  const int reach = tables_->Rule() == TRule::Freestyle ? kLineReach - 1 : kLineReach;
  for (int d = 0; d < 4; ++d) {
    const int step = kDirection[d];
    for (int k = 1; k <= kLineReach; ++k) {
      const int after = square + k * step, before = square - k * step;
      key_[d][after] ^= code << LineKeyShift(-k);
      key_[d][before] ^= code << LineKeyShift(k);
      if (k > reach) continue;
      if (stone_[after] == kEmpty) Refresh(static_cast<TSquareIndex>(after), d);
      if (stone_[before] == kEmpty) Refresh(static_cast<TSquareIndex>(before), d);
    }
    const int nearChange = stone == kEmpty ? -1 : 1;
    for (int k = 1; k <= 2; ++k) {
      near_[square + k * step] = static_cast<uint8_t>(near_[square + k * step] + nearChange);
      near_[square - k * step] = static_cast<uint8_t>(near_[square - k * step] + nearChange);
    }
  }
}

void TDeepBoard::Move(TSquareIndex square) {
  if constexpr (kCheckState)
    Require(square < kSquareCount && stone_[square] == kEmpty,
            "deep board: a move on an occupied square or off the board", square);
  TUndo& undo = history_[moveCount_++];
  undo = {square, static_cast<uint8_t>(sideToMove_), minX_, minY_, maxX_, maxY_};
  const int x = SquareX(square), y = SquareY(square);
  if (maxX_ < minX_) {
    minX_ = maxX_ = static_cast<int8_t>(x);
    minY_ = maxY_ = static_cast<int8_t>(y);
  } else {
    minX_ = static_cast<int8_t>(std::min<int>(minX_, x));
    maxX_ = static_cast<int8_t>(std::max<int>(maxX_, x));
    minY_ = static_cast<int8_t>(std::min<int>(minY_, y));
    maxY_ = static_cast<int8_t>(std::max<int>(maxY_, y));
  }
  Forget(square);
  SetStone(square, StoneOf(sideToMove_));
  hash_ ^= kZobrist.Keys[sideToMove_][square];
  sideToMove_ ^= 1;
  if constexpr (kCheckState) CheckAroundSampled(square);
}

void TDeepBoard::Undo() {
  if constexpr (kCheckState) Require(moveCount_ > 0, "deep board: an undo with no move", kNoSquare);
  const TUndo& undo = history_[--moveCount_];
  sideToMove_ = undo.Side;
  hash_ ^= kZobrist.Keys[sideToMove_][undo.Square];
  SetStone(undo.Square, kEmpty);
  Recount(undo.Square);
  minX_ = undo.MinX;
  minY_ = undo.MinY;
  maxX_ = undo.MaxX;
  maxY_ = undo.MaxY;
  if constexpr (kCheckState) CheckAroundSampled(undo.Square);
}

void TDeepBoard::Place(TSquareIndex square, int side) {
  if constexpr (kCheckState) Require(side == 0 || side == 1, "deep board: no such side", square);
  const int toMove = sideToMove_;
  sideToMove_ = side & 1;
  Move(square);
  sideToMove_ = toMove;
}

void TDeepBoard::SetSideToMove(int side) {
  if constexpr (kCheckState) Require(side == 0 || side == 1, "deep board: no such side", kNoSquare);
  if (side == sideToMove_) return;
  sideToMove_ = side & 1;
  hash_ ^= ZobristKey(0, kNoSquare);  // the side to move is part of the key
}

TSquareIndex TDeepBoard::FindClass(int side, TPattern4 cls, TSquareIndex around) const {
  if (around != kNoSquare) {
    for (int d = 0; d < 4; ++d) {
      for (int k = -kLineReach; k <= kLineReach; ++k) {
        const int square = around + k * kDirection[d];
        if (stone_[square] == kEmpty && class_[side][square] >= cls)
          return static_cast<TSquareIndex>(square);
      }
    }
  }
  if (cls >= P4Flex3) {
    TSquareIndex found = kNoSquare;
    ForEachSquare(threats_[side], [&](TSquareIndex square) {
      if (found == kNoSquare && class_[side][square] >= cls) found = square;
    });
    return found;
  }
  const TArea area = StoneArea(kLineReach - 1);
  for (int y = area.MinY; y <= area.MaxY; ++y) {
    for (int x = area.MinX; x <= area.MaxX; ++x) {
      const TSquareIndex square = SquareAt(x, y);
      if (stone_[square] == kEmpty && class_[side][square] >= cls) return square;
    }
  }
  return kNoSquare;
}

void TDeepBoard::CheckAroundSampled(TSquareIndex square) const {
  // An eighth of the positions, chosen by their key so that every depth of a search has its
  // share: a check after every move would make the searches of the checking builds six times
  // slower.
  if ((hash_ & 7) == 0) CheckAround(square);
}

void TDeepBoard::CheckAround(TSquareIndex square) const {
  const auto check = [this](TSquareIndex here) {
    const int x = SquareX(here), y = SquareY(here);
    if (!OnBoard(x, y)) return;
    const auto expect = [x, y](bool holds, const char* what) {
      if (!holds) StateCheckFailed(what, x, y);
    };
    std::array<uint32_t, 4> keys{};
    int nearStones = 0;
    for (int d = 0; d < 4; ++d) {
      for (int offset = -kLineReach; offset <= kLineReach; ++offset) {
        if (offset == 0) continue;
        const uint8_t stone = stone_[here + offset * kDirection[d]];
        keys[d] |= uint32_t{stone} << LineKeyShift(offset);
        nearStones += std::abs(offset) <= 2 && (stone == kBlack || stone == kWhite);
      }
      expect(keys[d] == key_[d][here], "deep board: line key");
    }
    expect(nearStones == near_[here], "deep board: stones nearby");
    if (stone_[here] != kEmpty) return;
    for (int side = 0; side < 2; ++side) {
      const uint16_t packed = PackedFor(*tables_, keys, side);
      const uint8_t cls = class_[side][here];
      expect(packed == packed_[side][here], "deep board: line patterns");
      expect(tables_->Combine(packed, side) == cls, "deep board: class");
      expect(ValueOf(packed) == value_[side][here], "deep board: value");
      expect(((threats_[side][here / 64] >> (here % 64)) & 1) == (cls >= P4Flex3),
             "deep board: threat set");
    }
  };
  check(square);
  for (int d = 0; d < 4; ++d) {
    for (int k = 1; k <= kLineReach; ++k) {
      check(static_cast<TSquareIndex>(square + k * kDirection[d]));
      check(static_cast<TSquareIndex>(square - k * kDirection[d]));
    }
  }
}

bool TDeepBoard::SameAs(const TDeepBoard& fresh) const {
  if (tables_ != fresh.tables_ || width_ != fresh.width_ || height_ != fresh.height_ ||
      hash_ != fresh.hash_ || sideToMove_ != fresh.sideToMove_ || moveCount_ != fresh.moveCount_ ||
      minX_ != fresh.minX_ || minY_ != fresh.minY_ || maxX_ != fresh.maxX_ ||
      maxY_ != fresh.maxY_ || classCount_ != fresh.classCount_ || valueSum_ != fresh.valueSum_ ||
      stone_ != fresh.stone_ || near_ != fresh.near_ || threats_ != fresh.threats_)
    return false;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const TSquareIndex square = SquareAt(x, y);
      for (int d = 0; d < 4; ++d)
        if (key_[d][square] != fresh.key_[d][square]) return false;
      if (stone_[square] != kEmpty) continue;
      for (int side = 0; side < 2; ++side)
        if (packed_[side][square] != fresh.packed_[side][square] ||
            class_[side][square] != fresh.class_[side][square] ||
            value_[side][square] != fresh.value_[side][square])
          return false;
    }
  }
  return true;
}

}  // namespace zarvo::deep
