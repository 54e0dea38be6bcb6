#include "devserver/http/capturing_server.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <cstring>

namespace tarvo::devserver {
namespace {

using namespace std::chrono_literals;

constexpr auto kIoTimeout = 5s;
constexpr std::size_t kMaxRequestsPerConnection = 100;
constexpr auto kTurnAwayLinger = 200ms;  // lets the client's request arrive before the close
constexpr int kListenBacklog = 1024;
constexpr char kBusyReply[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nContent-Length: 19\r\n"
    "Retry-After: 1\r\nConnection: close\r\n\r\nserver is too busy\n";

bool SetBlocking(int sock, bool blocking) {
  const int flags = fcntl(sock, F_GETFL, 0);
  return flags >= 0 && fcntl(sock, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

thread_local ConnectionStream* current = nullptr;

std::string TlsError() {
  char buf[256] = "unknown TLS error";
  if (const unsigned long code = ERR_get_error()) ERR_error_string_n(code, buf, sizeof buf);
  ERR_clear_error();
  return buf;
}

// Whether the request has a body to read (a missing Content-Length was set
// to 0 before).
bool AnnouncesBody(const httplib::Request& req) {
  return req.has_header("Transfer-Encoding") || req.get_header_value("Content-Length") != "0";
}

// The status a request's body is refused with, or 0 when it may be read.
// A listener that takes no body serves GET and HEAD only: another method
// with a body is refused as a method (405).
int RefusedBody(const httplib::Request& req, std::size_t maxBody) {
  const int tooLarge = maxBody == 0 && req.method != "GET" && req.method != "HEAD" ? 405 : 413;
  if (req.has_header("Transfer-Encoding")) return maxBody == 0 ? tooLarge : 411;  // of unknown length
  const std::string length = req.get_header_value("Content-Length");
  if (length.empty() || length.size() > 18 || length.find_first_not_of("0123456789") != std::string::npos)
    return 0;  // the library answers 400
  return std::stoull(length) > maxBody ? tooLarge : 0;
}

void RefuseBody(ConnectionStream& stream, httplib::Response& res) {
  res.status = stream.refusedBody;
  res.set_content(res.status == 411   ? "a body needs a Content-Length"
                  : res.status == 405 ? "method not allowed"
                                      : "request body not accepted",
                  "text/plain");
  // What the client still sends of its body is never read (the connection
  // closes after the reply, as after every request with a body).
  res.set_header("Connection", "close");
}

void SetTimeouts(int sock) {
  timeval tv{static_cast<time_t>(kIoTimeout.count()), 0};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

CapturingServer::CapturingServer(ListenerLimits limits) : limits_(limits) {
  // A body past the limit is answered before it is read: before the routes
  // (which would read it whole), and instead of "100 Continue".
  httplib::Server::set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (ConnectionStream* stream = Current(); stream && stream->refusedBody != 0) {
      RefuseBody(*stream, res);
      return HandlerResponse::Handled;
    }
    return preRouting_ ? preRouting_(req, res) : HandlerResponse::Unhandled;
  });
  set_expect_100_continue_handler([](const httplib::Request&, httplib::Response& res) {
    ConnectionStream* stream = Current();
    if (stream == nullptr || stream->refusedBody == 0) return 100;
    RefuseBody(*stream, res);
    return res.status;
  });
  set_payload_max_length(limits_.maxBody);
  // Connections wait for a thread in a bounded queue; one that finds it full
  // is answered 503 (see TurnAway).
  new_task_queue = [pool = limits_.pool] { return new ConnectionPool(pool); };
  set_keep_alive_max_count(kMaxRequestsPerConnection);
  // The library's default also sets SO_REUSEPORT, which would let a second
  // server share a port that is already taken instead of failing.
  set_socket_options([this](int sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listenSocket_ = sock;
  });
}

CapturingServer::~CapturingServer() {
  Shutdown();
  if (tls_) SSL_CTX_free(tls_);
}

bool CapturingServer::EnableTls(const std::string& certFile, const std::string& keyFile, std::string& error) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx) {
    error = "cannot create TLS context: " + TlsError();
    return false;
  }
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1) {
    error = "cannot load TLS certificate " + certFile + ": " + TlsError();
  } else if (SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    error = "cannot load TLS key " + keyFile + ": " + TlsError();
  } else if (SSL_CTX_check_private_key(ctx) != 1) {
    error = "TLS key " + keyFile + " does not match certificate " + certFile;
  } else {
    tls_ = ctx;
    return true;
  }
  SSL_CTX_free(ctx);
  return false;
}

ConnectionStream* CapturingServer::Current() { return current; }

bool CapturingServer::Start(Endpoint& endpoint, std::string& error) {
  const std::string requested = HostPort(endpoint);
  errno = 0;
  if (endpoint.port == 0) {
    const int port = bind_to_any_port(endpoint.host);
    if (port > 0) endpoint.port = port;
  } else if (!bind_to_port(endpoint.host, endpoint.port)) {
    endpoint.port = -1;
  }
  if (endpoint.port <= 0) {
    error = "cannot listen on " + requested + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
  }
  // The library listens with a backlog of a few connections; a burst of
  // clients would find it full and wait a second for their SYN to be resent.
  if (listenSocket_ >= 0) ::listen(listenSocket_, kListenBacklog);
  thread_ = std::thread([this] { listen_after_bind(); });
  // stop() has no effect before the accept loop runs, so wait for it.
  for (int i = 0; i < 5000 && !is_running(); ++i) std::this_thread::sleep_for(1ms);
  if (!is_running()) {
    error = "listener did not start";
    Shutdown();
    return false;
  }
  return true;
}

void CapturingServer::Shutdown() {
  stopping_ = true;
  if (!thread_.joinable()) return;
  stop();
  thread_.join();
}

SSL* CapturingServer::AcceptTls(int sock) const {
  SSL* ssl = SSL_new(tls_);
  if (!ssl) return nullptr;
  // The socket stays non-blocking for the whole connection, so that neither
  // the handshake nor a record that trickles in can outlast the deadlines.
  bool ok = SetBlocking(sock, false) && SSL_set_fd(ssl, sock) == 1;
  const auto deadline = std::chrono::steady_clock::now() + limits_.requestDeadline;
  while (ok) {
    const int rc = SSL_accept(ssl);
    if (rc == 1) return ssl;
    const int err = SSL_get_error(ssl, rc);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if ((err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE) || left.count() <= 0 || stopping_) break;
    pollfd p{sock, static_cast<short>(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
    ok = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 50))) >= 0 || errno == EINTR;
  }
  ERR_clear_error();
  SSL_free(ssl);
  return nullptr;
}

void CapturingServer::TurnAway(int sock, bool tls) {
  if (!tls) {
    // Sent before the request is read: a client that sent one still reads
    // the answer, as the close waits a moment for its bytes.
    ::send(sock, kBusyReply, sizeof kBusyReply - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(sock, SHUT_WR);
    const auto until = std::chrono::steady_clock::now() + kTurnAwayLinger;
    char sink[4096];
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{sock, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0 && ::recv(sock, sink, sizeof sink, MSG_DONTWAIT) <= 0) break;
    }
  }
  ::close(sock);
}

bool CapturingServer::process_and_close_socket(int sock) {
  if (ConnectionPool::TurningAway()) {
    TurnAway(sock, tls_ != nullptr);
    return false;
  }
  SetTimeouts(sock);
  SSL* ssl = tls_ ? AcceptTls(sock) : nullptr;
  bool ok = false;
  bool reset = false;
  if (!tls_ || ssl) {
    ConnectionStream stream(sock, ssl, kIoTimeout, stopping_);
    current = &stream;
    const auto setup = [&](httplib::Request& req) {
      // Without Content-Length or Transfer-Encoding a request has no body
      // (RFC 9112 section 6.3); the library would wait for one instead, and
      // "curl -X POST" sends neither.
      if (!req.has_header("Content-Length") && !req.has_header("Transfer-Encoding"))
        req.set_header("Content-Length", "0");
      if (requestHook_) requestHook_(stream, req);
      // A body refused, or one that fails to arrive whole (the deadline),
      // leaves the rest of it on the connection, where it cannot start a
      // request: a request with a body is the connection's last.
      if (AnnouncesBody(req)) {
        stream.refusedBody = RefusedBody(req, limits_.maxBody);
        stream.CloseAfterReply();
      }
    };
    for (std::size_t i = 1; i <= keep_alive_max_count_ && !stopping_; ++i) {
      if (!stream.SkipBlankLines(limits_.idle)) break;
      stream.BeginRequest(limits_.requestDeadline);
      bool closed = false;
      ok = process_request(stream, i == keep_alive_max_count_, closed, setup);
      if (!ok || closed || stream.closeAfterReply()) break;
    }
    current = nullptr;
    if (ssl && !stream.dropped()) SSL_shutdown(ssl);
    reset = stream.resetOnClose();
  }
  if (ssl) SSL_free(ssl);
  if (reset) {
    // An abortive close: the peer sees the connection reset, not its end.
    const linger abort{1, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  } else {
    ::shutdown(sock, SHUT_RDWR);
  }
  ::close(sock);
  return ok;
}

}  // namespace tarvo::devserver
