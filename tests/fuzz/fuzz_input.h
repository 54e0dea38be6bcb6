#pragma once
// Fuzz input as the client sees server replies and files: bytes in the ANSI
// code page, read into wide text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/system/ansi_codepage.h"

namespace tarvo::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline std::wstring Text(const std::uint8_t* data, std::size_t size) { return FromAnsi(Bytes(data, size)); }

// Stops the run with a message libFuzzer shows when a property fails.
#define TARVO_FUZZ_CHECK(condition) \
  do {                               \
    if (!(condition)) __builtin_trap(); \
  } while (false)

}  // namespace tarvo::fuzz
