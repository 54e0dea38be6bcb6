// Stand-in for a program that the client starts through the shell. Records
//   <ms since 1970-01-01 UTC> TAB <own file name> TAB <show state> TAB <full command line>
// as one UTF-8 line appended to the file named by TARVO_RECORDER_LOG (default
// C:\tarvo-test\started.log), then ends with exit code 0. The show state is
// the SW_ value its starter asked for, or "-" when it asked for none. It
// shows no window and needs no console, so it can stand in for console and
// GUI programs alike.

#include <windows.h>

#include <string>
#include <string_view>

namespace {

constexpr wchar_t kDefaultLogPath[] = L"C:\\tarvo-test\\started.log";
constexpr unsigned long long kUnixEpochIn100ns = 116444736000000000ull;

std::wstring EnvironmentValue(const wchar_t* name, const wchar_t* fallback) {
  wchar_t value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return n == 0 || n >= MAX_PATH * 2 ? fallback : value;
}

// The file name this copy runs under ("cmd.exe", "regedit.exe", ...).
std::wstring OwnFileName() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::wstring_view full(path, n);
  const std::size_t slash = full.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? full : full.substr(slash + 1));
}

std::string ShowState() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? std::to_string(startup.wShowWindow) : "-";
}

unsigned long long MillisecondsSinceEpoch() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - kUnixEpochIn100ns) / 10000;
}

// Line ends and tabs escaped, so that one run stays one line of three fields.
std::wstring OneField(std::wstring_view text) {
  std::wstring out;
  for (const wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else if (c == L'\t')
      out += L"\\t";
    else
      out += c;
  }
  return out;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

void CreateParentFolders(const std::wstring& path) {
  for (auto sep = path.find(L'\\', 3); sep != std::wstring::npos; sep = path.find(L'\\', sep + 1)) {
    CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
  }
}

void Record(const std::string& line) {
  const std::wstring path = EnvironmentValue(L"TARVO_RECORDER_LOG", kDefaultLogPath);
  // One appending write keeps lines whole when two runs record at once.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND) {
    CreateParentFolders(path);
    file = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Record(std::to_string(MillisecondsSinceEpoch()) + "\t" + Utf8(OneField(OwnFileName())) + "\t" +
         ShowState() + "\t" + Utf8(OneField(GetCommandLineW())) + "\n");
  return 0;
}
