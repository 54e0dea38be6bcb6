#include "client/protocol/server_url.h"

#include <gtest/gtest.h>

#include "client/base/app_settings.h"

namespace tarvo {
namespace {

TEST(MakeServerUrl, PrefixesTheBaseUrl) {
  EXPECT_EQ(MakeServerUrl(L"/tarvo_plus/ping.php"), ServerBaseUrl() + L"/tarvo_plus/ping.php");
  EXPECT_EQ(MakeServerUrl(), ServerBaseUrl());
  EXPECT_NE(ServerBaseUrl().back(), L'/');
}

}  // namespace
}  // namespace tarvo
