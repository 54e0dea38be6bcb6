#include "devserver/service/credentials_codec.h"

#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"
#include "devserver/http/request_target.h"

namespace tarvo::devserver {
namespace {

constexpr std::wstring_view kPrefix = L"apib{}login/&?uidvlmp";
constexpr std::wstring_view kSeparator = L"/&?pwdq# ";

}  // namespace

std::vector<Credentials> DecodeCredentialCandidates(std::string_view rawValue) {
  const auto bytes = PercentDecode(rawValue);
  if (!bytes || bytes->size() > kMaxCredentialBytes) return {};
  const std::wstring scrambled = FromAnsi(*bytes);
  // FromAnsi marks bytes that are not CP949 with U+FFFD; the client never sends it.
  if (scrambled.find(L'\uFFFD') != std::wstring::npos) return {};
  const std::wstring text = UnscrambleText(scrambled);
  if (!text.starts_with(kPrefix)) return {};
  const std::wstring_view rest = std::wstring_view(text).substr(kPrefix.size());
  std::vector<Credentials> candidates;
  for (auto pos = rest.find(kSeparator); pos != std::wstring_view::npos; pos = rest.find(kSeparator, pos + 1))
    candidates.push_back(
        {std::wstring(rest.substr(0, pos)), std::wstring(rest.substr(pos + kSeparator.size()))});
  return candidates;
}

}  // namespace tarvo::devserver
