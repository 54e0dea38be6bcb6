#pragma once
// A URL split by WinINet into the parts an exchange needs.

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

namespace tarvo {

struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::wstring host;
  INTERNET_PORT port = 0;  // the scheme's default when the URL names none
  std::wstring target;     // path and query as written (see RequestTarget)
};

// Nothing when WinINet cannot split it (GetLastError() then tells why).
std::optional<UrlParts> SplitUrl(const std::wstring& url);

}  // namespace tarvo
