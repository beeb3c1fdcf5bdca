// The book probe on a book of 100,000 entries, generated once into a temporary directory: the
// probe as the engine runs it (load, match, apply), its parts, and the plain procedure with a
// full re-sort for every entry put back, for comparison.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "book/book_builder.h"
#include "book/book_probe.h"
#include "testing/book_test_support.h"
#include "testing/literal_find_matches.h"

namespace zarvo {
namespace {

constexpr int kBookEntries = 100000;

// Probed positions, each with three replies in the book.
const std::vector<TSquare> kCentre{{9, 9}};
const std::vector<TSquare> kThree{{9, 9}, {10, 10}, {8, 10}};
const std::vector<TSquare> kUnknown{{2, 2}, {3, 3}, {17, 2}};

class TBenchBook {
 public:
  TBenchBook() {
    dir_ =
        std::filesystem::temp_directory_path() / ("zarvo-book-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    TBookBuilder builder;
    for (const TSquare reply : {TSquare{8, 9}, TSquare{10, 8}, TSquare{8, 8}}) {
      builder.Add({kCentre, reply, 30, 2});
    }
    for (const TSquare reply : {TSquare{7, 11}, TSquare{9, 11}, TSquare{11, 9}}) {
      builder.Add({kThree, reply, 12, 3});
    }
    // Random games of 5 to 15 moves (odd counts), each stone near an earlier one. Shorter games
    // have so few shapes that a book of this size would hold hundreds of replies to each.
    std::mt19937 rng(20240601);
    while (builder.EntryCount(1) < kBookEntries) {
      const int count = 5 + 2 * static_cast<int>(rng() % 6);
      TBookPosition game;
      std::set<std::pair<int, int>> used;
      int x = 3 + static_cast<int>(rng() % 14), y = 3 + static_cast<int>(rng() % 14);
      while (static_cast<int>(game.Moves.size()) <= count) {
        if (OnBoard(x, y) && used.insert({x, y}).second) game.Moves.push_back({x, y});
        const TSquare from = game.Moves[rng() % game.Moves.size()];
        x = from.X + static_cast<int>(rng() % 5) - 2;
        y = from.Y + static_cast<int>(rng() % 5) - 2;
      }
      game.Reply = game.Moves.back();  // the last square found is the reply
      game.Moves.pop_back();
      game.PlusCount = rng() % 100;
      game.MinusCount = rng() % 10;
      builder.Add(game);
    }
    const std::string bytes = builder.Encode(1);
    std::ofstream(dir_ / "Zarvo.ob2", std::ios::binary).write(bytes.data(), bytes.size());
  }
  ~TBenchBook() {
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }
  const std::filesystem::path& Dir() const { return dir_; }
  std::string File() const { return (dir_ / "Zarvo.ob2").string(); }

 private:
  std::filesystem::path dir_;
};

const TBenchBook& Book() {
  static const TBenchBook book;
  return book;
}

void ProbeOnce(benchmark::State& state, const std::vector<TSquare>& moves) {
  const auto stoneCount = static_cast<int32_t>(moves.size());
  const TSideMaps sides = testing::SidesToMove(moves.size());
  TRandom rng;
  const TPosition start = testing::BoardAfter(moves, 50);
  bool found = false;
  for (auto _ : state) {
    TPosition position = start;
    found = BookProbe(sides, stoneCount, rng, BookPathFor("Zarvo", Book().Dir(), stoneCount),
                      position, 100);
    benchmark::DoNotOptimize(position);
  }
  state.SetLabel(found ? "book knows it" : "not in the book");
}

void BM_BookProbeCentreStone(benchmark::State& state) {
  ProbeOnce(state, kCentre);
}
void BM_BookProbeThreeStones(benchmark::State& state) {
  ProbeOnce(state, kThree);
}
void BM_BookProbeUnknownPosition(benchmark::State& state) {
  ProbeOnce(state, kUnknown);
}

void BM_BookLoad(benchmark::State& state) {
  const std::string file = Book().File();  // generated before the clock runs
  for (auto _ : state) {
    TOpenning_Book book;
    book.FileName = file;
    book.LoadFromFile();
    benchmark::DoNotOptimize(book.Count());
  }
}

void BM_BookLoadFullSort(benchmark::State& state) {
  const std::string file = Book().File();  // generated before the clock runs
  for (auto _ : state) {
    TOpenning_Book book;
    book.FileName = file;
    testing::LiteralLoad(book);
    benchmark::DoNotOptimize(book.Count());
  }
}

// Matching alone on a loaded book; the book's order carries over from one lookup to the next,
// as it does within one probe.
template <bool kLiteral>
void FindMatchesOnly(benchmark::State& state, const std::vector<TSquare>& moves) {
  TOpenning_Book book;
  book.FileName = Book().File();
  if (kLiteral) {
    testing::LiteralLoad(book);
  } else {
    book.LoadFromFile();
  }
  const auto query = BookQuery(testing::BoardAfter(moves), testing::SidesToMove(moves.size()));
  size_t results = 0;
  for (auto _ : state) {
    std::vector<TOResObj> found;
    if (kLiteral) {
      testing::LiteralFindMatches(book, found, *query);
    } else {
      book.FindMatches(found, *query);
    }
    results = found.size();
  }
  state.SetLabel(std::to_string(results) + " results");
}

void BM_FindMatchesCentreStone(benchmark::State& state) {
  FindMatchesOnly<false>(state, kCentre);
}
void BM_FindMatchesCentreStoneFullResorts(benchmark::State& state) {
  FindMatchesOnly<true>(state, kCentre);
}
void BM_FindMatchesThreeStones(benchmark::State& state) {
  FindMatchesOnly<false>(state, kThree);
}
void BM_FindMatchesThreeStonesFullResorts(benchmark::State& state) {
  FindMatchesOnly<true>(state, kThree);
}

BENCHMARK(BM_BookProbeCentreStone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookProbeThreeStones)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookProbeUnknownPosition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookLoadFullSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMatchesCentreStone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMatchesThreeStones)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMatchesCentreStoneFullResorts)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindMatchesThreeStonesFullResorts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zarvo
