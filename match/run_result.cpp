#include "match/run_result.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string_view>

namespace zarvo::match {
namespace {


template <typename TNumber>
std::optional<TNumber> NumberOf(std::string_view text) {
  TNumber value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The shortest text that reads back as the same double.
std::string DoubleText(double value) {
  std::array<char, 32> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), error == std::errc() ? end : text.data());
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    std::string_view part = text.substr(0, at);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    parts.push_back(part);
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// 64-bit FNV-1a over the openings' stones, with a mark between openings.
uint64_t Fingerprint(const std::vector<TOpening>& openings) {
  uint64_t hash = 14695981039346656037ull;
  const auto add = [&](int value) {
    hash = (hash ^ static_cast<uint64_t>(value + 1)) * 1099511628211ull;
  };
  for (const TOpening& opening : openings) {
    for (const TSquare& square : opening) add(square.X * 64 + square.Y);
    add(-1);
  }
  return hash;
}

// "A 12 3400 410 0 0" into stats.
bool ParseEngineFigures(std::string_view text, char name, TEngineStats& stats) {
  const std::vector<std::string_view> words = Split(text, ' ');
  if (words.size() != 6 || words[0] != std::string_view(&name, 1)) return false;
  const auto moves = NumberOf<int>(words[1]), late = NumberOf<int>(words[4]);
  const auto sum = NumberOf<int64_t>(words[2]), most = NumberOf<int64_t>(words[3]),
             lateMost = NumberOf<int64_t>(words[5]);
  if (!moves || !late || !sum || !most || !lateMost || *moves < 0 || *late < 0 || *sum < 0 ||
      *most < 0 || *lateMost < 0)
    return false;
  stats.Moves = *moves;
  stats.ThinkSumMs = *sum;
  stats.ThinkMaxMs = *most;
  stats.LateMoves = *late;
  stats.LateMaxMs = *lateMost;
  return true;
}

// The wins, losses, draws and loss reasons the game's result gives A and B.
void ScoreGame(TGameResult& game) {
  const bool aIsX = game.Number % 2 == 1;
  for (int engine = 0; engine < 2; ++engine) {
    TEngineStats& stats = game.Engines[static_cast<std::size_t>(engine)];
    const int colour = (engine == 0) == aIsX ? 0 : 1;
    if (game.Outcome == TOutcome::Draw) {
      ++stats.Draws[colour];
    } else if ((game.Outcome == TOutcome::XWins) == (colour == 0)) {
      ++stats.Wins[colour];
    } else {
      ++stats.Losses[colour];
      ++stats.LossReasons[game.Reason];
    }
  }
}

std::optional<TGameResult> ParseGameLine(std::string_view number, std::string_view rest) {
  TGameResult game;
  const auto n = NumberOf<int>(number);
  const std::vector<std::string_view> fields = Split(rest, '|');
  if (!n || *n < 1 || fields.size() != 4) return std::nullopt;
  game.Number = *n;
  bool known = false;
  for (const TOutcome outcome : {TOutcome::XWins, TOutcome::OWins, TOutcome::Draw})
    if (OutcomeName(outcome) == fields[0]) game.Outcome = outcome, known = true;
  const auto reason = ReasonOfName(fields[1]);
  if (!known || !reason || !ParseEngineFigures(fields[2], 'A', game.Engines[0]) ||
      !ParseEngineFigures(fields[3], 'B', game.Engines[1]))
    return std::nullopt;
  game.Reason = *reason;
  ScoreGame(game);
  return game;
}

}  // namespace

TMatchIdentity IdentityOf(const std::array<std::string, 2>& engines, const TMatchOptions& options,
                          const std::optional<TSprtSettings>& sprt) {
  TMatchIdentity match;
  match.Engines = engines;
  match.Games = options.Games;
  if (options.Openings.empty()) {
    match.Openings = "seed " + std::to_string(options.Seed);
  } else {
    char fingerprint[17];
    std::snprintf(fingerprint, sizeof fingerprint, "%016llx",
                  static_cast<unsigned long long>(Fingerprint(options.Openings)));
    match.Openings = "file " + std::to_string(options.Openings.size()) + " " + fingerprint;
  }
  match.MoveTimeMs = options.MoveTimeMs;
  match.GameTimeMs = options.GameTimeMs.value_or(0);
  match.ToleranceMs = options.ToleranceMs;
  match.BoardSize = options.BoardSize;
  match.ExactlyFive = options.ExactlyFive;
  match.Renju = options.Renju;
  match.Sprt = sprt;
  return match;
}

std::string RunHeaderText(const TMatchIdentity& match, int shardIndex, int shardCount) {
  std::ostringstream text;
  text << "Engine A: " << match.Engines[0] << "\nEngine B: " << match.Engines[1]
       << "\nGames: " << match.Games << "\nOpenings: " << match.Openings
       << "\nMove time: " << match.MoveTimeMs << "\nGame time: " << match.GameTimeMs
       << "\nTolerance: " << match.ToleranceMs << "\nBoard: " << match.BoardSize
       << "\nRule: " << RuleName(match.ExactlyFive, match.Renju) << '\n';
  if (match.Sprt)
    text << "SPRT: " << DoubleText(match.Sprt->Elo0) << ' ' << DoubleText(match.Sprt->Elo1) << ' '
         << DoubleText(match.Sprt->Alpha) << ' ' << DoubleText(match.Sprt->Beta) << '\n';
  text << "Shard: " << shardIndex << '/' << shardCount << '\n';
  return text.str();
}

std::string GameResultLine(const TGameRecord& game, const std::array<TEngineStats, 2>& stats) {
  std::ostringstream text;
  text << "Game " << game.Number << ": " << OutcomeName(game.Outcome) << " | "
       << ReasonName(game.Reason);
  for (int engine = 0; engine < 2; ++engine) {
    const TEngineStats& s = stats[static_cast<std::size_t>(engine)];
    text << " | " << (engine == 0 ? 'A' : 'B') << ' ' << s.Moves << ' ' << s.ThinkSumMs << ' '
         << s.ThinkMaxMs << ' ' << s.LateMoves << ' ' << s.LateMaxMs;
  }
  text << '\n';
  return text.str();
}

std::string RunEndLine(TMatchProgress progress) {
  return "End: " + std::string(ProgressName(progress)) + "\n";
}

std::optional<TRunResult> ParseRunResult(std::istream& in, std::string& error) {
  TRunResult run;
  // The header's lines in their order; SPRT may be left out.
  constexpr std::array<std::string_view, 11> kHeader{
      "Engine A",  "Engine B", "Games", "Openings", "Move time", "Game time",
      "Tolerance", "Board",    "Rule",  "SPRT",     "Shard"};
  std::size_t header = 0;  // the next header line expected
  std::set<int> numbers;
  std::string line;
  int lineNumber = 0;
  const auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return std::nullopt;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    // Cut short where a run was killed: that game is as good as not played.
    if (in.eof()) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (run.End) return fail("text after the End line");
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) return fail("no 'Key: value' line");
    const std::string_view key = std::string_view(line).substr(0, colon);
    const std::string_view value = std::string_view(line).substr(colon + 2);
    if (header < kHeader.size()) {
      if (key == "Shard" && kHeader[header] == "SPRT") ++header;
      if (key != kHeader[header])
        return fail("'" + std::string(kHeader[header]) + "' expected, not '" +
                    std::string(key.substr(0, 40)) + "'");
      ++header;
      TMatchIdentity& match = run.Match;
      bool good = true;
      if (key == "Engine A" || key == "Engine B") {
        match.Engines[key == "Engine A" ? 0 : 1] = value;
      } else if (key == "Games") {
        // As many as a match plays at most: a merge lists each game missing.
        const auto n = NumberOf<int>(value);
        good = n && *n >= 1 && *n <= kMaxMatchGames;
        match.Games = n.value_or(0);
      } else if (key == "Openings") {
        match.Openings = value;
        good = !value.empty();
      } else if (key == "Move time" || key == "Game time" || key == "Tolerance") {
        const auto n = NumberOf<int64_t>(value);
        good = n && *n >= 0;
        (key == "Move time"   ? match.MoveTimeMs
         : key == "Game time" ? match.GameTimeMs
                              : match.ToleranceMs) = n.value_or(0);
      } else if (key == "Board") {
        const auto n = NumberOf<int>(value);
        good = n && *n >= 15 && *n <= kBoardSize;
        match.BoardSize = n.value_or(kBoardSize);
      } else if (key == "Rule") {
        good = false;
        for (const bool renju : {false, true})
          for (const bool exactlyFive : {false, true})
            if (!(renju && exactlyFive) && value == RuleName(exactlyFive, renju)) {
              good = true;
              match.ExactlyFive = exactlyFive;
              match.Renju = renju;
            }
      } else if (key == "SPRT") {
        const std::vector<std::string_view> words = Split(value, ' ');
        std::array<double, 4> numbers{};
        good = words.size() == numbers.size();
        for (std::size_t i = 0; good && i < numbers.size(); ++i) {
          const auto x = NumberOf<double>(words[i]);
          good = x && std::isfinite(*x);
          numbers[i] = x.value_or(0);
        }
        match.Sprt = TSprtSettings{numbers[0], numbers[1], numbers[2], numbers[3]};
      } else {  // Shard
        const std::vector<std::string_view> parts = Split(value, '/');
        const auto index = NumberOf<int>(parts[0]);
        const auto count = parts.size() == 2 ? NumberOf<int>(parts[1]) : std::nullopt;
        good = index && count && *index >= 0 && *count >= 1 && *index < *count &&
               *count <= kMaxMatchGames;
        run.ShardIndex = index.value_or(0);
        run.ShardCount = count.value_or(1);
      }
      if (!good)
        return fail("bad " + std::string(key) + " '" + std::string(value.substr(0, 40)) + "'");
      continue;
    }
    if (key == "End") {
      run.End = ProgressOfName(value);
      if (!run.End || *run.End == TMatchProgress::Playing)
        return fail("bad End '" + std::string(value.substr(0, 40)) + "'");
      continue;
    }
    if (!key.starts_with("Game ")) return fail("'Game N' or 'End' expected");
    auto game = ParseGameLine(key.substr(5), value);
    if (!game) return fail("bad game line");
    if (game->Number > run.Match.Games || (game->Number - 1) / 2 % run.ShardCount != run.ShardIndex)
      return fail("game " + std::to_string(game->Number) + " is not one of shard " +
                  std::to_string(run.ShardIndex) + "/" + std::to_string(run.ShardCount));
    if (!numbers.insert(game->Number).second)
      return fail("game " + std::to_string(game->Number) + " twice");
    run.Games.push_back(std::move(*game));
  }
  if (header < kHeader.size()) {
    error = "the header ends early";
    return std::nullopt;
  }
  return run;
}

}  // namespace zarvo::match
