#include "client/protocol/server_url.h"

#include "client/base/app_settings.h"

namespace tarvo {

std::wstring MakeServerUrl(std::wstring_view path) {
  std::wstring url = ServerBaseUrl();
  url += path;
  return url;
}

}  // namespace tarvo
