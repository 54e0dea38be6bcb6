#pragma once
// Accounts: id, password and the moment their service time runs out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devserver/store/database.h"

namespace tarvo::devserver {

struct Account {
  std::string id;  // UTF-8
  std::int64_t expiresMs = 0;
  std::int64_t createdMs = 0;
};

class AccountStore {
 public:
  explicit AccountStore(Database& db) : db_(db) {}

  // Creates the account, or replaces its password and expiry. True when created.
  bool Put(std::string_view id, std::string_view password, std::int64_t expiresMs, std::int64_t nowMs);
  // False when there is no such account.
  bool SetPassword(std::string_view id, std::string_view password);
  bool SetExpiry(std::string_view id, std::int64_t expiresMs);
  bool Remove(std::string_view id);
  void Clear();

  std::optional<Account> Find(std::string_view id) const;
  std::vector<Account> List() const;
  // The account, when it exists and `password` is its password.
  std::optional<Account> Authenticate(std::string_view id, std::string_view password) const;

 private:
  Database& db_;
};

// Why an id cannot be an account id, or nothing when it can: ids travel in
// the client's CP949 requests and in comma-separated replies.
std::optional<std::string> InvalidIdReason(std::string_view id);
std::optional<std::string> InvalidPasswordReason(std::string_view password);

}  // namespace tarvo::devserver
