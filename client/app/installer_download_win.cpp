#include "client/app/installer_download_win.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <optional>

#include "client/app/app_settings.h"
#include "client/app/download_progress.h"
#include "client/protocol/internet_handles_win.h"
#include "client/protocol/url_parts_win.h"

namespace tarvo {
namespace {

enum Slot { kSession = 0, kUrl = 1 };

class UrlSource : public DownloadSource {
 public:
  explicit UrlSource(HINTERNET url) : url_(url) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity) override {
    DWORD read = 0;
    // A failed read counts like an empty one: only the number of bytes matters.
    if (!InternetReadFile(url_, buffer, static_cast<DWORD>(capacity), &read)) return 0;
    return read;
  }

 private:
  HINTERNET url_;
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

bool IsSuccessStatus(HINTERNET url) {
  DWORD status = 0;
  DWORD size = sizeof status;
  return HttpQueryInfoW(url, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
         status >= 200 && status <= 299;
}

std::optional<std::uint32_t> AnnouncedLength(HINTERNET url) {
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (!HttpQueryInfoW(url, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
  return ParseContentLength(std::wstring_view(text, size / sizeof(wchar_t)));
}

// The download goes only to the service's own scheme, host and port.
bool OnServiceHost(const std::wstring& url) {
  const auto target = SplitUrl(url);
  const auto service = SplitUrl(ServerBaseUrl());
  return target && service && target->scheme == service->scheme && target->port == service->port &&
         CompareStringOrdinal(target->host.c_str(), -1, service->host.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A new, empty file with a unique name in `folder`; empty on failure.
std::wstring FreshTemporaryFile(const std::wstring& folder) {
  wchar_t name[MAX_PATH] = {};
  if (GetTempFileNameW(folder.c_str(), L"tvo", 0, name) == 0) return {};
  return name;
}

}  // namespace

std::wstring InstallerPath(const std::wstring& tempFolder) {
  return tempFolder + std::wstring(kInstallerFileName);
}

std::wstring DownloadInstaller(const InstallerDownload& job, const std::function<void(int)>& progress,
                               std::stop_token stop) {
  if (job.tempFolder.empty() || stop.stop_requested() || !OnServiceHost(job.url)) return {};
  InternetHandles handles;
  std::stop_callback cancel(stop, [&handles] { handles.CloseAll(); });

  HINTERNET session = handles.Keep(
      InternetOpenW(std::wstring(AppName).c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0), kSession);
  if (session == nullptr) return {};
  // Certificates are verified (no security flag is relaxed), the cache is
  // bypassed so that an earlier download is never handed back, and a
  // redirect is not followed (its 3xx is no installer).
  HINTERNET url = handles.Keep(
      InternetOpenUrlW(session, job.url.c_str(), nullptr, 0,
                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT, 0),
      kUrl);
  if (url == nullptr || !IsSuccessStatus(url)) return {};
  const std::optional<std::uint32_t> announced = AnnouncedLength(url);

  const std::wstring partial = FreshTemporaryFile(job.tempFolder);
  if (partial.empty()) return {};
  HANDLE file =
      CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileW(partial.c_str());
    return {};
  }
  UrlSource source(url);
  FileSink sink(file);
  const DownloadOutcome outcome = RunDownloadLoop(source, sink, announced, progress, stop);
  const bool flushed = FlushFileBuffers(file) != FALSE;
  const bool closed = CloseHandle(file) != FALSE;
  handles.CloseAll();

  const std::wstring installer = InstallerPath(job.tempFolder);
  if (flushed && closed && IsCompleteDownload(outcome, announced, job.expectedSha256) &&
      !stop.stop_requested() && MoveFileExW(partial.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return installer;
  }
  DeleteFileW(partial.c_str());
  return {};
}

}  // namespace tarvo
