#pragma once

#include <stop_token>

namespace tarvo {

// Checks the client's liveness region every second. On the first failed
// check it drops the VPN entry by name and ends this process (exit code 0).
// Returns only when a stop is requested.
void ClientWatchThread(std::stop_token stop);

}  // namespace tarvo
