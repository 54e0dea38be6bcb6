#include "devserver/service/time_format.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tarvo::devserver {

std::int64_t SystemNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string IsoUtc(std::int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms % 1000));
  return buf;
}

std::int64_t MinutesLeft(std::int64_t expiresMs, std::int64_t nowMs) {
  if (expiresMs <= nowMs) return 0;
  return (expiresMs - nowMs + 59'999) / 60'000;
}

}  // namespace tarvo::devserver
