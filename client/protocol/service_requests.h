#pragma once
// The service's requests as the client makes them: one function per request
// that builds its path and query (relative to ServerBaseUrl), the pages it
// shows, and the requests the windows make once (version, sign-in,
// confirmation) through the HttpTransport port, as the session's workers do.
// The reference server keeps literals of its own, being the other side of
// the contract; a protocol test checks that both agree on every request.

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "client/protocol/http_transport.h"
#include "client/protocol/replies.h"

namespace tarvo::service {

// The one-letter keys of the join request and of the account page.
inline constexpr std::wstring_view kJoinKey = L"w";
inline constexpr std::wstring_view kAccountPageKey = L"w";

std::wstring VersionPath();
std::wstring SignInPath(std::wstring_view userId, std::wstring_view password);
std::wstring ConfirmationPath(std::wstring_view userId, std::wstring_view password);
std::wstring JoinPath(std::wstring_view randCode);
std::wstring PingPath();
std::wstring StatusPath(std::wstring_view randCode);
std::wstring LeavePath(std::wstring_view randCode);
std::wstring LeaveNoticePath(std::wstring_view randCode);

// Pages: in the session window's panes, and in the user's browser.
inline constexpr std::wstring_view kNoticePage = L"/tarvo_plus/notice.php";
inline constexpr std::wstring_view kBannerPage = L"/tarvo_plus/banner.php";
inline constexpr std::wstring_view kFindIdPage = L"/?page=find_id";
inline constexpr std::wstring_view kJoinPage = L"/?page=join";
// The account page's full URL; the id and the password percent-encoded in
// the ANSI code page, so that a "&" or "#" in them cannot cut the address.
std::wstring AccountPageUrl(std::wstring_view userId, std::wstring_view password);

// Which request a URL of the service makes: "version", "sign-in", "confirm",
// "join", "ping", "status", "leave", "leave-notice", or "other".
std::wstring_view RequestName(std::wstring_view url);

// The version check's reply; an empty newest version when there was none.
VersionReply AskVersion(HttpTransport& http, std::stop_token stop = {});

enum class SignInOutcome { Accepted, Rejected, NoAnswer };
// "No" rejects, no reply is no answer, anything else accepts.
SignInOutcome SignIn(HttpTransport& http, std::wstring_view userId, std::wstring_view password,
                     std::stop_token stop = {});

// The confirmation of a sign-in; nothing when it was refused, not answered
// or unusable (see ParseConfirmReply).
std::optional<ConfirmReply> ConfirmSignIn(HttpTransport& http, std::wstring_view userId,
                                          std::wstring_view password, std::stop_token stop = {});

}  // namespace tarvo::service
