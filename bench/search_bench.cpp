// The search's costs: the continuous-four solver on a set of puzzles, and one threat search of
// the best level-1 candidate of a middle-game position at depths 5, 7 and 9.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "search/threat_search.h"
#include "search/vcf_solver.h"
#include "select/move_selection.h"

namespace zarvo {
namespace {

// A position given as moves "X,Y" in play order (x first), evaluated as a move search starts:
// the lists filled and the level-1 candidates generated, the side to move in slot 0.
struct TSearchStart {
  TEngineState State;
  TThreatLists Lists;
  std::unique_ptr<TMoveContext> Context = std::make_unique<TMoveContext>();

  explicit TSearchStart(const std::string& moves, int maxDepth = 9) {
    BuildPairClass();
    std::istringstream in(moves);
    std::string word;
    int count = 0;
    std::vector<std::pair<int, int>> squares;
    while (in >> word) {
      const auto comma = word.find(',');
      squares.emplace_back(std::stoi(word.substr(0, comma)), std::stoi(word.substr(comma + 1)));
      ++count;
    }
    State.Sides.OwnStone = count % 2 == 0 ? kStoneX : kStoneO;
    SetSideMaps(State.Sides);
    State.StoneCount = count;
    State.MaxDepth = maxDepth;
    InitPosition(Context->W);
    for (int k = 0; k < count; ++k)
      PlaceStone(State.Sides, k % 2 == 0 ? kStoneX : kStoneO, squares[k].first, squares[k].second,
                 Context->W);
    RescanAll(Context->W, &Lists);
    State.Search.Lists = &Lists;
    PrepareLevelOne(State, *Context);
  }
};

// Positions from the benchmark suite: 4, 10 and 13 stones.
const char* const kMiddleGames[] = {
    "9,9 8,10 9,8 10,10",
    "9,9 8,10 10,10 8,8 9,11 9,8 10,11 10,9 11,9 12,8",
    "9,9 8,10 10,10 8,8 9,11 9,8 10,11 10,9 11,9 12,8 11,11 8,11 12,12",
};

void BM_ThreatSearch(benchmark::State& bench) {
  const int depth = static_cast<int>(bench.range(0));
  TSearchStart start(kMiddleGames[bench.range(1)], depth);
  TMoveContext& context = *start.Context;
  const TCell best = context.LevelCandidates[1][0];
  uint64_t nodes = 0;
  for (auto _ : bench) {
    start.State.Search.Nodes = 0;
    context.PlayedX[1] = best.X;
    context.PlayedY[1] = best.Y;
    benchmark::DoNotOptimize(ThreatSearch(start.State, context, -49999, -49999));
    nodes += start.State.Search.Nodes;
  }
  bench.counters["nodes/move"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kAvgIterations);
  bench.counters["nodes/s"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ThreatSearch)
    ->ArgsProduct({{5, 7, 9}, {0, 1, 2}})
    ->ArgNames({"depth", "position"})
    ->Unit(benchmark::kMillisecond);

// Positions with a win by continuous fours for the side to move, and one without.
const char* const kVcfPuzzles[] = {
    // A double four in one move.
    "5,5 4,5 6,5 8,9 7,5 12,12 8,6 13,13 8,7 14,15 8,8 2,17",
    // A four, its block, and a double four.
    "10,2 10,1 10,3 12,9 10,4 15,5 13,5 14,6 14,5 3,3 12,6 16,16 12,7 2,17 12,8 0,19",
    // A single four that leads nowhere.
    "5,5 4,5 6,5 12,12 7,5 17,17",
};

void BM_FindVcf(benchmark::State& bench) {
  std::vector<std::unique_ptr<TSearchStart>> puzzles;
  for (const char* moves : kVcfPuzzles) puzzles.push_back(std::make_unique<TSearchStart>(moves));
  int wins = 0;
  for (auto _ : bench) {
    wins = 0;
    for (auto& puzzle : puzzles) {
      TSearchNode node;
      const TPosition& root = puzzle->State.Search.Levels[1];
      wins += node.FindVcf(puzzle->State, root, puzzle->Lists.FourSquares[0], 0);
    }
  }
  bench.counters["wins"] = wins;  // 2 of the 3
}
BENCHMARK(BM_FindVcf)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarvo
