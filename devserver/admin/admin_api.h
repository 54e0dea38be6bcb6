#pragma once
// The admin interface: JSON over HTTP on a loopback listener, for operators
// and tests. See the "Reference server" section of the README.

#include <httplib.h>

#include <mutex>

#include "devserver/http/capturing_server.h"
#include "devserver/http/endpoint.h"
#include "devserver/service/service_state.h"

namespace tarvo::devserver {

class AdminApi {
 public:
  explicit AdminApi(ServiceState& state) : state_(state) {}
  // `listen` is the admin listener's endpoint; its port is read at each
  // request (it is known once the listener is bound).
  void Register(CapturingServer& server, const Endpoint& listen);

 private:
  void PutAccount(const httplib::Request& req, httplib::Response& res);
  void PatchConfig(const httplib::Request& req, httplib::Response& res);
  void AddFault(const httplib::Request& req, httplib::Response& res);

  ServiceState& state_;
  std::mutex configMutex_;  // PATCH /config reads, changes and writes the settings
};

}  // namespace tarvo::devserver
