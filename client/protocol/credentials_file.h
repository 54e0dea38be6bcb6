#pragma once
// The saved-credentials file: three sign-in preferences as scrambled records.
//
// Plain text, each record present only when its preference is on, in order:
//   "!!si!!=" id "A-A"                  remember the id
//   "!!sa!!=" id "|" password "A-A"     sign in automatically
//   "!!sw!!"                            start with Windows (always last)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct SignInPreferences {
  bool rememberId = false;
  bool autoSignIn = false;
  bool runAtStartup = false;
};

struct AutoSignIn {
  std::wstring userId;
  std::wstring password;
};

// What a reader finds in the file.
struct SavedCredentials {
  bool runAtStartup = false;
  std::optional<std::wstring> rememberedId;  // a candidate holding "!!si!!="
  std::optional<AutoSignIn> autoSignIn;      // a candidate holding "!!sa!!="
};

std::wstring BuildCredentialsText(std::wstring_view userId, std::wstring_view password,
                                  const SignInPreferences& preferences);

// Records split at each "A-A", empty pieces dropped.
std::vector<std::wstring> SplitCredentialRecords(std::wstring_view plain);

// With exactly two records (not counting "!!sw!!") the first is the candidate
// for the remembered id and the second for the automatic sign-in; with exactly
// one it is the candidate for both; with any other count neither is restored.
SavedCredentials ParseCredentialsText(std::wstring_view plain);

// The file's bytes back to plain text: lines joined as a text-mode reader
// does, "^.^" turned into "+" when asked (start-up and login window do,
// the settings window does not), then unscrambled.
std::wstring DecodeCredentialsFile(std::string_view fileBytes, bool smileyToPlus);

// Plain text to the file's bytes (scrambled, ANSI code page). Nothing when a
// character cannot be stored in the code page: the caller then keeps the old
// file rather than writing one that would read back differently.
std::optional<std::string> EncodeCredentialsFile(std::wstring_view plain);

// The file's bytes for these preferences, or nothing when a reader would not
// get back exactly what is stored (the caller then keeps the old file, as
// for a character the code page lacks).
std::optional<std::string> EncodeSignInPreferences(std::wstring_view userId, std::wstring_view password,
                                                   const SignInPreferences& preferences);

}  // namespace tarvo
