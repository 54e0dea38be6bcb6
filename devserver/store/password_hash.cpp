#include "devserver/store/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <stdexcept>

#include "devserver/service/random_text.h"
#include "common/text/hex.h"

namespace tarvo::devserver {
namespace {

constexpr int kIterations = 10'000;
constexpr int kDigestBytes = 32;


std::string Derive(std::string_view password, std::string_view saltHex) {
  unsigned char out[kDigestBytes];
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                        reinterpret_cast<const unsigned char*>(saltHex.data()),
                        static_cast<int>(saltHex.size()), kIterations, EVP_sha256(), kDigestBytes, out) != 1)
    throw std::runtime_error("password hashing failed");
  return HexText(std::string_view(reinterpret_cast<const char*>(out), kDigestBytes));
}

}  // namespace

PasswordHash HashPassword(std::string_view password) {
  PasswordHash h;
  h.salt = HexText(RandomBytes(16));
  h.digest = Derive(password, h.salt);
  return h;
}

bool VerifyPassword(std::string_view password, const PasswordHash& stored) {
  const std::string digest = Derive(password, stored.salt);
  return digest.size() == stored.digest.size() &&
         CRYPTO_memcmp(digest.data(), stored.digest.data(), digest.size()) == 0;
}

}  // namespace tarvo::devserver
