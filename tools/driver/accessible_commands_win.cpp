#include <windows.h>
#include <oleacc.h>

#include <string>

#include "common/process/library_function_win.h"
#include "tools/driver/commands_win.h"
#include "tools/driver/json_line.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

// COM and the accessibility library, loaded only by these commands: the
// driver otherwise keeps the small set of DLLs it always had (with COM linked
// in, a driver once died at exit inside Wine's loader).
struct AccessibilityApi {
  const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
  const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
  const HMODULE oleaut32 = LoadLibraryW(L"oleaut32.dll");
  const decltype(&CoInitializeEx) coInitializeEx =
      LibraryFunction<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
  const decltype(&CoUninitialize) coUninitialize =
      LibraryFunction<decltype(&CoUninitialize)>(ole32, "CoUninitialize");
  const decltype(&AccessibleObjectFromWindow) accessibleObjectFromWindow =
      LibraryFunction<decltype(&AccessibleObjectFromWindow)>(oleacc, "AccessibleObjectFromWindow");
  const decltype(&SysFreeString) sysFreeString =
      LibraryFunction<decltype(&SysFreeString)>(oleaut32, "SysFreeString");

  AccessibilityApi() {
    if (!coInitializeEx || !coUninitialize || !accessibleObjectFromWindow || !sysFreeString)
      throw DriverError(DriverError::kFailed, "cannot load COM and the accessibility library");
  }
};

const AccessibilityApi& Api() {
  static const AccessibilityApi api;
  return api;
}

// The client object of the control a command names, as a screen reader asks
// for it, with COM for the command's thread.
class ClientObject {
 public:
  explicit ClientObject(const CommandLine& args) {
    const HWND control = FindControl(args).hwnd;
    Api().coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HRESULT hr = Api().accessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&object_));
    if (FAILED(hr) || object_ == nullptr) {
      Api().coUninitialize();
      char text[64];
      wsprintfA(text, "AccessibleObjectFromWindow failed: 0x%08lx", static_cast<unsigned long>(hr));
      throw DriverError(DriverError::kFailed, text);
    }
    self_.vt = VT_I4;
    self_.lVal = CHILDID_SELF;
  }
  ~ClientObject() {
    object_->Release();
    Api().coUninitialize();
  }
  ClientObject(const ClientObject&) = delete;
  ClientObject& operator=(const ClientObject&) = delete;

  IAccessible* operator->() const { return object_; }
  const VARIANT& self() const { return self_; }

 private:
  IAccessible* object_ = nullptr;
  VARIANT self_{};
};

std::string TakeText(BSTR text) {
  std::string utf8 = text ? ToUtf8(text) : std::string();
  if (text) Api().sysFreeString(text);
  return utf8;
}

long NumberOf(const VARIANT& value) { return value.vt == VT_I4 ? value.lVal : -1; }

}  // namespace

// accessible <title|*> <controlId>: the control's name, role, state and
// default action as a screen reader gets them, as JSON.
int AccessibleCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const ClientObject object(args);
  BSTR name = nullptr, action = nullptr;
  VARIANT role{}, state{};  // VT_EMPTY
  object->get_accName(object.self(), &name);
  object->get_accDefaultAction(object.self(), &action);
  object->get_accRole(object.self(), &role);
  object->get_accState(object.self(), &state);
  PrintLine(JsonText({{"name", TakeText(name)},
                      {"role", NumberOf(role)},
                      {"state", NumberOf(state)},
                      {"default_action", TakeText(action)}}));
  return 0;
}

// accessible-do <title|*> <controlId>: the control's default action, as a
// screen reader does it; prints "done".
int AccessibleDoCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const ClientObject object(args);
  if (FAILED(object->accDoDefaultAction(object.self())))
    throw DriverError(DriverError::kFailed, "the default action failed");
  PrintLine("done");
  return 0;
}

}  // namespace tarvo::driver
