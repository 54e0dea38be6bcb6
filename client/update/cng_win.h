#pragma once
// Windows' cryptography (CNG, bcrypt.dll), loaded the first time the updater
// needs it: start-up never does, and the client does not load it otherwise.

#include <windows.h>
#include <bcrypt.h>

#include "common/process/library_function_win.h"

namespace tarvo {

struct Cng {
  const HMODULE module = LoadLibraryW(L"bcrypt.dll");
#define TARVO_CNG_FUNCTION(name) \
  const decltype(&::name) name = LibraryFunction<decltype(&::name)>(module, #name)
  TARVO_CNG_FUNCTION(BCryptOpenAlgorithmProvider);
  TARVO_CNG_FUNCTION(BCryptCloseAlgorithmProvider);
  TARVO_CNG_FUNCTION(BCryptCreateHash);
  TARVO_CNG_FUNCTION(BCryptHashData);
  TARVO_CNG_FUNCTION(BCryptFinishHash);
  TARVO_CNG_FUNCTION(BCryptDestroyHash);
  TARVO_CNG_FUNCTION(BCryptImportKeyPair);
  TARVO_CNG_FUNCTION(BCryptDestroyKey);
  TARVO_CNG_FUNCTION(BCryptVerifySignature);
  TARVO_CNG_FUNCTION(BCryptGenRandom);
#undef TARVO_CNG_FUNCTION

  bool loaded() const {
    return BCryptOpenAlgorithmProvider && BCryptCloseAlgorithmProvider && BCryptCreateHash &&
           BCryptHashData && BCryptFinishHash && BCryptDestroyHash && BCryptImportKeyPair &&
           BCryptDestroyKey && BCryptVerifySignature && BCryptGenRandom;
  }
};

// The one instance, loaded on first use; null when bcrypt.dll or one of its
// functions is missing (then nothing is hashed, verified or launched).
inline const Cng* LoadedCng() {
  static const Cng cng;
  return cng.loaded() ? &cng : nullptr;
}

}  // namespace tarvo
