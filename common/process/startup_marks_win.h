#pragma once
// Start-up marks for the start-up benchmark: lines "<stage> <microseconds
// since the Unix epoch>" appended to a file, the first one of a process
// preceded by the process's creation time ("process-created <µs>"). Used by
// the builds with test hooks and by the benchmark's bare dialog program only.

#include <string>

namespace tarvo {

void AppendStartupMark(const std::wstring& file, const char* stage);

}  // namespace tarvo
