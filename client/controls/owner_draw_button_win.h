#pragma once
// Base of the skinned buttons: takes over a BUTTON control of a dialog
// template, makes it owner-drawn, and gets the owner-draw traffic back from
// the parent so each control draws itself.
//
// Wiring: a window calls Attach(dialog, id) from its dialog initialisation
// and nothing else. Attach subclasses the button and, once per parent,
// installs a small hook on the parent (comctl32 SetWindowSubclass) that
// answers, for attached buttons only:
//   WM_DRAWITEM        -> sent to the button as kReflectedDrawItem; the
//                         parent's own handler never sees it;
//   WM_COMMAND/BN_CLICKED -> sent to the button as kReflectedClick first,
//                         then passed on to the parent as usual, so the
//                         parent's handler sees the control's new state;
//   WM_CTLCOLORBTN     -> sent to the button as kReflectedCtlColorBtn;
//   WM_SYSCOLORCHANGE  -> passed on to every attached button.
// The hook removes itself when the parent is destroyed. Messages of other
// controls go through untouched. Link with comctl32.
//
// The object must outlive its Attach or be destroyed on the window's thread:
// the destructor detaches from a window that still exists.

#include <windows.h>

#include "client/controls/accessible_object_win.h"

namespace tarvo {

class OwnerDrawButton {
 public:
  // Reflected notifications, at the conventional offset from the original
  // message (as ActiveX controls reflect theirs).
  static constexpr UINT kReflectBase = 0x2000;
  static constexpr UINT kReflectedDrawItem = kReflectBase + WM_DRAWITEM;
  static constexpr UINT kReflectedClick = kReflectBase + WM_COMMAND;
  static constexpr UINT kReflectedCtlColorBtn = kReflectBase + WM_CTLCOLORBTN;

  OwnerDrawButton() = default;
  virtual ~OwnerDrawButton();
  OwnerDrawButton(const OwnerDrawButton&) = delete;
  OwnerDrawButton& operator=(const OwnerDrawButton&) = delete;

  // Takes over control `id` of `dialog`: subclasses it, switches it to
  // owner-drawn (BS_OWNERDRAW) and hooks the parent. False when there is no
  // such control. Attaching again first lets go of the previous control.
  bool Attach(HWND dialog, int id);
  // Gives the control back (it stays owner-drawn).
  void Detach();

  HWND hwnd() const { return hwnd_; }

  // The attached button object of `control`, or null.
  static OwnerDrawButton* FromWindow(HWND control);

 protected:
  // The style the control gets when attached; `style` is its template style.
  virtual LONG_PTR OwnerDrawStyle(LONG_PTR style) = 0;
  // Every message of the control; call Default for what is not fully handled.
  virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // The control window is going away (WM_NCDESTROY); drop what belongs to it.
  virtual void OnWindowGone() {}
  // What the control tells a screen reader (WM_GETOBJECT): its name by its
  // face, its role, state and default action. False: nothing to tell yet.
  virtual bool Describe(AccessibleDescription& /*description*/) const { return false; }

  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  void Invalidate(bool erase = true) const;
  // The module holding bitmap or icon resource `id`: the dialog's, else the program's.
  HINSTANCE ResourceModule(UINT id, LPCWSTR type) const;

  HWND hwnd_ = nullptr;

 private:
  static bool DescribeAttached(HWND control, AccessibleDescription& description);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR unused);
};

}  // namespace tarvo
