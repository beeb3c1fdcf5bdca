// The manager's commands, read on a thread of their own so that the engine hears END while it
// thinks. The other lines wait in order: each is handled once the one before is answered.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace zarvo {

class TCommandReader {
 public:
  // Starts reading `in` at once. A line keeps at most `maxKept` bytes. An END line sets the flag
  // EndSeen() as it comes in, whatever command is under way, and is the last line read.
  TCommandReader(std::streambuf& in, std::size_t maxKept);
  TCommandReader(const TCommandReader&) = delete;
  TCommandReader& operator=(const TCommandReader&) = delete;

  // The next line without its LF, waiting for it; nothing at the end of the input.
  std::optional<std::string> Next();
  // Set once an END line was read; lives as long as the process.
  const std::atomic<bool>& EndSeen() const;

 private:
  struct TShared;
  std::shared_ptr<TShared> shared_;  // the reading thread holds it too: it is never joined
};

// Whether a line is the END command (any case, blanks around it).
bool IsEndLine(std::string_view line);

}  // namespace zarvo
