#pragma once
// The WinINet handles of one exchange. A stop request closes them from
// another thread, which makes a blocked WinINet call return on Windows;
// each handle is closed exactly once, by whichever side comes first, and
// innermost first (the highest slot first).

#include <windows.h>
#include <wininet.h>

#include <array>
#include <mutex>

namespace tarvo {

class InternetHandles {
 public:
  static constexpr int kSlots = 3;

  InternetHandles() = default;
  ~InternetHandles() { CloseAll(); }
  InternetHandles(const InternetHandles&) = delete;
  InternetHandles& operator=(const InternetHandles&) = delete;

  // Keeps `handle` in `slot` and returns it; once closed, closes it at once
  // and returns nullptr.
  HINTERNET Keep(HINTERNET handle, int slot) {
    std::lock_guard lock(mutex_);
    if (closed_) {
      if (handle != nullptr) InternetCloseHandle(handle);
      return nullptr;
    }
    handles_[static_cast<std::size_t>(slot)] = handle;
    return handle;
  }

  void CloseAll() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (int i = kSlots - 1; i >= 0; --i) {
      HINTERNET& handle = handles_[static_cast<std::size_t>(i)];
      if (handle != nullptr) InternetCloseHandle(handle);
      handle = nullptr;
    }
  }

 private:
  std::mutex mutex_;
  bool closed_ = false;
  std::array<HINTERNET, kSlots> handles_{};
};

}  // namespace tarvo
