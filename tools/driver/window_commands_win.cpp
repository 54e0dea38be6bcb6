#include <windows.h>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

constexpr UINT kMessageTimeoutMs = 5000;

}  // namespace

int WaitWindowCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(1);
  PrintLine(WindowJson(WaitForWindow(FilterFromArgs(args, 0), TimeoutFromArgs(args))));
  return 0;
}

int WaitGoneCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(1);
  WaitForNoWindow(FilterFromArgs(args, 0), TimeoutFromArgs(args));
  PrintLine("gone");
  return 0;
}

int ListWindowsCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(1);
  const WindowFilter filter = FilterFromArgs(args, args.PositionalCount() > 0 ? std::optional<std::size_t>(0) : std::nullopt);
  for (const WindowInfo& window : TopLevelWindows()) {
    if (filter.Matches(window)) PrintLine(WindowJson(window));
  }
  return 0;
}

int ListControlsCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(1);
  const WindowInfo top = WaitForWindow(FilterFromArgs(args, 0), TimeoutFromArgs(args));
  for (const HWND child : Descendants(top.hwnd)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, top.hwnd, reinterpret_cast<POINT*>(&rect), 2);
    PrintLine(JsonText({{"hwnd", HandleText(reinterpret_cast<std::uintptr_t>(child))},
                        {"id", GetDlgCtrlID(child)},
                        {"class", ToUtf8(ClassOf(child))},
                        {"text", ToUtf8(ControlText(child))},
                        {"visible", IsWindowVisible(child) != FALSE},
                        {"enabled", IsWindowEnabled(child) != FALSE},
                        {"style", HandleText(static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)))},
                        {"rect", RectJson(rect)}}));
  }
  return 0;
}

int TextCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  PrintLine(ToUtf8(ControlText(FindControl(args).hwnd)));
  return 0;
}

int SetTextCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(3);
  const Control control = FindControl(args);
  const std::wstring& text = args.Positional(2, "text");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &result) ||
      !result) {
    throw DriverError(DriverError::kFailed, "the control did not take the text");
  }
  PrintLine("ok");
  return 0;
}

// A user can press only a shown, enabled button of an enabled window, so the
// driver refuses anything else unless told to force it.
int ClickCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags({L"command", L"force"}));
  args.ExpectAtMost(2);
  const Control control = FindControl(args);
  if (!args.Flag(L"force")) {
    if (!IsWindowVisible(control.hwnd)) throw DriverError(DriverError::kFailed, "the control is hidden");
    if (!IsWindowEnabled(control.hwnd)) throw DriverError(DriverError::kFailed, "the control is disabled");
    if (!IsWindowEnabled(control.top.hwnd)) {
      throw DriverError(DriverError::kFailed, "the window is disabled (a modal window is open?)");
    }
  }
  // Posted, not sent: the click may open a modal window, which would keep a
  // sent message from returning until that window closes.
  const BOOL posted = args.Flag(L"command")
                          ? PostMessageW(GetParent(control.hwnd), WM_COMMAND,
                                         MAKEWPARAM(control.id, BN_CLICKED), reinterpret_cast<LPARAM>(control.hwnd))
                          : PostMessageW(control.hwnd, BM_CLICK, 0, 0);
  if (!posted) throw DriverError(DriverError::kFailed, "could not post the click");
  PrintLine("ok");
  return 0;
}

int EnabledCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  PrintLine(IsWindowEnabled(FindControl(args).hwnd) ? "true" : "false");
  return 0;
}

int CheckedCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const LRESULT state = SendMessageW(FindControl(args).hwnd, BM_GETCHECK, 0, 0);
  PrintLine(state == BST_CHECKED ? "true" : "false");
  return 0;
}

int RectCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const Control control = FindControl(args);
  RECT rc;
  GetWindowRect(control.hwnd, &rc);
  MapWindowPoints(nullptr, control.top.hwnd, reinterpret_cast<POINT*>(&rc), 2);
  PrintLine(std::to_string(rc.left) + " " + std::to_string(rc.top) + " " + std::to_string(rc.right - rc.left) + " " +
            std::to_string(rc.bottom - rc.top));
  return 0;
}

int VisibleCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  PrintLine(IsWindowVisible(FindControl(args).hwnd) ? "true" : "false");
  return 0;
}

// post <title|*> <message> <wParam> <lParam>: posts a message to the window
// as any program of the desktop could; prints "posted".
int PostCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(4);
  const WindowInfo window = WaitForWindow(FilterFromArgs(args, 0), TimeoutFromArgs(args));
  const auto message = static_cast<UINT>(ParseInteger(args.Positional(1, "message"), "message"));
  const auto wParam = static_cast<WPARAM>(ParseInteger(args.Positional(2, "wParam"), "wParam"));
  const auto lParam = static_cast<LPARAM>(ParseInteger(args.Positional(3, "lParam"), "lParam"));
  if (!PostMessageW(window.hwnd, message, wParam, lParam))
    throw DriverError(DriverError::kFailed, "PostMessage failed");
  PrintLine("posted");
  return 0;
}

}  // namespace tarvo::driver
