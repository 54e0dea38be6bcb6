#pragma once
// Tells a window when the machine's addresses change (another network, a
// cable, a resume), by a message posted from a thread of the system's.

#include <windows.h>

namespace tarvo {

class AddressChangeWatch {
 public:
  AddressChangeWatch() = default;
  ~AddressChangeWatch() { Stop(); }
  AddressChangeWatch(const AddressChangeWatch&) = delete;
  AddressChangeWatch& operator=(const AddressChangeWatch&) = delete;

  // Posts `message` (no parameters) to `window` at each change.
  void Start(HWND window, UINT message);
  // Returns once no notification is under way, so that none is posted later.
  void Stop();
  // From the notification's thread.
  void Post() const;

 private:
  HANDLE notification_ = nullptr;
  HWND window_ = nullptr;
  UINT message_ = 0;
};

}  // namespace tarvo
