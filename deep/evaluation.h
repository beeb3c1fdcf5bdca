// The deep search's static evaluation: from the side to move's view, a weighted count of both
// sides' classes of empty squares, whether each class is there at all, the difference of the
// line values and a tempo. The weights were fitted to the results of match games by logistic
// regression (`zarvo fit-eval`), which reads the same terms through EvaluationTerms.
#pragma once

#include <array>

#include "deep/deep_board.h"

namespace zarvo::deep {

// Every evaluation lies within this bound, below the scores the search gives to proven results.
inline constexpr int kEvalLimit = 18999;

struct TEvalWeights {
  // Per empty square of each class (TPattern4) for the side to move and for the opponent; a
  // threat of the opponent's weighs negative.
  std::array<int, kPattern4Count> Own{}, Opponent{};
  // Once when a side has any square of the class (an open three or more: the weaker classes are
  // nearly always there).
  std::array<int, kPattern4Count> OwnAny{}, OpponentAny{};
  int LineValuePercent = 0;  // of the difference of both sides' line-value sums
  // Per open-four square of the opponent's when the side to move has no four to answer with.
  int UnansweredOpenFour = 0;
  int Tempo = 0;  // for having the move
};

// Fitted to about 200,000 positions of match games against other engines. The terms overlap (a
// square's class, its presence and its line values grow together), so one weight is not to be
// read alone. Fives and open fours of the side to move never reach the evaluation: the search
// decides them first.
inline constexpr TEvalWeights kEvalWeights = {
    .Own = {0, -55, -50, -2, -55, -41, -69, -25, 285, 6114, 0, 0},
    .Opponent = {0, 51, 40, 23, 72, 69, 216, 6, -208, -161, -174, 0},
    .OwnAny = {0, 0, 0, 0, 128, 557, 94, 60, -52, -4301, 0, 0},
    .OpponentAny = {0, 0, 0, 0, -195, -486, -56, 148, 139, -310, -364, 0},
    .LineValuePercent = 144,
    .UnansweredOpenFour = 55,
    .Tempo = 520,
};

// What the weights multiply, for fitting them.
struct TEvalTerms {
  std::array<int, kPattern4Count> Own{}, Opponent{};  // squares of each class
  int LineValueDiff = 0;                              // the side to move's sum less the other's
  int UnansweredOpenFours = 0;
};
TEvalTerms EvaluationTerms(const TDeepBoard& board);

int Evaluate(const TEvalTerms& terms, const TEvalWeights& weights);
inline int Evaluate(const TDeepBoard& board, const TEvalWeights& weights = kEvalWeights) {
  return Evaluate(EvaluationTerms(board), weights);
}

}  // namespace zarvo::deep
