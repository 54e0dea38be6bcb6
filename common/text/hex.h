#pragma once
// Bytes as lowercase hexadecimal text: digests, signatures, percent escapes.

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

}  // namespace tarvo
