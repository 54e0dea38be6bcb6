#pragma once
// What one slow, idle or eager client can take from the others on a
// listener of the server.

#include <chrono>
#include <cstddef>

namespace tarvo::devserver {

struct PoolLimits {
  std::size_t maxActive = 512;  // connections served at once, each on a thread of its own
  std::size_t maxQueued = 64;   // connections waiting for a thread; past that, 503
};

struct ListenerLimits {
  PoolLimits pool;
  // A whole request, head and body, and the TLS handshake of a new connection.
  std::chrono::milliseconds requestDeadline{10'000};
  // The largest request body taken; a larger one (or one of unknown length)
  // is answered at once, unread, and the connection closed. A listener that
  // takes none serves GET and HEAD only.
  std::size_t maxBody = 0;
  // An open connection with no request under way.
  std::chrono::milliseconds idle{5'000};
};

}  // namespace tarvo::devserver
