#include <openssl/evp.h>

#include "client/update/sha256.h"

namespace tarvo {

struct Sha256::Context {
  EVP_MD_CTX* md = EVP_MD_CTX_new();
  bool ok = md != nullptr && EVP_DigestInit_ex(md, EVP_sha256(), nullptr) == 1;
  ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size) {
  if (context_->ok && size > 0) context_->ok = EVP_DigestUpdate(context_->md, data, size) == 1;
}

std::optional<Sha256Digest> Sha256::Finish() {
  Sha256Digest digest{};
  unsigned int size = 0;
  const bool ok = context_->ok && EVP_DigestFinal_ex(context_->md, digest.data(), &size) == 1 &&
                  size == digest.size();
  context_->ok = EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr) == 1;
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace tarvo
