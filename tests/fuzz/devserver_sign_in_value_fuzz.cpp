// The reference server's decoding of the sign-in value (r=): whatever it
// reads as an id and a password, the client would encode into a value that
// decodes to the same pair again.
#include <algorithm>

#include "client/protocol/url_encode.h"
#include "devserver/service/credentials_codec.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo;
  using namespace tarvo::devserver;
  const std::vector<Credentials> candidates = DecodeCredentialCandidates(fuzz::Bytes(data, size));
  for (const Credentials& c : candidates) {
    const std::wstring value = EncodeCredentials(c.id, c.password);
    std::string ascii;
    for (const wchar_t ch : value) {
      TARVO_FUZZ_CHECK(ch < 0x80);
      ascii += static_cast<char>(ch);
    }
    const std::vector<Credentials> again = DecodeCredentialCandidates(ascii);
    TARVO_FUZZ_CHECK(std::any_of(again.begin(), again.end(), [&](const Credentials& a) {
      return a.id == c.id && a.password == c.password;
    }));
  }
  return 0;
}
