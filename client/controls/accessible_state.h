#pragma once
// What a skinned control tells a screen reader, apart from the platform: its
// state bits, its name by the face it shows, and its default action.

#include <cstdint>
#include <string_view>

namespace tarvo {

// The accessibility state bits, with the platform's values (STATE_SYSTEM_*;
// checked against <oleacc.h> where the controls use them).
namespace accessible_state {
inline constexpr std::uint32_t kUnavailable = 0x1;
inline constexpr std::uint32_t kFocused = 0x4;
inline constexpr std::uint32_t kPressed = 0x8;
inline constexpr std::uint32_t kChecked = 0x10;
inline constexpr std::uint32_t kHotTracked = 0x80;
inline constexpr std::uint32_t kFocusable = 0x100000;
inline constexpr std::uint32_t kProtected = 0x20000000;
}  // namespace accessible_state

struct ControlLook {
  bool enabled = true;
  bool focused = false;
  bool hot = false;      // the pointer is over it
  bool pressed = false;  // held down
  bool checkBox = false;
  bool checked = false;  // check boxes only
  bool secret = false;   // a password field: its text is not read out
};

std::uint32_t AccessibleStateBits(const ControlLook& look);

// The name of a control by the face it shows: the normal bitmap of a skinned
// button or the set icon of a check box (an artwork id). Empty for a face
// that has no name.
std::wstring_view AccessibleNameOfFace(unsigned faceId);

// "누르기" for a push button; "선택" or "선택 해제" for a check box.
std::wstring_view AccessibleDefaultAction(const ControlLook& look);

}  // namespace tarvo
