// The baseline of the start-up benchmark: the smallest dialog program, a
// window titled "Bare" built from a template, nothing else.
#include <windows.h>

namespace {

INT_PTR CALLBACK BareProc(HWND window, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(window, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareProc, 0);
  return 0;
}
