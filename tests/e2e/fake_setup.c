// A stand-in installer small enough to be served as a 2,048-byte download
// (the test pads it): it appends its own path to C:\tarvo-test\fake-setup.log
// and ends. Its texts live in .text so that the file has two sections only.
#include <windows.h>

#define IN_TEXT __attribute__((section(".text")))
static const wchar_t kLog[] IN_TEXT = L"C:\\tarvo-test\\fake-setup.log";
static const wchar_t kLineEnd[] IN_TEXT = L"\n";

void __stdcall start(void) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
  HANDLE log = CreateFileW(kLog, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (log != INVALID_HANDLE_VALUE) {
    DWORD written;
    WriteFile(log, path, n * sizeof(wchar_t), &written, NULL);
    WriteFile(log, kLineEnd, sizeof(wchar_t), &written, NULL);
    CloseHandle(log);
  }
  ExitProcess(0);
}
