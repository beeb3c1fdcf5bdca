// Fitting the deep evaluation's weights to game results. Every position of a game that the
// search would hand to the evaluation becomes a sample (its terms and the result for the side to
// move); a logistic regression of the results on the terms gives the weights, in the scale of the
// current ones.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "deep/deep_board.h"
#include "deep/evaluation.h"
#include "match/game_record.h"

namespace zarvo::tune {

struct TEvalSample {
  deep::TEvalTerms Terms;
  bool FirstToMove = false;  // the side of the game's first stone is to move
  float Result = 0.5f;       // for the side to move: 1 won, 0 lost, 0.5 drawn
};

// A sample as a fit keeps it, millions at a time: the square counts (at most 400 on a board) in
// 16 bits, the result in halves.
struct TPackedSample {
  std::array<uint16_t, deep::kPattern4Count> Own{}, Opponent{};
  int32_t LineValueDiff = 0;
  uint16_t UnansweredOpenFours = 0;
  uint8_t FirstToMove = 0;
  uint8_t HalfPoints = 1;  // 2 won, 0 lost, 1 drawn
};
static_assert(sizeof(TPackedSample) <= 56, "a fit keeps millions of these");

TPackedSample Pack(const TEvalSample& sample);
TEvalSample Unpack(const TPackedSample& sample);

// The samples of one game on its board and by its rule: every position after the opening but
// the last, when the evaluation would be asked about it (no five to make or to stop, no open
// four, no win by a four-three or two open threes). Nothing when the game did not end on the
// board (a five or a full board) or a stone does not fit the board.
std::vector<TEvalSample> SamplesOf(const match::TGameRecord& game);

// Row r of a regression with `columns` terms: fills x (columns long) and gives the result.
// Rows are asked for again on every step, so none needs to be kept.
using TRowSource = std::function<double(std::size_t r, std::span<double> x)>;

// The coefficients b of P(result) = 1 / (1 + exp(-b . x)) that fit the rows best (most likely,
// with a small ridge that keeps unused or repeated terms at zero), by Newton's method.
std::vector<double> FitLogistic(std::size_t rowCount, std::size_t columns, const TRowSource& row);
std::vector<double> FitLogistic(std::span<const std::vector<double>> rows,
                                std::span<const double> results);

struct TEvalFit {
  deep::TEvalWeights Weights;  // fitted
  double Scale = 0;            // the current weights' best logistic scale, the fitted ones' too
  std::size_t TrainSamples = 0, TestSamples = 0;
  // The mean log loss on the held-out samples of a coin and of the current and the fitted weights
  // as the search uses them (scores read at Scale).
  double CoinLoss = 0, CurrentLoss = 0, FittedLoss = 0;
};

// Fits the weights to `train` and measures them on `test` against `current`. The tempo is the
// mean over both sides of having the move.
TEvalFit FitEvalWeights(std::span<const TPackedSample> train, std::span<const TPackedSample> test,
                        const deep::TEvalWeights& current);

}  // namespace zarvo::tune
