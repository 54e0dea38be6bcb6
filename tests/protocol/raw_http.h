#pragma once
// Requests written byte for byte on a plain socket, for what an HTTP client
// library would clean up: broken targets, exact headers, cut-off replies.

#include <chrono>
#include <optional>
#include <string>

namespace tarvo::devserver::testing {

struct RawReply {
  bool connected = false;
  std::string bytes;    // everything received until the server closed or the timeout
  bool closed = false;  // the server closed the connection
  int status = 0;       // 0: no status line
  std::string head;     // status line and headers
  std::string body;
  long contentLength = -1;
};

// Sends `request` as it stands and reads until the server closes or `timeout` passes.
RawReply RawExchange(int port, const std::string& request,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

// "GET <target> HTTP/1.1" with a Host header and "Connection: close".
std::string RawGet(const std::string& target);

// A plain loopback connection that the test drives byte by byte.
class RawConnection {
 public:
  // `receiveBuffer` > 0: a small receive window keeps a slow reader slow.
  explicit RawConnection(int port, int receiveBuffer = 0);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  // True when all of `bytes` went out.
  bool Send(const std::string& bytes);
  // Waits up to `limit` for one read; what came (`closed`: the server closed).
  std::string ReadSome(std::chrono::milliseconds limit, bool& closed);
  // Waits until the server closes the connection; how long that took, or
  // nothing when it stayed open for `limit`.
  std::optional<std::chrono::milliseconds> WaitClosed(std::chrono::milliseconds limit);

 private:
  int fd_;
  bool connected_ = false;
};

}  // namespace tarvo::devserver::testing
