#include "match/match_runner.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "match/game_rules.h"

namespace zarvo::match {
namespace {

class TGame {
 public:
  TGame(int number, std::array<TPlayer*, 2> players, std::array<TEngineStats*, 2> stats,
        const TOpening& opening, const TMatchOptions& options)
      : players_(players),
        stats_(stats),
        options_(options),
        board_(BoardOf(opening, options.BoardSize)) {
    record_.Number = number;
    record_.XEngine = players[0]->Label();
    record_.OEngine = players[1]->Label();
    record_.BoardSize = options.BoardSize;
    record_.ExactlyFive = options.ExactlyFive;
    record_.Renju = options.Renju;
    record_.Opening = opening;
    stones_ = opening;
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
      request.BoardSize = options_.BoardSize;
      request.ExactlyFive = options_.ExactlyFive;
      request.Renju = options_.Renju;
      request.Stop = options_.Stop;
      const TAnswer answer = players_[side]->Play(request);
      if (answer.Kind == TAnswerKind::Cancelled) return std::nullopt;
      if (options_.KeepMessages)
        for (const std::string& text : answer.Messages)
          record_.Messages.push_back({static_cast<int>(stones_.size() + 1), text});

      // 3. Whatever is not a legal move in time loses.
      const TOutcome otherWins = colour == 'x' ? TOutcome::OWins : TOutcome::XWins;
      if (answer.Kind != TAnswerKind::Move) {
        End(otherWins, *LossOfAnswer(answer.Kind), answer.Detail);
        return record_;
      }
      TEngineStats& stats = *stats_[side];
      ++stats.Moves;
      stats.ThinkSumMs += answer.ElapsedMs;
      stats.ThinkMaxMs = std::max(stats.ThinkMaxMs, answer.ElapsedMs);
      const int64_t limit = WaitLimitMs(request);
      // Late but within the tolerance plays on; the table shows how often and by how much.
      if (const int64_t over = answer.ElapsedMs - (limit - request.ToleranceMs); over > 0) {
        ++stats.LateMoves;
        stats.LateMaxMs = std::max(stats.LateMaxMs, over);
      }
      if (answer.ElapsedMs > limit) {
        End(otherWins, TEndReason::Timeout,
            "answered " + SquareText(answer.Square) + " after " + std::to_string(answer.ElapsedMs) +
                " ms, more than " + std::to_string(limit));
        return record_;
      }
      if (!board_.OnBoard(answer.Square)) {
        End(otherWins, TEndReason::IllegalMove,
            "answered " + SquareText(answer.Square) + ", off the board");
        return record_;
      }
      if (!board_.IsEmpty(answer.Square)) {
        End(otherWins, TEndReason::IllegalMove,
            "answered " + SquareText(answer.Square) + ", an occupied square");
        return record_;
      }

      if (const std::string_view forbidden = RenjuForbidden(board_, answer.Square);
          options_.Renju && colour == 'x' && !forbidden.empty()) {
        End(otherWins, TEndReason::IllegalMove,
            "answered " + SquareText(answer.Square) + ": " + std::string(forbidden) +
                ", forbidden to x under renju");
        return record_;
      }

      // 4. The move stands; five or more in a row wins (exactly five for x under renju).
      board_.Place(answer.Square, colour);
      stones_.push_back(answer.Square);
      record_.Moves.push_back({answer.Square, answer.ElapsedMs});
      if (timeLeft_[side]) *timeLeft_[side] -= answer.ElapsedMs;
      const std::vector<TSquare> five = FiveThrough(
          board_, answer.Square, options_.ExactlyFive || (options_.Renju && colour == 'x'));
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

// The opening of each of the games numbered: each one twice, in turn from the list or drawn
// from the seed. The generator runs through every pair before the last one played, so a shard
// gets the openings the whole match gives its games.
std::map<int, TOpening> OpeningsOfGames(const TMatchOptions& options,
                                        const std::vector<int>& numbers) {
  std::map<int, TOpening> openings;
  if (numbers.empty()) return openings;
  TRandom random(options.Seed);
  std::size_t next = 0;  // into numbers
  for (int pair = 0; next < numbers.size(); ++pair) {
    const TOpening opening =
        !options.Openings.empty()
            ? options.Openings[static_cast<std::size_t>(pair) % options.Openings.size()]
            : RandomOpening(random, options.BoardSize);
    for (; next < numbers.size() && (numbers[next] + 1) / 2 == pair + 1; ++next)
      openings[numbers[next]] = opening;
  }
  return openings;
}

}  // namespace

void AddStats(TEngineStats& into, const TEngineStats& from) {
  for (int colour = 0; colour < 2; ++colour) {
    into.Wins[colour] += from.Wins[colour];
    into.Losses[colour] += from.Losses[colour];
    into.Draws[colour] += from.Draws[colour];
  }
  for (const auto& [reason, count] : from.LossReasons) into.LossReasons[reason] += count;
  into.Moves += from.Moves;
  into.ThinkSumMs += from.ThinkSumMs;
  into.ThinkMaxMs = std::max(into.ThinkMaxMs, from.ThinkMaxMs);
  into.LateMoves += from.LateMoves;
  into.LateMaxMs = std::max(into.LateMaxMs, from.LateMaxMs);
}

namespace {

// Passes a game's moves on to the observer one thread at a time, with the shared result.
class TLockedObserver final : public TMatchObserver {
 public:
  TLockedObserver(TMatchObserver* inner, std::mutex& lock, const TMatchResult& shared)
      : inner_(inner), lock_(lock), shared_(shared) {}
  void MovePlayed(const TGameRecord& game, const TMatchResult&) override {
    if (inner_ == nullptr) return;
    const std::lock_guard<std::mutex> guard(lock_);
    inner_->MovePlayed(game, shared_);
  }

 private:
  TMatchObserver* inner_;
  std::mutex& lock_;
  const TMatchResult& shared_;
};

}  // namespace

std::vector<int> GamesOfShard(const TMatchOptions& options) {
  std::vector<int> numbers;
  const int count = std::max(1, options.ShardCount);
  for (int pair = options.ShardIndex; 2 * pair < options.Games; pair += count) {
    numbers.push_back(2 * pair + 1);
    if (2 * pair + 2 <= options.Games) numbers.push_back(2 * pair + 2);
  }
  return numbers;
}

TMatchResult RunMatch(const TPlayerFactory& makePlayer, const TMatchOptions& options,
                      TMatchObserver* observer) {
  const std::vector<int> numbers = GamesOfShard(options);
  const std::map<int, TOpening> openings = OpeningsOfGames(options, numbers);
  TMatchResult result;
  std::mutex lock;
  std::size_t nextGame = 0;  // into numbers
  bool stopped = false;
  std::string failure;  // what went wrong in a thread, thrown again once all have ended
  TLockedObserver moves(observer, lock, result);
  const auto play = [&] {
    const std::unique_ptr<TPlayer> first = makePlayer(0), second = makePlayer(1);
    for (;;) {
      int game = 0;
      {
        const std::lock_guard<std::mutex> guard(lock);
        if (stopped || (options.Stop && options.Stop->load())) {
          stopped = true;
          return;
        }
        if (nextGame >= numbers.size()) return;
        game = numbers[nextGame++];
      }
      const bool firstIsX = game % 2 == 1;
      std::array<TEngineStats, 2> stats;  // by engine, added to the result when the game is over
      std::array<TPlayer*, 2> players{first.get(), second.get()};
      std::array<TEngineStats*, 2> byColour{&stats[0], &stats[1]};
      if (!firstIsX) {
        std::swap(players[0], players[1]);
        std::swap(byColour[0], byColour[1]);
      }
      TGame play(game, players, byColour, openings.at(game), options);
      std::optional<TGameRecord> record = play.Play(&moves, result);
      const std::lock_guard<std::mutex> guard(lock);
      if (!record) {
        stopped = true;
        return;
      }
      for (int engine = 0; engine < 2; ++engine) AddStats(result.Engines[engine], stats[engine]);
      result.GameStats[record->Number] = stats;
      result.Games.push_back(std::move(*record));
      if (observer) observer->GameFinished(result.Games.back(), result);
    }
  };
  // A folder that cannot be written, say, ends every thread's games, not the program.
  const auto worker = [&] {
    try {
      play();
    } catch (const std::exception& error) {
      const std::lock_guard<std::mutex> guard(lock);
      if (failure.empty()) failure = error.what();
      stopped = true;
    }
  };
  std::vector<std::thread> threads;
  for (int k = 1; k < std::max(1, options.Concurrency); ++k) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();
  if (!failure.empty()) throw std::runtime_error(failure);
  result.Stopped = stopped;
  std::sort(result.Games.begin(), result.Games.end(),
            [](const TGameRecord& a, const TGameRecord& b) { return a.Number < b.Number; });
  return result;
}

TMatchResult RunMatch(TPlayer& first, TPlayer& second, const TMatchOptions& options,
                      TMatchObserver* observer) {
  // The caller's two players, lent to the one thread that plays every game.
  class TBorrowed final : public TPlayer {
   public:
    explicit TBorrowed(TPlayer& player) : TPlayer(player.Label()), player_(player) {}
    void NewGame() override { player_.NewGame(); }
    TAnswer Play(const TMoveRequest& request) override { return player_.Play(request); }

   private:
    TPlayer& player_;
  };
  TMatchOptions sequential = options;
  sequential.Concurrency = 1;
  return RunMatch(
      [&](int engine) { return std::make_unique<TBorrowed>(engine == 0 ? first : second); },
      sequential, observer);
}

}  // namespace zarvo::match
