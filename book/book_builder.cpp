#include "book/book_builder.h"

#include <limits>
#include <set>
#include <utility>

#include "board/position.h"

namespace zarvo {
namespace {

bool OnBookBoard(const TSquare& square) {
  return OnBoard(square.X, square.Y);
}

// Everything CompareOpenings looks at, and the extents, as bytes.
std::string EntryKey(const TOpenning& entry) {
  std::string key{static_cast<char>(entry.StoneTotal), static_cast<char>(entry.ExtentX),
                  static_cast<char>(entry.ExtentY),    static_cast<char>(entry.ReplyX),
                  static_cast<char>(entry.ReplyY),     static_cast<char>(entry.OwnMoves.Count())};
  for (const TOPlayerMoves* list : {&entry.OwnMoves, &entry.OppMoves}) {
    for (int32_t i = 0; i < list->Count(); ++i) {
      key.push_back(static_cast<char>(list->Get(i).X));
      key.push_back(static_cast<char>(list->Get(i).Y));
    }
  }
  return key;
}

}  // namespace

std::optional<std::string> CheckBookPosition(const TBookPosition& position) {
  const size_t count = position.Moves.size();
  if (count == 0) return "no moves: the empty board is answered without the book";
  if (count > static_cast<size_t>(kBookMaxStones)) {
    return "more than " + std::to_string(kBookMaxStones) + " moves";
  }
  std::set<std::pair<int, int>> taken;
  for (size_t i = 0; i < count; ++i) {
    const TSquare& move = position.Moves[i];
    const std::string where = "move " + std::to_string(i + 1) + " (" + std::to_string(move.X) +
                              "," + std::to_string(move.Y) + ")";
    if (!OnBookBoard(move)) return where + " is off the board";
    if (!taken.insert({move.X, move.Y}).second) return where + " plays a square twice";
  }
  const TSquare& reply = position.Reply;
  const std::string where =
      "reply (" + std::to_string(reply.X) + "," + std::to_string(reply.Y) + ")";
  if (!OnBookBoard(reply)) return where + " is off the board";
  if (taken.contains({reply.X, reply.Y})) return where + " is an occupied square";
  return std::nullopt;
}

std::unique_ptr<TOpenning> MakeBookEntry(const TBookPosition& position) {
  auto entry = std::make_unique<TOpenning>();
  const size_t count = position.Moves.size();
  for (size_t i = 0; i < count; ++i) {
    const TOCoord square{static_cast<int8_t>(position.Moves[i].X),
                         static_cast<int8_t>(position.Moves[i].Y)};
    // The last move was the opponent's; the side to move made every second move before it.
    if ((count - i) % 2 == 0) {
      entry->OwnMoves.Add(square);
    } else {
      entry->OppMoves.Add(square);
    }
  }
  entry->ReplyX = static_cast<int8_t>(position.Reply.X);
  entry->ReplyY = static_cast<int8_t>(position.Reply.Y);
  entry->PlusCount = position.PlusCount;
  entry->MinusCount = position.MinusCount;
  // The matcher compares against the query normalized once from real coordinates (the second
  // normalization it makes moves nothing), and it turns replies back with the entry's extents,
  // so the entry keeps the window's true extents.
  entry->Normalize();
  return entry;
}

uint32_t SaturatingAdd(uint32_t a, uint32_t b) {
  return b > std::numeric_limits<uint32_t>::max() - a ? std::numeric_limits<uint32_t>::max()
                                                      : a + b;
}

TBookBuilder::TBookBuilder() = default;

std::optional<std::string> TBookBuilder::Add(const TBookPosition& position) {
  if (auto problem = CheckBookPosition(position)) return problem;
  std::unique_ptr<TOpenning> entry = MakeBookEntry(position);
  const auto [there, added] = entryByKey_.try_emplace(EntryKey(*entry), entry.get());
  if (!added) {
    there->second->PlusCount = SaturatingAdd(there->second->PlusCount, entry->PlusCount);
    there->second->MinusCount = SaturatingAdd(there->second->MinusCount, entry->MinusCount);
    ++merged_;
    return std::nullopt;
  }
  const size_t parity = position.Moves.size() % 2;
  books_[parity].Add(std::move(entry));
  unsorted_[parity] = true;
  return std::nullopt;
}

const TOpenning_Book& TBookBuilder::Book(int parity) {
  if (unsorted_[parity]) {
    books_[parity].SetSorted(false);
    books_[parity].SetSorted(true);
    unsorted_[parity] = false;
  }
  return books_[parity];
}

std::string TBookBuilder::Encode(int parity) {
  const TOpenning_Book& book = Book(parity);
  std::vector<const TOpenning*> entries;
  for (int32_t i = 0; i < book.Count(); ++i) entries.push_back(&book.Get(i));
  return EncodeBookFile(entries);
}

}  // namespace zarvo
