#include "common/liveness/liveness_tokens.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

TEST(LivenessToken, OnlyTheExactTokenPasses) {
  const auto check = [](std::string content) {
    content.resize(LivenessRegionSize, '\0');
    return RegionHoldsToken(content.data(), content.size(), ClientToken);
  };
  EXPECT_TRUE(check("tarvo_ok"));
  EXPECT_FALSE(check("tarvo_ok "));
  EXPECT_FALSE(check("TARVO_OK"));
  EXPECT_FALSE(check("tarvo_o"));
  EXPECT_FALSE(check(""));
  // A region without any NUL is read to its end, never beyond.
  std::string full(LivenessRegionSize, 'x');
  EXPECT_EQ(RegionText(full.data(), full.size()).size(), LivenessRegionSize);
  EXPECT_FALSE(RegionHoldsToken(nullptr, 0, ClientToken));
}

}  // namespace
}  // namespace tarvo
