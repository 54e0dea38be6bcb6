#include "client/update/sha256.h"

#include "client/update/cng_win.h"

namespace tarvo {

struct Sha256::Context {
  const Cng* cng = LoadedCng();
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = false;

  Context() {
    if (cng && cng->BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
      algorithm = nullptr;
    Start();
  }
  ~Context() {
    if (hash) cng->BCryptDestroyHash(hash);
    if (algorithm) cng->BCryptCloseAlgorithmProvider(algorithm, 0);
  }
  // A new hash object: CNG's is used up by BCryptFinishHash.
  void Start() {
    if (hash) cng->BCryptDestroyHash(hash);
    hash = nullptr;
    ok = algorithm && cng->BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size) {
  // CNG takes at most 4 GiB at a time and only reads the buffer.
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  while (context_->ok && size > 0) {
    const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
    context_->ok = context_->cng->BCryptHashData(context_->hash, bytes, piece, 0) == 0;
    bytes += piece;
    size -= piece;
  }
}

std::optional<Sha256Digest> Sha256::Finish() {
  Sha256Digest digest{};
  const bool ok =
      context_->ok && context_->cng->BCryptFinishHash(context_->hash, digest.data(), digest.size(), 0) == 0;
  context_->Start();
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace tarvo
