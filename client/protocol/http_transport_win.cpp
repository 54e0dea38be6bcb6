#include "client/protocol/http_transport_win.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "client/system/ansi_codepage.h"
#include "client/protocol/http_reply_win.h"
#include "client/protocol/internet_handles_win.h"
#include "client/protocol/internet_request_win.h"
#include "client/protocol/url_parts_win.h"
#include "common/window/sent_messages_win.h"

namespace tarvo {
namespace {

// A redirect is not followed: its 3xx status makes the exchange a failed one.
constexpr DWORD kHttpFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr DWORD kReadChunk = 4096;

RequestStatus LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR;
}

RequestStatus Exchange(std::wstring& reply, const std::wstring& url, std::stop_token stop,
                       std::size_t maxReplyBytes) {
  // Split the URL; only http and https go on.
  const std::optional<UrlParts> parts = SplitUrl(url);
  if (!parts) return LastError();
  if (parts->scheme != INTERNET_SCHEME_HTTP && parts->scheme != INTERNET_SCHEME_HTTPS)
    return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  InternetHandles handles;
  std::stop_callback cancel(stop, [&handles] { handles.Cancel(); });
  constexpr RequestStatus kCancelled = ERROR_INTERNET_OPERATION_CANCELLED;
  RequestStatus error = kRequestOk;
  const HINTERNET request =
      SendGetRequest(handles, *parts, {L"Request", INTERNET_OPEN_TYPE_PRECONFIG, kHttpFlags, kRequestHeaders}, error);
  if (request == nullptr) return error;
  {
    InternetHandles::Call call(handles);
    if (!call) return kCancelled;
    if (!IsSuccessStatus(request)) return ERROR_HTTP_INVALID_SERVER_RESPONSE;
  }

  // Collect every byte first: a multi-byte character may straddle two reads.
  std::string body;
  char buffer[kReadChunk];
  for (;;) {
    DWORD read = 0;
    {
      InternetHandles::Call call(handles);
      if (!call) return kCancelled;
      // A read that fails part-way is a reply cut short, with or without a
      // Content-Length: no reply at all.
      if (!InternetReadFile(request, buffer, kReadChunk, &read)) return LastError();
    }
    if (read == 0) break;
    if (body.size() + read > maxReplyBytes) return ERROR_INSUFFICIENT_BUFFER;
    body.append(buffer, read);
  }
  ContentLength length;
  {
    InternetHandles::Call call(handles);
    if (!call) return kCancelled;
    length = ReadContentLength(request);
  }
  // A reply cut short is no reply: its text could be half a session code.
  // An announced length that is not a number cannot be checked: no reply either.
  if (length.announced && (!length.value || body.size() != *length.value))
    return ERROR_INTERNET_CONNECTION_ABORTED;
  reply += FromAnsi(body);
  return kRequestOk;
}

RequestStatus GuardedExchange(std::wstring& reply, const std::wstring& url, std::stop_token stop,
                              std::size_t maxReplyBytes) {
  try {
    return Exchange(reply, url, stop, maxReplyBytes);
  } catch (const std::bad_alloc&) {
    // Out of memory: a failed exchange like any other; the reply stays empty
    // so that no caller mistakes an error text for the server's answer.
    return kRequestInternalError;
  }
}

// An exchange that a stop request or its deadline can abandon. Cancelling
// ends a blocked WinINet call on Windows, but not everywhere, so the exchange
// runs on a thread of its own that owns everything it touches; the caller
// returns at once on a stop or at the deadline, and the thread makes no
// further call and finishes by itself within the time-outs. Its end, a stop
// and the deadline all end the caller's wait on one event; the window's
// thread answers what other threads and programs send it meanwhile (the end
// of the Windows session must get its answer at once).
struct PendingExchange {
  PendingExchange() : finishedEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (finishedEvent == nullptr) throw std::bad_alloc();
  }
  ~PendingExchange() { CloseHandle(finishedEvent); }
  PendingExchange(const PendingExchange&) = delete;
  PendingExchange& operator=(const PendingExchange&) = delete;

  std::mutex mutex;
  HANDLE finishedEvent;
  bool done = false;
  RequestStatus status = kRequestOk;
  std::wstring reply;
  std::stop_source cancel;
};

// Waits until the exchange is done, `stop` is requested or the deadline has
// passed; true when it is done.
bool AwaitExchange(PendingExchange& pending, std::stop_token stop, std::chrono::steady_clock::time_point deadline) {
  std::stop_callback wake(stop, [&pending] { SetEvent(pending.finishedEvent); });
  const auto left = std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                deadline - std::chrono::steady_clock::now()));
  if (IsWindowThread())
    WaitAnsweringSentMessages(pending.finishedEvent, left);
  else
    WaitForSingleObject(pending.finishedEvent, static_cast<DWORD>(left.count()));
  std::lock_guard lock(pending.mutex);
  return pending.done;
}

RequestStatus BoundedExchange(std::wstring& reply, const std::wstring& url, std::stop_token stop,
                              const ExchangeLimits& limits) {
  const auto deadline = std::chrono::steady_clock::now() + limits.deadline;
  auto pending = std::make_shared<PendingExchange>();
  std::thread([pending, url, maxReplyBytes = limits.maxReplyBytes] {
    std::wstring text;
    const RequestStatus status = GuardedExchange(text, url, pending->cancel.get_token(), maxReplyBytes);
    std::lock_guard lock(pending->mutex);
    pending->status = status;
    pending->reply = std::move(text);
    pending->done = true;
    SetEvent(pending->finishedEvent);
  }).detach();

  std::stop_callback forward(stop, [pending] { pending->cancel.request_stop(); });
  if (!AwaitExchange(*pending, stop, deadline)) {
    // It makes no further call and ends on its own. Not under the
    // exchange's lock, which the exchange thread takes to finish.
    pending->cancel.request_stop();
    return stop.stop_requested() ? ERROR_INTERNET_OPERATION_CANCELLED : ERROR_INTERNET_TIMEOUT;
  }
  std::lock_guard lock(pending->mutex);
  if (pending->status == kRequestOk) reply += pending->reply;
  return pending->status;
}

}  // namespace

RequestStatus SendServerRequest(std::wstring& reply, const std::wstring& url, std::stop_token stop,
                                const ExchangeLimits& limits) {
  if (stop.stop_requested()) return ERROR_INTERNET_OPERATION_CANCELLED;
  try {
    return BoundedExchange(reply, url, stop, limits);
  } catch (const std::exception&) {  // no memory or no thread for it
    return kRequestInternalError;
  }
}

}  // namespace tarvo
