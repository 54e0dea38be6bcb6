#include "client/protocol/http_reply_win.h"

#include <string_view>

#include "client/protocol/http_transport.h"

namespace tarvo {

bool IsSuccessStatus(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
         status >= 200 && status <= 299;
}

ContentLength ReadContentLength(HINTERNET request) {
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return {};
  return {true, ParseContentLength(std::wstring_view(text, size / sizeof(wchar_t)))};
}

}  // namespace tarvo
