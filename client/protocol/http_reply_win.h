#pragma once
// What the head of a WinINet reply says, read the same way by the protocol's
// exchange and by the installer download.

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <optional>

namespace tarvo {

// True for a 2xx status.
bool IsSuccessStatus(HINTERNET request);

struct ContentLength {
  bool announced = false;               // the reply has the header
  std::optional<std::uint32_t> value;   // its value, when it is a 32-bit number (ParseContentLength)
};
ContentLength ReadContentLength(HINTERNET request);

}  // namespace tarvo
