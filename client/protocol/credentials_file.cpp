#include "client/protocol/credentials_file.h"

#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"

namespace tarvo {
namespace {

constexpr std::wstring_view kRememberTag = L"!!si!!=";
constexpr std::wstring_view kAutoTag = L"!!sa!!=";
constexpr std::wstring_view kStartupMarker = L"!!sw!!";
constexpr std::wstring_view kTerminator = L"A-A";

// Replaces every occurrence in one left-to-right pass.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
  std::wstring out;
  for (std::size_t pos = 0;;) {
    const std::size_t hit = text.find(from, pos);
    out += text.substr(pos, hit == std::wstring_view::npos ? std::wstring_view::npos : hit - pos);
    if (hit == std::wstring_view::npos) return out;
    out += to;
    pos = hit + from.size();
  }
}

}  // namespace

std::wstring BuildCredentialsText(std::wstring_view userId, std::wstring_view password,
                                  const SignInPreferences& preferences) {
  std::wstring plain;
  if (preferences.rememberId) {
    plain += kRememberTag;
    plain += userId;
    plain += kTerminator;
  }
  if (preferences.autoSignIn) {
    plain += kAutoTag;
    plain += userId;
    plain += L'|';
    plain += password;
    plain += kTerminator;
  }
  if (preferences.runAtStartup) plain += kStartupMarker;
  return plain;
}

std::vector<std::wstring> SplitCredentialRecords(std::wstring_view plain) {
  std::vector<std::wstring> records;
  for (std::size_t pos = 0; pos <= plain.size();) {
    const std::size_t hit = plain.find(kTerminator, pos);
    const auto piece = plain.substr(pos, hit == std::wstring_view::npos ? std::wstring_view::npos : hit - pos);
    if (!piece.empty()) records.emplace_back(piece);
    if (hit == std::wstring_view::npos) break;
    pos = hit + kTerminator.size();
  }
  return records;
}

SavedCredentials ParseCredentialsText(std::wstring_view plain) {
  SavedCredentials saved;
  std::vector<std::wstring> held;
  for (auto& record : SplitCredentialRecords(plain)) {
    if (record == kStartupMarker)
      saved.runAtStartup = true;
    else
      held.push_back(std::move(record));
  }
  if (held.size() != 1 && held.size() != 2) return saved;

  const std::wstring& idCandidate = held.front();
  const std::wstring& pairCandidate = held.back();
  if (idCandidate.find(kRememberTag) != std::wstring::npos) saved.rememberedId = ReplaceAll(idCandidate, kRememberTag, L"");
  if (pairCandidate.find(kAutoTag) != std::wstring::npos) {
    const std::wstring rest = ReplaceAll(pairCandidate, kAutoTag, L"");
    const std::size_t bar = rest.find(L'|');
    AutoSignIn pair;
    pair.userId = rest.substr(0, bar);
    // The password is all that follows the first "|": it may hold "|" itself.
    if (bar != std::wstring::npos) pair.password = rest.substr(bar + 1);
    saved.autoSignIn = std::move(pair);
  }
  return saved;
}

std::wstring DecodeCredentialsFile(std::string_view fileBytes, bool smileyToPlus) {
  // A text-mode reader drops the line ends ("\r\n" or "\n") and joins the lines.
  std::string joined;
  joined.reserve(fileBytes.size());
  for (std::size_t i = 0; i < fileBytes.size(); ++i) {
    if (fileBytes[i] == '\n') continue;
    if (fileBytes[i] == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') continue;
    joined += fileBytes[i];
  }
  std::wstring text = FromAnsi(joined);
  if (smileyToPlus) text = ReplaceAll(text, L"^.^", L"+");
  return UnscrambleText(text);
}

std::optional<std::string> EncodeCredentialsFile(std::wstring_view plain) {
  const std::wstring scrambled = ScrambleText(plain);
  if (!IsAnsiRepresentable(scrambled)) return std::nullopt;
  return ToAnsi(scrambled);
}

std::optional<std::string> EncodeSignInPreferences(std::wstring_view userId, std::wstring_view password,
                                                   const SignInPreferences& preferences) {
  auto bytes = EncodeCredentialsFile(BuildCredentialsText(userId, password, preferences));
  if (!bytes) return std::nullopt;
  // Every reader must find exactly what was stored: a "^.^" in the scrambled
  // text (start-up and the login window read it as "+"), an "A-A" inside a
  // field (it would end the record), a line break (readers join lines), a
  // tag or a "|" inside the id would all read back as something else.
  for (const bool smileyToPlus : {true, false}) {
    const SavedCredentials saved = ParseCredentialsText(DecodeCredentialsFile(*bytes, smileyToPlus));
    const bool idBack = preferences.rememberId ? saved.rememberedId == userId : !saved.rememberedId;
    const bool pairBack = preferences.autoSignIn ? saved.autoSignIn && saved.autoSignIn->userId == userId &&
                                                       saved.autoSignIn->password == password
                                                 : !saved.autoSignIn;
    if (!idBack || !pairBack || saved.runAtStartup != preferences.runAtStartup) return std::nullopt;
  }
  return bytes;
}

}  // namespace tarvo
