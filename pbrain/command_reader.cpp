#include "pbrain/command_reader.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "pbrain/brain_text.h"

namespace zarvo {

struct TCommandReader::TShared {
  std::mutex Mutex;
  std::condition_variable Arrived;
  std::deque<std::string> Lines;
  bool Finished = false;  // the input ended
  std::atomic<bool> EndSeen{false};
};

bool IsEndLine(std::string_view line) {
  return UpperCase(TrimBlanks(line)) == "END";
}

namespace {

// One line up to LF, without the LF, keeping at most maxKept bytes of it. A CR before the LF is
// left for the session to trim. False at the end of the input with nothing read.
bool ReadLine(std::streambuf& in, std::string& line, std::size_t maxKept) {
  line.clear();
  bool any = false;
  for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
    any = true;
    if (c == '\n') return true;
    if (line.size() < maxKept) line.push_back(static_cast<char>(c));
  }
  return any;
}

}  // namespace

TCommandReader::TCommandReader(std::streambuf& in, std::size_t maxKept)
    : shared_(std::make_shared<TShared>()) {
  // Detached: at the end it may still wait for input that never comes.
  std::thread([shared = shared_, &in, maxKept] {
    std::string line;
    while (ReadLine(in, line, maxKept)) {
      const bool end = IsEndLine(line);
      {
        const std::lock_guard lock(shared->Mutex);
        shared->Lines.push_back(line);
      }
      shared->Arrived.notify_one();
      if (end) {
        shared->EndSeen = true;
        break;  // nothing after END is read
      }
    }
    {
      const std::lock_guard lock(shared->Mutex);
      shared->Finished = true;
    }
    shared->Arrived.notify_one();
  }).detach();
}

std::optional<std::string> TCommandReader::Next() {
  std::unique_lock lock(shared_->Mutex);
  shared_->Arrived.wait(lock, [this] { return !shared_->Lines.empty() || shared_->Finished; });
  if (shared_->Lines.empty()) return std::nullopt;
  std::string command = std::move(shared_->Lines.front());
  shared_->Lines.pop_front();
  return command;
}

const std::atomic<bool>& TCommandReader::EndSeen() const {
  return shared_->EndSeen;
}

}  // namespace zarvo
