#include "raw_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace tarvo::devserver::testing {
namespace {

void Parse(RawReply& r) {
  const auto end = r.bytes.find("\r\n\r\n");
  if (r.bytes.rfind("HTTP/1.", 0) != 0 || end == std::string::npos) return;
  r.status = std::atoi(r.bytes.c_str() + 9);
  r.head = r.bytes.substr(0, end);
  r.body = r.bytes.substr(end + 4);
  const auto at = r.head.find("\r\nContent-Length: ");
  if (at != std::string::npos) r.contentLength = std::atol(r.head.c_str() + at + 18);
}

}  // namespace

RawReply RawExchange(int port, const std::string& request, std::chrono::milliseconds timeout) {
  RawReply r;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (fd >= 0) ::close(fd);
    return r;
  }
  r.connected = true;
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char buf[8192];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) {
      r.closed = true;
      break;
    }
    r.bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  Parse(r);
  return r;
}

std::string RawGet(const std::string& target) {
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

RawConnection::RawConnection(int port, int receiveBuffer) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
  if (fd_ < 0) return;
  if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

RawConnection::~RawConnection() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawConnection::Send(const std::string& bytes) {
  return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string RawConnection::ReadSome(std::chrono::milliseconds limit, bool& closed) {
  closed = false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) return {};
  char buf[4096];
  const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
  if (n <= 0) {
    closed = true;
    return {};
  }
  return std::string(buf, static_cast<std::size_t>(n));
}

std::optional<std::chrono::milliseconds> RawConnection::WaitClosed(std::chrono::milliseconds limit) {
  const auto start = std::chrono::steady_clock::now();
  bool closed = false;
  while (std::chrono::steady_clock::now() - start < limit) {
    ReadSome(std::chrono::milliseconds(100), closed);
    if (closed)
      return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  }
  return std::nullopt;
}

}  // namespace tarvo::devserver::testing
