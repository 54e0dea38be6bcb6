#pragma once
// HOST:PORT of a listener, as given on the command line.

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::devserver {

struct Endpoint {
  std::string host;  // without brackets, also for IPv6
  int port = 0;      // 0 = any free port
};

// "127.0.0.1:8080", "localhost:0", "[::1]:443". Nothing when malformed.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

// 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackHost(std::string_view host);

// "127.0.0.1:8080", "[::1]:443".
std::string HostPort(const Endpoint& endpoint);
// "http://127.0.0.1:8080", "https://[::1]:443".
std::string UrlOf(std::string_view scheme, const Endpoint& endpoint);

}  // namespace tarvo::devserver
