// The baseline of the start-up benchmark: the smallest dialog program, a
// window titled "Bare" built from a template, nothing else. It marks its
// start-up stages as the client does (TARVO_STARTUP_MARKS).
#include <windows.h>

#include <string>

#include "common/process/startup_marks_win.h"

namespace {

void Mark(const char* stage) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"TARVO_STARTUP_MARKS", path, MAX_PATH);
  if (n != 0 && n < MAX_PATH) tarvo::AppendStartupMark(path, stage);
}

INT_PTR CALLBACK BareProc(HWND window, UINT msg, WPARAM wParam, LPARAM) {
  static bool painted = false;
  if (msg == WM_INITDIALOG) {
    Mark("window-created");
    return TRUE;
  }
  if (msg == WM_PAINT && !painted) {
    painted = true;
    Mark("first-paint");
    return FALSE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(window, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Mark("main");
  DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareProc, 0);
  return 0;
}
