#include "book/opennings.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/regular_file.h"
#include "book/ranked_sort.h"

namespace zarvo {
namespace {

// Book coordinates are signed bytes: results are stored modulo 256, as the file's bytes wrap.
int8_t Narrow(int value) {
  return static_cast<int8_t>(value);
}

void Turn(TFrameTurn turn, int& x, int& y, int& ex, int& ey) {
  switch (turn) {
    case TFrameTurn::None:
      break;
    case TFrameTurn::FlipX:
      x = ex - x;
      break;
    case TFrameTurn::RotateHalf:
      x = ex - x;
      y = ey - y;
      break;
    case TFrameTurn::RotateClockwise: {
      const int turnedX = ey - y;
      y = x;
      x = turnedX;
      std::swap(ex, ey);
      break;
    }
    case TFrameTurn::RotateAnticlockwise: {
      const int turnedY = ex - x;
      x = y;
      y = turnedY;
      std::swap(ex, ey);
      break;
    }
  }
}

// Re-sort idiom of the sorted list: always sorts anew when a comparison is set.
template <typename List>
void Resort(List& list) {
  list.SetSorted(false);
  list.SetSorted(true);
}

template <typename Fn>
void ForEachStone(TOpenning& position, Fn&& fn) {
  for (TOPlayerMoves* list : {&position.OwnMoves, &position.OppMoves}) {
    for (int32_t i = 0; i < list->Count(); ++i) fn(list->Get(i));
  }
}

template <typename Fn>
void ForEachStone(const TOpenning& position, Fn&& fn) {
  for (const TOPlayerMoves* list : {&position.OwnMoves, &position.OppMoves}) {
    for (int32_t i = 0; i < list->Count(); ++i) fn(list->Get(i));
  }
}

uint32_t LoadU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadU32(TBookReader& stream, uint32_t& value) {
  uint8_t bytes[4];
  if (stream.Read(bytes, 4) < 4) return false;
  value = LoadU32(bytes);
  return true;
}

void PutU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

void PutByte(std::string& out, int8_t value) {
  out.push_back(static_cast<char>(value));
}

}  // namespace

int32_t CompareCoords(const TOCoord& a, const TOCoord& b) {
  const int32_t r = b.X - a.X;
  return r != 0 ? r : b.Y - a.Y;
}

int32_t ComparePositions(const TOpenning& a, const TOpenning& b) {
  int32_t r = b.StoneTotal - a.StoneTotal;
  if (r != 0) return r;
  for (auto side : {&TOpenning::OwnMoves, &TOpenning::OppMoves}) {
    const TOPlayerMoves& listA = a.*side;
    const TOPlayerMoves& listB = b.*side;
    const int32_t common = std::min(listA.Count(), listB.Count());
    for (int32_t i = 0; i < common; ++i) {
      r = CompareCoords(listA.Get(i), listB.Get(i));
      if (r != 0) return r;
    }
  }
  return 0;
}

int32_t CompareOpenings(const TOpenning& a, const TOpenning& b) {
  int32_t r = ComparePositions(a, b);
  if (r == 0) r = b.ReplyX - a.ReplyX;
  if (r == 0) r = b.ReplyY - a.ReplyY;
  return r;
}

void ApplyTransform(const TSymmetryTransform& transform, int& x, int& y, int& ex, int& ey) {
  for (TFrameTurn turn : transform.Turns) Turn(turn, x, y, ex, ey);
}

// ---------------------------------------------------------------------------------------------
// TOpenning

void TOpenning::Normalize() {
  // 1. Extremes over both lists, starting from the far corners of the board.
  int minX = kBookBoardLast, minY = kBookBoardLast, maxX = 0, maxY = 0;
  ForEachStone(std::as_const(*this), [&](const TOCoord& c) {
    minX = std::min<int>(minX, c.X);
    minY = std::min<int>(minY, c.Y);
    maxX = std::max<int>(maxX, c.X);
    maxY = std::max<int>(maxY, c.Y);
  });
  // 2. The window: 7 squares around the stones, clipped at 0..19 of the present frame.
  OriginX = Narrow(std::max(minX - kBookWindowMargin, 0));
  OriginY = Narrow(std::max(minY - kBookWindowMargin, 0));
  ExtentX = Narrow(std::min(maxX + kBookWindowMargin, kBookBoardLast) - OriginX);
  ExtentY = Narrow(std::min(maxY + kBookWindowMargin, kBookBoardLast) - OriginY);
  // 3. Into the window's frame.
  ForEachStone(*this, [&](TOCoord& c) {
    c.X = Narrow(c.X - OriginX);
    c.Y = Narrow(c.Y - OriginY);
  });
  ReplyX = Narrow(ReplyX - OriginX);
  ReplyY = Narrow(ReplyY - OriginY);
  // 4. A common shift keeps the list order; the re-sort is a safeguard.
  StoneTotal = Narrow(OwnMoves.Count() + OppMoves.Count());
  Resort(OwnMoves);
  Resort(OppMoves);
}

void TOpenning::GetOrigin(int8_t& originX, int8_t& originY) const {
  int minX = kBookMaxCoords, minY = kBookMaxCoords;
  ForEachStone(*this, [&](const TOCoord& c) {
    minX = std::min<int>(minX, c.X);
    minY = std::min<int>(minY, c.Y);
  });
  originX = Narrow(std::max(minX - kBookWindowMargin, 0));
  originY = Narrow(std::max(minY - kBookWindowMargin, 0));
}

std::unique_ptr<TOpenning> TOpenning::Clone() const {
  auto copy = std::make_unique<TOpenning>();
  copy->OriginX = OriginX;
  copy->OriginY = OriginY;
  copy->ExtentX = ExtentX;
  copy->ExtentY = ExtentY;
  copy->StoneTotal = StoneTotal;
  copy->ReplyX = ReplyX;
  copy->ReplyY = ReplyY;
  copy->PlusCount = PlusCount;
  copy->MinusCount = MinusCount;
  for (int32_t i = 0; i < OwnMoves.Count(); ++i) copy->OwnMoves.Add(OwnMoves.Get(i));
  for (int32_t i = 0; i < OppMoves.Count(); ++i) copy->OppMoves.Add(OppMoves.Get(i));
  return copy;
}

namespace {

void ApplyTable(TOpenning& position, const std::array<TSymmetryTransform, 8>& table, int k) {
  if (k < 1 || k > 8) return;
  const TSymmetryTransform& transform = table[k - 1];
  position.Symmetry = static_cast<uint8_t>(k);
  // Every square starts from the position's extents: a quarter turn inside one square's mapping
  // must not carry over to the next.
  auto map = [&](int8_t& x8, int8_t& y8) {
    int x = x8, y = y8, ex = position.ExtentX, ey = position.ExtentY;
    ApplyTransform(transform, x, y, ex, ey);
    x8 = Narrow(x);
    y8 = Narrow(y);
  };
  for (TOPlayerMoves* list : {&position.OwnMoves, &position.OppMoves}) {
    for (int32_t i = 0; i < list->Count(); ++i) map(list->Get(i).X, list->Get(i).Y);
    Resort(*list);
  }
  map(position.ReplyX, position.ReplyY);
  position.Normalize();
}

}  // namespace

void TOpenning::ApplySymmetry(int k) {
  ApplyTable(*this, SymmetryTransforms, k);
}

void TOpenning::ApplyInverseSymmetry(int k) {
  ApplyTable(*this, InverseSymmetryTransforms, k);
}

// ---------------------------------------------------------------------------------------------
// The book file

const char* DescribeLoadStatus(TBookLoadStatus status) {
  switch (status) {
    case TBookLoadStatus::Complete:
      return "complete";
    case TBookLoadStatus::NoFile:
      return "no such file";
    case TBookLoadStatus::Unreadable:
      return "cannot be read";
    case TBookLoadStatus::Truncated:
      return "the file ends inside an entry";
    case TBookLoadStatus::BadCoordCount:
      return "an entry gives a coordinate count outside 0..127";
  }
  return "?";
}

size_t TBookReader::Read(void* destination, size_t count) {
  const size_t available = std::min(count, bytes_.size() - position_);
  if (available > 0) std::memcpy(destination, bytes_.data() + position_, available);
  position_ += available;
  return available;
}

TBookLoadStatus ReadOpening(TOpenning& entry, TBookReader& stream) {
  uint8_t head[3];
  if (stream.Read(head, sizeof head) < sizeof head) return TBookLoadStatus::Truncated;
  entry.ExtentX = static_cast<int8_t>(head[0]);
  entry.ExtentY = static_cast<int8_t>(head[1]);
  entry.StoneTotal = static_cast<int8_t>(head[2]);

  uint8_t reply[10];
  if (stream.Read(reply, sizeof reply) < sizeof reply) return TBookLoadStatus::Truncated;
  entry.ReplyX = static_cast<int8_t>(reply[0]);
  entry.ReplyY = static_cast<int8_t>(reply[1]);
  entry.PlusCount = LoadU32(reply + 2);
  entry.MinusCount = LoadU32(reply + 6);

  for (TOPlayerMoves* list : {&entry.OwnMoves, &entry.OppMoves}) {
    uint32_t raw;
    if (!ReadU32(stream, raw)) return TBookLoadStatus::Truncated;
    const auto count = static_cast<int32_t>(raw);
    if (count < 0 || count > kBookMaxCoords) return TBookLoadStatus::BadCoordCount;
    for (int32_t i = 0; i < count; ++i) {
      uint8_t pair[2];
      if (stream.Read(pair, sizeof pair) < sizeof pair) return TBookLoadStatus::Truncated;
      list->Add(TOCoord{static_cast<int8_t>(pair[0]), static_cast<int8_t>(pair[1])});
    }
  }
  return TBookLoadStatus::Complete;
}

TBookFile ReadBookFile(const std::string& fileName) {
  TBookFile file;
  // Only a regular file: a pipe would block the move and a device like /dev/zero never ends.
  TRegularFileStream in(fileName);
  if (in.Status() == TFileStatus::Missing) return file;
  file.Status = TBookLoadStatus::Unreadable;
  if (!in.IsOpen()) return file;
  std::vector<uint8_t> bytes;
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
  }
  if (in.bad() || in.ReadFailed()) return file;
  return ReadBookBytes(bytes);
}

TBookFile ReadBookBytes(std::span<const uint8_t> bytes) {
  TBookFile file;
  TBookReader stream(bytes);
  file.Status = TBookLoadStatus::Complete;
  uint32_t count = 0;
  if (!ReadU32(stream, count)) {
    // Shorter than the count itself: an empty book, as an empty file is.
    if (!bytes.empty()) file.Status = TBookLoadStatus::Truncated;
    return file;
  }
  file.DeclaredCount = static_cast<int32_t>(count);
  // The count is not trusted for anything but a bound: reading stops at the end of the file.
  for (int32_t i = 0; i < file.DeclaredCount; ++i) {
    auto entry = std::make_unique<TOpenning>();
    const TBookLoadStatus status = ReadOpening(*entry, stream);
    if (status != TBookLoadStatus::Complete) {
      file.Status = status;
      break;
    }
    file.Entries.push_back(std::move(entry));
  }
  if (file.Status == TBookLoadStatus::Complete)
    file.TrailingBytes = bytes.size() - stream.Position();
  return file;
}

std::string EncodeBookFile(std::span<const TOpenning* const> entries) {
  std::string out;
  PutU32(out, static_cast<uint32_t>(entries.size()));
  for (const TOpenning* entry : entries) {
    PutByte(out, entry->ExtentX);
    PutByte(out, entry->ExtentY);
    PutByte(out, entry->StoneTotal);
    PutByte(out, entry->ReplyX);
    PutByte(out, entry->ReplyY);
    PutU32(out, entry->PlusCount);
    PutU32(out, entry->MinusCount);
    for (const TOPlayerMoves* list : {&entry->OwnMoves, &entry->OppMoves}) {
      PutU32(out, static_cast<uint32_t>(list->Count()));
      for (int32_t i = 0; i < list->Count(); ++i) {
        PutByte(out, list->Get(i).X);
        PutByte(out, list->Get(i).Y);
      }
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// TOpenning_Book

bool TOpenning_Book::LoadFromFile() {
  return Adopt(ReadBookFile(FileName));
}

bool TOpenning_Book::LoadFromBytes(std::span<const uint8_t> bytes) {
  return Adopt(ReadBookBytes(bytes));
}

bool TOpenning_Book::Adopt(TBookFile file) {
  LoadStatus = file.Status;
  if (file.Status == TBookLoadStatus::NoFile || file.Status == TBookLoadStatus::Unreadable) {
    return false;
  }
  for (auto& entry : file.Entries) Add(std::move(entry));
  SetSorted(false);
  SortBy(SortCompare());
  return file.Status != TBookLoadStatus::BadCoordCount;
}

bool TOpenning_Book::Load(bool fromResource) {
  if (fromResource) return false;
  return LoadFromFile();
}

bool TOpenning_Book::ListLengthsAgree() const {
  // Indexed by StoneTotal + 128: the list lengths first seen with that total, -1 when none yet.
  std::array<std::pair<int32_t, int32_t>, 256> lengths;
  lengths.fill({-1, -1});
  for (int32_t i = 0; i < Count(); ++i) {
    const TOpenning& entry = Get(i);
    auto& seen = lengths[static_cast<size_t>(entry.StoneTotal + 128)];
    const std::pair<int32_t, int32_t> mine{entry.OwnMoves.Count(), entry.OppMoves.Count()};
    if (seen.first < 0) {
      seen = mine;
    } else if (seen != mine) {
      return false;
    }
  }
  return true;
}

std::vector<int32_t> TOpenning_Book::RanksInOrder(TItemCompare compare) const {
  std::vector<int32_t> ranks;
  ranks.reserve(static_cast<size_t>(Count()));
  for (int32_t i = 0; i < Count(); ++i) {
    if (i == 0) {
      ranks.push_back(0);
      continue;
    }
    const int32_t c = compare(Get(i - 1), Get(i));
    if (c > 0) return {};
    ranks.push_back(ranks.back() + (c != 0 ? 1 : 0));
  }
  return ranks;
}

std::vector<int32_t> TOpenning_Book::SortBy(TItemCompare compare) {
  if (compare == nullptr) return {};
  // With agreeing list lengths both orderings are total preorders, so the ranks of a book that
  // already stands in order give every comparison the sort would make, and the ranked sort
  // makes the same swaps. Otherwise the book is sorted the plain way.
  const bool preorder = ListLengthsAgree();
  if (preorder) {
    std::vector<int32_t> ranks = RanksInOrder(compare);
    if (!ranks.empty()) {
      TRankedSort<std::unique_ptr<TOpenning>>(ranks, ItemStore()).Sort();
      AdoptOrder(compare);
      return ranks;
    }
  }
  SetCompare(compare);
  return preorder ? RanksInOrder(compare) : std::vector<int32_t>{};
}

bool TOpenning_Book::FindMatches(std::vector<TOResObj>& results, const TOpenning& query,
                                 const TMatchObserver& observer) {
  // 1. Entries found are held outside the book until the symmetry is done.
  std::vector<std::unique_ptr<TOpenning>> held;
  std::vector<int32_t> heldRanks;

  // 2. Order the book by position only.
  SetSorted(false);
  std::vector<int32_t> ranks = SortBy(ComparePositions);
  SetSorted(true);
  // Each entry put back costs the plain procedure a full re-sort; with ranks the same re-sort
  // only walks the stretches that are out of order.
  std::optional<TRankedSort<std::unique_ptr<TOpenning>>> ranked;
  if (!ranks.empty()) ranked.emplace(ranks, ItemStore());

  // 3. The eight symmetries in order: the query turned, every entry that matches it taken out.
  bool found = false;
  for (int k = 1; k <= 8; ++k) {
    std::unique_ptr<TOpenning> copy = query.Clone();
    int8_t originX, originY;
    query.GetOrigin(originX, originY);
    copy->Normalize();
    copy->ApplySymmetry(k);
    Resort(copy->OwnMoves);
    Resort(copy->OppMoves);

    int32_t index;
    while (Find(*copy, index)) {
      found = true;
      const TOpenning& entry = Get(index);
      // The stored entry stays as it is; a turned copy gives the reply in the query's frame.
      std::unique_ptr<TOpenning> turned = entry.Clone();
      turned->ApplyInverseSymmetry(k);
      const TOResObj result{Narrow(turned->ReplyX + originX), Narrow(turned->ReplyY + originY),
                            entry.PlusCount, entry.MinusCount};
      results.push_back(result);
      if (observer) observer(k, entry, result);
      // Out of the book, so the next search reaches the next entry of the same position.
      if (ranked) {
        heldRanks.push_back(ranks[static_cast<size_t>(index)]);
        held.push_back(ranked->Remove(index));
      } else {
        held.push_back(Delete(index));
      }
    }

    // 4. Back into the book one by one, re-sorting after each.
    for (size_t h = 0; h < held.size(); ++h) {
      if (ranked) {
        ranked->Append(heldRanks[h], std::move(held[h]));
        ranked->Sort();
      } else {
        Add(std::move(held[h]));
        Resort(*this);
      }
    }
    held.clear();
    heldRanks.clear();
  }
  return found;
}

}  // namespace zarvo
