#pragma once
// Start with Windows: the value "Tarvo" of the current user's Run key.

#include <string>
#include <string_view>

namespace tarvo {

// Where the registration is kept (the Run key on Windows, a fake in tests).
class StartupRegistration {
 public:
  virtual ~StartupRegistration() = default;
  virtual bool Register(std::wstring_view command) = 0;
  virtual bool Unregister() = 0;
};

// "<program folder>\Tarvo.exe".
std::wstring RunAtStartupPath(std::wstring_view programFolder);

// Creates or deletes the registration. The command is the program path in
// quotes, so a folder with blanks ("C:\Program Files\...") starts the right
// program. Enabling without a path fails.
bool SetRunAtStartup(StartupRegistration& registration, bool enable, std::wstring_view programPath);

}  // namespace tarvo
