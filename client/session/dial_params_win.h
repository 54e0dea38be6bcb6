#pragma once

#include <windows.h>
#include <ras.h>

#include <string_view>

#include "client/session/dial_params.h"

namespace tarvo {

// dwSize for a layout: 2096/2104/2108 on 32-bit Windows, 2096/2108/2112 on 64-bit.
DWORD DialParamsSize(DialParamsLayout layout);

// Zeroes `params` and fills the entry "Tarvo" with the server, user and
// password. False when a value does not fit its field.
bool FillDialParams(RASDIALPARAMSW& params, DialParamsLayout layout, std::wstring_view server,
                    std::wstring_view user, std::wstring_view password);

}  // namespace tarvo
