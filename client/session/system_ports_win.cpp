#include "client/session/system_ports_win.h"

#include "common/liveness/liveness_region_win.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/stop_wait.h"

namespace tarvo {

bool RegionWatchdogProbe::WatchdogAlive() { return CheckLivenessRegion(WatchdogRegionName, WatchdogToken); }

bool SystemClock::Pause(std::stop_token stop, std::chrono::milliseconds duration) {
  return PauseUnlessStopped(stop, duration);
}

std::chrono::milliseconds SystemClock::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace tarvo
