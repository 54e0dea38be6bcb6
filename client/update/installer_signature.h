#pragma once
// The publisher's signature of a downloaded installer: ECDSA over P-256 of
// the file's SHA-256, checked against the public key the client was built
// with. The version reply carries the signature as r then s, 128 hex digits.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "client/update/sha256.h"

namespace tarvo {

using EcdsaP256Point = std::array<std::uint8_t, 64>;      // X then Y, big-endian
using EcdsaP256Signature = std::array<std::uint8_t, 64>;  // r then s, big-endian

// The public key of the installer signing key this client was built with.
const EcdsaP256Point& PublisherKey();

// Exactly 128 hex digits (either case); nothing for anything else.
std::optional<EcdsaP256Signature> ParseSignatureHex(std::wstring_view text);

// The platform's verification: CNG on Windows, OpenSSL elsewhere. False for
// a key that is not a point of the curve, as for a signature that fails.
bool VerifyEcdsaP256(const EcdsaP256Point& key, const Sha256Digest& digest, const EcdsaP256Signature& signature);

// True when `signatureHex` is a well-formed signature of `digest` by `key`.
bool IsSignedBy(const EcdsaP256Point& key, const Sha256Digest& digest, std::wstring_view signatureHex);

}  // namespace tarvo
