#include "client/protocol/service_requests.h"

#include "client/base/app_settings.h"
#include "client/protocol/server_url.h"
#include "client/protocol/url_encode.h"

namespace tarvo::service {
namespace {

constexpr std::wstring_view kVersion = L"/tarvo_app/index.php?v=q7d4x2m";
constexpr std::wstring_view kSignIn = L"/tarvo_app/index.php?r=";
constexpr std::wstring_view kConfirmation = L"/tarvo_app/index.php?act=ok&r=";
constexpr std::wstring_view kJoin = L"/tarvo_app/join.php?k=";
constexpr std::wstring_view kPing = L"/tarvo_plus/ping.php";
constexpr std::wstring_view kStatus = L"/tarvo_app/index.php?rand_code=";
constexpr std::wstring_view kLeave = L"/tarvo_app/index.php?key=ESC&rand_code=";
constexpr std::wstring_view kLeaveNotice = L"/tarvo_plus/ping.php?key=ESC&rand_code=";

std::wstring Joined(std::wstring_view head, std::wstring_view tail) {
  std::wstring text(head);
  text += tail;
  return text;
}

// The path and query of a URL: everything from the first "/" after the host.
std::wstring_view PathOf(std::wstring_view url) {
  const auto scheme = url.find(L"://");
  const auto from = url.find(L'/', scheme == std::wstring_view::npos ? 0 : scheme + 3);
  return from == std::wstring_view::npos ? std::wstring_view() : url.substr(from);
}

}  // namespace

std::wstring VersionPath() { return std::wstring(kVersion); }

std::wstring SignInPath(std::wstring_view userId, std::wstring_view password) {
  return Joined(kSignIn, EncodeCredentials(userId, password));
}

std::wstring ConfirmationPath(std::wstring_view userId, std::wstring_view password) {
  return Joined(kConfirmation, EncodeCredentials(userId, password));
}

std::wstring JoinPath(std::wstring_view randCode) {
  return Joined(Joined(Joined(kJoin, kJoinKey), L"&rand_code="), randCode);
}

std::wstring PingPath() { return std::wstring(kPing); }
std::wstring StatusPath(std::wstring_view randCode) { return Joined(kStatus, randCode); }
std::wstring LeavePath(std::wstring_view randCode) { return Joined(kLeave, randCode); }
std::wstring LeaveNoticePath(std::wstring_view randCode) { return Joined(kLeaveNotice, randCode); }

std::wstring AccountPageUrl(std::wstring_view userId, std::wstring_view password) {
  return ServerBaseUrl() + L"/bbs/login_check.php?mb_id=" + UrlEncodeAnsi(userId) + L"&mb_password=" +
         UrlEncodeAnsi(password) + L"&appKey=" + std::wstring(kAccountPageKey);
}

std::wstring_view RequestName(std::wstring_view url) {
  const std::wstring_view path = PathOf(url);
  // Longer prefixes first: the leave notice is a ping with a query.
  const struct {
    std::wstring_view prefix;
    bool whole;  // the path must be the prefix and nothing more
    std::wstring_view name;
  } kinds[] = {
      {kLeaveNotice, false, L"leave-notice"}, {kPing, true, L"ping"},          {kVersion, true, L"version"},
      {kConfirmation, false, L"confirm"},     {kSignIn, false, L"sign-in"},    {kLeave, false, L"leave"},
      {kStatus, false, L"status"},            {kJoin, false, L"join"},
  };
  for (const auto& k : kinds)
    if (k.whole ? path == k.prefix : path.starts_with(k.prefix)) return k.name;
  return L"other";
}

VersionReply AskVersion(HttpTransport& http, std::stop_token stop) {
  std::wstring reply;
  http.Send(reply, MakeServerUrl(VersionPath()), stop);
  return ParseVersionReply(reply);
}

SignInOutcome SignIn(HttpTransport& http, std::wstring_view userId, std::wstring_view password,
                     std::stop_token stop) {
  std::wstring reply;
  http.Send(reply, MakeServerUrl(SignInPath(userId, password)), stop);
  if (reply.empty()) return SignInOutcome::NoAnswer;
  return IsSignInAccepted(reply) ? SignInOutcome::Accepted : SignInOutcome::Rejected;
}

std::optional<ConfirmReply> ConfirmSignIn(HttpTransport& http, std::wstring_view userId,
                                          std::wstring_view password, std::stop_token stop) {
  std::wstring reply;
  http.Send(reply, MakeServerUrl(ConfirmationPath(userId, password)), stop);
  return ParseConfirmReply(reply);
}

}  // namespace tarvo::service
