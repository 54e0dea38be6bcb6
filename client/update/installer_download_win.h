#pragma once
// The updater's download: the installer from the service's web server into
// a folder of the user's temporary folder that only this user can write,
// made fresh for the update, over a WinINet session of its own.

#include <windows.h>

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::wstring_view kInstallerFileName = L"Tarvo_setup.exe";
// The folders the downloads go to: the prefix, then 8 random hex digits.
inline constexpr std::wstring_view kUpdateFolderPrefix = L"Tarvo-update-";

struct InstallerDownload {
  std::wstring url;             // the installer's full URL; only one on the service's own host is fetched
  std::wstring tempFolder;      // ends in a backslash, as the system gives it
  std::wstring expectedSha256;  // from the version reply; empty when it named none
  std::wstring signature;       // the publisher's signature from the version reply (hex r||s)
};

// An installer that passed every check, held open for reading only: until
// this object goes, nobody can write, rename or delete the file.
class HeldInstaller {
 public:
  HeldInstaller() = default;
  HeldInstaller(std::wstring path, HANDLE file) : path_(std::move(path)), file_(file) {}
  ~HeldInstaller() { Release(); }
  HeldInstaller(HeldInstaller&& other) noexcept { *this = std::move(other); }
  HeldInstaller& operator=(HeldInstaller&& other) noexcept;
  HeldInstaller(const HeldInstaller&) = delete;
  HeldInstaller& operator=(const HeldInstaller&) = delete;

  explicit operator bool() const { return file_ != INVALID_HANDLE_VALUE; }
  const std::wstring& path() const { return path_; }

 private:
  void Release();

  std::wstring path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Removes what earlier updates left in the temporary folder: in each update
// folder its installer (complete or partial), then the folder once empty.
// An installer that is still running stays.
void RemoveEarlierDownloads(const std::wstring& tempFolder);

// Downloads into a fresh private update folder, reporting the percentage
// after every read, then reads the file back through a handle that denies
// writing and deletion and checks it (IsCompleteDownload, then
// IsPublishersInstaller). Only an installer that passed is returned, still
// held; otherwise the file and its folder are removed, and the result is
// empty. A stop request cancels the transfer at once.
HeldInstaller DownloadInstaller(const InstallerDownload& job, const std::function<void(int percent)>& progress,
                                std::stop_token stop);

}  // namespace tarvo
