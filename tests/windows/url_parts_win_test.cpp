#include "client/protocol/url_parts_win.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(SplitUrl, SchemeHostPortAndTheTargetAsWritten) {
  const struct {
    const char* name;
    const wchar_t* url;
    INTERNET_SCHEME scheme;
    const wchar_t* host;
    INTERNET_PORT port;
    const wchar_t* target;
  } cases[] = {
      {"https, escapes untouched", L"https://www.tarvo.co.kr/tarvo_app/index.php?r=%2b%20", INTERNET_SCHEME_HTTPS,
       L"www.tarvo.co.kr", 443, L"/tarvo_app/index.php?r=%2b%20"},
      {"http with a port", L"http://127.0.0.1:8080/tarvo_plus/ping.php", INTERNET_SCHEME_HTTP, L"127.0.0.1", 8080,
       L"/tarvo_plus/ping.php"},
      {"host only", L"http://host", INTERNET_SCHEME_HTTP, L"host", 80, L"/"},
      {"host and port only", L"http://host:81", INTERNET_SCHEME_HTTP, L"host", 81, L"/"},
      {"backslash of a scrambled credential", L"http://host/a?r=x\\y%5C", INTERNET_SCHEME_HTTP, L"host", 80,
       L"/a?r=x%5cy%5C"},
  };
  for (const auto& c : cases) {
    const std::optional<UrlParts> parts = SplitUrl(c.url);
    ASSERT_TRUE(parts.has_value()) << c.name << ": error " << GetLastError();
    EXPECT_EQ(parts->scheme, c.scheme) << c.name;
    EXPECT_EQ(parts->host, c.host) << c.name;
    EXPECT_EQ(parts->port, c.port) << c.name;
    EXPECT_EQ(parts->target, c.target) << c.name;
  }
}

TEST(SplitUrl, NothingForWhatIsNotAUrl) {
  for (const wchar_t* url : {L"", L"no scheme at all"}) {
    EXPECT_FALSE(SplitUrl(url).has_value()) << static_cast<const void*>(url);
    EXPECT_NE(GetLastError(), 0u);
  }
}

}  // namespace
}  // namespace tarvo
