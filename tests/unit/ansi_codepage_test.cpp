#include "client/system/ansi_codepage.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(AnsiCodePage, KoreanRoundTripsAndBadBytesAreReplaced) {
  EXPECT_EQ(FromAnsi(ToAnsi(L"서버와의 통신 abc")), L"서버와의 통신 abc");
  EXPECT_EQ(FromAnsi(std::string("a\xff", 2)), L"a\uFFFD");
  EXPECT_TRUE(IsAnsiRepresentable(L"홍길동 id-01"));
  EXPECT_FALSE(IsAnsiRepresentable(L"\u0e01"));
}

}  // namespace
}  // namespace tarvo
