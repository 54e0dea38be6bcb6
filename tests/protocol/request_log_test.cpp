// The request log keeps each request head byte for byte as it was received.

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

// The admin interface shows raw bytes as Latin-1 code points.
std::string Latin1Bytes(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      ++i;
    }
  }
  return out;
}

std::string FromBase64(const std::string& text) {
  std::string out(text.size(), '\0');
  const int n =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  out.resize(static_cast<std::size_t>(n) - std::count(text.end() - 2, text.end(), '='));
  return out;
}

class RequestLogTest : public ServerFixture {};

TEST_F(RequestLogTest, HeadIsLoggedByteForByte) {
  // What the client's transport sends, plus escapes and bytes a library would normalise.
  const std::string requestLine = "GET /tarvo_app/index.php?r=%8b%5eA+%2B%zz%4\xb0\xa1 HTTP/1.1";
  const std::vector<std::string> headers = {
      "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; rv:11.0)  like Gecko",
      "Content-Type: application/x-www-form-urlencoded",
      "Host: 127.0.0.1",
      "X-Escaped: a%41b",
      "Connection: close",
  };
  std::string head = requestLine + "\r\n";
  for (const auto& h : headers) head += h + "\r\n";
  head += "\r\n";
  ASSERT_EQ(RawExchange(server_->port(), head).body, "No");

  const AdminReply log = Admin("GET", "/requests");
  ASSERT_EQ(log.json.AsArray()->size(), 1u);
  const Json& entry = log.json.AsArray()->front();
  EXPECT_EQ(Latin1Bytes(*entry.Get("request_line")->AsString()), requestLine);
  std::vector<std::string> logged;
  for (const Json& h : *entry.Get("headers")->AsArray()) logged.push_back(Latin1Bytes(*h.AsString()));
  EXPECT_EQ(logged, headers);
  EXPECT_EQ(FromBase64(*entry.Get("raw_base64")->AsString()), head);
  EXPECT_EQ(*entry.Get("name")->AsString(), "sign-in");
  EXPECT_EQ(*entry.Get("status")->AsInt(), 200);
  EXPECT_TRUE(entry.Get("fault")->IsNull());
  EXPECT_TRUE(entry.Get("remote")->AsString()->starts_with("127.0.0.1:"));
}

TEST_F(RequestLogTest, RecordsNamesFaultsAndRejectedRequestsAndCanBeFilteredAndCleared) {
  ASSERT_EQ(Admin("POST", "/faults", R"({"match":"ping","mode":"drop","count":1})").status, 201);
  RawExchange(server_->port(), RawGet("/tarvo_plus/ping.php"));
  Get("/tarvo_app/index.php?v=q7d4x2m");
  RawExchange(server_->port(), "nonsense\r\n\r\n");

  const Json::Array all = *Admin("GET", "/requests").json.AsArray();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(*all[0].Get("name")->AsString(), "ping");
  EXPECT_EQ(*all[0].Get("fault")->AsString(), "drop");
  EXPECT_TRUE(all[0].Get("status")->IsNull()) << "no reply was sent";
  EXPECT_EQ(*all[1].Get("name")->AsString(), "version");
  EXPECT_EQ(*all[2].Get("name")->AsString(), "invalid");
  EXPECT_EQ(*all[2].Get("status")->AsInt(), 400);
  EXPECT_EQ(*all[2].Get("request_line")->AsString(), "nonsense");

  EXPECT_EQ(Admin("GET", "/requests?name=version").json.AsArray()->size(), 1u);
  ASSERT_EQ(Admin("DELETE", "/requests").status, 200);
  EXPECT_EQ(Admin("GET", "/requests").json.AsArray()->size(), 0u);
}

}  // namespace
}  // namespace tarvo::devserver::testing
