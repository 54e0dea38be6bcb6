#pragma once
// Reading the id and password out of the r= value of the sign-in and
// confirmation requests.
//
// The client fills "apib{}login/&?uidvlmp%s/&?pwdq# %s" with the id and the
// password verbatim, scrambles it and percent-encodes the CP949 bytes. An id
// or password that itself contains "/&?pwdq# " makes the text ambiguous, so
// every split at an occurrence of the separator is a candidate, first
// occurrence first; the caller accepts the first candidate that names an
// account with that password.

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::devserver {

struct Credentials {
  std::wstring id;
  std::wstring password;
};

// Empty when the value is malformed: broken escapes, bytes that are not
// CP949, a text that does not follow the template, or more than
// kMaxCredentialBytes decoded bytes.
std::vector<Credentials> DecodeCredentialCandidates(std::string_view rawValue);

inline constexpr std::size_t kMaxCredentialBytes = 1024;

}  // namespace tarvo::devserver
