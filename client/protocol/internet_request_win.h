#pragma once
// The opening of one GET over WinINet, shared by the protocol's exchange and
// the installer download: the session, connection and request handles kept
// in `handles` (innermost last), the exchange time-outs set on the request,
// its headers added and the request sent, each WinINet call made only while
// the exchange is not cancelled (see InternetHandles).

#include <windows.h>
#include <wininet.h>

#include <string_view>

#include "client/protocol/http_transport.h"
#include "client/protocol/internet_handles_win.h"
#include "client/protocol/url_parts_win.h"

namespace tarvo {

struct GetRequest {
  const wchar_t* agent;
  DWORD accessType;           // INTERNET_OPEN_TYPE_*
  DWORD flags;                // for the request; INTERNET_FLAG_SECURE is added for https
  std::wstring_view headers;  // added to the request; none when empty
};

// The sent request, or nullptr with `error` set: the failed call's error, or
// ERROR_INTERNET_OPERATION_CANCELLED once cancelled.
HINTERNET SendGetRequest(InternetHandles& handles, const UrlParts& parts, const GetRequest& how,
                         RequestStatus& error);

}  // namespace tarvo
