#pragma once

#include <stop_token>
#include <string>

#include "client/protocol/http_transport.h"

namespace tarvo {

// One GET over WinINet: no cookies, no cache, no retries, certificates
// verified. A reply whose HTTP status is not 2xx, one cut short (a read that
// fails, fewer bytes than announced), one over the size cap and one not
// complete by the deadline all count as no answer. The reply bytes are
// collected whole, then converted from the ANSI code page.
RequestStatus SendServerRequest(std::wstring& reply, const std::wstring& url, std::stop_token stop = {},
                                const ExchangeLimits& limits = {});

class WinInetTransport : public HttpTransport {
 public:
  RequestStatus Send(std::wstring& reply, std::wstring_view url, std::stop_token stop) override {
    return SendServerRequest(reply, std::wstring(url), stop);
  }
  RequestStatus SendWithin(std::wstring& reply, std::wstring_view url, std::chrono::milliseconds deadline) override {
    return SendServerRequest(reply, std::wstring(url), {}, ExchangeLimits{deadline});
  }
};

}  // namespace tarvo
