#include "client/protocol/url_encode.h"

#include "client/system/ansi_codepage.h"
#include "client/protocol/scramble.h"
#include "common/text/hex.h"

namespace tarvo {
namespace {

bool IsUrlSafe(unsigned char b) {
  if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  switch (b) {
    case '@': case '.': case '/': case '\\': case '-': case '_': case ':':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::wstring UrlEncodeAnsi(std::wstring_view text) {
  std::wstring out;
  for (char c : ToAnsi(text)) {
    const auto b = static_cast<unsigned char>(c);
    if (IsUrlSafe(b)) {
      out += static_cast<wchar_t>(b);
    } else {
      out += L'%';
      out += static_cast<wchar_t>(kLowerHexDigits[b >> 4]);
      out += static_cast<wchar_t>(kLowerHexDigits[b & 0xF]);
    }
  }
  return out;
}

std::wstring EncodeCredentials(std::wstring_view userId, std::wstring_view password) {
  std::wstring filled = L"apib{}login/&?uidvlmp";
  filled += userId;
  filled += L"/&?pwdq# ";
  filled += password;
  return UrlEncodeAnsi(ScrambleText(filled));
}

}  // namespace tarvo
