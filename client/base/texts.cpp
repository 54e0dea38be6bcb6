#include "client/base/texts.h"

namespace tarvo::texts {

std::wstring DaysLeftText(int days) { return std::to_wstring(days) + L"일"; }

std::wstring DialErrorText(int error) { return std::to_wstring(error) + L" 오류"; }

}  // namespace tarvo::texts
