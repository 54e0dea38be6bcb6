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
