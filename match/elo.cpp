#include "match/elo.h"

#include <cmath>

namespace zarvo::match {

std::optional<double> EloOfScore(double score) {
  if (!(score > 0.0 && score < 1.0)) return std::nullopt;
  return -400.0 * std::log10(1.0 / score - 1.0);
}

TEloEstimate EstimateElo(int wins, int losses, int draws) {
  TEloEstimate estimate;
  const int games = wins + losses + draws;
  if (games <= 0) return estimate;
  const double n = games;
  const double s = (wins + 0.5 * draws) / n;
  estimate.Score = s;
  estimate.Difference = EloOfScore(s);
  if (!estimate.Difference) return estimate;
  const double variance =
      (wins * (1 - s) * (1 - s) + losses * s * s + draws * (0.5 - s) * (0.5 - s)) / n;
  const double sigma = std::sqrt(variance / n);
  const auto low = EloOfScore(s - 1.96 * sigma);
  const auto high = EloOfScore(s + 1.96 * sigma);
  if (low && high) estimate.Margin = (*high - *low) / 2;
  return estimate;
}

}  // namespace zarvo::match
