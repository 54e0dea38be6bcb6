#include <windows.h>

#include "tools/driver/commands_win.h"
#include "tools/driver/output_win.h"

namespace tarvo::driver {
namespace {

struct Point {
  int x;
  int y;
};

Point PointFromArgs(const CommandLine& args) {
  args.ExpectAtMost(2);
  return {static_cast<int>(ParseInteger(args.Positional(0, "x (screen pixels)"), "x")),
          static_cast<int>(ParseInteger(args.Positional(1, "y (screen pixels)"), "y"))};
}

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
  const CommandLine args(words, {});
  SendMouse(PointFromArgs(args), 0);
  PrintLine("ok");
  return 0;
}

int MouseDownCommand(const Args& words) {
  const CommandLine args(words, {L"button"});
  SendMouse(PointFromArgs(args), ButtonFlag(args, true));
  PrintLine("ok");
  return 0;
}

int MouseUpCommand(const Args& words) {
  const CommandLine args(words, {L"button"});
  SendMouse(PointFromArgs(args), ButtonFlag(args, false));
  PrintLine("ok");
  return 0;
}

int MouseClickCommand(const Args& words) {
  const CommandLine args(words, {L"button"});
  const Point at = PointFromArgs(args);
  SendMouse(at, 0);
  Sleep(50);
  SendMouse(at, ButtonFlag(args, true));
  Sleep(50);
  SendMouse(at, ButtonFlag(args, false));
  PrintLine("ok");
  return 0;
}

}  // namespace tarvo::driver
