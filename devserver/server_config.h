#pragma once
// How a server is started: the command line's options, or a test's.

#include <string>

#include "devserver/http/endpoint.h"
#include "devserver/http/listener_limits.h"
#include "devserver/service/time_format.h"

namespace tarvo::devserver {

struct ServerConfig {
  Endpoint listen{"127.0.0.1", 0};
  Endpoint adminListen{"127.0.0.1", 0};
  std::string dbFile;  // empty: in memory
  std::string tlsCert;
  std::string tlsKey;
  std::string installerFile;  // empty: no installer offered
  // The folder that the admin interface may take installer files from;
  // empty: the folder of installerFile, and none without it.
  std::string installerFolder;
  std::string appVersion = "1.0.2.6";
  std::string vpnServer = "127.0.0.1";
  bool seedDemo = false;
  ListenerLimits service;                   // the service listener
  // The admin interface: this machine's tools only, JSON bodies of up to 64 KiB.
  ListenerLimits admin{.pool = {16, 16}, .maxBody = 64 * 1024};
  Clock clock = SystemNowMs;
};

}  // namespace tarvo::devserver
