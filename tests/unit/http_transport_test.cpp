#include "client/protocol/http_transport.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(RequestTarget, PathAndQueryAsWrittenWithBackslashesEscaped) {
  const struct {
    const char* name;
    const wchar_t* path;
    const wchar_t* extraInfo;
    const wchar_t* expected;
  } cases[] = {
      {"escapes untouched", L"/tarvo_app/index.php", L"?r=%2b%20", L"/tarvo_app/index.php?r=%2b%20"},
      {"path only", L"/tarvo_plus/ping.php", L"", L"/tarvo_plus/ping.php"},
      {"nothing", L"", L"", L"/"},
      {"query without a path", L"", L"?a=1", L"/?a=1"},
      {"backslashes sent escaped", L"/a", L"?r=x\\y%5C", L"/a?r=x%5cy%5C"},
      {"a backslash of the path too", L"/a\\b", L"", L"/a%5cb"},
  };
  for (const auto& c : cases) EXPECT_EQ(RequestTarget(c.path, c.extraInfo), c.expected) << c.name;
}

}  // namespace
}  // namespace tarvo
