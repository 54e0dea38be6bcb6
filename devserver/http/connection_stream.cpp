#include "devserver/http/connection_stream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarvo::devserver {
namespace {

// A head larger than this is not kept whole; the HTTP library rejects such
// requests anyway.
constexpr std::size_t kMaxHead = 64 * 1024;
constexpr auto kSlice = std::chrono::milliseconds(50);

// The time left until `deadline`, never below zero.
std::chrono::milliseconds Remaining(std::chrono::steady_clock::time_point deadline) {
  return std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    deadline - std::chrono::steady_clock::now()));
}

void Describe(const sockaddr_storage& addr, socklen_t len, std::string& ip, int& port) {
  char host[NI_MAXHOST] = "";
  char serv[NI_MAXSERV] = "";
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&addr), len, host, sizeof host, serv, sizeof serv,
                  NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
    ip = host;
    port = std::atoi(serv);
  }
}

}  // namespace

ConnectionStream::ConnectionStream(int fd, SSL* ssl, std::chrono::milliseconds ioTimeout,
                                   const std::atomic<bool>& stopping)
    : fd_(fd), ssl_(ssl), timeout_(ioTimeout), stopping_(stopping) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    Describe(addr, len, remoteIp_, remotePort_);
  len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    Describe(addr, len, localIp_, localPort_);
}

bool ConnectionStream::WaitFor(short events, std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!stopping_) {
    pollfd p{fd_, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(kSlice.count()));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
  return false;
}

bool ConnectionStream::WaitForRequest(std::chrono::milliseconds idle) const {
  if (pos_ < len_ || (ssl_ && SSL_pending(ssl_) > 0)) return true;
  return WaitFor(POLLIN, idle);
}

std::chrono::milliseconds ConnectionStream::ReadLimit() const {
  return replying_ ? timeout_ : std::min(Remaining(requestDeadline_), timeout_);
}

bool ConnectionStream::is_readable() const {
  const auto limit = ReadLimit();
  return limit.count() > 0 && WaitForRequest(limit);
}

bool ConnectionStream::is_writable() const { return !dropped_ && WaitFor(POLLOUT, timeout_); }

ssize_t ConnectionStream::Fill(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  if (limit.count() <= 0 || !WaitForRequest(limit)) return -1;
  ssize_t n;
  if (ssl_) {
    // The socket does not block: a record that arrives a byte at a time is
    // waited for only until the deadline.
    for (;;) {
      n = SSL_read(ssl_, buffer_, sizeof buffer_);
      if (n > 0) break;
      const int err = SSL_get_error(ssl_, static_cast<int>(n));
      if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) {
        if (!WaitFor(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, Remaining(deadline))) return -1;
        continue;
      }
      // A peer that closes without close_notify is taken as a plain end too.
      return err == SSL_ERROR_ZERO_RETURN || (err == SSL_ERROR_SYSCALL && errno == 0) ? 0 : -1;
    }
  } else {
    do n = ::recv(fd_, buffer_, sizeof buffer_, 0);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return n;
  }
  pos_ = 0;
  len_ = static_cast<std::size_t>(n);
  return n;
}

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  if (pos_ == len_) {
    const ssize_t n = Fill(ReadLimit());
    if (n <= 0) return n;
  }
  const std::size_t count = std::min(size, len_ - pos_);
  std::memcpy(ptr, buffer_ + pos_, count);
  if (head_.size() < kMaxHead) {
    const std::size_t before = head_.size();
    head_.append(buffer_ + pos_, std::min(count, kMaxHead - head_.size()));
    if (!headDone_ && head_.find("\r\n\r\n", before >= 3 ? before - 3 : 0) != std::string::npos) headDone_ = true;
  }
  pos_ += count;
  return static_cast<ssize_t>(count);
}

bool ConnectionStream::SkipBlankLines(std::chrono::milliseconds idle) {
  const auto deadline = std::chrono::steady_clock::now() + idle;
  for (;;) {
    if (pos_ == len_ && Fill(Remaining(deadline)) <= 0) return false;
    if (buffer_[pos_] != '\r' && buffer_[pos_] != '\n') return true;
    ++pos_;
  }
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  if (dropped_) return -1;
  replying_ = true;
  std::size_t done = 0;
  while (done < size) {
    if (ssl_) {
      const int n = SSL_write(ssl_, ptr + done, static_cast<int>(size - done));
      if (n <= 0) {
        const int err = SSL_get_error(ssl_, n);
        if ((err == SSL_ERROR_WANT_WRITE || err == SSL_ERROR_WANT_READ) &&
            WaitFor(err == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN, timeout_))
          continue;
        return -1;
      }
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (!WaitFor(POLLOUT, timeout_)) return -1;
    const ssize_t n = ::send(fd_, ptr + done, size - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(size);
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  ip = remoteIp_;
  port = remotePort_;
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  ip = localIp_;
  port = localPort_;
}

void ConnectionStream::BeginRequest(std::chrono::milliseconds deadline) {
  head_.clear();
  logSeq = 0;
  refusedBody = 0;
  headDone_ = false;
  replying_ = false;
  requestDeadline_ = std::chrono::steady_clock::now() + deadline;
}

std::string ConnectionStream::remote() const {
  const bool v6 = remoteIp_.find(':') != std::string::npos;
  return (v6 ? "[" + remoteIp_ + "]" : remoteIp_) + ":" + std::to_string(remotePort_);
}

}  // namespace tarvo::devserver
