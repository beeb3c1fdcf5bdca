#include "match/sprt.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace zarvo::match {

TSprtBounds SprtBounds(const TSprtSettings& settings) {
  return {std::log(settings.Beta / (1 - settings.Alpha)),
          std::log((1 - settings.Beta) / settings.Alpha)};
}

double ScoreOfElo(double elo) {
  return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0));
}

double SprtLlr(const TPentanomial& pairs, const TSprtSettings& settings) {
  std::array<double, 5> counts{};
  double n = 0;
  for (int k = 0; k < 5; ++k) n += counts[k] = pairs[k];
  if (n == 0) return 0;
  const auto meanAndVariance = [&] {
    double sum = 0, squares = 0;
    for (int k = 0; k < 5; ++k) sum += counts[k] * (k / 4.0);
    const double mean = sum / n;
    for (int k = 0; k < 5; ++k) squares += counts[k] * (k / 4.0 - mean) * (k / 4.0 - mean);
    return std::pair{mean, squares / n};
  };
  auto [mean, variance] = meanAndVariance();
  // Every pair alike: no spread to weigh the mean against. One more pair, spread evenly over
  // the five outcomes, gives a little; a long run of sweeps then still ends the test.
  if (variance < 1e-12) {
    for (double& count : counts) count += 0.2;
    n += 1;
    std::tie(mean, variance) = meanAndVariance();
  }
  const double s0 = ScoreOfElo(settings.Elo0), s1 = ScoreOfElo(settings.Elo1);
  return n * (s1 - s0) * (2 * mean - s0 - s1) / (2 * variance);
}

TSprtVerdict SprtVerdictOf(double llr, const TSprtBounds& bounds) {
  if (llr >= bounds.Upper) return TSprtVerdict::AcceptH1;
  if (llr <= bounds.Lower) return TSprtVerdict::AcceptH0;
  return TSprtVerdict::Continue;
}

TPentanomial PairsOfGames(const std::vector<TGameRecord>& games) {
  // The first engine's half points per pair, and how many of the pair's games are in.
  std::map<int, std::array<int, 2>> byPair;
  for (const TGameRecord& game : games) {
    const bool firstIsX = game.Number % 2 == 1;
    const int halfPoints = game.Outcome == TOutcome::Draw                  ? 1
                           : (game.Outcome == TOutcome::XWins) == firstIsX ? 2
                                                                           : 0;
    auto& pair = byPair[(game.Number + 1) / 2];
    pair[0] += halfPoints;
    ++pair[1];
  }
  TPentanomial pairs{};
  for (const auto& [number, pair] : byPair)
    if (pair[1] == 2) ++pairs[pair[0]];
  return pairs;
}

}  // namespace zarvo::match
