// The client's service API and the reference server describe the same
// contract in literals of their own: each request the client builds must be
// the request the server takes it for, with the values the server reads.

#include <gtest/gtest.h>

#include "client/base/app_settings.h"
#include "client/protocol/service_requests.h"
#include "devserver/service/credentials_codec.h"
#include "devserver/http/request_target.h"
#include "devserver/service/service_settings.h"

namespace tarvo::devserver::testing {
namespace {

// The client's paths are ASCII: credentials travel percent-encoded.
std::string Ascii(std::wstring_view path) {
  std::string text;
  for (const wchar_t c : path) {
    EXPECT_LT(c, 0x80) << "a non-ASCII character in a request path";
    text += static_cast<char>(c);
  }
  return text;
}

TEST(ServicePaths, TheServerTakesEachRequestForWhatTheClientMeant) {
  const std::wstring code = L"c0de";
  const struct {
    std::wstring path;
    std::string_view kind;
  } requests[] = {
      {service::VersionPath(), "version"},
      {service::SignInPath(L"tarvo01", L"pass word+%"), "sign-in"},
      {service::ConfirmationPath(L"홍길동", L"비밀번호1"), "confirm"},
      {service::JoinPath(code), "join"},
      {service::PingPath(), "ping"},
      {service::StatusPath(code), "status"},
      {service::LeavePath(code), "leave"},
      {service::LeaveNoticePath(code), "leave-notice"},
      {std::wstring(service::kNoticePage), "notice"},
      {std::wstring(service::kBannerPage), "banner"},
      {std::wstring(service::kFindIdPage), "find-id"},
      {std::wstring(service::kJoinPage), "join-page"},
  };
  for (const auto& r : requests) {
    const RequestTarget target = RequestTarget::Parse(Ascii(r.path));
    EXPECT_EQ(NameOf(Classify(target, kDefaultInstallerPath)), r.kind) << Ascii(r.path);
    const std::wstring_view clientName = service::RequestName(L"https://host" + r.path);
    if (clientName != L"other") {
      EXPECT_EQ(Ascii(clientName), r.kind) << Ascii(r.path);
    }
  }

  // The values the server reads back.
  const RequestTarget join = RequestTarget::Parse(Ascii(service::JoinPath(code)));
  ASSERT_TRUE(join.Find("k") && join.Find("rand_code"));
  EXPECT_EQ(*join.Find("k"), Ascii(service::kJoinKey));
  EXPECT_EQ(*join.Find("rand_code"), "c0de");
  const std::wstring accountUrl = service::AccountPageUrl(L"a", L"b");
  const RequestTarget account = RequestTarget::Parse(Ascii(accountUrl.substr(ServerBaseUrl().size())));
  EXPECT_EQ(NameOf(Classify(account, kDefaultInstallerPath)), "account-page");

  const RequestTarget confirm =
      RequestTarget::Parse(Ascii(service::ConfirmationPath(L"홍길동", L"비밀번호1")));
  ASSERT_TRUE(confirm.Find("r"));
  const auto candidates = DecodeCredentialCandidates(*confirm.Find("r"));
  ASSERT_FALSE(candidates.empty());
  EXPECT_EQ(candidates.front().id, L"홍길동");
  EXPECT_EQ(candidates.front().password, L"비밀번호1");
}

}  // namespace
}  // namespace tarvo::devserver::testing
