#include "client/system/adapter_query.h"

#include "client/base/app_settings.h"

namespace tarvo {

std::wstring SelectVpnAddress(const std::vector<AdapterRecord>& adapters) {
  std::wstring result = L"-";
  for (const auto& adapter : adapters) {
    if (adapter.type != kPppAdapterType) continue;
    result = adapter.firstAddress;
    if (adapter.description == PhonebookFileName) break;
  }
  return result;
}

std::wstring SelectDefaultGateway(const std::vector<AdapterRecord>& adapters) {
  std::wstring result = L"-";
  for (const auto& adapter : adapters)
    if (adapter.firstGateway != L"0.0.0.0") result = adapter.firstGateway;
  return result;
}

}  // namespace tarvo
