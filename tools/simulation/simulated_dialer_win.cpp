#include "tools/simulation/simulated_dialer_win.h"

#include <windows.h>

#include <atomic>

#include "client/base/app_settings.h"
#include "client/system/adapter_query_win.h"
#include "client/protocol/http_transport_win.h"
#include "client/protocol/url_encode.h"
#include "tools/simulation/simulated_adapter_win.h"

namespace tarvo::simulation {
namespace {

constexpr int kAuthenticationFailure = 691;  // the remote-access error for bad credentials
std::atomic<ConnHandle> g_nextHandle{0x5000};

std::wstring AdminUrl() {
  wchar_t url[512];
  const DWORD n = GetEnvironmentVariableW(L"TARVO_SIM_ADMIN_URL", url, 512);
  return n > 0 && n < 512 ? std::wstring(url, n) : std::wstring();
}

}  // namespace

int SimulatedDialer::CheckCredentials(const DialRequest& request) {
  const std::wstring admin = AdminUrl();
  if (admin.empty()) return 0;
  std::wstring reply;
  SendServerRequest(reply, admin + L"/vpn-dial?server=" + UrlEncodeAnsi(request.server) +
                               L"&user=" + UrlEncodeAnsi(request.user) + L"&password=" +
                               UrlEncodeAnsi(request.password));
  if (reply == L"0") return 0;
  return reply.empty() ? kAuthenticationFailure : _wtoi(reply.c_str());
}

int SimulatedDialer::Dial(const DialRequest& request, ConnHandle& handle) {
  handle = ++g_nextHandle;
  RecordDialStart(handle);
  if (const int delay = DialDelayMs(); delay > 0) Sleep(static_cast<DWORD>(delay));
  int rc = 0;
  if (const auto error = TakeNextDialError())
    rc = *error;
  else if (const auto standing = StandingDialError())
    rc = *standing;
  else
    rc = CheckCredentials(request);
  // One address per connection, so a redial shows as a new address.
  if (rc == 0) WriteAdapter({handle, L"10.8.0." + std::to_wstring(2 + handle % 250)});
  RecordDial(handle, rc);
  return rc;
}

void SimulatedDialer::HangUp(ConnHandle handle) {
  if (handle != 0) DropAdapterOf(handle);
}

std::wstring SimulatedDialer::GetVpnAddress() {
  std::vector<AdapterRecord> adapters = ListAdapters();
  if (const auto adapter = ReadAdapter())
    adapters.push_back({kPppAdapterType, std::wstring(PhonebookFileName), adapter->address, L"0.0.0.0"});
  return SelectVpnAddress(adapters);
}

}  // namespace tarvo::simulation
