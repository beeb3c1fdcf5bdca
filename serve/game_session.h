// The game a web board shows: a person against an engine, or a recorded game stepped through.
// Every change a page asks for is judged here against the game it saw (its game id and stone
// count), so a stale tab or a click on a taken square is refused with a reason instead of
// changing the board. The engine's work is handed out as jobs and its answers judged as a match
// judges them; running the jobs is the caller's (the web server's worker), so this object never
// blocks and a test drives it step by step.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/square.h"
#include "match/engine_player.h"
#include "match/game_record.h"

namespace zarvo::serve {

inline constexpr int kSmallestBoard = 15;

struct TGameSettings {
  int BoardSize = kBoardSize;  // kSmallestBoard to kBoardSize
  bool ExactlyFive = false;    // only a run of exactly five wins
  char HumanColour = 'x';      // the person's colour; the engine plays the other
  int64_t MoveTimeMs = 1000;   // the engine's time per move, hint and analysis
};

// What the page believes: the game it shows and how many stones it has seen. Every change is
// checked against it.
struct TClientView {
  uint64_t GameId = 0;
  int Stones = 0;
};

// Why a request changed nothing: Status 400 for input that is no request, 409 for a request
// that does not fit the game as it is now; Message says it to the person.
struct TRefusal {
  int Status = 409;
  std::string Message;
  bool Stale = false;  // the tab shows another game or an older board: it must reload
};
// Nothing: done.
using TReply = std::optional<TRefusal>;

enum class TJobKind { Move, Hint, Analysis };

// What the engine is asked to think about: the position after Stones (play order, x first).
struct TThinkJob {
  uint64_t Id = 0;
  TJobKind Kind = TJobKind::Move;
  uint64_t GameId = 0;
  std::vector<TSquare> Stones;
  TGameSettings Settings;
};

// A finished iteration of the built-in search, or its final line.
struct TSearchInfo {
  int Depth = 0;
  int Score = 0;  // from the view of the side to move
  int64_t Nodes = 0;
  int64_t ElapsedMs = 0;
  std::vector<TSquare> Line;
};

struct TJobResult {
  match::TAnswer Answer;              // as a match judges it: a move or a fault
  std::optional<TSearchInfo> Search;  // the built-in search's last iteration
};

class TGameSession {
 public:
  using TClock = std::chrono::steady_clock;

  // engineLabel names the opponent in records and on the page; game ids count up from
  // firstGameId, so a server started anew does not take an old tab's clicks for its own. An
  // opponent that plays on the full board only (a move-file engine) gets no smaller one.
  TGameSession(const TGameSettings& settings, std::string engineLabel, uint64_t firstGameId,
               bool opponentAnySize = true);

  // 1. Playing.
  TReply NewGame(const TGameSettings& settings);
  TReply Place(const TClientView& view, TSquare square);
  // Back to the person's previous turn: their last move and the engine's answer to it.
  TReply TakeBack(const TClientView& view);
  TReply Resign(const TClientView& view);
  // The built-in search's move for the person, shown and not played.
  TReply AskHint(const TClientView& view);

  // 2. Records: the finished game as text, or a refusal; a record read becomes the game shown,
  // to step through; play goes on from any of its positions.
  std::optional<std::string> RecordText(TRefusal& refusal) const;
  TReply LoadRecord(std::string_view text);
  // The built-in search on the position after the first `at` stones.
  TReply Analyse(const TClientView& view, int at);
  // A new game from the position after the first `at` stones, the person playing the side to
  // move there.
  TReply PlayFrom(const TClientView& view, int at);

  // 3. The engine's work: the job to start (handed out once), what it found so far, its end.
  // Progress and results of a job that is no longer current are dropped.
  std::optional<TThinkJob> TakeJob();
  void JobProgressed(uint64_t jobId, const TSearchInfo& info);
  void JobFinished(uint64_t jobId, const TJobResult& result);

  // 4. What the page shows, as one JSON object; Version changes with every change of it.
  std::string StateJson() const;
  uint64_t Version() const { return version_; }

  // For the tests and the server's log.
  uint64_t GameId() const { return gameId_; }
  const std::vector<TSquare>& Stones() const { return stones_; }
  bool Thinking() const { return job_.has_value(); }
  bool Over() const { return over_; }
  const match::TGameRecord& Record() const { return record_; }

 private:
  TReply CheckView(const TClientView& view) const;
  TReply CheckPlayable(const TClientView& view) const;
  void StartGame(const TGameSettings& settings, std::vector<TSquare> opening);
  void Changed() { ++version_; }
  void QueueJob(TJobKind kind, std::vector<TSquare> stones);
  void EngineToMoveIfItsTurn();
  void EndGame(match::TOutcome outcome, match::TEndReason reason, std::string detail);
  void ApplyEngineAnswer(const TThinkJob& job, const TJobResult& result);
  char SideToMove() const;

  TGameSettings settings_;
  std::string engineLabel_;
  bool opponentAnySize_;
  uint64_t gameId_;
  uint64_t version_ = 1;
  bool review_ = false;  // a record read from a file, stepped through
  std::vector<TSquare> stones_;
  std::vector<TSquare> five_;  // the winning run, when a five ended the game
  match::TGameRecord record_;
  bool over_ = false;
  std::string notice_;  // a word from the server: an engine's fault, a finished game
  TClock::time_point turnStart_ = TClock::now();

  uint64_t nextJobId_ = 1;
  std::optional<TThinkJob> job_;  // the job running or to run
  bool jobTaken_ = false;
  std::optional<TSearchInfo> progress_;  // of the running job
  // The last finished hint or analysis, with the stone count of the position it is about.
  struct TFinding {
    TJobKind Kind = TJobKind::Hint;
    int At = 0;
    TSquare Move;
    TSearchInfo Search;
  };
  std::optional<TFinding> finding_;
};

}  // namespace zarvo::serve
