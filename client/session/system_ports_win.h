#pragma once
// The watchdog probe and the clock of the real program.

#include "client/session/session_ports.h"

namespace tarvo {

class RegionWatchdogProbe : public WatchdogProbe {
 public:
  bool WatchdogAlive() override;
};

class SystemClock : public Clock {
 public:
  bool Pause(std::stop_token stop, std::chrono::milliseconds duration) override;
  std::chrono::milliseconds Now() override;
};

}  // namespace tarvo
