#pragma once
// Which layout of the remote-access dial parameters a Windows version takes.

#include <cstddef>
#include <string_view>

namespace tarvo {

enum class DialParamsLayout {
  UpToDomain,     // before Windows 95 OSR2 / NT 4.0 (4.0 and below)
  WithSubEntry,   // adds the sub-entry and callback id (4.1 up to 6.0)
  WithIfIndex,    // adds the interface index (6.1 and later)
};

DialParamsLayout DialParamsLayoutFor(unsigned major, unsigned minor);

// Capacities in characters, terminator included.
inline constexpr std::size_t kEntryNameCapacity = 257;
inline constexpr std::size_t kPhoneNumberCapacity = 129;
inline constexpr std::size_t kUserNameCapacity = 257;
inline constexpr std::size_t kPasswordCapacity = 257;

// A value that does not fit is refused (the dial fails) rather than cut.
inline bool FitsField(std::wstring_view value, std::size_t capacity) { return value.size() < capacity; }

}  // namespace tarvo
