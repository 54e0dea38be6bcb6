#include "client/protocol/url_parts_win.h"

#include "client/protocol/http_transport.h"

namespace tarvo {

std::optional<UrlParts> SplitUrl(const std::wstring& url) {
  wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH + 1;
  // No buffers: the splitter points into `url` and gives the lengths.
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (url.empty()) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return std::nullopt;
  }
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
  const std::wstring_view path =
      parts.lpszUrlPath != nullptr ? std::wstring_view(parts.lpszUrlPath, parts.dwUrlPathLength) : std::wstring_view();
  const std::wstring_view extraInfo = parts.lpszExtraInfo != nullptr
                                          ? std::wstring_view(parts.lpszExtraInfo, parts.dwExtraInfoLength)
                                          : std::wstring_view();
  return UrlParts{parts.nScheme, host, parts.nPort, RequestTarget(path, extraInfo)};
}

}  // namespace tarvo
