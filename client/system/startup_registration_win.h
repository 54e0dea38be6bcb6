#pragma once

#include "client/system/startup_registration.h"

namespace tarvo {

// The value "Tarvo" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
class RunKeyRegistration : public StartupRegistration {
 public:
  bool Register(std::wstring_view command) override;
  bool Unregister() override;
};

}  // namespace tarvo
