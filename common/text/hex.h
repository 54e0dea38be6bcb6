#pragma once
// Bytes as lowercase hexadecimal text and back: digests, signatures, percent escapes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

inline std::string HexText(std::span<const std::uint8_t> bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    hex += kLowerHexDigits[byte >> 4];
    hex += kLowerHexDigits[byte & 0xF];
  }
  return hex;
}

inline std::string HexText(std::string_view bytes) {
  return HexText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// Fills `bytes` from exactly twice as many hex digits, either case; false
// (and `bytes` unspecified) for any other text.
inline bool ParseHex(std::wstring_view text, std::span<std::uint8_t> bytes) {
  const auto digit = [](wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
  };
  if (text.size() != bytes.size() * 2) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int high = digit(text[2 * i]);
    const int low = digit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace tarvo
