#include "client/base/app_settings.h"

#include "client/base/test_hooks.h"

#ifndef TARVO_SERVER_BASE_URL
#error "TARVO_SERVER_BASE_URL must be defined by the build"
#endif

#define TARVO_WIDEN2(x) L##x
#define TARVO_WIDEN(x) TARVO_WIDEN2(x)

namespace tarvo {

const std::wstring& ServerBaseUrl() {
  static const std::wstring url =
      ServerBaseUrlOverride().value_or(std::wstring(TARVO_WIDEN(TARVO_SERVER_BASE_URL)));
  return url;
}

}  // namespace tarvo
