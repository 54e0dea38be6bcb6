#pragma once
// Account passwords are kept only as salted PBKDF2-HMAC-SHA256 digests, so a
// copied database file does not give the passwords away.

#include <string>
#include <string_view>

namespace tarvo::devserver {

struct PasswordHash {
  std::string salt;    // hex
  std::string digest;  // hex
};

PasswordHash HashPassword(std::string_view password);
// Compares in constant time.
bool VerifyPassword(std::string_view password, const PasswordHash& stored);

}  // namespace tarvo::devserver
