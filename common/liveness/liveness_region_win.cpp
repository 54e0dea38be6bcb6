#include "common/liveness/liveness_region_win.h"

#include <cstring>

#include "common/liveness/liveness_tokens.h"

namespace tarvo {

HANDLE CreateLivenessRegion(const wchar_t* name, std::string_view token) {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(LivenessRegionSize), name);
  if (mapping == nullptr) return nullptr;
  if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, LivenessRegionSize)) {
    auto* bytes = static_cast<char*>(view);
    const std::size_t len = token.size() < LivenessRegionSize ? token.size() : LivenessRegionSize - 1;
    std::memcpy(bytes, token.data(), len);
    bytes[len] = '\0';
    UnmapViewOfFile(view);
  }
  return mapping;
}

bool CheckLivenessRegion(const wchar_t* name, std::string_view token) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (mapping == nullptr) return false;
  bool passed = false;
  if (const void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, LivenessRegionSize)) {
    passed = RegionHoldsToken(static_cast<const char*>(view), LivenessRegionSize, token);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return passed;
}

}  // namespace tarvo
