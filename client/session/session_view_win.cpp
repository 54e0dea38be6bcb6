#include "client/session/session_view_win.h"

#include "client/app/app_window_win.h"
#include "client/res/resource.h"
#include "common/window/dialog_win.h"

namespace tarvo {
namespace {

int LabelId(SessionLabel label) {
  switch (label) {
    case SessionLabel::FixedIp: return IDC_SESSION_FIXED_IP;
    case SessionLabel::Status: return IDC_SESSION_STATUS;
    case SessionLabel::Days:
    default: return IDC_SESSION_DAYS;
  }
}

int ButtonId(SessionButton button) {
  switch (button) {
    case SessionButton::Exit: return IDC_SESSION_EXIT;
    case SessionButton::Logout: return IDC_SESSION_LOGOUT;
    case SessionButton::Connect: return IDC_SESSION_CONNECT;
    case SessionButton::Disconnect:
    default: return IDC_SESSION_DISCONNECT;
  }
}

}  // namespace

void SetLabelText(HWND label, const std::wstring& text, bool oneStep) {
  // The keepalive sets the days every few seconds, mostly to what they were:
  // then nothing changes on the screen, and nothing is repainted.
  const int length = GetWindowTextLengthW(label);
  if (length == static_cast<int>(text.size())) {
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(GetWindowTextW(label, shown.data(), length + 1)));
    if (shown == text) return;
  }
  if (!oneStep) SetWindowTextW(label, std::wstring(27, L' ').c_str());
  SetWindowTextW(label, text.c_str());
  HWND parent = GetParent(label);
  RECT rc;
  GetWindowRect(label, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SessionUpdateQueue::Push(std::function<void()> change) {
  std::lock_guard lock(mutex_);
  changes_.push_back(std::move(change));
}

void SessionUpdateQueue::RunPending() {
  std::deque<std::function<void()>> pending;
  {
    std::lock_guard lock(mutex_);
    pending.swap(changes_);
  }
  for (auto& change : pending) change();
}

void WindowSessionView::OnWindowThread(std::function<void()> change) {
  if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
    change();
    return;
  }
  updates_->Push(std::move(change));
  PostMessageW(window_, WM_SESSION_UPDATE, 0, 0);
}

void WindowSessionView::SetLabel(SessionLabel label, const std::wstring& text, bool oneStep) {
  HWND window = window_;
  OnWindowThread([=] { SetLabelText(GetDlgItem(window, LabelId(label)), text, oneStep); });
}

void WindowSessionView::EnableButton(SessionButton button, bool enabled) {
  HWND window = window_;
  OnWindowThread([=] { EnableWindow(GetDlgItem(window, ButtonId(button)), enabled); });
}

void WindowSessionView::Invalidate(bool erase) {
  HWND window = window_;
  OnWindowThread([=] { InvalidateRect(window, nullptr, erase); });
}

void WindowSessionView::ShowMessage(const std::wstring& text) { ShowAppMessage(window_, text); }

void WindowSessionView::QuitApplication() { PostQuitToMainWindow(); }

void WindowSessionView::ExitApplication() {
  if (HWND main = AppMainWindow()) PostMessageW(main, WM_COMMAND, ID_APP_EXIT, 0);
}

}  // namespace tarvo
