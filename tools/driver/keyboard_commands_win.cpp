// Keyboard input, the foreground window, and window shapes.

#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "tools/driver/commands_win.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

struct KeyName {
  const wchar_t* name;
  WORD key;
};

constexpr KeyName kKeyNames[] = {
    {L"escape", VK_ESCAPE}, {L"enter", VK_RETURN},  {L"space", VK_SPACE},
    {L"tab", VK_TAB},       {L"alt", VK_MENU},      {L"ctrl", VK_CONTROL},
    {L"shift", VK_SHIFT},   {L"cancel", VK_CANCEL}, {L"f4", VK_F4},
};

WORD KeyFromName(std::wstring name) {
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  for (const KeyName& k : kKeyNames) {
    if (name == k.name) return k.key;
  }
  if (name.size() == 1 && std::iswalnum(name[0])) return static_cast<WORD>(std::towupper(name[0]));
  throw DriverError(DriverError::kUsage, "unknown key " + ToUtf8(name));
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

// key: "escape", "alt+f4", ...: the keys go down in order and come up in
// reverse order, through the system's input queue, to whichever window has
// the keyboard focus.
int KeyCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(1);
  const std::wstring& combination = args.Positional(0, "keys (e.g. alt+f4)");
  std::vector<WORD> keys;
  for (std::size_t start = 0;;) {
    const std::size_t plus = combination.find(L'+', start);
    keys.push_back(KeyFromName(combination.substr(start, plus == std::wstring::npos ? plus : plus - start)));
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  std::vector<INPUT> inputs;
  for (WORD key : keys) inputs.push_back(KeyInput(key, false));
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) inputs.push_back(KeyInput(*key, true));
  for (const INPUT& input : inputs) {
    if (SendInput(1, const_cast<INPUT*>(&input), sizeof input) != 1)
      throw DriverError(DriverError::kFailed, "SendInput failed");
    Sleep(20);
  }
  PrintLine("ok");
  return 0;
}

// foreground: the window that has the user's activation, as JSON with the
// window of its thread that has the keyboard focus ("focus", "0x0" for none),
// or "none".
int ForegroundCommand(const Args& words) {
  const CommandLine args(words, {});
  args.ExpectAtMost(0);
  const HWND window = GetForegroundWindow();
  if (window == nullptr) {
    PrintLine("none");
    return 0;
  }
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  const HWND focus =
      GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) ? thread.hwndFocus : nullptr;
  Json fields = WindowJsonFields(DescribeWindow(window));
  fields["focus"] = HandleText(reinterpret_cast<std::uintptr_t>(focus));
  PrintLine(JsonText(fields));
  return 0;
}

// window-shape: the bounding box of the window's region in window pixels,
// "left top right bottom", or "none" when the window has no region.
int WindowShapeCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(1);
  const WindowInfo window = WaitForWindow(FilterFromArgs(args, 0), TimeoutFromArgs(args));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  const int kind = GetWindowRgn(window.hwnd, region) != ERROR ? GetRgnBox(region, &box) : ERROR;
  DeleteObject(region);
  if (kind == ERROR) {
    PrintLine("none");
  } else {
    PrintLine(std::to_string(box.left) + " " + std::to_string(box.top) + " " + std::to_string(box.right) +
              " " + std::to_string(box.bottom));
  }
  return 0;
}

}  // namespace tarvo::driver
