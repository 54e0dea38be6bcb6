#include "devserver/store/account_store.h"

#include "client/system/ansi_codepage.h"
#include "devserver/store/password_hash.h"
#include "devserver/service/text_codec.h"

namespace tarvo::devserver {
namespace {

Account ReadAccount(const Statement& s) { return Account{s.Text(0), s.Int(1), s.Int(2)}; }

// Shared rules of ids and passwords: UTF-8, no control characters, every
// character representable in CP949 (the client sends CP949 bytes), bounded.
std::optional<std::string> InvalidText(std::string_view what, std::string_view text, std::size_t maxChars) {
  const auto wide = FromUtf8(text);
  if (!wide) return std::string(what) + " is not valid UTF-8";
  if (wide->empty()) return std::string(what) + " is empty";
  if (wide->size() > maxChars)
    return std::string(what) + " is longer than " + std::to_string(maxChars) + " characters";
  for (wchar_t c : *wide)
    if (c < 0x20 || c == 0x7F) return std::string(what) + " contains a control character";
  if (!IsAnsiRepresentable(*wide))
    return std::string(what) + " contains characters outside the CP949 code page";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> InvalidIdReason(std::string_view id) {
  if (auto reason = InvalidText("id", id, 64)) return reason;
  if (id.find(',') != std::string_view::npos) return "id contains a comma";
  return std::nullopt;
}

std::optional<std::string> InvalidPasswordReason(std::string_view password) {
  return InvalidText("password", password, 128);
}

bool AccountStore::Put(std::string_view id, std::string_view password, std::int64_t expiresMs,
                       std::int64_t nowMs) {
  const PasswordHash h = HashPassword(password);
  auto lock = db_.Lock();
  const bool existed = db_.Prepare("SELECT 1 FROM accounts WHERE id = ?").Bind(1, id).Step();
  db_.Prepare(
         "INSERT INTO accounts (id, salt, hash, expires_ms, created_ms) VALUES (?, ?, ?, ?, ?) "
         "ON CONFLICT(id) DO UPDATE SET salt = excluded.salt, hash = excluded.hash, expires_ms = "
         "excluded.expires_ms")
      .Bind(1, id)
      .Bind(2, h.salt)
      .Bind(3, h.digest)
      .Bind(4, expiresMs)
      .Bind(5, nowMs)
      .Run();
  return !existed;
}

bool AccountStore::SetPassword(std::string_view id, std::string_view password) {
  const PasswordHash h = HashPassword(password);
  auto lock = db_.Lock();
  db_.Prepare("UPDATE accounts SET salt = ?, hash = ? WHERE id = ?")
      .Bind(1, h.salt)
      .Bind(2, h.digest)
      .Bind(3, id)
      .Run();
  return db_.Changes() > 0;
}

bool AccountStore::SetExpiry(std::string_view id, std::int64_t expiresMs) {
  auto lock = db_.Lock();
  db_.Prepare("UPDATE accounts SET expires_ms = ? WHERE id = ?").Bind(1, expiresMs).Bind(2, id).Run();
  return db_.Changes() > 0;
}

bool AccountStore::Remove(std::string_view id) {
  auto lock = db_.Lock();
  db_.Prepare("DELETE FROM accounts WHERE id = ?").Bind(1, id).Run();
  return db_.Changes() > 0;
}

void AccountStore::Clear() {
  auto lock = db_.Lock();
  db_.Exec("DELETE FROM accounts");
}

std::optional<Account> AccountStore::Find(std::string_view id) const {
  auto lock = db_.Lock();
  auto s = db_.Prepare("SELECT id, expires_ms, created_ms FROM accounts WHERE id = ?");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadAccount(s);
}

std::vector<Account> AccountStore::List() const {
  auto lock = db_.Lock();
  auto s = db_.Prepare("SELECT id, expires_ms, created_ms FROM accounts ORDER BY created_ms, id");
  std::vector<Account> out;
  while (s.Step()) out.push_back(ReadAccount(s));
  return out;
}

std::optional<Account> AccountStore::Authenticate(std::string_view id, std::string_view password) const {
  PasswordHash stored;
  Account account;
  {
    auto lock = db_.Lock();
    auto s = db_.Prepare("SELECT id, expires_ms, created_ms, salt, hash FROM accounts WHERE id = ?");
    s.Bind(1, id);
    if (!s.Step()) return std::nullopt;
    account = ReadAccount(s);
    stored = {s.Text(3), s.Text(4)};
  }
  // The slow hash runs outside the lock so that sign-ins do not queue behind it.
  if (!VerifyPassword(password, stored)) return std::nullopt;
  return account;
}

}  // namespace tarvo::devserver
