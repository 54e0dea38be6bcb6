#include "client/update/installer_signature.h"

#include "common/text/hex.h"
#include "publisher_key.h"  // generated from the build's signing key

namespace tarvo {

const EcdsaP256Point& PublisherKey() { return kPublisherKeyPoint; }

std::optional<EcdsaP256Signature> ParseSignatureHex(std::wstring_view text) {
  EcdsaP256Signature signature{};
  if (!ParseHex(text, signature)) return std::nullopt;
  return signature;
}

bool IsSignedBy(const EcdsaP256Point& key, const Sha256Digest& digest, std::wstring_view signatureHex) {
  const auto signature = ParseSignatureHex(signatureHex);
  return signature && VerifyEcdsaP256(key, digest, *signature);
}

}  // namespace tarvo
