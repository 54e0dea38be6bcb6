#include "client/system/startup_registration_win.h"

#include <windows.h>

#include <string>

#include "client/base/app_settings.h"

namespace tarvo {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunKey {
 public:
  RunKey() {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RunKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool RunKeyRegistration::Register(std::wstring_view command) {
  RunKey key;
  if (key.get() == nullptr) return false;
  const std::wstring name(AppName);
  const std::wstring data(command);
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool RunKeyRegistration::Unregister() {
  RunKey key;
  if (key.get() == nullptr) return false;
  const std::wstring name(AppName);
  return RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace tarvo
