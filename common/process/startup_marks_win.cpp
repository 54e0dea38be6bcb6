#include "common/process/startup_marks_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace tarvo {
namespace {

long long UnixMicroseconds(const FILETIME& time) {
  constexpr long long kEpochDifference = 116444736000000000LL;  // 1601-01-01 to 1970-01-01 in 100 ns
  const long long ticks = (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (ticks - kEpochDifference) / 10;
}

}  // namespace

void AppendStartupMark(const std::wstring& file, const char* stage) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  static bool first = true;
  std::string lines;
  char line[96];
  if (first) {
    first = false;
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
