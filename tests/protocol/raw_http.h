#pragma once
// Requests written byte for byte on a plain socket, for what an HTTP client
// library would clean up: broken targets, exact headers, cut-off replies.

#include <chrono>
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

}  // namespace tarvo::devserver::testing
