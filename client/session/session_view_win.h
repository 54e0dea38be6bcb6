#pragma once
// The session window behind the view port. Workers' changes are posted to
// the window's thread as closures; the window runs them in order.

#include <windows.h>

#include <functional>
#include <string>

#include "client/session/session_ports.h"

namespace tarvo {

inline constexpr UINT WM_SESSION_UPDATE = WM_APP + 0x51;

class WindowSessionView : public SessionView {
 public:
  explicit WindowSessionView(HWND window) : window_(window) {}

  void SetLabel(SessionLabel label, const std::wstring& text, bool oneStep) override;
  void EnableButton(SessionButton button, bool enabled) override;
  void Invalidate(bool erase) override;
  void ShowMessage(const std::wstring& text) override;
  void QuitApplication() override;
  void ExitApplication() override;

  // Runs a closure posted with WM_SESSION_UPDATE (the window's handler).
  static void RunPosted(LPARAM closure);

 private:
  void OnWindowThread(std::function<void()> change);
  HWND window_;
};

// Changes a label: in two steps (a run of spaces, then the text) unless
// `oneStep`; the parent's background under it is repainted, as the labels
// are transparent.
void SetLabelText(HWND label, const std::wstring& text, bool oneStep = false);

}  // namespace tarvo
