#include "client/controls/skin_button_win.h"

#include <oleacc.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "client/controls/button_faces.h"
#include "client/controls/accessible_state.h"

namespace tarvo {
namespace {

constexpr UINT kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

void PaintBitmap(HDC dc, const RECT& frame, HBITMAP bitmap) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, bitmap);
  BitBlt(dc, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, source, 0, 0,
         SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

void DrawCaption(HDC dc, const wchar_t* text, RECT box, COLORREF colour) {
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &box, kCaptionFormat);
}

}  // namespace

CSkinButton::CSkinButton() : textColor_(GetSysColor(COLOR_BTNTEXT)) {}

CSkinButton::~CSkinButton() {
  Detach();
  FreeBitmaps();
}

LONG_PTR CSkinButton::OwnerDrawStyle(LONG_PTR style) {
  // The type occupies the low four bits; OR-ing 11 into another type (a
  // radio button, say) would make a different type, so the type is replaced.
  return (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

std::array<HBITMAP*, 4> CSkinButton::Looks() { return {&normal_, &pressed_, &hover_, &disabled_}; }

void CSkinButton::FreeBitmaps() {
  const auto slots = Looks();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    // A picture shared by several looks is deleted once.
    const bool sharedWithEarlier =
        std::any_of(slots.begin(), slots.begin() + i, [&](const HBITMAP* earlier) { return *earlier == *slots[i]; });
    if (*slots[i] != nullptr && !sharedWithEarlier) DeleteObject(*slots[i]);
  }
  for (HBITMAP* slot : slots) *slot = nullptr;
}

HBITMAP CSkinButton::Load(UINT id) const {
  if (id == 0) return nullptr;
  return static_cast<HBITMAP>(
      LoadImageW(ResourceModule(id, RT_BITMAP), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

void CSkinButton::SetSkinBitmaps(UINT normal, UINT pressed, UINT hover, UINT disabled) {
  FreeBitmaps();
  face_ = normal;
  // Looks that name the same picture (pressed and hover often do) share one
  // loaded bitmap: a window's buttons load about half as many at start-up.
  const UINT ids[] = {normal, pressed, hover, disabled != 0 ? disabled : normal};
  const auto slots = Looks();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const auto first = static_cast<std::size_t>(std::find(ids, ids + i, ids[i]) - ids);
    *slots[i] = first < i ? *slots[first] : Load(ids[i]);
  }
  Invalidate();
}

bool CSkinButton::Describe(AccessibleDescription& description) const {
  const ControlLook look{CanBeUsed(hwnd_), GetFocus() == hwnd_, hovering_, held_};
  description.name = AccessibleNameOfFace(face_);
  description.role = ROLE_SYSTEM_PUSHBUTTON;
  description.state = AccessibleStateBits(look);
  description.defaultAction = AccessibleDefaultAction(look);
  return true;
}

bool CSkinButton::CancelLeaveTracking() {
  TRACKMOUSEEVENT track{sizeof(track), TME_CANCEL | TME_LEAVE, hwnd_, 0};
  return TrackMouseEvent(&track) != FALSE;
}

LRESULT CSkinButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kReflectedDrawItem:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;  // the draw covers every pixel
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      break;
    case WM_MOUSELEAVE:
      hovering_ = false;
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN: {
      if (hovering_ && CancelLeaveTracking()) hovering_ = false;
      const LRESULT result = Default(msg, wParam, lParam);  // captures the mouse, shows the press
      held_ = true;
      return result;
    }
    case WM_LBUTTONUP:
      held_ = false;
      break;
    case WM_LBUTTONDBLCLK:
      // Owner-drawn buttons would report BN_DOUBLECLICKED; here it is a second press.
      return SendMessageW(hwnd_, WM_LBUTTONDOWN, wParam, lParam);
    case WM_KILLFOCUS:
      if (GetCapture() == hwnd_) {
        ReleaseCapture();
        held_ = false;
      }
      break;
    case WM_ENABLE:
      // A button disabled under the pointer (connect, say) would otherwise come
      // back lit though the pointer has long gone.
      if (!wParam && hovering_) {
        CancelLeaveTracking();
        hovering_ = false;
      }
      break;
    case BM_GETCHECK:
      return 0;
    case BM_SETCHECK:
      Invalidate();
      return 0;
    default:
      break;
  }
  return Default(msg, wParam, lParam);
}

void CSkinButton::OnMouseMove(LPARAM lParam) {
  if (held_ && GetCapture() == hwnd_) {
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd_, &point);
    const bool over = WindowFromPoint(point) == hwnd_;
    const bool pushed = (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    if (over != pushed) {
      SendMessageW(hwnd_, BM_SETSTATE, over, 0);
      Invalidate();
    }
  } else if (!hovering_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
    if (TrackMouseEvent(&track)) {
      hovering_ = true;
      Invalidate();
    }
  }
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  POINT cursor;
  if (held_ && GetCursorPos(&cursor)) {
    const bool pushed = (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const PushChange change =
        TrackPress(held_, GetCapture() == hwnd_, WindowFromPoint(cursor) == hwnd_, pushed);
    if (change != PushChange::kNone) {
      // The state change repaints the button; this pass draws the new look
      // too, so a double-buffered window never shows an undrawn button.
      selected = change == PushChange::kPush;
      SendMessageW(hwnd_, BM_SETSTATE, selected, 0);
    }
  }

  HDC dc = item.hDC;
  const RECT& frame = item.rcItem;
  RECT textBox = frame;
  textBox.left += 2;
  textBox.right -= 2;
  wchar_t caption[256] = L"";
  GetWindowTextW(hwnd_, caption, static_cast<int>(std::size(caption)));

  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const SkinSlot slot =
      ChooseSkinSlot(disabled, selected, hovering_,
                     {normal_ != nullptr, pressed_ != nullptr, hover_ != nullptr, disabled_ != nullptr});
  switch (slot) {
    case SkinSlot::kNormal:
      PaintBitmap(dc, frame, normal_);
      break;
    case SkinSlot::kPressed:
      PaintBitmap(dc, frame, pressed_);
      break;
    case SkinSlot::kHover:
      PaintBitmap(dc, frame, hover_);
      break;
    case SkinSlot::kDisabled:
      PaintBitmap(dc, frame, disabled_);
      break;
    case SkinSlot::kButtonFace:
      FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
      break;
  }
  if (caption[0] != L'\0') {
    if (disabled) {
      DrawCaption(dc, caption, textBox, GetSysColor(COLOR_BTNHIGHLIGHT));
      OffsetRect(&textBox, -1, -1);
      DrawCaption(dc, caption, textBox, GetSysColor(COLOR_GRAYTEXT));
    } else {
      if (selected) OffsetRect(&textBox, 1, 1);
      DrawCaption(dc, caption, textBox, textColor_);
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace tarvo
