#include "match/run_merge.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace zarvo::match {

std::optional<TMergedMatch> MergeRuns(const std::vector<TRunResult>& runs, std::string& error) {
  if (runs.empty()) {
    error = "no run to merge";
    return std::nullopt;
  }
  TMergedMatch merged;
  merged.Match = runs.front().Match;
  std::map<int, const TGameResult*> games;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const TRunResult& run = runs[k];
    if (!(run.Match == merged.Match)) {
      // Said by the first header line that differs.
      std::istringstream first(RunHeaderText(merged.Match, 0, 1)),
          other(RunHeaderText(run.Match, 0, 1));
      std::string a, b;
      while (std::getline(first, a) && std::getline(other, b) && a == b) {
      }
      error = "run " + std::to_string(k + 1) + " is of another match than run 1: '" + b +
              "' against '" + a + "'";
      return std::nullopt;
    }
    if (!run.End) merged.Unended.push_back(k);
    if (run.End == TMatchProgress::Stopped) merged.Stopped.push_back(k);
    for (const TGameResult& game : run.Games)
      if (!games.emplace(game.Number, &game).second) merged.Duplicated.push_back(game.Number);
  }
  for (int number = 1; number <= merged.Match.Games; ++number)
    if (!games.contains(number)) merged.Missing.push_back(number);
  std::sort(merged.Duplicated.begin(), merged.Duplicated.end());
  merged.Duplicated.erase(std::unique(merged.Duplicated.begin(), merged.Duplicated.end()),
                          merged.Duplicated.end());
  for (const auto& [number, game] : games) {
    TGameRecord record;
    record.Number = number;
    record.Outcome = game->Outcome;
    record.Reason = game->Reason;
    merged.Result.Games.push_back(std::move(record));
    merged.Result.GameStats[number] = game->Engines;
    for (std::size_t engine = 0; engine < 2; ++engine)
      AddStats(merged.Result.Engines[engine], game->Engines[engine]);
  }
  return merged;
}

}  // namespace zarvo::match
