#include "devserver/digest.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

namespace tarvo::devserver {

std::string Sha256Hex(std::string_view bytes) {
  unsigned char md[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), md);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : md) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace tarvo::devserver
