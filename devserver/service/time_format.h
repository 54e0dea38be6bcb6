#pragma once
// Wall-clock time as the server sees it, in milliseconds since the epoch.

#include <cstdint>
#include <functional>
#include <string>

namespace tarvo::devserver {

// Tests replace the clock to let service time run out without waiting.
using Clock = std::function<std::int64_t()>;

std::int64_t SystemNowMs();

// "2024-05-01T09:30:00.250Z"
std::string IsoUtc(std::int64_t ms);

// Minutes left until `expiresMs`, rounded up so that an account given N
// minutes reports N at once and 0 only when its time is really over.
std::int64_t MinutesLeft(std::int64_t expiresMs, std::int64_t nowMs);

}  // namespace tarvo::devserver
