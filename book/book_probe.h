// The book probe of the opening: pulls the engine's move scores towards the caller's score, then
// lets the opening book's replies raise, lower or force the scores of their squares.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/random.h"
#include "board/position.h"
#include "board/stones.h"
#include "book/opennings.h"

namespace zarvo {

inline constexpr int32_t kForcedBookScore = 20000;
inline constexpr int32_t kForceRandomRange = 10;
inline constexpr int32_t kEvenCountBonus = 5;  // the side that opened needs a surer reply

// BASE.ob1 for an even stone count, BASE.ob2 for an odd one.
std::string BookFileName(std::string_view baseName, int32_t stoneCount);

// The book file of a move with stoneCount stones; a relative name is looked up in workDir (empty:
// the working directory).
std::string BookPathFor(std::string_view baseName, const std::filesystem::path& workDir,
                        int32_t stoneCount);

// Random(10) + stone count, plus 5 when the count is even. One draw on every call.
int32_t DrawForceThreshold(TRandom& rng, int32_t stoneCount);

// The stones of the board as a book query in real coordinates, in scan order (X outer, Y
// inner): OwnStone's stones as own, OppStone's as the opponent's.
std::unique_ptr<TOpenning> BookQuery(const TPosition& position, const TSideMaps& sides);

// The probe with the book file and the threshold given: averages every positive Value[0] of an
// empty square with v, then applies the book's replies to Value[0] of their squares. Results
// off the board are dropped. True when any book entry matched.
bool ProbeBookFile(const std::string& bookFile, const TSideMaps& sides, int32_t forceThreshold,
                   TPosition& position, int32_t v);
// The same with the book already loaded; leaves the book ordered by position.
bool ProbeBook(TOpenning_Book& book, const TSideMaps& sides, int32_t forceThreshold,
               TPosition& position, int32_t v);

// Applies one book result to its square's score: occupied (negative) squares are left alone, a
// reply without MinusCount or with PlusCount / MinusCount above the threshold is forced to
// 20000, any other is scaled by (PlusCount + 1) / (MinusCount + 1).
void ApplyBookResult(const TOResObj& result, int32_t forceThreshold, TPosition& position);

// The probe of move selection, for at most 15 stones: threshold drawn from rng on every call,
// then ProbeBookFile on the book file of the stone count's parity (see BookPathFor). Changes
// only Value[0] of on-board squares. With no side to move (OwnStone 0, the "-" of the move file)
// no board position can be a book position: the threshold is still drawn, but no score changes
// and the answer is false.
bool BookProbe(const TSideMaps& sides, int32_t stoneCount, TRandom& rng,
               const std::string& bookFile, TPosition& position, int32_t v);

}  // namespace zarvo
