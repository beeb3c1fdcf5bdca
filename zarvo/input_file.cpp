#include "zarvo/input_file.h"

#include "base/regular_file.h"

namespace zarvo::tool {

std::optional<std::string> ReadInput(const std::filesystem::path& path, const TInputKind& kind,
                                     std::string_view command, std::ostream& err) {
  std::string bytes;
  const TFileStatus status = ReadRegularFile(path, kind.MaxBytes, bytes);
  if (status == TFileStatus::Done) return bytes;
  err << "zarvo " << command << ": cannot read '" << path.string() << "': ";
  if (status == TFileStatus::TooLarge)
    err << "more than " << (kind.MaxBytes >> 20) << " MB, the most " << kind.Name << " may hold";
  else
    err << DescribeFileStatus(status);
  err << '\n';
  return std::nullopt;
}

}  // namespace zarvo::tool
