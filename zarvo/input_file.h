// The tool's one reader of the files people give it: read whole, only when a regular file, and
// never more than the most its kind may hold, so a pipe, /dev/zero or a runaway file ends with a
// message instead of a wait or all the memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace zarvo::tool {

struct TInputKind {
  std::string_view Name;  // as a message says it: "a game record"
  std::size_t MaxBytes;
};

// The largest of each kind: far above what real use makes, far below what memory holds.
inline constexpr TInputKind kGameRecordInput{"a game record", std::size_t{1} << 20};  // ~10 KB
inline constexpr TInputKind kOpeningsInput{"an openings file", std::size_t{16} << 20};
inline constexpr TInputKind kBenchSuiteInput{"a bench suite", std::size_t{16} << 20};
inline constexpr TInputKind kBookTextInput{"a book text", std::size_t{64} << 20};  // ~1M lines
inline constexpr TInputKind kBookFileInput{"a book file", std::size_t{64} << 20};
// A line of about 60 bytes a game: a million games.
inline constexpr TInputKind kMatchResultInput{"a match result", std::size_t{128} << 20};

// The bytes of the file; empty optional after "zarvo COMMAND: cannot read 'PATH': REASON" on err.
std::optional<std::string> ReadInput(const std::filesystem::path& path, const TInputKind& kind,
                                     std::string_view command, std::ostream& err);

}  // namespace zarvo::tool
