#include "devserver/service/service_settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "devserver/service/digest.h"

namespace tarvo::devserver {
namespace {

bool AllOf(const std::string& text, bool (*ok)(char)) {
  for (char c : text)
    if (!ok(c)) return false;
  return true;
}

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The signature file beside an installer: one line of 128 hex digits. True
// with an empty `signature` when there is no such file.
bool ReadSignatureFile(const std::string& installerFile, std::string& signature, std::string& error) {
  namespace fs = std::filesystem;
  const std::string file = installerFile + ".sig";
  std::error_code ec;
  if (!fs::exists(file, ec)) return true;
  std::string text;
  // Only a regular file is opened: a FIFO or a device would block the reader.
  std::ifstream in;
  if (fs::is_regular_file(file, ec) && fs::file_size(file, ec) <= 1024) in.open(file, std::ios::binary);
  if (in) {
    std::getline(in, text);
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  }
  if (text.size() != 128 || !AllOf(text, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
    error = "installer signature " + file + " must hold 128 hex digits";
    return false;
  }
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  signature = text;
  return true;
}

}  // namespace

std::shared_ptr<const Installer> LoadInstallerFrom(const std::string& folder, const std::string& file,
                                                   std::string& error) {
  namespace fs = std::filesystem;
  if (folder.empty()) {
    error = "installer_file needs an installer folder (--installer-folder, or --installer)";
    return nullptr;
  }
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  const fs::path target = ec ? fs::path() : fs::canonical(file, ec);
  if (ec || !fs::is_regular_file(target, ec)) {
    error = "cannot read installer file " + file;
    return nullptr;
  }
  const auto inFolder = [&root](const fs::path& path) {
    return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
  };
  if (!inFolder(target)) {
    error = "installer_file must lie in the installer folder " + root.string();
    return nullptr;
  }
  // Its signature file is read from the folder as well.
  const fs::path signature = fs::path(target.string() + ".sig");
  if (fs::exists(signature, ec) && !inFolder(fs::canonical(signature, ec))) {
    error = "the installer's signature file must lie in the installer folder " + root.string();
    return nullptr;
  }
  return LoadInstaller(target.string(), error);
}

std::shared_ptr<const Installer> LoadInstaller(const std::string& file, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {  // a FIFO or a device would block the reader
    error = "installer file " + file + " is not a regular file";
    return nullptr;
  }
  const auto size = std::filesystem::file_size(file, ec);
  if (!ec && size > kMaxInstallerBytes) {
    error = "installer file " + file + " is larger than " + std::to_string(kMaxInstallerBytes >> 20) + " MiB";
    return nullptr;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read installer file " + file;
    return nullptr;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    error = "cannot read installer file " + file;
    return nullptr;
  }
  auto installer = std::make_shared<Installer>();
  if (!ReadSignatureFile(file, installer->signature, error)) return nullptr;
  installer->file = file;
  installer->bytes = std::move(bytes).str();
  installer->sha256 = Sha256Hex(installer->bytes);
  return installer;
}

SettingsSnapshot ServiceSettings::Get() const {
  std::lock_guard lock(mutex_);
  return current_;
}

void ServiceSettings::Set(SettingsSnapshot s) {
  std::lock_guard lock(mutex_);
  current_ = std::move(s);
}

// The version reply is comma separated and compared as text by the client.
std::optional<std::string> InvalidVersionReason(const std::string& version) {
  if (version.empty() || version.size() > 32 ||
      !AllOf(version, [](char c) { return IsAsciiAlnum(c) || c == '.' || c == '-' || c == '_'; }))
    return "version must be 1 to 32 letters, digits, '.', '-' or '_'";
  return std::nullopt;
}

// The path goes into the comma separated version reply and is appended to the
// client's base URL as it stands.
std::optional<std::string> InvalidInstallerPathReason(const std::string& path) {
  if (path.size() < 2 || path.size() > 200 || path[0] != '/' || !AllOf(path, [](char c) {
        return IsAsciiAlnum(c) || std::string_view("/._-").find(c) != std::string_view::npos;
      }))
    return "installer path must start with '/' and hold only letters, digits, '/', '.', '_' or '-'";
  return std::nullopt;
}

// It becomes the phone number of the client's VPN entry (at most 128 characters).
std::optional<std::string> InvalidVpnServerReason(const std::string& server) {
  if (server.empty() || server.size() > 128 ||
      !AllOf(server, [](char c) { return IsAsciiAlnum(c) || c == '.' || c == '-' || c == ':'; }))
    return "VPN server must be a host name or address (letters, digits, '.', '-', ':'), at most 128 "
           "characters";
  return std::nullopt;
}

}  // namespace tarvo::devserver
