#include "client/session/ras_dialer_win.h"

#include <windows.h>
#include <ras.h>

#include "client/system/adapter_query_win.h"
#include "client/session/dial_params_win.h"

namespace tarvo {
namespace {

DialParamsLayout LayoutOfThisWindows() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&version);
#pragma GCC diagnostic pop
  return DialParamsLayoutFor(version.dwMajorVersion, version.dwMinorVersion);
}

}  // namespace

int RasDialer::Dial(const DialRequest& request, ConnHandle& handle) {
  RASDIALPARAMSW params;
  // A value longer than its field is refused rather than cut: a cut password
  // would only fail later with a misleading error.
  if (!FillDialParams(params, LayoutOfThisWindows(), request.server, request.user, request.password))
    return ERROR_INVALID_PARAMETER;
  HRASCONN connection = nullptr;
  const DWORD rc = RasDialW(nullptr, request.phonebookPath.c_str(), &params, 0, nullptr, &connection);
  SecureZeroMemory(params.szPassword, sizeof params.szPassword);
  handle = reinterpret_cast<ConnHandle>(connection);
  return static_cast<int>(rc);
}

void RasDialer::HangUp(ConnHandle handle) { RasHangUpW(reinterpret_cast<HRASCONN>(handle)); }

std::wstring RasDialer::GetVpnAddress() { return tarvo::GetVpnAddress(); }

}  // namespace tarvo
