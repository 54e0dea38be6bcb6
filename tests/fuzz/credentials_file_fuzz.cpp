// The saved-credentials file reader, and what the writer makes of what it read.
#include "client/protocol/credentials_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo;
  for (const bool smiley : {false, true}) {
    const SavedCredentials saved = ParseCredentialsText(DecodeCredentialsFile(fuzz::Bytes(data, size), smiley));
    // Writing back what was read and reading it again gives the same preferences.
    const std::wstring id = saved.autoSignIn ? saved.autoSignIn->userId : saved.rememberedId.value_or(L"");
    const std::wstring password = saved.autoSignIn ? saved.autoSignIn->password : L"";
    // A value holding a separator (or ending in part of the terminator) cannot
    // be told apart from the records around it: nothing to compare then.
    const auto separable = [](const std::wstring& value) {
      return (value + L"A-A").find(L"A-A") == value.size() && value.find(L'|') == std::wstring::npos &&
             value.find(L"!!s") == std::wstring::npos;
    };
    if (id.empty() || !separable(id) || !separable(password)) continue;
    const SignInPreferences prefs{saved.rememberedId.has_value(), saved.autoSignIn.has_value(), saved.runAtStartup};
    const auto bytes = EncodeCredentialsFile(BuildCredentialsText(id, password, prefs));
    if (!bytes) continue;
    const SavedCredentials again = ParseCredentialsText(DecodeCredentialsFile(*bytes, false));
    TARVO_FUZZ_CHECK(again.runAtStartup == saved.runAtStartup);
    TARVO_FUZZ_CHECK(again.rememberedId.has_value() == saved.rememberedId.has_value());
    TARVO_FUZZ_CHECK(again.autoSignIn.has_value() == saved.autoSignIn.has_value());
  }
  return 0;
}
