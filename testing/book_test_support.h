// Helpers for the opening-book tests: book entries and files, boards, the board's symmetries.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board/position.h"
#include "board/stones.h"
#include "book/book_builder.h"
#include "book/opennings.h"

namespace zarvo::testing {

// The one-entry .ob2 book of a lone stone of the side not to move at the centre: reply (6, 7)
// in the window frame, PlusCount 10, MinusCount 1.
inline std::string CentreStoneBook() {
  const unsigned char bytes[] = {0x01, 0x00, 0x00, 0x00,                          // N = 1
                                 0x0E, 0x0E, 0x01, 0x06, 0x07,                    // EX EY T RX RY
                                 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // P, M
                                 0x00, 0x00, 0x00, 0x00,                          // a = 0
                                 0x01, 0x00, 0x00, 0x00, 0x07, 0x07};             // b = 1, (7, 7)
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// An entry exactly as given (no normalizing).
inline std::unique_ptr<TOpenning> Entry(std::initializer_list<TOCoord> own,
                                        std::initializer_list<TOCoord> opp, int extentX,
                                        int extentY, TOCoord reply, uint32_t plus = 1,
                                        uint32_t minus = 1) {
  auto entry = std::make_unique<TOpenning>();
  for (TOCoord c : own) entry->OwnMoves.Add(c);
  for (TOCoord c : opp) entry->OppMoves.Add(c);
  entry->StoneTotal = static_cast<int8_t>(own.size() + opp.size());
  entry->ExtentX = static_cast<int8_t>(extentX);
  entry->ExtentY = static_cast<int8_t>(extentY);
  entry->ReplyX = reply.X;
  entry->ReplyY = reply.Y;
  entry->PlusCount = plus;
  entry->MinusCount = minus;
  return entry;
}

inline std::string EncodeEntries(const std::vector<std::unique_ptr<TOpenning>>& entries) {
  std::vector<const TOpenning*> pointers;
  for (const auto& entry : entries) pointers.push_back(entry.get());
  return EncodeBookFile(pointers);
}

// A query in real board coordinates.
inline std::unique_ptr<TOpenning> Query(std::initializer_list<TOCoord> own,
                                        std::initializer_list<TOCoord> opp) {
  return Entry(own, opp, 0, 0, {-1, -1}, 0, 0);
}

// The eight symmetries of the 20 x 20 board, s = 0..7.
inline TSquare TurnBoard(int s, TSquare square) {
  int x = square.X, y = square.Y;
  if (s & 1) x = 19 - x;
  if (s & 2) y = 19 - y;
  if (s & 4) std::swap(x, y);
  return {x, y};
}

inline TBookPosition TurnBoard(int s, const TBookPosition& position) {
  TBookPosition turned = position;
  for (TSquare& move : turned.Moves) move = TurnBoard(s, move);
  turned.Reply = TurnBoard(s, position.Reply);
  return turned;
}

// The board after the moves, x moving first; the side to move plays own.
inline TSideMaps SidesToMove(size_t moveCount) {
  TSideMaps sides;
  sides.OwnStone = moveCount % 2 == 0 ? kStoneX : kStoneO;
  SetSideMaps(sides);
  return sides;
}

inline TPosition BoardAfter(const std::vector<TSquare>& moves, int32_t emptyScore = 0) {
  TPosition position;
  InitPosition(position);
  const TSideMaps sides = SidesToMove(moves.size());
  for (size_t i = 0; i < moves.size(); ++i) {
    PlaceStone(sides, i % 2 == 0 ? kStoneX : kStoneO, moves[i].X, moves[i].Y, position);
  }
  for (int x = 0; x < 20; ++x) {
    for (int y = 0; y < 20; ++y) {
      TCell& cell = position.Cell(x, y);
      cell.Value[0] = cell.Stone == kEmpty ? emptyScore : -10000;
    }
  }
  return position;
}

// Whether two records hold the same stones and scores on every cell, border cells included;
// on-board empty squares' Value[0] is compared only when asked.
inline bool SameCells(const TPosition& a, const TPosition& b, bool compareEmptyScores = true) {
  for (int x = -kBorder; x < kBoardSize + kBorder; ++x) {
    for (int y = -kBorder; y < kBoardSize + kBorder; ++y) {
      const TCell& ca = a.Cell(x, y);
      const TCell& cb = b.Cell(x, y);
      const bool emptySquare = OnBoard(x, y) && ca.Stone == kEmpty;
      if (ca.Stone != cb.Stone || ca.Value[1] != cb.Value[1]) return false;
      if ((compareEmptyScores || !emptySquare) && ca.Value[0] != cb.Value[0]) return false;
    }
  }
  return true;
}

}  // namespace zarvo::testing
