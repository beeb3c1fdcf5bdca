#include "book/book_probe.h"

#include <filesystem>
#include <vector>

namespace zarvo {

std::string BookFileName(std::string_view baseName, int32_t stoneCount) {
  return std::string(baseName) + ".ob" + std::to_string(stoneCount % 2 + 1);
}

std::string BookPathFor(std::string_view baseName, const std::filesystem::path& workDir,
                        int32_t stoneCount) {
  const std::filesystem::path name = BookFileName(baseName, stoneCount);
  if (workDir.empty() || name.is_absolute()) return name.string();
  return (workDir / name).string();
}

int32_t DrawForceThreshold(TRandom& rng, int32_t stoneCount) {
  const int32_t r = rng.Random(kForceRandomRange);
  return stoneCount % 2 == 0 ? r + stoneCount + kEvenCountBonus : r + stoneCount;
}

std::unique_ptr<TOpenning> BookQuery(const TPosition& position, const TSideMaps& sides) {
  auto query = std::make_unique<TOpenning>();
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const uint8_t stone = position.Cell(x, y).Stone;
      const TOCoord square{static_cast<int8_t>(x), static_cast<int8_t>(y)};
      if (stone == sides.OwnStone) {
        query->OwnMoves.Add(square);
      } else if (stone == sides.OppStone) {
        query->OppMoves.Add(square);
      }
    }
  }
  query->StoneTotal = static_cast<int8_t>(query->OwnMoves.Count() + query->OppMoves.Count());
  return query;
}

void ApplyBookResult(const TOResObj& result, int32_t forceThreshold, TPosition& position) {
  // A malformed book can name any square; only squares of the board are touched.
  if (!OnBoard(result.X, result.Y)) return;
  int32_t& score = position.Cell(result.X, result.Y).Value[0];
  // 1. An occupied square (or one the search has written off) keeps its score.
  if (score < 0) return;
  const uint32_t plus = result.PlusCount;
  const uint32_t minus = result.MinusCount;
  // 2. A reply that never lost is played.
  if (minus == 0) {
    score = kForcedBookScore;
    return;
  }
  // 3. P / M above the threshold forces the reply. Compared as threshold * M >= P, which for
  // counters below 2^32 decides exactly as the floating-point ratio does.
  if (static_cast<int64_t>(forceThreshold) * minus >= static_cast<int64_t>(plus)) {
    // P + 1 wraps in 32 bits as the counters do; M + 1 is formed in 64 bits so that M =
    // 4294967295 divides by 2^32 instead of by zero.
    const uint64_t numerator = static_cast<uint64_t>(score) * static_cast<uint32_t>(plus + 1u);
    const uint64_t denominator = static_cast<uint64_t>(minus) + 1u;
    score = static_cast<int32_t>(static_cast<uint32_t>(numerator / denominator));
  } else {
    score = kForcedBookScore;
  }
}

bool ProbeBookFile(const std::string& bookFile, const TSideMaps& sides, int32_t forceThreshold,
                   TPosition& position, int32_t v) {
  // The book; without a file it is simply empty.
  TOpenning_Book book;
  book.FileName = bookFile;
  book.Load(false);
  return ProbeBook(book, sides, forceThreshold, position, v);
}

bool ProbeBook(TOpenning_Book& book, const TSideMaps& sides, int32_t forceThreshold,
               TPosition& position, int32_t v) {
  // 1. Pull every positive score of an empty square halfway towards v.
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      TCell& cell = position.Cell(x, y);
      if (cell.Stone == sides.OwnStone || cell.Stone == sides.OppStone) continue;
      if (cell.Value[0] > 0) {
        cell.Value[0] = static_cast<int32_t>((static_cast<int64_t>(cell.Value[0]) + v) / 2);
      }
    }
  }

  // 2. Look the position up under the eight symmetries.
  const std::unique_ptr<TOpenning> query = BookQuery(position, sides);
  std::vector<TOResObj> results;
  const bool found = book.FindMatches(results, *query);

  // 3. Replies in the order found; several on one square compound.
  if (found) {
    for (const TOResObj& result : results) ApplyBookResult(result, forceThreshold, position);
  }
  return found;
}

bool BookProbe(const TSideMaps& sides, int32_t stoneCount, TRandom& rng,
               const std::string& bookFile, TPosition& position, int32_t v) {
  // The draw happens on every call, so the generator moves on alike with or without a book.
  const int32_t forceThreshold = DrawForceThreshold(rng, stoneCount);
  // Without a side to move every empty square would count as a stone of it: such a "position"
  // is no book position, and that reading would average no empty square either.
  if (sides.OwnStone == kEmpty) return false;
  return ProbeBookFile(bookFile, sides, forceThreshold, position, v);
}

}  // namespace zarvo
