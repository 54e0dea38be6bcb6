#include "devserver/service/text_codec.h"

namespace tarvo::devserver {

static_assert(sizeof(wchar_t) == 4, "native wide texts are UTF-32");

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  for (wchar_t w : text) {
    auto c = static_cast<char32_t>(w);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

std::optional<std::wstring> FromUtf8(std::string_view bytes) {
  std::wstring out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t len = lead < 0x80           ? 1
                      : (lead >> 5) == 0x6  ? 2
                      : (lead >> 4) == 0xE  ? 3
                      : (lead >> 3) == 0x1E ? 4
                                            : 0;
    if (len == 0 || i + len > bytes.size()) return std::nullopt;
    char32_t c = len == 1 ? lead : lead & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    out += static_cast<wchar_t>(c);
    i += len;
  }
  return out;
}

std::string BytesAsLatin1Utf8(std::string_view bytes) {
  std::string out;
  for (char b : bytes) AppendUtf8(out, static_cast<unsigned char>(b));
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace tarvo::devserver
