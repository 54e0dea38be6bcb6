// UrlEncodeAnsi: only safe bytes and escapes come out, and decoding them gives
// the text's ANSI bytes back. Scrambling round-trips on the way.
#include "client/protocol/scramble.h"
#include "client/protocol/url_encode.h"
#include "fuzz_input.h"

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo;
  const std::wstring text = fuzz::Text(data, size);
  TARVO_FUZZ_CHECK(UnscrambleText(ScrambleText(text)) == text);

  const std::wstring encoded = UrlEncodeAnsi(text);
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const wchar_t c = encoded[i];
    TARVO_FUZZ_CHECK(c < 0x80);
    if (c != L'%') {
      decoded += static_cast<char>(c);
      continue;
    }
    TARVO_FUZZ_CHECK(i + 2 < encoded.size());
    const int hi = HexValue(encoded[i + 1]), lo = HexValue(encoded[i + 2]);
    TARVO_FUZZ_CHECK(hi >= 0 && lo >= 0);
    decoded += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  TARVO_FUZZ_CHECK(decoded == ToAnsi(text));
  return 0;
}
