// Native stand-in for the ANSI code page: CP949 through iconv.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "client/system/ansi_codepage.h"

namespace tarvo {
namespace {

constexpr const char* kAnsiCodePage = "CP949";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Converts one unit (a wide character, or a byte sequence) at a time so that
// an unconvertible unit can be replaced and the rest goes on.
std::string ConvertOne(iconv_t cd, const char* in, std::size_t inBytes, bool& ok) {
  char buf[16];
  char* src = const_cast<char*>(in);
  char* dst = buf;
  std::size_t left = sizeof buf;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  ok = iconv(cd, &src, &inBytes, &dst, &left) != static_cast<std::size_t>(-1) && inBytes == 0;
  return std::string(buf, static_cast<std::size_t>(dst - buf));
}

}  // namespace

std::string ToAnsi(std::wstring_view text) {
  Converter conv(kAnsiCodePage, "WCHAR_T");
  std::string out;
  if (!conv.ok()) return out;
  for (wchar_t c : text) {
    bool ok = false;
    std::string bytes = ConvertOne(conv.get(), reinterpret_cast<const char*>(&c), sizeof c, ok);
    out += ok ? bytes : std::string("?");
  }
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  Converter conv("WCHAR_T", kAnsiCodePage);
  std::wstring out;
  if (!conv.ok()) return out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    // CP949: bytes below 0x81 stand alone; others lead a two-byte character.
    std::size_t len = (lead >= 0x81 && lead <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
    bool ok = false;
    std::string wide = ConvertOne(conv.get(), bytes.data() + i, len, ok);
    if (ok && wide.size() == sizeof(wchar_t)) {
      wchar_t c;
      std::copy(wide.begin(), wide.end(), reinterpret_cast<char*>(&c));
      out += c;
    } else {
      out += L'\uFFFD';
      len = 1;
    }
    i += len;
  }
  return out;
}

bool IsAnsiRepresentable(std::wstring_view text) {
  Converter conv(kAnsiCodePage, "WCHAR_T");
  if (!conv.ok()) return false;
  for (wchar_t c : text) {
    bool ok = false;
    ConvertOne(conv.get(), reinterpret_cast<const char*>(&c), sizeof c, ok);
    if (!ok) return false;
  }
  return true;
}

}  // namespace tarvo
