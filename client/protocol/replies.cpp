#include "client/protocol/replies.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "client/protocol/scramble.h"
#include "common/text/characters.h"

namespace tarvo {

std::vector<std::wstring> SplitFields(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    fields.emplace_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
    if (end == std::wstring_view::npos) return fields;
    start = end + 1;
  }
}

std::wstring FieldAt(std::wstring_view text, std::size_t index, wchar_t separator) {
  auto fields = SplitFields(text, separator);
  return index < fields.size() ? std::move(fields[index]) : std::wstring();
}

int LeadingInt(std::wstring_view text) {
  const std::wstring terminated(text.substr(0, text.find(L'\0')));
  const long long value = std::wcstoll(terminated.c_str(), nullptr, 10);  // clamps to its own range
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int DaysFromMinutes(std::wstring_view minutes) { return LeadingInt(minutes) / 60 / 24; }

VersionReply ParseVersionReply(std::wstring_view reply) {
  return VersionReply{FieldAt(reply, 0), FieldAt(reply, 1), FieldAt(reply, 2), FieldAt(reply, 3)};
}

VersionVerdict JudgeVersion(const VersionReply& reply, std::wstring_view appVersion) {
  if (reply.newestVersion.empty()) return VersionVerdict::NoAnswer;
  return reply.newestVersion == appVersion ? VersionVerdict::UpToDate : VersionVerdict::UpdateOffered;
}

bool IsSignInAccepted(std::wstring_view reply) { return !reply.empty() && reply != L"No"; }

bool IsUsableSessionCode(std::wstring_view code) {
  // The code is appended unchanged to every later request: a control
  // character, a blank or a '#' would break or cut the request line.
  for (const wchar_t c : code)
    if (IsControlCharacter(c) || c == L' ' || c == L'#') return false;
  return true;
}

std::optional<ConfirmReply> ParseConfirmReply(std::wstring_view reply) {
  if (!IsSignInAccepted(reply)) return std::nullopt;
  ConfirmReply confirm;
  confirm.randCode = FieldAt(reply, 0);
  if (!IsUsableSessionCode(confirm.randCode)) return std::nullopt;
  confirm.minutesLeft = FieldAt(reply, 1);
  confirm.serviceUnused = confirm.minutesLeft == L"0";
  confirm.days = confirm.serviceUnused ? 0 : DaysFromMinutes(confirm.minutesLeft);
  return confirm;
}

JoinReply ParseJoinReply(std::wstring_view reply) {
  JoinReply join;
  if (reply == L"0") {
    join.serviceUnused = true;
    return join;
  }
  const auto plain = ScrambleText(reply);
  join.vpnServer = FieldAt(plain, 0);
  join.vpnUser = FieldAt(plain, 1);
  join.vpnPassword = FieldAt(plain, 2);
  return join;
}

std::optional<std::wstring> StatusPayload(std::wstring_view reply) {
  static constexpr std::wstring_view kStart = L"<startCODE>";
  static constexpr std::wstring_view kEnd = L"<endCODE>";
  const std::size_t start = reply.find(kStart);
  if (start == std::wstring_view::npos) return std::nullopt;
  const std::size_t from = start + kStart.size();
  const std::size_t end = reply.find(kEnd, from);
  if (end == std::wstring_view::npos) return std::nullopt;

  // One pass over the payload, as a text replace does: removing a marker never
  // joins the text around it into a new one that is removed too.
  const std::wstring_view inner = reply.substr(from, end - from);
  std::wstring payload;
  for (std::size_t pos = 0; pos < inner.size();) {
    const std::size_t next = inner.find(kStart, pos);
    payload += inner.substr(pos, next == std::wstring_view::npos ? std::wstring_view::npos : next - pos);
    if (next == std::wstring_view::npos) break;
    pos = next + kStart.size();
  }
  if (payload.empty() || payload == L"error") return std::nullopt;
  return payload;
}

StatusVerdict JudgeStatusPayload(std::wstring_view payload) {
  if (payload == L"0") return StatusVerdict::Expired;
  if (payload == L"OMG") return StatusVerdict::SignedInElsewhere;
  if (payload == L"EXIT") return StatusVerdict::Maintenance;
  return StatusVerdict::MinutesLeft;
}

}  // namespace tarvo
