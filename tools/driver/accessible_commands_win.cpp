#include <windows.h>
#include <oleacc.h>

#include <string>

#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

// COM for this thread, for as long as the command runs.
struct ComScope {
  ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { CoUninitialize(); }
};

// The control's client object, as a screen reader asks for it.
IAccessible* ClientObject(HWND control) {
  IAccessible* object = nullptr;
  const HRESULT hr = AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&object));
  if (FAILED(hr) || object == nullptr) {
    char text[64];
    wsprintfA(text, "AccessibleObjectFromWindow failed: 0x%08lx", static_cast<unsigned long>(hr));
    throw DriverError(DriverError::kFailed, text);
  }
  return object;
}

std::string TakeText(BSTR text) {
  std::string utf8 = text ? ToUtf8(text) : std::string();
  SysFreeString(text);
  return utf8;
}

long NumberOf(const VARIANT& value) { return value.vt == VT_I4 ? value.lVal : -1; }

HWND ControlFrom(const CommandLine& args) {
  const DWORD timeout = TimeoutFromArgs(args);
  const WindowInfo top = WaitForWindow(FilterFromArgs(args, 0), timeout);
  const int id = static_cast<int>(ParseInteger(args.Positional(1, "control id"), "control id"));
  return WaitForControl(top.hwnd, id, timeout);
}

}  // namespace

// accessible <title|*> <controlId>: the control's name, role, state and
// default action as a screen reader gets them, as JSON.
int AccessibleCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const HWND control = ControlFrom(args);
  ComScope com;
  IAccessible* object = ClientObject(control);
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr, action = nullptr;
  VARIANT role, state;
  VariantInit(&role);
  VariantInit(&state);
  object->get_accName(self, &name);
  object->get_accDefaultAction(self, &action);
  object->get_accRole(self, &role);
  object->get_accState(self, &state);
  object->Release();
  PrintLine(JsonLine()
                .Text("name", TakeText(name))
                .Number("role", NumberOf(role))
                .Number("state", NumberOf(state))
                .Text("default_action", TakeText(action))
                .Str());
  return 0;
}

// accessible-do <title|*> <controlId>: the control's default action, as a
// screen reader does it; prints "done".
int AccessibleDoCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const HWND control = ControlFrom(args);
  ComScope com;
  IAccessible* object = ClientObject(control);
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const HRESULT hr = object->accDoDefaultAction(self);
  object->Release();
  if (FAILED(hr)) throw DriverError(DriverError::kFailed, "the default action failed");
  PrintLine("done");
  return 0;
}

}  // namespace tarvo::driver
