#pragma once
// Reading and writing the saved-credentials file "TarvoCookie.txt" in the
// user's temporary folder, with the start-with-Windows registration that
// goes with it.

#include <filesystem>
#include <string_view>

#include "client/protocol/credentials_file.h"
#include "client/system/startup_registration.h"

namespace tarvo {

std::filesystem::path CredentialsFilePath(const std::filesystem::path& tempFolder);

// A missing or unreadable file reads as empty: nothing restored.
SavedCredentials LoadSignInPreferences(const std::filesystem::path& file, bool smileyToPlus);

// Registers or unregisters the start with Windows, then replaces the file
// (the old file stays whole if the new one cannot be written). Returns
// whether the file was written.
bool SaveSignInPreferences(const std::filesystem::path& file, StartupRegistration& registration,
                           std::wstring_view programFolder, std::wstring_view userId, std::wstring_view password,
                           const SignInPreferences& preferences);

}  // namespace tarvo
