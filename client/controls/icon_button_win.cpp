#include "client/controls/icon_button_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <oleacc.h>

#include <utility>

#include "client/controls/accessible_state.h"

namespace tarvo {
namespace {

constexpr int kIn = 0;
constexpr int kOut = 1;

// One-pixel lines: top and left in one colour, bottom and right in another.
void Frame3d(HDC dc, const RECT& r, int topLeft, int bottomRight) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const RECT top{r.left, r.top, r.left + w - 1, r.top + 1};
  const RECT left{r.left, r.top, r.left + 1, r.top + h - 1};
  const RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
  const RECT right{r.right - 1, r.top, r.right, r.bottom};
  FillRect(dc, &top, GetSysColorBrush(topLeft));
  FillRect(dc, &left, GetSysColorBrush(topLeft));
  FillRect(dc, &bottom, GetSysColorBrush(bottomRight));
  FillRect(dc, &right, GetSysColorBrush(bottomRight));
}

// A mask with 1 where `bitmap` has the transparent colour; those pixels of
// the bitmap are blackened so that OR-ing it over the masked area leaves the
// background there.
HBITMAP MakeMask(HBITMAP bitmap, COLORREF transparent, int width, int height) {
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  if (mask == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC colourDc = CreateCompatibleDC(screen);
  HDC maskDc = CreateCompatibleDC(screen);
  HGDIOBJ previousColour = SelectObject(colourDc, bitmap);
  HGDIOBJ previousMask = SelectObject(maskDc, mask);
  SetBkColor(colourDc, transparent);
  BitBlt(maskDc, 0, 0, width, height, colourDc, 0, 0, SRCCOPY);
  SetBkColor(colourDc, RGB(0, 0, 0));
  SetTextColor(colourDc, RGB(255, 255, 255));
  BitBlt(colourDc, 0, 0, width, height, maskDc, 0, 0, SRCAND);
  SelectObject(maskDc, previousMask);
  SelectObject(colourDc, previousColour);
  DeleteDC(maskDc);
  DeleteDC(colourDc);
  ReleaseDC(nullptr, screen);
  return mask;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

CIconButton::CIconButton() { SetDefaultColors(false); }

CIconButton::~CIconButton() {
  Detach();
  OnWindowGone();
  FreeImages();
  if (cursor_ != nullptr) DestroyCursor(cursor_);
}

LONG_PTR CIconButton::OwnerDrawStyle(LONG_PTR style) {
  const LONG_PTR type = style & BS_TYPEMASK;
  if (type & 1) isDefault_ = true;  // default push button (and, by the same bit, auto check box)
  if (type & 2) checkBox_ = true;   // check box, automatic or not
  return (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void CIconButton::OnWindowGone() {
  DropSnapshot();
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
}

void CIconButton::Repaint(bool repaint) const {
  if (repaint) Invalidate();
}

// ---- images ---------------------------------------------------------------

void CIconButton::FreeImages() {
  for (IconSlot& slot : icons_) {
    if (slot.icon != nullptr) DestroyIcon(slot.icon);
    slot = {};
  }
  for (BitmapSlot& slot : bitmaps_) {
    if (slot.bitmap != nullptr) DeleteObject(slot.bitmap);
    if (slot.mask != nullptr) DeleteObject(slot.mask);
    slot = {};
  }
}

DWORD CIconButton::SetIcons(HICON in, HICON out) {
  FreeImages();
  if (out == in) out = nullptr;  // one picture for both looks, held once
  const std::pair<HICON, IconSlot*> wanted[] = {{in, &icons_[kIn]}, {out, &icons_[kOut]}};
  for (const auto& [icon, slot] : wanted) {
    if (icon == nullptr && slot == &icons_[kOut]) continue;
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
      FreeImages();
      return 1;
    }
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    // An icon's hot spot is its centre.
    *slot = {icon, static_cast<int>(info.xHotspot) * 2, static_cast<int>(info.yHotspot) * 2};
  }
  if (hwnd_ != nullptr) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return 0;
}

DWORD CIconButton::SetIcons(HINSTANCE module, UINT inId, UINT outId) {
  // Size 0 by 0 without LR_DEFAULTSIZE: each icon at its own size.
  auto load = [module](UINT id) {
    return id == 0 ? nullptr
                   : static_cast<HICON>(
                         LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  };
  HICON in = load(inId);
  HICON out = load(outId);
  const DWORD status = SetIcons(in, out);
  face_ = status == 0 ? inId : 0;
  if (status != 0) {
    if (in != nullptr) DestroyIcon(in);
    if (out != nullptr) DestroyIcon(out);
  }
  return status;
}

DWORD CIconButton::SetBitmaps(HBITMAP in, COLORREF inTransparent, HBITMAP out, COLORREF outTransparent) {
  FreeImages();
  if (out == in) out = nullptr;
  const struct {
    HBITMAP bitmap;
    COLORREF transparent;
    BitmapSlot* slot;
  } wanted[] = {{in, inTransparent, &bitmaps_[kIn]}, {out, outTransparent, &bitmaps_[kOut]}};
  for (const auto& w : wanted) {
    if (w.bitmap == nullptr && w.slot == &bitmaps_[kOut]) continue;
    BITMAP info{};
    if (w.bitmap == nullptr || GetObjectW(w.bitmap, sizeof(info), &info) == 0) {
      FreeImages();
      return 1;
    }
    *w.slot = {w.bitmap, MakeMask(w.bitmap, w.transparent, info.bmWidth, info.bmHeight), info.bmWidth,
               info.bmHeight};
  }
  if (hwnd_ != nullptr) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return 0;
}

// ---- settings --------------------------------------------------------------

void CIconButton::DrawTransparent(bool repaint) {
  transparent_ = true;
  DropSnapshot();
  Repaint(repaint);
}

void CIconButton::SetCheck(int check, bool repaint) {
  if (!checkBox_) return;
  check_ = check != 0 ? 1 : 0;
  Repaint(repaint);
}

void CIconButton::SetFlat(bool flat, bool repaint) {
  flat_ = flat;
  Repaint(repaint);
}

void CIconButton::DrawBorder(bool enable, bool repaint) {
  drawBorder_ = enable;
  Repaint(repaint);
}

void CIconButton::SetAlign(ImageAlign align, bool repaint) {
  align_ = align;
  Repaint(repaint);
}

void CIconButton::DrawFlatFocus(bool enable, bool repaint) {
  flatFocus_ = enable;
  Repaint(repaint);
}

void CIconButton::SetColor(ColorIndex index, COLORREF colour, bool repaint) {
  colors_[index] = colour;
  Repaint(repaint);
}

void CIconButton::SetDefaultColors(bool repaint) {
  colors_[kBackgroundIn] = colors_[kBackgroundOut] = GetSysColor(COLOR_BTNFACE);
  colors_[kForegroundIn] = colors_[kForegroundOut] = GetSysColor(COLOR_BTNTEXT);
  Repaint(repaint);
}

void CIconButton::SetURL(const wchar_t* url) {
  url_ = url != nullptr ? std::wstring(url).substr(0, MAX_PATH) : std::wstring();
}

void CIconButton::SetBtnCursor(HCURSOR cursor) {
  if (cursor_ != nullptr) DestroyCursor(cursor_);
  cursor_ = cursor;
}

void CIconButton::SetTooltipText(const wchar_t* text, bool activate) {
  if (hwnd_ == nullptr || text == nullptr) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;  // the tooltip watches the button's mouse messages itself
  tool.hwnd = GetParent(hwnd_);
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  tool.lpszText = const_cast<wchar_t*>(text);
  if (tooltip_ == nullptr) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ == nullptr) return;
    SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(tooltip_, TTM_ACTIVATE, activate ? TRUE : FALSE, 0);
}

void CIconButton::SetAutoRepeat(bool enable, UINT period) {
  autoRepeat_ = enable;
  if (period != 0) repeatPeriod_ = period;
}

// ---- messages ----------------------------------------------------------------

void CIconButton::EndHover() {
  if (!hover_) return;
  hover_ = false;
  Invalidate();
}

LRESULT CIconButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kReflectedDrawItem:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case kReflectedClick:
      if (checkBox_) {
        check_ = check_ != 0 ? 0 : 1;
        Invalidate();
      } else if (!url_.empty()) {
        ShellExecuteW(nullptr, L"open", url_.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
      }
      return 0;
    case kReflectedCtlColorBtn:
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    case WM_ERASEBKGND:
      return TRUE;  // the draw covers every pixel
    case WM_MOUSEMOVE:
      // Hover is tracked with a leave notification rather than by holding the capture.
      if (flat_ && !hover_ && !(wParam & MK_LBUTTON)) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
        if (TrackMouseEvent(&track)) {
          hover_ = true;
          Invalidate();
        }
      }
      break;
    case WM_MOUSELEAVE:
      EndHover();
      return 0;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
      if (flat_) EndHover();
      break;
    case WM_ENABLE:
      if (!wParam && flat_) EndHover();
      break;
    case WM_CAPTURECHANGED:
      if (hover_) Invalidate();
      break;
    case WM_LBUTTONDOWN:
      if (autoRepeat_) {
        RepeatWhileHeld();
        return 0;
      }
      break;
    case WM_LBUTTONDBLCLK:
      return SendMessageW(hwnd_, WM_LBUTTONDOWN, wParam, lParam);
    case WM_SETCURSOR:
      if (cursor_ != nullptr) {
        SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_SYSCOLORCHANGE:
      DropSnapshot();
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) DropSnapshot();
      break;
    }
    case BM_GETCHECK:
      return check_ != 0 ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      SetCheck(static_cast<int>(wParam), true);
      return 0;
    default:
      break;
  }
  return Default(msg, wParam, lParam);
}

// Sends the click to the parent every period until the button comes up. An
// even number of clicks is sent, so a check box ends where it started.
void CIconButton::RepeatWhileHeld() {
  SetCapture(hwnd_);
  MSG msg;
  if (!PeekMessageW(&msg, hwnd_, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) {
    HWND parent = GetParent(hwnd_);
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED);
    int sent = 0;
    while (!PeekMessageW(&msg, hwnd_, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
      SendMessageW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd_));
      ++sent;
      Sleep(repeatPeriod_);
    }
    if (sent % 2 != 0) SendMessageW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd_));
  }
  ReleaseCapture();
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, 0);
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd_, &cursor);
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
}

// ---- drawing -------------------------------------------------------------------

void CIconButton::DropSnapshot() {
  if (snapshotDc_ == nullptr) return;
  SelectObject(snapshotDc_, snapshotPrevious_);
  DeleteObject(snapshot_);
  DeleteDC(snapshotDc_);
  snapshotDc_ = nullptr;
  snapshot_ = nullptr;
  snapshotPrevious_ = nullptr;
}

// The parent paints its background into the snapshot, shifted so that the
// button's place lands at (0, 0). Reading the screen instead would pick up
// whatever the button last drew there.
void CIconButton::TakeSnapshot(int width, int height) {
  HWND parent = GetParent(hwnd_);
  RECT place;
  GetWindowRect(hwnd_, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  HDC parentDc = GetDC(parent);
  snapshotDc_ = CreateCompatibleDC(parentDc);
  snapshot_ = CreateCompatibleBitmap(parentDc, width, height);
  ReleaseDC(parent, parentDc);
  if (snapshotDc_ == nullptr || snapshot_ == nullptr) {
    if (snapshot_ != nullptr) DeleteObject(snapshot_);
    if (snapshotDc_ != nullptr) DeleteDC(snapshotDc_);
    snapshotDc_ = nullptr;
    snapshot_ = nullptr;
    return;
  }
  snapshotPrevious_ = SelectObject(snapshotDc_, snapshot_);
  const RECT all{0, 0, width, height};
  FillRect(snapshotDc_, &all, GetSysColorBrush(COLOR_BTNFACE));  // for a parent that paints nothing
  POINT origin;
  SetViewportOrgEx(snapshotDc_, -place.left, -place.top, &origin);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(snapshotDc_), 0);
  SetViewportOrgEx(snapshotDc_, origin.x, origin.y, nullptr);
}

void CIconButton::PaintBackground(HDC dc, const RECT& area, int width, int height, bool lit) {
  if (transparent_) {
    if (snapshotDc_ == nullptr) TakeSnapshot(width, height);
    if (snapshotDc_ != nullptr) {
      BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, snapshotDc_, area.left,
             area.top, SRCCOPY);
      return;
    }
  }
  HBRUSH brush = CreateSolidBrush(colors_[lit ? kBackgroundIn : kBackgroundOut]);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

void CIconButton::DrawImage(HDC dc, const RECT& area, bool hasCaption, bool pressed, bool disabled,
                            RECT& caption) const {
  const bool useOut = UseOutImage(checkBox_, hover_, pressed,
                                  icons_[kOut].icon != nullptr || bitmaps_[kOut].bitmap != nullptr);
  const int slot = useOut ? kOut : kIn;
  const IconSlot& icon = icons_[slot];
  const BitmapSlot& bitmap = bitmaps_[slot];
  const int width = icon.icon != nullptr ? icon.width : bitmap.width;
  const int height = icon.icon != nullptr ? icon.height : bitmap.height;
  if (icon.icon == nullptr && bitmap.bitmap == nullptr) return;

  const ImagePlacement at = PlaceImage({area.left, area.top, area.right, area.bottom}, width, height, align_,
                                       hasCaption, pressed && !checkBox_);
  caption = {at.caption.left, at.caption.top, at.caption.right, at.caption.bottom};
  if (icon.icon != nullptr) {
    if (disabled) {
      DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.icon), 0, at.x, at.y, width, height,
                 DST_ICON | DSS_DISABLED);
    } else {
      DrawIconEx(dc, at.x, at.y, icon.icon, 0, 0, 0, nullptr, DI_NORMAL);  // at the icon's own size
    }
    return;
  }
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, bitmap.mask);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, at.x, at.y, width, height, source, 0, 0, SRCAND);
  SelectObject(source, bitmap.bitmap);
  BitBlt(dc, at.x, at.y, width, height, source, 0, 0, SRCPAINT);
  SelectObject(source, previous);
  DeleteDC(source);
}

void CIconButton::DrawCaptionText(HDC dc, const std::wstring& text, RECT box, bool lit, bool pressed,
                                  bool disabled) const {
  RECT measure = box;
  DrawTextW(dc, text.c_str(), -1, &measure, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
  const int w = measure.right - measure.left;
  const int h = measure.bottom - measure.top;
  RECT place{box.left + (box.right - box.left - w) / 2, box.top + (box.bottom - box.top - h) / 2, 0, 0};
  place.right = place.left + w;
  place.bottom = place.top + h;
  if (pressed && !checkBox_) OffsetRect(&place, 1, 1);
  if (disabled) {
    OffsetRect(&place, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, text.c_str(), -1, &place, DT_WORDBREAK | DT_CENTER);
    OffsetRect(&place, -1, -1);
    SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    DrawTextW(dc, text.c_str(), -1, &place, DT_WORDBREAK | DT_CENTER);
    return;
  }
  SetTextColor(dc, colors_[lit ? kForegroundIn : kForegroundOut]);
  SetBkColor(dc, colors_[lit ? kBackgroundIn : kBackgroundOut]);
  DrawTextW(dc, text.c_str(), -1, &place, DT_WORDBREAK | DT_CENTER);
}

void CIconButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (width <= 0 || height <= 0) return;
  const bool pressed = IconButtonPressed(checkBox_, (item.itemState & ODS_SELECTED) != 0, check_);
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool lit = hover_ || pressed;

  // Drawn off screen and copied in one piece, so the button never flickers.
  HDC dc = CreateCompatibleDC(item.hDC);
  HBITMAP canvas = CreateCompatibleBitmap(item.hDC, width, height);
  if (dc == nullptr || canvas == nullptr) {
    if (canvas != nullptr) DeleteObject(canvas);
    if (dc != nullptr) DeleteDC(dc);
    return;
  }
  HGDIOBJ previousBitmap = SelectObject(dc, canvas);
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  HGDIOBJ previousFont = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);

  RECT area{0, 0, width, height};
  if (!flat_ && (focused || isDefault_)) {
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&area, -1, -1);
  }
  PaintBackground(dc, area, width, height, lit);
  if (pressed) {
    if (!flat_) {
      FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
    } else if (drawBorder_) {
      Frame3d(dc, area, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    }
  } else if (!flat_) {
    Frame3d(dc, area, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
    RECT inner = area;
    InflateRect(&inner, -1, -1);
    Frame3d(dc, inner, COLOR_3DLIGHT, COLOR_BTNSHADOW);
  } else if (hover_ && drawBorder_) {
    Frame3d(dc, area, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
  }

  const std::wstring caption = WindowText(hwnd_);
  RECT captionBox = area;
  DrawImage(dc, area, !caption.empty(), pressed, disabled, captionBox);
  if (!caption.empty()) DrawCaptionText(dc, caption, captionBox, lit, pressed, disabled);
  if (focused && (!flat_ || flatFocus_)) {
    RECT focus{0, 0, width, height};
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }

  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(canvas);
  DeleteDC(dc);
}

bool CIconButton::Describe(AccessibleDescription& description) const {
  const ControlLook look{CanBeUsed(hwnd_), GetFocus() == hwnd_, hover_, false, checkBox_,
                         check_ != 0};
  description.name = AccessibleNameOfFace(face_);
  description.role = checkBox_ ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
  description.state = AccessibleStateBits(look);
  description.defaultAction = AccessibleDefaultAction(look);
  return true;
}

}  // namespace tarvo
