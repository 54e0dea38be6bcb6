// The baseline of the start-up benchmark: the smallest dialog program, a
// window titled "Bare" built from a template, nothing else. It marks its
// start-up stages as the client does (TARVO_STARTUP_MARKS).
#include <windows.h>

#include "common/process/startup_marks_win.h"

namespace {

using tarvo::MarkStartupStage;

INT_PTR CALLBACK BareProc(HWND window, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    MarkStartupStage("window-created");
    return TRUE;
  }
  if (msg == WM_PAINT) {
    MarkStartupStage("first-paint");  // the first one only
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
  MarkStartupStage("main");
  DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareProc, 0);
  return 0;
}
