#include "devserver/capturing_server.h"

#include <openssl/err.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvo::devserver {
namespace {

using namespace std::chrono_literals;

constexpr auto kIoTimeout = 5s;
constexpr std::size_t kMaxRequestsPerConnection = 100;
// Hung requests each hold a worker, so there are plenty.
constexpr std::size_t kWorkers = 32;

thread_local ConnectionStream* current = nullptr;

std::string TlsError() {
  char buf[256] = "unknown TLS error";
  if (const unsigned long code = ERR_get_error()) ERR_error_string_n(code, buf, sizeof buf);
  ERR_clear_error();
  return buf;
}

void SetTimeouts(int sock) {
  timeval tv{static_cast<time_t>(kIoTimeout.count()), 0};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

CapturingServer::CapturingServer() {
  new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  set_keep_alive_max_count(kMaxRequestsPerConnection);
  // The library's default also sets SO_REUSEPORT, which would let a second
  // server share a port that is already taken instead of failing.
  set_socket_options([](int sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
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
  if (SSL_set_fd(ssl, sock) != 1 || SSL_accept(ssl) != 1) {
    ERR_clear_error();
    SSL_free(ssl);
    return nullptr;
  }
  return ssl;
}

bool CapturingServer::process_and_close_socket(int sock) {
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
    };
    const auto idle = std::chrono::seconds(keep_alive_timeout_sec_);
    for (std::size_t i = 1; i <= keep_alive_max_count_ && !stopping_; ++i) {
      if (!stream.SkipBlankLines(idle)) break;
      stream.BeginRequest();
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
