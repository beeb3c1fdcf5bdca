#include "deep/evaluation.h"

#include <algorithm>

namespace zarvo::deep {

TEvalTerms EvaluationTerms(const TDeepBoard& board) {
  const int me = board.SideToMove(), opp = Opponent(me);
  TEvalTerms terms;
  for (int c = 0; c < kPattern4Count; ++c) {
    terms.Own[c] = board.ClassCount(me, static_cast<TPattern4>(c));
    terms.Opponent[c] = board.ClassCount(opp, static_cast<TPattern4>(c));
  }
  terms.LineValueDiff = board.ValueSum(me) - board.ValueSum(opp);
  if (board.ClassCountAtLeast(me, P4Block4) == 0)
    terms.UnansweredOpenFours = board.ClassCount(opp, P4Flex4);
  return terms;
}

int Evaluate(const TEvalTerms& terms, const TEvalWeights& weights) {
  int score = weights.Tempo + terms.LineValueDiff * weights.LineValuePercent / 100 +
              weights.UnansweredOpenFour * terms.UnansweredOpenFours;
  for (int c = 0; c < kPattern4Count; ++c) {
    score += weights.Own[c] * terms.Own[c] + weights.Opponent[c] * terms.Opponent[c];
    if (terms.Own[c] > 0) score += weights.OwnAny[c];
    if (terms.Opponent[c] > 0) score += weights.OpponentAny[c];
  }
  return std::clamp(score, -kEvalLimit, kEvalLimit);
}

}  // namespace zarvo::deep
