#include "client/protocol/internet_request_win.h"

#include <string>

#include "client/protocol/internet_timeouts_win.h"
#include "client/system/ansi_codepage.h"

namespace tarvo {
namespace {

enum Slot { kSession = 0, kConnection = 1, kRequest = 2 };
constexpr RequestStatus kCancelled = ERROR_INTERNET_OPERATION_CANCELLED;

RequestStatus LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR;
}

// `open()` made while not cancelled, and its handle kept in `slot`.
template <class Open>
HINTERNET Opened(InternetHandles& handles, int slot, RequestStatus& error, Open open) {
  HINTERNET handle = nullptr;
  {
    InternetHandles::Call call(handles);
    if (!call) {
      error = kCancelled;
      return nullptr;
    }
    handle = open();
    if (handle == nullptr) {
      error = LastError();
      return nullptr;
    }
  }
  if (handles.Keep(handle, slot) == nullptr) error = kCancelled;  // closed already
  return error == kCancelled ? nullptr : handle;
}

}  // namespace

HINTERNET SendGetRequest(InternetHandles& handles, const UrlParts& parts, const GetRequest& how,
                         RequestStatus& error) {
  error = kRequestOk;
  const HINTERNET session = Opened(handles, kSession, error, [&] {
    return InternetOpenW(how.agent, how.accessType, nullptr, nullptr, 0);
  });
  if (session == nullptr) return nullptr;
  const std::string host = ToAnsi(parts.host);
  const HINTERNET connection = Opened(handles, kConnection, error, [&] {
    return InternetConnectA(session, host.c_str(), parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  });
  if (connection == nullptr) return nullptr;
  const std::string target = ToAnsi(parts.target);
  const DWORD flags = how.flags | (parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
  const HINTERNET request = Opened(handles, kRequest, error, [&] {
    return HttpOpenRequestA(connection, "GET", target.c_str(), "HTTP/1.1", nullptr, nullptr, flags, 0);
  });
  if (request == nullptr) return nullptr;

  InternetHandles::Call call(handles);
  if (!call) {
    error = kCancelled;
    return nullptr;
  }
  SetExchangeTimeouts(request);
  // No security flags are relaxed: the server's certificate is verified.
  if ((!how.headers.empty() &&
       !HttpAddRequestHeadersW(request, how.headers.data(), static_cast<DWORD>(how.headers.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) ||
      !HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
    error = LastError();
    return nullptr;
  }
  return request;
}

}  // namespace tarvo
