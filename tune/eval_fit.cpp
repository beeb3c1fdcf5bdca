#include "tune/eval_fit.h"

#include <algorithm>
#include <cmath>

namespace zarvo::tune {
namespace {

using deep::kPattern4Count;

// The classes whose presence is a term of its own.
constexpr int kFirstPresenceClass = deep::P4Flex3;

// A sample's terms as a row of the regression, in the order WeightsOf reads them back.
enum : int {
  kOwnColumn = 0,
  kOpponentColumn = kOwnColumn + kPattern4Count,
  kOwnAnyColumn = kOpponentColumn + kPattern4Count,
  kOpponentAnyColumn = kOwnAnyColumn + kPattern4Count,
  kLineValueColumn = kOpponentAnyColumn + kPattern4Count,
  kUnansweredColumn,
  kFirstToMoveColumn,
  kConstantColumn,
  kColumns
};

std::vector<double> RowOf(const TEvalSample& sample) {
  std::vector<double> row(kColumns, 0.0);
  const deep::TEvalTerms& t = sample.Terms;
  // Squares of no class are left out: they only count the empty board.
  for (int c = 1; c < kPattern4Count; ++c) {
    row[kOwnColumn + c] = t.Own[c];
    row[kOpponentColumn + c] = t.Opponent[c];
    if (c >= kFirstPresenceClass) {
      row[kOwnAnyColumn + c] = t.Own[c] > 0;
      row[kOpponentAnyColumn + c] = t.Opponent[c] > 0;
    }
  }
  // In hundredths, as the weight reads it.
  row[kLineValueColumn] = t.LineValueDiff / 100.0;
  row[kUnansweredColumn] = t.UnansweredOpenFours;
  row[kFirstToMoveColumn] = sample.FirstToMove;
  row[kConstantColumn] = 1;
  return row;
}

deep::TEvalWeights WeightsOf(const std::vector<double>& b, double scale) {
  const auto at = [&](int column) { return static_cast<int>(std::lround(b[column] * scale)); };
  deep::TEvalWeights w;
  for (int c = 0; c < kPattern4Count; ++c) {
    w.Own[c] = at(kOwnColumn + c);
    w.Opponent[c] = at(kOpponentColumn + c);
    w.OwnAny[c] = at(kOwnAnyColumn + c);
    w.OpponentAny[c] = at(kOpponentAnyColumn + c);
  }
  w.LineValuePercent = at(kLineValueColumn);
  w.UnansweredOpenFour = at(kUnansweredColumn);
  // Either side may have the move in a search: the mean of both.
  w.Tempo = static_cast<int>(std::lround((b[kConstantColumn] + b[kFirstToMoveColumn] / 2) * scale));
  return w;
}

double LogLoss(double probability, double result) {
  const double p = std::clamp(probability, 1e-9, 1 - 1e-9);
  return -(result * std::log(p) + (1 - result) * std::log(1 - p));
}

double Sigmoid(double z) {
  return 1 / (1 + std::exp(-z));
}

// The mean log loss of evaluations read as win probabilities at the given scale.
double MeanLoss(std::span<const TEvalSample> samples, const deep::TEvalWeights& weights,
                double scale) {
  double sum = 0;
  for (const TEvalSample& s : samples)
    sum += LogLoss(Sigmoid(deep::Evaluate(s.Terms, weights) / scale), s.Result);
  return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
}

}  // namespace

std::vector<TEvalSample> SamplesOf(const match::TGameRecord& game) {
  using namespace deep;
  std::vector<TEvalSample> samples;
  if (game.Reason != match::TEndReason::Five && game.Reason != match::TEndReason::FullBoard)
    return samples;
  const std::vector<TSquare> stones = game.Stones();
  TDeepBoard board(game.BoardSize, game.BoardSize,
                   game.Renju         ? TRule::Renju
                   : game.ExactlyFive ? TRule::ExactlyFive
                                      : TRule::Freestyle);
  const int firstSide = board.SideToMove();
  for (std::size_t i = 0; i + 1 < stones.size(); ++i) {
    const TSquare s = stones[i];
    if (!board.OnBoard(s.X, s.Y) || !board.IsEmpty(SquareAt(s.X, s.Y))) return {};
    board.Move(SquareAt(s.X, s.Y));
    if (i + 1 < game.Opening.size()) continue;
    const int me = board.SideToMove(), opp = Opponent(me);
    // What the search decides before it evaluates.
    if (board.ClassCount(me, P4Five) > 0 || board.ClassCount(opp, P4Five) > 0 ||
        board.ClassCount(me, P4Flex4) > 0)
      continue;
    if (board.ClassCountAtLeast(opp, P4Block4) == 0 &&
        (board.ClassCount(me, P4Block4Flex3) > 0 || board.ClassCount(me, P4Flex3Double) > 0))
      continue;
    TEvalSample sample;
    sample.Terms = EvaluationTerms(board);
    sample.FirstToMove = me == firstSide;
    const bool firstWon = game.Outcome == match::TOutcome::XWins;
    sample.Result = game.Outcome == match::TOutcome::Draw ? 0.5f
                    : firstWon == sample.FirstToMove      ? 1.0f
                                                          : 0.0f;
    samples.push_back(sample);
  }
  return samples;
}

std::vector<double> FitLogistic(std::span<const std::vector<double>> rows,
                                std::span<const double> results) {
  const std::size_t n = rows.empty() ? 0 : rows.front().size();
  std::vector<double> b(n, 0.0);
  constexpr int kMaxIterations = 40;
  constexpr double kRidge = 1e-2;
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    // Gradient and Hessian of the negative log likelihood with the ridge.
    std::vector<double> g(n, 0.0), h(n * n, 0.0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const std::vector<double>& x = rows[r];
      double z = 0;
      for (std::size_t i = 0; i < n; ++i) z += b[i] * x[i];
      const double p = Sigmoid(z), w = p * (1 - p), e = p - results[r];
      for (std::size_t i = 0; i < n; ++i) {
        if (x[i] == 0) continue;
        g[i] += e * x[i];
        for (std::size_t j = 0; j < n; ++j) h[i * n + j] += w * x[i] * x[j];
      }
    }
    for (std::size_t i = 0; i < n; ++i) {
      g[i] += kRidge * b[i];
      h[i * n + i] += kRidge;
    }
    // Solve h d = g by Gauss-Jordan elimination with partial pivoting.
    std::vector<double> d = g;
    for (std::size_t c = 0; c < n; ++c) {
      std::size_t pivot = c;
      for (std::size_t r = c + 1; r < n; ++r)
        if (std::fabs(h[r * n + c]) > std::fabs(h[pivot * n + c])) pivot = r;
      for (std::size_t j = 0; j < n; ++j) std::swap(h[c * n + j], h[pivot * n + j]);
      std::swap(d[c], d[pivot]);
      for (std::size_t r = 0; r < n; ++r) {
        if (r == c || h[r * n + c] == 0) continue;
        const double m = h[r * n + c] / h[c * n + c];
        for (std::size_t j = c; j < n; ++j) h[r * n + j] -= m * h[c * n + j];
        d[r] -= m * d[c];
      }
    }
    double step = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double change = d[i] / h[i * n + i];
      b[i] -= change;
      step = std::max(step, std::fabs(change));
    }
    if (step < 1e-9) break;
  }
  return b;
}

TEvalFit FitEvalWeights(std::span<const TEvalSample> train, std::span<const TEvalSample> test,
                        const deep::TEvalWeights& current) {
  TEvalFit fit;
  fit.TrainSamples = train.size();
  fit.TestSamples = test.size();
  // The scale that reads the current evaluations best as win probabilities.
  double bestLoss = 0;
  for (double scale = 20; scale < 5000; scale *= 1.05) {
    const double loss = MeanLoss(train, current, scale);
    if (fit.Scale == 0 || loss < bestLoss) {
      bestLoss = loss;
      fit.Scale = scale;
    }
  }
  std::vector<std::vector<double>> rows;
  std::vector<double> results;
  rows.reserve(train.size());
  results.reserve(train.size());
  for (const TEvalSample& s : train) {
    rows.push_back(RowOf(s));
    results.push_back(s.Result);
  }
  const std::vector<double> b = FitLogistic(rows, results);
  fit.Weights = WeightsOf(b, fit.Scale);

  double coin = 0;
  for (const TEvalSample& s : test) coin += LogLoss(0.5, s.Result);
  fit.CoinLoss = test.empty() ? 0 : coin / static_cast<double>(test.size());
  fit.FittedLoss = MeanLoss(test, fit.Weights, fit.Scale);
  fit.CurrentLoss = MeanLoss(test, current, fit.Scale);
  return fit;
}

}  // namespace zarvo::tune
