#include "base/time_control.h"

namespace zarvo {

bool TTimeControl::TimeIsUp() {
  if (TimeUpFlag) return true;
  const int64_t call = TimeCheckCounter++;
  if (call % 100 != 0) return false;
  if (Elapsed() > TimeBudget) TimeUpFlag = true;
  return TimeUpFlag;
}

}  // namespace zarvo
