// The answers to each request of the client's table, and the web pages.

#include <gtest/gtest.h>

#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"
#include "client/protocol/url_encode.h"
#include "devserver/service/text_codec.h"
#include "raw_http.h"
#include "server_fixture.h"

namespace tarvo::devserver::testing {
namespace {

constexpr const char* kText = "text/plain; charset=euc-kr";

class ServiceRequests : public ServerFixture {
 protected:
  void Configure(ServerConfig& config) override {
    installerBytes_ = std::string("MZ\x90\x00\x03", 5) + std::string(70'000, '\xA5') + "end";
    config.installerFile = WriteTempFile("Tarvo_setup.exe", installerBytes_);
  }
  std::string installerBytes_;
};

TEST_F(ServiceRequests, VersionNamesTheInstallerAndTheDigestOfWhatIsServed) {
  const HttpReply version = Get("/tarvo_app/index.php?v=q7d4x2m");
  EXPECT_EQ(version.status, 200);
  EXPECT_EQ(version.contentType, kText);
  EXPECT_EQ(version.body, "1.0.2.6,/tarvo_app/download/Tarvo_setup.exe," + Sha256OfBytes(installerBytes_));

  const HttpReply download = Get("/tarvo_app/download/Tarvo_setup.exe");
  EXPECT_EQ(download.status, 200);
  EXPECT_EQ(download.body, installerBytes_);

  // Without an installer the reply keeps the path but offers no digest, and there is nothing to download.
  ASSERT_EQ(Admin("PATCH", "/config", R"({"version":"1.0.2.7","installer_file":null})").status, 200);
  EXPECT_EQ(Get("/tarvo_app/index.php?v=q7d4x2m").body, "1.0.2.7,/tarvo_app/download/Tarvo_setup.exe");
  EXPECT_EQ(Get("/tarvo_app/download/Tarvo_setup.exe").status, 404);
}

TEST_F(ServiceRequests, TheInstallersSignatureFileBecomesTheFourthField) {
  const std::string signature(128, 'a');
  const std::string installer = WriteTempFile("signed_setup.exe", "MZ signed");
  WriteTempFile("signed_setup.exe.sig", std::string(64, 'A') + std::string(64, 'a') + "\n");
  ASSERT_EQ(Admin("PATCH", "/config", R"({"installer_file":")" + installer + "\"}").status, 200);
  EXPECT_EQ(Get("/tarvo_app/index.php?v=q7d4x2m").body,
            "1.0.2.6,/tarvo_app/download/Tarvo_setup.exe," + Sha256OfBytes("MZ signed") + "," + signature);
  EXPECT_EQ(*Admin("GET", "/config").json.Get("installer_signature")->AsString(), signature);

  // A signature file that is not one would be handed out as if it were: refused, nothing changes.
  for (const std::string& bad : {std::string(127, 'a'), std::string(128, 'g'), std::string(129, 'a'), std::string()}) {
    const std::string other = WriteTempFile("bad_setup.exe", "MZ bad");
    WriteTempFile("bad_setup.exe.sig", bad);
    EXPECT_EQ(Admin("PATCH", "/config", R"({"installer_file":")" + other + "\"}").status, 400) << bad;
  }
  EXPECT_EQ(*Admin("GET", "/config").json.Get("installer_file")->AsString(), installer);
}

TEST_F(ServiceRequests, InstallerDownloadAnnouncesItsLength) {
  const RawReply reply = RawExchange(server_->port(), RawGet("/tarvo_app/download/Tarvo_setup.exe"));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.contentLength, static_cast<long>(installerBytes_.size()));
  EXPECT_EQ(reply.body, installerBytes_);
}

TEST_F(ServiceRequests, SignInAcceptsOnlyTheRightPassword) {
  PutAccount("tarvo01", "pass word+%", 60);
  PutAccount("홍길동", "비밀번호1", 60);
  // The template's own separator inside a password, and inside an id.
  PutAccount("sep", "a/&?pwdq# b", 60);
  PutAccount("x/&?pwdq# y", "z", 60);
  struct Case {
    std::wstring id, password;
    const char* reply;
  } cases[] = {
      {L"tarvo01", L"pass word+%", "Yes"}, {L"tarvo01", L"pass word+", "No"},
      {L"TARVO01", L"pass word+%", "No"},  {L"nobody", L"pass word+%", "No"},
      {L"홍길동", L"비밀번호1", "Yes"},    {L"홍길동", L"비밀번호2", "No"},
      {L"sep", L"a/&?pwdq# b", "Yes"},     {L"sep", L"a", "No"},
      {L"x/&?pwdq# y", L"z", "Yes"},       {L"", L"", "No"},
  };
  for (const Case& c : cases) {
    const HttpReply reply = Get("/tarvo_app/index.php?r=" + Encoded(c.id, c.password));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, c.reply) << ToUtf8(c.id) << " / " << ToUtf8(c.password);
  }
}

TEST_F(ServiceRequests, ConfirmationGivesAFreshCodeAndTheMinutesLeft) {
  PutAccount("홍길동", "비밀번호1", 43'200);
  PutAccount("expired", "pw", 0);

  const HttpReply first = Get("/tarvo_app/index.php?act=ok&r=" + Encoded(L"홍길동", L"비밀번호1"));
  EXPECT_EQ(first.status, 200);
  EXPECT_EQ(first.contentType, kText);
  ASSERT_EQ(first.body.size(), 16u + 1 + 5) << first.body;
  EXPECT_EQ(first.body.substr(16), ",43200");
  for (char c : first.body.substr(0, 16))
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << first.body;
  EXPECT_NE(Confirm(L"홍길동", L"비밀번호1"), first.body.substr(0, 16));

  EXPECT_EQ(Get("/tarvo_app/index.php?act=ok&r=" + Encoded(L"expired", L"pw")).body.substr(16), ",0");
  EXPECT_EQ(Get("/tarvo_app/index.php?act=ok&r=" + Encoded(L"홍길동", L"wrong")).body, "No");
}

TEST_F(ServiceRequests, JoinReplyScramblesToTheCredentialsIssuedForTheSession) {
  PutAccount("홍길동", "비밀번호1", 600);
  ASSERT_EQ(Admin("PATCH", "/config", R"({"vpn_server":"vpn1.tarvo.test"})").status, 200);
  const std::string code = Confirm(L"홍길동", L"비밀번호1");

  std::vector<std::string> passwords;
  for (int i = 0; i < 2; ++i) {
    const HttpReply join = Get("/tarvo_app/join.php?k=w&rand_code=" + code);
    ASSERT_EQ(join.status, 200);
    // What the client does: read the bytes as CP949, then ScrambleText.
    const std::string plain = ToUtf8(ScrambleText(FromAnsi(join.body)));
    const AdminReply issued = Admin("GET", "/vpn-credentials");
    const Json& last = issued.json.AsArray()->back();
    EXPECT_EQ(plain, *last.Get("server")->AsString() + "," + *last.Get("user")->AsString() + "," +
                         *last.Get("password")->AsString());
    EXPECT_EQ(*last.Get("server")->AsString(), "vpn1.tarvo.test");
    EXPECT_EQ(*last.Get("code")->AsString(), code);
    EXPECT_EQ(*last.Get("id")->AsString(), "홍길동");
    EXPECT_TRUE(plain.starts_with("vpn1.tarvo.test,홍길동")) << plain;
    passwords.push_back(*last.Get("password")->AsString());
  }
  EXPECT_NE(passwords[0], passwords[1]) << "each join issues a new VPN password";
}

TEST_F(ServiceRequests, DialCheckAcceptsOnlyTheLastIssuedCredentials) {
  PutAccount("홍길동", "비밀번호1", 600);
  const std::string code = Confirm(L"홍길동", L"비밀번호1");
  ASSERT_EQ(Get("/tarvo_app/join.php?k=w&rand_code=" + code).status, 200);
  const Json first = Admin("GET", "/vpn-credentials").json.AsArray()->back();
  ASSERT_EQ(Get("/tarvo_app/join.php?k=w&rand_code=" + code).status, 200);
  const Json last = Admin("GET", "/vpn-credentials").json.AsArray()->back();

  // What the simulated dialer sends: each value percent-encoded in CP949.
  const auto dial = [&](const Json& c, const std::string& password) {
    const auto enc = [](const std::string& utf8) { return ToUtf8(UrlEncodeAnsi(*FromUtf8(utf8))); };
    httplib::Client admin("127.0.0.1", server_->adminPort());
    admin.set_url_encode(false);
    const std::string path = "/vpn-dial?server=" + enc(*c.Get("server")->AsString()) +
                             "&user=" + enc(*c.Get("user")->AsString()) + "&password=" + enc(password);
    const httplib::Result reply = admin.Get(path.c_str());
    return reply ? reply->body : std::string("no reply");
  };
  EXPECT_EQ(dial(last, *last.Get("password")->AsString()), "0");
  EXPECT_EQ(dial(first, *first.Get("password")->AsString()), "691");  // replaced by the later join
  EXPECT_EQ(dial(last, "wrong"), "691");
}

TEST_F(ServiceRequests, JoinWithoutServiceTimeAnswersZero) {
  PutAccount("expired", "pw", 0);
  const std::string code = Confirm(L"expired", L"pw");
  EXPECT_EQ(Get("/tarvo_app/join.php?k=w&rand_code=" + code).body, "0");
  EXPECT_EQ(Admin("GET", "/vpn-credentials").json.AsArray()->size(), 0u);
}

TEST_F(ServiceRequests, PingAnswersZero) {
  const HttpReply ping = Get("/tarvo_plus/ping.php");
  EXPECT_EQ(ping.status, 200);
  EXPECT_EQ(ping.body, "0");
}

TEST_F(ServiceRequests, PagesAreUtf8HtmlWithTheirTitles) {
  const struct {
    const char* target;
    const char* title;
  } pages[] = {
      {"/tarvo_plus/notice.php", "<title>공지사항</title>"},
      {"/tarvo_plus/banner.php", "Tarvo VPN"},
      {"/?page=find_id", "<title>아이디 찾기</title>"},
      {"/?page=join", "<title>회원가입</title>"},
      {"/", "<title>Tarvo</title>"},
  };
  for (const auto& page : pages) {
    const HttpReply reply = Get(page.target);
    EXPECT_EQ(reply.status, 200) << page.target;
    EXPECT_EQ(reply.contentType, "text/html; charset=utf-8") << page.target;
    EXPECT_NE(reply.body.find("<meta charset=\"utf-8\">"), std::string::npos) << page.target;
    EXPECT_NE(reply.body.find(page.title), std::string::npos) << page.target;
  }
  EXPECT_EQ(Get("/?page=unknown").status, 404);
}

TEST_F(ServiceRequests, AccountPageChecksCp949EncodedCredentials) {
  PutAccount("홍길동", "비밀 번호", 2 * 1440 + 5);
  const auto page = [&](std::wstring_view id, std::wstring_view password, const char* key) {
    return Get("/bbs/login_check.php?mb_id=" + ToUtf8(UrlEncodeAnsi(id)) +
               "&mb_password=" + ToUtf8(UrlEncodeAnsi(password)) + "&appKey=" + key);
  };
  const HttpReply shown = page(L"홍길동", L"비밀 번호", "w");
  EXPECT_EQ(shown.status, 200);
  EXPECT_NE(shown.body.find("<td>홍길동</td>"), std::string::npos);
  EXPECT_NE(shown.body.find("2일 (2885분)"), std::string::npos);

  const HttpReply wrong = page(L"홍길동", L"비밀번호", "w");
  EXPECT_EQ(wrong.status, 403);
  EXPECT_NE(wrong.body.find("아이디 또는 비밀번호가 올바르지 않습니다."), std::string::npos);
  EXPECT_EQ(page(L"홍길동", L"비밀 번호", "x").status, 400);
  EXPECT_EQ(Get("/bbs/login_check.php?mb_id=%b0&mb_password=x&appKey=w").status, 400);
}

TEST_F(ServiceRequests, AnythingElseIsNotFound) {
  for (const char* target :
       {"/tarvo_app/other.php", "/tarvo_plus/ping.php/x", "/TARVO_APP/index.php?v=q7d4x2m"}) {
    const HttpReply reply = Get(target);
    EXPECT_EQ(reply.status, 404) << target;
    EXPECT_FALSE(reply.body.empty()) << target;
  }
}

}  // namespace
}  // namespace tarvo::devserver::testing
