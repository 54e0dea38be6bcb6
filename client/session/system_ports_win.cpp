#include "client/session/system_ports_win.h"

#include "common/liveness/liveness_region_win.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/stop_wait.h"

namespace tarvo {

bool RegionWatchdogProbe::WatchdogAlive() { return CheckLivenessRegion(WatchdogRegionName, WatchdogToken); }

bool SystemClock::Pause(std::stop_token stop, std::chrono::milliseconds duration) {
  return PauseUnlessStopped(stop, duration);
}

}  // namespace tarvo
