#include "devserver/dev_server.h"

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "client/system/ansi_codepage.h"
#include "devserver/admin/admin_api.h"
#include "devserver/http/capturing_server.h"
#include "devserver/http/failure_log.h"
#include "devserver/service/protocol_handlers.h"
#include "devserver/service/random_text.h"
#include "devserver/service/service_state.h"
#include "devserver/service/text_codec.h"
#include "devserver/service/web_pages.h"

namespace tarvo::devserver {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr const char* kTextType = "text/plain; charset=euc-kr";
constexpr std::size_t kOversizeBytes = (std::size_t{1} << 20) + 1;  // one byte over what the client reads
constexpr std::int64_t kDripIntervalMs = 1000;
constexpr milliseconds kBeforeResetMs{300};  // the client has the head and the half body by then

// Replies the HTTP library makes itself (unparsable or oversized requests,
// other methods than GET) get a short text instead of an empty body.
void ExplainLibraryError(const httplib::Request& req, httplib::Response& res) {
  if (!res.body.empty()) return;
  if (req.method != "GET" && req.method != "HEAD" && res.status == 404) res.status = 405;
  const char* text = res.status == 405   ? "method not allowed"
                     : res.status == 414 ? "request target too long"
                     : res.status == 404 ? "not found"
                                         : "bad request";
  res.set_content(text, kTextType);
}

// A reply that announces its whole length but breaks off after half of it.
void Truncate(httplib::Response& res) {
  auto body = std::make_shared<std::string>(std::move(res.body));
  res.body.clear();
  const std::string type = res.get_header_value("Content-Type");
  res.headers.erase("Content-Type");
  const std::size_t sent = body->size() / 2;
  res.set_content_provider(std::max<std::size_t>(body->size(), 1), type,
                           [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                             if (offset < sent) sink.write(body->data() + offset, sent - offset);
                             return false;  // the library then closes the connection
                           });
}

// The generic error page: what went wrong stays inside.
void AnswerServerError(httplib::Response& res) {
  res.status = 500;
  res.set_content(ServerErrorPage(), "text/html; charset=utf-8");
}

// The faults that write a reply themselves, byte for byte.
std::string RawReplyHead(const httplib::Response& res, std::string_view framing) {
  std::string head = "HTTP/1.1 " + std::to_string(res.status) + (res.status == 200 ? " OK" : " Error") + "\r\n";
  const std::string type = res.get_header_value("Content-Type");
  if (!type.empty()) head += "Content-Type: " + type + "\r\n";
  head += framing;
  head += "Connection: close\r\n\r\n";
  return head;
}

// The whole body after a head that announces `shortBy` bytes fewer: what a
// client reads past the announced length is more than it was told.
void Overlong(ConnectionStream& stream, const httplib::Response& res, std::size_t shortBy) {
  const std::size_t announced = res.body.size() > shortBy ? res.body.size() - shortBy : 0;
  const std::string reply = RawReplyHead(res, "Content-Length: " + std::to_string(announced) + "\r\n") + res.body;
  stream.write(reply.data(), reply.size());  // all of it, or the client is gone
  stream.Drop();
}

// One byte at a time, `interval` apart, until the reply is out, the client
// is gone or the server stops.
void Drip(ServiceState& state, ConnectionStream& stream, const httplib::Response& res, milliseconds interval) {
  const std::string reply =
      RawReplyHead(res, "Content-Length: " + std::to_string(res.body.size()) + "\r\n") + res.body;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    if (i > 0 && !state.faults.Sleep(interval)) break;
    if (stream.write(&reply[i], 1) != 1) break;
  }
  stream.Drop();  // nothing more from the library: the connection closes
}

// A chunked body in one chunk that announces the whole body and breaks off
// after half of it: the connection is reset a moment later, so that the
// client's read fails rather than ends.
void CutChunkedReply(ServiceState& state, ConnectionStream& stream, const httplib::Response& res) {
  const std::string half = res.body.substr(0, res.body.size() / 2);
  char size[32];
  std::snprintf(size, sizeof size, "%zx\r\n", std::max<std::size_t>(res.body.size(), 1));
  const std::string reply = RawReplyHead(res, "Transfer-Encoding: chunked\r\n") + size + half;
  if (stream.write(reply.data(), reply.size()) > 0) state.faults.Sleep(kBeforeResetMs);
  stream.DropAndReset();
}

}  // namespace

DevServer::DevServer(ServerConfig config) : config_(std::move(config)) {}

DevServer::~DevServer() { Stop(); }

std::string DevServer::url() const {
  return UrlOf(config_.tlsCert.empty() ? "http" : "https", config_.listen);
}
std::string DevServer::adminUrl() const { return UrlOf("http", config_.adminListen); }

bool DevServer::Start(std::string& error) {
  if (!IsLoopbackHost(config_.adminListen.host)) {
    error = "the admin interface listens on loopback only (127.0.0.1, ::1 or localhost), not " +
            config_.adminListen.host;
    return false;
  }
  if (config_.tlsCert.empty() != config_.tlsKey.empty()) {
    error = "HTTPS needs both a certificate and a key";
    return false;
  }
  // A client that resets a TLS connection mid-write must not end the process.
  std::signal(SIGPIPE, SIG_IGN);

  state_ = ServiceState::Create(config_, error);
  if (!state_) return false;
  protocol_ = std::make_unique<ProtocolHandlers>(*state_);
  admin_ = std::make_unique<AdminApi>(*state_);

  service_ = std::make_unique<CapturingServer>(config_.service);
  if (!config_.tlsCert.empty() && !service_->EnableTls(config_.tlsCert, config_.tlsKey, error)) return false;
  service_->SetRequestHook([this](ConnectionStream& stream, httplib::Request& req) {
    // Bodies stay byte-identical whatever the client accepts, so that
    // Content-Length always counts the bytes the client reads.
    req.headers.erase("Accept-Encoding");
    const auto kind = Classify(RequestTarget::Parse(req.target), state_->settings.Get().installerPath);
    stream.logSeq = LogArrival(stream, std::string(NameOf(kind)));
  });
  service_->SetPreRoutingHandler([this](const httplib::Request& req, httplib::Response& res) {
    if (req.method != "GET" && req.method != "HEAD") return httplib::Server::HandlerResponse::Unhandled;
    Handle(req, res);
    return httplib::Server::HandlerResponse::Handled;
  });
  service_->set_error_handler(ExplainLibraryError);
  // A failure inside a handler: the client learns only that it failed; the
  // reason goes to the log.
  service_->set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
    LogHandlerFailure(req, DescribeException(ep));
    res = httplib::Response();
    AnswerServerError(res);
  });
  service_->set_logger([this](const httplib::Request&, const httplib::Response& res) {
    ConnectionStream* stream = CapturingServer::Current();
    if (!stream) return;
    if (!stream->logSeq) {
      // Rejected by the library before the request hook ran. What follows on
      // the connection cannot be trusted to start a request, so it ends here.
      stream->logSeq = LogArrival(*stream, "invalid");
      stream->CloseAfterReply();
    }
    state_->log.SetStatus(stream->logSeq, stream->dropped() ? 0 : res.status);
  });

  adminServer_ = std::make_unique<CapturingServer>(config_.admin);
  admin_->Register(*adminServer_, config_.adminListen);

  if (!service_->Start(config_.listen, error) || !adminServer_->Start(config_.adminListen, error)) {
    Stop();
    return false;
  }
  return true;
}

void DevServer::Stop() {
  if (state_) state_->faults.Shutdown();
  if (service_) service_->Shutdown();
  if (adminServer_) adminServer_->Shutdown();
}

std::uint64_t DevServer::LogArrival(const ConnectionStream& stream, std::string name) {
  LoggedRequest entry;
  entry.atMs = state_->Now();
  entry.remote = stream.remote();
  entry.head = stream.head();
  entry.name = std::move(name);
  return state_->log.Add(std::move(entry));
}

void DevServer::Handle(const httplib::Request& req, httplib::Response& res) {
  const RequestTarget target = RequestTarget::Parse(req.target);
  const RequestKind kind = Classify(target, state_->settings.Get().installerPath);
  ConnectionStream* stream = CapturingServer::Current();
  if (const auto fault = state_->faults.Take(NameOf(kind), target.path)) {
    if (stream) state_->log.SetFault(stream->logSeq, std::string(NameOf(fault->mode)));
    switch (fault->mode) {
      case FaultMode::kHang:
        state_->faults.WaitWhileHeld(fault->id, seconds(fault->seconds));
        break;  // then the normal reply
      case FaultMode::kDelay:
        state_->faults.Sleep(milliseconds(fault->ms));
        break;
      case FaultMode::kDrop:
        if (stream) stream->Drop();
        return;
      case FaultMode::kStatus500:
        return AnswerServerError(res);
      case FaultMode::kGarbage:
        res.status = 200;
        res.set_content(RandomBytes(64 + static_cast<unsigned char>(RandomBytes(1)[0])), kTextType);
        return;
      case FaultMode::kTruncate:
        protocol_->Respond(target, kind, res, ProtocolHandlers::Body::Copied);
        return Truncate(res);
      case FaultMode::kOversize:
        res.status = 200;
        res.set_content(std::string(fault->bytes > 0 ? static_cast<std::size_t>(fault->bytes) : kOversizeBytes, 'x'),
                        kTextType);
        return;
      case FaultMode::kReply:
        res.status = 200;
        res.set_content(ToAnsi(FromUtf8(fault->text).value_or(L"")), kTextType);
        return;
      case FaultMode::kRedirect:
        res.set_redirect(fault->text, 302);
        return;
      case FaultMode::kDrip:
      case FaultMode::kChunkCut:
      case FaultMode::kOverlong:
        protocol_->Respond(target, kind, res, ProtocolHandlers::Body::Copied);
        if (!stream) return;
        if (fault->mode == FaultMode::kDrip)
          Drip(*state_, *stream, res, milliseconds(fault->ms > 0 ? fault->ms : kDripIntervalMs));
        else if (fault->mode == FaultMode::kOverlong)
          Overlong(*stream, res, fault->bytes > 0 ? static_cast<std::size_t>(fault->bytes) : 1);
        else
          CutChunkedReply(*state_, *stream, res);
        return;
    }
  }
  protocol_->Respond(target, kind, res);
}

}  // namespace tarvo::devserver
