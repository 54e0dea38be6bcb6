#include "common/process/process_win.h"

#include <shellapi.h>

namespace tarvo {

std::wstring ModulePath() {
  std::wstring path(520, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // long path: grow rather than cut the name
  }
}

bool ClaimSingleInstance(const wchar_t* mutexName, const wchar_t* windowTitle) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName);
  const DWORD error = GetLastError();
  if (mutex != nullptr) ReleaseMutex(mutex);  // the handle itself stays open for the process's life
  if (error != ERROR_ALREADY_EXISTS) return true;

  if (HWND other = FindWindowW(nullptr, windowTitle)) {
    HWND popup = GetLastActivePopup(other);
    if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
    SetForegroundWindow(popup);
  }
  return false;
}

void ShellOpenHidden(const wchar_t* file, const wchar_t* parameters) {
  ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_HIDE);
}

void RunHangUpCommand() { ShellOpenHidden(L"cmd.exe", L"/C rasdial Tarvo /disconnect"); }

}  // namespace tarvo
