// zarvo match: games between two engines with a progress line, a result table, records and
// pictures; --shard, which plays a part of a match, and --merge, which puts the parts together;
// and --replay, which shows a recorded game again.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "match/elo.h"
#include "match/engine_player.h"
#include "match/game_record.h"
#include "match/game_rules.h"
#include "match/match_folder.h"
#include "match/match_runner.h"
#include "match/openings.h"
#include "match/run_merge.h"
#include "match/run_result.h"
#include "match/sprt.h"
#include "zarvo/board_text.h"
#include "zarvo/commands.h"
#include "zarvo/input_file.h"
#include "zarvo/record_file.h"
#include "zarvo/svg_board.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

using namespace zarvo::match;

constexpr std::string_view kMatchUsage =
    "usage: zarvo match ENGINE1 ENGINE2 [options]\n"
    "       zarvo match --merge DIR...\n"
    "       zarvo match --replay RECORD [--each]\n"
    "\n"
    "Plays games between two engines, each named as\n"
    "  file:PATH [ARG...]  a move-file engine, started once per move in a fresh working\n"
    "                      directory with Tah.dat, Plocha.dat and TimeOuts.dat\n"
    "  pipe:PATH [ARG...]  a brain-protocol engine, one process talking on stdin and stdout\n"
    "(one shell word: \"pipe:build/pbrain-zarvo2 --seed 1\"; quote an argument with blanks in\n"
    "'...' inside it).\n"
    "Each opening is played twice, the first engine playing x in the first game of the pair.\n"
    "Five or more in a row wins, a full board is a draw; an illegal square, an answer that is\n"
    "no move, a crash, no answer, or an answer later than the time plus the tolerance loses.\n"
    "\n"
    "options:\n"
    "  --games N         games to play (default 2; with --sprt the most, default 20000)\n"
    "  --move-time MS    time per move (default 1000)\n"
    "  --game-time MS    time per game for each engine, 0 unlimited (default 0)\n"
    "  --tolerance MS    how long past its time an engine is waited for (default 500)\n"
    "  --openings FILE   openings, one a line: X,Y squares in play order, x first ('-' alone:\n"
    "                    the empty board; '#' comments); used in turn\n"
    "  --seed N          seed of the random openings of 2 to 4 central stones (default 1)\n"
    "  --records DIR     write every game as DIR/game-NNN.txt (and the games in progress, for\n"
    "                    'zarvo serve --watch DIR'), and the results as DIR/match.result\n"
    "  --shard I/N       play only the pairs of games k with k % N == I (pair k: games 2k+1 and\n"
    "                    2k+2, from 0), as the whole match would play them; needs --records.\n"
    "                    With --sprt a shard plays all its games: the merge decides\n"
    "  --svg DIR         draw every game as DIR/game-NNN.svg\n"
    "  --dir1 DIR        the first engine's working folder (made if missing) instead of fresh\n"
    "                    ones: a brain runs there, a move-file engine gets its files there\n"
    "  --dir2 DIR        the same for the second engine\n"
    "  --messages        keep the brains' MESSAGE lines in the records\n"
    "  --board N         an N x N board, 15 to 20 (default 20); below 20 brains only\n"
    "  --exact-five      only exactly five in a row wins (brains are told INFO rule 1)\n"
    "  --renju           renju (brains only, told INFO rule 4): x wins by exactly five and\n"
    "                    loses by a three-three, four-four or overline; o wins by five or more\n"
    "  --concurrency N   games played at the same time (default 1; see the README for a fair\n"
    "                    setting), each by its own engine processes in their own folders\n"
    "  --sprt ELO0,ELO1[,ALPHA,BETA]\n"
    "                    a sequential test on game pairs: ends once H1 (A - B is ELO1) or H0\n"
    "                    (it is ELO0) is accepted, ALPHA and BETA their error rates (default\n"
    "                    0.05 each); the LLR and its bounds show on the progress line\n"
    "  --merge DIR...    the result of the runs whose records are in the folders (the shards of\n"
    "                    one match, in any number): the table as below, and the games missing\n"
    "                    or there twice\n"
    "  --replay RECORD   show a recorded game: the final board with move numbers\n"
    "  --each            with --replay: the board after every move instead\n"
    "  --help            show this text\n"
    "\n"
    "While it runs, a progress line on stderr; at the end, results per engine and colour, the\n"
    "score with its Elo difference, thinking times with the moves that came late (after the\n"
    "engine's time, within the tolerance), and the losses by reason; with --sprt the pairs by A's\n"
    "points (0, 1/2, 1, 3/2, 2), the LLR with its bounds and the verdict.\n"
    "exit status: 0 done (with --sprt whichever the verdict: H1, H0 or inconclusive),\n"
    "1 no game was played out (every game ended by an engine's fault),\n"
    "a record or picture could not be written, a replay or openings file could not be read,\n"
    "with --merge a folder without a readable match.result or runs of different matches;\n"
    "2 bad usage, 130 stopped by a signal (with --merge: 0 whatever games are missing)\n";

struct TMatchArgs {
  bool Help = false;
  std::vector<std::string> Engines;
  TMatchOptions Options;
  std::string OpeningsFile;
  std::string RecordsDir, SvgDir;
  std::array<std::string, 2> WorkDirs;
  std::string Replay;
  bool Each = false;
  std::optional<TSprtSettings> Sprt;
  bool Merge = false;  // the positional arguments are folders to merge
  bool GamesGiven = false;
  std::vector<std::string> Given;  // the options of a match that were named
};

// "ELO0,ELO1[,ALPHA,BETA]".
std::optional<std::string> ParseSprt(std::string_view text, TSprtSettings& sprt) {
  std::vector<double> values;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view field = text.substr(0, comma);
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
        !std::isfinite(value))
      return "--sprt takes ELO0,ELO1[,ALPHA,BETA], numbers; not '" + std::string(field) + "'";
    values.push_back(value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (values.size() != 2 && values.size() != 4) return "--sprt takes 2 or 4 numbers";
  sprt.Elo0 = values[0];
  sprt.Elo1 = values[1];
  if (values.size() == 4) {
    sprt.Alpha = values[2];
    sprt.Beta = values[3];
  }
  // Beyond about 1000 Elo a score is 0 or 1 to double precision.
  if (!(sprt.Elo0 < sprt.Elo1) || sprt.Elo0 < -1000 || sprt.Elo1 > 1000)
    return "--sprt needs -1000 <= ELO0 < ELO1 <= 1000";
  if (!(sprt.Alpha > 0 && sprt.Alpha < 0.5 && sprt.Beta > 0 && sprt.Beta < 0.5))
    return "--sprt needs ALPHA and BETA above 0 and below 0.5";
  return std::nullopt;
}

std::optional<std::string> ParseArgs(TArgs args, TMatchArgs& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
      continue;
    }
    if (arg == "--each") {
      parsed.Each = true;
      continue;
    }
    if (arg.starts_with("--") && arg != "--replay") parsed.Given.emplace_back(arg);
    if (arg == "--messages") {
      parsed.Options.KeepMessages = true;
      continue;
    }
    if (arg == "--exact-five") {
      parsed.Options.ExactlyFive = true;
      continue;
    }
    if (arg == "--merge") {
      parsed.Merge = true;
      continue;
    }
    if (arg == "--renju") {
      parsed.Options.Renju = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      parsed.Engines.emplace_back(arg);
      continue;
    }
    const bool text = arg == "--openings" || arg == "--records" || arg == "--svg" ||
                      arg == "--replay" || arg == "--dir1" || arg == "--dir2" || arg == "--sprt" ||
                      arg == "--shard";
    const bool number = arg == "--games" || arg == "--move-time" || arg == "--game-time" ||
                        arg == "--tolerance" || arg == "--seed" || arg == "--concurrency" ||
                        arg == "--board";
    if (!text && !number) return "unknown option '" + std::string(arg) + "'";
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    const std::string_view value = args[++i];
    if (arg == "--openings") parsed.OpeningsFile = value;
    if (arg == "--records") parsed.RecordsDir = value;
    if (arg == "--svg") parsed.SvgDir = value;
    if (arg == "--replay") parsed.Replay = value;
    if (arg == "--sprt") {
      if (const auto error = ParseSprt(value, parsed.Sprt.emplace())) return error;
    }
    if (arg == "--shard") {
      const std::size_t slash = value.find('/');
      const auto index = ParseNumber(value.substr(0, slash));
      const auto count =
          slash == std::string_view::npos ? std::nullopt : ParseNumber(value.substr(slash + 1));
      if (!index || !count || *count < 1 || *count > kMaxMatchGames || *index < 0 ||
          *index >= *count)
        return "--shard takes I/N, whole numbers with 0 <= I < N <= " +
               std::to_string(kMaxMatchGames) + "; not '" + std::string(value) + "'";
      parsed.Options.ShardIndex = static_cast<int>(*index);
      parsed.Options.ShardCount = static_cast<int>(*count);
    }
    if (arg == "--dir1" || arg == "--dir2") {
      if (value.empty()) return std::string(arg) + " needs a folder";
      parsed.WorkDirs[arg == "--dir1" ? 0 : 1] = value;
    }
    if (!number) continue;
    const auto n = ParseNumber(value);
    // Whole milliseconds up to a day, game counts up to a million: enough, and no overflow.
    const int64_t most = arg == "--seed"          ? 4294967295
                         : arg == "--games"       ? kMaxMatchGames
                         : arg == "--concurrency" ? 64
                                                  : 86400000;
    if (!n || *n < 0 || *n > most)
      return std::string(arg) + " takes a whole number from 0 to " + std::to_string(most) +
             ", not '" + std::string(value) + "'";
    if (arg == "--games") {
      parsed.Options.Games = static_cast<int>(*n);
      parsed.GamesGiven = true;
    }
    if (arg == "--move-time") parsed.Options.MoveTimeMs = *n;
    if (arg == "--game-time") parsed.Options.GameTimeMs = *n > 0 ? std::optional(*n) : std::nullopt;
    if (arg == "--tolerance") parsed.Options.ToleranceMs = *n;
    if (arg == "--seed") parsed.Options.Seed = static_cast<uint32_t>(*n);
    if (arg == "--concurrency") parsed.Options.Concurrency = static_cast<int>(*n);
    if (arg == "--board") {
      if (*n < 15 || *n > kBoardSize)
        return "--board takes 15 to 20, not '" + std::string(value) + "'";
      parsed.Options.BoardSize = static_cast<int>(*n);
    }
  }
  if (parsed.Help) return std::nullopt;
  if (!parsed.Replay.empty()) {
    if (!parsed.Engines.empty()) return "--replay takes no engines";
    if (!parsed.Given.empty())
      return parsed.Given.front() +
             " does not go with --replay, which shows the recorded game as it was played (on the "
             "record's board, by its rule)";
    return std::nullopt;
  }
  if (parsed.Each) return "--each goes with --replay";
  if (parsed.Merge) {
    if (parsed.Given.size() > 1)
      return parsed.Given.front() == "--merge" ? parsed.Given[1] + " does not go with --merge"
                                               : parsed.Given.front() + " does not go with --merge";
    if (parsed.Engines.empty()) return "--merge needs the folders of the runs to merge";
    return std::nullopt;
  }
  const auto named = [&](std::string_view option) {
    return std::find(parsed.Given.begin(), parsed.Given.end(), option) != parsed.Given.end();
  };
  if (named("--seed") && !parsed.OpeningsFile.empty())
    return "--seed chooses random openings; with --openings none are drawn";
  if (named("--shard") && parsed.RecordsDir.empty())
    return "--shard needs --records, the folder its results are merged from";
  if (parsed.Options.KeepMessages && parsed.RecordsDir.empty())
    return "--messages keeps the brains' MESSAGE lines in the records: it needs --records";
  if (parsed.Sprt && !parsed.GamesGiven) parsed.Options.Games = 20000;
  if (parsed.Engines.size() != 2) return "two engines needed, each file:PATH or pipe:PATH";
  if (parsed.Options.Games == 0) return "--games must be at least 1";
  // An empty shard would be a run of no game: more shards than pairs is a mistake in the count.
  if (parsed.Options.ShardIndex >= (parsed.Options.Games + 1) / 2)
    return "--shard " + std::to_string(parsed.Options.ShardIndex) + "/" +
           std::to_string(parsed.Options.ShardCount) + " has no game: a match of " +
           std::to_string(parsed.Options.Games) + " games has " +
           std::to_string((parsed.Options.Games + 1) / 2) + " pairs";
  if (parsed.Options.MoveTimeMs == 0) return "--move-time must be at least 1";
  if (parsed.Options.Concurrency == 0) return "--concurrency must be at least 1";
  // The move files hold a 20 x 20 board: a move-file engine cannot be told another.
  if (parsed.Options.BoardSize != kBoardSize)
    for (const std::string& engine : parsed.Engines)
      if (engine.starts_with("file:")) return "--board below 20 needs brain engines (pipe:)";
  if (parsed.Options.Renju && parsed.Options.ExactlyFive)
    return "--renju and --exact-five are two rules: choose one";
  // A move-file engine cannot be told the rule: as x it would play the forbidden moves.
  if (parsed.Options.Renju)
    for (const std::string& engine : parsed.Engines)
      if (engine.starts_with("file:")) return "--renju needs brain engines (pipe:)";
  if (parsed.Options.KeepMessages &&
      std::none_of(parsed.Engines.begin(), parsed.Engines.end(),
                   [](const std::string& engine) { return engine.starts_with("pipe:"); }))
    return "--messages keeps the brains' MESSAGE lines; move-file engines send none";
  // Games in parallel each need folders of their own; one given folder would be shared.
  if (parsed.Options.Concurrency > 1 && !(parsed.WorkDirs[0] + parsed.WorkDirs[1]).empty())
    return "--dir1 and --dir2 cannot go with --concurrency above 1";
  return std::nullopt;
}

std::string Clock(int64_t seconds) {
  std::ostringstream text;
  text << seconds / 60 << ':' << std::setw(2) << std::setfill('0') << seconds % 60;
  return text.str();
}

std::string Score(double points) {
  std::ostringstream text;
  text << points;
  return text.str();
}

double Points(const TEngineStats& stats) {
  return stats.TotalWins() + 0.5 * stats.TotalDraws();
}

// Two decimals, and no "-0.00" for a value a trace below zero.
std::string Llr(double llr) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << std::round(llr * 100) / 100 + 0.0;
  return text.str();
}

// Whole or not at all: a watcher of the folder never reads half a record.
bool WriteText(const std::filesystem::path& path, const std::string& text, std::ostream& err) {
  std::string error;
  if (ReplaceFile(path, text, error)) return true;
  err << "zarvo match: " << error << '\n';
  return false;
}

// The games left in progress by a match that ended (or an earlier one that was killed): no
// watcher must take them for games still being played.
void RemoveGamesSoFar(const std::filesystem::path& dir) {
  std::error_code error;
  for (auto entry = std::filesystem::directory_iterator(dir, error);
       !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    const std::filesystem::path& path = entry->path();
    if (path.extension() == kGameSoFarExtension && path.filename().string().starts_with("game-")) {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  }
}

// The games this run plays: the match's, or its shard's.
int PlannedGames(const TMatchArgs& args) {
  return static_cast<int>(GamesOfShard(args.Options).size());
}

// Adds text at the end of the file; a run killed meanwhile leaves at most a line cut short,
// which a reader of the file leaves out.
bool AppendText(const std::filesystem::path& path, const std::string& text, std::ostream& err) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text;
  if (out.flush()) return true;
  err << "zarvo match: cannot write '" << path.string() << "'\n";
  return false;
}

// match.live: what a watcher of the records folder is told of the match as a whole; and the
// result file for merging, begun with the match's header and ended with how the run ended.
bool WriteMatchState(const TMatchArgs& args, TMatchProgress progress, std::ostream& err) {
  if (args.RecordsDir.empty()) return true;
  const std::filesystem::path dir(args.RecordsDir);
  if (progress == TMatchProgress::Playing) RemoveGamesSoFar(dir);
  bool written =
      WriteText(dir / kMatchFileName, MatchStateText({PlannedGames(args), progress}), err);
  if (progress == TMatchProgress::Playing) {
    const TMatchIdentity match =
        IdentityOf({args.Engines[0], args.Engines[1]}, args.Options, args.Sprt);
    written &=
        WriteText(dir / kResultFileName,
                  RunHeaderText(match, args.Options.ShardIndex, args.Options.ShardCount), err);
  } else {
    written &= AppendText(dir / kResultFileName, RunEndLine(progress), err);
    RemoveGamesSoFar(dir);
  }
  return written;
}

// The progress line, the line per finished game, the records and pictures, and the sequential
// test's verdict, which ends the match through `stop`.
class TReporter final : public TMatchObserver {
 public:
  TReporter(const TMatchArgs& args, std::atomic<bool>& stop, std::ostream& out, std::ostream& err)
      : args_(args),
        stop_(stop),
        out_(out),
        err_(err),
        planned_(PlannedGames(args)),
        start_(TClock::now()),
        live_(::isatty(2) == 1) {}

  bool WriteFailed() const { return writeFailed_; }
  // The first bound the test crossed, which stands whatever the games still running then do.
  TSprtVerdict Verdict() const { return verdict_; }

  void MovePlayed(const TGameRecord& game, const TMatchResult& soFar) override {
    // The game so far, for a watcher; a failure is said once, not at every move.
    if (!args_.RecordsDir.empty() && !liveWriteFailed_ &&
        !WriteText(std::filesystem::path(args_.RecordsDir) /
                       GameFileName(game.Number, kGameSoFarExtension),
                   GameSoFarText(game), err_))
      liveWriteFailed_ = writeFailed_ = true;
    // On a terminal the line is redrawn, at most ten times a second.
    if (!live_ || TClock::now() - lastDrawn_ < std::chrono::milliseconds(100)) return;
    Draw(soFar, "game " + std::to_string(game.Number) + " move " +
                    std::to_string(game.Opening.size() + game.Moves.size() + 1));
  }

  void GameFinished(const TGameRecord& game, const TMatchResult& soFar) override {
    ClearLine();
    out_ << "game " << game.Number << ": " << EngineName(game, 'x') << " as x, "
         << EngineName(game, 'o') << " as o: " << OutcomeName(game.Outcome) << " ("
         << ReasonName(game.Reason) << (game.Detail.empty() ? "" : ": " + game.Detail) << ")\n"
         << std::flush;
    if (!args_.RecordsDir.empty()) {
      const std::filesystem::path dir(args_.RecordsDir);
      writeFailed_ |=
          !WriteText(dir / GameFileName(game.Number, kRecordExtension), RecordText(game), err_);
      // After the record: a watcher finds the game in one file or the other at every moment.
      std::error_code ignored;
      std::filesystem::remove(dir / GameFileName(game.Number, kGameSoFarExtension), ignored);
      writeFailed_ |= !AppendText(dir / kResultFileName,
                                  GameResultLine(game, soFar.GameStats.at(game.Number)), err_);
    }
    if (!args_.SvgDir.empty())
      writeFailed_ |=
          !WriteText(std::filesystem::path(args_.SvgDir) / GameFileName(game.Number, ".svg"),
                     GameSvg(game), err_);
    // A shard plays all its games: whether the test is decided is the merge's to say.
    if (args_.Sprt && args_.Options.ShardCount == 1 && verdict_ == TSprtVerdict::Continue) {
      // No new game once a bound is crossed; those running are given up.
      verdict_ =
          SprtVerdictOf(SprtLlr(PairsOfGames(soFar.Games), *args_.Sprt), SprtBounds(*args_.Sprt));
      if (verdict_ != TSprtVerdict::Continue) stop_.store(true);
    }
    Draw(soFar, "");
    if (!live_) err_ << '\n';
  }

  void ClearLine() {
    if (live_ && drawn_) err_ << "\r\033[K" << std::flush;
    drawn_ = false;
  }

 private:
  using TClock = std::chrono::steady_clock;

  // "A" for the first engine named, "B" for the second.
  std::string EngineName(const TGameRecord& game, char colour) const {
    const bool firstIsX = game.Number % 2 == 1;
    return (colour == 'x') == firstIsX ? "A" : "B";
  }

  void Draw(const TMatchResult& soFar, const std::string& inGame) {
    const int played = static_cast<int>(soFar.Games.size());
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(TClock::now() - start_).count();
    std::ostringstream line;
    line << "games " << played << '/' << planned_;
    if (!inGame.empty()) line << " (" << inGame << ')';
    line << "  A " << Score(Points(soFar.Engines[0])) << " - " << Score(Points(soFar.Engines[1]))
         << " B";
    if (args_.Sprt) {
      const TSprtBounds bounds = SprtBounds(*args_.Sprt);
      line << "  LLR " << Llr(SprtLlr(PairsOfGames(soFar.Games), *args_.Sprt)) << " ("
           << Llr(bounds.Lower) << ", " << Llr(bounds.Upper) << ')';
    }
    line << "  elapsed " << Clock(elapsed) << "  left ";
    if (played == 0)
      line << '?';
    else
      line << '~' << Clock(elapsed * (planned_ - played) / played);
    if (live_) err_ << "\r\033[K";
    err_ << line.str() << std::flush;
    drawn_ = true;
    lastDrawn_ = TClock::now();
  }

  const TMatchArgs& args_;
  std::atomic<bool>& stop_;
  std::ostream& out_;
  std::ostream& err_;
  TSprtVerdict verdict_ = TSprtVerdict::Continue;
  int planned_;  // the games this run plays
  TClock::time_point start_;
  TClock::time_point lastDrawn_{};
  bool live_;
  bool drawn_ = false;
  bool writeFailed_ = false;
  bool liveWriteFailed_ = false;
};

void PrintSprt(std::ostream& out, const TSprtSettings& sprt, const TMatchResult& result,
               TSprtVerdict verdict) {
  const TPentanomial pairs = PairsOfGames(result.Games);
  const TSprtBounds bounds = SprtBounds(sprt);
  out << std::defaultfloat << std::setprecision(6) << "\nSPRT  H0: A - B = " << sprt.Elo0
      << " Elo, H1: " << sprt.Elo1 << " Elo, alpha " << sprt.Alpha << ", beta " << sprt.Beta << '\n'
      << "Pairs by A's points   0  1/2    1  3/2    2\n                  ";
  int total = 0;
  for (const int count : pairs) {
    out << std::setw(5) << count;
    total += count;
  }
  out << "   (" << total << " pairs)\n"
      << "LLR " << Llr(SprtLlr(pairs, sprt)) << ", bounds " << Llr(bounds.Lower) << " and "
      << Llr(bounds.Upper) << ": ";
  switch (verdict) {
    case TSprtVerdict::AcceptH1:
      out << "H1 accepted (" << sprt.Elo1 << " Elo rather than " << sprt.Elo0 << ")\n";
      break;
    case TSprtVerdict::AcceptH0:
      out << "H0 accepted (" << sprt.Elo0 << " Elo rather than " << sprt.Elo1 << ")\n";
      break;
    case TSprtVerdict::Continue:
      out << "inconclusive\n";
      break;
  }
}

void PrintResults(std::ostream& out, const std::array<std::string, 2>& engines,
                  const TMatchResult& result) {
  const char* names[2] = {"A", "B"};
  out << "\nEngines\n";
  for (int e = 0; e < 2; ++e) out << "  " << names[e] << "  " << engines[e] << '\n';

  out << "\nResults        games   wins  losses  draws\n";
  for (int e = 0; e < 2; ++e) {
    const TEngineStats& s = result.Engines[e];
    const auto row = [&](const std::string& label, int wins, int losses, int draws) {
      out << "  " << std::left << std::setw(11) << label << std::right << std::setw(6)
          << wins + losses + draws << std::setw(7) << wins << std::setw(8) << losses << std::setw(7)
          << draws << '\n';
    };
    row(std::string(names[e]) + " as x", s.Wins[0], s.Losses[0], s.Draws[0]);
    row(std::string(names[e]) + " as o", s.Wins[1], s.Losses[1], s.Draws[1]);
    row(std::string(names[e]) + " total", s.TotalWins(), s.TotalLosses(), s.TotalDraws());
  }

  const TEngineStats& a = result.Engines[0];
  const int games = static_cast<int>(result.Games.size());
  const TEloEstimate elo = EstimateElo(a.TotalWins(), a.TotalLosses(), a.TotalDraws());
  out << "\nScore A - B: " << Score(Points(a)) << " - " << Score(Points(result.Engines[1]))
      << " in " << games << " games";
  if (games > 0) out << " (" << std::fixed << std::setprecision(1) << 100 * elo.Score << " %)";
  out << std::defaultfloat << '\n';
  out << "Elo difference A - B: ";
  if (games == 0) {
    out << "none (no game played)\n";
  } else if (!elo.Difference) {
    out << (elo.Score > 0.5 ? "A" : "B") << " scored every point, no finite estimate\n";
  } else {
    // + 0.0 turns a negative zero into a plain one.
    out << std::showpos << std::fixed << std::setprecision(1) << *elo.Difference + 0.0
        << std::noshowpos << " +- ";
    if (elo.Margin)
      out << *elo.Margin;
    else
      out << "unbounded";
    out << " (95 %)" << std::defaultfloat << '\n';
  }

  // Late: answered after its time but within the tolerance; "most over" by how much at most.
  out << "\nThinking time  moves  mean ms  max ms   late  most over ms\n";
  for (int e = 0; e < 2; ++e) {
    const TEngineStats& s = result.Engines[e];
    out << "  " << std::left << std::setw(11) << names[e] << std::right << std::setw(6) << s.Moves
        << std::setw(9) << (s.Moves ? s.ThinkSumMs / s.Moves : 0) << std::setw(8) << s.ThinkMaxMs
        << std::setw(7) << s.LateMoves << std::setw(14) << s.LateMaxMs << '\n';
  }
  out << "\nLosses by reason\n";
  for (int e = 0; e < 2; ++e) {
    out << "  " << names[e] << ": ";
    if (result.Engines[e].LossReasons.empty()) out << "none";
    bool first = true;
    for (const auto& [reason, count] : result.Engines[e].LossReasons) {
      out << (first ? "" : ", ") << ReasonName(reason) << ' ' << count;
      first = false;
    }
    out << '\n';
  }
}

std::atomic<bool> StopRequested{false};

extern "C" void OnStopSignal(int) {
  StopRequested.store(true);
}

// SIGINT and SIGTERM end the match after the current move instead of killing the runner with its
// engines still running; the old handlers come back when the match is over.
class TStopSignals {
 public:
  TStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~TStopSignals() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

// "3-8, 15, 20-21" for 3 4 5 6 7 8 15 20 21 (sorted); "none" for none.
std::string NumberRanges(const std::vector<int>& numbers) {
  if (numbers.empty()) return "none";
  std::string text;
  for (std::size_t i = 0; i < numbers.size();) {
    std::size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
    if (j > i) text += "-" + std::to_string(numbers[j]);
    i = j + 1;
  }
  return text;
}

// The runs' folders as a message lists them.
std::string FolderList(const TMatchArgs& args, const std::vector<std::size_t>& runs) {
  std::string text;
  for (const std::size_t run : runs) text += (text.empty() ? "" : ", ") + args.Engines[run];
  return text;
}

int Merge(const TMatchArgs& args, std::ostream& out, std::ostream& err) {
  std::vector<TRunResult> runs;
  for (const std::string& dir : args.Engines) {
    const std::filesystem::path path = std::filesystem::path(dir) / kResultFileName;
    const auto text = ReadInput(path, kMatchResultInput, "match", err);
    if (!text) return 1;
    std::istringstream in(*text);
    std::string error;
    auto run = ParseRunResult(in, error);
    if (!run) {
      err << "zarvo match: '" << path.string() << "': " << error << '\n';
      return 1;
    }
    runs.push_back(std::move(*run));
  }
  std::string error;
  const auto merged = MergeRuns(runs, error);
  if (!merged) {
    err << "zarvo match: " << error << " (" << args.Engines[0] << " and the others named)\n";
    return 1;
  }
  const int games = merged->Match.Games;
  out << "Merged " << runs.size() << (runs.size() == 1 ? " run" : " runs") << " of a match of "
      << games << " games: " << merged->Result.Games.size() << " games in\n"
      << "Missing games: " << NumberRanges(merged->Missing) << '\n'
      << "Games in more than one run (counted once): " << NumberRanges(merged->Duplicated) << '\n';
  if (!merged->Unended.empty())
    out << "Runs still playing, or killed: " << FolderList(args, merged->Unended) << '\n';
  if (!merged->Stopped.empty())
    out << "Runs stopped early: " << FolderList(args, merged->Stopped) << '\n';
  PrintResults(out, merged->Match.Engines, merged->Result);
  if (merged->Match.Sprt) {
    const TSprtSettings& sprt = *merged->Match.Sprt;
    PrintSprt(out, sprt, merged->Result,
              SprtVerdictOf(SprtLlr(PairsOfGames(merged->Result.Games), sprt), SprtBounds(sprt)));
  }
  return 0;
}

int Replay(const TMatchArgs& args, std::ostream& out, std::ostream& err) {
  const auto record = ReadRecordFile(args.Replay, "match", err);
  if (!record) return 1;
  const int size = record->BoardSize;
  out << "Game " << record->Number << " (" << size << " x " << size << ", "
      << RuleName(record->ExactlyFive, record->Renju) << ")\n  x: " << record->XEngine
      << "\n  o: " << record->OEngine << "\n";
  const std::vector<TSquare> stones = record->Stones();
  const TGameBoard final = record->FinalBoard();
  const std::vector<TSquare> five = record->WinningLine();
  if (args.Each) {
    TGameBoard board = BoardOf(record->Opening, size);
    out << "\nOpening (" << record->Opening.size() << " stones)\n";
    PrintBoard(out, board, {});
    std::size_t index = record->Opening.size();
    for (const TPlayedMove& move : record->Moves) {
      board.Place(move.Square, ColourOfStone(index));
      out << "\nMove " << index + 1 << ": " << ColourOfStone(index) << ' '
          << SquareText(move.Square) << " (" << move.ThinkMs << " ms)\n";
      ++index;
      PrintBoard(out, board, {move.Square});
    }
  } else {
    // Every stone with its number and colour: "12x"; the winning five in upper case.
    out << "\nFinal board: stone numbers in play order (opening 1-" << record->Opening.size()
        << "), the winning five in upper case\n    ";
    for (int x = 0; x < size; ++x) out << std::setw(4) << x;
    out << '\n';
    std::array<int, kBoardSize * kBoardSize> number{};
    for (std::size_t i = 0; i < stones.size(); ++i)
      number[stones[i].Y * kBoardSize + stones[i].X] = static_cast<int>(i + 1);
    for (int y = 0; y < size; ++y) {
      out << std::setw(4) << y;
      for (int x = 0; x < size; ++x) {
        const int n = number[y * kBoardSize + x];
        if (n == 0) {
          out << "   .";
          continue;
        }
        char c = final.At({x, y});
        if (std::find(five.begin(), five.end(), TSquare{x, y}) != five.end())
          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        out << std::setw(3) << n << c;
      }
      out << '\n';
    }
  }
  out << "\nResult: " << OutcomeName(record->Outcome) << " (" << ReasonName(record->Reason)
      << (record->Detail.empty() ? "" : ": " + record->Detail) << ")\n";
  return 0;
}

}  // namespace

int RunMatch(TArgs args, std::ostream& out, std::ostream& err) {
  TMatchArgs parsed;
  if (const auto error = ParseArgs(args, parsed)) {
    err << "zarvo match: " << *error << " (see 'zarvo match --help')\n";
    return 2;
  }
  if (parsed.Help) {
    out << kMatchUsage;
    return 0;
  }
  if (!parsed.Replay.empty()) return Replay(parsed, out, err);
  if (parsed.Merge) return Merge(parsed, out, err);

  if (!parsed.OpeningsFile.empty()) {
    auto text = ReadInput(parsed.OpeningsFile, kOpeningsInput, "match", err);
    if (!text) return 1;
    std::istringstream in(std::move(*text));
    std::string error;
    auto openings = ParseOpenings(in, error);
    if (!openings || openings->empty()) {
      err << "zarvo match: '" << parsed.OpeningsFile
          << "': " << (openings ? "no opening in it" : error) << '\n';
      return 1;
    }
    for (const TOpening& opening : *openings)
      for (const TSquare& square : opening)
        if (square.X >= parsed.Options.BoardSize || square.Y >= parsed.Options.BoardSize) {
          err << "zarvo match: '" << parsed.OpeningsFile << "': " << square.X << ',' << square.Y
              << " is off the " << parsed.Options.BoardSize << " x " << parsed.Options.BoardSize
              << " board\n";
          return 1;
        }
    parsed.Options.Openings = std::move(*openings);
  }
  for (const std::string& dir : {parsed.RecordsDir, parsed.SvgDir}) {
    std::error_code error;
    if (!dir.empty() && !std::filesystem::create_directories(dir, error) && error) {
      err << "zarvo match: cannot make '" << dir << "': " << error.message() << '\n';
      return 1;  // an output that cannot be written, like a record that cannot
    }
  }

  std::array<TEngineEntry, 2> entries;
  for (int e = 0; e < 2; ++e) {
    std::string error;
    auto entry = ParseEngineEntry(parsed.Engines[e], error);
    if (!entry) {
      err << "zarvo match: " << error << '\n';
      return 2;
    }
    if (!parsed.WorkDirs[e].empty()) {
      std::error_code fsError;
      std::filesystem::create_directories(parsed.WorkDirs[e], fsError);
      entry->WorkDir = std::filesystem::absolute(parsed.WorkDirs[e], fsError);
      if (fsError || !std::filesystem::is_directory(entry->WorkDir, fsError)) {
        err << "zarvo match: cannot use '" << parsed.WorkDirs[e] << "' as a working folder\n";
        return 2;
      }
    }
    entries[e] = std::move(*entry);
  }

  if (!WriteMatchState(parsed, TMatchProgress::Playing, err)) return 1;
  const TScratchDir scratch;
  StopRequested.store(false);
  parsed.Options.Stop = &StopRequested;
  TMatchResult result;
  TReporter reporter(parsed, StopRequested, out, err);
  try {
    const TStopSignals signals;
    // The engines end inside, while a second signal is still only a request.
    result = zarvo::match::RunMatch(
        [&](int engine) {
          return MakePlayer(entries[engine], parsed.Engines[engine], scratch.Path());
        },
        parsed.Options, &reporter);
  } catch (const std::exception& error) {
    reporter.ClearLine();
    err << "zarvo match: " << error.what() << '\n';
    WriteMatchState(parsed, TMatchProgress::Stopped, err);
    return 1;
  }
  reporter.ClearLine();
  // A stop the test asked for is its end, not an interruption.
  const bool interrupted = result.Stopped && reporter.Verdict() == TSprtVerdict::Continue;
  const bool stateWritten = WriteMatchState(
      parsed, interrupted ? TMatchProgress::Stopped : TMatchProgress::Finished, err);
  if (interrupted) out << "\nStopped after " << result.Games.size() << " games.\n";
  PrintResults(out, {parsed.Engines[0], parsed.Engines[1]}, result);
  if (parsed.Sprt) PrintSprt(out, *parsed.Sprt, result, reporter.Verdict());
  if (!parsed.RecordsDir.empty() && parsed.RecordsDir == parsed.SvgDir) {
    out << "\nRecords and pictures in " << parsed.RecordsDir << '\n';
  } else {
    if (!parsed.RecordsDir.empty()) out << "\nRecords in " << parsed.RecordsDir << '\n';
    if (!parsed.SvgDir.empty()) out << "Pictures in " << parsed.SvgDir << '\n';
  }
  if (interrupted) return 130;
  // A match in which every game ended by an engine's fault measured nothing: most likely an
  // engine cannot play at all (it crashes at start, speaks another protocol).
  const bool playedOut = std::any_of(result.Games.begin(), result.Games.end(), [](const auto& g) {
    return g.Reason == TEndReason::Five || g.Reason == TEndReason::FullBoard;
  });
  if (!playedOut && !result.Games.empty()) {
    err << "zarvo match: no game was played out: every one ended by an engine's fault (see the "
           "losses by reason)\n";
    return 1;
  }
  return reporter.WriteFailed() || !stateWritten ? 1 : 0;
}

}  // namespace zarvo::tool
