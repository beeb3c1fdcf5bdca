#include "zarvo/deep_bench.h"

#include <chrono>
#include <iomanip>
#include <memory>

#include "deep/deep_search.h"
#include "driver/deep_engine.h"

namespace zarvo::tool {

int RunDeepBench(const std::vector<std::vector<TSquare>>& suite, int depth, std::ostream& out,
                 int threads) {
  out << std::setw(4) << "#" << std::setw(8) << "stones" << std::setw(8) << "move" << std::setw(7)
      << "depth" << std::setw(12) << "nodes" << std::setw(12) << "solver" << std::setw(10) << "ms"
      << '\n';
  auto search = std::make_unique<deep::TDeepSearch>(std::size_t{16} << 20);
  search->SetThreads(threads);
  auto board = std::make_unique<deep::TDeepBoard>(kBoardSize, kBoardSize, deep::TRule::Freestyle);
  uint64_t searchNodes = 0, solverNodes = 0;
  double totalMs = 0;
  for (std::size_t k = 0; k < suite.size(); ++k) {
    *board = deep::TDeepBoard(kBoardSize, kBoardSize, deep::TRule::Freestyle);
    for (const TSquare& move : suite[k]) {
      const deep::TSquareIndex square = deep::SquareAt(move.X, move.Y);
      if (board->IsEmpty(square)) board->Move(square);
    }
    search->Clear();  // every position on its own, so the total does not depend on the order
    deep::TSearchLimits limits;
    limits.SoftMs = limits.HardMs = int64_t{1} << 40;
    limits.MaxDepth = depth;
    limits.RootVctNodes = 300'000;
    const deep::TSearchResult result = search->Think(*board, limits);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - limits.Start)
            .count();
    searchNodes += static_cast<uint64_t>(result.SearchNodes);
    solverNodes += static_cast<uint64_t>(result.SolverNodes);
    totalMs += ms;
    out << std::setw(4) << k + 1 << std::setw(8) << suite[k].size() << std::setw(8)
        << SquareText(result.Move) << std::setw(7) << result.Depth << std::setw(12)
        << result.SearchNodes << std::setw(12) << result.SolverNodes << std::setw(10) << std::fixed
        << std::setprecision(1) << ms << '\n';
  }
  const uint64_t nodes = searchNodes + solverNodes;
  out << "\npositions: " << suite.size() << "\ndepth: " << depth << "\nnodes: " << searchNodes
      << "\nsolver nodes: " << solverNodes << "\ntime: " << std::fixed << std::setprecision(0)
      << totalMs << " ms\nnodes per second: "
      << static_cast<uint64_t>(totalMs > 0 ? nodes / (totalMs / 1000) : 0)
      << " (solver nodes included)\n";
  if (threads == 1)
    out << "Bench: " << searchNodes << '\n';
  else
    out << "threads: " << threads << '\n';
  return 0;
}

}  // namespace zarvo::tool
