#include "serve/session_engine.h"

#include <chrono>

#include "board/stones.h"
#include "deep/time_manager.h"
#include "match/game_rules.h"

namespace zarvo::serve {
namespace {

using namespace zarvo::match;

TSquare SquareOf(deep::TSquareIndex square) {
  return {deep::SquareX(square), deep::SquareY(square)};
}

TSearchInfo InfoOf(const deep::TIterationInfo& info) {
  TSearchInfo shown;
  shown.Depth = info.Depth;
  shown.Score = info.Score;
  shown.Nodes = info.SearchNodes + info.SolverNodes;
  shown.ElapsedMs = info.ElapsedMs;
  for (const deep::TSquareIndex square : info.Line) shown.Line.push_back(SquareOf(square));
  return shown;
}

bool Failed(TAnswerKind kind) {
  return kind != TAnswerKind::Move && kind != TAnswerKind::Cancelled;
}

}  // namespace

TSessionEngine::TSessionEngine(std::optional<TEngineEntry> opponent, std::string opponentLabel,
                               std::filesystem::path scratch)
    : opponent_(std::move(opponent)),
      opponentLabel_(std::move(opponentLabel)),
      scratch_(std::move(scratch)) {}

TJobResult TSessionEngine::Run(const TThinkJob& job, const TProgress& progress) {
  if (job.Kind == TJobKind::Move && opponent_) return RunOpponent(job);
  return RunBuiltIn(job, progress);
}

TJobResult TSessionEngine::RunBuiltIn(const TThinkJob& job, const TProgress& progress) {
  const auto start = std::chrono::steady_clock::now();
  if (job.GameId != deepGame_) {
    deep_.NewGame();
    deepGame_ = job.GameId;
  }
  // 1. The position as the deep search reads a board: rows of 'x', 'o' and '.'.
  TBoardText board;
  board.RowCount = kBoardSize;
  for (std::string& row : board.Rows) row.assign(kBoardSize, '.');
  const TGameBoard stones = BoardOf(job.Stones, job.Settings.BoardSize);
  for (int y = 0; y < kBoardSize; ++y)
    for (int x = 0; x < kBoardSize; ++x) board.Rows[y][x] = stones.At({x, y});
  const int side = ColourOfStone(job.Stones.size()) == 'x' ? kStoneX : kStoneO;

  // 2. The search, its iterations passed on.
  TDeepPlayOptions options;
  options.Start = start;
  options.Width = options.Height = job.Settings.BoardSize;
  options.Rule = job.Settings.ExactlyFive ? deep::TRule::ExactlyFive : deep::TRule::Freestyle;
  deep::TTimeSettings time;
  time.TurnMs = job.Settings.MoveTimeMs;
  time.StonesOnBoard = static_cast<int>(job.Stones.size());
  options.Time = deep::PlanThinkingTime(time);
  if (progress)
    options.OnIteration = [&progress](const deep::TIterationInfo& info) { progress(InfoOf(info)); };
  deep::TSearchResult found;
  const std::optional<TSquare> move = deep_.Play(board, side, options, &found);

  // 3. The answer as an engine's, with the search's last line.
  TJobResult result;
  result.Answer.ElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
  if (!move) {
    result.Answer.Kind = TAnswerKind::NoAnswer;
    result.Answer.Detail = "no empty square";
    return result;
  }
  result.Answer.Square = *move;
  TSearchInfo info;
  info.Depth = found.Depth;
  info.Score = found.Score;
  info.Nodes = found.Nodes();
  info.ElapsedMs = found.ElapsedMs;
  for (const deep::TSquareIndex square : found.Line) info.Line.push_back(SquareOf(square));
  if (info.Line.empty()) info.Line.push_back(*move);
  result.Search = std::move(info);
  return result;
}

TJobResult TSessionEngine::RunOpponent(const TThinkJob& job) {
  TJobResult result;
  try {
    if (!player_) {
      player_ = MakePlayer(*opponent_, opponentLabel_, scratch_);
      playerGame_ = 0;
    }
    if (job.GameId != playerGame_) {
      player_->NewGame();
      playerGame_ = job.GameId;
    }
    TMoveRequest request;
    request.Stones = job.Stones;
    request.Colour = ColourOfStone(job.Stones.size());
    request.MoveTimeMs = job.Settings.MoveTimeMs;
    request.BoardSize = job.Settings.BoardSize;
    request.ExactlyFive = job.Settings.ExactlyFive;
    result.Answer = player_->Play(request);
  } catch (const std::exception& failure) {
    // No folder for its files, a program that cannot be started: the engine's fault all the same.
    result.Answer.Kind = TAnswerKind::Crash;
    result.Answer.Detail = failure.what();
  }
  if (Failed(result.Answer.Kind)) player_.reset();
  return result;
}

}  // namespace zarvo::serve
