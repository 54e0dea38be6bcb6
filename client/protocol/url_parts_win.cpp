#include "client/protocol/url_parts_win.h"

namespace tarvo {

std::optional<UrlParts> SplitUrl(const std::wstring& url) {
  wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH + 1;
  if (url.empty()) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return std::nullopt;
  }
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
  return UrlParts{parts.nScheme, host, parts.nPort};
}

}  // namespace tarvo
