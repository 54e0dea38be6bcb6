#pragma once
// Everything the service and admin listeners share.

#include <memory>
#include <string>

#include "devserver/store/account_store.h"
#include "devserver/store/database.h"
#include "devserver/service/fault_injector.h"
#include "devserver/service/request_log.h"
#include "devserver/server_config.h"
#include "devserver/service/service_settings.h"
#include "devserver/store/session_store.h"

namespace tarvo::devserver {

inline constexpr const char* kDemoId = "demo";
inline constexpr const char* kDemoPassword = "demo1234";
inline constexpr std::int64_t kDemoMinutes = 43'200;  // 30 days

class ServiceState {
 public:
  // Nothing when the database or the installer cannot be opened; the reason goes to `error`.
  static std::unique_ptr<ServiceState> Create(const ServerConfig& config, std::string& error);

  // Back to the state right after start: no accounts (but the demo account
  // when seeding), sessions, events, faults or logged requests, and the
  // settings of the command line.
  void Reset();
  std::int64_t Now() const { return clock_(); }

  AccountStore accounts;
  SessionStore sessions;
  ServiceSettings settings;
  FaultInjector faults;
  RequestLog log;
  // Where the admin interface may take installer files from (empty: nowhere).
  const std::string installerFolder;

 private:
  ServiceState(std::unique_ptr<Database> db, SettingsSnapshot initial, const ServerConfig& config);
  void SeedDemo();

  std::unique_ptr<Database> db_;
  SettingsSnapshot initial_;
  bool seedDemo_;
  Clock clock_;
};

}  // namespace tarvo::devserver
