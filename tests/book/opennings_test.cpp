// Book records, their orderings and the book file: the centre-stone book byte for byte, the order
// after loading, and what malformed files get.
#include "book/opennings.h"

#include <gtest/gtest.h>

#include "testing/book_test_support.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::Entry;
using testing::TTempDir;

std::vector<TOCoord> Coords(const TOPlayerMoves& list) {
  std::vector<TOCoord> coords;
  for (int32_t i = 0; i < list.Count(); ++i) coords.push_back(list.Get(i));
  return coords;
}

TEST(BookFile, CentreStoneBookIsTwentySevenBytesAndReadsBack) {
  std::vector<std::unique_ptr<TOpenning>> entries;
  entries.push_back(Entry({}, {{7, 7}}, 14, 14, {6, 7}, 10, 1));
  const std::string bytes = testing::EncodeEntries(entries);
  EXPECT_EQ(bytes, testing::CentreStoneBook());
  ASSERT_EQ(bytes.size(), 27u);  // 4 + 21 + 2 * (0 + 1)

  TTempDir dir;
  dir.Write("Zarvo.ob2", bytes);
  TOpenning_Book book;
  book.FileName = (dir / "Zarvo.ob2").string();
  EXPECT_TRUE(book.Load(false));
  EXPECT_EQ(book.LoadStatus, TBookLoadStatus::Complete);
  ASSERT_EQ(book.Count(), 1);
  const TOpenning& e = book.Get(0);
  EXPECT_EQ(e.ExtentX, 14);
  EXPECT_EQ(e.ExtentY, 14);
  EXPECT_EQ(e.StoneTotal, 1);
  EXPECT_EQ(e.ReplyX, 6);
  EXPECT_EQ(e.ReplyY, 7);
  EXPECT_EQ(e.PlusCount, 10u);
  EXPECT_EQ(e.MinusCount, 1u);
  EXPECT_EQ(e.OwnMoves.Count(), 0);
  EXPECT_EQ(Coords(e.OppMoves), (std::vector<TOCoord>{{7, 7}}));
  EXPECT_EQ(e.Symmetry, 1);
}

TEST(BookFile, LoadOrdersByCompareOpeningsAndKeepsStoredLists) {
  std::vector<std::unique_ptr<TOpenning>> entries;
  entries.push_back(Entry({}, {{7, 7}}, 14, 14, {6, 7}));                        // T 1
  entries.push_back(Entry({{1, 1}, {5, 5}}, {{7, 7}, {6, 6}}, 14, 14, {5, 5}));  // lists unsorted
  entries.push_back(Entry({{7, 7}}, {{8, 8}}, 15, 15, {6, 6}));                  // T 2, reply 6
  entries.push_back(Entry({{7, 7}}, {{8, 8}}, 15, 15, {9, 9}));                  // same position
  entries.push_back(Entry({}, {{1, 2}, {3, 4}, {5, 6}}, 12, 13, {0, 0}));        // a = 0, b = 3
  const std::string bytes = testing::EncodeEntries(entries);
  EXPECT_EQ(bytes.size(), 4 + 23 + 29 + 25 + 25 + 27u);

  TTempDir dir;
  dir.Write("b.ob1", bytes);
  TOpenning_Book book;
  book.FileName = (dir / "b.ob1").string();
  ASSERT_TRUE(book.LoadFromFile());
  ASSERT_EQ(book.Count(), 5);
  for (int32_t i = 0; i + 1 < book.Count(); ++i) {
    EXPECT_LE(CompareOpenings(book.Get(i), book.Get(i + 1)), 0);
  }
  // Descending keys: the larger StoneTotal first, and of one position the larger reply first.
  EXPECT_EQ(book.Get(0).StoneTotal, 4);
  EXPECT_EQ(book.Get(1).StoneTotal, 3);
  EXPECT_EQ(book.Get(2).ReplyX, 9);
  EXPECT_EQ(book.Get(3).ReplyX, 6);
  EXPECT_EQ(book.Get(4).StoneTotal, 1);
  // Lists keep the file's order; loading does not repair them.
  EXPECT_EQ(Coords(book.Get(0).OwnMoves), (std::vector<TOCoord>{{1, 1}, {5, 5}}));
  EXPECT_EQ(Coords(book.Get(1).OppMoves), (std::vector<TOCoord>{{1, 2}, {3, 4}, {5, 6}}));
}

TEST(BookFile, OrderingsCompareSignedBytesInDescendingOrder) {
  EXPECT_GT(CompareCoords({1, 5}, {2, 0}), 0);   // larger X first
  EXPECT_LT(CompareCoords({1, 5}, {1, 4}), 0);   // then larger Y
  EXPECT_GT(CompareCoords({-1, 0}, {1, 0}), 0);  // bytes are signed
  EXPECT_EQ(CompareCoords({3, 3}, {3, 3}), 0);

  // Only the common length of the lists is compared.
  const auto longer = Entry({{5, 5}, {4, 4}}, {}, 9, 9, {0, 0});
  const auto shorter = Entry({{5, 5}}, {}, 9, 9, {1, 1});
  shorter->StoneTotal = 2;
  EXPECT_EQ(ComparePositions(*longer, *shorter), 0);
  EXPECT_GT(CompareOpenings(*longer, *shorter), 0);  // reply 1 before reply 0
  const auto fewer = Entry({{9, 9}}, {}, 9, 9, {0, 0});
  EXPECT_LT(ComparePositions(*longer, *fewer), 0);  // larger StoneTotal first
}

TEST(BookFile, MalformedFilesKeepTheEntriesReadCompletely) {
  std::vector<std::unique_ptr<TOpenning>> entries;
  entries.push_back(Entry({{7, 7}}, {{8, 8}}, 15, 15, {6, 6}));
  entries.push_back(Entry({}, {{7, 7}}, 14, 14, {6, 7}));
  const std::string good = testing::EncodeEntries(entries);  // 4 + 25 + 23 bytes
  auto withCount = [&](uint32_t n) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(n >> (8 * i));
    return bytes;
  };
  auto withSecondOwnCount = [&](uint32_t a) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[4 + 25 + 13 + i] = static_cast<char>(a >> (8 * i));
    return bytes;
  };
  struct Case {
    const char* Name;
    std::string Bytes;
    int32_t Entries;
    TBookLoadStatus Status;
    bool Loaded;
  } const cases[] = {
      {"complete", good, 2, TBookLoadStatus::Complete, true},
      {"empty file", "", 0, TBookLoadStatus::Complete, true},
      {"N = 0", std::string(4, '\0'), 0, TBookLoadStatus::Complete, true},
      {"N < 0", withCount(0xFFFFFFFF), 0, TBookLoadStatus::Complete, true},
      {"count cut short", "\x01\x00", 0, TBookLoadStatus::Truncated, true},
      {"cut in the second entry's header", good.substr(0, 4 + 25 + 2), 1,
       TBookLoadStatus::Truncated, true},
      {"cut in the second entry's stones", good.substr(0, good.size() - 1), 1,
       TBookLoadStatus::Truncated, true},
      {"huge N", withCount(0x7FFFFFFF), 2, TBookLoadStatus::Truncated, true},
      {"coordinate count 128", withSecondOwnCount(128), 1, TBookLoadStatus::BadCoordCount, false},
      {"coordinate count -1", withSecondOwnCount(0xFFFFFFFF), 1, TBookLoadStatus::BadCoordCount,
       false},
      {"junk after the entries", withCount(3) + std::string(200, '\x9C'), 2,
       TBookLoadStatus::BadCoordCount, false},
      {"junk", std::string("\x03\0\0\0", 4) + std::string(200, '\x9C'), 0,
       TBookLoadStatus::BadCoordCount, false},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("b.ob1", c.Bytes);
    TOpenning_Book book;
    book.FileName = (dir / "b.ob1").string();
    EXPECT_EQ(book.LoadFromFile(), c.Loaded) << c.Name;
    EXPECT_EQ(book.Count(), c.Entries) << c.Name;
    EXPECT_EQ(book.LoadStatus, c.Status) << c.Name;
    for (int32_t i = 0; i < book.Count(); ++i) {
      EXPECT_EQ(book.Get(i).StoneTotal,
                book.Get(i).OwnMoves.Count() + book.Get(i).OppMoves.Count())
          << c.Name;  // only whole entries
    }
  }
}

TEST(BookFile, MissingOrUnreadableFilesLoadNothing) {
  TTempDir dir;
  std::filesystem::create_directory(dir / "dir.ob1");
  for (const char* name : {"absent.ob1", "dir.ob1"}) {
    TOpenning_Book book;
    book.FileName = (dir / name).string();
    EXPECT_FALSE(book.LoadFromFile()) << name;
    EXPECT_EQ(book.Count(), 0) << name;
  }
}

}  // namespace
}  // namespace zarvo
