// Built only with test hooks (TARVO_TESTING): see test_hooks.h.
#include "client/base/test_hooks.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "client/res/update_ids.h"
#include "common/process/startup_marks_win.h"

namespace tarvo {

std::optional<std::wstring> ServerBaseUrlOverride() {
  const char* env = std::getenv("TARVO_SERVER_BASE_URL");
  if (env == nullptr || *env == '\0') return std::nullopt;
  std::wstring url;
  for (const char* p = env; *p; ++p) url += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  while (!url.empty() && url.back() == L'/') url.pop_back();
  return url;
}

void TraceUpdateWindow(HWND window, const wchar_t* event) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"TARVO_UPDATE_TRACE", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  wchar_t percent[32] = {};
  wchar_t status[128] = {};
  GetDlgItemTextW(window, IDC_UPDATE_PERCENT, percent, 32);
  GetDlgItemTextW(window, IDC_UPDATE_STATUS, status, 128);
  const auto position = SendDlgItemMessageW(window, IDC_UPDATE_PROGRESS, PBM_GETPOS, 0, 0);
  wchar_t line[256];
  swprintf(line, 256, L"%ls\t%ls\t%d\t%ls\n", event, percent, static_cast<int>(position), status);
  char utf8[1024];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (FILE* file = _wfopen(path, L"ab")) {
    if (bytes > 1) fwrite(utf8, 1, static_cast<std::size_t>(bytes - 1), file);
    fclose(file);
  }
}

void MarkStartup(const char* stage) { MarkStartupStage(stage); }

}  // namespace tarvo
