#include <windows.h>

#include <string>

#include "tools/rasdial/command_log_win.h"

namespace tarvo::rasdial {
namespace {

constexpr wchar_t kDefaultLogPath[] = L"C:\\tarvo-test\\rasdial.log";
constexpr unsigned long long kUnixEpochIn100ns = 116444736000000000ull;

std::wstring LogPath() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"TARVO_RASDIAL_LOG", path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return kDefaultLogPath;
  return path;
}

void CreateParentFolders(const std::wstring& path) {
  for (auto sep = path.find(L'\\', 3); sep != std::wstring::npos; sep = path.find(L'\\', sep + 1)) {
    CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
  }
}

unsigned long long MillisecondsSinceEpoch() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - kUnixEpochIn100ns) / 10000;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

void RecordCommandLine(std::wstring_view commandLine) {
  std::wstring oneLine;
  for (const wchar_t c : commandLine) {
    if (c == L'\r') {
      oneLine += L"\\r";
    } else if (c == L'\n') {
      oneLine += L"\\n";
    } else {
      oneLine += c;
    }
  }
  const std::string line = std::to_string(MillisecondsSinceEpoch()) + "\t" + Utf8(oneLine) + "\n";

  const std::wstring path = LogPath();
  // Appending in one write keeps lines whole when two runs record at once.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND) {
    CreateParentFolders(path);
    file = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace tarvo::rasdial
