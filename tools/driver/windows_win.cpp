#include "tools/driver/windows_win.h"

#include <tlhelp32.h>

#include <cstdint>
#include <map>

#include "tools/driver/json_line.h"

namespace tarvo::driver {
namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr UINT kMessageTimeoutMs = 5000;

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring BaseName(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

}  // namespace

bool WindowFilter::Matches(const WindowInfo& window) const {
  if (hwnd && *hwnd != window.hwnd) return false;
  if (title && *title != L"*" && *title != window.title) return false;
  if (className && !SameTextIgnoringCase(*className, window.className)) return false;
  if (exe && !SameTextIgnoringCase(*exe, window.exe)) return false;
  if (pid && *pid != window.pid) return false;
  if (visibleOnly && !window.visible) return false;
  return true;
}

std::string WindowFilter::Describe() const {
  std::string text = "window";
  if (title) text += " titled " + JsonText(ToUtf8(*title));
  if (className) text += " of class " + JsonText(ToUtf8(*className));
  if (exe) text += " of " + JsonText(ToUtf8(*exe));
  if (pid) text += " of process " + std::to_string(*pid);
  if (hwnd) text += " with handle " + HandleText(reinterpret_cast<std::uintptr_t>(*hwnd));
  if (visibleOnly) text += " (visible)";
  return text;
}

std::vector<std::wstring> WindowValueOptions(std::vector<std::wstring> extra) {
  extra.insert(extra.end(), {L"class", L"exe", L"pid", L"hwnd", L"timeout"});
  return extra;
}

std::vector<std::wstring> WindowFlags(std::vector<std::wstring> extra) {
  extra.push_back(L"visible");
  return extra;
}

WindowFilter FilterFromArgs(const CommandLine& args, std::optional<std::size_t> titleIndex) {
  WindowFilter filter;
  if (titleIndex) filter.title = args.Positional(*titleIndex, "window title (\"*\" for any)");
  filter.className = args.Option(L"class");
  filter.exe = args.Option(L"exe");
  if (const auto pid = args.Option(L"pid")) filter.pid = static_cast<DWORD>(ParseInteger(*pid, "--pid"));
  if (const auto hwnd = args.Option(L"hwnd")) {
    filter.hwnd = reinterpret_cast<HWND>(static_cast<std::intptr_t>(ParseInteger(*hwnd, "--hwnd")));
  }
  filter.visibleOnly = args.Flag(L"visible");
  return filter;
}

DWORD TimeoutFromArgs(const CommandLine& args) {
  const long long ms = args.Integer(L"timeout", kDefaultTimeoutMs);
  if (ms < 0) throw DriverError(DriverError::kUsage, "--timeout must not be negative");
  return static_cast<DWORD>(ms);
}

std::wstring ExeNameOfProcess(DWORD pid) {
  if (const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    wchar_t path[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    if (ok) return BaseName(std::wstring(path, size));
  }
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return {};
  std::wstring name;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == pid) {
      name = BaseName(entry.szExeFile);
      break;
    }
  }
  CloseHandle(snapshot);
  return name;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

WindowInfo DescribeWindow(HWND hwnd) {
  WindowInfo info;
  info.hwnd = hwnd;
  info.className = ClassOf(hwnd);
  // For another process's top-level window this reads the stored title
  // without sending a message, so a hung window cannot block the driver.
  const int length = GetWindowTextLengthW(hwnd);
  if (length > 0) {
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    title.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, title.data(), length + 1)));
    info.title = title;
  }
  info.visible = IsWindowVisible(hwnd) != FALSE;
  info.enabled = IsWindowEnabled(hwnd) != FALSE;
  info.style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  GetWindowRect(hwnd, &info.rect);
  GetWindowThreadProcessId(hwnd, &info.pid);
  info.owner = GetWindow(hwnd, GW_OWNER);
  return info;
}

std::vector<WindowInfo> TopLevelWindows() {
  std::vector<HWND> handles;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&handles));
  std::map<DWORD, std::wstring> exeByPid;
  std::vector<WindowInfo> windows;
  windows.reserve(handles.size());
  for (const HWND hwnd : handles) {
    if (!IsWindow(hwnd)) continue;
    WindowInfo info = DescribeWindow(hwnd);
    auto known = exeByPid.find(info.pid);
    if (known == exeByPid.end()) known = exeByPid.emplace(info.pid, ExeNameOfProcess(info.pid)).first;
    info.exe = known->second;
    windows.push_back(std::move(info));
  }
  return windows;
}

Json RectJson(const RECT& rect) { return Json::array({rect.left, rect.top, rect.right, rect.bottom}); }

Json WindowJsonFields(const WindowInfo& window) {
  return {{"hwnd", HandleText(reinterpret_cast<std::uintptr_t>(window.hwnd))},
          {"class", ToUtf8(window.className)},
          {"title", ToUtf8(window.title)},
          {"visible", window.visible},
          {"enabled", window.enabled},
          {"style", HandleText(window.style)},
          {"exstyle", HandleText(window.exStyle)},
          {"rect", RectJson(window.rect)},
          {"pid", window.pid},
          {"exe", ToUtf8(window.exe)},
          {"owner", HandleText(reinterpret_cast<std::uintptr_t>(window.owner))}};
}

std::string WindowJson(const WindowInfo& window) { return JsonText(WindowJsonFields(window)); }

WindowInfo WaitForWindow(const WindowFilter& filter, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    for (const WindowInfo& window : TopLevelWindows()) {
      if (filter.Matches(window)) return window;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(kPollMs);
  }
  throw DriverError(DriverError::kNotFound,
                    "no " + filter.Describe() + " within " + std::to_string(timeoutMs) + " ms");
}

void WaitForNoWindow(const WindowFilter& filter, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    bool found = false;
    for (const WindowInfo& window : TopLevelWindows()) found = found || filter.Matches(window);
    if (!found) return;
    if (GetTickCount64() >= deadline) break;
    Sleep(kPollMs);
  }
  throw DriverError(DriverError::kNotFound,
                    filter.Describe() + " still there after " + std::to_string(timeoutMs) + " ms");
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> handles;
  EnumChildWindows(top, CollectWindow, reinterpret_cast<LPARAM>(&handles));
  return handles;
}

HWND WaitForControl(HWND top, int id, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (!IsWindow(top)) break;
    if (const HWND direct = GetDlgItem(top, id)) return direct;
    for (const HWND child : Descendants(top)) {
      if (GetDlgCtrlID(child) == id) return child;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(kPollMs);
  }
  throw DriverError(DriverError::kNotFound, "no control with id " + std::to_string(id) + " in the window");
}

Control FindControl(const CommandLine& args) {
  const DWORD timeout = TimeoutFromArgs(args);
  const ULONGLONG start = GetTickCount64();
  const WindowInfo top = WaitForWindow(FilterFromArgs(args, 0), timeout);
  const int id = static_cast<int>(ParseInteger(args.Positional(1, "control id"), "control id"));
  const ULONGLONG spent = GetTickCount64() - start;
  const HWND control = WaitForControl(top.hwnd, id, spent >= timeout ? 0 : static_cast<DWORD>(timeout - spent));
  return {top, control, id};
}

std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
    throw DriverError(DriverError::kFailed, "the window does not answer WM_GETTEXTLENGTH");
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
    throw DriverError(DriverError::kFailed, "the window does not answer WM_GETTEXT");
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

}  // namespace tarvo::driver
