#pragma once
// Session codes handed out by the confirmation request, the leave events the
// clients report, and the VPN credentials issued per session.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devserver/store/database.h"

namespace tarvo::devserver {

struct Session {
  std::string code;
  std::string accountId;
  std::int64_t createdMs = 0;
  std::optional<std::int64_t> supersededMs;  // a later sign-in of the same id took over
  std::optional<std::int64_t> leftMs;        // the last leave event
};

struct LeaveEvent {
  std::string code;
  std::string accountId;
  std::string kind;  // "leave" or "leave-notice"
  std::int64_t atMs = 0;
};

struct VpnCredential {
  std::string code;
  std::string accountId;
  std::string server;
  std::string user;
  std::string password;
  std::int64_t issuedMs = 0;
};

class SessionStore {
 public:
  explicit SessionStore(Database& db) : db_(db) {}

  // A new session for the account; its earlier sessions become superseded.
  std::string Open(std::string_view accountId, std::int64_t nowMs);
  // Supersedes every live session of the account; gives how many there were.
  int SupersedeAll(std::string_view accountId, std::int64_t nowMs);
  std::optional<Session> Find(std::string_view code) const;
  void RecordLeave(const Session& session, std::string_view kind, std::int64_t nowMs);
  void RecordVpnCredential(const VpnCredential& credential);

  std::vector<Session> Sessions() const;
  std::vector<LeaveEvent> LeaveEvents() const;
  std::vector<VpnCredential> VpnCredentials() const;
  void Clear();

 private:
  Database& db_;
};

}  // namespace tarvo::devserver
