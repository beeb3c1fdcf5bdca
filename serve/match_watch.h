// A match followed from its records folder ('zarvo serve --watch DIR'): the finished games to
// step through and the games in progress as they grow, read from the files 'zarvo match
// --records DIR' keeps there (match/match_folder.h). Only reads: the match's files stay as they
// are. A file that cannot be read is named on the page and never drawn; a game in progress that
// cannot be read just now keeps its last good position.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "match/game_record.h"

namespace zarvo::serve {

class TMatchWatch {
 public:
  explicit TMatchWatch(std::filesystem::path folder);

  // Reads the folder again (a finished record only when its size or time changed); true when
  // what the page shows changed.
  bool Poll();

  // What the page shows, as one JSON object with "mode":"watch"; Version changes with it.
  std::string StateJson() const;
  uint64_t Version() const { return version_; }

 private:
  struct TRecordSeen {
    std::filesystem::file_time_type Time;
    std::uintmax_t Size = 0;
    std::optional<match::TGameRecord> Game;
    std::string Error;  // why it is no finished record
  };

  std::string Body();

  std::filesystem::path folder_;
  std::map<std::string, TRecordSeen> records_;          // by file name
  std::map<std::string, match::TGameRecord> lastGood_;  // games in progress, by file name
  std::string body_;
  uint64_t version_ = 0;
};

}  // namespace zarvo::serve
