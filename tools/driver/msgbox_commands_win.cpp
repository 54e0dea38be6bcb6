#include <windows.h>

#include <cstdint>
#include <optional>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

// The message text's control in the system's message box template.
constexpr int kMessageTextId = 0xFFFF;
constexpr DWORD kPollMs = 10;

struct Answer {
  const wchar_t* name;
  int id;
};
constexpr Answer kAnswers[] = {{L"ok", IDOK},         {L"cancel", IDCANCEL},     {L"abort", IDABORT},
                               {L"retry", IDRETRY},   {L"ignore", IDIGNORE},     {L"yes", IDYES},
                               {L"no", IDNO},         {L"close", IDCLOSE},       {L"help", IDHELP},
                               {L"tryagain", IDTRYAGAIN}, {L"continue", IDCONTINUE}};

const wchar_t* AnswerName(int id) {
  for (const Answer& answer : kAnswers) {
    if (answer.id == id) return answer.name;
  }
  return L"?";
}

struct MessageBoxView {
  WindowInfo window;
  std::wstring text;
  std::vector<std::pair<int, std::wstring>> buttons;  // the shown ones, by id
};

// A message box is a shown dialog holding only static texts and the standard
// answer buttons, one static being the message text. The children are sorted
// out before any message is sent, and a dialog whose thread does not answer
// (another program's window, busy) is passed over.
std::optional<MessageBoxView> ReadMessageBox(const WindowInfo& window) {
  if (window.className != L"#32770" || !window.visible) return std::nullopt;
  HWND textControl = nullptr;
  std::vector<HWND> buttons;
  for (const HWND child : Descendants(window.hwnd)) {
    if (GetParent(child) != window.hwnd) continue;
    const std::wstring cls = ClassOf(child);
    const int id = GetDlgCtrlID(child);
    if (CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
      if (id == kMessageTextId) textControl = child;
    } else if (CompareStringOrdinal(cls.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
      if (id < IDOK || id > IDCONTINUE) return std::nullopt;
      if (IsWindowVisible(child)) buttons.push_back(child);
    } else {
      return std::nullopt;
    }
  }
  if (!textControl || buttons.empty()) return std::nullopt;
  try {
    MessageBoxView view{window, ControlText(textControl), {}};
    for (const HWND button : buttons) view.buttons.emplace_back(GetDlgCtrlID(button), ControlText(button));
    return view;
  } catch (const DriverError&) {
    return std::nullopt;
  }
}

std::string MessageBoxJson(const MessageBoxView& box) {
  Json buttons = Json::array();
  for (const auto& [id, text] : box.buttons)
    buttons.push_back({{"id", id}, {"name", ToUtf8(AnswerName(id))}, {"text", ToUtf8(text)}});
  return JsonText({{"hwnd", HandleText(reinterpret_cast<std::uintptr_t>(box.window.hwnd))},
                   {"caption", ToUtf8(box.window.title)},
                   {"text", ToUtf8(box.text)},
                   {"buttons", buttons},
                   {"pid", box.window.pid},
                   {"exe", ToUtf8(box.window.exe)},
                   {"owner", HandleText(reinterpret_cast<std::uintptr_t>(box.window.owner))}});
}

int AnswerId(const std::wstring& name) {
  for (const Answer& answer : kAnswers) {
    if (CompareStringOrdinal(answer.name, -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return answer.id;
  }
  return static_cast<int>(ParseInteger(name, "--answer"));
}

}  // namespace

// msgbox [--caption C] [--exe E] [--pid P] [--timeout ms] [--answer ok|yes|no|...]
int MsgboxCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions({L"caption", L"answer"}), {});
  args.ExpectAtMost(0);
  WindowFilter filter = FilterFromArgs(args, std::nullopt);
  filter.title = args.Option(L"caption");
  filter.visibleOnly = true;
  const DWORD timeout = TimeoutFromArgs(args);
  const ULONGLONG deadline = GetTickCount64() + timeout;
  std::optional<MessageBoxView> box;
  for (;;) {
    for (const WindowInfo& window : TopLevelWindows()) {
      if (filter.Matches(window) && (box = ReadMessageBox(window))) break;
    }
    if (box || GetTickCount64() >= deadline) break;
    Sleep(kPollMs);
  }
  if (!box) {
    filter.className = L"#32770";
    throw DriverError(DriverError::kNotFound,
                      "no message box (" + filter.Describe() + ") within " + std::to_string(timeout) + " ms");
  }
  PrintLine(MessageBoxJson(*box));

  const auto answer = args.Option(L"answer");
  if (!answer) return 0;
  const int id = AnswerId(*answer);
  HWND button = nullptr;
  for (const auto& shown : box->buttons) {
    if (shown.first == id) button = GetDlgItem(box->window.hwnd, id);
  }
  if (!button) throw DriverError(DriverError::kFailed, "the message box has no " + ToUtf8(*answer) + " button");
  if (!PostMessageW(box->window.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button))) {
    throw DriverError(DriverError::kFailed, "could not post the answer");
  }
  WindowFilter same;
  same.hwnd = box->window.hwnd;
  WaitForNoWindow(same, timeout);
  return 0;
}

// show-msgbox <caption> <text> [--buttons ok|okcancel|yesno|yesnocancel]:
// a message box of the driver's own, to check the harness; prints the answer.
int ShowMsgboxCommand(const Args& words) {
  const CommandLine args(words, {L"buttons"}, {});
  args.ExpectAtMost(2);
  const std::wstring buttons = args.Option(L"buttons").value_or(L"ok");
  UINT type = MB_OK;
  if (buttons == L"okcancel") {
    type = MB_OKCANCEL;
  } else if (buttons == L"yesno") {
    type = MB_YESNO;
  } else if (buttons == L"yesnocancel") {
    type = MB_YESNOCANCEL;
  } else if (buttons != L"ok") {
    throw DriverError(DriverError::kUsage, "--buttons is one of ok, okcancel, yesno, yesnocancel");
  }
  const int result = MessageBoxW(nullptr, args.Positional(1, "text").c_str(), args.Positional(0, "caption").c_str(),
                                 type | MB_SETFOREGROUND);
  if (result == 0) throw DriverError(DriverError::kFailed, "MessageBoxW failed");
  PrintLine(ToUtf8(AnswerName(result)));
  return 0;
}

}  // namespace tarvo::driver
