#include "zarvo/record_file.h"

#include <sstream>
#include <string>
#include <utility>

#include "zarvo/input_file.h"

namespace zarvo::tool {

std::optional<match::TGameRecord> ReadRecordFile(const std::filesystem::path& path,
                                                 std::string_view command, std::ostream& err) {
  auto text = ReadInput(path, kGameRecordInput, command, err);
  if (!text) return std::nullopt;
  std::istringstream in(std::move(*text));
  std::string error;
  auto record = match::ParseRecord(in, error);
  if (!record)
    err << "zarvo " << command << ": '" << path.string() << "' is no game record: " << error
        << '\n';
  return record;
}

bool IsRecordFileName(const std::filesystem::path& path) {
  return path.extension() == ".txt";
}

}  // namespace zarvo::tool
