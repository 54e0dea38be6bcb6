#pragma once
// The updater's download: the installer from the service's web server into
// the user's temporary folder, over a WinINet session of its own.

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::wstring_view kInstallerFileName = L"Tarvo_setup.exe";

struct InstallerDownload {
  std::wstring url;             // the installer's full URL; only one on the service's own host is fetched
  std::wstring tempFolder;      // ends in a backslash, as the system gives it
  std::wstring expectedSha256;  // from the version reply; empty when it named none
};

// The installer's path in the temporary folder.
std::wstring InstallerPath(const std::wstring& tempFolder);

// Downloads into a fresh temporary file, reporting the percentage after every
// read. Only a complete download (see IsCompleteDownload) is moved to
// InstallerPath(), and that path is returned; otherwise the temporary file is
// removed, an installer left by an earlier update stays untouched, and the
// result is empty. A stop request cancels the transfer at once.
std::wstring DownloadInstaller(const InstallerDownload& job, const std::function<void(int percent)>& progress,
                               std::stop_token stop);

}  // namespace tarvo
