// The web board's game: every request judged against the game the page saw, the engine's
// answers judged as a match judges them, take back, and records written and read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serve/game_session.h"
#include "serve/web_requests.h"

namespace zarvo::serve {
namespace {

using match::TAnswerKind;

constexpr uint64_t kFirstId = 1000;

TClientView ViewOf(const TGameSession& session) {
  return {session.GameId(), static_cast<int>(session.Stones().size())};
}

// The engine's job answered with a square (or a fault).
void EngineAnswers(TGameSession& session, TSquare square, TAnswerKind kind = TAnswerKind::Move) {
  const auto job = session.TakeJob();
  ASSERT_TRUE(job) << "no engine job";
  TJobResult result;
  result.Answer.Kind = kind;
  result.Answer.Square = square;
  session.JobFinished(job->Id, result);
}

// The person plays x on row 0 and the engine answers on row 5.
void PlayPairs(TGameSession& session, int pairs) {
  for (int i = 0; i < pairs; ++i) {
    ASSERT_FALSE(session.Place(ViewOf(session), {i, 0}));
    EngineAnswers(session, {i, 5});
  }
}

TEST(GameSession, ANewGameOnlyOnABoardTheOpponentPlays) {
  TGameSettings small;
  small.BoardSize = 15;
  TGameSession anySize({}, "pipe:brain", kFirstId);
  EXPECT_FALSE(anySize.NewGame(small));
  TGameSession fullOnly({}, "file:Zarvo2", kFirstId, false);
  const TReply reply = fullOnly.NewGame(small);
  ASSERT_TRUE(reply);
  EXPECT_NE(reply->Message.find("20 x 20 board only"), std::string::npos) << reply->Message;
  EXPECT_EQ(fullOnly.GameId(), kFirstId + 1) << "the game before stays";
}

TEST(GameSession, RefusesMovesThatDoNotFitTheGameAndLeavesTheBoard) {
  struct TCase {
    const char* Name;
    int BoardSize;
    int64_t GameIdShift;  // added to the page's game id
    int StonesShift;      // added to the page's stone count
    TSquare Square;
    int Status;
    bool Stale;
  };
  const std::vector<TCase> cases = {
      {"taken", 20, 0, 0, {0, 0}, 409, false},
      {"off the left", 20, 0, 0, {-1, 3}, 400, false},
      {"off the bottom", 20, 0, 0, {3, 20}, 400, false},
      {"beyond a small board", 15, 0, 0, {15, 3}, 400, false},
      {"another game", 20, -1, 0, {9, 9}, 409, true},
      {"an older board", 20, 0, -2, {9, 9}, 409, true},
  };
  for (const TCase& c : cases) {
    TGameSettings settings;
    settings.BoardSize = c.BoardSize;
    TGameSession session(settings, "engine", kFirstId);
    PlayPairs(session, 1);
    TClientView view = ViewOf(session);
    view.GameId += c.GameIdShift;
    view.Stones += c.StonesShift;
    const std::vector<TSquare> before = session.Stones();
    const TReply reply = session.Place(view, c.Square);
    ASSERT_TRUE(reply) << c.Name;
    EXPECT_EQ(reply->Status, c.Status) << c.Name;
    EXPECT_EQ(reply->Stale, c.Stale) << c.Name;
    EXPECT_EQ(session.Stones(), before) << c.Name;
    EXPECT_FALSE(session.TakeJob()) << c.Name << ": the engine was asked to move";
  }
}

TEST(GameSession, NoMoveWhileTheEngineThinksAndNoAnswerOfAnEarlierJob) {
  TGameSession session({}, "engine", kFirstId);
  ASSERT_FALSE(session.Place(ViewOf(session), {9, 9}));
  const auto job = session.TakeJob();
  ASSERT_TRUE(job);
  EXPECT_EQ(job->Stones, (std::vector<TSquare>{{9, 9}}));
  const TReply refused = session.Place(ViewOf(session), {10, 10});
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->Message.find("thinking"), std::string::npos) << refused->Message;
  EXPECT_TRUE(session.AskHint(ViewOf(session)));

  // Taken back while it thinks: its answer, when it comes, belongs to no position shown.
  ASSERT_FALSE(session.TakeBack(ViewOf(session)));
  TJobResult late;
  late.Answer.Square = {10, 10};
  session.JobFinished(job->Id, late);
  EXPECT_TRUE(session.Stones().empty());
  EXPECT_FALSE(session.Thinking());
}

TEST(GameSession, AnEngineAnswerThatIsNoLegalMoveLosesAndIsNotPlaced) {
  struct TCase {
    TAnswerKind Kind;
    TSquare Square;
    match::TEndReason Reason;
  };
  for (const TCase& c : std::vector<TCase>{
           {TAnswerKind::Move, {0, 0}, match::TEndReason::IllegalMove},   // the person's stone
           {TAnswerKind::Move, {0, 5}, match::TEndReason::IllegalMove},   // its own stone
           {TAnswerKind::Move, {20, 1}, match::TEndReason::IllegalMove},  // off the board
           {TAnswerKind::Move, {-1, 1}, match::TEndReason::IllegalMove},  // off the board
           {TAnswerKind::Crash, {}, match::TEndReason::Crash},            // died
           {TAnswerKind::Timeout, {}, match::TEndReason::Timeout},        // too late
       }) {
    TGameSession session({}, "engine", kFirstId);
    PlayPairs(session, 1);
    ASSERT_FALSE(session.Place(ViewOf(session), {1, 0}));
    EngineAnswers(session, c.Square, c.Kind);
    EXPECT_EQ(session.Stones().size(), 3u);
    EXPECT_TRUE(session.Over());
    EXPECT_EQ(session.Record().Outcome, match::TOutcome::XWins);
    EXPECT_EQ(session.Record().Reason, c.Reason);
  }
}

TEST(GameSession, TakeBackReturnsToThePersonsTurn) {
  TGameSession session({}, "engine", kFirstId);
  EXPECT_TRUE(session.TakeBack(ViewOf(session))) << "nothing to take back yet";
  PlayPairs(session, 2);
  ASSERT_FALSE(session.TakeBack(ViewOf(session)));
  EXPECT_EQ(session.Stones(), (std::vector<TSquare>{{0, 0}, {0, 5}}));
  EXPECT_FALSE(session.Thinking());

  // With the person as o, the engine's first stone stays and a lost game plays on.
  TGameSettings settings;
  settings.HumanColour = 'o';
  ASSERT_FALSE(session.NewGame(settings));
  EngineAnswers(session, {9, 9});
  ASSERT_FALSE(session.Place(ViewOf(session), {0, 0}));
  ASSERT_FALSE(session.Resign(ViewOf(session)));
  EXPECT_TRUE(session.Over());
  ASSERT_FALSE(session.TakeBack(ViewOf(session)));
  EXPECT_EQ(session.Stones(), (std::vector<TSquare>{{9, 9}}));
  EXPECT_FALSE(session.Over());
  EXPECT_FALSE(session.TakeJob()) << "the person is to move";
}

TEST(GameSession, ARecordReadsBackAsTheGameAndPlayGoesOnFromItsPositions) {
  TGameSession session({}, "pipe:/opt/brain", kFirstId);
  PlayPairs(session, 4);
  TRefusal refusal;
  EXPECT_FALSE(session.RecordText(refusal)) << "an unfinished game has no result to record";
  ASSERT_FALSE(session.Place(ViewOf(session), {4, 0}));
  ASSERT_TRUE(session.Over());
  EXPECT_EQ(session.Record().Reason, match::TEndReason::Five);
  const auto text = session.RecordText(refusal);
  ASSERT_TRUE(text) << refusal.Message;

  // Read by another server: the same stones and result, to step through, not to play.
  TGameSession reader({}, "engine", kFirstId * 2);
  ASSERT_FALSE(reader.LoadRecord(*text));
  EXPECT_EQ(reader.Stones(), session.Stones());
  EXPECT_EQ(reader.Record().XEngine, "human");
  EXPECT_EQ(reader.Record().OEngine, "pipe:/opt/brain");
  EXPECT_EQ(reader.Record().Outcome, match::TOutcome::XWins);
  EXPECT_NE(reader.StateJson().find("\"five\":[[0,0],[1,0],[2,0],[3,0],[4,0]]"), std::string::npos);
  EXPECT_TRUE(reader.Place(ViewOf(reader), {9, 9}));
  EXPECT_EQ(reader.RecordText(refusal), text) << "a record opened saves as it was";

  // Play on after the third stone: the person is o, the side to move there.
  ASSERT_FALSE(reader.PlayFrom(ViewOf(reader), 3));
  EXPECT_EQ(reader.Stones(), (std::vector<TSquare>{{0, 0}, {0, 5}, {1, 0}}));
  EXPECT_EQ(reader.Record().OEngine, "human");
  ASSERT_FALSE(reader.Place(ViewOf(reader), {1, 5}));
  EXPECT_TRUE(reader.TakeJob());
  // Where a five stands, there is nothing to play on from.
  ASSERT_FALSE(reader.LoadRecord(*text));
  EXPECT_TRUE(reader.PlayFrom(ViewOf(reader), 9));

  for (const std::string& bad : {std::string(), std::string("Game: 1\nOpening: 9,9 9,9\n"),
                                 std::string("\x01\x02 binary")}) {
    const TReply reply = reader.LoadRecord(bad);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Status, 400);
  }
}

TEST(WebRequests, MalformedFieldsAreRefusedWithTheirNameAndChangeNothing) {
  TGameSession session({}, "engine", kFirstId);
  const std::string game = std::to_string(session.GameId());
  struct TCase {
    const char* Action;
    TFields Fields;
    int Status;
    const char* Says;
  };
  const std::vector<TCase> cases = {
      {"move", {{"stones", "0"}, {"x", "9"}, {"y", "9"}}, 400, "'game'"},
      {"move", {{"game", game}, {"stones", "0"}, {"x", "nine"}, {"y", "9"}}, 400, "'x'"},
      {"move",
       {{"game", game}, {"stones", "0"}, {"x", "9"}, {"y", "99999999999999999999"}},
       400,
       "'y'"},
      {"move", {{"game", game}, {"stones", "-1"}, {"x", "9"}, {"y", "9"}}, 400, "'stones'"},
      {"move", {{"game", "-5"}, {"stones", "0"}, {"x", "9"}, {"y", "9"}}, 400, "'game'"},
      {"analyse", {{"game", game}, {"stones", "0"}, {"at", "1"}}, 400, "no position"},
      {"new",
       {{"board", "14"}, {"time", "100"}, {"colour", "x"}, {"rule", "freestyle"}},
       400,
       "'board'"},
      {"new",
       {{"board", "15"}, {"time", "100"}, {"colour", "b"}, {"rule", "freestyle"}},
       400,
       "'colour'"},
      {"new",
       {{"board", "15"}, {"time", "100"}, {"colour", "x"}, {"rule", "renju"}},
       400,
       "'rule'"},
      {"load", {}, 400, "'record'"},
      {"shutdown", {}, 404, "no request 'shutdown'"},
  };
  for (const TCase& c : cases) {
    const TResponse response = HandleAction(session, c.Action, c.Fields);
    EXPECT_EQ(response.Status, c.Status) << c.Action << ": " << response.Body;
    EXPECT_NE(response.Body.find(c.Says), std::string::npos) << response.Body;
    EXPECT_EQ(session.GameId(), std::stoull(game));
    EXPECT_TRUE(session.Stones().empty());
  }
  const TResponse played =
      HandleAction(session, "move", {{"game", game}, {"stones", "0"}, {"x", "9"}, {"y", "9"}});
  EXPECT_EQ(played.Status, 200) << played.Body;
  EXPECT_EQ(session.Stones(), (std::vector<TSquare>{{9, 9}}));
}

}  // namespace
}  // namespace zarvo::serve
