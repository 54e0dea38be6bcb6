#include "devserver/store/session_store.h"

#include "devserver/service/random_text.h"

namespace tarvo::devserver {
namespace {

constexpr std::size_t kCodeLength = 16;
constexpr const char* kSessionColumns =
    "SELECT code, account_id, created_ms, superseded_ms, left_ms FROM sessions";

Session ReadSession(const Statement& s) {
  return Session{s.Text(0), s.Text(1), s.Int(2), s.OptionalInt(3), s.OptionalInt(4)};
}

}  // namespace

std::string SessionStore::Open(std::string_view accountId, std::int64_t nowMs) {
  const std::string code = RandomAlphanumeric(kCodeLength);
  auto lock = db_.Lock();
  db_.Exec("BEGIN");
  try {
    db_.Prepare("UPDATE sessions SET superseded_ms = ? WHERE account_id = ? AND superseded_ms IS NULL")
        .Bind(1, nowMs)
        .Bind(2, accountId)
        .Run();
    db_.Prepare("INSERT INTO sessions (code, account_id, created_ms) VALUES (?, ?, ?)")
        .Bind(1, code)
        .Bind(2, accountId)
        .Bind(3, nowMs)
        .Run();
    db_.Exec("COMMIT");
  } catch (...) {
    db_.Exec("ROLLBACK");
    throw;
  }
  return code;
}

int SessionStore::SupersedeAll(std::string_view accountId, std::int64_t nowMs) {
  auto lock = db_.Lock();
  db_.Prepare("UPDATE sessions SET superseded_ms = ? WHERE account_id = ? AND superseded_ms IS NULL")
      .Bind(1, nowMs)
      .Bind(2, accountId)
      .Run();
  return db_.Changes();
}

std::optional<Session> SessionStore::Find(std::string_view code) const {
  auto lock = db_.Lock();
  auto s = db_.Prepare(std::string(kSessionColumns) + " WHERE code = ?");
  s.Bind(1, code);
  if (!s.Step()) return std::nullopt;
  return ReadSession(s);
}

void SessionStore::RecordLeave(const Session& session, std::string_view kind, std::int64_t nowMs) {
  auto lock = db_.Lock();
  db_.Prepare("INSERT INTO leave_events (code, account_id, kind, at_ms) VALUES (?, ?, ?, ?)")
      .Bind(1, session.code)
      .Bind(2, session.accountId)
      .Bind(3, kind)
      .Bind(4, nowMs)
      .Run();
  db_.Prepare("UPDATE sessions SET left_ms = ? WHERE code = ?").Bind(1, nowMs).Bind(2, session.code).Run();
}

void SessionStore::RecordVpnCredential(const VpnCredential& c) {
  auto lock = db_.Lock();
  db_.Prepare(
         "INSERT INTO vpn_credentials (code, account_id, server, user, password, issued_ms) "
         "VALUES (?, ?, ?, ?, ?, ?)")
      .Bind(1, c.code)
      .Bind(2, c.accountId)
      .Bind(3, c.server)
      .Bind(4, c.user)
      .Bind(5, c.password)
      .Bind(6, c.issuedMs)
      .Run();
}

std::vector<Session> SessionStore::Sessions() const {
  auto lock = db_.Lock();
  auto s = db_.Prepare(std::string(kSessionColumns) + " ORDER BY created_ms, rowid");
  std::vector<Session> out;
  while (s.Step()) out.push_back(ReadSession(s));
  return out;
}

std::vector<LeaveEvent> SessionStore::LeaveEvents() const {
  auto lock = db_.Lock();
  auto s = db_.Prepare("SELECT code, account_id, kind, at_ms FROM leave_events ORDER BY seq");
  std::vector<LeaveEvent> out;
  while (s.Step()) out.push_back({s.Text(0), s.Text(1), s.Text(2), s.Int(3)});
  return out;
}

std::vector<VpnCredential> SessionStore::VpnCredentials() const {
  auto lock = db_.Lock();
  auto s = db_.Prepare(
      "SELECT code, account_id, server, user, password, issued_ms FROM vpn_credentials ORDER BY seq");
  std::vector<VpnCredential> out;
  while (s.Step()) out.push_back({s.Text(0), s.Text(1), s.Text(2), s.Text(3), s.Text(4), s.Int(5)});
  return out;
}

void SessionStore::Clear() {
  auto lock = db_.Lock();
  db_.Exec("DELETE FROM sessions; DELETE FROM leave_events; DELETE FROM vpn_credentials;");
}

}  // namespace tarvo::devserver
