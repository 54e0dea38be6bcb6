#pragma once
// One client connection, plain or TLS, as the HTTP library's stream. It
// keeps the bytes of each request head exactly as received and lets a fault
// drop the reply.

#include <httplib.h>
#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace tarvo::devserver {

class ConnectionStream : public httplib::Stream {
 public:
  // `stopping` turns every wait short once the server is shutting down.
  ConnectionStream(int fd, SSL* ssl, std::chrono::milliseconds ioTimeout, const std::atomic<bool>& stopping);

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return fd_; }

  // True when the next request has begun to arrive (or the peer closed)
  // within `idle`.
  bool WaitForRequest(std::chrono::milliseconds idle) const;
  // Passes over empty lines before a request line (RFC 9112 section 2.2 asks
  // servers to ignore them); false when the connection ends or `idle` passes
  // first, blank lines or not.
  bool SkipBlankLines(std::chrono::milliseconds idle);
  // Starts a new request: its head is captured from here on, and the request
  // (head and body) must be read within `deadline`: past that, until the
  // reply begins, every read fails.
  void BeginRequest(std::chrono::milliseconds deadline);
  const std::string& head() const { return head_; }
  std::string remote() const;

  // Shared by the server's hooks while one request is handled.
  std::uint64_t logSeq = 0;
  // The status the request's body is refused with, or 0.
  int refusedBody = 0;

  // Every later write fails, so the connection closes without a reply.
  void Drop() { dropped_ = true; }
  bool dropped() const { return dropped_; }
  // Every later write fails, and the connection is reset rather than closed.
  void DropAndReset() {
    dropped_ = true;
    resetOnClose_ = true;
  }
  bool resetOnClose() const { return resetOnClose_; }
  // The connection closes after the current reply.
  void CloseAfterReply() { closeAfterReply_ = true; }
  bool closeAfterReply() const { return closeAfterReply_ || dropped_; }

 private:
  bool WaitFor(short events, std::chrono::milliseconds limit) const;
  // Refills the empty buffer: its byte count, 0 at the end of the stream, -1 on
  // error or when nothing came within `limit`.
  ssize_t Fill(std::chrono::milliseconds limit);
  // How long a read may wait now: the I/O time-out, or less while a request
  // is read; zero once its deadline has passed.
  std::chrono::milliseconds ReadLimit() const;

  int fd_;
  SSL* ssl_;
  std::chrono::milliseconds timeout_;
  const std::atomic<bool>& stopping_;
  char buffer_[4096];
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  std::string head_;
  bool headDone_ = true;
  std::chrono::steady_clock::time_point requestDeadline_{};
  bool replying_ = true;
  bool dropped_ = false;
  bool resetOnClose_ = false;
  bool closeAfterReply_ = false;
  std::string remoteIp_, localIp_;
  int remotePort_ = -1, localPort_ = -1;
};

}  // namespace tarvo::devserver
