#pragma once
// Named page-file-backed regions that tell the other program "I am alive".

#include <windows.h>

#include <string_view>

namespace tarvo {

// Creates (or opens) the named 1024-byte region and writes `token` with its
// NUL at offset 0. The returned handle is what keeps the region alive: the
// caller keeps it for the life of the process.
HANDLE CreateLivenessRegion(const wchar_t* name, std::string_view token);

// One check: open, map, compare, unmap, close. A missing region fails.
bool CheckLivenessRegion(const wchar_t* name, std::string_view token);

}  // namespace tarvo
