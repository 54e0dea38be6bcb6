#pragma once
// A control's own accessible object: the system's object for the control
// (location, parent, navigation, keyboard), with what the control says of
// itself in place of the system's guesses. Answers WM_GETOBJECT.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

struct AccessibleDescription {
  std::wstring name;
  std::optional<long> role;            // none: the system's
  std::optional<std::uint32_t> state;  // none: the system's
  std::wstring defaultAction;          // empty: the system's, and its action
};

// Describes `control` now; false when it can say nothing (it is going away).
// Called on the control's thread, at each question of the screen reader.
using DescribeControl = bool (*)(HWND control, AccessibleDescription& description);

// The answer to WM_GETOBJECT for the control's client object; 0 for any other
// object, or when the control cannot describe itself (the caller then passes
// the message on).
LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, DescribeControl describe);

// Names a standard control (an edit whose caption is painted in the window's
// background) for screen readers; everything else stays the system's. The
// control keeps its own copy of the name.
bool SetAccessibleName(HWND control, std::wstring_view name);

// Whether the user could use `control` now: it is enabled, and so is its
// top-level window (a modal window over it disables that one). A screen
// reader is told the same, and can press nothing more.
bool CanBeUsed(HWND control);

}  // namespace tarvo
