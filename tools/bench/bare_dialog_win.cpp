// The baseline of the start-up benchmark: the smallest dialog program, a
// window titled "Bare" built from a template, nothing else. It marks its
// start-up stages as the client does (TARVO_STARTUP_MARKS).
//
// Built a second time with BARE_WITH_CLIENT_IMPORTS, it imports the DLLs the
// client imports and carries its manifest, and calls none of them: the
// start-up a dialog program pays for those DLLs alone.
#include <windows.h>

#ifdef BARE_WITH_CLIENT_IMPORTS
#include <commctrl.h>
#include <iphlpapi.h>
#include <ole2.h>
#include <ras.h>
#include <shellapi.h>
#include <wininet.h>
#endif

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

#ifdef BARE_WITH_CLIENT_IMPORTS
// Taken, never called: one function of each DLL keeps it in the import table.
[[gnu::used]] extern void* const kImported[] = {
    reinterpret_cast<void*>(&InitCommonControlsEx), reinterpret_cast<void*>(&GetAdaptersInfo),
    reinterpret_cast<void*>(&CoInitializeEx),       reinterpret_cast<void*>(&SysFreeString),
    reinterpret_cast<void*>(&RasEnumConnectionsW),  reinterpret_cast<void*>(&ShellExecuteExW),
    reinterpret_cast<void*>(&InternetOpenW),        reinterpret_cast<void*>(&RegOpenKeyExW),
};
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  MarkStartupStage("main");
  DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareProc, 0);
  return 0;
}
