// The tool's one reader of game-record files: every command that takes a record reads it here,
// with the same limits and the same message for a file that is no record.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>

#include "match/game_record.h"

namespace zarvo::tool {

// The record in the file; empty optional after "zarvo COMMAND: ..." on err when the file
// cannot be read or holds no record.
std::optional<match::TGameRecord> ReadRecordFile(const std::filesystem::path& path,
                                                 std::string_view command, std::ostream& err);

// Whether a file found inside a folder of records is one: the records 'zarvo match --records'
// and 'zarvo play' write end in ".txt"; the pictures and anything else beside them do not.
bool IsRecordFileName(const std::filesystem::path& path);

}  // namespace zarvo::tool
