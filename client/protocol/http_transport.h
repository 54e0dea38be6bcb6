#pragma once
// The one HTTP exchange with the service's web server: a GET whose reply is
// handed back as text. Every failure leaves the reply as it was, which for
// every caller means empty: "no answer".

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tarvo {

// Result of an exchange: 0 when it completed, otherwise an error number.
using RequestStatus = std::uint32_t;
inline constexpr RequestStatus kRequestOk = 0;
// An internal failure (out of memory) during the exchange.
inline constexpr RequestStatus kRequestInternalError = 1;

// Every exchange is bounded: past its deadline, or once the reply is larger
// than the cap, it is a failed exchange (the reply stays empty).
struct ExchangeLimits {
  std::chrono::milliseconds deadline{60'000};
  std::size_t maxReplyBytes = std::size_t{1} << 20;
};

// The header block sent with every request.
inline constexpr std::wstring_view kRequestHeaders =
    L"User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; rv:11.0)  like Gecko\r\n"
    L"Content-Type: application/x-www-form-urlencoded\r\n"
    L"\r\n\r\n";

// The request target from a URL's path and extra information (its query), as
// the platform's URL splitter returns them: exactly as written, escapes are
// not touched, "/" when both are empty. Only a backslash is sent as "%5c",
// because WinINet would turn it into "/".
std::wstring RequestTarget(std::wstring_view path, std::wstring_view extraInfo);

// The value of a Content-Length header: decimal digits that fit in 32 bits,
// blanks around them allowed. Nothing for anything else.
std::optional<std::uint32_t> ParseContentLength(std::wstring_view text);

// The port through which the session's workers reach the server; a test
// fake stands in for the real exchange.
class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Appends the reply text to `reply`. A stop request cancels the exchange
  // at once from any thread.
  virtual RequestStatus Send(std::wstring& reply, std::wstring_view url, std::stop_token stop) = 0;
  // The same exchange, given up as failed once `deadline` has passed (where a
  // moment matters more than the answer: the end of the Windows session).
  virtual RequestStatus SendWithin(std::wstring& reply, std::wstring_view url, std::chrono::milliseconds deadline) = 0;
};

}  // namespace tarvo
