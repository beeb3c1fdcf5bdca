// Costs of the deep search's inner operations on one middle-game position: a move made and taken
// back on the incremental board, the evaluation, the continuous-four solver at a leaf, and a
// fixed-depth search; and the renju check of black's forbidden moves over the squares a move
// generation looks at.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "deep/deep_search.h"
#include "deep/forbidden.h"

namespace zarvo::deep {
namespace {

// A middle game of 13 stones from the benchmark suite, and the empty squares next to them.
struct TDeepMiddleGame {
  std::unique_ptr<TDeepBoard> Board =
      std::make_unique<TDeepBoard>(kMaxBoardSize, kMaxBoardSize, TRule::Freestyle);
  std::vector<TSquareIndex> Moves;

  TDeepMiddleGame() {
    constexpr int kGame[][2] = {{9, 9},  {8, 8}, {8, 10}, {10, 8}, {7, 9}, {10, 9}, {7, 10},
                                {9, 10}, {6, 8}, {9, 11}, {7, 8},  {7, 7}, {10, 7}};
    for (const auto& move : kGame) Board->Move(SquareAt(move[0], move[1]));
    const TDeepBoard::TArea area = Board->StoneArea(1);
    for (int y = area.MinY; y <= area.MaxY; ++y)
      for (int x = area.MinX; x <= area.MaxX; ++x)
        if (Board->IsEmpty(SquareAt(x, y)) && Board->IsNearStones(SquareAt(x, y)))
          Moves.push_back(SquareAt(x, y));
  }
};

void BM_DeepMoveUndo(benchmark::State& state) {
  TDeepMiddleGame game;
  std::size_t next = 0;
  for (auto _ : state) {
    const TSquareIndex square = game.Moves[next++ % game.Moves.size()];
    game.Board->Move(square);
    game.Board->Undo();
    benchmark::DoNotOptimize(game.Board->Hash());
  }
}
BENCHMARK(BM_DeepMoveUndo);

void BM_DeepEvaluate(benchmark::State& state) {
  TDeepMiddleGame game;
  for (auto _ : state) benchmark::DoNotOptimize(Evaluate(*game.Board));
}
BENCHMARK(BM_DeepEvaluate);

void BM_DeepLeafVcf(benchmark::State& state) {
  TDeepMiddleGame game;
  TThreatSolver solver;
  for (auto _ : state) benchmark::DoNotOptimize(solver.FindVcf(*game.Board, 6, 200));
}
BENCHMARK(BM_DeepLeafVcf);

// Every empty square next to the stones of a renju middle game dense with black's threes (a
// three-three among them), judged for black as the move generation judges them.
void BM_RenjuForbiddenNearStones(benchmark::State& state) {
  auto board = std::make_unique<TDeepBoard>(15, 15, TRule::Renju);
  constexpr int kGame[][2] = {{7, 7}, {8, 8}, {7, 9}, {8, 6},  {6, 8},  {9, 9}, {8, 10},
                              {6, 6}, {5, 9}, {9, 7}, {6, 10}, {10, 6}, {5, 6}, {4, 10}};
  for (const auto& move : kGame) board->Move(SquareAt(move[0], move[1]));
  std::vector<TSquareIndex> squares;
  const TDeepBoard::TArea area = board->StoneArea(2);
  for (int y = area.MinY; y <= area.MaxY; ++y)
    for (int x = area.MinX; x <= area.MaxX; ++x)
      if (board->IsEmpty(SquareAt(x, y)) && board->IsNearStones(SquareAt(x, y)))
        squares.push_back(SquareAt(x, y));
  int forbidden = 0;
  for (auto _ : state)
    for (TSquareIndex square : squares) forbidden += ForbiddenFor(*board, 0, square);
  state.counters["squares/s"] = benchmark::Counter(
      static_cast<double>(squares.size()) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["forbidden"] = static_cast<double>(forbidden) /
                                static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_RenjuForbiddenNearStones);

void BM_DeepSearchDepth6(benchmark::State& state) {
  TDeepMiddleGame game;
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  int64_t nodes = 0;
  for (auto _ : state) {
    search->Clear();
    TSearchLimits limits;
    limits.SoftMs = limits.HardMs = int64_t{1} << 40;
    limits.MaxDepth = 6;
    limits.RootSolvers = false;
    nodes += search->Think(*game.Board, limits).Nodes();
  }
  state.counters["nodes/s"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DeepSearchDepth6)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarvo::deep
