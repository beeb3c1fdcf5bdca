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

// Fitted by `zarvo fit-eval` to about 74,000 positions of 4,142 games of the selective search
// (against its earlier versions, Rapfi and Wine, mostly at 100 ms a move); kept by 800 games
// against the weights before them (+12 Elo, SPRT [-5, 10] accepted). The terms overlap (a
// square's class, its presence and its line values grow together), so one weight is not to be
// read alone. Fives and open fours of the side to move never reach the evaluation: the search
// decides them first.
inline constexpr TEvalWeights kEvalWeights = {
    .Own = {0, -36, -35, -20, 2, 8, 0, 15, 81, 1127, 0, 0},
    .Opponent = {0, 39, 37, 20, 13, 26, 123, -24, -117, -134, -318, 0},
    .OwnAny = {0, 0, 0, 0, 165, 563, 278, 62, 139, 765, 0, 0},
    .OpponentAny = {0, 0, 0, 0, -246, -416, -120, 125, 18, -469, -381, 0},
    .LineValuePercent = 136,
    .UnansweredOpenFour = 14,
    .Tempo = 397,
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
