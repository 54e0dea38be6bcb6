#include "client/session/ras_dialer_win.h"

namespace tarvo {

// The release build dials through the remote-access service; builds with
// test hooks link tools/simulation's factory instead (Wine has none).
std::shared_ptr<VpnDialer> MakeVpnDialer() { return std::make_shared<RasDialer>(); }

}  // namespace tarvo
