#include "match/match_runner.h"

#include "match/game_rules.h"

namespace zarvo::match {
namespace {

TEndReason ReasonOfAnswer(TAnswerKind kind) {
  switch (kind) {
    case TAnswerKind::BadAnswer:
      return TEndReason::BadAnswer;
    case TAnswerKind::Crash:
      return TEndReason::Crash;
    case TAnswerKind::NoAnswer:
      return TEndReason::NoAnswer;
    case TAnswerKind::Timeout:
      return TEndReason::Timeout;
    default:
      return TEndReason::IllegalMove;
  }
}

std::string RunText(const std::vector<TSquare>& run) {
  std::string text;
  for (const TSquare& square : run) {
    if (!text.empty()) text += ' ';
    text += SquareText(square);
  }
  return text;
}

class TGame {
 public:
  TGame(int number, std::array<TPlayer*, 2> players, std::array<TEngineStats*, 2> stats,
        const TOpening& opening, const TMatchOptions& options)
      : players_(players), stats_(stats), options_(options) {
    record_.Number = number;
    record_.XEngine = players[0]->Label();
    record_.OEngine = players[1]->Label();
    record_.Opening = opening;
    stones_ = opening;
    board_ = BoardOf(opening);
    timeLeft_.fill(options.GameTimeMs);
  }

  // The finished game, or nothing when the match was stopped during it.
  std::optional<TGameRecord> Play(TMatchObserver* observer, const TMatchResult& soFar) {
    for (TPlayer* player : players_) player->NewGame();
    for (;;) {
      // 1. A full board is a draw.
      if (board_.Full()) {
        End(TOutcome::Draw, TEndReason::FullBoard, "no empty square left");
        return record_;
      }
      // 2. Ask the side to move.
      const int side = static_cast<int>(stones_.size() % 2);
      const char colour = ColourOfStone(stones_.size());
      TMoveRequest request;
      request.Stones = stones_;
      request.Colour = colour;
      request.MoveTimeMs = options_.MoveTimeMs;
      request.GameTimeMs = options_.GameTimeMs;
      request.TimeLeftMs = timeLeft_[side];
      request.ToleranceMs = options_.ToleranceMs;
      request.Stop = options_.Stop;
      const TAnswer answer = players_[side]->Play(request);
      if (answer.Kind == TAnswerKind::Cancelled) return std::nullopt;

      // 3. Whatever is not a legal move in time loses.
      const TOutcome otherWins = colour == 'x' ? TOutcome::OWins : TOutcome::XWins;
      if (answer.Kind != TAnswerKind::Move) {
        End(otherWins, ReasonOfAnswer(answer.Kind), answer.Detail);
        return record_;
      }
      TEngineStats& stats = *stats_[side];
      ++stats.Moves;
      stats.ThinkSumMs += answer.ElapsedMs;
      stats.ThinkMaxMs = std::max(stats.ThinkMaxMs, answer.ElapsedMs);
      const int64_t limit = WaitLimitMs(request);
      if (answer.ElapsedMs > limit) {
        End(otherWins, TEndReason::Timeout,
            "answered " + SquareText(answer.Square) + " after " + std::to_string(answer.ElapsedMs) +
                " ms, more than " + std::to_string(limit));
        return record_;
      }
      if (!OnBoard(answer.Square.X, answer.Square.Y)) {
        End(otherWins, TEndReason::IllegalMove,
            "answered " + SquareText(answer.Square) + ", off the board");
        return record_;
      }
      if (!board_.IsEmpty(answer.Square)) {
        End(otherWins, TEndReason::IllegalMove,
            "answered " + SquareText(answer.Square) + ", an occupied square");
        return record_;
      }

      // 4. The move stands; five or more in a row wins.
      board_.Place(answer.Square, colour);
      stones_.push_back(answer.Square);
      record_.Moves.push_back({answer.Square, answer.ElapsedMs});
      if (timeLeft_[side]) *timeLeft_[side] -= answer.ElapsedMs;
      const std::vector<TSquare> five = FiveThrough(board_, answer.Square);
      if (!five.empty()) {
        End(colour == 'x' ? TOutcome::XWins : TOutcome::OWins, TEndReason::Five, RunText(five));
        return record_;
      }
      if (observer) observer->MovePlayed(record_, soFar);
    }
  }

 private:
  void End(TOutcome outcome, TEndReason reason, std::string detail) {
    record_.Outcome = outcome;
    record_.Reason = reason;
    record_.Detail = std::move(detail);
    for (int side = 0; side < 2; ++side) {
      TEngineStats& stats = *stats_[side];
      if (outcome == TOutcome::Draw) {
        ++stats.Draws[side];
      } else if ((outcome == TOutcome::XWins) == (side == 0)) {
        ++stats.Wins[side];
      } else {
        ++stats.Losses[side];
        ++stats.LossReasons[reason];
      }
    }
  }

  std::array<TPlayer*, 2> players_;  // by colour: x, o
  std::array<TEngineStats*, 2> stats_;
  const TMatchOptions& options_;
  TGameRecord record_;
  std::vector<TSquare> stones_;
  TGameBoard board_;
  std::array<std::optional<int64_t>, 2> timeLeft_;
};

}  // namespace

TMatchResult RunMatch(TPlayer& first, TPlayer& second, const TMatchOptions& options,
                      TMatchObserver* observer) {
  TMatchResult result;
  TRandom random(options.Seed);
  TOpening opening;
  for (int game = 0; game < options.Games; ++game) {
    if (options.Stop && options.Stop->load()) {
      result.Stopped = true;
      break;
    }
    // Each opening twice, the colours swapped the second time.
    if (game % 2 == 0) {
      opening =
          options.Openings.empty()
              ? RandomOpening(random)
              : options.Openings[static_cast<std::size_t>(game / 2) % options.Openings.size()];
    }
    const bool firstIsX = game % 2 == 0;
    std::array<TPlayer*, 2> players{&first, &second};
    std::array<TEngineStats*, 2> stats{&result.Engines[0], &result.Engines[1]};
    if (!firstIsX) {
      std::swap(players[0], players[1]);
      std::swap(stats[0], stats[1]);
    }
    TGame play(game + 1, players, stats, opening, options);
    std::optional<TGameRecord> record = play.Play(observer, result);
    if (!record) {
      result.Stopped = true;
      break;
    }
    result.Games.push_back(std::move(*record));
    if (observer) observer->GameFinished(result.Games.back(), result);
  }
  return result;
}

}  // namespace zarvo::match
