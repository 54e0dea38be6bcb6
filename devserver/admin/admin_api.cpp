#include "devserver/admin/admin_api.h"

#include <cctype>
#include <optional>
#include <string>
#include <utility>

#include "devserver/admin/admin_json.h"
#include "devserver/http/failure_log.h"
#include "devserver/admin/json.h"
#include "devserver/http/request_target.h"
#include "devserver/service/text_codec.h"
#include "client/system/ansi_codepage.h"

namespace tarvo::devserver {
namespace {

constexpr std::int64_t kMaxMinutes = 100LL * 365 * 1440;  // a hundred years

void Reply(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_content(body.Dump() + "\n", "application/json");
}

void Error(httplib::Response& res, int status, std::string message) {
  Reply(res, status, Json().Set("error", std::move(message)));
}

// The request body as a JSON object; on failure the error reply is already set.
std::optional<Json> Body(const httplib::Request& req, httplib::Response& res) {
  std::string error;
  auto body = Json::Parse(req.body.empty() ? "{}" : req.body, error);
  if (!body) {
    Error(res, 400, "invalid JSON: " + error);
    return std::nullopt;
  }
  if (!body->IsObject()) {
    Error(res, 400, "the body must be a JSON object");
    return std::nullopt;
  }
  return body;
}

// Reads an optional member of the given type; false (with the error reply
// set) when the member is there but of another type.
template <typename T>
bool Member(const Json& body, const char* name, std::optional<T>& out, httplib::Response& res) {
  const Json* v = body.Get(name);
  if (!v) return true;
  const T* typed = nullptr;
  if constexpr (std::is_same_v<T, std::string>) typed = v->AsString();
  if constexpr (std::is_same_v<T, std::int64_t>) typed = v->AsInt();
  if constexpr (std::is_same_v<T, bool>) typed = v->AsBool();
  if (!typed) {
    const char* kind = std::is_same_v<T, std::string> ? "a string"
                       : std::is_same_v<T, bool>      ? "true or false"
                                                      : "an integer";
    Error(res, 400, std::string(name) + " must be " + kind);
    return false;
  }
  out = *typed;
  return true;
}

bool InRange(const char* name, const std::optional<std::int64_t>& v, std::int64_t lo, std::int64_t hi,
             httplib::Response& res) {
  if (!v || (*v >= lo && *v <= hi)) return true;
  Error(res, 400,
        std::string(name) + " must be between " + std::to_string(lo) + " and " + std::to_string(hi));
  return false;
}

// Only this machine's tools may drive the interface, not a web page that a
// local browser shows: the Host header must name this listener by a loopback
// address (a page reached through DNS rebinding names its own host), a body
// must be JSON (a page can send text/plain or a form without asking), and a
// request that carries an Origin comes from a page. The reason, or nothing.
std::optional<std::pair<int, std::string>> RefusedCaller(const httplib::Request& req, int port) {
  if (req.has_header("Origin")) return std::pair{403, std::string("requests from web pages are refused")};
  const std::string host = req.get_header_value("Host");
  const auto endpoint = ParseEndpoint(host);
  if (!endpoint || endpoint->port != port || !IsLoopbackHost(endpoint->host))
    return std::pair{403, "the Host header must be a loopback address with the port " + std::to_string(port)};
  // The body is not read yet here: its announced length tells whether there is one.
  const std::string length = req.get_header_value("Content-Length");
  if (req.has_header("Transfer-Encoding") || (!length.empty() && length.find_first_not_of("0 ") != std::string::npos)) {
    std::string type = req.get_header_value("Content-Type");
    type = type.substr(0, type.find(';'));
    while (!type.empty() && type.back() == ' ') type.pop_back();
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (type != "application/json") return std::pair{415, std::string("a body must be Content-Type: application/json")};
  }
  return std::nullopt;
}

}  // namespace

void AdminApi::Register(CapturingServer& server, const Endpoint& listen) {
  server.SetPreRoutingHandler([&listen](const httplib::Request& req, httplib::Response& res) {
    const auto refused = RefusedCaller(req, listen.port);
    if (!refused) return httplib::Server::HandlerResponse::Unhandled;
    Error(res, refused->first, refused->second);
    return httplib::Server::HandlerResponse::Handled;
  });
  server.Get("/health", [](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200, Json().Set("ok", true));
  });

  server.Get("/accounts", [this](const httplib::Request&, httplib::Response& res) {
    Json list = Json::Array{};
    for (const Account& a : state_.accounts.List()) list.Push(AccountJson(a, state_.Now()));
    Reply(res, 200, list);
  });
  server.Get("/accounts/(.+)", [this](const httplib::Request& req, httplib::Response& res) {
    const auto account = state_.accounts.Find(req.matches[1].str());
    if (!account) return Error(res, 404, "no such account");
    Reply(res, 200, AccountJson(*account, state_.Now()));
  });
  server.Put("/accounts/(.+)",
             [this](const httplib::Request& req, httplib::Response& res) { PutAccount(req, res); });
  server.Delete("/accounts/(.+)", [this](const httplib::Request& req, httplib::Response& res) {
    if (!state_.accounts.Remove(req.matches[1].str())) return Error(res, 404, "no such account");
    Reply(res, 200, Json().Set("deleted", req.matches[1].str()));
  });
  server.Post("/accounts/(.+)/sign-in-elsewhere",
              [this](const httplib::Request& req, httplib::Response& res) {
                const std::string id = req.matches[1].str();
                if (!state_.accounts.Find(id)) return Error(res, 404, "no such account");
                Reply(res, 200, Json().Set("superseded", state_.sessions.SupersedeAll(id, state_.Now())));
              });

  server.Get("/config", [this](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200, ConfigJson(state_.settings.Get()));
  });
  server.Patch("/config",
               [this](const httplib::Request& req, httplib::Response& res) { PatchConfig(req, res); });

  server.Get("/state",
             [this](const httplib::Request&, httplib::Response& res) { Reply(res, 200, StateJson(state_)); });
  server.Get("/vpn-credentials", [this](const httplib::Request&, httplib::Response& res) {
    Json list = Json::Array{};
    for (const VpnCredential& c : state_.sessions.VpnCredentials()) list.Push(VpnCredentialJson(c));
    Reply(res, 200, list);
  });

  // The simulated remote access of the client's test builds asks here whether
  // a dial carries the credentials the last join handed out to that user.
  // Plain text: "0" (connected) or the remote-access error "691". The values
  // come percent-encoded in the client's code page (CP949).
  server.Get("/vpn-dial", [this](const httplib::Request& req, httplib::Response& res) {
    const auto param = [&](const char* name) { return ToUtf8(FromAnsi(req.get_param_value(name))); };
    const std::string server = param("server");
    const std::string user = param("user");
    const std::string password = param("password");
    const VpnCredential* latest = nullptr;
    const auto issued = state_.sessions.VpnCredentials();
    for (const VpnCredential& c : issued)
      if (c.user == user && (latest == nullptr || c.issuedMs >= latest->issuedMs)) latest = &c;
    const bool ok = latest != nullptr && latest->server == server && latest->password == password;
    res.status = 200;
    res.set_content(ok ? "0" : "691", "text/plain");
  });

  server.Get("/faults", [this](const httplib::Request&, httplib::Response& res) {
    Json list = Json::Array{};
    for (const FaultRule& f : state_.faults.List()) list.Push(FaultJson(f));
    Reply(res, 200, list);
  });
  server.Post("/faults", [this](const httplib::Request& req, httplib::Response& res) { AddFault(req, res); });
  server.Delete("/faults", [this](const httplib::Request&, httplib::Response& res) {
    state_.faults.Clear();
    Reply(res, 200, Json().Set("cleared", true));
  });
  server.Delete(R"(/faults/(\d{1,18}))", [this](const httplib::Request& req, httplib::Response& res) {
    if (!state_.faults.Remove(std::stoull(req.matches[1].str()))) return Error(res, 404, "no such fault");
    Reply(res, 200, Json().Set("deleted", static_cast<std::int64_t>(std::stoll(req.matches[1].str()))));
  });

  server.Get("/requests", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.get_param_value("name");
    Json list = Json::Array{};
    for (const LoggedRequest& r : state_.log.List())
      if (name.empty() || r.name == name) list.Push(LoggedRequestJson(r));
    Reply(res, 200, list);
  });
  server.Delete("/requests", [this](const httplib::Request&, httplib::Response& res) {
    state_.log.Clear();
    Reply(res, 200, Json().Set("cleared", true));
  });

  server.Post("/reset", [this](const httplib::Request&, httplib::Response& res) {
    state_.Reset();
    Reply(res, 200, Json().Set("reset", true));
  });

  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty())
      Error(res, res.status, res.status == 404 ? "no such admin endpoint" : "bad request");
  });
  server.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
    LogHandlerFailure(req, DescribeException(ep));  // the reason goes to the log, not to the caller
    Error(res, 500, "internal error");
  });
}

void AdminApi::PutAccount(const httplib::Request& req, httplib::Response& res) {
  const std::string id = req.matches[1].str();
  if (auto reason = InvalidIdReason(id)) return Error(res, 400, *reason);
  const auto body = Body(req, res);
  if (!body) return;
  std::optional<std::string> password;
  std::optional<std::int64_t> minutes;
  if (!Member(*body, "password", password, res) || !Member(*body, "minutes", minutes, res) ||
      !InRange("minutes", minutes, 0, kMaxMinutes, res))
    return;
  if (password)
    if (auto reason = InvalidPasswordReason(*password)) return Error(res, 400, *reason);

  const std::int64_t now = state_.Now();
  const bool exists = state_.accounts.Find(id).has_value();
  if (!exists) {
    if (!password) return Error(res, 400, "a new account needs a password");
    state_.accounts.Put(id, *password, now + minutes.value_or(0) * 60'000, now);
  } else {
    if (password) state_.accounts.SetPassword(id, *password);
    if (minutes) state_.accounts.SetExpiry(id, now + *minutes * 60'000);
  }
  const auto account = state_.accounts.Find(id);
  if (!account) return Error(res, 409, "the account was deleted meanwhile");
  Reply(res, exists ? 200 : 201, AccountJson(*account, state_.Now()));
}

void AdminApi::PatchConfig(const httplib::Request& req, httplib::Response& res) {
  const auto body = Body(req, res);
  if (!body) return;
  std::optional<std::string> version, installerPath, vpnServer, installerFile;
  std::optional<bool> maintenance;
  if (!Member(*body, "version", version, res) || !Member(*body, "installer_path", installerPath, res) ||
      !Member(*body, "vpn_server", vpnServer, res) || !Member(*body, "maintenance", maintenance, res))
    return;
  const Json* file = body->Get("installer_file");
  const bool removeInstaller = file && file->IsNull();
  if (file && !removeInstaller && !Member(*body, "installer_file", installerFile, res)) return;

  std::optional<std::string> reason;
  if (version) reason = InvalidVersionReason(*version);
  if (!reason && installerPath) reason = InvalidInstallerPathReason(*installerPath);
  if (!reason && vpnServer) reason = InvalidVpnServerReason(*vpnServer);
  if (reason) return Error(res, 400, *reason);
  std::shared_ptr<const Installer> installer;
  if (installerFile) {
    std::string error;
    installer = LoadInstallerFrom(state_.installerFolder, *installerFile, error);
    if (!installer) return Error(res, 400, error);
  }

  std::lock_guard lock(configMutex_);
  SettingsSnapshot s = state_.settings.Get();
  if (version) s.version = *version;
  if (installerPath) s.installerPath = *installerPath;
  if (vpnServer) s.vpnServer = *vpnServer;
  if (maintenance) s.maintenance = *maintenance;
  if (installer) s.installer = installer;
  if (removeInstaller) s.installer.reset();
  state_.settings.Set(s);
  Reply(res, 200, ConfigJson(s));
}

void AdminApi::AddFault(const httplib::Request& req, httplib::Response& res) {
  const auto body = Body(req, res);
  if (!body) return;
  std::optional<std::string> match, mode, text;
  std::optional<std::int64_t> ms, seconds, count, bytes;
  if (!Member(*body, "match", match, res) || !Member(*body, "mode", mode, res) || !Member(*body, "text", text, res) ||
      !Member(*body, "ms", ms, res) || !Member(*body, "seconds", seconds, res) ||
      !Member(*body, "count", count, res) || !Member(*body, "bytes", bytes, res))
    return;
  if (!match || !(match->starts_with('/') || IsRequestName(*match)))
    return Error(
        res, 400,
        "match must be a request name (version, sign-in, confirm, join, ping, status, leave, leave-notice, "
        "installer, notice, banner, home, find-id, join-page, account-page, other) or a path starting with "
        "/");
  const auto parsedMode = mode ? ParseFaultMode(*mode) : std::nullopt;
  if (!parsedMode)
    return Error(res, 400,
                 "mode must be hang, drop, delay, status500, garbage, truncate, drip, oversize, chunkcut, reply, "
                 "redirect or overlong");
  if (*parsedMode == FaultMode::kDelay && !ms) return Error(res, 400, "a delay needs ms");
  if (*parsedMode == FaultMode::kReply && !text) return Error(res, 400, "a reply needs text");
  if (*parsedMode == FaultMode::kRedirect && (!text || text->empty()))
    return Error(res, 400, "a redirect needs text (the Location)");
  if (!InRange("ms", ms, 1, 600'000, res) || !InRange("seconds", seconds, 0, 3600, res) ||
      !InRange("count", count, 1, 1'000'000, res) || !InRange("bytes", bytes, 0, 64 << 20, res))
    return;
  FaultRule rule{0,     *match, *parsedMode, ms.value_or(0), seconds.value_or(0), bytes.value_or(0),
                 text.value_or(""), count};
  rule.id = state_.faults.Add(rule);
  Reply(res, 201, FaultJson(rule));
}

}  // namespace tarvo::devserver
