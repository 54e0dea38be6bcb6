#include "client/session/dial_params_win.h"

#include <cstddef>
#include <cstring>

namespace tarvo {

#ifdef _WIN64
static_assert(offsetof(RASDIALPARAMSW, dwSubEntry) == 2096 && offsetof(RASDIALPARAMSW, dwIfIndex) == 2108 &&
              sizeof(RASDIALPARAMSW) == 2112);
#else
static_assert(offsetof(RASDIALPARAMSW, dwSubEntry) == 2096 && offsetof(RASDIALPARAMSW, dwIfIndex) == 2104 &&
              sizeof(RASDIALPARAMSW) == 2108);
#endif

DWORD DialParamsSize(DialParamsLayout layout) {
  switch (layout) {
    case DialParamsLayout::UpToDomain:
      return offsetof(RASDIALPARAMSW, dwSubEntry);
    case DialParamsLayout::WithSubEntry:
      return offsetof(RASDIALPARAMSW, dwIfIndex);
    case DialParamsLayout::WithIfIndex:
    default:
      return sizeof(RASDIALPARAMSW);
  }
}

namespace {

void CopyField(wchar_t* field, std::wstring_view value) {
  std::memcpy(field, value.data(), value.size() * sizeof(wchar_t));
  field[value.size()] = L'\0';
}

}  // namespace

bool FillDialParams(RASDIALPARAMSW& params, DialParamsLayout layout, std::wstring_view server,
                    std::wstring_view user, std::wstring_view password) {
  static_assert(sizeof params.szPhoneNumber / sizeof(wchar_t) == kPhoneNumberCapacity);
  static_assert(sizeof params.szUserName / sizeof(wchar_t) == kUserNameCapacity);
  static_assert(sizeof params.szPassword / sizeof(wchar_t) == kPasswordCapacity);
  static_assert(sizeof params.szEntryName / sizeof(wchar_t) == kEntryNameCapacity);

  std::memset(&params, 0, sizeof params);
  params.dwSize = DialParamsSize(layout);
  if (!FitsField(server, kPhoneNumberCapacity) || !FitsField(user, kUserNameCapacity) ||
      !FitsField(password, kPasswordCapacity))
    return false;
  CopyField(params.szEntryName, L"Tarvo");
  CopyField(params.szPhoneNumber, server);
  CopyField(params.szUserName, user);
  CopyField(params.szPassword, password);
  return true;
}

}  // namespace tarvo
