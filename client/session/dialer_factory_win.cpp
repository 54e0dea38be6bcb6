#include "client/session/ras_dialer_win.h"

#ifdef TARVO_TESTING
#include "tools/simulation/simulated_dialer_win.h"
#endif

namespace tarvo {

std::shared_ptr<VpnDialer> MakeVpnDialer() {
#ifdef TARVO_TESTING
  // Wine has no remote-access service: the end-to-end runs dial a simulation.
  return std::make_shared<simulation::SimulatedDialer>();
#else
  return std::make_shared<RasDialer>();
#endif
}

}  // namespace tarvo
