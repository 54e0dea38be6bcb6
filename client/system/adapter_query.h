#pragma once
// Selection rules over the machine's network adapters: the VPN (PPP)
// adapter's address and the local router's address. "-" means none.

#include <string>
#include <vector>

namespace tarvo {

inline constexpr unsigned kPppAdapterType = 23;

struct AdapterRecord {
  unsigned type = 0;
  std::wstring description;
  std::wstring firstAddress;
  std::wstring firstGateway;
};

// The first address of a PPP adapter: the one whose description is the
// phonebook file's name, else the last PPP adapter listed.
std::wstring SelectVpnAddress(const std::vector<AdapterRecord>& adapters);
// The last adapter's first gateway that is not "0.0.0.0".
std::wstring SelectDefaultGateway(const std::vector<AdapterRecord>& adapters);

}  // namespace tarvo
