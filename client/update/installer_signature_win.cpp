#include "client/update/installer_signature.h"

#include <cstring>

#include "client/update/cng_win.h"

namespace tarvo {
namespace {

class Algorithm {
 public:
  explicit Algorithm(const Cng& cng) : cng_(cng) {
    if (cng_.BCryptOpenAlgorithmProvider(&handle_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0)
      handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) cng_.BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  const Cng& cng_;
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Key {
 public:
  Key(const Cng& cng, BCRYPT_ALG_HANDLE algorithm, const EcdsaP256Point& point) : cng_(cng) {
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, point.data(), point.size());
    if (cng_.BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle_, blob, sizeof blob, 0) !=
        0)
      handle_ = nullptr;
  }
  ~Key() {
    if (handle_) cng_.BCryptDestroyKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  BCRYPT_KEY_HANDLE get() const { return handle_; }

 private:
  const Cng& cng_;
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

}  // namespace

bool VerifyEcdsaP256(const EcdsaP256Point& point, const Sha256Digest& digest,
                     const EcdsaP256Signature& signature) {
  const Cng* cng = LoadedCng();
  if (cng == nullptr) return false;
  const Algorithm algorithm(*cng);
  if (!algorithm.get()) return false;
  const Key key(*cng, algorithm.get(), point);
  if (!key.get()) return false;
  // CNG takes the hash and r||s as they are; the buffers are only read.
  return cng->BCryptVerifySignature(key.get(), nullptr, const_cast<PUCHAR>(digest.data()),
                                    static_cast<ULONG>(digest.size()), const_cast<PUCHAR>(signature.data()),
                                    static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace tarvo
