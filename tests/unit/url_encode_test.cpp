#include "client/protocol/url_encode.h"

#include <gtest/gtest.h>

#include "client/protocol/scramble.h"

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

TEST(EncodeCredentials, IsTheEncodedScrambledTemplate) {
  const std::wstring plain = L"apib{}login/&?uidvlmp홍길동/&?pwdq# p w";
  EXPECT_EQ(EncodeCredentials(L"홍길동", L"p w"), UrlEncodeAnsi(ScrambleText(plain)));
  // Empty id and password still give the encoded template.
  EXPECT_EQ(EncodeCredentials(L"", L""), UrlEncodeAnsi(ScrambleText(L"apib{}login/&?uidvlmp/&?pwdq# ")));
  EXPECT_FALSE(EncodeCredentials(L"", L"").empty());
}

}  // namespace
}  // namespace tarvo
