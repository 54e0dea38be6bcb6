#pragma once
// The client's test hooks. Builds with test hooks (TARVO_TESTING, used by the
// end-to-end tests under Wine) define them in test_hooks_win.cpp; the release
// build gets the empty versions below and carries none of their names.

#include <optional>
#include <string>

#ifdef TARVO_TESTING
#include <windows.h>
#endif

namespace tarvo {

#ifdef TARVO_TESTING
// The service's base URL from the environment (TARVO_SERVER_BASE_URL), if set.
std::optional<std::wstring> ServerBaseUrlOverride();
// One UTF-8 line per change of the update window (event, percentage text,
// bar position, status line) to the file that TARVO_UPDATE_TRACE names.
void TraceUpdateWindow(HWND window, const wchar_t* event);
// A start-up stage reached ("main", ..., "first-paint"), for the start-up
// benchmark (common/process/startup_marks_win.h).
void MarkStartup(const char* stage);
#else
inline std::optional<std::wstring> ServerBaseUrlOverride() { return std::nullopt; }
template <typename Window>
inline void TraceUpdateWindow(Window, const wchar_t*) {}
inline void MarkStartup(const char*) {}
#endif

}  // namespace tarvo
