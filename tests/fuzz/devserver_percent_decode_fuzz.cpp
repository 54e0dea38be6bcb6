// The reference server's percent-decoding: every escape stands for one byte,
// every other byte for itself, and a broken escape refuses the whole value.
#include "devserver/http/request_target.h"
#include "fuzz_input.h"

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tarvo::devserver::PercentDecode;
  const std::string_view raw = tarvo::fuzz::Bytes(data, size);
  bool wellFormed = true;
  std::size_t escapes = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '%') continue;
    if (i + 2 >= raw.size() || !IsHex(raw[i + 1]) || !IsHex(raw[i + 2])) {
      wellFormed = false;
      break;
    }
    ++escapes;
    i += 2;
  }
  const auto decoded = PercentDecode(raw);
  TARVO_FUZZ_CHECK(decoded.has_value() == wellFormed);
  if (!decoded) return 0;
  TARVO_FUZZ_CHECK(decoded->size() == raw.size() - 2 * escapes);
  // Escaping every byte of the result and decoding again gives it back.
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : *decoded) {
    const auto b = static_cast<unsigned char>(c);
    escaped += '%';
    escaped += kHex[b >> 4];
    escaped += kHex[b & 0xF];
  }
  TARVO_FUZZ_CHECK(PercentDecode(escaped) == decoded);
  return 0;
}
