#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "client/update/installer_signature.h"

namespace tarvo {
namespace {

template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};
template <typename T, auto Free>
using Owned = std::unique_ptr<T, Deleter<Free>>;

// The public key from its uncompressed point (0x04, X, Y).
Owned<EVP_PKEY, EVP_PKEY_free> ImportKey(const EcdsaP256Point& point) {
  unsigned char encoded[1 + 64];
  encoded[0] = 0x04;
  std::copy(point.begin(), point.end(), encoded + 1);
  Owned<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free> build(OSSL_PARAM_BLD_new());
  if (!build ||
      !OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, SN_X9_62_prime256v1, 0) ||
      !OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, encoded, sizeof encoded))
    return nullptr;
  Owned<OSSL_PARAM, OSSL_PARAM_free> params(OSSL_PARAM_BLD_to_param(build.get()));
  Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
      EVP_PKEY_fromdata(ctx.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
    return nullptr;
  return Owned<EVP_PKEY, EVP_PKEY_free>(key);
}

// OpenSSL verifies the DER form of (r, s).
std::vector<unsigned char> DerSignature(const EcdsaP256Signature& signature) {
  Owned<ECDSA_SIG, ECDSA_SIG_free> sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return {};
  }
  unsigned char* der = nullptr;
  const int size = i2d_ECDSA_SIG(sig.get(), &der);
  if (size <= 0) return {};
  std::vector<unsigned char> result(der, der + size);
  OPENSSL_free(der);
  return result;
}

}  // namespace

bool VerifyEcdsaP256(const EcdsaP256Point& point, const Sha256Digest& digest, const EcdsaP256Signature& signature) {
  const auto key = ImportKey(point);
  const auto der = DerSignature(signature);
  if (!key || der.empty()) return false;
  Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
  return ctx && EVP_PKEY_verify_init(ctx.get()) == 1 &&
         EVP_PKEY_CTX_set_signature_md(ctx.get(), EVP_sha256()) == 1 &&
         EVP_PKEY_verify(ctx.get(), der.data(), der.size(), digest.data(), digest.size()) == 1;
}

}  // namespace tarvo
