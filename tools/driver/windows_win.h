#pragma once
// Finding top-level windows (hidden ones included) and their controls, and
// describing them for the tests.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/driver/command_line.h"
#include "tools/driver/json_line.h"

namespace tarvo::driver {

struct WindowInfo {
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring title;
  bool visible = false;
  bool enabled = false;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};
  DWORD pid = 0;
  std::wstring exe;  // file name of the owning process's program, e.g. "Tarvo_Network.exe"
  HWND owner = nullptr;
};

// Which top-level windows a command means: an exact title ("*" for any) and
// optional class, program file name (case-insensitive), process id, handle
// and visibility.
struct WindowFilter {
  std::optional<std::wstring> title;
  std::optional<std::wstring> className;
  std::optional<std::wstring> exe;
  std::optional<DWORD> pid;
  std::optional<HWND> hwnd;
  bool visibleOnly = false;

  bool Matches(const WindowInfo& window) const;
  std::string Describe() const;  // for error messages
};

// Options every window command accepts besides its own.
std::vector<std::wstring> WindowValueOptions(std::vector<std::wstring> extra = {});
std::vector<std::wstring> WindowFlags(std::vector<std::wstring> extra = {});
// The filter from the command's options, with the title taken from positional
// word `titleIndex` (when given).
WindowFilter FilterFromArgs(const CommandLine& args, std::optional<std::size_t> titleIndex);
DWORD TimeoutFromArgs(const CommandLine& args);

WindowInfo DescribeWindow(HWND hwnd);
std::vector<WindowInfo> TopLevelWindows();
std::string WindowJson(const WindowInfo& window);
Json WindowJsonFields(const WindowInfo& window);  // the same fields, for a caller to add more
Json RectJson(const RECT& rect);  // [left,top,right,bottom]

// Polls every 50 ms; DriverError kNotFound after `timeoutMs`.
WindowInfo WaitForWindow(const WindowFilter& filter, DWORD timeoutMs);
void WaitForNoWindow(const WindowFilter& filter, DWORD timeoutMs);

// The descendant of `top` with control id `id`, waiting for it up to `timeoutMs`.
HWND WaitForControl(HWND top, int id, DWORD timeoutMs);

struct Control {
  WindowInfo top;
  HWND hwnd;
  int id;
};
// "<title> <controlId>" plus the window options: waits for both within the timeout.
Control FindControl(const CommandLine& args);
std::vector<HWND> Descendants(HWND top);
std::wstring ClassOf(HWND hwnd);
// The control's text through WM_GETTEXT (works across processes, unlike GetWindowText).
std::wstring ControlText(HWND control);

std::wstring ExeNameOfProcess(DWORD pid);

}  // namespace tarvo::driver
