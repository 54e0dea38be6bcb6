// tarvo-driver: runs one command against the programs under test and prints
// its result as UTF-8 on stdout. Exit codes: 0 done, 2 usage error, 3 window,
// control or message box not found in time, 4 the operation failed.
//
// "tarvo-driver serve" runs many: it prints {"ready":true}, then reads one
// command per line on stdin, a JSON array of its words, and answers each with
// one line {"code":N,"out":"...","err":"..."} (the exit code and what the
// command alone would have printed), until stdin ends. One Wine process then
// serves a whole test file instead of one per query.

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

#include "tools/driver/command_line.h"
#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"

namespace {

using tarvo::driver::Args;

struct Command {
  const wchar_t* name;
  int (*run)(const Args&);
  const char* usage;
  bool servable = true;  // false: never returns, so it runs as a process of its own
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
    {L"show-msgbox", tarvo::driver::ShowMsgboxCommand, "<caption> <text> [--buttons ok|okcancel|yesno|yesnocancel]",
     false},
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
    {L"hold-region", tarvo::driver::HoldRegionCommand, "<name> <token>   prints ready, then holds until killed",
     false},
    {L"check-region", tarvo::driver::CheckRegionCommand, "<name> <token>   prints pass or fail: <why>"},
    {L"process-alive", tarvo::driver::ProcessAliveCommand, "<exe-name>   prints alive <pid>... or gone"},
    {L"list-processes", tarvo::driver::ListProcessesCommand, ""},
    {L"locale", tarvo::driver::LocaleCommand, "   code pages and languages as JSON"},
    {L"font-check", tarvo::driver::FontCheckCommand, "<face> <text> [--height px]"},
};

void PrintUsage() {
  using tarvo::driver::PrintErrorLine;
  PrintErrorLine("usage: tarvo-driver <command> [arguments]   or   tarvo-driver serve (commands as JSON lines on stdin)");
  for (const Command& command : kCommands) {
    PrintErrorLine("  " + tarvo::driver::ToUtf8(command.name) + " " + command.usage);
  }
  PrintErrorLine("window options: --class C  --exe NAME  --pid P  --hwnd H  --visible  --timeout ms (default 10000)");
}

int RunCommand(const std::wstring& name, const Args& args, bool serving) {
  using tarvo::driver::DriverError;
  using tarvo::driver::PrintErrorLine;
  using tarvo::driver::ToUtf8;
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    if (serving && !command.servable) {
      PrintErrorLine("tarvo-driver serve: " + ToUtf8(name) + " runs as a program of its own");
      return DriverError::kUsage;
    }
    try {
      return command.run(args);
    } catch (const DriverError& error) {
      PrintErrorLine("tarvo-driver " + ToUtf8(name) + ": " + error.what());
      if (error.code == DriverError::kUsage) {
        PrintErrorLine("usage: tarvo-driver " + ToUtf8(name) + " " + command.usage);
      }
      return error.code;
    } catch (const std::exception& error) {
      PrintErrorLine("tarvo-driver " + ToUtf8(name) + ": " + error.what());
      return DriverError::kFailed;
    }
  }
  PrintErrorLine("tarvo-driver: unknown command " + ToUtf8(name));
  PrintUsage();
  return DriverError::kUsage;
}

// The next line of stdin without its end; nothing at the end of input.
std::optional<std::string> ReadInputLine(std::string& pending) {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  for (;;) {
    if (const auto end = pending.find('\n'); end != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    char chunk[4096];
    DWORD read = 0;
    if (!ReadFile(in, chunk, sizeof chunk, &read, nullptr) || read == 0) return std::nullopt;
    pending.append(chunk, read);
  }
}

std::wstring FromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

int Serve() {
  using tarvo::driver::Json;
  using tarvo::driver::JsonText;
  using tarvo::driver::WriteOutputLine;
  WriteOutputLine(JsonText({{"ready", true}}));
  std::string pending;
  while (const std::optional<std::string> line = ReadInputLine(pending)) {
    if (line->empty()) continue;
    Args words;
    int code = tarvo::driver::DriverError::kUsage;
    tarvo::driver::CapturedOutput output;
    const Json request = Json::parse(*line, nullptr, false);
    if (request.is_array() && !request.empty() &&
        std::all_of(request.begin(), request.end(), [](const Json& word) { return word.is_string(); })) {
      for (const Json& word : request) words.push_back(FromUtf8(word.get<std::string>()));
      code = RunCommand(words.front(), Args(words.begin() + 1, words.end()), true);
    } else {
      tarvo::driver::PrintErrorLine("tarvo-driver serve: a command is a JSON array of its words, not " + *line);
    }
    WriteOutputLine(JsonText({{"code", code}, {"out", output.out}, {"err", output.err}}));
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    PrintUsage();
    return tarvo::driver::DriverError::kUsage;
  }
  const std::wstring name = argv[1];
  if (name == L"serve") return Serve();
  return RunCommand(name, Args(argv + 2, argv + argc), false);
}
