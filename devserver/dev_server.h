#pragma once
// The reference server: the service listener (HTTP or HTTPS) and the admin
// listener over one shared state.

#include <cstdint>
#include <memory>
#include <string>

#include "devserver/server_config.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace tarvo::devserver {

class AdminApi;
class ConnectionStream;
class CapturingServer;
class ProtocolHandlers;
class ServiceState;

class DevServer {
 public:
  explicit DevServer(ServerConfig config);
  ~DevServer();
  DevServer(const DevServer&) = delete;
  DevServer& operator=(const DevServer&) = delete;

  // Opens the database, binds both listeners and starts serving. False with
  // the reason in `error`.
  bool Start(std::string& error);
  // Releases hung requests and waits for every connection to end.
  void Stop();

  // "http://127.0.0.1:43127" (https with a certificate), valid after Start.
  std::string url() const;
  std::string adminUrl() const;
  int port() const { return config_.listen.port; }
  int adminPort() const { return config_.adminListen.port; }

 private:
  void Handle(const httplib::Request& req, httplib::Response& res);
  std::uint64_t LogArrival(const ConnectionStream& stream, std::string name);

  ServerConfig config_;
  std::unique_ptr<ServiceState> state_;
  std::unique_ptr<ProtocolHandlers> protocol_;
  std::unique_ptr<AdminApi> admin_;
  std::unique_ptr<CapturingServer> service_;
  std::unique_ptr<CapturingServer> adminServer_;
};

}  // namespace tarvo::devserver
