#pragma once
// The session window behind the view port. Workers' changes wait in a queue
// that the window owns; a message with no payload tells the window's thread
// to run what is queued, in order. A stray or repeated message finds the
// queue empty and does nothing.

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "client/session/session_ports.h"

namespace tarvo {

inline constexpr UINT WM_SESSION_UPDATE = WM_APP + 0x51;

class SessionUpdateQueue {
 public:
  void Push(std::function<void()> change);
  // Window's thread: runs every change queued so far.
  void RunPending();

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> changes_;
};

class WindowSessionView : public SessionView {
 public:
  WindowSessionView(HWND window, std::shared_ptr<SessionUpdateQueue> updates)
      : window_(window), updates_(std::move(updates)) {}

  void SetLabel(SessionLabel label, const std::wstring& text, bool oneStep) override;
  void EnableButton(SessionButton button, bool enabled) override;
  void Invalidate(bool erase) override;
  void ShowMessage(const std::wstring& text) override;
  void QuitApplication() override;
  void ExitApplication() override;

 private:
  void OnWindowThread(std::function<void()> change);
  HWND window_;
  std::shared_ptr<SessionUpdateQueue> updates_;
};

// Changes a label: in two steps (a run of spaces, then the text) unless
// `oneStep`; the parent's background under it is repainted, as the labels
// are transparent.
void SetLabelText(HWND label, const std::wstring& text, bool oneStep = false);

}  // namespace tarvo
