#include "devserver/service/service_state.h"

#include <filesystem>

namespace tarvo::devserver {

std::unique_ptr<ServiceState> ServiceState::Create(const ServerConfig& config, std::string& error) {
  SettingsSnapshot initial;
  initial.version = config.appVersion;
  initial.vpnServer = config.vpnServer;
  if (!config.installerFile.empty()) {
    initial.installer = LoadInstaller(config.installerFile, error);
    if (!initial.installer) return nullptr;
  }
  auto db = Database::Open(config.dbFile, error);
  if (!db) return nullptr;
  std::unique_ptr<ServiceState> state(new ServiceState(std::move(db), std::move(initial), config));
  if (state->seedDemo_) state->SeedDemo();
  return state;
}

ServiceState::ServiceState(std::unique_ptr<Database> db, SettingsSnapshot initial, const ServerConfig& config)
    : accounts(*db),
      sessions(*db),
      settings(initial),
      installerFolder(!config.installerFolder.empty()  ? config.installerFolder
                      : !config.installerFile.empty()
                          ? std::filesystem::absolute(config.installerFile).parent_path().string()
                                                      : std::string()),
      db_(std::move(db)),
      initial_(std::move(initial)),
      seedDemo_(config.seedDemo),
      clock_(config.clock ? config.clock : SystemNowMs) {}

// The demo account is reset on every start so that a demo always has its 30 days.
void ServiceState::SeedDemo() { accounts.Put(kDemoId, kDemoPassword, Now() + kDemoMinutes * 60'000, Now()); }

void ServiceState::Reset() {
  faults.Clear();
  log.Clear();
  sessions.Clear();
  accounts.Clear();
  settings.Set(initial_);
  if (seedDemo_) SeedDemo();
}

}  // namespace tarvo::devserver
