#include "client/protocol/url_encode.h"

#include <gtest/gtest.h>

#include "client/base/app_settings.h"
#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"
#include "client/protocol/server_url.h"

namespace tarvo {
namespace {

TEST(UrlEncodeAnsi, EscapesEverythingButTheSafeBytes) {
  const struct {
    std::wstring in, out;
  } cases[] = {
      {L"", L""},
      {L"a-Z_0.9:/@\\", L"a-Z_0.9:/@\\"},
      {L"a b+c", L"a%20b%2bc"},
      {L"100%", L"100%25"},
      {L"?&=#~", L"%3f%26%3d%23%7e"},
      {L"가", L"%b0%a1"},          // CP949 bytes of U+AC00
      {L"한글", L"%c7%d1%b1%db"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlEncodeAnsi(c.in), c.out) << std::string(c.out.begin(), c.out.end());
}

TEST(UrlEncodeAnsi, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ(UrlEncodeAnsi(L"\u0e01"), L"%3f");  // Thai: not in CP949
}

TEST(AnsiCodePage, KoreanRoundTripsAndBadBytesAreReplaced) {
  EXPECT_EQ(FromAnsi(ToAnsi(L"서버와의 통신 abc")), L"서버와의 통신 abc");
  EXPECT_EQ(FromAnsi(std::string("a\xff", 2)), L"a\uFFFD");
  EXPECT_TRUE(IsAnsiRepresentable(L"홍길동 id-01"));
  EXPECT_FALSE(IsAnsiRepresentable(L"\u0e01"));
}

TEST(EncodeCredentials, IsTheEncodedScrambledTemplate) {
  const std::wstring plain = L"apib{}login/&?uidvlmp홍길동/&?pwdq# p w";
  EXPECT_EQ(EncodeCredentials(L"홍길동", L"p w"), UrlEncodeAnsi(ScrambleText(plain)));
  // Empty id and password still give the encoded template.
  EXPECT_EQ(EncodeCredentials(L"", L""), UrlEncodeAnsi(ScrambleText(L"apib{}login/&?uidvlmp/&?pwdq# ")));
  EXPECT_FALSE(EncodeCredentials(L"", L"").empty());
}

TEST(MakeServerUrl, PrefixesTheBaseUrl) {
  EXPECT_EQ(MakeServerUrl(L"/tarvo_plus/ping.php"), ServerBaseUrl() + L"/tarvo_plus/ping.php");
  EXPECT_EQ(MakeServerUrl(), ServerBaseUrl());
  EXPECT_NE(ServerBaseUrl().back(), L'/');
}

}  // namespace
}  // namespace tarvo
