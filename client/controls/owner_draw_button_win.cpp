#include "client/controls/owner_draw_button_win.h"

#include <commctrl.h>

namespace tarvo {
namespace {

constexpr const wchar_t* kObjectProperty = L"TarvoOwnerDrawButton";
constexpr UINT_PTR kControlSubclassId = 0x54425554;  // one per control
constexpr UINT_PTR kParentSubclassId = 0x54425550;   // one per parent, whatever the number of buttons

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
  if (OwnerDrawButton::FromWindow(child) != nullptr) SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

}  // namespace

OwnerDrawButton::~OwnerDrawButton() { Detach(); }

OwnerDrawButton* OwnerDrawButton::FromWindow(HWND control) {
  if (control == nullptr) return nullptr;
  return static_cast<OwnerDrawButton*>(GetPropW(control, kObjectProperty));
}

bool OwnerDrawButton::Attach(HWND dialog, int id) {
  Detach();
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr || FromWindow(control) != nullptr) return false;
  if (!SetWindowSubclass(control, ControlProc, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = control;
  SetPropW(control, kObjectProperty, this);
  // The same id and procedure again only refreshes the hook, so a parent is hooked once.
  SetWindowSubclass(dialog, ParentProc, kParentSubclassId, 0);
  SetWindowLongPtrW(control, GWL_STYLE, OwnerDrawStyle(GetWindowLongPtrW(control, GWL_STYLE)));
  Invalidate();
  return true;
}

void OwnerDrawButton::Detach() {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, ControlProc, kControlSubclassId);
  RemovePropW(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

LRESULT OwnerDrawButton::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

void OwnerDrawButton::Invalidate(bool erase) const {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
}

HINSTANCE OwnerDrawButton::ResourceModule(UINT id, LPCWSTR type) const {
  if (hwnd_ != nullptr) {
    auto dialogModule = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(GetParent(hwnd_), GWLP_HINSTANCE));
    if (dialogModule != nullptr && FindResourceW(dialogModule, MAKEINTRESOURCEW(id), type) != nullptr) {
      return dialogModule;
    }
  }
  return GetModuleHandleW(nullptr);
}

LRESULT CALLBACK OwnerDrawButton::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR selfData) {
  auto* self = reinterpret_cast<OwnerDrawButton*>(selfData);
  if (msg == WM_NCDESTROY) {
    self->OnWindowGone();
    self->Detach();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_GETOBJECT) {
    if (const LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, DescribeAttached)) return answer;
  }
  return self->OnMessage(msg, wParam, lParam);
}

// Asked on the control's thread; a control no longer attached says nothing.
bool OwnerDrawButton::DescribeAttached(HWND control, AccessibleDescription& description) {
  const OwnerDrawButton* self = FromWindow(control);
  return self != nullptr && self->Describe(description);
}

LRESULT CALLBACK OwnerDrawButton::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType == ODT_BUTTON && FromWindow(item->hwndItem) != nullptr) {
        SendMessageW(item->hwndItem, kReflectedDrawItem, wParam, lParam);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND: {
      auto control = reinterpret_cast<HWND>(lParam);
      if (HIWORD(wParam) == BN_CLICKED && FromWindow(control) != nullptr) {
        // A click that a screen reader posted before a modal window opened
        // arrives while the window is disabled: it does nothing.
        if (!CanBeUsed(control)) return 0;
        SendMessageW(control, kReflectedClick, wParam, lParam);
      }
      break;  // the parent handles the click as usual
    }
    case WM_CTLCOLORBTN: {
      auto control = reinterpret_cast<HWND>(lParam);
      if (FromWindow(control) != nullptr) {
        if (LRESULT brush = SendMessageW(control, kReflectedCtlColorBtn, wParam, lParam)) return brush;
      }
      break;
    }
    case WM_SYSCOLORCHANGE:
      EnumChildWindows(hwnd, ForwardSysColorChange, 0);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ParentProc, kParentSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace tarvo
