#include "driver/deep_engine.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "base/regular_file.h"
#include "board/stones.h"
#include "deep/patterns.h"
#include "driver/zarvo_const.h"

namespace zarvo {

deep::TDeepBoard DeepBoardOf(const TBoardText& board, int side, int width, int height,
                             deep::TRule rule) {
  deep::TDeepBoard deepBoard(width, height, rule);
  int xCount = 0, oCount = 0;
  for (int y = 0; y < board.RowCount && y < kBoardSize; ++y) {
    const std::string& row = board.Rows[y];
    for (int x = 0; x < static_cast<int>(row.size()) && x < kBoardSize; ++x) {
      if (!deepBoard.OnBoard(x, y)) continue;
      if (row[x] != 'x' && row[x] != 'o') continue;
      deepBoard.Place(deep::SquareAt(x, y), row[x] == 'x' ? 0 : 1);
      ++(row[x] == 'x' ? xCount : oCount);
    }
  }
  if (side != kStoneX && side != kStoneO) side = xCount > oCount ? kStoneO : kStoneX;
  deepBoard.SetSideToMove(side == kStoneX ? 0 : 1);
  return deepBoard;
}

int DeepSideToMove(const TBoardText& board, int side) {
  if (side == kStoneX || side == kStoneO) return side;
  int xCount = 0, oCount = 0;
  for (int y = 0; y < board.RowCount && y < kBoardSize; ++y)
    for (const char c : board.Rows[y]) {
      xCount += c == 'x';
      oCount += c == 'o';
    }
  return xCount > oCount ? kStoneO : kStoneX;
}

std::string SquareText(deep::TSquareIndex square) {
  return SquareText(deep::SquareX(square), deep::SquareY(square));
}

namespace {

// "nodes N (solver M) nps X time T".
std::string NodesText(int64_t searchNodes, int64_t solverNodes, int64_t elapsedMs) {
  const int64_t nodes = searchNodes + solverNodes;
  const int64_t nps = elapsedMs > 0 ? nodes * 1000 / elapsedMs : nodes * 1000;
  std::string text;
  text.append("nodes ").append(std::to_string(nodes));
  text.append(" (solver ").append(std::to_string(solverNodes)).append(")");
  text.append(" nps ").append(std::to_string(nps));
  text.append(" time ").append(std::to_string(elapsedMs));
  return text;
}

}  // namespace

std::string ScoreText(int score) {
  std::string text = std::to_string(score);
  if (const int plies = deep::PliesToFive(score); plies != 0)
    text.append(plies > 0 ? " (win in " : " (loss in ")
        .append(std::to_string(std::abs(plies)))
        .append(std::abs(plies) == 1 ? " ply)" : " plies)");
  return text;
}

std::string IterationText(const deep::TIterationInfo& info) {
  std::string text;
  text.append("depth ").append(std::to_string(info.Depth));
  text.append(" score ").append(ScoreText(info.Score));
  text.append(" ").append(NodesText(info.SearchNodes, info.SolverNodes, info.ElapsedMs));
  text.append(" pv");
  for (deep::TSquareIndex square : info.Line) text.append(" ").append(SquareText(square));
  return text;
}

std::string MoveText(const deep::TSearchResult& result) {
  std::string text;
  text.append("move ").append(result.Move == deep::kNoSquare ? "none" : SquareText(result.Move));
  text.append(" by ").append(result.Reason);
  text.append(" depth ").append(std::to_string(result.Depth));
  text.append(" score ").append(ScoreText(result.Score));
  text.append(" ").append(NodesText(result.SearchNodes, result.SolverNodes, result.ElapsedMs));
  return text;
}

int UsableThreads(int64_t wanted) {
  const auto cores = static_cast<int64_t>(std::thread::hardware_concurrency());
  const int64_t most = std::min<int64_t>(deep::TDeepSearch::kMaxThreads, cores > 0 ? cores : 1);
  return static_cast<int>(std::clamp<int64_t>(wanted, 1, most));
}

void TDeepEngine::NewGame() {
  deep::TPatternTables::For(deep::TRule::Freestyle);
  deep::TPatternTables::For(deep::TRule::ExactlyFive);
  deep::TPatternTables::For(deep::TRule::Renju);
  search_->SetTableBytes(tableBytes_);
  search_->SetThreads(threads_);
  search_->Clear();
}

std::optional<TSquare> TDeepEngine::Play(const TBoardText& board, int side,
                                         const TDeepPlayOptions& options,
                                         deep::TSearchResult* details) {
  // The board is large for a stack; one per move on the heap costs nothing that matters.
  const auto deepBoard = std::make_unique<deep::TDeepBoard>(
      DeepBoardOf(board, side, options.Width, options.Height, options.Rule));
  if (deepBoard->Full()) return std::nullopt;
  // A size set since the last move takes effect inside this move's time, which counts from
  // options.Start: fresh pages cost nothing until the search touches them.
  search_->SetTableBytes(tableBytes_);
  search_->SetThreads(threads_);
  deep::TSearchLimits limits;
  limits.Start = options.Start;
  limits.SoftMs = options.Time.SoftMs;
  limits.HardMs = options.Time.HardMs;
  limits.Stop = options.Stop;
  if (options.MaxDepth) limits.MaxDepth = std::clamp(*options.MaxDepth, 1, deep::kMaxSearchDepth);
  deep::TSearchResult result = search_->Think(*deepBoard, limits, options.OnIteration);
  if (result.Move == deep::kNoSquare || !deepBoard->IsEmpty(result.Move)) return std::nullopt;
  const TSquare move{static_cast<int8_t>(deep::SquareX(result.Move)),
                     static_cast<int8_t>(deep::SquareY(result.Move))};
  if (details) *details = std::move(result);
  return move;
}

std::optional<TFolderPosition> ReadFolderPosition(const std::filesystem::path& folder,
                                                  std::filesystem::path* unreadable) {
  TRegularFileStream moveFile(folder / kMoveFileName);
  TRegularFileStream boardFile(folder / kBoardFileName);
  if (!moveFile.IsOpen() || !boardFile.IsOpen()) {
    if (unreadable) *unreadable = folder / (moveFile.IsOpen() ? kBoardFileName : kMoveFileName);
    return std::nullopt;
  }
  TFolderPosition position;
  position.Side = SideOfMoveChar(moveFile.get());
  position.Board = ReadBoardText(boardFile);
  return position;
}

std::optional<TSquare> DeepMoveForFiles(const TEngineState& state, const TFolderPosition& position,
                                        TMonotonicClock::time_point start) {
  TDeepPlayOptions options;
  options.Start = start;
  options.Time = deep::PlanThinkingTime(deep::ProcessMoveSettings(state.Time.TimeBudget.count()));
  // A process per move: a table no larger than this one search can fill.
  TDeepEngine engine(deep::TableBytesForTime(options.Time.HardMs));
  return engine.Play(position.Board, position.Side, options);
}

bool DeepSearchRequested(const char* environmentValue) {
  return environmentValue != nullptr && std::strcmp(environmentValue, "deep") == 0;
}

}  // namespace zarvo
