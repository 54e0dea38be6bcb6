#include "client/protocol/service_requests.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/base/app_settings.h"
#include "client/protocol/server_url.h"
#include "client/protocol/url_encode.h"

namespace tarvo::service {
namespace {

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

TEST(ServiceRequests, EachRequestHasItsPathAndIsKnownByIt) {
  const std::wstring credentials = EncodeCredentials(L"tarvo01", L"pass word");
  const struct {
    const char* what;
    std::wstring path, expected;
    std::wstring_view name;
  } cases[] = {
      {"version", VersionPath(), L"/tarvo_app/index.php?v=q7d4x2m", L"version"},
      {"sign-in", SignInPath(L"tarvo01", L"pass word"), L"/tarvo_app/index.php?r=" + credentials, L"sign-in"},
      {"confirmation", ConfirmationPath(L"tarvo01", L"pass word"), L"/tarvo_app/index.php?act=ok&r=" + credentials,
       L"confirm"},
      {"join", JoinPath(L"c0de"), L"/tarvo_app/join.php?k=w&rand_code=c0de", L"join"},
      {"ping", PingPath(), L"/tarvo_plus/ping.php", L"ping"},
      {"status", StatusPath(L"c0de"), L"/tarvo_app/index.php?rand_code=c0de", L"status"},
      {"leave", LeavePath(L"c0de"), L"/tarvo_app/index.php?key=ESC&rand_code=c0de", L"leave"},
      {"leave notice", LeaveNoticePath(L"c0de"), L"/tarvo_plus/ping.php?key=ESC&rand_code=c0de", L"leave-notice"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.path, c.expected) << c.what;
    EXPECT_EQ(RequestName(MakeServerUrl(c.path)), c.name) << c.what;
    EXPECT_EQ(RequestName(L"http://127.0.0.1:8080" + c.path), c.name) << c.what << " on another base";
  }
  for (const std::wstring_view other :
       {kNoticePage, kBannerPage, kFindIdPage, kJoinPage, std::wstring_view(L"/tarvo_plus/ping.php?x=1"),
        std::wstring_view(L"/tarvo_app/index.php"), std::wstring_view(L"/tarvo_app/index.php?v=other")})
    EXPECT_EQ(RequestName(MakeServerUrl(other)), L"other") << Narrow(other);
}

TEST(ServiceRequests, TheAccountPageCarriesTheCredentialsEncoded) {
  EXPECT_EQ(AccountPageUrl(L"a&b", L"p#w"),
            ServerBaseUrl() + L"/bbs/login_check.php?mb_id=a%26b&mb_password=p%23w&appKey=w");
}

// Answers every request with the next scripted reply and records its URL.
class ScriptedTransport : public HttpTransport {
 public:
  explicit ScriptedTransport(std::wstring reply) : reply_(std::move(reply)) {}
  RequestStatus Send(std::wstring& reply, std::wstring_view url, std::stop_token) override {
    urls.emplace_back(url);
    reply += reply_;
    return reply_.empty() ? 12029 : 0;  // no reply: the server could not be reached
  }
  RequestStatus SendWithin(std::wstring& reply, std::wstring_view url, std::chrono::milliseconds) override {
    return Send(reply, url, {});
  }
  std::vector<std::wstring> urls;

 private:
  std::wstring reply_;
};

TEST(ServiceRequests, SignInAcceptsAnythingButNoAndNothing) {
  const struct {
    std::wstring reply;
    SignInOutcome outcome;
  } cases[] = {
      {L"Yes", SignInOutcome::Accepted}, {L"no", SignInOutcome::Accepted}, {L"No ", SignInOutcome::Accepted},
      {L"No", SignInOutcome::Rejected},  {L"", SignInOutcome::NoAnswer},
  };
  for (const auto& c : cases) {
    ScriptedTransport http(c.reply);
    EXPECT_EQ(SignIn(http, L"홍길동", L"pw"), c.outcome) << Narrow(c.reply);
    EXPECT_EQ(http.urls, std::vector<std::wstring>{MakeServerUrl(SignInPath(L"홍길동", L"pw"))});
  }
}

TEST(ServiceRequests, VersionAndConfirmationReadTheirReplies) {
  ScriptedTransport version(L"1.0.2.7,/d/Tarvo_setup.exe,00ff,abcd");
  const VersionReply offered = AskVersion(version);
  EXPECT_EQ(version.urls, std::vector<std::wstring>{MakeServerUrl(VersionPath())});
  EXPECT_EQ(offered.newestVersion, L"1.0.2.7");
  EXPECT_EQ(offered.signature, L"abcd");
  ScriptedTransport silent(L"");
  EXPECT_EQ(JudgeVersion(AskVersion(silent), AppVersion), VersionVerdict::NoAnswer);

  ScriptedTransport confirmed(L"c0de,2880");
  const auto confirm = ConfirmSignIn(confirmed, L"tarvo01", L"pw");
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->randCode, L"c0de");
  EXPECT_EQ(confirm->days, 2);
  EXPECT_EQ(confirmed.urls, std::vector<std::wstring>{MakeServerUrl(ConfirmationPath(L"tarvo01", L"pw"))});
  for (const wchar_t* refused : {L"No", L"", L"c 0de,2880"}) {
    ScriptedTransport http(refused);
    EXPECT_FALSE(ConfirmSignIn(http, L"tarvo01", L"pw")) << Narrow(refused);
  }
}

}  // namespace
}  // namespace tarvo::service
