#pragma once
// The WinINet handles of one exchange, used and closed by the thread that
// opened them; a stop from another thread only cancels.
//
// WinINet hands a closed handle's number to the next handle opened anywhere
// in the process, so a handle must never be used after it was closed: it
// could be another exchange's by then (and a read would take that one's
// reply). The exchange thread asks Enter() before each WinINet call and makes
// none once cancelled; Cancel() sets the flag under the same lock and, when a
// call is under way, takes the innermost handle out and closes it to end the
// call (a blocked call returns at once); the exchange thread closes the rest
// itself. No handle is closed under the lock: closing may wait for the call
// under way, whose thread takes the lock when the call returns.

#include <windows.h>
#include <wininet.h>

#include <array>
#include <mutex>
#include <utility>

namespace tarvo {

class InternetHandles {
 public:
  static constexpr int kSlots = 3;

  InternetHandles() = default;
  ~InternetHandles() { CloseAll(); }
  InternetHandles(const InternetHandles&) = delete;
  InternetHandles& operator=(const InternetHandles&) = delete;

  // Exchange thread: keeps `handle` in `slot` and returns it (closed at once,
  // and nullptr returned, once cancelled).
  HINTERNET Keep(HINTERNET handle, int slot) {
    {
      std::lock_guard lock(mutex_);
      if (!cancelled_) {
        handles_[static_cast<std::size_t>(slot)] = handle;
        return handle;
      }
    }
    if (handle != nullptr) InternetCloseHandle(handle);
    return nullptr;
  }

  // Exchange thread, around each WinINet call: false (and no call to make)
  // once cancelled.
  class Call {
   public:
    explicit Call(InternetHandles& handles) : handles_(handles) {
      std::lock_guard lock(handles_.mutex_);
      entered_ = !handles_.cancelled_;
      handles_.inCall_ = entered_;
    }
    ~Call() {
      std::lock_guard lock(handles_.mutex_);
      handles_.inCall_ = false;
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    explicit operator bool() const { return entered_; }

   private:
    InternetHandles& handles_;
    bool entered_ = false;
  };

  // Any thread.
  void Cancel() {
    HINTERNET interrupt = nullptr;
    {
      std::lock_guard lock(mutex_);
      cancelled_ = true;
      for (int i = kSlots - 1; inCall_ && i >= 0 && interrupt == nullptr; --i)
        std::swap(interrupt, handles_[static_cast<std::size_t>(i)]);
    }
    if (interrupt != nullptr) InternetCloseHandle(interrupt);  // ends the call under way
  }

  // Exchange thread: closes what is still open, innermost first.
  void CloseAll() {
    std::array<HINTERNET, kSlots> open{};
    {
      std::lock_guard lock(mutex_);
      std::swap(open, handles_);
    }
    for (int i = kSlots - 1; i >= 0; --i)
      if (open[static_cast<std::size_t>(i)] != nullptr) InternetCloseHandle(open[static_cast<std::size_t>(i)]);
  }

 private:
  std::mutex mutex_;
  bool cancelled_ = false;
  bool inCall_ = false;
  std::array<HINTERNET, kSlots> handles_{};
};

}  // namespace tarvo
