#include "client/update/installer_signature.h"

#include "publisher_key.h"  // generated from the build's signing key

namespace tarvo {
namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

const EcdsaP256Point& PublisherKey() { return kPublisherKeyPoint; }

std::optional<EcdsaP256Signature> ParseSignatureHex(std::wstring_view text) {
  EcdsaP256Signature signature{};
  if (text.size() != signature.size() * 2) return std::nullopt;
  for (std::size_t i = 0; i < signature.size(); ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    signature[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return signature;
}

bool IsSignedBy(const EcdsaP256Point& key, const Sha256Digest& digest, std::wstring_view signatureHex) {
  const auto signature = ParseSignatureHex(signatureHex);
  return signature && VerifyEcdsaP256(key, digest, *signature);
}

}  // namespace tarvo
