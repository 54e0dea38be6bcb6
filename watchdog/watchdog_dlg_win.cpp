#include "watchdog/watchdog_dlg_win.h"

#include "watchdog/client_watch_win.h"
#include "watchdog/resource.h"

namespace tarvo {

CTarvoRCDlg::CTarvoRCDlg(HINSTANCE instance)
    : Dialog(instance, IDD_TARVO_NETWORK_DIALOG), m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

// Closing the window (log-off) stops the watch thread; the pause it sits in
// ends at once, so the join is short.
CTarvoRCDlg::~CTarvoRCDlg() = default;

BOOL CTarvoRCDlg::OnInitDialog() {
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  LONG_PTR exStyle = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  exStyle = (exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, exStyle);
  MoveWindow(hwnd(), 0, 0, 0, 0, TRUE);
  // The z-order only: the window is never activated. The watchdog starts
  // while the client's first window is on screen, and activation (or the
  // keyboard focus, hence FALSE below) would take the user's typing away
  // from it for a window nobody can see.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

  m_watchThread = std::jthread(ClientWatchThread);
  return FALSE;
}

bool CTarvoRCDlg::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR& result) {
  switch (msg) {
    case WM_PAINT:
      if (!IsIconic(hwnd())) return false;
      PaintMinimised();
      result = 0;
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(m_hIcon);
      return true;
    default:
      return false;
  }
}

void CTarvoRCDlg::PaintMinimised() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(hwnd(), &ps);
}

}  // namespace tarvo
