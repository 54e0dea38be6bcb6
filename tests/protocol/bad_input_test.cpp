// Malformed, unknown and oversized requests get a clear reply, and the server
// keeps serving.

#include <gtest/gtest.h>

#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

class BadInput : public ServerFixture {
 protected:
  void SetUp() override {
    ServerFixture::SetUp();
    PutAccount("tarvo01", "pw1", 60);
  }
};

TEST_F(BadInput, EveryMalformedRequestGetsAClearReply) {
  const std::string valid = Encoded(L"tarvo01", L"pw1");
  const std::string longValue(6000, 'a');
  const struct {
    std::string target;
    int status;
    std::string body;  // empty: any non-empty text
  } cases[] = {
      // Sign-in and confirmation values that do not decode are a plain rejection.
      {"/tarvo_app/index.php?r=%zz" + valid, 200, "No"},
      {"/tarvo_app/index.php?r=" + valid + "%4", 200, "No"},
      {"/tarvo_app/index.php?r=" + valid + "%", 200, "No"},
      {"/tarvo_app/index.php?r=", 200, "No"},
      {"/tarvo_app/index.php?r", 200, "No"},
      {"/tarvo_app/index.php?r=" + longValue, 200, "No"},
      {"/tarvo_app/index.php?r=%ff%ff%ff", 200, "No"},       // not CP949
      {"/tarvo_app/index.php?r=\xb0\xa1\xff", 200, "No"},    // raw bytes, not even escaped
      {"/tarvo_app/index.php?r=" + valid + "+", 200, "No"},  // "+" is a byte of its own, not a blank
      {"/tarvo_app/index.php?r=apib", 200, "No"},            // not the template
      {"/tarvo_app/index.php?act=ok&r=%zz", 200, "No"},
      {"/tarvo_app/index.php?act=no&r=" + valid, 400, ""},
      {"/tarvo_app/index.php?v=other", 400, ""},
      {"/tarvo_app/index.php", 400, ""},
      {"/tarvo_app/index.php?x=1", 400, ""},
      // Session codes that were never issued.
      {"/tarvo_app/index.php?rand_code=" + longValue, 200, "<startCODE>error<endCODE>"},
      {"/tarvo_app/index.php?rand_code=\xff\xfe", 200, "<startCODE>error<endCODE>"},
      {"/tarvo_app/join.php?k=w&rand_code=NOPE", 404, ""},
      {"/tarvo_app/join.php?k=w&rand_code=", 404, ""},
      {"/tarvo_app/join.php?k=x&rand_code=NOPE", 400, ""},
      {"/tarvo_app/join.php?rand_code=NOPE", 400, ""},
      {"/tarvo_app/join.php?k=w", 400, ""},
      {"/tarvo_app/index.php?key=ESC&rand_code=NOPE", 404, ""},
      {"/tarvo_app/index.php?key=ESC", 400, ""},
      {"/tarvo_app/index.php?key=X&rand_code=NOPE", 400, ""},
      {"/tarvo_plus/ping.php?key=ESC&rand_code=%zz", 404, ""},
      // Rejected by the HTTP layer before any handler.
      {"/tarvo_app/index.php?r=a?b", 400, ""},
      {"/" + std::string(9000, 'x'), 414, ""},
  };
  for (const auto& c : cases) {
    const RawReply reply = RawExchange(server_->port(), RawGet(c.target));
    const std::string shown = c.target.substr(0, 80);
    EXPECT_EQ(reply.status, c.status) << shown;
    if (c.body.empty())
      EXPECT_FALSE(reply.body.empty()) << shown;
    else
      EXPECT_EQ(reply.body, c.body) << shown;
  }
  EXPECT_EQ(Get("/tarvo_app/index.php?r=" + valid).body, "Yes");
}

TEST_F(BadInput, BrokenRequestsAndOtherMethodsAreAnsweredAndServingGoesOn) {
  const struct {
    std::string request;
    int status;
  } cases[] = {
      {"garbage\r\n\r\n", 400},
      {"GET /tarvo_plus/ping.php HTTP/9.9\r\n\r\n", 400},
      {std::string("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03\r\n\r\n", 15),
       400},  // binary, with a line end
      {"POST /tarvo_app/index.php?v=q7d4x2m HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nConnection: "
       "close\r\n\r\nabc",
       405},
  };
  for (const auto& c : cases) {
    const RawReply reply = RawExchange(server_->port(), c.request);
    EXPECT_EQ(reply.status, c.status) << c.request;
    EXPECT_FALSE(reply.body.empty()) << c.request;
  }
  // A client that connects and goes away without a word.
  EXPECT_TRUE(RawExchange(server_->port(), "", std::chrono::milliseconds(100)).connected);
  EXPECT_EQ(Get("/tarvo_plus/ping.php").body, "0");
}

TEST_F(BadInput, EmptyLinesBetweenRequestsAreIgnored) {
  // The client's header block ends with one line end more than HTTP needs.
  const std::string first = "GET /tarvo_plus/ping.php HTTP/1.1\r\nHost: x\r\n\r\n\r\n";
  const std::string second =
      "GET /tarvo_app/index.php?v=q7d4x2m HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  const RawReply reply = RawExchange(server_->port(), first + second);
  EXPECT_EQ(reply.status, 200);
  EXPECT_TRUE(reply.bytes.ends_with("\r\n\r\n1.0.2.6,/tarvo_app/download/Tarvo_setup.exe")) << reply.bytes;
  const Json::Array log = *Admin("GET", "/requests").json.AsArray();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(*log[1].Get("request_line")->AsString(), "GET /tarvo_app/index.php?v=q7d4x2m HTTP/1.1");
}

}  // namespace
}  // namespace tarvo::devserver::testing
