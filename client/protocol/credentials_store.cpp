#include "client/protocol/credentials_store.h"

#include "client/base/app_settings.h"
#include "client/system/file_io.h"

namespace tarvo {

std::filesystem::path CredentialsFilePath(const std::filesystem::path& tempFolder) {
  return tempFolder / std::wstring(CookieFileName);
}

SavedCredentials LoadSignInPreferences(const std::filesystem::path& file, bool smileyToPlus) {
  const auto bytes = ReadWholeFile(file);
  return ParseCredentialsText(DecodeCredentialsFile(bytes.value_or(std::string()), smileyToPlus));
}

bool SaveSignInPreferences(const std::filesystem::path& file, StartupRegistration& registration,
                           std::wstring_view programFolder, std::wstring_view userId, std::wstring_view password,
                           const SignInPreferences& preferences) {
  SetRunAtStartup(registration, preferences.runAtStartup, RunAtStartupPath(programFolder));
  const auto bytes = EncodeSignInPreferences(userId, password, preferences);
  return bytes && ReplaceFileContents(file, *bytes);
}

}  // namespace tarvo
