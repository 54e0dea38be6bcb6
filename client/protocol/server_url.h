#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// The server base URL immediately followed by `path` (every path starts with "/").
std::wstring MakeServerUrl(std::wstring_view path = {});

}  // namespace tarvo
