#pragma once
// The ports through which the session's workers reach the outside: the
// remote-access service, the watchdog's liveness region, time, and the
// window. Windows adapters implement them; tests use fakes.

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>

namespace tarvo {

using ConnHandle = std::uintptr_t;  // 0: no connection

struct DialRequest {
  std::wstring phonebookPath;
  std::wstring server;
  std::wstring user;
  std::wstring password;
};

class VpnDialer {
 public:
  virtual ~VpnDialer() = default;
  // Synchronous dial of the entry "Tarvo": 0 when connected, else an error
  // number. `handle` receives the connection (also after a failed attempt,
  // which a hang-up then releases).
  virtual int Dial(const DialRequest& request, ConnHandle& handle) = 0;
  virtual void HangUp(ConnHandle handle) = 0;
  // The VPN adapter's IPv4 address, or "-".
  virtual std::wstring GetVpnAddress() = 0;
};

class WatchdogProbe {
 public:
  virtual ~WatchdogProbe() = default;
  virtual bool WatchdogAlive() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Waits `duration`; false (early) when a stop was requested.
  virtual bool Pause(std::stop_token stop, std::chrono::milliseconds duration) = 0;
  // Time since an arbitrary start that never goes back.
  virtual std::chrono::milliseconds Now() = 0;
};

enum class SessionLabel { FixedIp, Status, Days };
enum class SessionButton { Exit, Logout, Connect, Disconnect };

// The session window as the workers see it. Calls may come from any thread;
// the window applies them on its own thread and never makes a caller wait
// for it, except ShowMessage, which returns when the user closed the box.
class SessionView {
 public:
  virtual ~SessionView() = default;
  // Two steps (a run of spaces, then the text) unless `oneStep`.
  virtual void SetLabel(SessionLabel label, const std::wstring& text, bool oneStep = false) = 0;
  virtual void EnableButton(SessionButton button, bool enabled) = 0;
  virtual void Invalidate(bool erase) = 0;
  virtual void ShowMessage(const std::wstring& text) = 0;
  // WM_QUIT to the application's main window: the client ends.
  virtual void QuitApplication() = 0;
  // The application-exit command to the main window: its modal run ends.
  virtual void ExitApplication() = 0;
};

}  // namespace tarvo
