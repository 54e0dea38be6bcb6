#include "devserver/admin/admin_json.h"

#include "devserver/service/digest.h"
#include "devserver/service/text_codec.h"
#include "devserver/service/time_format.h"

namespace tarvo::devserver {
namespace {

Json OptionalTime(const std::optional<std::int64_t>& ms) { return ms ? Json(IsoUtc(*ms)) : Json(); }

}  // namespace

Json AccountJson(const Account& a, std::int64_t nowMs) {
  return Json()
      .Set("id", a.id)
      .Set("minutes_left", MinutesLeft(a.expiresMs, nowMs))
      .Set("expires_at", IsoUtc(a.expiresMs))
      .Set("created_at", IsoUtc(a.createdMs));
}

Json ConfigJson(const SettingsSnapshot& s) {
  return Json()
      .Set("version", s.version)
      .Set("installer_path", s.installerPath)
      .Set("installer_file", s.installer ? Json(s.installer->file) : Json())
      .Set("installer_size",
           s.installer ? Json(static_cast<std::int64_t>(s.installer->bytes.size())) : Json())
      .Set("installer_sha256", s.installer ? Json(s.installer->sha256) : Json())
      .Set("installer_signature",
           s.installer && !s.installer->signature.empty() ? Json(s.installer->signature) : Json())
      .Set("maintenance", s.maintenance)
      .Set("vpn_server", s.vpnServer);
}

Json VpnCredentialJson(const VpnCredential& c) {
  return Json()
      .Set("code", c.code)
      .Set("id", c.accountId)
      .Set("server", c.server)
      .Set("user", c.user)
      .Set("password", c.password)
      .Set("issued_at", IsoUtc(c.issuedMs));
}

Json FaultJson(const FaultRule& f) {
  Json j = Json().Set("id", f.id).Set("match", f.match).Set("mode", std::string(NameOf(f.mode)));
  if (f.mode == FaultMode::kDelay || f.mode == FaultMode::kDrip) j.Set("ms", f.ms);
  if (f.mode == FaultMode::kOversize) j.Set("bytes", f.bytes);
  if (f.mode == FaultMode::kReply || f.mode == FaultMode::kRedirect) j.Set("text", f.text);
  if (f.mode == FaultMode::kHang) j.Set("seconds", f.seconds);
  return j.Set("remaining", f.remaining ? Json(*f.remaining) : Json());
}

Json LoggedRequestJson(const LoggedRequest& r) {
  // The head is the request line and the header lines, each ended by CR LF.
  std::string_view head = r.head;
  std::string requestLine;
  Json headers = Json::Array{};
  for (bool first = true; !head.empty(); first = false) {
    const auto eol = head.find("\r\n");
    const std::string_view line = head.substr(0, eol);
    if (first)
      requestLine = BytesAsLatin1Utf8(line);
    else if (!line.empty())
      headers.Push(BytesAsLatin1Utf8(line));
    if (eol == std::string_view::npos) break;
    head.remove_prefix(eol + 2);
  }
  return Json()
      .Set("seq", r.seq)
      .Set("time", IsoUtc(r.atMs))
      .Set("remote", r.remote)
      .Set("name", r.name)
      .Set("fault", r.fault.empty() ? Json() : Json(r.fault))
      .Set("status", r.status ? Json(r.status) : Json())
      .Set("request_line", requestLine)
      .Set("headers", headers)
      .Set("raw_base64", Base64(r.head));
}

Json StateJson(ServiceState& state) {
  const std::int64_t now = state.Now();
  Json sessions = Json::Array{};
  for (const Session& s : state.sessions.Sessions()) {
    const auto account = state.accounts.Find(s.accountId);
    sessions.Push(Json()
                      .Set("code", s.code)
                      .Set("id", s.accountId)
                      .Set("created_at", IsoUtc(s.createdMs))
                      .Set("superseded_at", OptionalTime(s.supersededMs))
                      .Set("left_at", OptionalTime(s.leftMs))
                      .Set("minutes_left", account ? MinutesLeft(account->expiresMs, now) : 0));
  }
  Json leaves = Json::Array{};
  for (const LeaveEvent& e : state.sessions.LeaveEvents())
    leaves.Push(
        Json().Set("code", e.code).Set("id", e.accountId).Set("kind", e.kind).Set("at", IsoUtc(e.atMs)));
  const SettingsSnapshot settings = state.settings.Get();
  return Json()
      .Set("sessions", sessions)
      .Set("leave_events", leaves)
      .Set("maintenance", settings.maintenance)
      .Set("version", settings.version);
}

}  // namespace tarvo::devserver
