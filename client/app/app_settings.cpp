#include "client/app/app_settings.h"

#include <cstdlib>

#ifndef TARVO_SERVER_BASE_URL
#error "TARVO_SERVER_BASE_URL must be defined by the build"
#endif

#define TARVO_WIDEN2(x) L##x
#define TARVO_WIDEN(x) TARVO_WIDEN2(x)

namespace tarvo {

const std::wstring& ServerBaseUrl() {
  static const std::wstring url = [] {
#ifdef TARVO_TESTING
    if (const char* env = std::getenv("TARVO_SERVER_BASE_URL"); env && *env) {
      std::wstring fromEnv;
      for (const char* p = env; *p; ++p) fromEnv += static_cast<wchar_t>(static_cast<unsigned char>(*p));
      while (!fromEnv.empty() && fromEnv.back() == L'/') fromEnv.pop_back();
      return fromEnv;
    }
#endif
    return std::wstring(TARVO_WIDEN(TARVO_SERVER_BASE_URL));
  }();
  return url;
}

}  // namespace tarvo
