#include "devserver/service/digest.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <span>

#include "common/text/hex.h"

namespace tarvo::devserver {

std::string Sha256Hex(std::string_view bytes) {
  unsigned char md[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), md);
  return HexText(std::span<const std::uint8_t>(md, sizeof md));
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
