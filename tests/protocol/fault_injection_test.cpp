// Each fault mode, and how rules pick their requests.

#include <gtest/gtest.h>

#include <future>

#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kVersion = "/tarvo_app/index.php?v=q7d4x2m";
const std::string kVersionReply = "1.0.2.6,/tarvo_app/download/Tarvo_setup.exe";

class Faults : public ServerFixture {
 protected:
  void ServeInstaller(const std::string& bytes) {
    ASSERT_EQ(Admin("PATCH", "/config", R"({"installer_file":")" + WriteTempFile("setup.exe", bytes) + "\"}").status,
              200);
  }
  std::int64_t AddFault(const std::string& json) {
    const AdminReply reply = Admin("POST", "/faults", json);
    EXPECT_EQ(reply.status, 201) << json << " " << reply.json.Dump();
    const Json* id = reply.json.Get("id");
    return id && id->AsInt() ? *id->AsInt() : 0;
  }
};

TEST_F(Faults, DropClosesWithoutAReply) {
  AddFault(R"({"match":"version","mode":"drop","count":1})");
  const RawReply dropped = RawExchange(server_->port(), RawGet(kVersion));
  EXPECT_TRUE(dropped.closed);
  EXPECT_EQ(dropped.bytes, "");
  EXPECT_EQ(Get(kVersion).body, kVersionReply) << "the rule was for one request";
}

TEST_F(Faults, Status500IsAnHtmlErrorPage) {
  AddFault(R"({"match":"version","mode":"status500"})");
  const HttpReply reply = Get(kVersion);
  EXPECT_EQ(reply.status, 500);
  EXPECT_EQ(reply.contentType, "text/html; charset=utf-8");
  EXPECT_NE(reply.body.find("Internal Server Error"), std::string::npos);
  EXPECT_EQ(Get(kVersion).status, 500) << "without a count the rule stays";
  ASSERT_EQ(Admin("DELETE", "/faults").status, 200);
  EXPECT_EQ(Get(kVersion).body, kVersionReply);
}

TEST_F(Faults, GarbageIsRandomBytesWithStatus200) {
  AddFault(R"({"match":"version","mode":"garbage","count":2})");
  const HttpReply a = Get(kVersion), b = Get(kVersion);
  EXPECT_EQ(a.status, 200);
  EXPECT_GE(a.body.size(), 64u);
  EXPECT_NE(a.body, b.body);
  EXPECT_EQ(a.body.find(kVersionReply), std::string::npos);
}

TEST_F(Faults, TruncateAnnouncesTheWholeBodyAndClosesEarly) {
  const std::string installer(10'000, 'I');
  ServeInstaller(installer);
  AddFault(R"({"match":"installer","mode":"truncate","count":1})");
  const RawReply cut = RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe"));
  EXPECT_EQ(cut.status, 200);
  EXPECT_EQ(cut.contentLength, 10'000);
  EXPECT_EQ(cut.body, installer.substr(0, 5'000));
  EXPECT_TRUE(cut.closed);
  EXPECT_EQ(RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe")).body, installer);
}

TEST_F(Faults, OverlongAnnouncesLessThanItSends) {
  const std::string installer(10'000, 'I');
  ServeInstaller(installer);
  AddFault(R"({"match":"installer","mode":"overlong","count":2})");
  const RawReply one = RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe"));
  EXPECT_EQ(one.status, 200);
  EXPECT_EQ(one.contentLength, 9'999);
  EXPECT_EQ(one.body, installer) << "the whole body, past the announced length";
  EXPECT_TRUE(one.closed);
  ASSERT_EQ(Admin("DELETE", "/faults").status, 200);
  AddFault(R"({"match":"installer","mode":"overlong","bytes":4000,"count":1})");
  EXPECT_EQ(RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe")).contentLength, 6'000);
}

TEST_F(Faults, DripSendsTheWholeReplyOneByteAtATime) {
  AddFault(R"({"match":"version","mode":"drip","ms":20,"count":1})");
  const auto start = Clock::now();
  const RawReply dripped = RawExchange(server_->port(), RawGet(kVersion));
  const auto took = Clock::now() - start;
  EXPECT_EQ(dripped.status, 200);
  EXPECT_EQ(dripped.body, kVersionReply);
  EXPECT_EQ(dripped.contentLength, static_cast<long>(kVersionReply.size()));
  EXPECT_TRUE(dripped.closed);
  // Every byte but the first waited its turn.
  EXPECT_GE(took, 20ms * (dripped.bytes.size() - 1));
}

TEST_F(Faults, OversizeAnnouncesAndSendsItsWholeBody) {
  AddFault(R"({"match":"version","mode":"oversize","count":1})");
  const RawReply big = RawExchange(server_->port(), RawGet(kVersion));
  EXPECT_EQ(big.status, 200);
  EXPECT_EQ(big.contentLength, (1 << 20) + 1);
  EXPECT_EQ(big.body, std::string((1 << 20) + 1, 'x'));
  AddFault(R"({"match":"version","mode":"oversize","bytes":10,"count":1})");
  EXPECT_EQ(RawExchange(server_->port(), RawGet(kVersion)).body, "xxxxxxxxxx");
}

TEST_F(Faults, ChunkCutAnnouncesAChunkOfTheWholeBodyAndSendsHalfOfIt) {
  AddFault(R"({"match":"version","mode":"chunkcut","count":1})");
  const RawReply cut = RawExchange(server_->port(), RawGet(kVersion));
  EXPECT_EQ(cut.status, 200);
  EXPECT_NE(cut.head.find("Transfer-Encoding: chunked"), std::string::npos);
  EXPECT_EQ(cut.contentLength, -1);
  const std::string half = kVersionReply.substr(0, kVersionReply.size() / 2);
  char size[16];
  std::snprintf(size, sizeof size, "%zx", kVersionReply.size());
  EXPECT_EQ(cut.body, std::string(size) + "\r\n" + half);
  EXPECT_TRUE(cut.closed);
  EXPECT_EQ(Get(kVersion).body, kVersionReply);
}

TEST_F(Faults, ReplyAnswersWithTheGivenTextInTheClientsCodePage) {
  AddFault(R"({"match":"confirm","mode":"reply","text":"ab c,2880 \uac00","count":1})");
  const HttpReply reply = Get("/tarvo_app/index.php?act=ok&r=x");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "ab c,2880 \xb0\xa1");  // U+AC00 in CP949
  EXPECT_EQ(Admin("POST", "/faults", R"({"match":"confirm","mode":"reply"})").status, 400);
}

TEST_F(Faults, RedirectAnswers302WithTheGivenLocation) {
  AddFault(R"({"match":"installer","mode":"redirect","text":"http://127.0.0.1:1/x.exe","count":1})");
  const RawReply moved = RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe"));
  EXPECT_EQ(moved.status, 302);
  EXPECT_NE(moved.head.find("\r\nLocation: http://127.0.0.1:1/x.exe"), std::string::npos) << moved.head;
  EXPECT_EQ(Admin("POST", "/faults", R"({"match":"installer","mode":"redirect"})").status, 400);
}

TEST_F(Faults, DelayAnswersNormallyAfterTheDelay) {
  AddFault(R"({"match":"version","mode":"delay","ms":300})");
  const auto start = Clock::now();
  EXPECT_EQ(Get(kVersion).body, kVersionReply);
  EXPECT_GE(Clock::now() - start, 300ms);
}

TEST_F(Faults, HangAnswersOnlyAfterItsTimeOrWhenCleared) {
  AddFault(R"({"match":"version","mode":"hang","seconds":1,"count":1})");
  auto start = Clock::now();
  EXPECT_EQ(Get(kVersion).body, kVersionReply);
  EXPECT_GE(Clock::now() - start, 1s);

  const std::int64_t id = AddFault(R"({"match":"version","mode":"hang","count":1})");
  auto hung = std::async(std::launch::async, [&] { return Get(kVersion); });
  EXPECT_EQ(hung.wait_for(500ms), std::future_status::timeout);
  ASSERT_EQ(Admin("DELETE", "/faults/" + std::to_string(id)).status, 200);
  ASSERT_EQ(hung.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(hung.get().body, kVersionReply);
}

TEST_F(Faults, StoppingTheServerReleasesHungRequests) {
  AddFault(R"({"match":"ping","mode":"hang"})");
  auto hung = std::async(std::launch::async,
                         [&] { return RawExchange(server_->port(), RawGet("/tarvo_plus/ping.php")); });
  std::this_thread::sleep_for(200ms);
  const auto start = Clock::now();
  server_->Stop();
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_EQ(hung.wait_for(5s), std::future_status::ready);
}

TEST_F(Faults, RulesPickRequestsByNameOrRawPath) {
  PutAccount("tarvo01", "pw1", 60);
  const std::string code = Confirm(L"tarvo01", L"pw1");
  // Version and status share a path; a name tells them apart.
  AddFault(R"({"match":"status","mode":"status500"})");
  EXPECT_EQ(Get("/tarvo_app/index.php?rand_code=" + code).status, 500);
  EXPECT_EQ(Get(kVersion).body, kVersionReply);
  ASSERT_EQ(Admin("DELETE", "/faults").status, 200);

  // A raw path catches every request to it, the leave notice included.
  AddFault(R"({"match":"/tarvo_plus/ping.php","mode":"status500","count":2})");
  EXPECT_EQ(Get("/tarvo_plus/ping.php").status, 500);
  EXPECT_EQ(Get("/tarvo_plus/ping.php?key=ESC&rand_code=" + code).status, 500);
  EXPECT_EQ(Get("/tarvo_plus/ping.php").body, "0");
  EXPECT_EQ(Admin("GET", "/faults").json.AsArray()->size(), 0u) << "a spent rule disappears";
}

TEST_F(Faults, BadRulesAreRefused) {
  for (const char* rule :
       {R"({"match":"version","mode":"explode"})", R"({"match":"versions","mode":"drop"})",
        R"({"match":"version","mode":"delay"})", R"({"match":"version","mode":"drop","count":0})",
        R"({"mode":"drop"})", R"({"match":"version","mode":"hang","seconds":"1"})", "[1]", "{"}) {
    const AdminReply reply = Admin("POST", "/faults", rule);
    EXPECT_EQ(reply.status, 400) << rule;
    EXPECT_TRUE(reply.json.Get("error")) << rule;
  }
  EXPECT_EQ(Admin("DELETE", "/faults/99").status, 404);
}

}  // namespace
}  // namespace tarvo::devserver::testing
