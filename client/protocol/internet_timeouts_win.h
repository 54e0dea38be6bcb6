#pragma once
// The time-outs of every WinINet exchange of the client: Windows' own
// defaults, set explicitly, since Wine has none and would wait for a silent
// server for ever. Set on a handle, they hold for the handles opened from it.

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace tarvo {

inline constexpr DWORD kConnectTimeoutMs = 60000;
inline constexpr DWORD kSendTimeoutMs = 30000;
inline constexpr DWORD kReceiveTimeoutMs = 30000;

inline void SetExchangeTimeouts(HINTERNET handle) {
  for (const auto& [option, value] : {std::pair{INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs},
                                      std::pair{INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs},
                                      std::pair{INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs}}) {
    DWORD ms = value;
    InternetSetOptionW(handle, option, &ms, sizeof ms);
  }
}

}  // namespace tarvo
