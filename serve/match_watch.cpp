#include "serve/match_watch.h"

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

#include "base/regular_file.h"
#include "match/game_rules.h"
#include "match/match_folder.h"
#include "serve/json_text.h"

namespace zarvo::serve {
namespace {

using match::TGameRecord;

constexpr std::size_t kLargestRecord = std::size_t{1} << 20;  // a record is a few kilobytes

// The game in the file, finished or not; nothing with the reason in error.
std::optional<TGameRecord> ReadGame(const std::filesystem::path& path, bool& finished,
                                    std::string& error) {
  std::string text;
  const TFileStatus status = ReadRegularFile(path, kLargestRecord, text);
  if (status != TFileStatus::Done) {
    error = std::string(DescribeFileStatus(status));
    return std::nullopt;
  }
  std::istringstream in(std::move(text));
  return match::ParseGameSoFar(in, error, finished);
}

std::string GameJson(const TGameRecord& game, bool finished) {
  std::string json = "{\"number\":" + std::to_string(game.Number) +
                     ",\"xPlayer\":" + JsonString(game.XEngine) +
                     ",\"oPlayer\":" + JsonString(game.OEngine) +
                     ",\"boardSize\":" + std::to_string(game.BoardSize) +
                     ",\"exactlyFive\":" + (game.ExactlyFive ? "true" : "false") +
                     ",\"opening\":" + std::to_string(game.Opening.size()) +
                     ",\"stones\":" + JsonSquares(game.Stones());
  if (finished) {
    json += ",\"result\":" + JsonString(match::OutcomeName(game.Outcome)) +
            ",\"reason\":" + JsonString(match::ReasonName(game.Reason)) +
            ",\"detail\":" + JsonString(game.Detail) +
            ",\"five\":" + JsonSquares(game.WinningLine());
  }
  return json + "}";
}

std::string Games(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " game" : " games");
}

}  // namespace

TMatchWatch::TMatchWatch(std::filesystem::path folder) : folder_(std::move(folder)) {
  Poll();
}

bool TMatchWatch::Poll() {
  std::string body = Body();
  if (body == body_ && version_ != 0) return false;
  body_ = std::move(body);
  ++version_;
  return true;
}

std::string TMatchWatch::StateJson() const {
  return "{\"version\":" + std::to_string(version_) + "," + body_ + "}";
}

std::string TMatchWatch::Body() {
  const std::string folderName = folder_.string();
  std::string status, problem;
  std::vector<std::string> problems;
  std::vector<const TGameRecord*> finished;
  std::vector<TGameRecord> live;
  std::optional<match::TMatchState> match;
  std::error_code error;

  // 1. The folder: it may not be there yet when the page is opened before the match.
  if (!std::filesystem::is_directory(folder_, error)) {
    records_.clear();
    lastGood_.clear();
    problems.push_back(std::filesystem::exists(folder_, error)
                           ? "'" + folderName + "' is not a folder."
                           : "There is no folder '" + folderName +
                                 "' (yet): a match started with --records " + folderName +
                                 " makes it.");
  } else {
    // 2. Its files, by kind; records are read again only when they changed.
    std::map<std::string, TRecordSeen> records;
    std::vector<std::string> gamesSoFar;
    bool haveMatchFile = false;
    for (auto entry = std::filesystem::directory_iterator(folder_, error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
      const std::filesystem::path& path = entry->path();
      const std::string name = path.filename().string();
      if (name == match::kMatchFileName) {
        haveMatchFile = true;
      } else if (path.extension() == match::kGameSoFarExtension && name.starts_with("game-")) {
        gamesSoFar.push_back(name);
      } else if (path.extension() == match::kRecordExtension) {
        std::error_code statError;
        TRecordSeen seen;
        seen.Time = std::filesystem::last_write_time(path, statError);
        seen.Size = std::filesystem::file_size(path, statError);
        const auto known = records_.find(name);
        if (!statError && known != records_.end() && known->second.Time == seen.Time &&
            known->second.Size == seen.Size) {
          records.emplace(name, std::move(known->second));
          continue;
        }
        bool done = false;
        seen.Game = ReadGame(path, done, seen.Error);
        if (seen.Game && !done) {
          seen.Game.reset();
          seen.Error = "the game in it is not finished";
        }
        records.emplace(name, std::move(seen));
      }
    }
    if (error) problems.push_back("'" + folderName + "' cannot be read: " + error.message());
    records_ = std::move(records);
    for (const auto& [name, seen] : records_) {
      if (seen.Game)
        finished.push_back(&*seen.Game);
      else
        problems.push_back(name + " is left out: " + seen.Error + ".");
    }
    std::sort(finished.begin(), finished.end(),
              [](const TGameRecord* a, const TGameRecord* b) { return a->Number < b->Number; });

    // 3. The games in progress; one whose record is there has ended (its file goes next).
    std::sort(gamesSoFar.begin(), gamesSoFar.end());
    std::map<std::string, TGameRecord> lastGood;
    for (const std::string& name : gamesSoFar) {
      const std::string stem = name.substr(0, name.size() - match::kGameSoFarExtension.size());
      if (records_.count(stem + std::string(match::kRecordExtension))) continue;
      bool done = false;
      std::string why;
      auto game = ReadGame(folder_ / name, done, why);
      if (game) {
        lastGood[name] = *game;
      } else if (why != DescribeFileStatus(TFileStatus::Missing)) {
        // Never a wrong board: the last position read whole stays until the next good read.
        const auto known = lastGood_.find(name);
        problems.push_back(
            name + " cannot be read just now: " + why + "." +
            (known != lastGood_.end() ? " The board shows its last good position." : ""));
        if (known != lastGood_.end()) lastGood[name] = known->second;
      }
    }
    lastGood_ = std::move(lastGood);
    for (const auto& [name, game] : lastGood_) live.push_back(game);
    std::sort(live.begin(), live.end(),
              [](const TGameRecord& a, const TGameRecord& b) { return a.Number < b.Number; });

    // 4. The match as a whole.
    if (haveMatchFile) {
      std::string text, why;
      const TFileStatus read =
          ReadRegularFile(folder_ / match::kMatchFileName, kLargestRecord, text);
      if (read == TFileStatus::Done) match = match::ParseMatchState(text, why);
      if (read != TFileStatus::Done) why = DescribeFileStatus(read);
      if (!match && read != TFileStatus::Missing)
        problems.push_back(std::string(match::kMatchFileName) + " cannot be read: " + why + ".");
    }
  }

  // 5. One sentence for where the match is.
  const std::size_t done = finished.size();
  std::string state = "none";
  if (!std::filesystem::is_directory(folder_, error)) {
    status = "Waiting for the folder.";
  } else if (match && match->Progress == match::TMatchProgress::Playing) {
    state = "playing";
    if (!live.empty())
      status = "Playing game " + std::to_string(live.front().Number) + " of " +
               std::to_string(match->Games) + " (" + std::to_string(done) + " finished).";
    else
      status = "Between games: " + std::to_string(done) + " of " + std::to_string(match->Games) +
               " finished.";
  } else if (match) {
    state = match->Progress == match::TMatchProgress::Finished ? "finished" : "stopped";
    status = (state == "finished" ? "The match has ended: " : "The match was stopped: ") +
             Games(done) + " played.";
  } else if (done > 0 || !live.empty()) {
    state = "records";
    status = "No match is being played here: " + Games(done) + " recorded.";
  } else {
    status = "No match in '" + folderName + "' yet: waiting for 'zarvo match --records " +
             folderName + "' to start.";
  }
  for (const std::string& line : problems) problem += (problem.empty() ? "" : " ") + line;

  std::string json = "\"mode\":\"watch\",\"folder\":" + JsonString(folderName) +
                     ",\"match\":" + JsonString(state) + ",\"status\":" + JsonString(status) +
                     ",\"problem\":" + JsonString(problem) + ",\"finished\":[";
  for (std::size_t i = 0; i < finished.size(); ++i)
    json += (i ? "," : "") + GameJson(*finished[i], true);
  json += "],\"live\":[";
  for (std::size_t i = 0; i < live.size(); ++i) json += (i ? "," : "") + GameJson(live[i], false);
  return json + "]";
}

}  // namespace zarvo::serve
