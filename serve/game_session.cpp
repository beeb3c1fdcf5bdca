#include "serve/game_session.h"

#include <sstream>

#include "deep/deep_search.h"
#include "match/game_rules.h"
#include "serve/json_text.h"

namespace zarvo::serve {
namespace {

using namespace zarvo::match;

TOutcome WinOf(char colour) {
  return colour == 'x' ? TOutcome::XWins : TOutcome::OWins;
}

std::string_view KindName(TJobKind kind) {
  switch (kind) {
    case TJobKind::Move:
      return "move";
    case TJobKind::Hint:
      return "hint";
    case TJobKind::Analysis:
      return "analysis";
  }
  return "move";
}

std::string SearchJson(const TSearchInfo& info) {
  return "\"depth\":" + std::to_string(info.Depth) + ",\"score\":" + std::to_string(info.Score) +
         ",\"win\":" + std::to_string(deep::kWinScore) +
         ",\"winBound\":" + std::to_string(deep::kWinBound) +
         ",\"nodes\":" + std::to_string(info.Nodes) + ",\"ms\":" + std::to_string(info.ElapsedMs) +
         ",\"line\":" + JsonSquares(info.Line);
}

// What the person is told when the engine's answer loses it the game.
std::string FaultNotice(const TAnswer& answer, TEndReason reason, bool firstAnswer) {
  std::string notice = "The engine lost by " + std::string(ReasonName(reason));
  if (!answer.Detail.empty()) notice += ": " + answer.Detail;
  notice += ".";
  // A program that never answered its first move may be of the other kind.
  if (firstAnswer && reason != TEndReason::IllegalMove)
    notice +=
        " It may never have started: a brain is named pipe:PATH, a move-file program file:PATH.";
  return notice;
}

}  // namespace

TGameSession::TGameSession(const TGameSettings& settings, std::string engineLabel,
                           uint64_t firstGameId, bool opponentAnySize)
    : engineLabel_(std::move(engineLabel)),
      opponentAnySize_(opponentAnySize),
      gameId_(firstGameId) {
  StartGame(settings, {});
}

char TGameSession::SideToMove() const {
  return ColourOfStone(stones_.size());
}

void TGameSession::StartGame(const TGameSettings& settings, std::vector<TSquare> opening) {
  settings_ = settings;
  ++gameId_;
  review_ = false;
  stones_ = opening;
  five_.clear();
  over_ = false;
  notice_.clear();
  record_ = {};
  record_.XEngine = settings.HumanColour == 'x' ? "human" : engineLabel_;
  record_.OEngine = settings.HumanColour == 'o' ? "human" : engineLabel_;
  record_.Opening = std::move(opening);
  record_.BoardSize = settings.BoardSize;
  record_.ExactlyFive = settings.ExactlyFive;
  // A job of the game before is dropped when it ends.
  job_.reset();
  progress_.reset();
  finding_.reset();
  EngineToMoveIfItsTurn();
  Changed();
}

TReply TGameSession::NewGame(const TGameSettings& settings) {
  if (settings.BoardSize < kSmallestBoard || settings.BoardSize > kBoardSize)
    return TRefusal{400, "The board is " + std::to_string(kSmallestBoard) + " to " +
                             std::to_string(kBoardSize) + " squares wide."};
  if (!opponentAnySize_ && settings.BoardSize != kBoardSize)
    return TRefusal{400, "The engine (" + engineLabel_ + ") plays on the " +
                             std::to_string(kBoardSize) + " x " + std::to_string(kBoardSize) +
                             " board only: a move-file program knows no other size."};
  if (settings.HumanColour != 'x' && settings.HumanColour != 'o')
    return TRefusal{400, "You play x or o."};
  if (settings.MoveTimeMs < 1 || settings.MoveTimeMs > 3'600'000)
    return TRefusal{400, "The engine's time is 1 ms to an hour."};
  StartGame(settings, {});
  return std::nullopt;
}

TReply TGameSession::CheckView(const TClientView& view) const {
  if (view.GameId != gameId_)
    return TRefusal{409,
                    "This page shows a game that is no longer on the board (another tab or window "
                    "started a new one or opened a record). Reload the page.",
                    true};
  if (view.Stones != static_cast<int>(stones_.size()))
    return TRefusal{409,
                    "This page's board is out of date (the game went on in another tab or "
                    "window). Reload the page.",
                    true};
  return std::nullopt;
}

TReply TGameSession::CheckPlayable(const TClientView& view) const {
  if (auto refusal = CheckView(view)) return refusal;
  if (review_)
    return TRefusal{409,
                    "This is a recorded game: step through it, or press 'Play from here' to "
                    "play on from the position shown."};
  if (over_)
    return TRefusal{409, "The game is over (" + std::string(OutcomeName(record_.Outcome)) +
                             "). Start a new game or take back."};
  if (job_ && job_->Kind == TJobKind::Move)
    return TRefusal{409, "The engine is thinking; wait for its move."};
  if (job_) return TRefusal{409, "The engine is still thinking about a hint; wait a moment."};
  return std::nullopt;
}

TReply TGameSession::Place(const TClientView& view, TSquare square) {
  // 1. The page's view, the game's state, the square.
  if (auto refusal = CheckPlayable(view)) return refusal;
  const int size = settings_.BoardSize;
  if (square.X < 0 || square.X >= size || square.Y < 0 || square.Y >= size)
    return TRefusal{400, SquareText(square) + " is off the board: X and Y go from 0 to " +
                             std::to_string(size - 1) + "."};
  const TGameBoard board = BoardOf(stones_, settings_.BoardSize);
  if (!board.IsEmpty(square))
    return TRefusal{409, SquareText(square) + " is taken; choose an empty square."};

  // 2. The stone; five or a full board ends the game, otherwise the engine is to move.
  const auto thought =
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - turnStart_);
  stones_.push_back(square);
  record_.Moves.push_back({square, thought.count()});
  finding_.reset();
  notice_.clear();
  five_ = FiveThrough(BoardOf(stones_, settings_.BoardSize), square, settings_.ExactlyFive);
  if (!five_.empty()) {
    EndGame(WinOf(settings_.HumanColour), TEndReason::Five, RunText(five_));
    notice_ = "Five in a row: you win!";
  } else if (static_cast<int>(stones_.size()) == size * size) {
    EndGame(TOutcome::Draw, TEndReason::FullBoard, "no empty square left");
  } else {
    EngineToMoveIfItsTurn();
  }
  Changed();
  return std::nullopt;
}

TReply TGameSession::TakeBack(const TClientView& view) {
  if (auto refusal = CheckView(view)) return refusal;
  if (review_)
    return TRefusal{409, "This is a recorded game; press 'Play from here' to play on from it."};
  const std::size_t opening = record_.Opening.size();
  bool humanMoved = false;
  for (std::size_t i = 0; i < record_.Moves.size(); ++i)
    humanMoved |= ColourOfStone(opening + i) == settings_.HumanColour;
  if (!humanMoved) return TRefusal{409, "Nothing to take back."};
  // Back to the person's turn before their last move; a thinking engine's answer is dropped.
  do {
    record_.Moves.pop_back();
    stones_.pop_back();
  } while (!record_.Moves.empty() && SideToMove() != settings_.HumanColour);
  job_.reset();
  progress_.reset();
  finding_.reset();
  five_.clear();
  over_ = false;
  notice_ = "Taken back.";
  EngineToMoveIfItsTurn();
  Changed();
  return std::nullopt;
}

TReply TGameSession::Resign(const TClientView& view) {
  if (auto refusal = CheckView(view)) return refusal;
  if (review_) return TRefusal{409, "This is a recorded game; there is nothing to resign."};
  if (over_) return TRefusal{409, "The game is already over."};
  EndGame(WinOf(OtherColour(settings_.HumanColour)), TEndReason::Resigned, "the human resigned");
  notice_ = "You resigned.";
  Changed();
  return std::nullopt;
}

TReply TGameSession::AskHint(const TClientView& view) {
  if (auto refusal = CheckPlayable(view)) return refusal;
  QueueJob(TJobKind::Hint, stones_);
  Changed();
  return std::nullopt;
}

std::optional<std::string> TGameSession::RecordText(TRefusal& refusal) const {
  if (!over_) {
    refusal = {409, "The game is not over yet: a record keeps a finished game (resign to end it)."};
    return std::nullopt;
  }
  return match::RecordText(record_);
}

TReply TGameSession::LoadRecord(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::string error;
  auto record = ParseRecord(in, error);
  if (!record) return TRefusal{400, "That file is no game record: " + error + "."};
  // 1. The game it was played in: its board and rule, as the record says.
  const std::vector<TSquare> stones = record->Stones();
  settings_.BoardSize = record->BoardSize;
  settings_.ExactlyFive = record->ExactlyFive;
  // 2. The record becomes the game shown, its end as recorded.
  ++gameId_;
  review_ = true;
  stones_ = stones;
  five_ = record->WinningLine();  // by the record's rule, renju's among them
  over_ = true;
  record_ = std::move(*record);
  job_.reset();
  progress_.reset();
  finding_.reset();
  notice_ = "Game " + std::to_string(record_.Number) + ": " + record_.XEngine + " (x) against " +
            record_.OEngine + " (o), " + std::string(OutcomeName(record_.Outcome)) + " (" +
            std::string(ReasonName(record_.Reason)) + ").";
  Changed();
  return std::nullopt;
}

TReply TGameSession::Analyse(const TClientView& view, int at) {
  if (auto refusal = CheckView(view)) return refusal;
  if (at < 0 || at > static_cast<int>(stones_.size()))
    return TRefusal{400, "There is no position after " + std::to_string(at) + " stones here."};
  if (job_ && job_->Kind == TJobKind::Move)
    return TRefusal{409, "The engine is thinking; wait for its move."};
  if (job_) return TRefusal{409, "The engine is still thinking; wait a moment."};
  if (at == settings_.BoardSize * settings_.BoardSize)
    return TRefusal{409, "The board is full: there is nothing to analyse."};
  QueueJob(TJobKind::Analysis, {stones_.begin(), stones_.begin() + at});
  Changed();
  return std::nullopt;
}

TReply TGameSession::PlayFrom(const TClientView& view, int at) {
  if (auto refusal = CheckView(view)) return refusal;
  if (at < 0 || at > static_cast<int>(stones_.size()))
    return TRefusal{400, "There is no position after " + std::to_string(at) + " stones here."};
  std::vector<TSquare> opening(stones_.begin(), stones_.begin() + at);
  if (!opening.empty() &&
      !FiveThrough(BoardOf(opening, settings_.BoardSize), opening.back(), settings_.ExactlyFive)
           .empty())
    return TRefusal{409, "The game was already won in that position."};
  if (at == settings_.BoardSize * settings_.BoardSize)
    return TRefusal{409, "The board is full in that position."};
  TGameSettings settings = settings_;
  settings.HumanColour = ColourOfStone(opening.size());
  StartGame(settings, std::move(opening));
  return std::nullopt;
}

void TGameSession::QueueJob(TJobKind kind, std::vector<TSquare> stones) {
  job_ = TThinkJob{nextJobId_++, kind, gameId_, std::move(stones), settings_};
  jobTaken_ = false;
  progress_.reset();
}

void TGameSession::EngineToMoveIfItsTurn() {
  turnStart_ = TClock::now();
  if (!over_ && !review_ && SideToMove() != settings_.HumanColour)
    QueueJob(TJobKind::Move, stones_);
}

void TGameSession::EndGame(TOutcome outcome, TEndReason reason, std::string detail) {
  over_ = true;
  record_.Outcome = outcome;
  record_.Reason = reason;
  record_.Detail = std::move(detail);
  job_.reset();
  progress_.reset();
}

std::optional<TThinkJob> TGameSession::TakeJob() {
  if (!job_ || jobTaken_) return std::nullopt;
  jobTaken_ = true;
  return job_;
}

void TGameSession::JobProgressed(uint64_t jobId, const TSearchInfo& info) {
  if (!job_ || job_->Id != jobId) return;
  progress_ = info;
  Changed();
}

void TGameSession::JobFinished(uint64_t jobId, const TJobResult& result) {
  if (!job_ || job_->Id != jobId) return;
  const TThinkJob job = std::move(*job_);
  job_.reset();
  progress_.reset();
  if (job.Kind == TJobKind::Move) {
    ApplyEngineAnswer(job, result);
  } else if (result.Answer.Kind == TAnswerKind::Move) {
    finding_ = TFinding{job.Kind, static_cast<int>(job.Stones.size()), result.Answer.Square,
                        result.Search.value_or(TSearchInfo{})};
  } else {
    notice_ = "The search found no move" +
              (result.Answer.Detail.empty() ? std::string() : ": " + result.Answer.Detail) + ".";
  }
  Changed();
}

void TGameSession::ApplyEngineAnswer(const TThinkJob& job, const TJobResult& result) {
  const TAnswer& answer = result.Answer;
  const char engine = OtherColour(settings_.HumanColour);
  const TOutcome humanWins = WinOf(settings_.HumanColour);
  bool firstAnswer = true;
  for (std::size_t i = 0; i < record_.Moves.size(); ++i)
    firstAnswer &= ColourOfStone(record_.Opening.size() + i) != engine;
  const auto lost = [&](TEndReason reason, std::string detail) {
    TAnswer shown = answer;
    shown.Detail = detail;
    notice_ = FaultNotice(shown, reason, firstAnswer) + " You win by default.";
    EndGame(humanWins, reason, std::move(detail));
  };

  // 1. An answer that is no move loses, as in a match.
  if (const auto loss = LossOfAnswer(answer.Kind)) return lost(*loss, answer.Detail);

  // 2. So does a square off this board or a taken one: the board never shows it.
  const TSquare square = answer.Square;
  const int size = job.Settings.BoardSize;
  if (square.X < 0 || square.X >= size || square.Y < 0 || square.Y >= size)
    return lost(TEndReason::IllegalMove, "answered " + SquareText(square) + ", off the board");
  if (!BoardOf(stones_, settings_.BoardSize).IsEmpty(square))
    return lost(TEndReason::IllegalMove, "answered " + SquareText(square) + ", an occupied square");

  // 3. The move stands.
  stones_.push_back(square);
  record_.Moves.push_back({square, answer.ElapsedMs});
  if (result.Search)
    finding_ =
        TFinding{TJobKind::Move, static_cast<int>(job.Stones.size()), square, *result.Search};
  five_ = FiveThrough(BoardOf(stones_, settings_.BoardSize), square, settings_.ExactlyFive);
  if (!five_.empty()) {
    EndGame(WinOf(engine), TEndReason::Five, RunText(five_));
    notice_ = "Five in a row: the engine wins.";
  } else if (static_cast<int>(stones_.size()) == size * size) {
    EndGame(TOutcome::Draw, TEndReason::FullBoard, "no empty square left");
  } else {
    turnStart_ = TClock::now();
  }
}

std::string TGameSession::StateJson() const {
  std::string json = "{";
  const auto field = [&json](std::string_view name, const std::string& value) {
    if (json.size() > 1) json += ',';
    json += JsonString(name) + ":" + value;
  };
  const auto flag = [](bool value) { return std::string(value ? "true" : "false"); };
  field("version", std::to_string(version_));
  // A string: a page's numbers are doubles and a game id may be larger than they hold exactly.
  field("game", JsonString(std::to_string(gameId_)));
  field("mode", JsonString(review_ ? "review" : "play"));
  field("boardSize", std::to_string(settings_.BoardSize));
  field("exactlyFive", flag(settings_.ExactlyFive));
  field("human", JsonString(std::string(1, settings_.HumanColour)));
  field("engine", JsonString(engineLabel_));
  field("moveTimeMs", std::to_string(settings_.MoveTimeMs));
  field("xPlayer", JsonString(record_.XEngine));
  field("oPlayer", JsonString(record_.OEngine));
  field("stones", JsonSquares(stones_));
  field("opening", std::to_string(record_.Opening.size()));
  field("toMove", JsonString(std::string(1, SideToMove())));
  field("over", flag(over_));
  if (over_) {
    field("result", JsonString(OutcomeName(record_.Outcome)));
    field("reason", JsonString(ReasonName(record_.Reason)));
    field("detail", JsonString(record_.Detail));
  }
  field("five", JsonSquares(five_));
  if (job_) {
    std::string thinking = "{\"kind\":" + JsonString(KindName(job_->Kind)) +
                           ",\"at\":" + std::to_string(job_->Stones.size());
    if (progress_) thinking += "," + SearchJson(*progress_);
    field("thinking", thinking + "}");
  } else {
    field("thinking", "null");
  }
  if (finding_) {
    field("finding", "{\"kind\":" + JsonString(KindName(finding_->Kind)) +
                         ",\"at\":" + std::to_string(finding_->At) + ",\"move\":[" +
                         std::to_string(finding_->Move.X) + "," + std::to_string(finding_->Move.Y) +
                         "]," + SearchJson(finding_->Search) + "}");
  } else {
    field("finding", "null");
  }
  field("notice", JsonString(notice_));
  return json + "}";
}

}  // namespace zarvo::serve
