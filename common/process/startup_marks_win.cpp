#include "common/process/startup_marks_win.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace tarvo {
namespace {

long long UnixMicroseconds(const FILETIME& time) {
  constexpr long long kEpochDifference = 116444736000000000LL;  // 1601-01-01 to 1970-01-01 in 100 ns
  const long long ticks = (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (ticks - kEpochDifference) / 10;
}

std::wstring MarksFile() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"TARVO_STARTUP_MARKS", path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(path, n);
}

}  // namespace

void MarkStartupStage(const char* stage) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  static const std::wstring file = MarksFile();
  if (file.empty()) return;

  static std::mutex mutex;  // the client marks from its launcher thread too
  static std::set<std::string> reached;
  std::lock_guard lock(mutex);
  if (!reached.insert(stage).second) return;
  std::string lines;
  char line[96];
  if (reached.size() == 1) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
      std::snprintf(line, sizeof line, "process-created %lld\n", UnixMicroseconds(created));
      lines += line;
    }
  }
  std::snprintf(line, sizeof line, "%s %lld\n", stage, UnixMicroseconds(now));
  lines += line;
  const HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(out);
}

}  // namespace tarvo
