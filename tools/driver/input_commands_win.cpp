#include <windows.h>

#include <cstdint>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

struct Point {
  int x;
  int y;
};

std::vector<std::wstring> InputOptions() { return WindowValueOptions({L"title", L"control", L"button"}); }

// "<x> <y>" in screen pixels; or, with a window (and control) named by the
// options, in pixels of its client area, the centre when x and y are left out.
Point PointFromArgs(const CommandLine& args) {
  args.ExpectAtMost(2);
  WindowFilter filter = FilterFromArgs(args, std::nullopt);
  filter.title = args.Option(L"title");
  const bool hasWindow = filter.title || filter.className || filter.exe || filter.pid || filter.hwnd;
  const auto controlId = args.Option(L"control");
  if (controlId && !hasWindow) throw DriverError(DriverError::kUsage, "--control needs the window (--title, --hwnd, ...)");
  POINT at{};
  if (!hasWindow || args.PositionalCount() > 0) {
    at = {static_cast<LONG>(ParseInteger(args.Positional(0, "x"), "x")),
          static_cast<LONG>(ParseInteger(args.Positional(1, "y"), "y"))};
    if (!hasWindow) return {at.x, at.y};
  }

  const DWORD timeout = TimeoutFromArgs(args);
  HWND target = WaitForWindow(filter, timeout).hwnd;
  if (controlId) target = WaitForControl(target, static_cast<int>(ParseInteger(*controlId, "--control")), timeout);
  if (args.PositionalCount() == 0) {
    RECT client{};
    GetClientRect(target, &client);
    at = {client.right / 2, client.bottom / 2};
  }
  ClientToScreen(target, &at);
  return {at.x, at.y};
}

void PrintPoint(Point at) { PrintLine(JsonText({{"x", at.x}, {"y", at.y}})); }

// Real input through the system's input queue, so that the window under the
// point sees the same messages as from a user's mouse (hover, capture, press).
void SendMouse(Point at, DWORD buttonFlags) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (at.x < 0 || at.y < 0 || at.x >= width || at.y >= height) {
    throw DriverError(DriverError::kUsage, "the point is off the screen");
  }
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, width > 1 ? width - 1 : 1);
  input.mi.dy = MulDiv(at.y, 65535, height > 1 ? height - 1 : 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
  if (SendInput(1, &input, sizeof input) != 1) throw DriverError(DriverError::kFailed, "SendInput failed");
}

DWORD ButtonFlag(const CommandLine& args, bool down) {
  const std::wstring button = args.Option(L"button").value_or(L"left");
  if (button == L"left") return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  if (button == L"right") return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  throw DriverError(DriverError::kUsage, "--button is left or right");
}

}  // namespace

int MouseMoveCommand(const Args& words) {
  const CommandLine args(words, InputOptions(), WindowFlags());
  const Point at = PointFromArgs(args);
  SendMouse(at, 0);
  PrintPoint(at);
  return 0;
}

int MouseDownCommand(const Args& words) {
  const CommandLine args(words, InputOptions(), WindowFlags());
  const Point at = PointFromArgs(args);
  SendMouse(at, ButtonFlag(args, true));
  PrintPoint(at);
  return 0;
}

int MouseUpCommand(const Args& words) {
  const CommandLine args(words, InputOptions(), WindowFlags());
  const Point at = PointFromArgs(args);
  SendMouse(at, ButtonFlag(args, false));
  PrintPoint(at);
  return 0;
}

int MouseClickCommand(const Args& words) {
  const CommandLine args(words, InputOptions(), WindowFlags());
  const Point at = PointFromArgs(args);
  SendMouse(at, 0);
  Sleep(50);
  SendMouse(at, ButtonFlag(args, true));
  Sleep(50);
  SendMouse(at, ButtonFlag(args, false));
  PrintPoint(at);
  return 0;
}

// cursor: where the system has the mouse, and the window it is over.
int CursorCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(0);
  POINT at{};
  if (!GetCursorPos(&at)) throw DriverError(DriverError::kFailed, "GetCursorPos failed");
  const HWND under = WindowFromPoint(at);
  PrintLine(JsonText({{"x", at.x},
                      {"y", at.y},
                      {"window", HandleText(reinterpret_cast<std::uintptr_t>(under))},
                      {"top", HandleText(reinterpret_cast<std::uintptr_t>(under ? GetAncestor(under, GA_ROOT) : nullptr))}}));
  return 0;
}

}  // namespace tarvo::driver
