#include "devserver/service/protocol_handlers.h"

#include <cctype>

#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"
#include "devserver/service/credentials_codec.h"
#include "devserver/service/random_text.h"
#include "devserver/service/text_codec.h"
#include "devserver/service/web_pages.h"

namespace tarvo::devserver {
namespace {

// Replies are read by the client in its ANSI code page, CP949.
constexpr const char* kTextType = "text/plain; charset=euc-kr";
constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr const char* kVersionKey = "q7d4x2m";
constexpr const char* kAppKey = "w";
constexpr std::size_t kVpnPasswordLength = 12;

void Text(httplib::Response& res, int status, const std::string& body) {
  res.status = status;
  res.set_content(body, kTextType);
}

void Html(httplib::Response& res, int status, const std::string& body) {
  res.status = status;
  res.set_content(body, kHtmlType);
}

std::string StatusEnvelope(std::string_view payload) {
  return "<startCODE>" + std::string(payload) + "<endCODE>";
}

// The session code of rand_code=, when it has the form the server issues.
std::optional<std::string> SessionCode(const RequestTarget& target) {
  const std::string* raw = target.Find("rand_code");
  if (!raw) return std::nullopt;
  auto code = PercentDecode(*raw);
  if (!code || code->empty() || code->size() > 64) return std::nullopt;
  for (char c : *code)
    if (!std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
  return code;
}

// A CP949 query value as UTF-8 text, when it is well formed.
std::optional<std::string> AnsiParam(const RequestTarget& target, std::string_view name) {
  const std::string* raw = target.Find(name);
  if (!raw) return std::nullopt;
  auto bytes = PercentDecode(*raw);
  if (!bytes || bytes->size() > kMaxCredentialBytes) return std::nullopt;
  const std::wstring wide = FromAnsi(*bytes);
  if (wide.find(L'\uFFFD') != std::wstring::npos) return std::nullopt;
  return ToUtf8(wide);
}

}  // namespace

void ProtocolHandlers::Respond(const RequestTarget& target, RequestKind kind, httplib::Response& res, Body body) {
  switch (kind) {
    case RequestKind::kVersion:
      return Version(target, res);
    case RequestKind::kSignIn:
      return SignIn(target, res);
    case RequestKind::kConfirm:
      return Confirm(target, res);
    case RequestKind::kJoin:
      return Join(target, res);
    case RequestKind::kPing:
      return Text(res, 200, "0");
    case RequestKind::kStatus:
      return Status(target, res);
    case RequestKind::kLeave:
    case RequestKind::kLeaveNotice:
      return Leave(target, kind, res);
    case RequestKind::kInstaller:
      return InstallerDownload(res, body);
    case RequestKind::kNoticePage:
      return Html(res, 200, NoticePage());
    case RequestKind::kBannerPage:
      return Html(res, 200, BannerPage());
    case RequestKind::kHomePage:
      return Html(res, 200, HomePage());
    case RequestKind::kFindIdPage:
      return Html(res, 200, FindIdPage());
    case RequestKind::kJoinPage:
      return Html(res, 200, JoinPage());
    case RequestKind::kAccountPage:
      return AccountPage(target, res);
    case RequestKind::kOther:
      break;
  }
  if (target.path == "/tarvo_app/index.php") return Text(res, 400, "missing or unknown request parameters");
  Text(res, 404, "not found");
}

void ProtocolHandlers::Version(const RequestTarget& target, httplib::Response& res) {
  if (*target.Find("v") != kVersionKey) return Text(res, 400, "unknown version key");
  const SettingsSnapshot s = state_.settings.Get();
  std::string reply = s.version + "," + s.installerPath;
  if (s.installer) reply += "," + s.installer->sha256;
  if (s.installer && !s.installer->signature.empty()) reply += "," + s.installer->signature;
  Text(res, 200, reply);
}

std::optional<Account> ProtocolHandlers::AuthenticateEncoded(const std::string* rawValue) const {
  if (!rawValue) return std::nullopt;
  for (const Credentials& c : DecodeCredentialCandidates(*rawValue))
    if (auto account = state_.accounts.Authenticate(ToUtf8(c.id), ToUtf8(c.password))) return account;
  return std::nullopt;
}

std::int64_t ProtocolHandlers::MinutesLeftOf(std::string_view accountId) const {
  // A deleted account has no service left, which ends its clients' sessions cleanly.
  const auto account = state_.accounts.Find(accountId);
  return account ? MinutesLeft(account->expiresMs, state_.Now()) : 0;
}

void ProtocolHandlers::SignIn(const RequestTarget& target, httplib::Response& res) {
  Text(res, 200, AuthenticateEncoded(target.Find("r")) ? "Yes" : "No");
}

void ProtocolHandlers::Confirm(const RequestTarget& target, httplib::Response& res) {
  if (*target.Find("act") != "ok") return Text(res, 400, "unknown act");
  const auto account = AuthenticateEncoded(target.Find("r"));
  if (!account) return Text(res, 200, "No");
  const std::string code = state_.sessions.Open(account->id, state_.Now());
  Text(res, 200, code + "," + std::to_string(MinutesLeftOf(account->id)));
}

void ProtocolHandlers::Join(const RequestTarget& target, httplib::Response& res) {
  const std::string* key = target.Find("k");
  if (!key) return Text(res, 400, "missing k");
  if (*key != kAppKey) return Text(res, 400, "unknown key");
  if (!target.Find("rand_code")) return Text(res, 400, "missing rand_code");
  const auto code = SessionCode(target);
  const auto session = code ? state_.sessions.Find(*code) : std::nullopt;
  if (!session) return Text(res, 404, "unknown session code");
  if (session->supersededMs) return Text(res, 409, "session ended by a sign-in elsewhere");
  if (MinutesLeftOf(session->accountId) == 0) return Text(res, 200, "0");

  VpnCredential credential{session->code,
                           session->accountId,
                           state_.settings.Get().vpnServer,
                           session->accountId + "_vpn",
                           RandomAlphanumeric(kVpnPasswordLength),
                           state_.Now()};
  state_.sessions.RecordVpnCredential(credential);
  const std::wstring plain =
      FromUtf8(credential.server + "," + credential.user + "," + credential.password).value_or(L"");
  // The client passes the reply through ScrambleText to get the plain fields.
  Text(res, 200, ToAnsi(UnscrambleText(plain)));
}

void ProtocolHandlers::Status(const RequestTarget& target, httplib::Response& res) {
  const auto code = SessionCode(target);
  const auto session = code ? state_.sessions.Find(*code) : std::nullopt;
  std::string payload;
  if (!session) {
    payload = "error";
  } else if (session->supersededMs) {
    payload = "OMG";
  } else if (state_.settings.Get().maintenance) {
    payload = "EXIT";
  } else {
    payload = std::to_string(MinutesLeftOf(session->accountId));  // "0" when the time has run out
  }
  Text(res, 200, StatusEnvelope(payload));
}

// A leave keeps the code usable: after a disconnect the client connects again
// with the same session code.
void ProtocolHandlers::Leave(const RequestTarget& target, RequestKind kind, httplib::Response& res) {
  if (*target.Find("key") != "ESC") return Text(res, 400, "unknown key");
  if (!target.Find("rand_code")) return Text(res, 400, "missing rand_code");
  const auto code = SessionCode(target);
  const auto session = code ? state_.sessions.Find(*code) : std::nullopt;
  if (!session) return Text(res, 404, "unknown session code");
  state_.sessions.RecordLeave(*session, NameOf(kind), state_.Now());
  Text(res, 200, "OK");
}

void ProtocolHandlers::InstallerDownload(httplib::Response& res, Body body) {
  const auto installer = state_.settings.Get().installer;
  if (!installer) return Text(res, 404, "no installer available");
  res.status = 200;
  // (An empty one has nothing to share: the library's provider would not
  // end a reply of no bytes.)
  if (body == Body::Copied || installer->bytes.empty())
    return res.set_content(installer->bytes, "application/octet-stream");
  // The reply holds the installer it started with: a changed installer file
  // is served to later downloads only.
  res.set_content_provider(installer->bytes.size(), "application/octet-stream",
                           [installer](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             const std::size_t piece = std::min<std::size_t>(length, 64 * 1024);
                             return sink.write(installer->bytes.data() + offset, piece);
                           });
}

void ProtocolHandlers::AccountPage(const RequestTarget& target, httplib::Response& res) {
  const std::string* appKey = target.Find("appKey");
  const auto id = AnsiParam(target, "mb_id");
  const auto password = AnsiParam(target, "mb_password");
  if (!appKey || *appKey != kAppKey || !id || !password)
    return Html(res, 400, MessagePage("내 정보", "잘못된 요청입니다."));
  const auto account = state_.accounts.Authenticate(*id, *password);
  if (!account) return Html(res, 403, MessagePage("내 정보", "아이디 또는 비밀번호가 올바르지 않습니다."));
  Html(
      res, 200,
      devserver::AccountPage(account->id, MinutesLeft(account->expiresMs, state_.Now()), account->expiresMs));
}

}  // namespace tarvo::devserver
