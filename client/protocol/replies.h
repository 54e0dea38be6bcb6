#pragma once
// Readers of the server's replies. Replies are compared whole and exactly;
// an empty reply always means the server gave no answer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// Splits at every separator, keeping empty fields ("a,,b" gives three).
std::vector<std::wstring> SplitFields(std::wstring_view text, wchar_t separator = L',');
// Field `index` of the comma-separated text; empty when it does not exist.
std::wstring FieldAt(std::wstring_view text, std::size_t index, wchar_t separator = L',');

// The leading decimal integer as the C runtime's _wtoi reads it: leading
// blanks and one sign allowed, digits up to the first other character, 0
// without digits. Values beyond the int range are clamped.
int LeadingInt(std::wstring_view text);

// Whole days of service in a count of minutes given as text.
int DaysFromMinutes(std::wstring_view minutes);

// Version check: "newest,installer path[,sha256[,signature]]".
struct VersionReply {
  std::wstring newestVersion;
  std::wstring downloadPath;
  std::wstring sha256;     // lowercase hex; empty when the server sends none
  std::wstring signature;  // the publisher's signature of the installer (hex r||s); may be empty
};
VersionReply ParseVersionReply(std::wstring_view reply);

enum class VersionVerdict { UpToDate, UpdateOffered, NoAnswer };
// Any difference from our version offers the update (not an ordering).
VersionVerdict JudgeVersion(const VersionReply& reply, std::wstring_view appVersion);

// Sign-in: "No" rejects, any other non-empty text accepts.
bool IsSignInAccepted(std::wstring_view reply);

// Sign-in confirmation: "code,minutes left".
struct ConfirmReply {
  std::wstring randCode;
  std::wstring minutesLeft;
  bool serviceUnused = false;  // minutes left is exactly "0"
  int days = 0;                // whole days left when in service
};
// Nothing when the reply is "No" or empty, or when its session code could
// not travel in a request line (see IsUsableSessionCode).
std::optional<ConfirmReply> ParseConfirmReply(std::wstring_view reply);
// False for a code holding a control character, a blank or a '#'.
bool IsUsableSessionCode(std::wstring_view code);

// Join (connection data): "0" means no service; otherwise the fields come
// in the form that ScrambleText turns into plain text.
struct JoinReply {
  bool serviceUnused = false;
  std::wstring vpnServer;
  std::wstring vpnUser;
  std::wstring vpnPassword;
};
JoinReply ParseJoinReply(std::wstring_view reply);

// Status envelope "<startCODE>payload<endCODE>". The payload of a valid reply:
// between the first start marker and the first end marker after it, further
// start markers removed; neither empty nor "error".
std::optional<std::wstring> StatusPayload(std::wstring_view reply);

enum class StatusVerdict { Expired, SignedInElsewhere, Maintenance, MinutesLeft };
StatusVerdict JudgeStatusPayload(std::wstring_view payload);

}  // namespace tarvo
