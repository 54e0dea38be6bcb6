#pragma once
// The dialer of builds with test hooks. A dial is checked against the VPN
// credentials the reference server handed out (its admin address comes from
// TARVO_SIM_ADMIN_URL); wrong ones fail with 691. A good dial brings up the
// simulated adapter with an address; a hang-up takes it down.

#include <atomic>

#include "client/session/session_ports.h"

namespace tarvo::simulation {

class SimulatedDialer : public VpnDialer {
 public:
  int Dial(const DialRequest& request, ConnHandle& handle) override;
  void HangUp(ConnHandle handle) override;
  std::wstring GetVpnAddress() override;

 private:
  int CheckCredentials(const DialRequest& request);
};

}  // namespace tarvo::simulation
