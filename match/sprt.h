// The sequential probability ratio test of a match, on game pairs.
//
// A pair is one opening played twice with the colours swapped, so the first player's advantage
// cancels within it. The first engine's points in a pair are 0, 1/2, 1, 3/2 or 2: the five
// counts of these outcomes (the pentanomial) are the test's data. With a = points / 2 the pair
// score, x the mean of a over N pairs and v the variance of a about x, the log-likelihood ratio
// of "the difference is Elo1" against "it is Elo0" is taken in the normal approximation
//   LLR = N (s1 - s0) (2 x - s0 - s1) / (2 v),   s = 1 / (1 + 10^(-Elo / 400)),
// which is the log of the ratio of two normal densities of x with the means s1 and s0 and the
// observed spread. The test accepts Elo1 (H1) once LLR >= log((1 - beta) / alpha), accepts Elo0
// (H0) once LLR <= log(beta / (1 - alpha)), and goes on between the two.
#pragma once

#include <array>
#include <vector>

#include "match/game_record.h"

namespace zarvo::match {

// Pairs by the first engine's points in them, in half points: [k] counts pairs worth k / 2.
using TPentanomial = std::array<int, 5>;

struct TSprtSettings {
  double Elo0 = 0, Elo1 = 5;
  double Alpha = 0.05;  // the chance of accepting H1 when Elo0 holds
  double Beta = 0.05;   // the chance of accepting H0 when Elo1 holds

  bool operator==(const TSprtSettings&) const = default;
};

enum class TSprtVerdict { Continue, AcceptH1, AcceptH0 };

struct TSprtBounds {
  double Lower = 0, Upper = 0;
};

// log(beta / (1 - alpha)) and log((1 - beta) / alpha).
TSprtBounds SprtBounds(const TSprtSettings& settings);

// The expected score of a side that is `elo` stronger.
double ScoreOfElo(double elo);

// The log-likelihood ratio of the pairs; 0 without pairs. While every pair ended alike, one
// pair spread evenly over the five outcomes is added, so the spread is not zero.
double SprtLlr(const TPentanomial& pairs, const TSprtSettings& settings);

TSprtVerdict SprtVerdictOf(double llr, const TSprtBounds& bounds);

// The pentanomial of a match's finished games: game 2k - 1 and game 2k (numbered from 1) share
// an opening, the first engine playing x in the odd one. A pair counts once both are in.
TPentanomial PairsOfGames(const std::vector<TGameRecord>& games);

}  // namespace zarvo::match
