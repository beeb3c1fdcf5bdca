#include "book/book_builder.h"

#include <limits>
#include <set>
#include <utility>

#include "board/position.h"

namespace zarvo {
namespace {

bool OnBookBoard(const TBookSquare& square) {
  return OnBoard(square.X, square.Y);
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
    const TBookSquare& move = position.Moves[i];
    const std::string where = "move " + std::to_string(i + 1) + " (" + std::to_string(move.X) +
                              "," + std::to_string(move.Y) + ")";
    if (!OnBookBoard(move)) return where + " is off the board";
    if (!taken.insert({move.X, move.Y}).second) return where + " plays a square twice";
  }
  const TBookSquare& reply = position.Reply;
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
  TOpenning_Book& book = books_[position.Moves.size() % 2];
  int32_t index;
  if (book.Find(*entry, index)) {
    TOpenning& there = book.Get(index);
    there.PlusCount = SaturatingAdd(there.PlusCount, entry->PlusCount);
    there.MinusCount = SaturatingAdd(there.MinusCount, entry->MinusCount);
    ++merged_;
    return std::nullopt;
  }
  book.AddSorted(std::move(entry));
  return std::nullopt;
}

std::string TBookBuilder::Encode(int parity) const {
  const TOpenning_Book& book = books_[parity];
  std::vector<const TOpenning*> entries;
  for (int32_t i = 0; i < book.Count(); ++i) entries.push_back(&book.Get(i));
  return EncodeBookFile(entries);
}

}  // namespace zarvo
