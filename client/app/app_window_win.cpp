#include "client/app/app_window_win.h"

#include <atomic>

#include "client/base/app_settings.h"
#include "common/process/process_win.h"
#include "common/process/program_file.h"

namespace tarvo {
namespace {

std::atomic<HWND> g_mainWindow{nullptr};

}  // namespace

void SetAppMainWindow(HWND window) { g_mainWindow.store(window); }

HWND AppMainWindow() { return g_mainWindow.load(); }

void PostQuitToMainWindow() {
  if (HWND window = AppMainWindow()) PostMessageW(window, WM_QUIT, 0, 0);
}

int ShowAppMessage(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), std::wstring(AppName).c_str(), type);
}

const std::wstring& ProgramFolder() {
  static const std::wstring folder = FolderOfPath(ModulePath());
  return folder;
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace tarvo
