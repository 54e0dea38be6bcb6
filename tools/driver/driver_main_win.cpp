// tarvo-driver: runs one command against the programs under test and prints
// its result as UTF-8 on stdout. Exit codes: 0 done, 2 usage error, 3 window,
// control or message box not found in time, 4 the operation failed.

#include <windows.h>

#include <cwchar>
#include <string>

#include "tools/driver/command_line.h"
#include "tools/driver/commands_win.h"
#include "tools/driver/output_win.h"

namespace {

using tarvo::driver::Args;

struct Command {
  const wchar_t* name;
  int (*run)(const Args&);
  const char* usage;
};

constexpr char kPointUsage[] =
    "<x> <y> [--button left|right]   screen pixels; or, with --title T / --hwnd H [--control ID] and the other "
    "window options, pixels of that client area, its centre when x and y are left out";

constexpr Command kCommands[] = {
    {L"wait-window", tarvo::driver::WaitWindowCommand, "<title|*> [window options]   prints the window as JSON"},
    {L"wait-gone", tarvo::driver::WaitGoneCommand, "<title|*> [window options]"},
    {L"list-windows", tarvo::driver::ListWindowsCommand, "[title|*] [window options]   one JSON line per window"},
    {L"list-controls", tarvo::driver::ListControlsCommand, "<title|*> [window options]"},
    {L"text", tarvo::driver::TextCommand, "<title|*> <controlId> [window options]"},
    {L"set-text", tarvo::driver::SetTextCommand, "<title|*> <controlId> <text> [window options]"},
    {L"click", tarvo::driver::ClickCommand,
     "<title|*> <controlId> [window options] [--command] [--force]   BM_CLICK, or WM_COMMAND to the parent"},
    {L"enabled", tarvo::driver::EnabledCommand, "<title|*> <controlId> [window options]   prints true or false"},
    {L"checked", tarvo::driver::CheckedCommand, "<title|*> <controlId> [window options]   prints true or false"},
    {L"rect", tarvo::driver::RectCommand,
     "<title|*> <controlId> [window options]   x y width height in the window's client pixels"},
    {L"visible", tarvo::driver::VisibleCommand, "<title|*> <controlId> [window options]   prints true or false"},
    {L"post", tarvo::driver::PostCommand,
     "<title|*> <message> <wParam> <lParam> [window options]   posts the message, as any program could"},
    {L"accessible", tarvo::driver::AccessibleCommand,
     "<title|*> <controlId> [window options]   name, role, state and default action of its accessible object"},
    {L"accessible-do", tarvo::driver::AccessibleDoCommand,
     "<title|*> <controlId> [window options]   does the control's default action, as a screen reader would"},
    {L"msgbox", tarvo::driver::MsgboxCommand,
     "[--caption C] [--exe E] [--pid P] [--timeout ms] [--answer ok|cancel|yes|no|...]"},
    {L"show-msgbox", tarvo::driver::ShowMsgboxCommand, "<caption> <text> [--buttons ok|okcancel|yesno|yesnocancel]"},
    {L"mouse-move", tarvo::driver::MouseMoveCommand, kPointUsage},
    {L"mouse-down", tarvo::driver::MouseDownCommand, kPointUsage},
    {L"mouse-up", tarvo::driver::MouseUpCommand, kPointUsage},
    {L"mouse-click", tarvo::driver::MouseClickCommand, kPointUsage},
    {L"cursor", tarvo::driver::CursorCommand, "   the mouse position and the window under it, as JSON"},
    {L"key", tarvo::driver::KeyCommand, "<key[+key...]>   e.g. escape, enter, space, alt+f4: real key presses"},
    {L"foreground", tarvo::driver::ForegroundCommand, "   the active window of the desktop as JSON, or none"},
    {L"window-shape", tarvo::driver::WindowShapeCommand,
     "<title|*> [window options]   the region's box: left top right bottom (window pixels), or none"},
    {L"screenshot", tarvo::driver::ScreenshotCommand, "<file.bmp> [title|* [window options]]"},
    {L"hold-region", tarvo::driver::HoldRegionCommand, "<name> <token>   prints ready, then holds until killed"},
    {L"check-region", tarvo::driver::CheckRegionCommand, "<name> <token>   prints pass or fail: <why>"},
    {L"process-alive", tarvo::driver::ProcessAliveCommand, "<exe-name>   prints alive <pid>... or gone"},
    {L"list-processes", tarvo::driver::ListProcessesCommand, ""},
    {L"locale", tarvo::driver::LocaleCommand, "   code pages and languages as JSON"},
    {L"font-check", tarvo::driver::FontCheckCommand, "<face> <text> [--height px]"},
};

void PrintUsage() {
  using tarvo::driver::PrintErrorLine;
  PrintErrorLine("usage: tarvo-driver <command> [arguments]");
  for (const Command& command : kCommands) {
    PrintErrorLine("  " + tarvo::driver::ToUtf8(command.name) + " " + command.usage);
  }
  PrintErrorLine("window options: --class C  --exe NAME  --pid P  --hwnd H  --visible  --timeout ms (default 10000)");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    PrintUsage();
    return tarvo::driver::DriverError::kUsage;
  }
  const std::wstring name = argv[1];
  const Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      return command.run(args);
    } catch (const tarvo::driver::DriverError& error) {
      tarvo::driver::PrintErrorLine("tarvo-driver " + tarvo::driver::ToUtf8(name) + ": " + error.what());
      if (error.code == tarvo::driver::DriverError::kUsage) {
        tarvo::driver::PrintErrorLine("usage: tarvo-driver " + tarvo::driver::ToUtf8(name) + " " + command.usage);
      }
      return error.code;
    } catch (const std::exception& error) {
      tarvo::driver::PrintErrorLine("tarvo-driver " + tarvo::driver::ToUtf8(name) + ": " + error.what());
      return tarvo::driver::DriverError::kFailed;
    }
  }
  tarvo::driver::PrintErrorLine("tarvo-driver: unknown command " + tarvo::driver::ToUtf8(name));
  PrintUsage();
  return tarvo::driver::DriverError::kUsage;
}
