// The opening book: book positions with one recommended reply each, their orderings, the binary
// book file, the window frame and the eight board symmetries under which the book is matched.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "book/list_f.h"

namespace zarvo {

// One stone. Coordinates are signed bytes as in the book file; arithmetic on them is done in int
// and stored back modulo 256, as the file's byte coordinates wrap.
struct TOCoord {
  int8_t X = 0;
  int8_t Y = 0;
  friend bool operator==(const TOCoord&, const TOCoord&) = default;
};

// Every ordering subtracts the first argument's key from the second's, so lists stand in
// descending key order. Bytes compare as signed values.
int32_t CompareCoords(const TOCoord& a, const TOCoord& b);  // X, then Y

// The stones of one side, kept in CompareCoords order.
class TOPlayerMoves : public tList_F<TOCoord> {
 public:
  TOPlayerMoves() { SetCompare(CompareCoords); }
};

inline constexpr int kBookWindowMargin = 7;  // how far from the stones the window reaches
inline constexpr int kBookBoardLast = 19;    // last index of the board
inline constexpr int kBookMaxCoords = 127;   // most coordinates one side's list may hold

class TOpenning {
 public:
  TOpenning() = default;
  TOpenning(const TOpenning&) = delete;  // Clone says what a copy keeps
  TOpenning& operator=(const TOpenning&) = delete;

  int8_t OriginX = 0;  // window origin found by the last Normalize, in the frame before it
  int8_t OriginY = 0;
  int8_t ExtentX = 0;  // last X index of the window
  int8_t ExtentY = 0;
  int8_t StoneTotal = 0;
  TOPlayerMoves OwnMoves;  // the side to move
  TOPlayerMoves OppMoves;  // the other side
  int8_t ReplyX = -1;      // in the same frame as the stones
  int8_t ReplyY = -1;
  uint32_t PlusCount = 0;   // raises the reply's score
  uint32_t MinusCount = 0;  // lowers it
  uint8_t Symmetry = 1;     // 1..8, the symmetry last applied

  // Puts the position into its window frame: the stones' bounding box widened by 7 on every
  // side and clipped at 0..19 of the present frame; stones and reply move by the window origin.
  void Normalize();
  // The window origin in the present coordinates, without changing anything.
  void GetOrigin(int8_t& originX, int8_t& originY) const;
  // A deep copy of everything but Symmetry, which starts again at 1.
  std::unique_ptr<TOpenning> Clone() const;
  // Turns stones and reply by symmetry k (1..8) within the present extents, then normalizes.
  // Any other k changes nothing.
  void ApplySymmetry(int k);
  void ApplyInverseSymmetry(int k);
};

// Position only: StoneTotal, then the own lists, then the opponent lists, each over the common
// length of the two lists (the per-side counts themselves are not compared).
int32_t ComparePositions(const TOpenning& a, const TOpenning& b);
// ComparePositions, then ReplyX, then ReplyY.
int32_t CompareOpenings(const TOpenning& a, const TOpenning& b);

// One book answer on the real board.
struct TOResObj {
  int8_t X = 0;
  int8_t Y = 0;
  uint32_t PlusCount = 0;
  uint32_t MinusCount = 0;
  friend bool operator==(const TOResObj&, const TOResObj&) = default;
};

// The four primitive turns of a frame; the quarter turns exchange the frame's extents.
enum class TFrameTurn : uint8_t { None, FlipX, RotateHalf, RotateClockwise, RotateAnticlockwise };

// A symmetry as up to two turns, applied left to right.
struct TSymmetryTransform {
  std::array<TFrameTurn, 2> Turns;
};

// Indexed by symmetry k - 1 (k = 1..8): the turns that take a position into orientation k.
inline constexpr std::array<TSymmetryTransform, 8> SymmetryTransforms{{
    {{TFrameTurn::None, TFrameTurn::None}},
    {{TFrameTurn::FlipX, TFrameTurn::None}},
    {{TFrameTurn::RotateClockwise, TFrameTurn::None}},
    {{TFrameTurn::FlipX, TFrameTurn::RotateClockwise}},
    {{TFrameTurn::RotateHalf, TFrameTurn::None}},
    {{TFrameTurn::FlipX, TFrameTurn::RotateHalf}},
    {{TFrameTurn::RotateAnticlockwise, TFrameTurn::None}},
    {{TFrameTurn::FlipX, TFrameTurn::RotateAnticlockwise}},
}};

// Indexed by k - 1: the turns that undo SymmetryTransforms[k - 1].
inline constexpr std::array<TSymmetryTransform, 8> InverseSymmetryTransforms{{
    {{TFrameTurn::None, TFrameTurn::None}},
    {{TFrameTurn::FlipX, TFrameTurn::None}},
    {{TFrameTurn::RotateAnticlockwise, TFrameTurn::None}},
    {{TFrameTurn::RotateAnticlockwise, TFrameTurn::FlipX}},
    {{TFrameTurn::RotateHalf, TFrameTurn::None}},
    {{TFrameTurn::RotateHalf, TFrameTurn::FlipX}},
    {{TFrameTurn::RotateClockwise, TFrameTurn::None}},
    {{TFrameTurn::RotateClockwise, TFrameTurn::FlipX}},
}};

// Maps (x, y) in a frame with extents (ex, ey) by the transform; the extents come back as the
// turned frame has them.
void ApplyTransform(const TSymmetryTransform& transform, int& x, int& y, int& ex, int& ey);

// How reading a book file ended.
enum class TBookLoadStatus : uint8_t {
  Complete,      // every entry the count promised was read
  NoFile,        // no file of that name
  Unreadable,    // it exists but cannot be opened or read
  Truncated,     // the file ended inside an entry (or before the count promised)
  BadCoordCount  // an entry gives a coordinate count below 0 or above 127
};

const char* DescribeLoadStatus(TBookLoadStatus status);

// A cursor over the bytes of a book file. A read at the end delivers fewer bytes than asked.
class TBookReader {
 public:
  explicit TBookReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Read(void* destination, size_t count);
  size_t Position() const { return position_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

// Reads one entry into a fresh TOpenning, the coordinates appended in file order. Complete,
// Truncated (the entry is cut short) or BadCoordCount (the entry is unusable).
TBookLoadStatus ReadOpening(TOpenning& entry, TBookReader& stream);

// The entries of a book file in file order, as far as they could be read completely.
struct TBookFile {
  TBookLoadStatus Status = TBookLoadStatus::NoFile;
  int32_t DeclaredCount = 0;  // N from the file; 0 or below is an empty book
  std::vector<std::unique_ptr<TOpenning>> Entries;
  size_t TrailingBytes = 0;  // when Complete: bytes after the last entry, which nothing reads
};

// Reading stops at the first entry that is cut short or malformed, keeping the ones before it;
// a count N larger than the file holds allocates nothing beyond what is there.
TBookFile ReadBookFile(const std::string& fileName);
// The same on the bytes of a book file already in memory (never NoFile or Unreadable).
TBookFile ReadBookBytes(std::span<const uint8_t> bytes);

// The bytes of a book file holding these entries in this order.
std::string EncodeBookFile(std::span<const TOpenning* const> entries);

// Told of every match as FindMatches makes it: the symmetry, the book entry as stored, the
// result appended.
using TMatchObserver = std::function<void(int k, const TOpenning& entry, const TOResObj& result)>;

// The book. It owns its entries.
class TOpenning_Book : public tList_F<std::unique_ptr<TOpenning>> {
 public:
  TOpenning_Book() { SetCompare(CompareOpenings); }

  std::string FileName;
  TBookLoadStatus LoadStatus = TBookLoadStatus::NoFile;  // how the last load ended

  // Appends the file's entries and orders the book by CompareOpenings. False without a file,
  // for a file that cannot be read, and for an entry with a bad coordinate count (the entries
  // before it are kept). A file that ends early still counts as loaded, with the entries read
  // completely.
  bool LoadFromFile();
  // LoadFromFile on the bytes of a book file already in memory.
  bool LoadFromBytes(std::span<const uint8_t> bytes);
  // The program carries no book resource on this platform, so that source always answers false.
  bool Load(bool fromResource);

  // Looks the query (real board coordinates, both lists filled, StoneTotal set; left unchanged)
  // up under the eight symmetries, k = 1..8 in this order, and appends one result per matching
  // entry with the reply turned back onto the real board. Leaves the book ordered by
  // ComparePositions with its entries as they were. True when anything matched.
  bool FindMatches(std::vector<TOResObj>& results, const TOpenning& query,
                   const TMatchObserver& observer = {});

 private:
  // Takes the entries read and orders the book; the result of LoadFromFile.
  bool Adopt(TBookFile file);
  // Sorts by the comparison, with exactly the result of Sort, quickly when the book allows it.
  // Returns the ranks of the sorted items when the comparison is a total preorder on the book.
  std::vector<int32_t> SortBy(TItemCompare compare);
  // Whether the orderings are total preorders on this book: all entries with the same
  // StoneTotal then have lists of the same lengths, so comparing over the common length
  // compares whole lists.
  bool ListLengthsAgree() const;
  // Ranks of the items by the comparison when they already stand in its order; empty if not.
  std::vector<int32_t> RanksInOrder(TItemCompare compare) const;
};

}  // namespace zarvo
