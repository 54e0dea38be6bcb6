#include "client/update/installer_download_win.h"

#include <windows.h>
#include <sddl.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "client/base/app_settings.h"
#include "client/update/cng_win.h"
#include "client/update/download_progress.h"
#include "client/protocol/http_reply_win.h"
#include "client/protocol/http_transport.h"
#include "client/protocol/internet_handles_win.h"
#include "client/protocol/internet_request_win.h"
#include "client/protocol/url_parts_win.h"
#include "common/process/stop_wait.h"

namespace tarvo {
namespace {

// Once the download is cancelled (a stop, the deadline) every read is an
// empty one: the download ends as an incomplete one.
class UrlSource : public DownloadSource {
 public:
  UrlSource(InternetHandles& handles, HINTERNET url) : handles_(handles), url_(url) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity) override {
    InternetHandles::Call call(handles_);
    DWORD read = 0;
    // A failed read counts like an empty one: only the number of bytes matters.
    if (!call || !InternetReadFile(url_, buffer, static_cast<DWORD>(capacity), &read)) return 0;
    return read;
  }

 private:
  InternetHandles& handles_;
  HINTERNET url_;
};

class FileSource : public DownloadSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity) override {
    DWORD read = 0;
    if (!ReadFile(file_, buffer, static_cast<DWORD>(capacity), &read, nullptr)) return 0;
    return read;
  }

 private:
  HANDLE file_;
};

class FileSink : public DownloadSink {
 public:
  explicit FileSink(HANDLE file) : file_(file) {}
  bool Write(const std::uint8_t* bytes, std::size_t size) override {
    DWORD written = 0;
    return WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
  }

 private:
  HANDLE file_;
};

// The download goes only to the service's own scheme, host and port.
bool OnServiceHost(const std::wstring& url) {
  const auto target = SplitUrl(url);
  const auto service = SplitUrl(ServerBaseUrl());
  return target && service && target->scheme == service->scheme && target->port == service->port &&
         CompareStringOrdinal(target->host.c_str(), -1, service->host.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The current user's SID as text ("S-1-5-21-..."); empty on failure.
std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::wstring result;
  wchar_t* text = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    result = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return result;
}

// A new folder in `tempFolder` whose only access rule gives this user full
// control (protected: nothing is inherited from the temporary folder); its
// path with a trailing backslash, or empty on failure.
std::wstring CreatePrivateFolder(const std::wstring& tempFolder) {
  const std::wstring sid = CurrentUserSid();
  if (sid.empty()) return {};
  const std::wstring rules = L"D:P(A;OICI;FA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(rules.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return {};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const Cng* cng = LoadedCng();
  std::wstring created;
  for (int attempt = 0; cng && attempt < 16 && created.empty(); ++attempt) {
    std::uint32_t random = 0;
    if (cng->BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&random), sizeof random,
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
      break;
    wchar_t suffix[9];
    std::swprintf(suffix, 9, L"%08x", random);
    const std::wstring folder = tempFolder + std::wstring(kUpdateFolderPrefix) + suffix;
    if (CreateDirectoryW(folder.c_str(), &attributes))
      created = folder + L"\\";
    else if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  LocalFree(descriptor);
  return created;
}

void RemoveFolderWithInstaller(const std::wstring& folder) {
  DeleteFileW((folder + std::wstring(kInstallerFileName)).c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

HeldInstaller& HeldInstaller::operator=(HeldInstaller&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    file_ = other.file_;
    other.file_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

void HeldInstaller::Release() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

void RemoveEarlierDownloads(const std::wstring& tempFolder) {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = tempFolder + std::wstring(kUpdateFolderPrefix) + L"*";
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // A link is not followed: only folders an update made hold downloads.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      RemoveFolderWithInstaller(tempFolder + found.cFileName + L"\\");
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

HeldInstaller DownloadInstaller(const InstallerDownload& job, const std::function<void(int)>& progress,
                                std::stop_token stop) {
  if (job.tempFolder.empty() || stop.stop_requested() || !OnServiceHost(job.url)) return {};
  RemoveEarlierDownloads(job.tempFolder);
  const std::optional<UrlParts> parts = SplitUrl(job.url);
  if (!parts) return {};
  // The protocol's bounds: a silent server fails its read (the request's
  // time-outs), a slow one the deadline, which cancels whatever is under way.
  const auto deadline = std::chrono::steady_clock::now() + ExchangeLimits{}.deadline;
  InternetHandles handles;
  std::stop_callback cancel(stop, [&handles] { handles.Cancel(); });
  const std::jthread deadlineWatch([&handles, deadline](std::stop_token finished) {
    if (PauseUnlessStopped(finished, std::chrono::duration_cast<std::chrono::milliseconds>(
                                         deadline - std::chrono::steady_clock::now())))
      handles.Cancel();
  });

  // The cache is bypassed so that an earlier download is never handed back,
  // and a redirect is not followed (its 3xx is no installer).
  const std::wstring agent(AppName);
  RequestStatus error = kRequestOk;
  const HINTERNET request = SendGetRequest(
      handles, *parts,
      {agent.c_str(), INTERNET_OPEN_TYPE_DIRECT,
       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT, {}},
      error);
  if (request == nullptr) return {};
  std::optional<std::uint32_t> announced;
  {
    InternetHandles::Call call(handles);
    if (!call || !IsSuccessStatus(request)) return {};
    // Without a readable length nothing is launched (IsCompleteDownload).
    announced = ReadContentLength(request).value;
  }

  const std::wstring folder = CreatePrivateFolder(job.tempFolder);
  if (folder.empty()) return {};
  const std::wstring path = folder + std::wstring(kInstallerFileName);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(folder.c_str());
    return {};
  }
  UrlSource source(handles, request);
  FileSink sink(file);
  const DownloadOutcome outcome = RunDownloadLoop(source, sink, announced, progress, stop);
  const bool flushed = FlushFileBuffers(file) != FALSE;
  const bool closed = CloseHandle(file) != FALSE;
  handles.CloseAll();

  if (flushed && closed && IsCompleteDownload(outcome, announced, job.expectedSha256) && !stop.stop_requested()) {
    // What is checked is what lies on the disk, read through the handle that
    // keeps it so until the launch: others may read it, nobody may change it.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held != INVALID_HANDLE_VALUE) {
      FileSource onDisk(held);
      if (IsPublishersInstaller(outcome, DigestOf(onDisk), job.signature) && !stop.stop_requested())
        return HeldInstaller(path, held);
      CloseHandle(held);
    }
  }
  RemoveFolderWithInstaller(folder);
  return {};
}

}  // namespace tarvo
