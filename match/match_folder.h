// The folder 'zarvo match --records DIR' writes, as a watcher ('zarvo serve --watch DIR') reads it:
//   game-NNN.txt   the record of finished game NNN
//   game-NNN.live  game NNN so far, replaced after every move; removed once its record is there
//   match.live     the match itself: how many games, and whether it plays, ended or was stopped
//   match.result   the results of the games played, for 'zarvo match --merge' (match/run_result.h)
// Every file is written whole to a temporary name beside it and renamed into place, so a reader
// sees the old text or the new one, never a part.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo::match {

inline constexpr std::string_view kRecordExtension = ".txt";
inline constexpr std::string_view kGameSoFarExtension = ".live";
inline constexpr std::string_view kMatchFileName = "match.live";
inline constexpr std::string_view kResultFileName = "match.result";

// "game-007.txt" for game 7 and ".txt".
std::string GameFileName(int number, std::string_view extension);

// Writes text to path through "PATH.tmp" and a rename; false, with the reason in error, when it
// cannot (the temporary file is then removed).
bool ReplaceFile(const std::filesystem::path& path, std::string_view text, std::string& error);

enum class TMatchProgress { Playing, Finished, Stopped };
std::string_view ProgressName(TMatchProgress progress);  // "playing", "finished", "stopped"
std::optional<TMatchProgress> ProgressOfName(std::string_view name);

struct TMatchState {
  int Games = 0;  // the games the match was asked for
  TMatchProgress Progress = TMatchProgress::Playing;
};

// The text of match.live:
//   Games: 10
//   State: playing                ("playing", "finished" or "stopped")
std::string MatchStateText(const TMatchState& state);
// Nothing, with the reason in error, for text that is not that.
std::optional<TMatchState> ParseMatchState(std::string_view text, std::string& error);

}  // namespace zarvo::match
