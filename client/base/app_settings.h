#pragma once
// Process-wide settings of the client. Constants, fixed before start-up runs.

#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::wstring_view ExeFileName = L"Tarvo.exe";
inline constexpr std::wstring_view AppName = L"Tarvo";
inline constexpr std::wstring_view AppVersion = L"1.0.2.6";
inline constexpr std::wstring_view PhonebookFileName = L"temporarily_file";
inline constexpr std::wstring_view CookieFileName = L"TarvoCookie.txt";
inline constexpr std::wstring_view WatchdogFileName = L"Tarvo_Network.exe";

// Scheme and host of the service's web server, no trailing slash. Compiled in;
// builds with test hooks take TARVO_SERVER_BASE_URL from the environment.
const std::wstring& ServerBaseUrl();

}  // namespace tarvo
