#include "match/balanced_openings.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <utility>

#include "deep/deep_search.h"
#include "match/game_rules.h"

namespace zarvo::match {
namespace {

// Both searches' tables: enough for depth 8 within the judging cap, small enough to clear
// often (every candidate and every game starts from an empty table, so the order never matters).
constexpr std::size_t kTableBytes = std::size_t{8} << 20;

// One position, whatever the order its stones came in and up to the board's eight symmetries:
// the smallest of the eight images' sorted x stones followed by sorted o stones.
using TPositionKey = std::vector<std::pair<int, int>>;

TPositionKey CanonicalKey(const TOpening& stones) {
  TPositionKey best;
  for (int symmetry = 0; symmetry < 8; ++symmetry) {
    std::array<std::vector<std::pair<int, int>>, 2> sides;
    for (std::size_t k = 0; k < stones.size(); ++k) {
      int x = stones[k].X, y = stones[k].Y;
      if (symmetry & 1) x = kBoardSize - 1 - x;
      if (symmetry & 2) y = kBoardSize - 1 - y;
      if (symmetry & 4) std::swap(x, y);
      sides[k % 2].emplace_back(x, y);
    }
    TPositionKey key;
    for (auto& side : sides) {
      std::sort(side.begin(), side.end());
      key.insert(key.end(), side.begin(), side.end());
      key.emplace_back(-1, -1);  // ends x's stones, so a stone never changes colour
    }
    if (symmetry == 0 || key < best) best = std::move(key);
  }
  return best;
}

deep::TSearchLimits FixedLimits(int depth, int64_t nodes, const TBalancedSettings& settings) {
  deep::TSearchLimits limits;
  // No clock: depth and nodes alone end the search, so it repeats move for move.
  limits.SoftMs = limits.HardMs = int64_t{1} << 40;
  limits.MaxDepth = depth;
  limits.MaxNodes = nodes;
  limits.RootSolvers = settings.RootSolvers;
  limits.RootVctNodes = settings.JudgeVctNodes;
  return limits;
}

void SetUp(deep::TDeepBoard& board, const TOpening& stones) {
  board = deep::TDeepBoard(kBoardSize, kBoardSize, deep::TRule::Freestyle);
  for (const TSquare& stone : stones) board.Move(deep::SquareAt(stone.X, stone.Y));
}

// 'x' or 'o' for the winner of a game from the opening between the players (x first), '.'
// for a draw (a full board or the stone cap).
char PlayGame(const TOpening& opening, std::array<deep::TDeepSearch*, 2> players,
              std::array<int, 2> depths, const TBalancedSettings& settings,
              deep::TDeepBoard& board) {
  SetUp(board, opening);
  TGameBoard game = BoardOf(opening, kBoardSize);
  for (deep::TDeepSearch* player : players) player->Clear();
  while (game.StoneCount() < std::min(settings.MaxGameStones, kBoardSize * kBoardSize)) {
    const int side = game.StoneCount() % 2;
    const deep::TSearchResult result =
        players[side]->Think(board, FixedLimits(depths[side], settings.PlayNodes, settings));
    const TSquare square{deep::SquareX(result.Move), deep::SquareY(result.Move)};
    // A search that finds no move on the board ends the game undecided rather than breaking it.
    if (!OnBoard(square.X, square.Y) || !game.IsEmpty(square)) return '.';
    const char colour = ColourOfStone(static_cast<std::size_t>(game.StoneCount()));
    game.Place(square, colour);
    board.Move(result.Move);
    if (!FiveThrough(game, square).empty()) return colour;
  }
  return '.';
}

}  // namespace

TOpening RandomCentralOpening(TRandom& random, const TBalancedSettings& settings) {
  const int stones =
      settings.MinStones + random.Random(settings.MaxStones - settings.MinStones + 1);
  const int low = kBoardSize / 2 - 1 - settings.Radius;
  const int width = 2 * settings.Radius + 2;
  TOpening opening;
  while (static_cast<int>(opening.size()) < stones) {
    const TSquare square{low + random.Random(width), low + random.Random(width)};
    if (std::find(opening.begin(), opening.end(), square) == opening.end())
      opening.push_back(square);
  }
  return opening;
}

std::vector<TBalancedOpening> GenerateBalancedOpenings(const TBalancedSettings& settings,
                                                       const TCandidateCallback& onCandidate) {
  auto judge = std::make_unique<deep::TDeepSearch>(kTableBytes);
  std::array<std::unique_ptr<deep::TDeepSearch>, 2> players{
      std::make_unique<deep::TDeepSearch>(kTableBytes),
      std::make_unique<deep::TDeepSearch>(kTableBytes)};
  auto board = std::make_unique<deep::TDeepBoard>(kBoardSize, kBoardSize, deep::TRule::Freestyle);
  TRandom random(settings.Seed);
  std::set<TPositionKey> seen;
  std::vector<TBalancedOpening> kept;
  for (int index = 1; index <= settings.Candidates; ++index) {
    TBalancedOpening candidate;
    candidate.Stones = RandomCentralOpening(random, settings);
    TCandidateReport report;
    report.Index = index;
    report.Stones = &candidate.Stones;
    const auto tell = [&](TCandidateReport::TVerdict verdict) {
      report.Verdict = verdict;
      if (onCandidate) onCandidate(report);
    };
    // 1. Each position once.
    if (!seen.insert(CanonicalKey(candidate.Stones)).second) {
      tell(TCandidateReport::Duplicate);
      continue;
    }
    // 2. The judging search: no rule or solver decides it, and the score is near even.
    SetUp(*board, candidate.Stones);
    judge->Clear();
    const deep::TSearchResult judged =
        judge->Think(*board, FixedLimits(settings.JudgeDepth, settings.JudgeNodes, settings));
    const bool xToMove = candidate.Stones.size() % 2 == 0;
    candidate.Score = report.Score = xToMove ? judged.Score : -judged.Score;
    if (judged.Depth == 0 || judged.Score > deep::kWinBound || judged.Score < -deep::kWinBound) {
      tell(TCandidateReport::Forced);
      continue;
    }
    if (candidate.Score > settings.Band || candidate.Score < -settings.Band) {
      tell(TCandidateReport::OutOfBand);
      continue;
    }
    // 3. Self-play: every ordered pair of different depths, and both colours must win a game.
    for (const int xDepth : settings.PlayDepths)
      for (const int oDepth : settings.PlayDepths) {
        if (xDepth == oDepth) continue;
        const char winner = PlayGame(candidate.Stones, {players[0].get(), players[1].get()},
                                     {xDepth, oDepth}, settings, *board);
        ++(winner == 'x' ? candidate.XWins : winner == 'o' ? candidate.OWins : candidate.Draws);
      }
    report.XWins = candidate.XWins;
    report.OWins = candidate.OWins;
    report.Draws = candidate.Draws;
    if (candidate.XWins == 0 || candidate.OWins == 0) {
      tell(TCandidateReport::OneSided);
      continue;
    }
    tell(TCandidateReport::Kept);
    kept.push_back(std::move(candidate));
  }
  return kept;
}

}  // namespace zarvo::match
