#include "client/system/startup_registration.h"

#include "client/base/app_settings.h"

namespace tarvo {

std::wstring RunAtStartupPath(std::wstring_view programFolder) {
  std::wstring path(programFolder);
  path += L'\\';
  path += ExeFileName;
  return path;
}

bool SetRunAtStartup(StartupRegistration& registration, bool enable, std::wstring_view programPath) {
  if (!enable) return registration.Unregister();
  if (programPath.empty()) return false;
  std::wstring command = L"\"";
  command += programPath;
  command += L'"';
  return registration.Register(command);
}

}  // namespace tarvo
