#include "base/process_start.h"

#include <algorithm>
#include <optional>

#ifdef __linux__
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#endif

namespace zarvo {
namespace {

// Constant-initialised, so the stamp below is never overwritten by a later initialisation.
TMonotonicClock::time_point earliestStamp{};

#if defined(__GNUC__)
// Priority 101 runs before every ordinary static initialiser of the program.
__attribute__((constructor(101))) void StampProcessStart() {
  earliestStamp = TMonotonicClock::now();
}
#endif

#ifdef __linux__
// /proc/self/stat: the start is field 22, counted from the pid; the name in parentheses (field
// 2) may hold spaces or parentheses of its own, so the fields are counted after its last ')'.
std::optional<TMonotonicClock::time_point> KernelStartTime() {
  std::ifstream statFile("/proc/self/stat");
  std::string text;
  if (!std::getline(statFile, text)) return std::nullopt;
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(text.substr(nameEnd + 1));
  std::string field;
  for (int number = 3; number < 22; ++number) fields >> field;
  int64_t startTicks = 0;
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  timespec boot{};
  if (!(fields >> startTicks) || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &boot) != 0)
    return std::nullopt;
  const auto now = TMonotonicClock::now();
  const auto bootNow = std::chrono::seconds(boot.tv_sec) + std::chrono::nanoseconds(boot.tv_nsec);
  return LatestStartFromTicks(startTicks, ticksPerSecond, bootNow, now);
}
#else
std::optional<TMonotonicClock::time_point> KernelStartTime() {
  return std::nullopt;
}
#endif

}  // namespace

TMonotonicClock::time_point LatestStartFromTicks(int64_t startTicks, int64_t ticksPerSecond,
                                                 std::chrono::nanoseconds bootNow,
                                                 TMonotonicClock::time_point now) {
  // Rounded down to a whole tick: the start lies before the end of that tick.
  const auto startEnd =
      std::chrono::nanoseconds((startTicks + 1) * (int64_t{1'000'000'000} / ticksPerSecond));
  const auto since = std::max(std::chrono::nanoseconds(0), bootNow - startEnd);
  return now - std::chrono::duration_cast<TMonotonicClock::duration>(since);
}

TMonotonicClock::time_point ProcessStartTime() {
  // Worked out once: the clocks read for it move on, and the start must not.
  static const TMonotonicClock::time_point start = [] {
    const auto stamp =
        earliestStamp != TMonotonicClock::time_point{} ? earliestStamp : TMonotonicClock::now();
    const auto kernel = KernelStartTime();
    return kernel ? std::min(stamp, *kernel) : stamp;
  }();
  return start;
}

}  // namespace zarvo
