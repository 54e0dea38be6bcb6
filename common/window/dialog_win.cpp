#include "common/window/dialog_win.h"

namespace tarvo {
namespace {

constexpr const wchar_t* kSelfProperty = L"TarvoDialog";

}  // namespace

void DragByTitleArea(HWND window, LPARAM pressAt, int areaHeight) {
  POINT at{static_cast<short>(LOWORD(pressAt)), static_cast<short>(HIWORD(pressAt))};
  if (at.y >= areaHeight) return;
  ClientToScreen(window, &at);
  SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
}

bool IsIgnoredDialogKey(const MSG& msg) {
  if (msg.wParam == VK_ESCAPE) return true;
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return true;
  return msg.message == WM_KEYDOWN &&
         (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE || msg.wParam == VK_CANCEL);
}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

Dialog* Dialog::FromHandle(HWND hwnd) { return static_cast<Dialog*>(GetPropW(hwnd, kSelfProperty)); }

bool Dialog::CreateModeless(HWND parent) {
  hwnd_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

INT_PTR Dialog::RunModal(HWND owner) {
  modal_ = true;
  endModal_ = false;
  modalResult_ = IDCANCEL;
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (!CreateModeless(owner)) return -1;
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (showOnRun_ && !endModal_ && hwnd_ != nullptr && !IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
  }

  MSG msg;
  while (!endModal_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT ends the run; pass it on to an outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (FilterThroughDialogs(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);  // clears hwnd_ through WM_NCDESTROY
  }
  if (owner != nullptr) SetActiveWindow(owner);
  modal_ = false;
  return modalResult_;
}

// Gives the message to the pre-dispatch filter and the dialog navigation of
// the dialog it is meant for (or of its nearest dialog ancestor).
bool Dialog::FilterThroughDialogs(MSG& msg) {
  for (HWND w = msg.hwnd; w != nullptr; w = GetParent(w)) {
    if (Dialog* dialog = FromHandle(w)) {
      if (dialog->PreTranslateMessage(msg)) return true;
      return IsDialogMessageW(w, &msg) != FALSE;
    }
  }
  if (hwnd_ != nullptr && PreTranslateMessage(msg)) return true;
  return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void Dialog::EndModal(INT_PTR result) {
  modalResult_ = result;
  if (modal_) {
    endModal_ = true;
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the loop
  } else if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* self = FromHandle(hwnd);
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetPropW(hwnd, kSelfProperty, self);
  }
  if (self == nullptr) return FALSE;
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kSelfProperty);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return self->HandleMessage(msg, wParam, lParam);
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  if (OnMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
      if (id == IDOK) OnOK();
      else if (id == IDCANCEL) OnCancel();
      else if (id == ID_APP_EXIT) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      else return FALSE;
      return TRUE;
    }
    case WM_CLOSE:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace tarvo
