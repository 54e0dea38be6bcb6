#include "client/system/adapter_query.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(AdapterQuery, VpnAddressAndGatewaySelection) {
  const AdapterRecord ethernet{6, L"Realtek", L"192.168.0.10", L"192.168.0.1"};
  const AdapterRecord wifi{71, L"Wi-Fi", L"10.0.0.5", L"10.0.0.1"};
  const AdapterRecord noGateway{6, L"Loop", L"127.0.0.1", L"0.0.0.0"};
  const AdapterRecord pppOther{23, L"Other VPN", L"172.16.0.2", L"0.0.0.0"};
  const AdapterRecord pppOurs{23, L"temporarily_file", L"10.8.0.6", L"0.0.0.0"};

  EXPECT_EQ(SelectVpnAddress({}), L"-");
  EXPECT_EQ(SelectVpnAddress({ethernet, wifi}), L"-");
  EXPECT_EQ(SelectVpnAddress({ethernet, pppOurs}), L"10.8.0.6");
  EXPECT_EQ(SelectVpnAddress({pppOurs, pppOther}), L"10.8.0.6");   // ours stops the walk
  EXPECT_EQ(SelectVpnAddress({pppOther, ethernet}), L"172.16.0.2");  // else the last PPP one

  EXPECT_EQ(SelectDefaultGateway({}), L"-");
  EXPECT_EQ(SelectDefaultGateway({noGateway, pppOurs}), L"-");
  EXPECT_EQ(SelectDefaultGateway({ethernet, noGateway}), L"192.168.0.1");
  EXPECT_EQ(SelectDefaultGateway({ethernet, wifi}), L"10.0.0.1");  // the later one wins
}

}  // namespace
}  // namespace tarvo
