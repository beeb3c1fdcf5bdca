// Costs of the evaluation's inner operations on one middle-game position. A search level copies
// the position, makes a move in the copy and, when it returns, brings the lists back: the
// benchmarks measure those pieces apart so each can be compared with the floor of a plain memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "base/random.h"
#include "board/line_eval.h"
#include "board/pattern_tables.h"

namespace zarvo {
namespace {

struct TSquareXY {
  int X, Y;
};

// 40 stones played near the centre from a fixed seed, evaluated, with the lists filled; and the
// empty squares next to the stones, the moves a search would try.
struct TMiddleGame {
  TSideMaps Sides;
  TPosition Position{};
  TThreatLists Lists;
  std::vector<TSquareXY> Moves;

  TMiddleGame() {
    BuildPairClass();
    Sides.OwnStone = kStoneX;
    SetSideMaps(Sides);
    InitPosition(Position);
    TRandom rng(2024);
    uint8_t stone = kStoneX;
    for (int placed = 0; placed < 40;) {
      const int x = 5 + rng.Random(10), y = 5 + rng.Random(10);
      if (Position.Cell(x, y).Stone != kEmpty) continue;
      PlaceStone(Sides, stone, x, y, Position);
      stone = OppositeStone[stone];
      ++placed;
    }
    RescanAll(Position, &Lists);
    for (int x = 4; x < 16; ++x)
      for (int y = 4; y < 16; ++y)
        if (Position.Cell(x, y).Stone == kEmpty) Moves.push_back({x, y});
  }

  void ClearLists() {
    for (int slot = 0; slot < 2; ++slot) {
      Lists.FiveSquares[slot].Clear();
      Lists.OpenFourSquares[slot].Clear();
      Lists.FourSquares[slot].Clear();
    }
  }
};

TMiddleGame& Game() {
  static TMiddleGame game;
  return game;
}

// The whole board, 400 squares x 4 directions, with the lists filled from empty (clearing six
// vectors is part of the loop).
void BM_RescanAll(benchmark::State& state) {
  TMiddleGame& game = Game();
  TPosition position = game.Position;
  for (auto _ : state) {
    game.ClearLists();
    RescanAll(position, &game.Lists);
    benchmark::DoNotOptimize(position);
  }
  game.ClearLists();
  RescanAll(game.Position, &game.Lists);
}
BENCHMARK(BM_RescanAll);

// The floor of any copy of the record.
void BM_Memcpy(benchmark::State& state) {
  const TPosition& source = Game().Position;
  static TPosition target;
  for (auto _ : state) {
    std::memcpy(&target, &source, sizeof(TPosition));
    benchmark::DoNotOptimize(target);  // the address escapes, so the stores must happen
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sizeof(TPosition));
}
BENCHMARK(BM_Memcpy);

// What a search level pays to take its own copy.
void BM_PositionCopy(benchmark::State& state) {
  const TPosition& source = Game().Position;
  static TPosition target;
  for (auto _ : state) {
    target = source;
    benchmark::DoNotOptimize(target);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sizeof(TPosition));
}
BENCHMARK(BM_PositionCopy);

// Copy, place, take the square out of the lists, 32 rescans with list maintenance; then step the
// lists back so every iteration starts from the same position: what a search level pays per move.
// The make-a-move sequence alone is this less BM_PositionCopy and half of BM_SyncForwardAndBack.
void BM_CopyMakeMoveStepBack(benchmark::State& state) {
  TMiddleGame& game = Game();
  static TPosition work;
  std::size_t next = 0;
  for (auto _ : state) {
    const TSquareXY move = game.Moves[next];
    next = next + 1 == game.Moves.size() ? 0 : next + 1;
    work = game.Position;
    MakeMove(game.Sides, kStoneX, move.X, move.Y, &game.Lists, work);
    SyncThreatLists(game.Lists, move.X, move.Y, work, game.Position);
    benchmark::DoNotOptimize(work);
  }
}
BENCHMARK(BM_CopyMakeMoveStepBack);

// Bringing the lists to a moved copy and back again: two SyncThreatLists calls.
void BM_SyncForwardAndBack(benchmark::State& state) {
  TMiddleGame& game = Game();
  std::vector<TPosition> moved(game.Moves.size(), game.Position);
  for (std::size_t i = 0; i < moved.size(); ++i)  // the shared lists stay with game.Position
    MakeMove(game.Sides, kStoneX, game.Moves[i].X, game.Moves[i].Y, nullptr, moved[i]);
  std::size_t next = 0;
  for (auto _ : state) {
    const TSquareXY move = game.Moves[next];
    SyncThreatLists(game.Lists, move.X, move.Y, game.Position, moved[next]);
    SyncThreatLists(game.Lists, move.X, move.Y, moved[next], game.Position);
    benchmark::ClobberMemory();
    next = next + 1 == moved.size() ? 0 : next + 1;
  }
}
BENCHMARK(BM_SyncForwardAndBack);

}  // namespace
}  // namespace zarvo
