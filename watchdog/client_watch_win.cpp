#include "watchdog/client_watch_win.h"

#include <windows.h>

#include <chrono>

#include "common/liveness/liveness_region_win.h"
#include "common/liveness/liveness_tokens.h"
#include "common/process/process_win.h"
#include "common/process/stop_wait.h"

namespace tarvo {

void ClientWatchThread(std::stop_token stop) {
  while (!stop.stop_requested()) {
    if (!CheckLivenessRegion(ClientRegionName, ClientToken)) {
      RunHangUpCommand();
      ExitProcess(0);
    }
    if (!PauseUnlessStopped(stop, std::chrono::milliseconds(LivenessCheckPeriodMs))) return;
  }
}

}  // namespace tarvo
