#pragma once
// Owner-drawn button showing an icon (or a masked bitmap) and its caption,
// with a hover look, an optional two-state check-box mode and a transparent
// mode that paints over the parent's background. The windows use it for
// their preference check boxes:
//
//   SaveIdCheck.Attach(hwnd(), IDC_LOGIN_SAVE_ID);   // an auto check box in the template
//   SaveIdCheck.SetIcons(instance(), IDI_CHECK_SAVE_ID_ON, IDI_CHECK_SAVE_ID_OFF);  // set, clear
//   SaveIdCheck.DrawTransparent(true);
//   ... SaveIdCheck.SetCheck(1, true); ... SaveIdCheck.GetCheck() ...
//
// Icons are drawn at their own size, centred in the button when it has no
// caption; the check boxes' icons are made at the size of their boxes and
// carry the box and its label. A click on a check box flips it before the
// window's BN_CLICKED handler runs; BM_GETCHECK/BM_SETCHECK sent to the
// control read and set the same state. Drawing comes through the parent hook
// of OwnerDrawButton.
//
// Transparent mode: the parent's background under the button is captured
// once (the parent paints it through WM_ERASEBKGND into a memory bitmap) and
// drawn behind the image each time; it is captured again after the button
// moves or is resized, after DrawTransparent, and after a system colour change.

#include <windows.h>

#include <string>

#include "client/controls/button_faces.h"
#include "client/controls/owner_draw_button_win.h"

namespace tarvo {

class CIconButton : public OwnerDrawButton {
 public:
  enum ColorIndex { kBackgroundIn = 0, kForegroundIn, kBackgroundOut, kForegroundOut };

  CIconButton();
  ~CIconButton() override;

  // Stores the two icons (the button then owns and destroys them) and
  // repaints at once. The out-icon may be null (the in-icon is used). 0 on
  // success; 1 when an icon's information cannot be read, and then the button
  // is left without images.
  DWORD SetIcons(HICON in, HICON out);
  // The same with icon resources of `module`, loaded at their own size.
  DWORD SetIcons(HINSTANCE module, UINT inId, UINT outId);
  // Bitmaps drawn through a mask made of the pixels of colour `transparent`;
  // the button owns them. 0 on success, 1 when a bitmap cannot be read.
  DWORD SetBitmaps(HBITMAP in, COLORREF inTransparent, HBITMAP out, COLORREF outTransparent);

  // Paints over a snapshot of the parent instead of a colour (drops the one held).
  void DrawTransparent(bool repaint);
  // Check-box mode only: 1 for any non-zero value.
  void SetCheck(int check, bool repaint);
  int GetCheck() const { return check_; }

  void SetFlat(bool flat, bool repaint);
  void DrawBorder(bool enable, bool repaint);
  void SetAlign(ImageAlign align, bool repaint);
  void DrawFlatFocus(bool enable, bool repaint);
  void SetColor(ColorIndex index, COLORREF colour, bool repaint);
  void SetDefaultColors(bool repaint);
  // Opened with the shell when a push button (not a check box) is clicked.
  void SetURL(const wchar_t* url);
  // Shown over the button; the button destroys it.
  void SetBtnCursor(HCURSOR cursor);
  void SetTooltipText(const wchar_t* text, bool activate);
  // While held down, the button sends its click to the parent every `period` ms.
  void SetAutoRepeat(bool enable, UINT period);

 protected:
  LONG_PTR OwnerDrawStyle(LONG_PTR style) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool Describe(AccessibleDescription& description) const override;
  void OnWindowGone() override;

 private:
  struct IconSlot {
    HICON icon = nullptr;
    int width = 0;
    int height = 0;
  };
  struct BitmapSlot {
    HBITMAP bitmap = nullptr;
    HBITMAP mask = nullptr;
    int width = 0;
    int height = 0;
  };

  void DrawItem(const DRAWITEMSTRUCT& item);
  void DrawImage(HDC dc, const RECT& area, bool hasCaption, bool pressed, bool disabled, RECT& caption) const;
  void DrawCaptionText(HDC dc, const std::wstring& text, RECT box, bool lit, bool pressed,
                       bool disabled) const;
  void PaintBackground(HDC dc, const RECT& area, int width, int height, bool lit);
  void TakeSnapshot(int width, int height);
  void DropSnapshot();
  void FreeImages();
  void RepeatWhileHeld();
  void EndHover();
  void Repaint(bool repaint) const;

  UINT face_ = 0;  // the set icon's id (SetIcons from resources): its name
  bool hover_ = false;
  bool flat_ = true;
  bool drawBorder_ = false;
  ImageAlign align_ = ImageAlign::kLeft;
  bool flatFocus_ = false;
  bool isDefault_ = false;
  bool checkBox_ = false;
  int check_ = 0;
  COLORREF colors_[4];
  bool transparent_ = false;
  HDC snapshotDc_ = nullptr;
  HBITMAP snapshot_ = nullptr;
  HGDIOBJ snapshotPrevious_ = nullptr;
  IconSlot icons_[2];      // in, out
  BitmapSlot bitmaps_[2];  // in, out
  std::wstring url_;
  HCURSOR cursor_ = nullptr;
  HWND tooltip_ = nullptr;
  bool autoRepeat_ = false;
  UINT repeatPeriod_ = 100;
};

}  // namespace tarvo
