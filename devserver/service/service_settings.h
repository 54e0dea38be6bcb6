#pragma once
// What the operator can change while the server runs: the announced version,
// the installer, maintenance mode and the VPN server handed to clients.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tarvo::devserver {

struct Installer {
  std::string file;    // where it was read from
  std::string bytes;   // read once, so the announced digest always matches what is served
  std::string sha256;  // lowercase hex
  // The publisher's signature from the file beside it, "<file>.sig" (128 hex
  // digits, lowercase); empty when there is none.
  std::string signature;
};

// Reads the installer file and its signature file when there is one; nothing
// on failure, with the reason in `error`.
std::shared_ptr<const Installer> LoadInstaller(const std::string& file, std::string& error);

// Files larger than this are not served as installers.
inline constexpr std::uintmax_t kMaxInstallerBytes = std::uintmax_t{256} << 20;

// The installer file an admin request names, read only when it lies in
// `folder` (symbolic links resolved); nothing otherwise, with the reason.
std::shared_ptr<const Installer> LoadInstallerFrom(const std::string& folder, const std::string& file,
                                                   std::string& error);

inline constexpr const char* kDefaultInstallerPath = "/tarvo_app/download/Tarvo_setup.exe";

struct SettingsSnapshot {
  std::string version = "1.0.2.6";
  std::string installerPath = kDefaultInstallerPath;  // the URL path the version reply names
  std::shared_ptr<const Installer> installer;         // none: no download offered
  bool maintenance = false;
  std::string vpnServer = "127.0.0.1";
};

class ServiceSettings {
 public:
  explicit ServiceSettings(SettingsSnapshot initial) : current_(std::move(initial)) {}

  SettingsSnapshot Get() const;
  void Set(SettingsSnapshot s);

 private:
  mutable std::mutex mutex_;
  SettingsSnapshot current_;
};

// Why a text cannot be the version, installer URL path or VPN server, or nothing.
std::optional<std::string> InvalidVersionReason(const std::string& version);
std::optional<std::string> InvalidInstallerPathReason(const std::string& path);
std::optional<std::string> InvalidVpnServerReason(const std::string& server);

}  // namespace tarvo::devserver
