#include <windows.h>
#include <bcrypt.h>

#include <cstring>

#include "client/update/installer_signature.h"

namespace tarvo {
namespace {

class Algorithm {
 public:
  Algorithm() {
    if (BCryptOpenAlgorithmProvider(&handle_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Key {
 public:
  Key(BCRYPT_ALG_HANDLE algorithm, const EcdsaP256Point& point) {
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, point.data(), point.size());
    if (BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle_, blob, sizeof blob, 0) != 0)
      handle_ = nullptr;
  }
  ~Key() {
    if (handle_) BCryptDestroyKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  BCRYPT_KEY_HANDLE get() const { return handle_; }

 private:
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

}  // namespace

bool VerifyEcdsaP256(const EcdsaP256Point& point, const Sha256Digest& digest, const EcdsaP256Signature& signature) {
  const Algorithm algorithm;
  if (!algorithm.get()) return false;
  const Key key(algorithm.get(), point);
  if (!key.get()) return false;
  // CNG takes the hash and r||s as they are; the buffers are only read.
  return BCryptVerifySignature(key.get(), nullptr, const_cast<PUCHAR>(digest.data()),
                               static_cast<ULONG>(digest.size()), const_cast<PUCHAR>(signature.data()),
                               static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace tarvo
