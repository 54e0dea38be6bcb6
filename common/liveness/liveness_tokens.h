#pragma once
// Names and tokens of the two liveness regions. Each program owns one region
// for its whole life; the other program looks for the token in it.

#include <cstddef>
#include <string_view>

namespace tarvo {

inline constexpr std::size_t LivenessRegionSize = 1024;

inline constexpr const wchar_t* ClientRegionName = L"Tarvo_Share_memory2";
inline constexpr std::string_view ClientToken = "tarvo_ok";

inline constexpr const wchar_t* WatchdogRegionName = L"Tarvo_Share_memory";
inline constexpr std::string_view WatchdogToken = "tarvo_network_ok";

// Milliseconds between two checks of the other program's region.
inline constexpr int LivenessCheckPeriodMs = 1000;

// The text at the start of a region: its bytes up to the first NUL (or the
// whole region when it holds none).
std::string_view RegionText(const char* region, std::size_t size);

// A check passes only on the exact token: same letters, same case, nothing more.
bool RegionHoldsToken(const char* region, std::size_t size, std::string_view token);

}  // namespace tarvo
