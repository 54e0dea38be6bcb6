#include "common/liveness/liveness_tokens.h"

#include <cstring>

namespace tarvo {

std::string_view RegionText(const char* region, std::size_t size) {
  if (region == nullptr) return {};
  const void* nul = std::memchr(region, '\0', size);
  const std::size_t len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - region) : size;
  return std::string_view(region, len);
}

bool RegionHoldsToken(const char* region, std::size_t size, std::string_view token) {
  return RegionText(region, size) == token;
}

}  // namespace tarvo
