#include "client/session/dial_params.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(DialParamsLayout, FollowsTheWindowsVersion) {
  const struct {
    unsigned major, minor;
    DialParamsLayout layout;
  } cases[] = {
      {3, 51, DialParamsLayout::UpToDomain},   {4, 0, DialParamsLayout::UpToDomain},
      {4, 1, DialParamsLayout::WithSubEntry},  {4, 90, DialParamsLayout::WithSubEntry},
      {5, 1, DialParamsLayout::WithSubEntry},  {6, 0, DialParamsLayout::WithSubEntry},
      {6, 1, DialParamsLayout::WithIfIndex},   {6, 3, DialParamsLayout::WithIfIndex},
      {10, 0, DialParamsLayout::WithIfIndex},
  };
  for (const auto& c : cases) EXPECT_EQ(DialParamsLayoutFor(c.major, c.minor), c.layout) << c.major << "." << c.minor;
}

TEST(DialParams, ValuesLongerThanTheirFieldAreRefused) {
  EXPECT_TRUE(FitsField(std::wstring(128, L'a'), kPhoneNumberCapacity));
  EXPECT_FALSE(FitsField(std::wstring(129, L'a'), kPhoneNumberCapacity));
  EXPECT_TRUE(FitsField(std::wstring(256, L'a'), kPasswordCapacity));
  EXPECT_FALSE(FitsField(std::wstring(257, L'a'), kPasswordCapacity));
}

}  // namespace
}  // namespace tarvo

#include "client/system/adapter_query.h"

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
