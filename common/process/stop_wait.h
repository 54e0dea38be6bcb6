#pragma once
// A pause that a stop request ends at once: every worker waits through it.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace tarvo {

// Waits `duration`; returns false (early) when a stop was requested.
inline bool PauseUnlessStopped(std::stop_token stop, std::chrono::milliseconds duration) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  wake.wait_for(lock, stop, duration, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace tarvo
