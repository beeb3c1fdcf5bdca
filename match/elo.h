// The Elo difference a match result points to, with its 95 % error margin.
//
// With W wins, L losses and D draws in N = W + L + D games, the score is s = (W + D / 2) / N and
// the difference is E(s) = -400 log10(1 / s - 1). The margin comes from the spread of the
// per-game scores (1, 0 or 1/2): sigma = sqrt((W (1 - s)^2 + L s^2 + D (1/2 - s)^2) / N) / sqrt(N)
// is the standard error of s, and the margin is (E(s + 1.96 sigma) - E(s - 1.96 sigma)) / 2.
#pragma once

#include <optional>

namespace zarvo::match {

struct TEloEstimate {
  double Score = 0;  // s, 0..1
  // Unset when the score is 0 or 1 (the difference is unbounded) or no game was played.
  std::optional<double> Difference;
  // Unset when an end of the interval reaches a score of 0 or 1 (or there is no difference).
  std::optional<double> Margin;
};

// E(s); unset for s <= 0 or s >= 1.
std::optional<double> EloOfScore(double score);

TEloEstimate EstimateElo(int wins, int losses, int draws);

}  // namespace zarvo::match
