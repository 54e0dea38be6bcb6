#pragma once

#include <string>
#include <vector>

#include "client/system/adapter_query.h"

namespace tarvo {

// The adapters as GetAdaptersInfo lists them; empty when the listing fails.
std::vector<AdapterRecord> ListAdapters();

std::wstring GetVpnAddress();
std::wstring GetDefaultGateway();

}  // namespace tarvo
