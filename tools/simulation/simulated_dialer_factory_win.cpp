#include "client/session/ras_dialer_win.h"
#include "tools/simulation/simulated_dialer_win.h"

namespace tarvo {

// Builds with test hooks: Wine has no remote-access service, so the client
// dials this simulation (CMake links it in place of the release factory).
std::shared_ptr<VpnDialer> MakeVpnDialer() { return std::make_shared<simulation::SimulatedDialer>(); }

}  // namespace tarvo
