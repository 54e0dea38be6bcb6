#pragma once
// An HTTP(S) listener built on cpp-httplib that runs each connection itself:
// it keeps every request head byte for byte (the library parses and partly
// decodes it), serves TLS with the operator's certificate, and lets a fault
// drop a reply or close a connection early.

#include <httplib.h>
#include <openssl/ssl.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "devserver/http/connection_pool.h"
#include "devserver/http/connection_stream.h"
#include "devserver/http/endpoint.h"
#include "devserver/http/listener_limits.h"

// The listener takes over cpp-httplib's connection loop: it overrides the
// protected process_and_close_socket and calls process_request and
// keep_alive_max_count_, which are the library's inside, not its interface,
// because the public API neither hands out the raw request head nor lets a
// fault cut a reply short. Checked against the 0.11 series (Debian bookworm's).
static_assert(std::string_view(CPPHTTPLIB_VERSION).starts_with("0.11."),
              "CapturingServer relies on cpp-httplib 0.11's protected connection loop: check it against this "
              "version");

namespace tarvo::devserver {

class CapturingServer : public httplib::Server {
 public:
  explicit CapturingServer(ListenerLimits limits = {});
  ~CapturingServer() override;

  // Serve HTTPS with this certificate chain and key (PEM files).
  bool EnableTls(const std::string& certFile, const std::string& keyFile, std::string& error);
  bool tls() const { return tls_ != nullptr; }

  // Called for each parsed request before it is routed.
  using RequestHook = std::function<void(ConnectionStream&, httplib::Request&)>;
  void SetRequestHook(RequestHook hook) { requestHook_ = std::move(hook); }

  // Runs before the routes, for requests whose body the listener takes.
  void SetPreRoutingHandler(HandlerWithResponse handler) { preRouting_ = std::move(handler); }

  // The connection whose request this thread is handling, or null.
  static ConnectionStream* Current();

  // Binds (port 0: any free port, written back into `endpoint`) and starts
  // accepting on a thread of its own.
  bool Start(Endpoint& endpoint, std::string& error);
  // Stops accepting, ends open connections and waits for all threads.
  void Shutdown();

  // Serves one connected socket on the calling thread until it ends, and
  // closes it (the accept loop's work, for the fuzz target of the head reader).
  bool ServeConnection(int sock) { return process_and_close_socket(sock); }

 private:
  bool process_and_close_socket(int sock) override;
  SSL* AcceptTls(int sock) const;
  // A connection the pool has no room for: "503" and closed.
  static void TurnAway(int sock, bool tls);

  const ListenerLimits limits_;
  SSL_CTX* tls_ = nullptr;
  RequestHook requestHook_;
  HandlerWithResponse preRouting_;
  std::atomic<bool> stopping_{false};
  int listenSocket_ = -1;
  std::thread thread_;
};

}  // namespace tarvo::devserver
