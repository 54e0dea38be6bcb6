#pragma once
// Push button drawn from four bitmaps: normal, pressed, mouse-over and
// disabled. A window attaches it to a template button and sets the skin once:
//
//   m_btnConnect.Attach(hwnd(), IDC_SESSION_CONNECT);
//   m_btnConnect.SetSkinBitmaps(IDB_SESSION_CONNECT, IDB_SESSION_CONNECT_HOVER, IDB_SESSION_CONNECT_HOVER,
//                               IDB_SESSION_CONNECT_DISABLED);
//
// Each bitmap is copied 1:1 into the button from its top-left pixel, so a
// face should have the button's size. The click reaches the window as an
// ordinary BN_CLICKED; a double click counts as a second click. Drawing comes
// through the parent hook of OwnerDrawButton: the window does nothing for it.

#include <windows.h>

#include <array>

#include "client/controls/owner_draw_button_win.h"

namespace tarvo {

class CSkinButton : public OwnerDrawButton {
 public:
  CSkinButton();
  ~CSkinButton() override;

  // Bitmap resource ids of the program; a disabled id of 0 reuses the normal
  // bitmap. Replaces (and frees) the bitmaps held so far and repaints.
  void SetSkinBitmaps(UINT normal, UINT pressed, UINT hover, UINT disabled);

 protected:
  LONG_PTR OwnerDrawStyle(LONG_PTR style) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool Describe(AccessibleDescription& description) const override;

 private:
  void DrawItem(const DRAWITEMSTRUCT& item);
  void OnMouseMove(LPARAM lParam);
  bool CancelLeaveTracking();
  HBITMAP Load(UINT id) const;
  // The four looks' bitmaps, in the order normal, pressed, hover, disabled.
  std::array<HBITMAP*, 4> Looks();
  void FreeBitmaps();

  UINT face_ = 0;  // the normal bitmap's id: what the button shows, and so its name
  HBITMAP normal_ = nullptr;
  HBITMAP pressed_ = nullptr;
  HBITMAP hover_ = nullptr;
  HBITMAP disabled_ = nullptr;
  COLORREF textColor_;
  bool hovering_ = false;  // pointer over the button, leave notification pending
  bool held_ = false;      // left button went down here and has not come up
};

}  // namespace tarvo
