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

void FillRow(const TEvalSample& sample, std::span<double> row) {
  std::fill(row.begin(), row.end(), 0.0);
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
double MeanLoss(std::span<const TPackedSample> samples, const deep::TEvalWeights& weights,
                double scale) {
  double sum = 0;
  for (const TPackedSample& packed : samples) {
    const TEvalSample s = Unpack(packed);
    sum += LogLoss(Sigmoid(deep::Evaluate(s.Terms, weights) / scale), s.Result);
  }
  return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
}

}  // namespace

TPackedSample Pack(const TEvalSample& sample) {
  TPackedSample packed;
  for (int c = 0; c < deep::kPattern4Count; ++c) {
    packed.Own[c] = static_cast<uint16_t>(sample.Terms.Own[c]);
    packed.Opponent[c] = static_cast<uint16_t>(sample.Terms.Opponent[c]);
  }
  packed.LineValueDiff = sample.Terms.LineValueDiff;
  packed.UnansweredOpenFours = static_cast<uint16_t>(sample.Terms.UnansweredOpenFours);
  packed.FirstToMove = sample.FirstToMove;
  packed.HalfPoints = static_cast<uint8_t>(std::lround(sample.Result * 2));
  return packed;
}

TEvalSample Unpack(const TPackedSample& packed) {
  TEvalSample sample;
  for (int c = 0; c < deep::kPattern4Count; ++c) {
    sample.Terms.Own[c] = packed.Own[c];
    sample.Terms.Opponent[c] = packed.Opponent[c];
  }
  sample.Terms.LineValueDiff = packed.LineValueDiff;
  sample.Terms.UnansweredOpenFours = packed.UnansweredOpenFours;
  sample.FirstToMove = packed.FirstToMove != 0;
  sample.Result = static_cast<float>(packed.HalfPoints) / 2;
  return sample;
}

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
  return FitLogistic(rows.size(), rows.empty() ? 0 : rows.front().size(),
                     [&](std::size_t r, std::span<double> x) {
                       std::copy(rows[r].begin(), rows[r].end(), x.begin());
                       return results[r];
                     });
}

std::vector<double> FitLogistic(std::size_t rowCount, std::size_t columns, const TRowSource& row) {
  const std::size_t n = rowCount == 0 ? 0 : columns;
  std::vector<double> b(n, 0.0), x(n, 0.0);
  constexpr int kMaxIterations = 40;
  constexpr double kRidge = 1e-2;
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    // Gradient and Hessian of the negative log likelihood with the ridge.
    std::vector<double> g(n, 0.0), h(n * n, 0.0);
    for (std::size_t r = 0; r < rowCount; ++r) {
      const double result = row(r, x);
      double z = 0;
      for (std::size_t i = 0; i < n; ++i) z += b[i] * x[i];
      const double p = Sigmoid(z), w = p * (1 - p), e = p - result;
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

TEvalFit FitEvalWeights(std::span<const TPackedSample> train, std::span<const TPackedSample> test,
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
  // Each row made from its packed sample when the step needs it: the samples are all the fit keeps.
  const std::vector<double> b =
      FitLogistic(train.size(), kColumns, [&](std::size_t r, std::span<double> x) {
        const TEvalSample sample = Unpack(train[r]);
        FillRow(sample, x);
        return static_cast<double>(sample.Result);
      });
  fit.Weights = WeightsOf(b, fit.Scale);

  double coin = 0;
  for (const TPackedSample& s : test) coin += LogLoss(0.5, s.HalfPoints / 2.0);
  fit.CoinLoss = test.empty() ? 0 : coin / static_cast<double>(test.size());
  fit.FittedLoss = MeanLoss(test, fit.Weights, fit.Scale);
  fit.CurrentLoss = MeanLoss(test, current, fit.Scale);
  return fit;
}

}  // namespace zarvo::tune
