#include "devserver/http/endpoint.h"

#include <arpa/inet.h>

#include <charconv>

namespace tarvo::devserver {

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
  std::string_view host;
  std::string_view port;
  if (text.starts_with('[')) {
    const auto close = text.find(']');
    if (close == std::string_view::npos || text.substr(close + 1, 1) != ":") return std::nullopt;
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.find(':') != std::string_view::npos) return std::nullopt;  // IPv6 needs brackets
  }
  int value = -1;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (host.empty() || port.empty() || ec != std::errc() || end != port.data() + port.size() || value < 0 ||
      value > 65535)
    return std::nullopt;
  return Endpoint{std::string(host), value};
}

bool IsLoopbackHost(std::string_view host) {
  if (host == "localhost") return true;
  const std::string h(host);
  in_addr v4{};
  if (inet_pton(AF_INET, h.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  return inet_pton(AF_INET6, h.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::string HostPort(const Endpoint& endpoint) {
  const bool v6 = endpoint.host.find(':') != std::string::npos;
  return (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port);
}

std::string UrlOf(std::string_view scheme, const Endpoint& endpoint) {
  return std::string(scheme) + "://" + HostPort(endpoint);
}

}  // namespace tarvo::devserver
