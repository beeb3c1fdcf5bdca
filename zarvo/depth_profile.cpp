#include "zarvo/depth_profile.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <memory>
#include <optional>
#include <string>

#include "deep/deep_search.h"
#include "driver/deep_engine.h"

namespace zarvo::tool {
namespace {

// The middle one of the values, the lower of the two middle ones for an even count; nothing
// for none.
template <typename T>
std::optional<T> Median(std::vector<T> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  return values[(values.size() - 1) / 2];
}

}  // namespace

int RunDepthProfile(const std::vector<std::vector<TSquare>>& suite,
                    const TDepthProfileLimits& limits, std::ostream& out) {
  const std::string toDepth = "nodes to " + std::to_string(limits.Depth);
  out << "budget " << limits.BudgetNodes << " nodes; depth " << limits.Depth << ", at most "
      << limits.CapNodes << " nodes\n"
      << std::setw(4) << "#" << std::setw(8) << "stones" << std::setw(7) << "depth" << std::setw(8)
      << "score" << std::setw(12) << "solver" << std::setw(16) << toDepth << std::setw(12)
      << "solver" << '\n';
  auto search = std::make_unique<deep::TDeepSearch>(TDeepEngine::kDefaultTableBytes);
  auto board = std::make_unique<deep::TDeepBoard>(kBoardSize, kBoardSize, deep::TRule::Freestyle);
  std::vector<int> depths;
  // Capped searches count as the cap plus one, so that they sort above every finished one.
  std::vector<int64_t> nodesToDepth;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t k = 0; k < suite.size(); ++k) {
    const auto searchPosition = [&](int64_t maxNodes, int maxDepth) {
      *board = deep::TDeepBoard(kBoardSize, kBoardSize, deep::TRule::Freestyle);
      for (const TSquare& move : suite[k]) {
        const deep::TSquareIndex square = deep::SquareAt(move.X, move.Y);
        if (board->IsEmpty(square)) board->Move(square);
      }
      search->Clear();
      deep::TSearchLimits searchLimits;
      searchLimits.SoftMs = searchLimits.HardMs = int64_t{1} << 40;
      searchLimits.MaxNodes = maxNodes;
      searchLimits.MaxDepth = maxDepth;
      searchLimits.RootSolvers = false;
      return search->Think(*board, searchLimits);
    };
    // 1. The depth the budget finishes.
    const deep::TSearchResult budget = searchPosition(limits.BudgetNodes, deep::kMaxSearchDepth);
    // 2. The nodes the depth takes.
    const deep::TSearchResult fixed = searchPosition(limits.CapNodes, limits.Depth);
    const bool reached = fixed.Depth >= limits.Depth;
    // A proven win or loss ends the deepening before the budget or the depth: such a position
    // measures the tactics, not the depth, and stays out of the medians.
    const auto proven = [](int score) {
      return score > deep::kWinBound || score < -deep::kWinBound;
    };
    const bool decided = proven(budget.Score) || (!reached && proven(fixed.Score));
    if (!decided) {
      depths.push_back(budget.Depth);
      nodesToDepth.push_back(reached ? fixed.SearchNodes : limits.CapNodes + 1);
    }

    out << std::setw(4) << k + 1 << std::setw(8) << suite[k].size() << std::setw(7) << budget.Depth
        << std::setw(8) << budget.Score << std::setw(12) << budget.SolverNodes << std::setw(16)
        << (reached   ? std::to_string(fixed.SearchNodes)
            : decided ? std::string("-")
                      : std::string(">").append(std::to_string(limits.CapNodes)))
        << std::setw(12) << fixed.SolverNodes << (decided ? "  decided" : "") << '\n';
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::optional<int> depth = Median(depths);
  const std::optional<int64_t> nodes = Median(nodesToDepth);
  out << "\npositions: " << suite.size() << " (" << depths.size()
      << " not decided, in the medians)\nmedian depth within " << limits.BudgetNodes
      << " nodes: " << (depth ? std::to_string(*depth) : "none") << "\nmedian nodes to depth "
      << limits.Depth << ": "
      << (!nodes ? "none"
          : *nodes > limits.CapNodes
              ? std::string("more than ").append(std::to_string(limits.CapNodes))
              : std::to_string(*nodes))
      << "\ntime: " << std::fixed << std::setprecision(1) << seconds << " s\n";
  return 0;
}

}  // namespace zarvo::tool
