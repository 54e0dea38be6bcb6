#pragma once
// The operating system's remote-access service behind the dialer port.

#include <memory>

#include "client/session/session_ports.h"

namespace tarvo {

class RasDialer : public VpnDialer {
 public:
  int Dial(const DialRequest& request, ConnHandle& handle) override;
  void HangUp(ConnHandle handle) override;
  std::wstring GetVpnAddress() override;
};

// The dialer of this build: remote access, or in builds with test hooks the
// simulated one.
std::shared_ptr<VpnDialer> MakeVpnDialer();

}  // namespace tarvo
